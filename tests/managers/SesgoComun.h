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

// The 6 x 5 region of the bias runs, files' text: two covariates, cities at
// two cells (or `ciudades`, top row first), a road every sixth cell and a
// richness grid over the cells of the covariate table.
struct RegionSesgo {
    std::string covariables, ciudades, carreteras, riqueza;

    explicit RegionSesgo(std::vector<double> valoresCiudades = {}) {
        std::vector<std::vector<int>> clases;
        std::vector<double> r(30, 0), s(30, 0);
        for (int i = 0; i < 30; ++i) {
            clases.push_back({1 + (i % 6) / 2, 1 + (i / 6) % 3});
            s[static_cast<std::size_t>(i)] = 5 + (i * 7) % 23;
            if (i % 6 == 2) r[static_cast<std::size_t>(i)] = 1;
        }
        if (valoresCiudades.empty()) {
            valoresCiudades.assign(30, 0);
            valoresCiudades[7] = 50;
            valoresCiudades[22] = 8;
        }
        covariables = tablaCovariables(region(6, 5, -105, 19, 0.1, clases));
        ciudades = grid(6, 5, -105, 19, 0.1, valoresCiudades);
        carreteras = grid(6, 5, -105, 19, 0.1, r);
        riqueza = grid(6, 5, -105, 19, 0.1, s);
    }
};

}  // namespace prueba_sesgo
