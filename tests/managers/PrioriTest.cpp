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
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(3, 2, "1 1 -9999\n1 null 1\n"))), 0);
    ASSERT_EQ(e.tp.cargaPriori(e.escribe("p.asc", grid(3, 2, "3 -9999 1\n1.23456789 7 5\n"))), 0);
    EXPECT_FALSE(fs::exists(e.ex.rutaMascara()));
    ASSERT_EQ(e.tp.transforma(), 0);
    // Outside the region 0 whatever the prior holds; prior no-data 2; other
    // values copied with six significant digits; no final line break.
    EXPECT_EQ(prueba::lee(e.tp.rutaTemporal()), "3,\n2,\n0,\n1.23457,\n0,\n5,");
    // 1.23457 and 5 are not classes a prediction takes.
    EXPECT_EQ(e.tp.clasesFuera, 2);
    EXPECT_EQ(e.tp.primeraFuera, 3);
    ASSERT_TRUE(e.tp.guarda(e.t / "guardado"));
    EXPECT_EQ(prueba::lee(e.t / "guardado.txt"), prueba::lee(e.tp.rutaTemporal()));
}

TEST(Priori, GridsThatDoNotLineUpAreRefused) {
    Entorno e;
    EXPECT_EQ(e.tp.transforma(), transformacionPriori::kSinTablas);
    const fs::path b = e.escribe("b.asc", "ncols 2\nnrows 2\nxllcorner 10\nyllcorner 20\ncellsize 0.5\n1 1\n1 1\n");
    ASSERT_EQ(e.tp.cargaBase(b), 0);
    struct Caso {
        const char* encabezado;
        const char* difiere;  // empty: lines up
    } casos[] = {
        {"ncols 4\nnrows 1\nxllcorner 10\nyllcorner 20\ncellsize 0.5\n", "ncols x nrows is 2 x 2 in the base grid, 4 x 1"},
        {"ncols 2\nnrows 2\nxllcorner 10.01\nyllcorner 20\ncellsize 0.5\n", "the lower-left corner is (10, 20)"},
        {"ncols 2\nnrows 2\nxllcenter 10.25\nyllcenter 20.25\ncellsize 0.5\n", ""},
        {"ncols 2\nnrows 2\nxllcorner 10.004\nyllcorner 19.998\ncellsize 0.5000001\n", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.encabezado);
        const fs::path p = e.escribe("p.asc", std::string(c.encabezado) + "1 2\n3 0\n");
        ASSERT_EQ(e.tp.cargaPriori(p), 0);
        if (*c.difiere == 0) {
            EXPECT_EQ(e.tp.transforma(), 0);
            continue;
        }
        fs::remove(e.tp.rutaTemporal());
        EXPECT_EQ(e.tp.transforma(), 4);
        EXPECT_EQ(e.tp.error.archivo, p);
        EXPECT_NE(e.tp.error.detalle.find(b.string()), std::string::npos);
        EXPECT_NE(e.tp.error.detalle.find(c.difiere), std::string::npos) << e.tp.error.detalle;
        EXPECT_FALSE(fs::exists(e.tp.rutaTemporal()));
    }
}

TEST(Priori, MalformedGridKeepsThePreviousTable) {
    Entorno e;
    ASSERT_EQ(e.tp.cargaBase(e.escribe("b.asc", grid(2, 1, "1 1\n"))), 0);
    EXPECT_EQ(e.tp.cargaBase(e.escribe("m.asc", grid(2, 2, "1 1\n"))), 12);
    EXPECT_EQ(e.tp.celdasBase, 2);
    EXPECT_EQ(e.tp.cargaPriori(e.t / "falta.asc"), 12);
    EXPECT_EQ(e.tp.transforma(), transformacionPriori::kSinTablas);
}
