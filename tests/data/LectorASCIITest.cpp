#include "data/LectorASCII.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "support/testutil.h"

using quel::GridASCII;
using quel::ErrorGrid;
using quel::leeGridASCIITexto;

namespace {

// The same text read from a file a few rows at a time gives the same cells,
// or the same error naming the file.
void comoPorBloques(const std::string& texto, int codigo, const GridASCII& g, const ErrorGrid& e, int renglones = 1) {
    static prueba::CarpetaTemporal t;
    const auto ruta = t / "bloques.asc";
    prueba::escribe(ruta, texto);
    quel::LectorBloques l;
    GridASCII b;
    int r = l.abre(ruta);
    while (r == 0 && !l.terminado())
        r = l.lee(renglones, [&](const quel::CeldaASCII& c) {
            b.valores.push_back(c.valor);
            b.sinDato.push_back(c.sinDato ? 1 : 0);
        });
    ASSERT_EQ(r, codigo) << l.error().detalle;
    if (r != 0) {
        EXPECT_EQ(std::tie(l.error().linea, l.error().detalle, l.error().archivo), std::tie(e.linea, e.detalle, ruta));
        return;
    }
    ASSERT_EQ(b.valores.size(), g.valores.size());
    for (std::size_t i = 0; i < b.valores.size(); ++i)
        EXPECT_TRUE(b.valores[i] == g.valores[i] || (std::isnan(b.valores[i]) && std::isnan(g.valores[i]))) << i;
    EXPECT_EQ(b.sinDato, g.sinDato);
}

GridASCII leeBien(const std::string& texto) {
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(leeGridASCIITexto(texto, g, &e), 0) << e.detalle;
    comoPorBloques(texto, 0, g, e);
    return g;
}

ErrorGrid leeMal(const std::string& texto) {
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(leeGridASCIITexto(texto, g, &e), 12) << texto;
    EXPECT_EQ(e.codigo, 12);
    EXPECT_FALSE(e.detalle.empty());
    EXPECT_TRUE(g.valores.empty());
    comoPorBloques(texto, 12, g, e);
    return e;
}

}  // namespace

