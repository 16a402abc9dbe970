// The comma-separated result table, to the byte.
#include <gtest/gtest.h>

#include "data/tablaResultados.h"
#include "support/testutil.h"

namespace {

const tablaResultados::Titulos kTitulos{"Longitude", "Latitude", "Certainty"};

// Rows of (x, y, value); a second value column that is never written.
struct Superficie {
    TImagenN<float> coord;
    TImagenN<long double> valores;
    Superficie(const std::vector<std::tuple<float, float, long double>>& filas)
        : coord(static_cast<int>(filas.size()), 2), valores(static_cast<int>(filas.size()), 2) {
        for (std::size_t r = 0; r < filas.size(); ++r) {
            std::tie(coord.datos[0][r], coord.datos[1][r], valores.datos[0][r]) = filas[r];
            valores.datos[1][r] = 99;
        }
    }
};

}  // namespace

TEST(TablaResultados, BytesConLosDigitosPedidosSoloEnLaColumnaDeValores) {
    const Superficie s({{-99.5f, 19.25f, 0}, {-99.0f, 19.25f, 0.123456789012345678L}, {1234567.0f, 0.0001f, 1.0L / 3e9L}});
    const Superficie repetidos({{0, 7.125f, 0.5L}, {1, 7.125f, 0.5L}, {2, 7.125f, 0}, {3, 7.125f, -0.0L}});
    const struct {
        const Superficie& s;
        int digitos;
        const char* cuerpo;
    } casos[] = {
        {s, 6, "-99.5,19.25,0\n-99,19.25,0.123457\n1.23457e+06,0.0001,3.33333e-10\n"},
        {s, 17, "-99.5,19.25,0\n-99,19.25,0.12345678901234568\n1.23457e+06,0.0001,3.3333333333333333e-10\n"},
        {repetidos, 6, "0,7.125,0.5\n1,7.125,0.5\n2,7.125,0\n3,7.125,-0\n"},
        {Superficie({}), 6, ""},
    };
    prueba::CarpetaTemporal dir;
    for (const auto& c : casos) {
        ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, c.s.coord, c.s.valores, c.digitos));
        EXPECT_EQ(prueba::lee(dir / "t.txt"), std::string("Longitude, Latitude,Certainty,\n") + c.cuerpo);
    }
    // Sizes that do not match, or a missing folder: nothing written.
    EXPECT_FALSE(tablaResultados::escribe(dir / "u.txt", kTitulos, s.coord, TImagenN<long double>(2, 1)));
    EXPECT_FALSE(std::filesystem::exists(dir / "u.txt"));
    EXPECT_FALSE(tablaResultados::escribe(dir / "no" / "t.txt", kTitulos, s.coord, s.valores));
}
