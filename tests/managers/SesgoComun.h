#pragma once
// Inputs of the bias tests: covariate tables, ASCII grids and site files
// written in the formats the program reads.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/testutil.h"

namespace prueba_sesgo {

// One covariate-table row: coordinates, classes (the key) and the region flag.
struct Fila {
    double x, y;
    std::vector<int> clases;
    int region = 1;
};

inline std::string numero(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

// A covariate table as the covariate manager writes it (no final line break).
inline std::string tablaCovariables(const std::vector<Fila>& filas) {
    const std::size_t m = filas.empty() ? 0 : filas[0].clases.size();
    std::string s;
    for (std::size_t i = 0; i < m; ++i) s += "c" + std::to_string(i + 1) + ",9,\n";
    s += "**********\nLong,Lat,";
    for (std::size_t i = 0; i < m; ++i) s += "c" + std::to_string(i + 1) + ",";
    s += "\n";
    for (std::size_t r = 0; r < filas.size(); ++r) {
        if (r > 0) s += "\n";
        s += numero(filas[r].x) + "," + numero(filas[r].y) + ",";
        for (int c : filas[r].clases) s += std::to_string(c) + ",";
        s += std::to_string(filas[r].region) + ",";
    }
    return s;
}

// An ASCII grid in the program's own layout: every value followed by a
// blank, no line break after the last row. `valores` top row first.
inline std::string grid(int ncols, int nrows, double xll, double yll, double tamano,
                        const std::vector<double>& valores) {
    std::string s = "ncols         " + std::to_string(ncols) + "\nnrows         " + std::to_string(nrows) +
                    "\nxllcorner     " + numero(xll) + "\nyllcorner     " + numero(yll) + "\ncellsize      " +
                    numero(tamano) + "\nNODATA_value  -9999\n";
    for (int r = 0; r < nrows; ++r) {
        if (r > 0) s += "\n";
        for (int c = 0; c < ncols; ++c) s += numero(valores[static_cast<std::size_t>(r * ncols + c)]) + " ";
    }
    return s;
}

// A grid covering exactly the cells of a row-major covariate table.
inline std::vector<Fila> region(int ncols, int nrows, double xll, double yll, double tamano,
                                const std::vector<std::vector<int>>& clases) {
    std::vector<Fila> f;
    for (int r = 0; r < nrows; ++r)
        for (int c = 0; c < ncols; ++c)
            f.push_back({xll + c * tamano, yll + (nrows - 1 - r) * tamano,
                         clases[static_cast<std::size_t>(r * ncols + c)], 1});
    return f;
}

}  // namespace prueba_sesgo
