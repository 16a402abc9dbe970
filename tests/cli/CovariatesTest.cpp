// quel-cli covariates and prior end to end: exact files, suffix rules, usage
// errors, error lines, gap reports and runs side by side.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cli/comandos.h"
#include "cli/grids.h"
#include "support/testutil.h"
#include "cli/CovariatesApoyo.h"

namespace fs = std::filesystem;

namespace {

using apoyo::Carpeta;
using apoyo::grid;
using apoyo::Salida;

Salida covariates(const std::vector<std::string>& args) { return apoyo::corre(cli::covariates, args); }

void esUso(const Salida& s) {
    EXPECT_EQ(s.estado, 2);
    EXPECT_NE(s.err.find("quel-cli covariates: "), std::string::npos) << s.err;
}

}  // namespace

TEST(CovariatesCli, SuffixOnlyAfterTheLastColon) {
    Carpeta c;
    // A ':' whose tail is neither a number nor "manual" belongs to the file name.
    auto a = c.escribe("c:x.asc", grid(2, 1, "1 2\n"));
    Salida s = covariates({"--out=" + (c / "t.txt"), a, a + ":3"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(prueba::lee(c / "t.txt").substr(0, 18), "c:x,10,\nc:x,3,\n***");
    EXPECT_EQ(cli::nombreCovariable("C:\\Quel\\Grids\\elev.2020.asc"), "elev");
    EXPECT_EQ(cli::nombreCovariable("a/b\\c/d.asc"), "d");
    EXPECT_EQ(cli::nombreCovariable("sinpunto"), "sinpunto");
}

TEST(CovariatesCli, UsageErrors) {
    Carpeta c;
    auto a = c.escribe("a.asc", grid(2, 1, "1 2\n"));
    const std::string t = c / "t.txt";
    for (const auto& args : std::vector<cli::Argumentos>{{a}, {"--out", t}, {"--out", t, a + ":0"},
                                                         {"--out", t, a + ":2.5"}, {"--out", t, a + ":q"},
                                                         {"--out", t, a + ":q0"}, {"--out", t, "--out", c / "u.txt", a},
                                                         {"--out", t, c.escribe("a,b.asc", grid(2, 1, "1 2\n"))}})
        esUso(covariates(args));
    EXPECT_FALSE(fs::exists(c / "t.txt"));
    Salida ayuda = covariates({"--help"});
    EXPECT_EQ(ayuda.estado, 0);
    EXPECT_NE(ayuda.out.find("GRID[:N|:qN|:manual]"), std::string::npos);
}

TEST(CovariatesCli, FailuresGiveOneErrorLine) {
    Carpeta c;
    auto a = c.escribe("a.asc", grid(2, 2, "1 2\n3 4\n"));
    auto corto = c.escribe("corto.asc", grid(2, 2, "1 2\n3\n"));
    auto otro = c.escribe("otro.asc", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 2\n1 2\n3 4\n");
    const std::string malformado = ": error 12: Malformed file (category lines or separator of the table; header or "
                                   "values of the ASCII grid).";
    const std::pair<cli::Argumentos, std::string> casos[] = {
        {{"--out", c / "t.txt", a, corto},
         corto + malformado + " (line 7): expected ncols = 2 values on line 7, found 1; this grid keeps one grid "
                              "row per line, so give each line ncols values\n"},
        {{"--out", c / "t.txt", a, otro},
         otro + ": error 4: The ASCII grids have different headers.: the grid's header differs from the first grid's\n"},
        {{"--out", c / "t.txt", c / "falta.asc"},
         (c / "falta.asc") + malformado + ": cannot open the grid: No such file or directory\n"},
    };
    for (const auto& [args, linea] : casos) {
        const Salida s = covariates(args);
        EXPECT_EQ(s.estado, 3);
        EXPECT_EQ(s.err, "quel-cli covariates: " + linea);
    }
    const Salida s = covariates({"--out", c / "no/t.txt", a});
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("cannot write"), std::string::npos);
    EXPECT_FALSE(fs::exists(c / "t.txt"));
}

TEST(CovariatesCli, SaysWhenEqualFrequencyClassesAreFewerThanAsked) {
    Carpeta c;
    auto q = c.escribe("q.asc", grid(4, 1, "7 7 7 9\n"));
    const Salida s = covariates({"--out", c / "t.txt", q + ":q4"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.err, "quel-cli covariates: " + q +
                         ": 4 equal-frequency classes asked, 2 formed (equal values are never split between classes)\n");
    EXPECT_EQ(prueba::lee(c / "t.txt").substr(0, 5), "q,2,\n");
}

// Ctrl-C while the grids are read: the program stops before its next grid or
// row block, leaves the table as it was and no working folder, and says so.
TEST(CovariatesCli, CtrlCDetieneLaTablaSinEscribirla) {
    Carpeta c;
    const fs::path tmp = c.t / "tmp";
    fs::create_directory(tmp);
    std::string valores;
    for (int k = 0; k < 600 * 600; ++k) valores += std::to_string(k % 97) + (k % 600 == 599 ? "\n" : " ");
    const std::string g = c.escribe("g0.asc", grid(600, 600, valores));
    std::vector<std::string> a = {"covariates", "--out", c / "t.txt"};
    for (int i = 0; i < 12; ++i) {
        a.push_back(c / ("g" + std::to_string(i) + ".asc"));
        if (i > 0) fs::copy_file(g, a.back());
    }
    c.escribe("t.txt", "antes");
    const pid_t hijo = apoyo::lanzaCli(a, c / "err.txt", tmp.string());
    ASSERT_GE(hijo, 0);
    // The run's folder appears once Ctrl-C stops the run rather than the program.
    bool empezado = false;
    while (!empezado && waitpid(hijo, nullptr, WNOHANG) == 0) {
        empezado = !fs::is_empty(tmp);
        usleep(500);
    }
    ASSERT_TRUE(empezado) << prueba::lee(c / "err.txt");
    kill(hijo, SIGINT);
    EXPECT_EQ(apoyo::estadoHijo(hijo), 130);
    EXPECT_EQ(prueba::lee(c / "err.txt"), "quel-cli covariates: interrupted; no result was written\n");
    EXPECT_EQ(prueba::lee(c / "t.txt"), "antes");
    EXPECT_TRUE(fs::is_empty(tmp));
}
