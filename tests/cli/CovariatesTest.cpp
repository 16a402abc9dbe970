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
    esUso(covariates({a}));                                   // no --out
    esUso(covariates({"--out", c / "t.txt"}));                // no grid
    esUso(covariates({"--out", c / "t.txt", a + ":0"}));
    esUso(covariates({"--out", c / "t.txt", a + ":2.5"}));
    esUso(covariates({"--out", c / "t.txt", a + ":q"}));
    esUso(covariates({"--out", c / "t.txt", a + ":q0"}));
    esUso(covariates({"--out", c / "t.txt", "--out", c / "u.txt", a}));
    esUso(covariates({"--out", c / "t.txt", c.escribe("a,b.asc", grid(2, 1, "1 2\n"))}));
    EXPECT_FALSE(fs::exists(c / "t.txt"));
    Salida ayuda = covariates({"--help"});
    EXPECT_EQ(ayuda.estado, 0);
    EXPECT_NE(ayuda.out.find("GRID[:N|:qN|:manual]"), std::string::npos);
}

TEST(CovariatesCli, FailuresGiveOneErrorLine) {
    Carpeta c;
    auto a = c.escribe("a.asc", grid(2, 2, "1 2\n3 4\n"));
    auto corto = c.escribe("corto.asc", grid(2, 2, "1 2\n3\n"));
    Salida s = covariates({"--out", c / "t.txt", a, corto});
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli covariates: " + corto +
                         ": error 12: Malformed file (category lines or separator of the table; header or "
                         "values of the ASCII grid). (line 7): expected ncols = 2 values on line 7, found 1; this "
                         "grid keeps one grid row per line, so give each line ncols values\n");
    auto otro = c.escribe("otro.asc", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 2\n1 2\n3 4\n");
    s = covariates({"--out", c / "t.txt", a, otro});
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli covariates: " + otro + ": error 4: The ASCII grids have different headers.: "
                                                     "the grid's header differs from the first grid's\n");
    s = covariates({"--out", c / "t.txt", c / "falta.asc"});
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli covariates: " + (c / "falta.asc") +
                         ": error 12: Malformed file (category lines or separator of the table; header or values "
                         "of the ASCII grid).: cannot open the grid: No such file or directory\n");
    s = covariates({"--out", c / "no/t.txt", a});
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("cannot write"), std::string::npos);
    EXPECT_FALSE(fs::exists(c / "t.txt"));
}

TEST(CovariatesCli, ReportsCellsBetweenClassesAndFewerClasses) {
    Carpeta c;
    auto a = c.escribe("a.asc", grid(4, 1, "0.5 3.75 4.5 6.5\n"));
    auto m = c.escribe("m.asc", grid(4, 1, "-1 -2 1 2\n"));
    auto q = c.escribe("q.asc", grid(4, 1, "7 7 7 9\n"));
    Salida s = covariates({"--out", c / "t.txt", a + ":2", m + ":manual", q + ":q4", a + ":q4"});
    ASSERT_EQ(s.estado, 0);
    EXPECT_NE(s.err.find(a + ": 1 cells fell between two classes"), std::string::npos) << s.err;
    EXPECT_NE(s.err.find(m + ": 2 cells hold negative values"), std::string::npos) << s.err;
    EXPECT_NE(s.err.find(q + ": 4 equal-frequency classes asked, 2 formed (equal values are never split between "
                             "classes)\n"),
              std::string::npos)
        << s.err;
    EXPECT_EQ(s.err.find(a + ": 4 equal-frequency"), std::string::npos) << s.err;
    EXPECT_EQ(prueba::lee(c / "t.txt").substr(0, 20), "a,2,\nm,2,\nq,2,\na,4,\n");
}

TEST(CovariatesCli, ParallelRunsLeaveNothingBehind) {
    Carpeta c;
    const fs::path antes = fs::current_path();
    // Two sets of grids of different shapes and values.
    std::vector<std::string> g1, g2;
    for (int i = 0; i < 3; ++i) {
        std::string v1, v2;
        for (int k = 0; k < 600; ++k) {
            v1 += std::to_string((k * (i + 3)) % 17) + " ";
            v2 += std::to_string((k * (i + 5)) % 13) + " ";
        }
        g1.push_back(c.escribe("p" + std::to_string(i) + ".asc", grid(30, 20, v1)));
        g2.push_back(c.escribe("q" + std::to_string(i) + ".asc", grid(20, 30, v2)));
    }
    // Sequential references.
    ASSERT_EQ(cli::covariates({"--out", c / "r1.txt", g1[0], g1[1], g1[2]}), 0);
    ASSERT_EQ(cli::covariates({"--out", c / "r2.txt", g2[0] + ":manual", g2[1], g2[2] + ":4"}), 0);
    int e1 = -1, e2 = -1;
    for (int vuelta = 0; vuelta < 5; ++vuelta) {
        std::thread t1([&] { e1 = cli::covariates({"--out", c / "s1.txt", g1[0], g1[1], g1[2]}); });
        std::thread t2([&] { e2 = cli::covariates({"--out", c / "s2.txt", g2[0] + ":manual", g2[1], g2[2] + ":4"}); });
        t1.join();
        t2.join();
        ASSERT_EQ(e1, 0);
        ASSERT_EQ(e2, 0);
        EXPECT_EQ(prueba::lee(c / "s1.txt"), prueba::lee(c / "r1.txt"));
        EXPECT_EQ(prueba::lee(c / "s2.txt"), prueba::lee(c / "r2.txt"));
    }
    EXPECT_EQ(fs::current_path(), antes);
    EXPECT_FALSE(fs::exists(antes / "MascaraTmp.txt"));
    EXPECT_FALSE(fs::exists(antes / "CoordCovTmp.txt"));
    EXPECT_FALSE(fs::exists(antes / "Grids"));
}

// Ctrl-C while the grids are classified: the program stops before its next
// grid, leaves the table as it was and no working folder, and says so.
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
    // The first grid is classified once its coordinate file is in the run's folder.
    bool clasificado = false;
    while (!clasificado && waitpid(hijo, nullptr, WNOHANG) == 0) {
        for (const auto& e : fs::directory_iterator(tmp)) clasificado = clasificado || fs::exists(e.path() / "CoordCovTmp.txt");
        usleep(500);
    }
    ASSERT_TRUE(clasificado) << prueba::lee(c / "err.txt");
    kill(hijo, SIGINT);
    EXPECT_EQ(apoyo::estadoHijo(hijo), 130);
    EXPECT_EQ(prueba::lee(c / "err.txt"), "quel-cli covariates: interrupted; no result was written\n");
    EXPECT_EQ(prueba::lee(c / "t.txt"), "antes");
    EXPECT_TRUE(fs::is_empty(tmp));
}
