#pragma once
// The grid a covariate table's coordinates lie on.
#include "data/TImagenN.h"

namespace quel {

// Read from the coordinate table as the ASCII export reads it: the columns
// are the cells sharing the first row's y, the corner is the bottom-left
// cell's coordinates (every coordinate is a cell's lower-left corner), the
// cell size the step between the first two cells.
struct GeometriaTabla {
    int ncols = 0;
    int nrows = 0;
    double xll = 0;
    double yll = 0;
    double celda = 0;

    // False when the table holds no complete grid (no rows, or rows that are
    // not a multiple of the columns).
    bool lee(const TImagenN<float>& coordenadas);
    // Index in table order (top row first) of the cell holding (x, y); -1
    // outside the grid. A point on a shared edge belongs to the cell to its
    // right and above.
    long long celdaDe(double x, double y) const;
};

}  // namespace quel
