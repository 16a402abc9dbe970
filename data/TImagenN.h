#pragma once
// Rectangular table of one element type, stored column by column: datos[c][r].
// Every table and map of the program lives in one of these. Elements start
// value-initialised (0 for numbers, empty for strings).
#include <cstddef>
#include <string>
#include <vector>

template <class T>
class TImagenN {
public:
    int renglones = 0;
    int columnas = 0;
    std::vector<std::vector<T>> datos;

    TImagenN() = default;
    TImagenN(int r, int c) : renglones(r), columnas(c) {
        if (r < 0 || c < 0) { renglones = columnas = 0; return; }
        datos.resize(static_cast<std::size_t>(c));
        for (auto& col : datos) col.assign(static_cast<std::size_t>(r), T{});
    }
    TImagenN(const TImagenN&) = delete;
    TImagenN& operator=(const TImagenN&) = delete;
    TImagenN(TImagenN&&) noexcept = default;
    TImagenN& operator=(TImagenN&&) noexcept = default;

    // Releases every column; the object stays usable as an empty grid.
    void limpia() {
        datos.clear();
        datos.shrink_to_fit();
        renglones = 0;
        columnas = 0;
    }
};

using AnsiString = std::string;
