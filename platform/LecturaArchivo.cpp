#include "platform/LecturaArchivo.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

namespace quel {

Lectura leeArchivo(const std::filesystem::path& ruta, std::string& texto, int* errorSistema) {
    auto falla = [&](Lectura l, int e) {
        if (errorSistema) *errorSistema = e;
        return l;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(ruta, ec)) return falla(Lectura::kCarpeta, 0);
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ruta.c_str(), "rb"), &std::fclose);
    if (!f) return falla(Lectura::kNoAbre, errno);
    texto.clear();
    std::vector<char> buf(1 << 16);
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0) texto.append(buf.data(), n);
    if (std::ferror(f.get())) return falla(Lectura::kNoLee, errno);
    return Lectura::kBien;
}

}  // namespace quel
