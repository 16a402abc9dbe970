#pragma once
// A loaded region held in as few bytes per cell as its values allow: what a
// prediction over a continent keeps in memory. The covariate codes of each
// column take the narrowest whole-number type that holds them (one byte below
// 256 categories), the region flag and the prior class a byte each, the bias
// its single-precision value (none when uniform), and the coordinates no
// bytes per cell when the table is a regular lattice.
//
// Every value is the one the text loaders of cargaArchivo store for the same
// file, so a run over a compact region gives the results of a run over the
// loaded dataset to the last bit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/TImagenN.h"

namespace quel {

// Whole numbers in 1, 2 or 4 bytes each; the column widens (copying what it
// holds) the first time a value does not fit.
class ColumnaEnteros {
public:
    int ancho() const { return ancho_; }
    std::size_t size() const { return n_; }
    int operator[](std::size_t r) const {
        switch (ancho_) {
        case 1: return a8_[r];
        case 2: return a16_[r];
        default: return a32_[r];
        }
    }
    const std::uint8_t* datos8() const { return a8_.data(); }
    const std::int16_t* datos16() const { return a16_.data(); }
    const std::int32_t* datos32() const { return a32_.data(); }

    // Resizes to `n` values (new ones 0).
    void redimensiona(std::size_t n);
    void reserva(std::size_t n);
    void fija(std::size_t r, int v) {
        if (!cabe(v)) ensancha(v);
        switch (ancho_) {
        case 1: a8_[r] = static_cast<std::uint8_t>(v); break;
        case 2: a16_[r] = static_cast<std::int16_t>(v); break;
        default: a32_[r] = v; break;
        }
    }
    void agrega(int v) {
        redimensiona(n_ + 1);
        fija(n_ - 1, v);
    }
    // Appends `n` values at once, widening first when any does not fit.
    void agrega(const std::int32_t* v, std::size_t n);
    std::size_t bytes() const { return a8_.capacity() + 2 * a16_.capacity() + 4 * a32_.capacity(); }
    // Gives back the room reserved beyond the values held.
    void ajusta();
    void libera();

private:
    bool cabe(int v) const {
        if (ancho_ == 1) return v >= 0 && v <= 255;
        if (ancho_ == 2) return v >= -32768 && v <= 32767;
        return true;
    }
    void ensancha(int v);
    int ancho_ = 1;
    std::size_t n_ = 0;
    std::vector<std::uint8_t> a8_;
    std::vector<std::int16_t> a16_;
    std::vector<std::int32_t> a32_;
};

// The x and y of every row of a covariate table. A regular lattice (rows of
// equal length, each row's cells at the x values of the first row, one y
// per row of cells, the table running row by row) keeps one x per column
// and one y per row of cells; any other table keeps both per row.
class CoordenadasRegion {
public:
    std::size_t size() const { return n_; }
    bool reticula() const { return reticula_; }
    float x(std::size_t r) const { return reticula_ ? xs_[r % xs_.size()] : x_[r]; }
    float y(std::size_t r) const { return reticula_ ? ys_[r / xs_.size()] : y_[r]; }
    // The lattice's columns (x of each) and rows (y of each); empty when irregular.
    const std::vector<float>& columnasX() const { return xs_; }
    const std::vector<float>& filasY() const { return ys_; }

    // Appends the next row of the table, turning to the per-row form the
    // first time a row breaks the lattice (and for good).
    void agrega(float x, float y);
    // Appends `n` rows at once (x[i], y[i]), as agrega does one by one.
    void agrega(const float* x, const float* y, std::size_t n);
    // Ends the rows: a table whose last row of cells is shorter than the
    // others is no lattice.
    void cierra();
    // Room for `n` rows in all, should the table turn out not to be a
    // lattice; `ajusta` gives back what the rows did not take.
    void reserva(std::size_t n);
    void ajusta();
    // The rows as the loaded dataset holds them (rows x 2: x, y).
    TImagenN<float> comoTabla() const;
    std::size_t bytes() const { return 4 * (xs_.capacity() + ys_.capacity() + x_.capacity() + y_.capacity()); }
    void libera();

private:
    void aPorFila();
    // Whether row x, y at column `col` of the lattice keeps it one.
    bool sigueReticula(std::size_t col, float x, float y) const;
    bool reticula_ = true;
    bool anchoFijo_ = false;  // the first row of cells has ended
    std::size_t n_ = 0;
    std::size_t previstas_ = 0;  // rows announced by reserva
    std::vector<float> xs_, ys_;
    std::vector<float> x_, y_;
};

// One region as a prediction reads it.
struct RegionCompacta {
    int numCovariables = 0;
    // Name and number of categories of each covariate, as cargaArchivo
    // stores them (nombresCovariables, categorias).
    std::vector<std::string> nombres;
    std::vector<float> categorias;
    CoordenadasRegion coordenadas;
    // One column per covariate; rows outside the region (flag other than 1)
    // hold 0, whatever the table says there.
    std::vector<ColumnaEnteros> codigos;
    // 1 where the region flag is 1, else 0.
    std::vector<std::uint8_t> valida;

    // Bias: the value of every row, or uniform (1 / valid rows inside the
    // region, 0 outside, as cargaArchivo::sesgoUniforme gives it).
    bool sesgoUniforme = true;
    std::vector<float> sesgo;
    // Prior classes 0..3 of every row, or uniform (2 inside the region, 0
    // outside, as cargaArchivo::prioriUniforme gives it).
    bool prioriUniforme = true;
    std::vector<std::uint8_t> priori;

    std::size_t filas() const { return valida.size(); }
    std::size_t validas() const;
    // The uniform bias value of a region with this many valid rows.
    static float valorSesgoUniforme(std::size_t validas);
    // Bytes held, for the reports of the benchmarks.
    std::size_t bytes() const;
};

// True when both hold the same values to the last bit (coordinates, codes
// and the width of their columns, flags, bias and prior), lattice or not.
bool mismaRegion(const RegionCompacta& a, const RegionCompacta& b);

}  // namespace quel
