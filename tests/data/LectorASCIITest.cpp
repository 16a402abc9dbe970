#include "data/LectorASCII.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/testutil.h"

using quel::GridASCII;
using quel::ErrorGrid;
using quel::leeGridASCIITexto;

namespace {

GridASCII leeBien(const std::string& texto) {
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(leeGridASCIITexto(texto, g, &e), 0) << e.detalle;
    return g;
}

ErrorGrid leeMal(const std::string& texto) {
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(leeGridASCIITexto(texto, g, &e), 12) << texto;
    EXPECT_EQ(e.codigo, 12);
    EXPECT_FALSE(e.detalle.empty());
    EXPECT_TRUE(g.valores.empty());
    return e;
}

}  // namespace

TEST(LectorASCII, ReadsGridsTheProgramWritesExactly) {
    const std::string texto =
        "ncols         3\nnrows         2\nxllcorner     10\nyllcorner     20\n"
        "cellsize      0.5\nNODATA_value  -9999\n1 2.5 -9999 \n4 5e-07 6 ";
    GridASCII g = leeBien(texto);
    auto v = g.encabezado.valores();
    EXPECT_EQ(v, (std::array<double, 6>{3, 2, 10, 20, 0.5, -9999}));
    EXPECT_TRUE(g.encabezado.nodataExplicito);
    ASSERT_EQ(g.valores.size(), 6u);
    EXPECT_EQ(g.valores[5], 6);  // the last value of the last row, no line break after it
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 0}));
}

TEST(LectorASCII, GdalStyleLeadingBlanksCrLfAndNoBlankAfterTheLastValue) {
    // Every value preceded by a blank, none after the last one of a row.
    const std::string texto =
        "NCOLS 3\r\nNROWS 2\r\nXLLCORNER -5.5\r\nYLLCORNER 7\r\nCELLSIZE 1\r\nNODATA_VALUE -1\r\n"
        " 1 2 3\r\n 4 -1 6\r\n";
    GridASCII g = leeBien(texto);
    EXPECT_EQ(g.valores, (std::vector<double>{1, 2, 3, 4, -1, 6}));
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0}));
}

TEST(LectorASCII, CentreOriginBecomesTheCornerHalfACellAway) {
    const std::string texto =
        "nodata_value -9999\ncellsize 0.1\nyllcenter 0.05\nXllCenter 100.05\nnrows 1\nncols 2\n1 2\n";
    GridASCII g = leeBien(texto);
    const auto& e = g.encabezado;
    EXPECT_EQ(e.xllcorner, 100.05 - 0.1 / 2);
    EXPECT_EQ(e.yllcorner, 0.05 - 0.1 / 2);
    // The single-precision corner is formed from single-precision values.
    EXPECT_EQ(e.xEsquinaFloat(), 100.05f - 0.1f / 2.0f);
    EXPECT_EQ(e.yEsquinaFloat(), 0.05f - 0.1f / 2.0f);
}

TEST(LectorASCII, WrappedRowsAreCountedByNcols) {
    const std::string texto =
        "ncols 4\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n4 5\n6 7 8\n";
    GridASCII g = leeBien(texto);
    EXPECT_EQ(g.valores, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_FALSE(g.encabezado.nodataExplicito);
    EXPECT_EQ(g.encabezado.nodata, -9999);
}

TEST(LectorASCII, MissingValueWordsAndNoDataValues) {
    const std::string texto =
        "ncols 5\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n"
        "nan NaN null -9999 -9999.0\n";
    GridASCII g = leeBien(texto);
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{1, 1, 1, 1, 1}));
    EXPECT_TRUE(std::isnan(g.valores[0]));
    EXPECT_EQ(g.valores[3], -9999);
}

TEST(LectorASCII, NoDataBeyondSinglePrecisionInHeaderAndBody) {
    // R writes -1.7e+308, sometimes with every digit spelled out.
    std::string largo = "-17" + std::string(307, '0');
    const std::string texto = "ncols 4\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -1.7e+308\n"
                              "-1.7e+308 " + largo + " 3 -1.7E308\n";
    GridASCII g = leeBien(texto);
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{1, 1, 0, 1}));
    EXPECT_EQ(g.encabezado.nodata, -1.7e308);
    // The header spelled out reads the same.
    GridASCII h = leeBien("ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value " + largo +
                          "\n-1.7e308\n");
    EXPECT_EQ(h.sinDato[0], 1);
}

