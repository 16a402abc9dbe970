// Fuzz target: the result-grid writer over arbitrary coordinate tables. A
// table is either refused with a reason or gives a grid whose header counts
// cover every row and whose cell size is a positive finite number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/exportaArchivo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
    // Pairs of single-precision x, y; the small whole values of the first
    // bytes make regular rows likely enough to reach the body.
    const int filas = static_cast<int>(tam / 8);
    TImagenN<float> coordenadas(filas, 2);
    TImagenN<long double> valores(filas, 1);
    for (int i = 0; i < filas; ++i) {
        float xy[2];
        std::memcpy(xy, datos + static_cast<std::size_t>(i) * 8, sizeof xy);
        coordenadas.datos[0][static_cast<std::size_t>(i)] = xy[0];
        coordenadas.datos[1][static_cast<std::size_t>(i)] = xy[1];
        valores.datos[0][static_cast<std::size_t>(i)] = i % 3;
    }
    std::string texto, razon;
    if (!exportaArchivo::textoGrid(coordenadas, valores, texto, razon)) {
        if (razon.empty()) std::abort();
        return 0;
    }
    long ncols = 0, nrows = 0;
    double celda = 0;
    const char* t = texto.c_str();
    ncols = std::strtol(std::strstr(t, "ncols") + 5, nullptr, 10);
    nrows = std::strtol(std::strstr(t, "nrows") + 5, nullptr, 10);
    celda = std::strtod(std::strstr(t, "cellsize") + 8, nullptr);
    if (ncols * nrows != filas || !(celda > 0) || celda - celda != 0) std::abort();
    return 0;
}
