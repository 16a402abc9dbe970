#pragma once
// Assignment of presence sites to their nearest valid row of the covariate table.
#include "data/TImagenN.h"

// For each site s (columns 0, 1 of `sitios` = x, y), stores into sitios.datos[2][s]
// the index of the nearest row whose region flag (last column of `covariables`)
// is 1, as a real; ties go to the first row. A site with no valid row closer
// than 1e6 gets -1 and counts nowhere. Returns the number of such sites.
int asignaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                 TImagenN<float>& sitios);
