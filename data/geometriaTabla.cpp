#include "data/geometriaTabla.h"

#include <cmath>

namespace quel {

bool GeometriaTabla::lee(const TImagenN<float>& coordenadas) {
    *this = GeometriaTabla{};
    if (coordenadas.columnas < 2 || coordenadas.renglones < 1) return false;
    const int filas = coordenadas.renglones;
    const auto& x = coordenadas.datos[0];
    const auto& y = coordenadas.datos[1];
    int n = 0;
    while (n < filas && y[static_cast<std::size_t>(n)] == y[0]) ++n;
    if (filas % n != 0) return false;
    ncols = n;
    nrows = filas / n;
    const auto abajo = static_cast<std::size_t>(filas - n);
    xll = x[abajo];
    yll = y[abajo];
    celda = filas >= 2 ? std::fabs(x[1] - x[0]) : 0.0f;
    return true;
}

long long GeometriaTabla::celdaDe(double x, double y) const {
    if (!(celda > 0)) return -1;
    const double c = std::floor((x - xll) / celda);
    const double f = std::floor((y - yll) / celda);  // rows from the bottom
    if (!(c >= 0 && c < ncols && f >= 0 && f < nrows)) return -1;
    return static_cast<long long>(nrows - 1 - static_cast<long long>(f)) * ncols + static_cast<long long>(c);
}

}  // namespace quel
