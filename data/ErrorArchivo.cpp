#include "data/ErrorArchivo.h"

#include <algorithm>
#include <cstring>

namespace quel {

std::string imprimible(std::string_view texto, std::size_t maximo) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(std::min(texto.size(), maximo) + 8);
    for (std::size_t i = 0; i < texto.size() && i < maximo; ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c == '\\') {
            s += "\\\\";
        } else if (c >= 0x20 && c < 0x7f) {
            s.push_back(static_cast<char>(c));
        } else {
            s += "\\x";
            s.push_back(kHex[c >> 4]);
            s.push_back(kHex[c & 0xf]);
        }
    }
    if (texto.size() > maximo) s += "...";
    return s;
}

std::string razonSistema(int numero) { return std::strerror(numero); }

int fallaArchivo(ErrorArchivo* error, int codigo, int linea, std::string detalle, const std::filesystem::path& archivo) {
    if (error) *error = ErrorArchivo(codigo, linea, std::move(detalle), archivo);
    return codigo;
}

}  // namespace quel