// Layouts other programs and this one write: the values and which are missing.
TEST(LectorASCII, ReadsTheLayoutsGridsComeIn) {
    using S = std::vector<std::uint8_t>;
    const std::string largo = "-17" + std::string(307, '0');
    const struct {
        const char* nombre;
        std::string texto;
        std::vector<double> valores;
        S sinDato;
    } casos[] = {
        {"as this program writes it (no line break after the last value)",
         "ncols         3\nnrows         2\nxllcorner     10\nyllcorner     20\n"
         "cellsize      0.5\nNODATA_value  -9999\n1 2.5 -9999 \n4 5e-07 6 ",
         {1, 2.5, -9999, 4, 5e-07, 6}, S{0, 0, 1, 0, 0, 0}},
        {"leading blanks and CR LF, as GDAL writes it",
         "NCOLS 3\r\nNROWS 2\r\nXLLCORNER -5.5\r\nYLLCORNER 7\r\nCELLSIZE 1\r\nNODATA_VALUE -1\r\n 1 2 3\r\n 4 -1 6\r\n",
         {1, 2, 3, 4, -1, 6}, S{0, 0, 0, 0, 1, 0}},
        {"rows wrapped over lines", "ncols 4\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n4 5\n6 7 8\n",
         {1, 2, 3, 4, 5, 6, 7, 8}, S(8, 0)},
        {"byte-order mark", "\xEF\xBB\xBFncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n7\n", {7}, S{0}},
        {"float no-data with fewer digits in the body",
         "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -3.40282346639e+38\n"
         "-3.4028235e+38 -3.4028234663852886e+38 2\n",
         {-3.4028235e+38, -3.4028234663852886e+38, 2}, S{1, 1, 0}},
        {"dx and dy when equal", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ndx 0.25\ndy 0.25\n1 2\n", {1, 2}, S{0, 0}},
        // R writes -1.7e+308, sometimes with every digit spelled out.
        {"no-data beyond single precision", "ncols 4\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -1.7e+308\n"
         "-1.7e+308 " + largo + " 3 -1.7E308\n", {-1.7e308, -1.7e308, 3, -1.7e308}, S{1, 1, 0, 1}},
        {"no-data spelled out in the header", "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value " +
         largo + "\n-1.7e308\n", {-1.7e308}, S{1}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        const GridASCII g = leeBien(c.texto);
        EXPECT_EQ(g.valores, c.valores);
        EXPECT_EQ(g.sinDato, c.sinDato);
    }
    GridASCII g = leeBien(casos[0].texto);
    EXPECT_EQ(g.encabezado.valores(), (std::array<double, 6>{3, 2, 10, 20, 0.5, -9999}));
    EXPECT_TRUE(g.encabezado.nodataExplicito);
    g = leeBien(casos[2].texto);
    EXPECT_FALSE(g.encabezado.nodataExplicito);
    EXPECT_EQ(g.encabezado.nodata, -9999);
    EXPECT_EQ(leeBien(casos[5].texto).encabezado.cellsize, 0.25);
    ErrorGrid e = leeMal("ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ndx 0.25\ndy 0.5\n1 2\n");
    EXPECT_NE(e.detalle.find("dx and dy"), std::string::npos);
}

TEST(LectorASCII, CentreOriginBecomesTheCornerHalfACellAway) {
    const std::string texto =
        "nodata_value -9999\ncellsize 0.1\nyllcenter 0.05\nXllCenter 100.05\nnrows 1\nncols 2\n1 2\n";
    GridASCII g = leeBien(texto);
    const auto& e = g.encabezado;
    EXPECT_EQ(std::make_pair(e.xllcorner, e.yllcorner), std::make_pair(100.05 - 0.1 / 2, 0.05 - 0.1 / 2));
    // The single-precision corner is formed from single-precision values.
    EXPECT_EQ(std::make_pair(e.xEsquinaFloat(), e.yEsquinaFloat()), std::make_pair(100.05f - 0.1f / 2.0f, 0.05f - 0.1f / 2.0f));
}

TEST(LectorASCII, MissingValueWordsAndNoDataValues) {
    const std::string cabeza = "ncols 5\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    GridASCII g = leeBien(cabeza + "NODATA_value -9999\nnull NULL 1 -9999 -9999.0\n");
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{1, 1, 0, 1, 1}));
    EXPECT_EQ(g.valores[3], -9999);
    // "nan" is missing where the header's no-data value is nan or absent...
    for (const char* sinDato : {"NODATA_value nan\n", "NODATA_value NaN\n", ""}) {
        SCOPED_TRACE(sinDato);
        g = leeBien(cabeza + sinDato + "nan NaN -nan 2 null\n");
        EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{1, 1, 1, 0, 1}));
        EXPECT_TRUE(std::isnan(g.valores[0]));
    }
    // ...and an error beside a numeric one, which says what to write.
    ErrorGrid e = leeMal(cabeza + "NODATA_value -9999\n1 2 nan 4 5\n");
    EXPECT_EQ(e.linea, 7);
    EXPECT_NE(e.detalle.find("write -9999"), std::string::npos) << e.detalle;
}

