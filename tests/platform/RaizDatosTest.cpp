#include <gtest/gtest.h>

#include <string>

#include "platform/RaizDatos.h"
#include "support/testutil.h"

using quel::RaizDatos;

TEST(RaizDatos, MapsLogicalPathsUnderTheRootWhateverTheSeparators) {
    RaizDatos r("/datos/q");
    // Paths not under the fixed folder are used as they are.
    for (auto [logica, real] : {std::pair{"C:\\Quel\\Grids\\MascaraTmp.txt", "/datos/q/Grids/MascaraTmp.txt"},
                                {"c:/quel/Lenguajes/english.quel", "/datos/q/Lenguajes/english.quel"},
                                {"C:\\Quel\\CovTemp.txt", "/datos/q/CovTemp.txt"},
                                {"C:\\Quelite\\a.txt", "C:\\Quelite\\a.txt"}, {"/home/u/a.txt", "/home/u/a.txt"},
                                {"relativo.txt", "relativo.txt"}})
        EXPECT_EQ(r.mapea(logica), std::filesystem::path(real)) << logica;
}

TEST(RaizDatos, FirstUseCreatesTheSkeletonOnce) {
    prueba::CarpetaTemporal t;
    RaizDatos r(t / "Quel");
    EXPECT_TRUE(r.asegura());
    for (const char* d : {"Lenguajes", "Covariables", "Grids"})
        EXPECT_TRUE(std::filesystem::is_directory(t / "Quel" / d)) << d;
    EXPECT_FALSE(r.asegura());
}
