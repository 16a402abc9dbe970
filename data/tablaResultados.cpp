#include "data/tablaResultados.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
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

// Whether the double nearest `v` has the same text as `v` with `digitos`
// digits, so that the much faster double conversion can write it: when `v`
// is that double, or when `digitos` is at most 12 and the double lies clear
// of every half-way point between two numbers of `digitos` digits. The
// extended value lies within 2^-53 of the double, relatively, and a half-way
// point at least 1.5 units of the third digit past the last one written away
// from the double is more than 10^-16 away, relatively: both round alike.
bool comoDouble(long double v, int digitos, double& d) {
    d = static_cast<double>(v);
    if (static_cast<long double>(d) == v) return true;
    if (digitos > 12 || !std::isfinite(d) || std::fabs(d) < std::numeric_limits<double>::min()) return false;
    char buf[64];  // "-d." and 14 digits and an exponent
    const auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, digitos + 2);
    const char* e = std::find(buf, r.ptr, 'e');
    if (r.ec != std::errc() || e - buf < 4) return false;
    const int tres = (e[-3] - '0') * 100 + (e[-2] - '0') * 10 + (e[-1] - '0');
    return tres < 499 || tres > 501;
}

}  // namespace

void agregaNumero(std::string& destino, long double v, int digitos) {
    double d = 0;
    if (comoDouble(v, std::clamp(digitos, 1, 40), d))
        agrega(destino, d, digitos);
    else
        agrega(destino, v, digitos);
}

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
