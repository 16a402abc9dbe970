// Gradient entries and how the stored channels compose into colours.
#include <gtest/gtest.h>

#include "render/paletaColores.h"

namespace {

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
