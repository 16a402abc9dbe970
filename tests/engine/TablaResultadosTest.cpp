// The comma-separated result table, to the byte.
#include <gtest/gtest.h>

#include "data/tablaResultados.h"
#include "support/testutil.h"

namespace {

struct Superficie {
    TImagenN<float> coord{3, 2};
    TImagenN<long double> valores{3, 2};
    Superficie() {
        const float xs[3] = {-99.5f, -99.0f, 1234567.0f};
        const float ys[3] = {19.25f, 19.25f, 0.0001f};
        const long double vs[3] = {0, 0.123456789012345678L, 1.0L / 3e9L};
        for (std::size_t r = 0; r < 3; ++r) {
            coord.datos[0][r] = xs[r];
            coord.datos[1][r] = ys[r];
            valores.datos[0][r] = vs[r];
            valores.datos[1][r] = 99;  // never written
        }
    }
};

const tablaResultados::Titulos kTitulos{"Longitude", "Latitude", "Certainty"};

}  // namespace

TEST(TablaResultados, BytesConSeisDigitos) {
    prueba::CarpetaTemporal dir;
    Superficie s;
    ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, s.coord, s.valores));
    EXPECT_EQ(prueba::lee(dir / "t.txt"),
              "Longitude, Latitude,Certainty,\n"
              "-99.5,19.25,0\n"
              "-99,19.25,0.123457\n"
              "1.23457e+06,0.0001,3.33333e-10\n");
}

TEST(TablaResultados, DigitosSoloEnLaColumnaDeValores) {
    prueba::CarpetaTemporal dir;
    Superficie s;
    ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, s.coord, s.valores, 17));
    EXPECT_EQ(prueba::lee(dir / "t.txt"),
              "Longitude, Latitude,Certainty,\n"
              "-99.5,19.25,0\n"
              "-99,19.25,0.12345678901234568\n"
              "1.23457e+06,0.0001,3.3333333333333333e-10\n");
}

TEST(TablaResultados, TamanosQueNoCasanNoEscriben) {
    prueba::CarpetaTemporal dir;
    Superficie s;
    TImagenN<long double> corta(2, 1);
    EXPECT_FALSE(tablaResultados::escribe(dir / "t.txt", kTitulos, s.coord, corta));
    EXPECT_FALSE(std::filesystem::exists(dir / "t.txt"));
    EXPECT_FALSE(tablaResultados::escribe(dir / "no" / "t.txt", kTitulos, s.coord, s.valores));
    // No rows: only the title line.
    TImagenN<float> vacia;
    TImagenN<long double> nada;
    ASSERT_TRUE(tablaResultados::escribe(dir / "v.txt", kTitulos, vacia, nada));
    EXPECT_EQ(prueba::lee(dir / "v.txt"), "Longitude, Latitude,Certainty,\n");
}

TEST(TablaResultados, ValoresRepetidosYCeroNegativo) {
    prueba::CarpetaTemporal dir;
    TImagenN<float> coord(4, 2);
    TImagenN<long double> v(4, 1);
    const long double vs[4] = {0.5L, 0.5L, 0, -0.0L};
    for (std::size_t r = 0; r < 4; ++r) {
        coord.datos[0][r] = static_cast<float>(r);
        coord.datos[1][r] = 7.125f;
        v.datos[0][r] = vs[r];
    }
    ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, coord, v));
    EXPECT_EQ(prueba::lee(dir / "t.txt"),
              "Longitude, Latitude,Certainty,\n0,7.125,0.5\n1,7.125,0.5\n2,7.125,0\n3,7.125,-0\n");
}
