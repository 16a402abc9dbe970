// The bundled sample region (samples/) must be exactly what the command line
// makes from its own grids, and must run through a prediction. The arguments
// below are those scripts/make-samples uses to write the three tables; change
// both together.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

fs::path muestras() { return prueba::fuentes() / "samples"; }
std::string grid(const std::string& nombre) { return (muestras() / "grids" / nombre).string(); }

std::vector<std::string> lineas(const std::string& texto) {
    std::vector<std::string> v;
    std::istringstream s(texto);
    for (std::string l; std::getline(s, l);) v.push_back(l);
    return v;
}

std::vector<std::string> campos(const std::string& linea) {
    std::vector<std::string> v;
    std::istringstream s(linea);
    for (std::string c; std::getline(s, c, ',');) v.push_back(c);
    return v;
}

// The data rows of the bundled covariate table, split into fields.
std::vector<std::vector<std::string>> filasTabla() {
    std::vector<std::string> tabla = lineas(prueba::lee(muestras() / "covariates.txt"));
    std::size_t i = 0;
    while (i < tabla.size() && tabla[i] != "**********") ++i;
    std::vector<std::vector<std::string>> filas;
    for (i += 2; i < tabla.size(); ++i) filas.push_back(campos(tabla[i]));
    return filas;
}

cli::Argumentos argumentosCovariables(const fs::path& salida) {
    return {"--out",
            salida.string(),
            grid("elevation.asc") + ":8",
            grid("temperature.asc") + ":8",
            grid("precipitation.asc") + ":6",
            grid("slope.asc") + ":5",
            grid("landcover.asc") + ":manual",
            grid("soil.asc") + ":manual"};
}

}  // namespace

TEST(Muestras, CovariateTableIsWhatCovariatesMakes) {
    prueba::CarpetaTemporal tmp;
    ASSERT_EQ(cli::covariates(argumentosCovariables(tmp / "covariates.txt")), 0);
    EXPECT_TRUE(prueba::lee(tmp / "covariates.txt") == prueba::lee(muestras() / "covariates.txt"));
}

TEST(Muestras, PriorFileIsWhatPriorMakes) {
    prueba::CarpetaTemporal tmp;
    ASSERT_EQ(cli::prior({"--base", grid("base.asc"), "--prior", grid("prior.asc"), "--out",
                          (tmp / "prior.txt").string()}),
              0);
    EXPECT_TRUE(prueba::lee(tmp / "prior.txt") == prueba::lee(muestras() / "prior.txt"));
}

TEST(Muestras, BiasFileIsWhatBiasMakes) {
    prueba::CarpetaTemporal tmp;
    ASSERT_EQ(cli::bias({"--covariates", (muestras() / "covariates.txt").string(), "--cities",
                         grid("cities.asc"), "--alfa", "1", "--roads", grid("roads.asc"), "--beta", "2",
                         "--richness", grid("richness.asc"), "--cota", "10000", "--sites",
                         (muestras() / "sites.txt").string(), "--absences", "200", "--out",
                         (tmp / "bias.txt").string()}),
              0);
    EXPECT_TRUE(prueba::lee(tmp / "bias.txt") == prueba::lee(muestras() / "bias.txt"));
}

// The four inputs load together and predict: every cell of the region gets a
// predictive value, and the other cells are no data.
TEST(Muestras, LoadAndPredict) {
    prueba::CarpetaTemporal tmp;
    ASSERT_EQ(cli::predict({"--covariates", (muestras() / "covariates.txt").string(), "--sites",
                            (muestras() / "sites.txt").string(), "--bias",
                            (muestras() / "bias.txt").string(), "--prior",
                            (muestras() / "prior.txt").string(), "--out", tmp.ruta().string()}),
              0);
    for (const char* nombre : {"predictive.txt", "certainty.txt", "prior_potential.txt",
                               "predictive.asc", "certainty.asc", "prior_potential.asc"})
        EXPECT_TRUE(fs::is_regular_file(tmp / nombre)) << nombre;

    std::size_t validas = 0;
    for (const auto& f : filasTabla())
        if (!f.empty() && f.back() == "1") ++validas;
    ASSERT_GT(validas, 0u);
    std::vector<std::string> asc = lineas(prueba::lee(tmp / "predictive.asc"));
    ASSERT_EQ(asc.size(), 6u + 45u);
    EXPECT_EQ(asc[0], "ncols         60");
    EXPECT_EQ(asc[1], "nrows         45");
    std::size_t conValor = 0;
    for (std::size_t i = 6; i < asc.size(); ++i) {
        std::istringstream s(asc[i]);
        for (std::string v; s >> v;) {
            if (v == "-9999") continue;
            double p = std::strtod(v.c_str(), nullptr);
            EXPECT_GT(p, 0.0);
            EXPECT_TRUE(std::isfinite(p));
            ++conValor;
        }
    }
    EXPECT_EQ(conValor, validas);
}
