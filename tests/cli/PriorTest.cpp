// quel-cli prior end to end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/comandos.h"
#include "data/cargaArchivo.h"
#include "support/testutil.h"
#include "cli/CovariatesApoyo.h"

namespace fs = std::filesystem;

namespace {

using apoyo::Carpeta;
using apoyo::Salida;

Salida prior(const std::vector<std::string>& args) { return apoyo::corre(cli::prior, args); }

std::string grid(int ncols, int nrows, const std::string& cuerpo) {
    return apoyo::grid(ncols, nrows, cuerpo, "NODATA_value -9999\n");
}

}  // namespace

TEST(PriorCli, WritesThePriorFile) {
    Carpeta c;
    auto b = c.escribe("base.asc", grid(3, 2, "1 1 -9999\n1 1 1\n"));
    auto p = c.escribe("prior.asc", grid(3, 2, "1 3 3\n-9999 2 1.5\n"));
    Salida s = prior({"--base", b, "--prior", p, "--out", c / "priori"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(prueba::lee(c / "priori"), "1,\n3,\n0,\n2,\n2,\n1.5,");
    EXPECT_FALSE(fs::exists(c / "priori.txt"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "PrioriTmp.txt"));
}

TEST(PriorCli, CellCountsThatDiffer) {
    Carpeta c;
    auto b = c.escribe("base.asc", grid(2, 2, "1 1\n1 1\n"));
    auto menos = c.escribe("menos.asc", grid(3, 1, "1 2 3\n"));
    Salida s = prior({"--base", b, "--prior", menos, "--out", c / "p.txt"});
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err, "quel-cli prior: " + menos +
                         ": WARNING: Los renglones del ASCII y del Priori no coinciden (base grid 4 cells, "
                         "prior grid 3 cells)\n");
    EXPECT_FALSE(fs::exists(c / "p.txt"));
    auto mas = c.escribe("mas.asc", grid(5, 1, "3 2 1 3 2\n"));
    s = prior({"--base", b, "--prior", mas, "--out", c / "p.txt"});
    EXPECT_EQ(s.estado, 0);
    EXPECT_NE(s.err.find("WARNING: Los renglones del ASCII y del Priori no coinciden"), std::string::npos);
    EXPECT_EQ(prueba::lee(c / "p.txt"), "3,\n2,\n1,\n3,");
}

TEST(PriorCli, UsageAndGridErrors) {
    Carpeta c;
    auto b = c.escribe("base.asc", grid(2, 1, "1 1\n"));
    EXPECT_EQ(prior({"--base", b, "--out", c / "p.txt"}).estado, 2);
    EXPECT_EQ(prior({"--base", b, "--prior", b}).estado, 2);
    EXPECT_EQ(prior({"--base", b, "--prior", b, "--out", ""}).estado, 2);
    EXPECT_EQ(prior({"--base", b, "--prior", b, "--out", c / "p.txt", "extra"}).estado, 2);
    auto mal = c.escribe("mal.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\n1 1\n");
    Salida s = prior({"--base", mal, "--prior", b, "--out", c / "p.txt"});
    EXPECT_EQ(s.estado, 3);
    EXPECT_EQ(s.err.rfind("quel-cli prior: " + mal + ": error 12: ", 0), 0u) << s.err;
    EXPECT_NE(s.err.find("the header has no cellsize"), std::string::npos);
    s = prior({"--base", b, "--prior", c / "falta.asc", "--out", c / "p.txt"});
    EXPECT_EQ(s.estado, 3);
    EXPECT_FALSE(fs::exists(c / "p.txt"));
}
