#include "data/exportaArchivo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

TImagenN<float> coordenadas(const std::vector<std::pair<float, float>>& xy) {
    TImagenN<float> c(static_cast<int>(xy.size()), 2);
    for (std::size_t i = 0; i < xy.size(); ++i) {
        c.datos[0][i] = xy[i].first;
        c.datos[1][i] = xy[i].second;
    }
    return c;
}

TImagenN<long double> valores(const std::vector<long double>& v) {
    TImagenN<long double> t(static_cast<int>(v.size()), 1);
    for (std::size_t i = 0; i < v.size(); ++i) t.datos[0][i] = v[i];
    return t;
}

struct Entorno {
    prueba::CarpetaTemporal t;
    exportaArchivo ex{quel::RaizDatos(t.ruta() / "Quel")};
    fs::path escribe(const std::string& nombre, const std::string& texto) {
        prueba::escribe(t / nombre, texto);
        return t / nombre;
    }
};

}  // namespace

TEST(ExportaGrid, DerivesTheMissingFigureOrRefusesAndSaysWhy) {
    struct Caso {
        const char* nombre;
        std::vector<std::pair<float, float>> xy;
        const char* esperado;  // the header and body, or the start of the refusal
        bool valido;
    };
    const Caso casos[] = {
        // Fewer values than coordinate rows: the missing ones are outside the region.
        {"one row", {{0, 0}, {1, 0}},
         "ncols         2\nnrows         1\nxllcorner     0\nyllcorner     0\n"
         "cellsize      1\nNODATA_value  -9999\n2 -9999 ", true},
        {"one column", {{3, 4}, {3, 3.5f}, {3, 3}},
         "ncols         1\nnrows         3\nxllcorner     3\nyllcorner     3\n"
         "cellsize      0.5\nNODATA_value  -9999\n2 \n-9999 \n-9999 ", true},
        {"single cell", {{3, 4}}, "a single cell gives no cell size", false},
        {"no rows", {}, "the coordinate table has no rows", false},
        {"bottom row first", {{0, 0}, {1, 0}, {0, 1}, {1, 1}}, "coordinate row 3: grid row 2 lies at y = 1", false},
        {"a row cut short", {{0, 2}, {1, 2}, {0, 1}, {0, 0}}, "coordinate row 4: y = 0 where grid row 2", false},
        {"right to left", {{1, 1}, {0, 1}, {1, 0}, {0, 0}}, "coordinate row 2: x = 0 lies left of", false},
        {"row starting elsewhere", {{0, 1}, {1, 1}, {5, 0}, {6, 0}}, "coordinate row 3: grid row 2 starts at x = 5",
         false},
        {"no width", {{2, 1}, {2, 1}}, "the cells of the first grid row all lie at x = 2", false},
        {"not a number", {{0, 1}, {NAN, 1}}, "coordinate row 2: x or y is not a finite number", false},
    };
    prueba::CarpetaTemporal t;
    const auto v = valores({2});
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const fs::path destino = t / "r.asc";
        prueba::escribe(destino, "old");
        std::string razon;
        EXPECT_EQ(exportaArchivo::exportaGrid(destino, coordenadas(c.xy), v, &razon), c.valido) << razon;
        if (c.valido) {
            EXPECT_EQ(prueba::lee(destino), c.esperado);
        } else {
            EXPECT_EQ(razon.rfind(c.esperado, 0), 0u) << razon;
            EXPECT_EQ(prueba::lee(destino), "old");
        }
    }
    std::string razon;
    EXPECT_FALSE(exportaArchivo::exportaGrid(t / "no" / "x.asc", coordenadas({{0, 0}, {1, 0}}), v, &razon));
    EXPECT_EQ(razon, "No such file or directory");
}

// The cell size comes from the width of the whole first row, so it matches
// the input grids' even though each x carries only six significant digits.
TEST(ExportaGrid, CellSizeOfAWideRegionFromItsWholeExtent) {
    const int ncols = 2000, nrows = 3;
    const double celda = 1.0 / 24;
    TImagenN<float> c(ncols * nrows, 2);
    for (int r = 0; r < nrows; ++r)
        for (int k = 0; k < ncols; ++k) {
            // As the covariate table holds them: six significant digits, read in single precision.
            std::string x, y;
            quel::formato::real(x, -179.75 + k * celda);
            quel::formato::real(y, 19.5 + (nrows - 1 - r) * celda);
            const auto i = static_cast<std::size_t>(r * ncols + k);
            c.datos[0][i] = std::stof(x);
            c.datos[1][i] = std::stof(y);
        }
    std::string texto, razon;
    ASSERT_TRUE(exportaArchivo::textoGrid(c, valores({1}), texto, razon)) << razon;
    const auto p = texto.find("cellsize      ");
    ASSERT_NE(p, std::string::npos);
    EXPECT_NEAR(std::stod(texto.substr(p + 14)) / celda, 1.0, 1e-6) << texto.substr(p, 30);
    EXPECT_EQ(texto.substr(0, p), "ncols         2000\nnrows         3\nxllcorner     -179.75\nyllcorner     19.5\n");
}

TEST(Formato, StreamDefaultFormat) {
    std::mt19937_64 g(3);
    for (int i = 0; i < 20000; ++i) {
        double v = std::ldexp(static_cast<double>(g() % 2000001) - 1000000.0, static_cast<int>(g() % 80) - 40);
        std::string s;
        quel::formato::real(s, v);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v);
        ASSERT_EQ(s, buf);
    }
}

