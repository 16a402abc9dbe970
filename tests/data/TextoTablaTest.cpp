// The buffered line reader and the number rules under the loaders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/textoTabla.h"
#include "support/testutil.h"

namespace {

std::vector<std::pair<std::string, bool>> piezas(const std::string& bytes) {
    prueba::CarpetaTemporal dir;
    prueba::escribe(dir / "f.txt", bytes);
    texto::LectorPiezas lector(dir / "f.txt");
    std::vector<std::pair<std::string, bool>> r;
    texto::Pieza p;
    while (lector.siguiente(p)) r.emplace_back(std::string(p.texto), p.alFinal);
    EXPECT_FALSE(lector.error());
    return r;
}

using V = std::vector<std::pair<std::string, bool>>;

TEST(LectorPiezas, LineFeedsEndPiecesAndTheFileEndsTheLastOne) {
    EXPECT_EQ(piezas(""), (V{{"", true}}));
    EXPECT_EQ(piezas("a,b"), (V{{"a,b", true}}));
    // A final line feed leaves an empty last piece (which the loaders reject).
    EXPECT_EQ(piezas("a\n\nb\n"), (V{{"a", false}, {"", false}, {"b", false}, {"", true}}));
    // Carriage return and line feed count as one line feed; lone ones stay.
    EXPECT_EQ(piezas("a\r\nb\r\r\nc\r"), (V{{"a", false}, {"b\r", false}, {"c\r", true}}));
}

TEST(LectorPiezas, LinesLongerThanTheReadBlockComeWhole) {
    const std::string larga(3'000'000, 'x');
    const auto r = piezas("corta\n" + larga + "\n" + larga);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].first, larga);
    EXPECT_EQ(r[2], (std::pair<std::string, bool>{larga, true}));
}

// Validation accepts exactly what the C conversion consumes whole, with the
// same value; the readers take the conversion's leading number.
TEST(Numeros, SameSyntaxAndValuesAsTheCConversion) {
    for (const char* s : {"0", "-0", "12", ".5", "5.", "+1", "1e5", "1E-3", "-.5e-3", "0x1p3", "00012",
                          "0.1000000000000000055511151231257827", "123456789012", "1e-320", "1e400",
                          "inf", "nan", "\v7", "1e", "1e+", ".", "-", "+-1", "abc", "1.5abc", "1,5"}) {
        char* fin = nullptr;
        const double esperado = std::strtod(s, &fin);
        const bool completo = *fin == '\0' && fin != s;
        double v = -1;
        EXPECT_EQ(texto::numeroCompleto(s, v), completo) << s;
        if (esperado != esperado) continue;  // NaN
        if (completo) {
            EXPECT_EQ(v, esperado) << s;
        }
        EXPECT_EQ(texto::numeroPrefijo(s), esperado) << s;
    }
    double v;
    EXPECT_FALSE(texto::numeroCompleto("", v));
    EXPECT_FALSE(texto::numeroCompleto(std::string_view("1\0" "2", 3), v));
}

}  // namespace
