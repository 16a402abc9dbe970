#pragma once
// Assignment of presence sites to their nearest valid row of the covariate table.
#include <vector>

#include "data/TImagenN.h"

// For each site s (columns 0, 1 of `sitios` = x, y), stores into sitios.datos[2][s]
// the index of the nearest row whose region flag (last column of `covariables`)
// is 1, as a real; ties go to the first row. A site with no valid row closer
// than 1e6 gets -1 and counts nowhere. Returns the number of such sites.
int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios);

// As above; `filas` (when not null) receives the exact row index of every
// site (-1 when unassigned), free of the rounding of a real column on tables
// of more than 2^24 rows.
int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas);

// Nearest valid row of a point, as the sequential scan defines it: distances
// computed in double precision and rounded to single precision, a running
// best starting at 1e6 replaced only by a strictly closer row (so the first
// of equally close rows wins). Built once over the table (the valid rows
// sorted into a grid of buckets of about two rows each), a query visits the
// buckets around the point ring by ring and stops when no farther ring can
// hold a row as close as the best found.
class buscadorFilas {
public:
    buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas);
    // Row index, or -1 when no valid row is closer than 1e6.
    int fila(float x, float y) const;
    int validas() const { return static_cast<int>(filas_.size()); }

private:
    // Valid rows in bucket order (row order within a bucket).
    std::vector<float> xs_, ys_;
    std::vector<int> filas_;
    std::vector<int> inicio_;  // first point of each bucket; one extra entry at the end
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0, anchoX_ = 1, anchoY_ = 1;
    int nx_ = 0, ny_ = 0;
};
