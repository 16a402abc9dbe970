#include "data/tablaResultados.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <memory>
#include <system_error>

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

// The text of the last number written, kept for an identical next one
// (compared bit for bit, so 0 and -0 stay apart).
template <class T>
struct Repetido {
    unsigned char bits[sizeof(T)] = {};
    bool hay = false;
    std::string texto;
    void agrega(std::string& destino, T v, int digitos) {
        unsigned char b[sizeof(T)] = {};
        std::memcpy(b, &v, std::is_same_v<T, long double> ? 10 : sizeof(T));
        if (!hay || std::memcmp(b, bits, sizeof(T)) != 0) {
            texto.clear();
            agregaNumero(texto, v, digitos);
            std::memcpy(bits, b, sizeof(T));
            hay = true;
        }
        destino += texto;
    }
};

}  // namespace

void agregaNumero(std::string& destino, long double v, int digitos) { agrega(destino, v, digitos); }

// A float goes out as the stream writes it: widened to double first.
void agregaNumero(std::string& destino, float v, int digitos) {
    agrega(destino, static_cast<double>(v), digitos);
}

bool escribe(quel::ArchivoNuevo& archivo, const Titulos& titulos, const TImagenN<float>& coordenadas,
             const TImagenN<long double>& valores, int digitos) {
    const int filas = coordenadas.renglones;
    if ((coordenadas.columnas < 2 && filas > 0) ||
        (filas > 0 && (valores.columnas < 1 || valores.renglones < filas))) {
        archivo.falla("the result does not cover every row of the coordinate table");
        return false;
    }
    std::string bloque = titulos.x + ", " + titulos.y + "," + titulos.valor + ",\n";
    // Neighbouring rows often repeat a latitude or a value: their text is reused.
    Repetido<float> y;
    Repetido<long double> valor;
    for (int r = 0; r < filas; ++r) {
        const auto rr = static_cast<std::size_t>(r);
        agregaNumero(bloque, coordenadas.datos[0][rr], kDigitos);
        bloque += ',';
        y.agrega(bloque, coordenadas.datos[1][rr], kDigitos);
        bloque += ',';
        valor.agrega(bloque, valores.datos[0][rr], digitos);
        bloque += '\n';
        if (bloque.size() >= (1u << 16)) {
            if (!archivo.agrega(bloque)) return false;
            bloque.clear();
        }
    }
    return archivo.agrega(bloque);
}

bool escribe(const std::filesystem::path& ruta, const Titulos& titulos, const TImagenN<float>& coordenadas,
             const TImagenN<long double>& valores, int digitos, std::string* razon) {
    return quel::escribeSeguro(
        ruta, [&](quel::ArchivoNuevo& f) { return escribe(f, titulos, coordenadas, valores, digitos); }, razon);
}

}  // namespace tablaResultados