// One-row grids: the extremes found, the class count and each cell's category.
TEST(GeneraCovariable, ClassesOfOneRow) {
    const struct {
        const char* nombre;
        std::string nodata, cuerpo;
        int clases;
        bool manual;
        float minimo, maximo;
        int numero;  // classes of a manual or equal-frequency covariate (0: equal intervals)
        std::vector<int> categorias;
        int enHueco;
        bool cuantiles = false;  // equal frequency: numero is the classes formed
    } casos[] = {
        {"manual over 1 2 4", "", "1 2 4", 10, true, 1, 4, 4, {1, 2, 4}, 0},
        // Manual classes count intervals, not the maximum; a negative value lies outside the region.
        {"manual over 0 0.5 4.5 -2", "", "0 0.5 4.5 -2", 10, true, 0, 4.5f, 5, {1, 1, 5, 0}, 1},
        // min 0.5, max 6.5, 2 classes: width 3, intervals 0.5-3.5 and 4.5-7.5; 3.75 takes the one below.
        {"between intervals", "", "0.5 3.75 4.5 6.5", 2, false, 0.5f, 6.5f, 0, {1, 1, 2, 2}, 1},
        // The scan starts from -1 and 9999: all-large values keep minimo 9999.
        {"starting extremes", "", "10000 10010", 1, false, 9999, 10010, 0, {1, 1}, 0},
        // No-data beyond single precision never reaches the extremes.
        {"huge no-data", "NODATA_value -1.7e+308\n", "2 -1.7e+308 7", 5, false, 2, 7, 0, {1, 0, 3}, 0},
        // Equal frequency: equal values (in single precision) never split.
        {"skewed", "", "1 2 3 4 5 6 7 8 100 1000", 5, false, 1, 1000, 5, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5}, 0, true},
        {"30 % at one value", "", "5 5 5 1 2 3 4 6 7 8", 10, false, 1, 8, 8, {5, 5, 5, 1, 2, 3, 4, 6, 7, 8}, 0, true},
        {"a boundary among ties takes them all", "", "1 2 2 2 3 4", 3, false, 1, 4, 2, {1, 1, 1, 1, 2, 2}, 0, true},
        {"constant", "NODATA_value -9999\n", "3 3 -9999 3", 4, false, 3, 3, 1, {1, 1, 0, 1}, 0, true},
        {"more classes than values", "", "2 1 2 3", 10, false, 1, 3, 3, {2, 1, 2, 3}, 0, true},
        {"equal in single precision", "", "1.00000001 1.00000002", 2, false, 1, 1, 1, {1, 1}, 0, true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Entorno e;
        const int n = static_cast<int>(c.categorias.size());
        auto g = e.escribe("g.asc", "ncols " + std::to_string(n) + "\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n" +
                                        c.nodata + c.cuerpo + "\n");
        ASSERT_EQ(e.ex.generaCovariable(c.clases, g, 1, c.manual, c.cuantiles), 0);
        EXPECT_EQ(e.ex.maximo, c.maximo);
        EXPECT_EQ(e.ex.minimo, c.manual ? e.ex.minimo : c.minimo);
        EXPECT_EQ(e.ex.clases().manual, c.manual);
        EXPECT_EQ(e.ex.clases().numero, c.manual || c.cuantiles ? c.numero : c.clases);
        EXPECT_EQ(e.ex.categorias(), c.categorias);
        EXPECT_EQ(e.ex.celdasEnHueco(), c.enHueco);
    }
    // The mask shows a missing cell as the header's no-data value.
    Entorno e;
    auto g = e.escribe("g.asc", "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -1.7e+308\n"
                                "2 -1.7e+308 7\n");
    ASSERT_EQ(e.ex.generaCovariable(5, g, 1, false), 0);
    EXPECT_EQ(prueba::lee(e.ex.rutaMascara()), "2,-1.7e+308,7,\n");
}

TEST(GeneraCovariable, RefusesWhatCannotBeClassified) {
    Entorno e;
    auto g = e.escribe("g.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n");
    EXPECT_EQ(e.ex.generaCovariable(0, g, 0, false), 9);
    EXPECT_EQ(e.ex.generaCovariable(0, g, 0, false, true), 9);
    auto vacio = e.escribe("v.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value 0\n0 0\n");
    EXPECT_EQ(e.ex.generaCovariable(3, vacio, 0, false, true), 9);
    auto mal = e.escribe("m.asc", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2\n");
    EXPECT_EQ(e.ex.generaCovariable(3, mal, 0, false), 12);
    EXPECT_EQ(e.ex.error().codigo, 12);
    EXPECT_EQ(e.ex.generaCovariable(3, e.t / "none.asc", 0, false), 12);
    // A data root that cannot hold the coordinate file.
    prueba::escribe(e.t / "archivo", "x");
    exportaArchivo sinRaiz{quel::RaizDatos(e.t / "archivo")};
    EXPECT_EQ(sinRaiz.generaCovariable(3, g, 0, false), 2);
    EXPECT_NE(sinRaiz.error().detalle.find("CoordCovTmp.txt"), std::string::npos);
    // Manual classes need a value above zero.
    for (const char* cuerpo : {"0 0 -9999\n", "-9999 -9999 -9999\n", "0 -3 -1\n"}) {
        auto m = e.escribe("g.asc", std::string("ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n") + cuerpo);
        EXPECT_EQ(e.ex.generaCovariable(10, m, 1, true), 9) << cuerpo;
        EXPECT_EQ(e.ex.error().archivo, m);
        EXPECT_NE(e.ex.error().detalle.find("expected values above 0 for manual classes"), std::string::npos);
    }
}
