// Gradient entries and how the stored channels compose into colours.
#include <gtest/gtest.h>

#include <tuple>

#include "render/paletaColores.h"

namespace {

using Rgb = std::tuple<int, int, int>;

Rgb rgb(const paletaColores& p, int g, int e) {
    const QRgb c = p.colorQt(g, e);
    return {qRed(c), qGreen(c), qBlue(c)};
}

TEST(Paleta, EntradasDeLosDegradados) {
    const paletaColores p;
    EXPECT_EQ(rgb(p, 0, 0), Rgb(0, 0, 254));
    EXPECT_EQ(rgb(p, 0, 63), Rgb(0, 252, 254));
    EXPECT_EQ(rgb(p, 0, 64), Rgb(0, 254, 254));
    EXPECT_EQ(rgb(p, 0, 128), Rgb(0, 254, 0));
    EXPECT_EQ(rgb(p, 0, 192), Rgb(254, 254, 0));
    EXPECT_EQ(rgb(p, 0, 254), Rgb(254, 6, 0));

    EXPECT_EQ(rgb(p, 1, 0), Rgb(254, 191, 127));
    EXPECT_EQ(rgb(p, 1, 1), Rgb(253, 190, 126));
    EXPECT_EQ(rgb(p, 1, 254), Rgb(127, 64, 0));

    EXPECT_EQ(rgb(p, 2, 0), Rgb(254, 2, 0));
    EXPECT_EQ(rgb(p, 2, 126), Rgb(254, 254, 0));
    EXPECT_EQ(rgb(p, 2, 127), Rgb(252, 254, 0));
    EXPECT_EQ(rgb(p, 2, 253), Rgb(0, 254, 0));

    EXPECT_EQ(rgb(p, 3, 0), Rgb(0, 0, 0));
    EXPECT_EQ(rgb(p, 3, 127), Rgb(254, 0, 0));

    EXPECT_EQ(rgb(p, 4, 0), Rgb(0, 0, 0));
    EXPECT_EQ(rgb(p, 4, 200), Rgb(200, 200, 200));
    EXPECT_EQ(rgb(p, 5, 0), Rgb(255, 255, 255));
    EXPECT_EQ(rgb(p, 5, 254), Rgb(1, 255, 1));
    EXPECT_EQ(rgb(p, 6, 0), Rgb(99, 0, 0));
    EXPECT_EQ(rgb(p, 6, 254), Rgb(99, 254, 0));
}

TEST(Paleta, BandasDelDegradadoSiete) {
    const paletaColores p;
    // The first and last entry of each band.
    for (auto [desde, hasta, color] : {std::tuple{0, 63, Rgb(255, 255, 255)}, {64, 126, Rgb(0, 191, 0)},
                                       {127, 190, Rgb(255, 191, 0)}, {191, 254, Rgb(191, 0, 0)}}) {
        EXPECT_EQ(rgb(p, 7, desde), color) << desde;
        EXPECT_EQ(rgb(p, 7, hasta), color) << hasta;
    }
}

TEST(Paleta, CanalesFueraDeRangoMuestranSusOchoBitsBajos) {
    const paletaColores p;
    // Stored as they are...
    EXPECT_EQ(p.colores[2][paletaColores::rojo][254], -2);
    EXPECT_EQ(p.colores[3][paletaColores::verde][128], 256);
    EXPECT_EQ(p.colores[3][paletaColores::verde][254], 508);
    // ...shown through the low byte.
    EXPECT_EQ(rgb(p, 2, 254), Rgb(254, 254, 0));
    EXPECT_EQ(rgb(p, 3, 128), Rgb(255, 0, 0));
    EXPECT_EQ(rgb(p, 3, 254), Rgb(255, 252, 0));
    EXPECT_EQ(rgb(p, 3, 191), Rgb(255, 126, 0));
}

TEST(Paleta, ColorCompuestoConRojoEnElByteBajo) {
    const paletaColores p;
    EXPECT_EQ(p.color(0, 0), 254 * 65536);               // blue
    EXPECT_EQ(p.color(2, 254), 254 + 254 * 256);         // red -2 keeps only 0xFE
    EXPECT_EQ(p.color(3, 254), 255 + 252 * 256);
    EXPECT_EQ(p.color(7, 191), 191);
    for (int g = 0; g < paletaColores::numDegradados; ++g)
        for (int e = 0; e < paletaColores::numEntradas; ++e) {
            EXPECT_EQ(p.colorQt(g, e), colorQtDeToolkit(static_cast<std::uint32_t>(p.color(g, e))));
            EXPECT_EQ(qAlpha(p.colorQt(g, e)), 255);
        }
}

TEST(Paleta, ConversionDeColoresDelToolkit) {
    EXPECT_EQ(colorQtDeToolkit(0xFF0000), qRgb(0, 0, 255));    // pure blue
    EXPECT_EQ(colorQtDeToolkit(0x0000FF), qRgb(255, 0, 0));    // pure red
    EXPECT_EQ(colorQtDeToolkit(0x33CC), qRgb(0xCC, 0x33, 0));
}

}  // namespace
