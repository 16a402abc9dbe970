#pragma once
// Assignment of presence sites to their nearest valid row of the covariate table.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/TImagenN.h"
#include "data/regionCompacta.h"

// A row stands for the cell whose lower-left corner it holds; distances to a
// row are measured to that cell's centre, the corner plus half the table's
// cell size (quel::celdaDeTabla) in x and y, so a site goes to the cell that
// contains it. A table without a cell size (a single cell) uses the corners.
//
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

// The same over a compact region: `valida[r]` is 1 for rows whose region flag is 1.
// A regular lattice is searched in place, with memory in its columns and rows
// only; any other table gets the bucket index of buscadorFilas.
int asignaSitios(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                 TImagenN<float>& sitios, std::vector<int>* filas);

// Where a site lies for the run: in the study region, outside it (it lies in
// no cell of the table, valid or not: beyond half a cell in x or y from the
// centre of the nearest row, or farther than 1e6 from every row), or on a
// no-data cell (the table's nearest row, among all rows, is closer than every
// valid row: the site's own cell is outside the region).
enum class LugarSitio { kRegion, kFuera, kSinDato };
// `validas`, when given, holds each site's nearest valid row as asignaSitios
// found it (-1 for none), which spares a second search.
std::vector<LugarSitio> ubicaSitios(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas,
                                    const TImagenN<float>& sitios, const std::vector<int>* validas = nullptr);
// The same over a compact region, `valida` as in asignaSitios.
std::vector<LugarSitio> ubicaSitios(const std::vector<std::uint8_t>& valida,
                                    const quel::CoordenadasRegion& coordenadas, const TImagenN<float>& sitios,
                                    const std::vector<int>* validas = nullptr);

// The sites of one species that lie outside the region (a run leaves them
// out) or on its no-data cells (a run counts them in the nearest region
// cell), for the reports.
struct DescarteEspecie {
    std::string especie;
    int sitios = 0;   // sites of the species
    int fuera = 0;    // outside the region: left out
    int sinDato = 0;  // on no-data cells: counted in the nearest region cell
    std::vector<std::pair<float, float>> primerosFuera;    // x, y of the first few of each kind
    std::vector<std::pair<float, float>> primerosSinDato;
    int descartados() const { return fuera; }
};
// One entry per species in site order (a species whose sites are not
// adjacent gets one entry per run of sites); `especies` may be null (one
// entry with an empty name). At most `cuantasCoordenadas` coordinates each.
std::vector<DescarteEspecie> resumeDescartes(const std::vector<LugarSitio>& lugares, const TImagenN<float>& sitios,
                                             const TImagenN<AnsiString>* especies, int cuantasCoordenadas = 3);

// Nearest valid row of a point, as the sequential scan defines it: distances
// to the rows' cell centres computed in double precision and rounded to
// single precision, a running
// best starting at 1e6 replaced only by a strictly closer row (so the first
// of equally close rows wins). Built once over the table (the valid rows
// sorted into a grid of buckets of about two rows each), a query visits the
// buckets around the point ring by ring and stops when no farther ring can
// hold a row as close as the best found.
class buscadorFilas {
public:
    // Over the valid rows, or over every row of the table when `todas`.
    buscadorFilas(const TImagenN<int>& covariables, const TImagenN<float>& coordenadas, bool todas = false);
    // Over a compact region's rows, `valida` as in asignaSitios.
    buscadorFilas(const std::vector<std::uint8_t>& valida, const quel::CoordenadasRegion& coordenadas,
                  bool todas = false);
    // Row index, or -1 when no valid row is closer than 1e6.
    int fila(float x, float y) const;
    int validas() const { return static_cast<int>(filas_.size()); }
    // Half the table's cell size: a row's centre lies this far from its corner in x and y.
    double mitad() const { return mitad_; }

private:
    template <class Fuente>
    void construye(const Fuente& fuente, bool todas);
    // Corners of the valid rows in bucket order (row order within a bucket);
    // their centres are these plus `mitad_`, formed in double when measured.
    std::vector<float> xs_, ys_;
    double mitad_ = 0;
    std::vector<int> filas_;
    std::vector<int> inicio_;  // first point of each bucket; one extra entry at the end
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0, anchoX_ = 1, anchoY_ = 1;
    int nx_ = 0, ny_ = 0;
};
