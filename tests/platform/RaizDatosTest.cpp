#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
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

// Sets an environment variable (or removes it, for null) for one scope and
// puts back what was there.
class Variable {
public:
    Variable(const char* nombre, const char* valor) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre)) antes_ = v;
        valor ? setenv(nombre, valor, 1) : unsetenv(nombre);
    }
    ~Variable() { antes_ ? setenv(nombre_, antes_->c_str(), 1) : unsetenv(nombre_); }
    Variable(const Variable&) = delete;
    Variable& operator=(const Variable&) = delete;

private:
    const char* nombre_;
    std::optional<std::string> antes_;
};

TEST(RaizDatos, RootComesFromQuelHomeElseHome) {
    const auto entorno = [] {
        const char* h = std::getenv("HOME");
        const char* q = std::getenv("QUEL_HOME");
        return std::string(h ? h : "<none>") + "|" + (q ? q : "<none>");
    };
    const std::string antes = entorno();
    {
        Variable home("HOME", "/casa"), quel("QUEL_HOME", "/x/y");
        EXPECT_EQ(RaizDatos::desdeEntorno().raiz(), std::filesystem::path("/x/y"));
        for (const char* vacia : {static_cast<const char*>(nullptr), ""}) {
            Variable sinQuel("QUEL_HOME", vacia);
            EXPECT_EQ(RaizDatos::desdeEntorno().raiz(), std::filesystem::path("/casa/Quel")) << (vacia ? "empty" : "unset");
        }
    }
    EXPECT_EQ(entorno(), antes) << "the rest of the process sees the environment it had";
}