TEST(LectorASCII, BodiesThatDoNotMatchTheHeaderNameTheLineAndTheCounts) {
    // Header of 5 lines, ncols 3, nrows 3: the body starts on line 6.
    const std::string cabeza = "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    struct Caso {
        const char* cuerpo;
        int linea;
        const char* dice;
    } casos[] = {
        {"1 2 3\n4 5\n6 7 8\n", 7, "expected ncols = 3 values on line 7, found 2"},
        {"1 2 3 4\n5 6\n7 8 9\n", 6, "expected ncols = 3 values on line 6, found 4"},
        {"1 2 3\n4 5 6\n", 7, "fewer values than ncols x nrows: expected 3 x 3 = 9, found 6"},
        {"1 2 3\n4 5 6\n7 8 9\n10 11 12\n", 9, "more values than ncols x nrows: expected 3 x 3 = 9, found 12"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.cuerpo);
        ErrorGrid e = leeMal(cabeza + c.cuerpo);
        EXPECT_EQ(e.linea, c.linea);
        EXPECT_NE(e.detalle.find(c.dice), std::string::npos) << e.detalle;
    }
    // Rows wrapped the same way over lines, all on one line, CR LF and no
    // final line break stay accepted.
    for (const char* cuerpo : {"1 2\n3\n4 5\n6\n7 8\n9\n", "1 2 3 4 5 6 7 8 9", " 1 2 3\r\n 4 5 6\r\n 7 8 9",
                               "1\n2\n3\n4\n5\n6\n7\n8\n9\n\n"}) {
        SCOPED_TRACE(cuerpo);
        EXPECT_EQ(leeBien(cabeza + cuerpo).valores, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
}

TEST(LectorASCII, MalformedGridsAreClearErrors) {
    const std::string resto = "xllcorner 0\nyllcorner 0\ncellsize 1\n";
    const std::pair<std::string, const char*> casos[] = {
        {"nrows 1\n" + resto + "1 2\n", "ncols"},
        {"ncols 2\n" + resto + "1 2\n", "nrows"},
        {"ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\n1 2\n", "cellsize"},
        {"ncols 2\nnrows 2\n" + resto + "1 2\n3\n", "found 1"},  // never a silent partial read
        {"ncols 2\nnrows 2\n" + resto + "1 2\n3 abc\n", "abc"},
        {"ncols 2\nnrows 1\n" + resto + "1 1e39\n", ""},  // beyond single precision
        {"ncols 2\nnrows 1\n" + resto + "1 inf\n", ""},
        {"ncols 2\nnrows 1\nbyteorder lsbfirst\n" + resto + "1 2\n", ""},  // unknown keyword
        {"ncols 0\nnrows 1\n" + resto, ""},
    };
    for (const auto& [texto, dice] : casos) EXPECT_NE(leeMal(texto).detalle.find(dice), std::string::npos) << texto;
    EXPECT_EQ(leeMal(casos[4].first).linea, 7);  // a token that is not a number names its line
}

TEST(LectorASCII, FilesAndUnreadableFiles) {
    prueba::CarpetaTemporal t;
    prueba::escribe(t / "g.asc", "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n7\n");
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(quel::leeGridASCII(t / "g.asc", g, &e), 0);
    EXPECT_EQ(g.valores, std::vector<double>{7});
    // A malformed file names itself, its line and the byte it cannot read, printably.
    prueba::escribe(t / "b.asc", "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 \x01\xff\n");
    EXPECT_EQ(quel::leeGridASCII(t / "b.asc", g, &e), 12);
    EXPECT_EQ(std::make_pair(e.archivo, e.linea), std::make_pair(t / "b.asc", 6));
    EXPECT_NE(e.detalle.find("\"\\x01\\xFF\" is not a number"), std::string::npos) << e.detalle;
    EXPECT_EQ(quel::leeGridASCII(t.ruta(), g, &e), 12);  // a folder
}

// A file longer than the pieces it is read in: values cut by a piece's end
// come whole, and blocks of any size give the cells of the whole text.
TEST(LectorASCII, BlocksOfALongFileGiveTheWholeGrid) {
    std::string texto = "ncols 997\nnrows 311\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    for (int r = 0; r < 311; ++r) {
        for (int c = 0; c < 997; ++c)
            texto += (c * r) % 13 == 0 ? "-9999 " : std::to_string((c * 7919 + r) % 100003) + "." + std::to_string(c % 7) + " ";
        texto += r % 2 ? "\r\n" : "\n";
    }
    ASSERT_GT(texto.size(), std::size_t{2} << 20);
    GridASCII g;
    ErrorGrid e;
    ASSERT_EQ(leeGridASCIITexto(texto, g, &e), 0);
    for (int renglones : {1, 50, 311}) comoPorBloques(texto, 0, g, e, renglones);
}
