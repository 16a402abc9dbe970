#include "data/geometriaTabla.h"

#include <cmath>

#include "data/exportaArchivo.h"

namespace quel {

namespace {

// The coordinates of a table whichever way they are held.
struct DeTabla {
    const TImagenN<float>& c;
    int filas() const { return c.columnas >= 2 ? c.renglones : 0; }
    float x(std::size_t i) const { return c.datos[0][i]; }
    float y(std::size_t i) const { return c.datos[1][i]; }
};
struct DeRegion {
    const CoordenadasRegion& c;
    int filas() const { return static_cast<int>(c.size()); }
    float x(std::size_t i) const { return c.x(i); }
    float y(std::size_t i) const { return c.y(i); }
};

template <class Fuente>
double tamanoCelda(const Fuente& f) {
    const int filas = f.filas();
    if (filas < 2) return 0;
    std::size_t n = 1;  // cells of the first row: those sharing its y
    while (n < static_cast<std::size_t>(filas) && f.y(n) == f.y(0)) ++n;
    // From the whole extent of the first row, or of the only column.
    const std::size_t ultima = static_cast<std::size_t>(filas) - 1;
    const double celda = n > 1 ? (static_cast<double>(f.x(n - 1)) - f.x(0)) / static_cast<double>(n - 1)
                               : (static_cast<double>(f.y(0)) - f.y(ultima)) / static_cast<double>(ultima);
    return celda > 0 && std::isfinite(celda) ? celda : 0;
}

}  // namespace

bool GeometriaTabla::lee(const TImagenN<float>& coordenadas, std::string* razon) {
    return leeDe(DeTabla{coordenadas}, razon);
}

bool GeometriaTabla::lee(const CoordenadasRegion& coordenadas, std::string* razon) {
    return leeDe(DeRegion{coordenadas}, razon);
}

template <class Fuente>
bool GeometriaTabla::leeDe(const Fuente& fuente, std::string* razon) {
    *this = GeometriaTabla{};
    const int filas = fuente.filas();
    auto x = [&](int i) { return fuente.x(static_cast<std::size_t>(i)); };
    auto y = [&](int i) { return fuente.y(static_cast<std::size_t>(i)); };
    auto texto = [](double v) {
        std::string t;
        formato::real(t, v);
        return t;
    };
    auto rechaza = [&](int fila, const std::string& porque) {
        if (razon) *razon = (fila >= 0 ? "coordinate row " + std::to_string(fila + 1) + ": " : std::string()) + porque;
        *this = GeometriaTabla{};
        return false;
    };

    if (filas == 0) return rechaza(-1, "the coordinate table has no rows");
    for (int i = 0; i < filas; ++i)
        if (!std::isfinite(x(i)) || !std::isfinite(y(i))) return rechaza(i, "x or y is not a finite number");
    int n = 0;
    while (n < filas && y(n) == y(0)) ++n;
    if (filas % n != 0)
        return rechaza(-1, "the first grid row holds " + std::to_string(n) + " cells, which do not divide the " +
                               std::to_string(filas) + " rows of the table: grid rows of unequal length");
    ncols = n;
    nrows = filas / n;
    if (filas == 1) return rechaza(-1, "a single cell gives no cell size");
    celda = tamanoCelda(fuente);
    const double mitad = celda > 0 ? celda / 2 : 0;
    // The table must run row by row from the top-left cell, left to right.
    for (int r = 0; r < nrows; ++r) {
        const int ini = r * ncols;
        const std::string renglon = "grid row " + std::to_string(r + 1);
        if (r > 0 && !(y(ini) < y(ini - ncols)))
            return rechaza(ini, renglon + " lies at y = " + texto(y(ini)) + ", not below the row above (y = " +
                                    texto(y(ini - ncols)) + "): the table must run row by row from the top-left cell");
        if (r > 0 && std::fabs(static_cast<double>(x(ini)) - x(0)) > mitad)
            return rechaza(ini, renglon + " starts at x = " + texto(x(ini)) + ", not at the first row's x = " +
                                    texto(x(0)));
        for (int c = 1; c < ncols; ++c) {
            const int i = ini + c;
            if (y(i) != y(ini))
                return rechaza(i, "y = " + texto(y(i)) + " where " + renglon + " lies at y = " + texto(y(ini)) +
                                      ": grid rows of unequal length or out of order");
            if (x(i) < x(i - 1))
                return rechaza(i, "x = " + texto(x(i)) + " lies left of the cell before it (x = " +
                                      texto(x(i - 1)) + "): each row must run from left to right");
        }
    }
    if (!(celda > 0) || !std::isfinite(celda))
        return rechaza(-1, "the cells of the first grid row all lie at x = " + texto(x(0)) +
                               ", so they give no cell size");
    const auto abajo = filas - ncols;  // first cell of the bottom row
    xll = x(abajo);
    yll = y(abajo);
    return true;
}

double celdaDeTabla(const TImagenN<float>& coordenadas) { return tamanoCelda(DeTabla{coordenadas}); }

double celdaDeTabla(const CoordenadasRegion& coordenadas) { return tamanoCelda(DeRegion{coordenadas}); }

long long GeometriaTabla::celdaDe(double x, double y) const {
    if (!(celda > 0)) return -1;
    const double c = std::floor((x - xll) / celda);
    const double f = std::floor((y - yll) / celda);  // rows from the bottom
    if (!(c >= 0 && c < ncols && f >= 0 && f < nrows)) return -1;
    return static_cast<long long>(nrows - 1 - static_cast<long long>(f)) * ncols + static_cast<long long>(c);
}

}  // namespace quel
