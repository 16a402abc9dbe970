#include "data/tablaResultados.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <system_error>

#include "data/escritorResultados.h"
#include "platform/EscrituraSegura.h"

namespace tablaResultados {

namespace {

template <class T>
void agrega(std::string& destino, T v, int digitos) {
    char buf[128];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general,
                                 std::clamp(digitos, 1, 40));
    destino.append(buf, r.ec == std::errc() ? r.ptr : buf);
}

}  // namespace

void agregaNumero(std::string& destino, long double v, int digitos) { agrega(destino, v, digitos); }

// A float goes out as the stream writes it: widened to double first.
void agregaNumero(std::string& destino, float v, int digitos) {
    agrega(destino, static_cast<double>(v), digitos);
}

bool escribe(quel::ArchivoNuevo& archivo, const Titulos& titulos, const TImagenN<float>& coordenadas,
             const TImagenN<long double>& valores, int digitos) {
    const int total = coordenadas.renglones;
    if ((coordenadas.columnas < 2 && total > 0) ||
        (total > 0 && (valores.columnas < 1 || valores.renglones < total))) {
        archivo.falla("the result does not cover every row of the coordinate table");
        return false;
    }
    if (!archivo.agrega(quel::textoResultados::lineaTitulos(titulos))) return false;
    const quel::textoResultados::Filas filas(coordenadas);
    constexpr std::size_t kPorBloque = 4096;
    std::string bloque;
    const auto n = static_cast<std::size_t>(std::max(total, 0));
    for (std::size_t r = 0; r < n; r += kPorBloque) {
        const std::size_t m = std::min(kPorBloque, n - r);
        bloque.clear();
        quel::textoResultados::lineasTabla(bloque, filas, r, &valores.datos[0][r], m, digitos);
        if (!archivo.agrega(bloque)) return false;
    }
    return true;
}

bool escribe(const std::filesystem::path& ruta, const Titulos& titulos, const TImagenN<float>& coordenadas,
             const TImagenN<long double>& valores, int digitos, std::string* razon) {
    return quel::escribeSeguro(
        ruta, [&](quel::ArchivoNuevo& f) { return escribe(f, titulos, coordenadas, valores, digitos); }, razon);
}

}  // namespace tablaResultados
