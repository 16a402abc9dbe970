// Element-wise table operations.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/tablas.h"

using namespace tablas;

namespace {

Tabla hace(int f, int c, std::initializer_list<long double> valores) {
    Tabla t(f, c);
    auto it = valores.begin();
    for (int col = 0; col < c; ++col)
        for (int r = 0; r < f; ++r) t.datos[static_cast<std::size_t>(col)][static_cast<std::size_t>(r)] = *it++;
    return t;
}

}  // namespace

TEST(Tablas, DivisionGuardaSoloElDivisorCero) {
    Tabla a = hace(2, 2, {1, 2, 3, 4}), b = hace(2, 2, {2, 0, 0.5L, 8}), c(2, 2);
    EXPECT_EQ(divideTablas(a, b, c), 0);
    EXPECT_EQ(c.datos, hace(2, 2, {0.5L, 0, 6, 0.5L}).datos);
    Tabla z(2, 2);
    EXPECT_EQ(divideEscalar(a, 0, z), 0);  // unguarded: infinities
    EXPECT_TRUE(std::isinf(z.datos[0][0]));
}

TEST(Tablas, MinimosReglasYPrecisionSimple) {
    Tabla a = hace(1, 4, {1, 2, 3, 0.1L}), b = hace(1, 4, {1, 1, 3, 5}), c = hace(1, 4, {2, 1, 1, 5}), d(1, 4);
    EXPECT_EQ(minimo3(a, b, c, d), 0);
    EXPECT_EQ(d.datos[0][0], 1.0L);
    EXPECT_EQ(d.datos[3][0], static_cast<long double>(0.1f));  // through single precision
    EXPECT_NE(d.datos[3][0], 0.1L);
    Tabla e(1, 4);
    EXPECT_EQ(minimo2(a, b, e), 0);
    EXPECT_EQ(e.datos[3][0], static_cast<long double>(0.1f));
    // Whole counts pass exactly up to 2^24.
    Tabla g = hace(1, 1, {16777216}), h = hace(1, 1, {16777217}), i(1, 1);
    minimo2(g, h, i);
    EXPECT_EQ(i.datos[0][0], 16777216.0L);
}

