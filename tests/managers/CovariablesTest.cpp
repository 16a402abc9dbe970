#include "managers/covariates/constructorTabla.h"

#include <gtest/gtest.h>

#include <string>

#include "support/progresoPrueba.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

const std::string kEnc22 = "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";

struct Entorno {
    prueba::CarpetaTemporal t;
    constructorTabla ct{quel::RaizDatos(t.ruta() / "Quel")};
    ItemCovariable grid(const std::string& nombre, const std::string& texto, int clases = 10,
                        bool manual = false) {
        prueba::escribe(t / (nombre + ".asc"), texto);
        return ItemCovariable{nombre, true, t / (nombre + ".asc"), clases, manual};
    }
};

// An opened table of 2 x 2 cells and two covariates.
TablaCargada tablaDeCuatro() {
    TablaCargada tabla;
    tabla.coordenadas = TImagenN<float>(4, 2);
    tabla.covariables = TImagenN<int>(4, 3);
    tabla.categorias = TImagenN<float>(2, 1);
    tabla.coordenadas.datos[0] = {7, 8, 7, 8};
    tabla.coordenadas.datos[1] = {9, 9, 8, 8};
    tabla.covariables.datos[0] = {1, 2, 3, 4};
    tabla.covariables.datos[1] = {2, 2, 0, 1};
    tabla.covariables.datos[2] = {1, 1, 0, 1};
    tabla.categorias.datos[0] = {4, 2};
    return tabla;
}

}  // namespace

TEST(ConstruyeTabla, ThreeGridsToTheByte) {
    Entorno e;
    std::vector<ItemCovariable> items = {
        e.grid("a", kEnc22 + "1 2\n3 4\n", 2),
        e.grid("b", kEnc22 + "5 -9999\n7 8\n", 3, true),
        e.grid("c", kEnc22 + "0.5 0.5\n0.5 1\n", 10),
    };
    prueba::ProgresoPrueba p;
    ASSERT_EQ(e.ct.construyeTabla(e.t / "tabla.txt", items, nullptr, p), 0) << e.ct.error.detalle;
    EXPECT_EQ(prueba::lee(e.t / "tabla.txt"),
              "a,2,\nb,8,\nc,10,\n**********\nLong,Lat,a,b,c,\n"
              "0,1,1,5,1,1,\n1,1,1,0,1,0,\n0,0,2,7,1,1,\n1,0,2,8,1,1,");
    // 1 lies between the intervals 0.5-0.5 and 1.5-1.5.
    EXPECT_EQ(e.ct.celdasEnHueco, (std::vector<std::int64_t>{0, 0, 1}));
    EXPECT_EQ(p.puntos, 3 * (50 / 3) + 50);
    EXPECT_FALSE(fs::exists(e.ct.exportador.rutaCoordenadas()));
}

TEST(ConstruyeTabla, OpenedTableItemsWithGrids) {
    Entorno e;
    TablaCargada tabla = tablaDeCuatro();
    std::vector<ItemCovariable> items = {{"p", false, {}, 10, false},
                                         {"q", true, {}, 10, false},
                                         e.grid("g", kEnc22 + "1 2\n3 4\n", 2)};
    ASSERT_EQ(e.ct.construyeTabla(e.t / "t.txt", items, &tabla), 0);
    // The coordinates stay the opened table's.
    EXPECT_EQ(prueba::lee(e.t / "t.txt"),
              "q,2,\ng,2,\n**********\nLong,Lat,q,g,\n7,9,2,1,1,\n8,9,2,1,1,\n7,8,0,2,0,\n8,8,1,2,1,");
    // A grid whose cell count differs from the table's rows is refused.
    items[2] = e.grid("h", "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n");
    EXPECT_EQ(e.ct.construyeTabla(e.t / "u.txt", items, &tabla), 4);
    EXPECT_FALSE(fs::exists(e.t / "u.txt"));
}

// The rows are read and written a block at a time: any block size writes
// the table of the default one, byte for byte.
TEST(ConstruyeTabla, AnyBlockSizeWritesTheSameTable) {
    Entorno e;
    const std::string enc = "ncols 5\nnrows 4\nxllcorner -3.25\nyllcorner 40.5\ncellsize 0.125\nNODATA_value -9999\n";
    ItemCovariable cuantiles = e.grid("q", enc + "1 1 2 3 5\n8 13 21 34 55\n1 2 3 4 5\n6 7 8 9 10\n", 3);
    cuantiles.cuantiles = true;
    const std::vector<ItemCovariable> grids = {
        e.grid("a", enc + "-9999 1 2 3 -9999\n4 5 6 7 8\n9 10 11 12 13\n-9999 14 15 16 -9999\n", 3),
        e.grid("m", enc + "1 2 -9999 4 0\n5 6 7 8 9\n1 1 1 1 1\n2 2 2 2 2.5\n", 10, true), cuantiles};
    const TablaCargada tabla = tablaDeCuatro();
    const std::vector<ItemCovariable> conTabla = {{"p", true, {}, 10, false},
                                                  e.grid("g", kEnc22 + "1 -9999\n3 4\n", 2)};
    const struct {
        std::vector<ItemCovariable> items;
        const TablaCargada* tabla;
    } casos[] = {{grids, nullptr}, {conTabla, &tabla}};
    for (const auto& c : casos) {
        e.ct.renglonesPorBloque = 0;
        ASSERT_EQ(e.ct.construyeTabla(e.t / "t.txt", c.items, c.tabla), 0) << e.ct.error.detalle;
        const std::string entera = prueba::lee(e.t / "t.txt");
        const auto huecos = e.ct.celdasEnHueco;
        for (int renglones : {1, 3}) {
            SCOPED_TRACE(renglones);
            e.ct.renglonesPorBloque = renglones;
            ASSERT_EQ(e.ct.construyeTabla(e.t / "b.txt", c.items, c.tabla), 0);
            EXPECT_EQ(prueba::lee(e.t / "b.txt"), entera);
            EXPECT_EQ(e.ct.celdasEnHueco, huecos);
        }
    }
}
