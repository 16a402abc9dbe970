// The bundled sample region (samples/) must be exactly what the command line
// makes from its own grids, and must run through a prediction. The arguments
// below are those scripts/make-samples uses to write the three tables; change
// both together.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
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

const char* const kGrids[] = {"elevation.asc", "temperature.asc", "precipitation.asc", "slope.asc",
                              "landcover.asc", "soil.asc",        "base.asc",          "prior.asc",
                              "cities.asc",    "roads.asc",       "richness.asc"};

}  // namespace

// Every grid of the region describes the same cells: the covariate table, the
// prior transform and the bias steps pair their cells by position.
TEST(Muestras, GridsShareOneGeometryAndStaySmall) {
    std::string cabecera;
    std::uintmax_t total = 0;
    for (const char* nombre : kGrids) {
        SCOPED_TRACE(nombre);
        std::string texto = prueba::lee(grid(nombre));
        ASSERT_FALSE(texto.empty());
        EXPECT_NE(texto.back(), '\n');
        std::vector<std::string> l = lineas(texto);
        ASSERT_EQ(l.size(), 6u + 45u);
        std::string esta;
        for (int i = 0; i < 6; ++i) esta += l[i] + "\n";
        if (cabecera.empty()) cabecera = esta;
        EXPECT_EQ(esta, cabecera);
        for (std::size_t i = 6; i < l.size(); ++i) {
            std::istringstream s(l[i]);
            int n = 0;
            for (std::string v; s >> v;) ++n;
            EXPECT_EQ(n, 60) << "grid row " << i - 6;
        }
    }
    EXPECT_EQ(cabecera,
              "ncols         60\nnrows         45\nxllcorner     -105.6\n"
              "yllcorner     19.2\ncellsize      0.025\nNODATA_value  -9999\n");
    for (const auto& e : fs::recursive_directory_iterator(muestras()))
        if (e.is_regular_file()) total += e.file_size();
    EXPECT_LT(total, 1000000u);
}

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

// Each record lies in a cell of the study region: its cell's lower-left
// corner is a row of the covariate table whose region flag is 1.
TEST(Muestras, SitesLieInTheRegion) {
    std::vector<std::vector<std::string>> filas = filasTabla();
    ASSERT_EQ(filas.size(), 60u * 45u);
    std::map<std::pair<long, long>, bool> region;  // corner in thousandths of a degree
    for (const auto& f : filas) {
        ASSERT_EQ(f.size(), 9u);
        region[{std::lround(std::strtod(f[0].c_str(), nullptr) * 1000),
                std::lround(std::strtod(f[1].c_str(), nullptr) * 1000)}] = f.back() == "1";
    }
    std::map<std::string, int> porEspecie;
    for (const std::string& l : lineas(prueba::lee(muestras() / "sites.txt"))) {
        std::vector<std::string> f = campos(l);
        ASSERT_EQ(f.size(), 3u) << l;
        double x = std::strtod(f[1].c_str(), nullptr), y = std::strtod(f[2].c_str(), nullptr);
        long cx = std::lround((-105.6 + std::floor((x + 105.6) / 0.025) * 0.025) * 1000);
        long cy = std::lround((19.2 + std::floor((y - 19.2) / 0.025) * 0.025) * 1000);
        auto celda = region.find({cx, cy});
        ASSERT_NE(celda, region.end()) << l;
        EXPECT_TRUE(celda->second) << l;
        ++porEspecie[f[0]];
    }
    EXPECT_EQ(porEspecie.size(), 3u);
    for (const auto& [especie, n] : porEspecie) EXPECT_GE(n, 30) << especie;
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
