#pragma once
// The fixed data folder "C:\Quel" of the program, mapped onto this machine.
// The root is $QUEL_HOME when set, else ~/Quel. A logical path "C:\Quel\X\Y"
// (backslashes or slashes, any case of the drive and folder) maps to
// <root>/X/Y; any other path is returned as it is.
#include <filesystem>
#include <string>

namespace quel {

class RaizDatos {
public:
    // Root from the environment ($QUEL_HOME, else $HOME/Quel).
    static RaizDatos desdeEntorno();
    explicit RaizDatos(std::filesystem::path raiz) : raiz_(std::move(raiz)) {}

    const std::filesystem::path& raiz() const { return raiz_; }

    // Maps a logical "C:\Quel\..." path to the local file system.
    std::filesystem::path mapea(const std::string& ruta) const;
    // <root>/<relativo>, with '\' in `relativo` taken as a separator.
    std::filesystem::path en(const std::string& relativo) const;

    // Creates the root with its "Lenguajes", "Covariables" and "Grids"
    // folders when missing. Returns true when the "Lenguajes" folder was
    // created by this call (a first start). Throws std::filesystem_error
    // when the folders cannot be created.
    bool asegura() const;

private:
    std::filesystem::path raiz_;
};

}  // namespace quel
