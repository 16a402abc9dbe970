#pragma once
// Helpers of the command-line tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/testutil.h"

namespace apoyo {

struct Salida {
    int estado;
    std::string out, err;
};

// Runs a subcommand, capturing what it prints.
template <class F>
Salida corre(F comando, const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int estado = comando(args);
    return {estado, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

// A grid of cell size 1 at the origin; `extra` holds further header lines.
inline std::string grid(int ncols, int nrows, const std::string& cuerpo, const std::string& extra = "") {
    return "ncols " + std::to_string(ncols) + "\nnrows " + std::to_string(nrows) +
           "\nxllcorner 0\nyllcorner 0\ncellsize 1\n" + extra + cuerpo;
}

struct Carpeta {
    prueba::CarpetaTemporal t;
    std::string escribe(const std::string& nombre, const std::string& texto) {
        prueba::escribe(t / nombre, texto);
        return (t / nombre).string();
    }
    std::string operator/(const std::string& n) const { return (t / n).string(); }
};

}  // namespace apoyo
