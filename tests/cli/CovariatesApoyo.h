#pragma once
// Helpers of the command-line tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

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

// quel-cli with `args` in a child process: standard error into the file
// `err`, temporary files under `tmpdir`, standard output into the descriptor
// `salida` when given.
inline pid_t lanzaCli(std::vector<std::string> args, const std::string& err, const std::string& tmpdir,
                      int salida = -1) {
    args.insert(args.begin(), QUEL_CLI);
    const pid_t hijo = fork();
    if (hijo != 0) return hijo;
    if (salida >= 0) dup2(salida, STDOUT_FILENO);
    if (!std::freopen(err.c_str(), "w", stderr)) _exit(99);
    setenv("TMPDIR", tmpdir.c_str(), 1);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(QUEL_CLI, argv.data());
    _exit(98);
}

// The exit status of a child, -1 when it did not exit normally.
inline int estadoHijo(pid_t hijo) {
    int estado = 0;
    if (waitpid(hijo, &estado, 0) != hijo || !WIFEXITED(estado)) return -1;
    return WEXITSTATUS(estado);
}

}  // namespace apoyo