TEST(LectorASCII, GdalFloatNoDataWrittenWithFewerDigitsInTheBody) {
    const std::string texto =
        "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -3.40282346639e+38\n"
        "-3.4028235e+38 -3.4028234663852886e+38 2\n";
    GridASCII g = leeBien(texto);
    EXPECT_EQ(g.sinDato, (std::vector<std::uint8_t>{1, 1, 0}));
}

TEST(LectorASCII, DxDyAcceptedWhenEqual) {
    GridASCII g = leeBien("ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ndx 0.25\ndy 0.25\n1 2\n");
    EXPECT_EQ(g.encabezado.cellsize, 0.25);
    ErrorGrid e = leeMal("ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ndx 0.25\ndy 0.5\n1 2\n");
    EXPECT_NE(e.detalle.find("dx and dy"), std::string::npos);
}

TEST(LectorASCII, MalformedGridsAreClearErrors) {
    const std::string resto = "xllcorner 0\nyllcorner 0\ncellsize 1\n";
    EXPECT_NE(leeMal("nrows 1\n" + resto + "1 2\n").detalle.find("ncols"), std::string::npos);
    EXPECT_NE(leeMal("ncols 2\n" + resto + "1 2\n").detalle.find("nrows"), std::string::npos);
    EXPECT_NE(leeMal("ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\n1 2\n").detalle.find("cellsize"),
              std::string::npos);
    // Fewer values than ncols x nrows: never a silent partial read.
    ErrorGrid corto = leeMal("ncols 2\nnrows 2\n" + resto + "1 2\n3\n");
    EXPECT_NE(corto.detalle.find("fewer values"), std::string::npos);
    // A token that is not a number names its line.
    ErrorGrid letra = leeMal("ncols 2\nnrows 2\n" + resto + "1 2\n3 abc\n");
    EXPECT_EQ(letra.linea, 7);
    EXPECT_NE(letra.detalle.find("abc"), std::string::npos);
    leeMal("ncols 2\nnrows 1\n" + resto + "1 1e39\n");        // beyond single precision
    leeMal("ncols 2\nnrows 1\n" + resto + "1 inf\n");
    leeMal("ncols 2\nnrows 1\nbyteorder lsbfirst\n" + resto + "1 2\n");  // unknown keyword
    leeMal("ncols 0\nnrows 1\n" + resto);
}

TEST(LectorASCII, FilesAndUnreadableFiles) {
    prueba::CarpetaTemporal t;
    prueba::escribe(t / "g.asc", "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n7\n");
    GridASCII g;
    ErrorGrid e;
    EXPECT_EQ(quel::leeGridASCII(t / "g.asc", g, &e), 0);
    EXPECT_EQ(g.valores, std::vector<double>{7});
    EXPECT_EQ(quel::leeGridASCII(t / "falta.asc", g, &e), 12);
    EXPECT_NE(e.detalle.find("cannot be read"), std::string::npos);
    EXPECT_EQ(quel::leeGridASCII(t.ruta(), g, &e), 12);  // a folder
}

TEST(LectorASCII, StreamsCellsWithTheirTextAndLine) {
    std::vector<std::string> textos;
    std::vector<int> lineas;
    int encabezados = 0;
    int r = quel::recorreGridASCIITexto(
        "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n+1.50 nan\n\n3 4",
        [&](const quel::EncabezadoASCII&) { ++encabezados; },
        [&](const quel::CeldaASCII& c) {
            textos.emplace_back(c.texto);
            lineas.push_back(c.linea);
        });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(encabezados, 1);
    EXPECT_EQ(textos, (std::vector<std::string>{"+1.50", "nan", "3", "4"}));
    EXPECT_EQ(lineas, (std::vector<int>{6, 6, 8, 8}));
}
