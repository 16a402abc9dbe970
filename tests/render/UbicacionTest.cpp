// Placement of the covariate-table rows on the map bitmap.
#include <gtest/gtest.h>

#include <vector>

#include "render/pintores.h"
#include "render/ubicacionMapa.h"

namespace {

// A regular grid of nc x nf cells, top row first, x from x0 in steps dx, the
// top row at y0 and lower rows dy below.
TImagenN<float> rejilla(int nc, int nf, float x0 = 0, float dx = 1, float y0 = 0, float dy = 1) {
    TImagenN<float> c(nc * nf, 2);
    for (int r = 0; r < nc * nf; ++r) {
        c.datos[0][r] = x0 + dx * static_cast<float>(r % nc);
        c.datos[1][r] = y0 - dy * static_cast<float>(r / nc);
    }
    return c;
}

TEST(UbicaMapa, RejillaRegularConElNorteArriba) {
    const auto c = rejilla(4, 3, -100, 0.5f, 20, 0.5f);
    const auto u = ubicaMapa(c, anchoMapa, altoMapa);
    EXPECT_EQ(u.anchoDibujo, 750);
    EXPECT_EQ(u.altoDibujo, 550);
    EXPECT_EQ(u.columnasMapa, 4);
    ASSERT_EQ(u.pixeles.renglones, 12);
    const float xs[] = {0, 250, 500, 750};
    for (int r = 0; r < 12; ++r) {
        EXPECT_EQ(u.pixeles.datos[0][r], xs[r % 4]) << r;
        EXPECT_EQ(u.pixeles.datos[1][r], static_cast<float>(275 * (r / 4))) << r;
    }
}

TEST(UbicaMapa, RedondeoDeMediosHaciaArriba) {
    // Five columns over 750 pixels: 187.5 per unit.
    const auto u = ubicaMapa(rejilla(5, 2), anchoMapa, altoMapa);
    EXPECT_EQ(u.pixeles.datos[0][1], 188);
    EXPECT_EQ(u.pixeles.datos[0][2], 375);
    EXPECT_EQ(u.pixeles.datos[0][3], 563);
}

TEST(UbicaMapa, LaUltimaFilaNoCuentaParaLosExtremos) {
    TImagenN<float> c(4, 2);
    c.datos[0] = {0, 1, 0, 2};
    c.datos[1] = {1, 1, 0, 0};
    const auto u = ubicaMapa(c, anchoMapa, altoMapa);
    EXPECT_FLOAT_EQ(u.maxX, 1);
    EXPECT_EQ(u.pixeles.datos[0][3], 1500);
    EXPECT_EQ(u.pixeles.datos[1][3], 550);
}

TEST(UbicaMapa, RegionesDegeneradasSinDividirEntreCero) {
    // The extents leave out the last row, so it lies one step beyond them.
    const auto fila = ubicaMapa(rejilla(3, 1), anchoMapa, altoMapa);
    EXPECT_EQ(fila.columnasMapa, 3);
    EXPECT_EQ(fila.pixeles.datos[0][1], 750);
    EXPECT_EQ(fila.pixeles.datos[0][2], 1500);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(fila.pixeles.datos[1][r], 0);

    const auto columna = ubicaMapa(rejilla(1, 3), anchoMapa, altoMapa);
    EXPECT_EQ(columna.columnasMapa, 1);
    EXPECT_EQ(columna.pixeles.datos[1][1], 550);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(columna.pixeles.datos[0][r], 0);

    // Two cells in one column: the extents hold one row and the range is 0.
    const auto celda = ubicaMapa(rejilla(1, 1, 5, 1, 7, 1), anchoMapa, altoMapa);
    EXPECT_EQ(celda.columnasMapa, 1);
    EXPECT_EQ(celda.pixeles.datos[0][0], 0);
    EXPECT_EQ(celda.pixeles.datos[1][0], 0);

    const auto vacia = ubicaMapa(TImagenN<float>(), anchoMapa, altoMapa);
    EXPECT_EQ(vacia.columnasMapa, 0);
    EXPECT_EQ(vacia.pixeles.renglones, 0);
}

TEST(UbicaMapa, MasCeldasQuePixelesSinHuecos) {
    const int n = 1000;
    const auto c = rejilla(n, n, 0, 0.01f, 10, 0.01f);
    TImagenN<int> cov(n * n, 1);
    for (auto& v : cov.datos[0]) v = 1;
    const auto u = ubicaMapa(c, 600, 400);
    ASSERT_EQ(u.columnasMapa, n);
    QImage img(600, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    paletaColores p;
    pintaUniforme(p, img, cov, u.pixeles, 0, u.columnasMapa);
    // Every pixel of the drawing area (550 x 350) belongs to some cell: the last
    // map row (y = 350) is not painted, the one before it also sits at 350 and is
    // one pixel high.
    int blancos = 0;
    for (int y = 0; y <= 350; ++y)
        for (int x = 0; x <= 550; ++x) blancos += img.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_EQ(blancos, 0);
    EXPECT_EQ(img.pixel(551, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(0, 351), qRgb(255, 255, 255));
}

}  // namespace
