// Gradient entries and how the stored channels compose into colours.
#include <gtest/gtest.h>

#include <tuple>

#include "render/paletaColores.h"

namespace {

using Rgb = std::tuple<int, int, int>;

// The designed entries at the ends and turning points of each gradient;
// channels stored outside 0..255 show through their low byte.
TEST(Paleta, EntradasDeLosDegradados) {
    const paletaColores p;
    const struct {
        int degradado, entrada;
        Rgb color;
    } casos[] = {
        {0, 0, {0, 0, 254}},       {0, 63, {0, 252, 254}},    {0, 64, {0, 254, 254}},   {0, 128, {0, 254, 0}},
        {0, 192, {254, 254, 0}},   {0, 254, {254, 6, 0}},     {1, 0, {254, 191, 127}},  {1, 1, {253, 190, 126}},
        {1, 254, {127, 64, 0}},    {2, 0, {254, 2, 0}},       {2, 126, {254, 254, 0}},  {2, 127, {252, 254, 0}},
        {2, 253, {0, 254, 0}},     {2, 254, {254, 254, 0}},   {3, 0, {0, 0, 0}},        {3, 127, {254, 0, 0}},
        {3, 128, {255, 0, 0}},     {3, 191, {255, 126, 0}},   {3, 254, {255, 252, 0}},  {4, 0, {0, 0, 0}},
        {4, 200, {200, 200, 200}}, {5, 0, {255, 255, 255}},   {5, 254, {1, 255, 1}},    {6, 0, {99, 0, 0}},
        {6, 254, {99, 254, 0}},    {7, 0, {255, 255, 255}},   {7, 63, {255, 255, 255}}, {7, 64, {0, 191, 0}},
        {7, 126, {0, 191, 0}},     {7, 127, {255, 191, 0}},   {7, 190, {255, 191, 0}},  {7, 191, {191, 0, 0}},
        {7, 254, {191, 0, 0}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(testing::Message() << c.degradado << "/" << c.entrada);
        const QRgb q = p.colorQt(c.degradado, c.entrada);
        EXPECT_EQ(Rgb(qRed(q), qGreen(q), qBlue(q)), c.color);
        EXPECT_EQ(qAlpha(q), 255);
    }
    // Stored as they are, shown through the low byte.
    EXPECT_EQ(p.colores[2][paletaColores::rojo][254], -2);
    EXPECT_EQ(p.colores[3][paletaColores::verde][254], 508);
}

TEST(Paleta, ColorDelToolkitConRojoEnElByteBajo) {
    const paletaColores p;
    EXPECT_EQ(p.color(0, 0), 254 * 65536);        // blue
    EXPECT_EQ(p.color(2, 254), 254 + 254 * 256);  // red -2 keeps only 0xFE
    EXPECT_EQ(p.color(7, 191), 191);
    EXPECT_EQ(colorQtDeToolkit(0xFF0000), qRgb(0, 0, 255));
    EXPECT_EQ(colorQtDeToolkit(0x33CC), qRgb(0xCC, 0x33, 0));
    // The two forms of every entry agree.
    for (int g = 0; g < paletaColores::numDegradados; ++g)
        for (int e = 0; e < paletaColores::numEntradas; ++e)
            ASSERT_EQ(p.colorQt(g, e), colorQtDeToolkit(static_cast<std::uint32_t>(p.color(g, e)))) << g << "/" << e;
}

}  // namespace
