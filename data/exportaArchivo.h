#pragma once
// ESRI ASCII grids in and out: reading a grid into its header and the mask
// file, classifying its cells into the categories of one covariate column,
// and writing a result surface back out as a grid.
//
// The mask "C:\Quel\Grids\MascaraTmp.txt" and the coordinate file
// "C:\Quel\CoordCovTmp.txt" live under the data root the object is given.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/LectorASCII.h"
#include "data/TImagenN.h"
#include "platform/RaizDatos.h"

namespace quel::formato {
// Appends a real in the stream's default format: six significant digits,
// trailing zeros dropped, exponent form for very small or large magnitudes.
void real(std::string& s, double v);
void entero(std::string& s, long long v);
// A count or class: a whole value as an integer (never "1e+06", which reads
// back as 1), any other as real().
void numero(std::string& s, double v);
// Writes `bytes` as the whole file, replacing it only once complete; false
// with the operating system's reason in `*razon` when it cannot be written.
bool escribeArchivo(const std::filesystem::path& ruta, std::string_view bytes, std::string* razon = nullptr);
}  // namespace quel::formato

// A class interval of single-precision bounds; v falls in it when low <= v <= high.
struct Intervalo {
    float bajo = 0;
    float alto = 0;
};

// Equal-frequency classes of the data cells' values (sorted in place): the
// k-th of `numClases` classes ends at the k/numClases quantile, the value at
// sorted position ceil(k * n / numClases), and takes every cell equal to it,
// so equal values never split between classes; classes left empty are
// dropped. Each interval runs from its first value to its last, in
// increasing order; none for no values or fewer than one class.
std::vector<Intervalo> clasesFrecuenciasIguales(std::vector<float>& valores, int numClases);

// The classes of one covariate. Automatic classes are `intervalos`; manual
// classes are the intervals (i, i + 1) for each whole i with 0 <= i < maximo,
// `numero` of them, kept implicit (a grid of large whole values would
// otherwise need one interval per value).
struct Clases {
    bool manual = false;
    bool cuantiles = false;  // automatic classes of equal frequency (contiguous intervals)
    std::vector<Intervalo> intervalos;
    int numero = 0;  // number of intervals = number of categories of the covariate
};

// The classes of a covariate: of equal frequency, the intervals `formados`
// (as clasesFrecuenciasIguales forms them from the data cells); of equal
// width over the grid's range [minimo, maximo]; or manual, up to maximo.
// 0, or 9 with why in `detalle` when they cannot be formed.
int formaClases(int numClases, bool manual, bool cuantiles, float maximo, float minimo,
                std::vector<Intervalo> formados, Clases& clases, std::string& detalle);

// The category of a data cell's value v under `clases`; `enHueco` tells when
// v fell between intervals (it takes the one below) or, with manual classes,
// is negative (category 0).
int categoriaDe(const Clases& clases, float v, bool& enHueco);

class exportaArchivo {
public:
    float maximo = 0;  // largest cell value found by the last range scan
    float minimo = 0;  // smallest cell value found by the last range scan
    // Header of the last grid read, in file order: ncols, nrows, xllcorner,
    // yllcorner, cellsize, no-data value.
    std::array<double, 6> encabezado{};

    explicit exportaArchivo(quel::RaizDatos raiz);

    // "C:\Quel\Grids\MascaraTmp.txt" and "C:\Quel\CoordCovTmp.txt" under the data root.
    std::filesystem::path rutaMascara() const;
    std::filesystem::path rutaCoordenadas() const;

    // Reads the grid, sets `encabezado` and writes the mask file: one line
    // per grid row, each value followed by a comma (a no-data cell as the
    // header's no-data value). Returns 0, or 12 for an unreadable or
    // malformed grid (see error()); the mask is then not written and
    // `encabezado` keeps its previous values.
    int convierteASCII(const std::filesystem::path& rutaGrid, const std::filesystem::path& rutaMascara);

    // Sets `maximo` and `minimo` from the cells of the grid converted last,
    // starting from the values they hold (no-data cells are skipped).
    void buscaExtremos();

    // Builds one covariate column from a grid into "C:\Quel\CoordCovTmp.txt":
    // x, y and the category per cell when `indice` is 0, only the category
    // otherwise. `numClases` automatic classes (of equal intervals, or of
    // equal frequency with `cuantiles`, then clases().numero may be fewer),
    // or manual classes. Returns 0, 12 for a malformed grid, 9 for fewer than
    // one automatic class or classes that cannot be formed from the grid's
    // range (or from a grid without data cells), 2 when the coordinate file
    // cannot be written.
    int generaCovariable(int numClases, const std::filesystem::path& rutaGrid, int indice, bool manual,
                         bool cuantiles = false);

    // Writes the coordinate file from the grid converted last. False when
    // the file cannot be written.
    bool escribeCoordenadas(const Clases& clases, int indice);

    // Writes a result surface as an ASCII grid, to the byte. `coordenadas` is
    // the dataset's coordinate table (rows x 2, row by row from the top-left
    // cell), `valores` one extended value per row in column 0 (0 = outside
    // the region, written as -9999). Returns false, with the reason in
    // `*razon`, when the table gives no valid grid (see textoGrid) or the
    // file cannot be written; nothing is written then.
    static bool exportaGrid(const std::filesystem::path& ruta, const TImagenN<float>& coordenadas,
                            const TImagenN<long double>& valores, std::string* razon = nullptr);
    // The text of that grid. The cell size is the width of the first row
    // divided by its cells less one (from the heights of the rows for a
    // one-column region). False, with why in `razon`, for a table that gives
    // no valid grid: no rows, a single cell, rows of unequal length, rows
    // that do not run from the top-left cell row by row, left to right.
    // (quel::EscritorSuperficie writes the same text a row block at a time.)
    static bool textoGrid(const TImagenN<float>& coordenadas, const TImagenN<long double>& valores,
                          std::string& texto, std::string& razon);

    // Results of the last generaCovariable: the classes, the category of every
    // cell in file order (0 for no-data), and how many cells fell in a gap
    // between intervals (they take the category of the interval just below).
    const Clases& clases() const { return clases_; }
    const std::vector<int>& categorias() const { return categorias_; }
    std::int64_t celdasEnHueco() const { return enHueco_; }
    // The grid converted last (header and cells).
    const quel::GridASCII& grid() const { return grid_; }
    // Why the last failing call failed.
    const quel::ErrorGrid& error() const { return error_; }

private:
    quel::RaizDatos raiz_;
    quel::GridASCII grid_;
    Clases clases_;
    std::vector<int> categorias_;
    std::int64_t enHueco_ = 0;
    quel::ErrorGrid error_;
};
