// quel-cli prior end to end.
#include <gtest/gtest.h>

#include <string>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "data/cargaArchivo.h"

namespace fs = std::filesystem;

namespace {

using apoyo::Carpeta;
using apoyo::Salida;

std::string grid(int ncols, int nrows, const std::string& cuerpo) {
    return apoyo::grid(ncols, nrows, cuerpo, "NODATA_value -9999\n");
}

}  // namespace

TEST(PriorCli, WritesThePriorFileAndWarnsOfClassesAPredictionRefuses) {
    Carpeta c;
    auto b = c.escribe("base.asc", grid(3, 2, "1 1 -9999\n1 1 1\n"));
    auto p = c.escribe("prior.asc", grid(3, 2, "1 3 3\n-9999 2 1\n"));
    Salida s = apoyo::corre(cli::prior, {"--base", b, "--prior", p, "--out", c / "priori"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(prueba::lee(c / "priori"), "1,\n3,\n0,\n2,\n2,\n1,");
    EXPECT_FALSE(fs::exists(c / "priori.txt"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "PrioriTmp.txt"));
    // Classes 5 and -9999 (not the prior grid's no-data value here) are
    // written as they are, with a warning naming their count and the first.
    auto raro = c.escribe("raro.asc", apoyo::grid(3, 2, "1 5 3\n-1 2 -9999\n", "NODATA_value -1\n"));
    s = apoyo::corre(cli::prior, {"--base", b, "--prior", raro, "--out", c / "raro.txt"});
    ASSERT_EQ(s.estado, 0) << s.err;
    EXPECT_EQ(prueba::lee(c / "raro.txt"), "1,\n5,\n3,\n2,\n2,\n-9999,");
    EXPECT_EQ(s.err, "quel-cli prior: warning: " + (c / "raro.txt") +
                         ": 2 cells hold a prior class other than 0, 1, 2 and 3, the first on line 2 (class 5); "
                         "the file is written, but a prediction refuses it\n");
    cargaArchivo datos(c.t.ruta());
    EXPECT_EQ(datos.cargaPriori(c / "raro.txt"), 9);
    EXPECT_EQ(datos.error.linea, 2);
}
