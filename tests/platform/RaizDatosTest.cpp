#include <gtest/gtest.h>

#include "platform/RaizDatos.h"
#include "support/testutil.h"

using quel::RaizDatos;

TEST(RaizDatos, MapsLogicalPathsUnderTheRootWhateverTheSeparators) {
    RaizDatos r("/datos/q");
    EXPECT_EQ(r.mapea("C:\\Quel\\Grids\\MascaraTmp.txt"), std::filesystem::path("/datos/q/Grids/MascaraTmp.txt"));
    EXPECT_EQ(r.mapea("c:/quel/Lenguajes/english.quel"), std::filesystem::path("/datos/q/Lenguajes/english.quel"));
    EXPECT_EQ(r.mapea("C:\\Quel\\CovTemp.txt"), std::filesystem::path("/datos/q/CovTemp.txt"));
    // Not under the fixed folder: used as it is.
    EXPECT_EQ(r.mapea("C:\\Quelite\\a.txt"), std::filesystem::path("C:\\Quelite\\a.txt"));
    EXPECT_EQ(r.mapea("/home/u/a.txt"), std::filesystem::path("/home/u/a.txt"));
    EXPECT_EQ(r.mapea("relativo.txt"), std::filesystem::path("relativo.txt"));
}

TEST(RaizDatos, FirstUseCreatesTheSkeletonOnce) {
    prueba::CarpetaTemporal t;
    RaizDatos r(t / "Quel");
    EXPECT_TRUE(r.asegura());
    for (const char* d : {"Lenguajes", "Covariables", "Grids"})
        EXPECT_TRUE(std::filesystem::is_directory(t / "Quel" / d)) << d;
    EXPECT_FALSE(r.asegura());
}

TEST(RaizDatos, RootComesFromQuelHomeElseHome) {
    const char* viejo = std::getenv("QUEL_HOME");
    std::string guardado = viejo ? viejo : "";
    setenv("QUEL_HOME", "/x/y", 1);
    EXPECT_EQ(RaizDatos::desdeEntorno().raiz(), std::filesystem::path("/x/y"));
    unsetenv("QUEL_HOME");
    setenv("HOME", "/casa", 1);
    EXPECT_EQ(RaizDatos::desdeEntorno().raiz(), std::filesystem::path("/casa/Quel"));
    if (viejo) setenv("QUEL_HOME", guardado.c_str(), 1);
}
