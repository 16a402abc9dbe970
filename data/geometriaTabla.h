#pragma once
// The grid a covariate table's coordinates lie on.
#include <string>

#include "data/TImagenN.h"
#include "data/regionCompacta.h"

namespace quel {

// Read from the coordinate table as the result grids are written: the
// columns are the cells sharing the first row's y, the corner is the
// bottom-left cell's coordinates (every coordinate is a cell's lower-left
// corner), the cell size the width of the first row divided by its cells
// less one, in double precision (from the heights of the rows for a single
// column).
struct GeometriaTabla {
    int ncols = 0;
    int nrows = 0;
    double xll = 0;
    double yll = 0;
    double celda = 0;

    // False, with the reason in `*razon` when given, when the table gives no
    // valid grid: no rows, coordinates that are not finite, rows of unequal
    // length, rows that do not run row by row from the top-left cell and left
    // to right, or no cell size (a single cell, cells all at one x).
    bool lee(const TImagenN<float>& coordenadas, std::string* razon = nullptr);
    bool lee(const CoordenadasRegion& coordenadas, std::string* razon = nullptr);
    // Index in table order (top row first) of the cell holding (x, y); -1
    // outside the grid. A point on a shared edge belongs to the cell to its
    // right and above.
    long long celdaDe(double x, double y) const;

private:
    template <class Fuente>
    bool leeDe(const Fuente& fuente, std::string* razon);
};

// The cell size as GeometriaTabla::lee takes it, without checking the rest of
// the grid: the first row's x extent over its cells less one, in double; for
// a single column the y extent over the rows less one; 0 for a single cell
// or when that size is not positive and finite.
double celdaDeTabla(const TImagenN<float>& coordenadas);
double celdaDeTabla(const CoordenadasRegion& coordenadas);

}  // namespace quel
