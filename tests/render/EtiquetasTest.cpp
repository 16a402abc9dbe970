// Text of the numbers shown for reading.
#include <gtest/gtest.h>

#include <limits>

#include "render/etiquetas.h"

namespace {

TEST(Etiquetas, CuatroCifrasYExponenteSoloDebajoDeUnaMilesima) {
    const struct {
        double valor;
        const char* texto;
    } casos[] = {
        {0, "0"}, {1, "1"}, {-1, "-1"}, {2.5, "2.5"},
        {0.1f, "0.1"},  // the widened float's digits are not shown
        {0.0739485323429108, "0.07395"}, {3.21521110890899e-5, "3.215E-5"}, {-0.0001, "-1E-4"}, {0.001, "0.001"},
        {0.00099996, "0.001"},  // rounding carries into the next power
        {9.99951, "10"}, {1234567, "1235000"}, {1e20, "100000000000000000000"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"}, {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto& c : casos) EXPECT_EQ(textoEtiqueta(c.valor), c.texto) << c.valor;
}

}  // namespace
