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
    for (int r = 0; r < 12; ++r) {
        EXPECT_EQ(u.pixeles.datos[0][r], static_cast<float>(250 * (r % 4))) << r;
        EXPECT_EQ(u.pixeles.datos[1][r], static_cast<float>(275 * (r / 4))) << r;
    }
    // Five columns over 750 pixels: 187.5 per unit, halves rounded up.
    const auto cinco = ubicaMapa(rejilla(5, 2), anchoMapa, altoMapa);
    EXPECT_EQ(std::vector<float>(cinco.pixeles.datos[0].begin() + 1, cinco.pixeles.datos[0].begin() + 4),
              (std::vector<float>{188, 375, 563}));
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
    using V = std::vector<std::vector<float>>;
    const struct {
        TImagenN<float> c;
        int columnas;
        V pixeles;
    } casos[] = {
        {rejilla(3, 1), 3, V{{0, 750, 1500}, {0, 0, 0}}},
        {rejilla(1, 3), 1, V{{0, 0, 0}, {0, 550, 1100}}},
        {rejilla(1, 1, 5, 1, 7, 1), 1, V{{0}, {0}}},  // one cell: the range is 0
        {TImagenN<float>(), 0, V{{}, {}}},
    };
    for (const auto& k : casos) {
        const auto u = ubicaMapa(k.c, anchoMapa, altoMapa);
        EXPECT_EQ(u.columnasMapa, k.columnas);
        EXPECT_EQ(u.pixeles.datos, k.pixeles);
    }
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
