// Text of the key labels.
#include <gtest/gtest.h>

#include <limits>

#include "render/etiquetas.h"

namespace {

TEST(Etiquetas, FormatoGeneralDeQuinceCifras) {
    EXPECT_EQ(textoEtiqueta(0), "0");
    EXPECT_EQ(textoEtiqueta(1), "1");
    EXPECT_EQ(textoEtiqueta(-1), "-1");
    EXPECT_EQ(textoEtiqueta(2.5f), "2.5");
    // The single-precision value is shown as widened, digits included.
    EXPECT_EQ(textoEtiqueta(0.1f), "0.100000001490116");
}

TEST(Etiquetas, NotacionCientificaFueraDelIntervaloFijo) {
    EXPECT_EQ(textoEtiqueta(0.0000152587890625f), "0.0000152587890625");  // 2^-16, >= 1E-5
    EXPECT_EQ(textoEtiqueta(0.00000762939453125f), "7.62939453125E-6");    // 2^-17
    EXPECT_EQ(textoEtiqueta(1e20f), "1.00000002004088E20");
    EXPECT_EQ(textoEtiqueta(1099511627776.0f), "1099511627776");          // 2^40
    EXPECT_EQ(textoEtiqueta(std::numeric_limits<float>::quiet_NaN()), "NAN");
    EXPECT_EQ(textoEtiqueta(-std::numeric_limits<float>::infinity()), "-INF");
}

}  // namespace
