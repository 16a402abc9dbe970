#pragma once
// Helpers shared by the core tests: a private scratch folder per test and
// whole-file reads and writes that keep bytes exactly.
#include <filesystem>
#include <string>

namespace prueba {

// A fresh empty folder, removed when the object goes away.
class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;
    const std::filesystem::path& ruta() const { return ruta_; }
    std::filesystem::path operator/(const std::string& nombre) const { return ruta_ / nombre; }

private:
    std::filesystem::path ruta_;
};

void escribe(const std::filesystem::path& p, const std::string& bytes);
std::string lee(const std::filesystem::path& p);
// The source tree (for samples/ and resources/).
std::filesystem::path fuentes();

}  // namespace prueba
