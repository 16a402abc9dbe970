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
// of equally close rows wins). Built once over the table (a 2-d tree), each
// query visits only the part of the region that can hold the answer.
class buscadorFilas {
public:
    buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas);
    // Row index, or -1 when no valid row is closer than 1e6.
    int fila(float x, float y) const;
    int validas() const { return static_cast<int>(puntos_.size()); }

private:
    struct Punto {
        double x, y;
        int fila;
    };
    struct Nodo {
        double minX, maxX, minY, maxY;
        int desde, hasta;      // range of puntos_
        int izquierdo = -1, derecho = -1;
    };
    int construye(int desde, int hasta);
    std::vector<Punto> puntos_;
    std::vector<Nodo> nodos_;
};
