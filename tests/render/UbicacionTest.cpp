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

}  // namespace
