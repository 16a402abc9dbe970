#pragma once
// Tolerant reader of ESRI ASCII grids (".asc").
//
// Grids come from many programs: GDAL, R and desktop GIS put blanks before
// values or none after the last one, end lines with CR LF, write keywords in
// capitals or in any order, give the centre of the lower-left cell
// ("xllcenter"/"yllcenter") instead of its corner, give "dx"/"dy" instead of
// "cellsize", omit "NODATA_value" (then -9999), write "null" for missing
// cells, or start the file with a UTF-8 byte-order mark (skipped). The body is
// taken as whitespace-separated tokens and fills the grid row by row, ncols
// tokens per grid row. When its first line holds exactly ncols values the
// file keeps one grid row per text line, and every line must then hold ncols
// values; otherwise rows may wrap over lines in any way. Grids the program
// writes itself read exactly as written.
//
// Anything it cannot make sense of is refused with code 12 (malformed input),
// naming the line and what was expected and found: a missing ncols/nrows/
// cellsize, unequal dx and dy, an unknown keyword, a token that is not a
// number, a value beyond single precision that is not the no-data value, a
// "nan" where the header's no-data value is a number, a line that does not
// hold one grid row, fewer or more values than ncols x nrows, an unreadable
// file (with the system's reason).
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/ErrorArchivo.h"

namespace quel {

struct EncabezadoASCII {
    // The six header values in the order the program keeps them: number of
    // columns, number of rows, x and y of the lower-left corner, cell size,
    // no-data value. A centre given in the file is already turned into the
    // corner here, in double precision (centre minus half a cell).
    double ncols = 0;
    double nrows = 0;
    double xllcorner = 0;
    double yllcorner = 0;
    double cellsize = 0;
    double nodata = -9999;

    // The origin as written in the file, and whether it named the centre.
    double xOrigen = 0;
    double yOrigen = 0;
    bool xCentro = false;
    bool yCentro = false;
    // False when the file has no NODATA_value line (nodata is then -9999).
    bool nodataExplicito = false;
    // The no-data value's text as written ("-9999" when absent).
    std::string nodataTexto = "-9999";
    // Whether a "nan" cell is a missing cell: the no-data value is "nan" or
    // "null", or the header does not name one.
    bool nanEsSinDato() const { return !nodataExplicito || std::isnan(nodata); }

    int columnas() const { return static_cast<int>(ncols); }
    int renglones() const { return static_cast<int>(nrows); }
    std::array<double, 6> valores() const {
        return {ncols, nrows, xllcorner, yllcorner, cellsize, nodata};
    }
    // The corner computed in single precision, for readers that hold their
    // header in floats: float(origin) - float(cellsize) / 2 for a centre,
    // float(origin) for a corner.
    float xEsquinaFloat() const;
    float yEsquinaFloat() const;
};

struct GridASCII {
    EncabezadoASCII encabezado;
    // ncols x nrows cell values in file order: top row first, left to right.
    // A no-data cell holds its value as written: the no-data value, or NaN
    // for a "nan"/"null" token.
    std::vector<double> valores;
    // 1 where the cell is no-data (see esSinDato), else 0; same order.
    std::vector<std::uint8_t> sinDato;
};

// What the reader reports: code 12, the line (from 1) and what was expected
// and found; the path-based readers also name the file.
using ErrorGrid = ErrorArchivo;

// Whether the number v is the no-data value `nodata`: equal in double, or
// equal once both are rounded to single precision (GDAL writes the float
// no-data value with more digits in the header than in the body, and R's
// -1.7e+308 lies beyond single precision, where both round to -infinity).
bool esSinDato(double v, double nodata);

// One body token as the reader hands it to a visitor.
struct CeldaASCII {
    std::string_view texto;  // the token as written
    double valor;            // its value (NaN for "nan"/"null" tokens)
    bool sinDato;            // a "nan"/"null" token or esSinDato(valor, nodata)
    int linea;               // line of the file, from 1
};

// Streams a grid: `alEncabezado` once the header is complete, then `alValor`
// for each of the ncols x nrows cells in order. Either callback may be empty.
// Returns 0, or 12 with `error` filled. The callbacks may have run for part of
// the cells when the grid turns out malformed.
int recorreGridASCII(const std::filesystem::path& ruta,
                     const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                     const std::function<void(const CeldaASCII&)>& alValor,
                     ErrorGrid* error = nullptr);
int recorreGridASCIITexto(std::string_view texto,
                          const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                          const std::function<void(const CeldaASCII&)>& alValor,
                          ErrorGrid* error = nullptr);

// Reads a whole grid. Returns 0, or 12 with `error` filled; on failure `grid`
// is left empty.
int leeGridASCII(const std::filesystem::path& ruta, GridASCII& grid, ErrorGrid* error = nullptr);
int leeGridASCIITexto(std::string_view texto, GridASCII& grid, ErrorGrid* error = nullptr);

// Reads a grid (an ESRI ASCII grid, or a raster GDAL reads) a block of grid
// rows at a time, holding no more than one block and a piece of the file:
// the header, cells and errors recorreGridASCII gives, the errors naming the
// file.
class LectorBloques {
public:
    LectorBloques();
    ~LectorBloques();
    LectorBloques(LectorBloques&&) noexcept;
    LectorBloques& operator=(LectorBloques&&) noexcept;

    // Opens the grid and reads its header. 0, or 12 (see error()).
    int abre(const std::filesystem::path& ruta);
    const EncabezadoASCII& encabezado() const;
    // Hands `alValor` the cells of the next `renglones` grid rows (of those
    // left). The call that hands over the last row reads the rest of the
    // file and checks the body as a whole. 0, or 12 (see error()).
    int lee(int renglones, const std::function<void(const CeldaASCII&)>& alValor);
    // Every row handed over and the body checked.
    bool terminado() const;
    const ErrorGrid& error() const;

private:
    struct Estado;
    std::unique_ptr<Estado> e_;
};

}  // namespace quel
