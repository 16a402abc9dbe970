#pragma once
// The comma-separated table of one result surface, as the main window's
// export writes it as text or under a spreadsheet name: a title line, then
// "x,y,value" for every row of the covariate table, each line ending with a
// line feed. A region whose results come in row blocks is written by
// quel::EscritorSuperficie (data/escritorResultados.h), to the same bytes.
#include <filesystem>
#include <string>

#include "data/TImagenN.h"

namespace quel {
class ArchivoNuevo;
}

namespace tablaResultados {

// Significant digits of the stream's default format.
constexpr int kDigitos = 6;

// Titles of the three columns: x, y and the surface's value.
struct Titulos {
    std::string x, y, valor;
};

// Appends `v` with `digitos` significant digits, trailing zeros dropped,
// exponent form for very small or large magnitudes (printf's %g), whatever
// the process's locale.
void agregaNumero(std::string& destino, long double v, int digitos);
void agregaNumero(std::string& destino, float v, int digitos);

// Writes the table: the title line "X, Y,VALUE," and one line per row of
// `coordenadas` with x and y (single precision, 6 significant digits) and
// column 0 of `valores` (`digitos` significant digits). Rows outside the
// study region carry their 0. Returns false, writing nothing, when
// `valores` has fewer rows than `coordenadas` or no column, or when the file
// cannot be written completely (the reason then in `*razon`, when given);
// the old file then stays as it was.
bool escribe(const std::filesystem::path& ruta, const Titulos& titulos,
             const TImagenN<float>& coordenadas, const TImagenN<long double>& valores,
             int digitos = kDigitos, std::string* razon = nullptr);
// The same into a file being written, which the caller puts in place.
bool escribe(quel::ArchivoNuevo& archivo, const Titulos& titulos, const TImagenN<float>& coordenadas,
             const TImagenN<long double>& valores, int digitos = kDigitos);

}  // namespace tablaResultados
