#include "managers/prior/transformacionPriori.h"

#include <gtest/gtest.h>

#include <string>

#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

std::string grid(int ncols, int nrows, const std::string& cuerpo, const std::string& nodata = "-9999") {
    return "ncols " + std::to_string(ncols) + "\nnrows " + std::to_string(nrows) +
           "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value " + nodata + "\n" + cuerpo;
}

struct Entorno {
    prueba::CarpetaTemporal t;
    exportaArchivo ex{quel::RaizDatos(t.ruta() / "Quel")};
    transformacionPriori tp{ex, t.ruta()};
    fs::path escribe(const std::string& nombre, const std::string& texto) {
        prueba::escribe(t / nombre, texto);
        return t / nombre;
    }
};

}  // namespace

TEST(Priori, ClassesPerCell) {
    Entorno e;
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(3, 2, "1 1 -9999\n1 nan 1\n"))), 0);
    ASSERT_EQ(e.tp.cargaPriori(e.escribe("p.asc", grid(3, 2, "3 -9999 1\n1.23456789 7 5\n"))), 0);
    EXPECT_FALSE(fs::exists(e.ex.rutaMascara()));
    ASSERT_EQ(e.tp.transforma(), 0);
    // Outside the region 0 whatever the prior holds; prior no-data 2; other
    // values copied with six significant digits; no final line break.
    EXPECT_EQ(prueba::lee(e.tp.rutaTemporal()), "3,\n2,\n0,\n1.23457,\n0,\n5,");
    ASSERT_TRUE(e.tp.guarda(e.t / "guardado"));
    EXPECT_EQ(prueba::lee(e.t / "guardado.txt"), prueba::lee(e.tp.rutaTemporal()));
}

TEST(Priori, NoDataValueIsThatOfTheGridReadLast) {
    Entorno e;
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(3, 1, "-1 -9999 1\n", "-1"))), 0);
    ASSERT_EQ(e.tp.cargaPriori(e.escribe("p.asc", grid(3, 1, "1 1 1\n"))), 0);
    ASSERT_EQ(e.tp.transforma(), 0);
    // N = -9999 (the prior's): the base's own -1 is not outside.
    EXPECT_EQ(prueba::lee(e.tp.rutaTemporal()), "1,\n0,\n1,");
}

TEST(Priori, FewerPriorCellsAreRefused) {
    Entorno e;
    EXPECT_EQ(e.tp.transforma(), transformacionPriori::kSinTablas);
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(2, 2, "1 1\n1 1\n"))), 0);
    ASSERT_EQ(e.tp.cargaPriori(e.escribe("p.asc", grid(3, 1, "1 2 3\n"))), 0);
    EXPECT_TRUE(e.tp.celdasDifieren());
    EXPECT_EQ(e.tp.transforma(), 3);
    EXPECT_FALSE(fs::exists(e.tp.rutaTemporal()));
    EXPECT_FALSE(e.tp.guarda(e.t / "x.txt"));
    // More prior cells than base cells: the base cells are transformed.
    ASSERT_EQ(e.tp.cargaPriori(e.escribe("q.asc", grid(5, 1, "1 2 3 1 2\n"))), 0);
    EXPECT_EQ(e.tp.transforma(), 0);
    EXPECT_EQ(prueba::lee(e.tp.rutaTemporal()), "1,\n2,\n3,\n1,");
}

TEST(Priori, MalformedGridKeepsThePreviousTable) {
    Entorno e;
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(2, 1, "1 1\n"))), 0);
    EXPECT_EQ(e.tp.cargaBase(e.escribe("m.asc", grid(2, 2, "1 1\n"))), 12);
    EXPECT_EQ(e.tp.celdasBase, 2);
    EXPECT_EQ(e.tp.cargaPriori(e.t / "falta.asc"), 12);
    EXPECT_EQ(e.tp.transforma(), transformacionPriori::kSinTablas);
}
