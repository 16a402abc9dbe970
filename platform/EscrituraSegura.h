#pragma once
// Files written for the user are never seen half-written: the bytes go to a
// fresh temporary file in the target's own folder, which is flushed to disk,
// checked and only then renamed over the target. A write that fails, or a
// process that dies on the way, leaves the previous file as it was and no
// temporary behind. (The temporary has no name until it is complete where
// the file system allows it; elsewhere a killed process may leave a hidden
// ".NAME.*.tmp".)
//
// A target that is a symbolic link is refused rather than followed or
// replaced, so that a link never sends a result somewhere the user did not
// name. A target that is a folder is refused as well.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quel {

class ArchivoNuevo {
public:
    // Creates the temporary beside `destino`. When that is impossible (or the
    // target is refused) the object starts failed: see bien() and razon().
    explicit ArchivoNuevo(std::filesystem::path destino);
    // Removes the temporary unless it was put in place.
    ~ArchivoNuevo();
    ArchivoNuevo(const ArchivoNuevo&) = delete;
    ArchivoNuevo& operator=(const ArchivoNuevo&) = delete;

    // Appends bytes; false once anything has failed.
    bool agrega(std::string_view bytes);
    // Marks the file as failed with a reason of the caller's (nothing is put in place).
    void falla(std::string razon);
    // Flushes the temporary to disk and closes it; false when that fails.
    bool termina();
    // termina(), then renames the temporary over the target.
    bool coloca();

    bool bien() const { return razon_.empty(); }
    // Why the file could not be written: the operating system's reason, or
    // the refusal of the target.
    const std::string& razon() const { return razon_; }
    const std::filesystem::path& destino() const { return destino_; }

private:
    void descarta();
    void fallaSistema(int codigo);
    bool nombraAnonimo();  // links a file without a name to a temporary name

    std::filesystem::path destino_;
    std::filesystem::path temporal_;
    int fd_ = -1;
    bool anonimo_ = false;  // the temporary has no name until it is complete
    bool terminado_ = false;
    bool colocado_ = false;
    std::string razon_;
};

// Writes `bytes` as the whole of `destino`. False with the reason in
// `*razon` (when given) when it cannot be written; the old file then stays.
bool escribeSeguro(const std::filesystem::path& destino, std::string_view bytes, std::string* razon = nullptr);

// The same with the contents produced by `escritor`, which appends to the
// file it is given and returns false to abandon the write.
bool escribeSeguro(const std::filesystem::path& destino, const std::function<bool(ArchivoNuevo&)>& escritor,
                   std::string* razon = nullptr);

// Puts a set of files in place together: nothing is renamed unless every
// file of the set is complete on disk. False with the first failing file's
// reason, prefixed by its name, in `*razon`.
bool colocaTodos(const std::vector<ArchivoNuevo*>& archivos, std::string* razon = nullptr);

// True when `a` and `b` name the same file, through links or different
// spellings of the path; a path that does not exist yet is compared by its
// resolved form.
bool mismoArchivo(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace quel
