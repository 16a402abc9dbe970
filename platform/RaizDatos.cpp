#include "platform/RaizDatos.h"

#include <cctype>
#include <cstdlib>

namespace fs = std::filesystem;

namespace quel {

RaizDatos RaizDatos::desdeEntorno() {
    if (const char* h = std::getenv("QUEL_HOME"); h && *h) return RaizDatos(fs::path(h));
    const char* home = std::getenv("HOME");
    return RaizDatos(fs::path(home && *home ? home : ".") / "Quel");
}

namespace {
// Length of the "C:\Quel" prefix when `ruta` starts with it (followed by a
// separator or the end), else 0.
std::size_t prefijoLogico(const std::string& ruta) {
    static const std::string pre = "c:\\quel";
    if (ruta.size() < pre.size()) return 0;
    for (std::size_t i = 0; i < pre.size(); ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(ruta[i])));
        char p = pre[i];
        if (p == '\\' ? (c != '\\' && c != '/') : c != p) return 0;
    }
    if (ruta.size() == pre.size()) return pre.size();
    char s = ruta[pre.size()];
    return (s == '\\' || s == '/') ? pre.size() : 0;
}
}  // namespace

fs::path RaizDatos::en(const std::string& relativo) const {
    fs::path p = raiz_;
    std::string parte;
    for (char c : relativo) {
        if (c == '\\' || c == '/') {
            if (!parte.empty()) p /= parte;
            parte.clear();
        } else {
            parte += c;
        }
    }
    if (!parte.empty()) p /= parte;
    return p;
}

fs::path RaizDatos::mapea(const std::string& ruta) const {
    std::size_t n = prefijoLogico(ruta);
    if (n == 0) return fs::path(ruta);
    return en(ruta.substr(n));
}

bool RaizDatos::asegura() const {
    fs::create_directories(raiz_);
    fs::create_directories(raiz_ / "Covariables");
    fs::create_directories(raiz_ / "Grids");
    return fs::create_directories(raiz_ / "Lenguajes");
}

}  // namespace quel
