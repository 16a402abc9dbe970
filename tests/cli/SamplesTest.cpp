// The bundled sample region (samples/) must be exactly what the command line
// makes from its own grids. The arguments below are those scripts/make-samples
// uses to write the three tables; change both together.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/comandos.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

fs::path muestras() { return prueba::fuentes() / "samples"; }
std::string grid(const std::string& nombre) { return (muestras() / "grids" / nombre).string(); }

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
