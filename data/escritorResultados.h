#pragma once
// The files of one result surface, written as the results come: the
// comma-separated table and the ESRI ASCII grid, fed row block by row block,
// so that a region of 10^8 cells never needs its whole text in memory. The
// bytes are those of tablaResultados::escribe and exportaArchivo::textoGrid
// for the same values: all of them format rows through textoResultados.
#include <cstddef>
#include <string>
#include <vector>

#include "data/TImagenN.h"
#include "data/geometriaTabla.h"
#include "data/regionCompacta.h"
#include "data/tablaResultados.h"

namespace quel {

class ArchivoNuevo;

namespace textoResultados {

// The x and y of a result's rows, from a loaded coordinate table (rows x 2)
// or from a compact region.
class Filas {
public:
    explicit Filas(const TImagenN<float>& tabla) : tabla_(&tabla) {}
    explicit Filas(const CoordenadasRegion& region) : region_(&region) {}
    float x(std::size_t r) const { return tabla_ ? tabla_->datos[0][r] : region_->x(r); }
    float y(std::size_t r) const { return tabla_ ? tabla_->datos[1][r] : region_->y(r); }

private:
    const TImagenN<float>* tabla_ = nullptr;
    const CoordenadasRegion* region_ = nullptr;
};

// "X, Y,VALUE,\n"
std::string lineaTitulos(const tablaResultados::Titulos& titulos);
// The six header lines of the grid.
void cabeceraGrid(std::string& destino, const GeometriaTabla& geometria);
// Appends the table lines "x,y,value\n" of rows desde .. desde + n - 1, whose
// values are valores[0 .. n - 1] (all 0 when null). `textosX`, when given,
// holds the text of the x of every lattice column (row r lies in column
// r % size).
void lineasTabla(std::string& destino, const Filas& filas, std::size_t desde, const long double* valores,
                 std::size_t n, int digitos, const std::vector<std::string>* textosX = nullptr);
// Appends the grid cells of those rows, a line feed before each row whose y
// differs from the row before it (row 0 starts the first line).
void celdasGrid(std::string& destino, const Filas& filas, std::size_t desde, const long double* valores,
                std::size_t n);

}  // namespace textoResultados

class EscritorSuperficie {
public:
    // `tabla` and `grid`: files being written (platform/EscrituraSegura.h), either may be null (not
    // written). `coordenadas`: of every row (data/regionCompacta.h; a lattice or per-row). `hilos`
    // worker threads to format the text (0: every core); the bytes never depend on it.
    EscritorSuperficie(ArchivoNuevo* tabla, ArchivoNuevo* grid, const tablaResultados::Titulos& titulos,
                       const CoordenadasRegion& coordenadas, int digitos, int hilos);
    // Before the first block: false, with the reason, when the coordinates give no result grid
    // (GeometriaTabla::lee) and a grid is to be written. Writes the headers.
    bool inicia(std::string& razon);
    // The values of rows desde .. desde + n - 1; blocks come in order and cover every row once.
    bool agrega(std::size_t desde, const long double* valores, std::size_t n);
    // After the last block (false when a write failed: ArchivoNuevo::razon() says why).
    bool termina();

private:
    // Marks both files failed with `razon` and returns false.
    bool falla(const std::string& razon);
    // Sends a sub-block's text to its file, gathering small ones into fewer writes.
    static bool envia(ArchivoNuevo& archivo, std::string& pendiente, const std::string& texto);

    ArchivoNuevo* tabla_;
    ArchivoNuevo* grid_;
    std::string titulos_;
    const CoordenadasRegion& coordenadas_;
    int digitos_;
    int hilos_;
    bool iniciado_ = false;
    std::size_t siguiente_ = 0;  // first row of the next block
    std::vector<std::string> textosX_;
    // The text of each sub-block of a round, reused from one round to the next.
    std::vector<std::string> textoTabla_, textoGrid_;
    // Text not yet written, while small blocks come.
    std::string pendienteTabla_, pendienteGrid_;
};

}  // namespace quel
