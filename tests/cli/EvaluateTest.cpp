// quel-cli evaluate on the bundled samples: the files it writes, the same
// bytes on any thread count, and each fold's map being the map of a plain
// predict on that fold's training sites.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/CovariatesApoyo.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

fs::path muestra(const char* nombre) { return prueba::fuentes() / "samples" / nombre; }

std::vector<std::string> entradas() {
    return {"--covariates", muestra("covariates.txt").string(), "--sites", muestra("sites.txt").string(),
            "--bias",       muestra("bias.txt").string(),       "--prior", muestra("prior.txt").string()};
}

apoyo::Salida evaluate(std::vector<std::string> extra) {
    std::vector<std::string> args = entradas();
    args.insert(args.end(), extra.begin(), extra.end());
    return apoyo::corre(cli::evaluate, args);
}

std::vector<std::vector<std::string>> filas(const std::string& texto) {
    std::vector<std::vector<std::string>> r;
    std::istringstream s(texto);
    for (std::string l; std::getline(s, l);) {
        std::vector<std::string> campos;
        std::istringstream c(l + ",");
        for (std::string v; std::getline(c, v, ',');) campos.push_back(v);
        r.push_back(campos);
    }
    return r;
}

// The importances (rows with no second covariate) of an importance file.
double sumaImportancias(const std::string& texto) {
    double suma = 0;
    for (const auto& f : filas(texto))
        if (f.size() == 3 && f[1].empty() && f[0] != "covariate") suma += std::stod(f[2]);
    return suma;
}

}  // namespace

TEST(Evaluate, SamplesEndToEndSameBytesOnAnyThreadCountAndFoldMapsArePlainPredictions) {
    prueba::CarpetaTemporal tmp;
    const std::vector<std::string> opciones = {"--seed", "7", "--keep-fold-maps", "--background", "1000"};
    std::vector<std::string> uno = opciones, dos = opciones;
    uno.insert(uno.end(), {"--out", (tmp / "uno").string(), "--threads", "1", "--png"});
    dos.insert(dos.end(), {"--out", (tmp / "dos").string(), "--threads", "3"});
    const apoyo::Salida s = evaluate(uno);
    ASSERT_EQ(s.estado, 0) << s.err;
    ASSERT_EQ(evaluate(dos).estado, 0);

    const auto tabla = filas(prueba::lee(tmp / "uno" / "evaluation.csv"));
    ASSERT_EQ(tabla.size(), 1u + 3 * (5 + 2));  // three species: five folds, mean and sd
    EXPECT_EQ(tabla[0][0], "species");
    EXPECT_EQ(tabla[6][1], "mean");
    EXPECT_EQ(filas(prueba::lee(tmp / "uno" / "folds.csv")).size(), 1u + 135);
    std::size_t csv = 0;
    for (const auto& f : fs::directory_iterator(tmp / "uno")) {
        const std::string nombre = f.path().filename().string();
        if (f.path().extension() == ".png") continue;
        csv += f.path().extension() == ".csv";
        EXPECT_EQ(prueba::lee(f.path()), prueba::lee(tmp / "dos" / nombre)) << nombre;
    }
    EXPECT_EQ(csv, 2u + 3 * 4);
    for (const char* n : {"roc_", "boyce_", "importance_", "response_"})
        EXPECT_TRUE(fs::exists(tmp / "uno" / (std::string(n) + "Pinus_oocarpa.png"))) << n;
    EXPECT_NEAR(sumaImportancias(prueba::lee(tmp / "uno" / "importance_Pinus_oocarpa.csv")), 2.0, 1e-5);

    // Fold 2 of one species by hand: its training sites, as folds.csv gives them.
    std::string sitios;
    for (const auto& f : filas(prueba::lee(tmp / "uno" / "folds.csv")))
        if (f[0] == "Pinus_oocarpa" && f[3] != "2") sitios += (sitios.empty() ? "" : "\n") + f[0] + "," + f[1] + "," + f[2];
    prueba::escribe(tmp / "entrenamiento.txt", sitios);
    std::vector<std::string> args = entradas();
    args[3] = (tmp / "entrenamiento.txt").string();
    args.insert(args.end(), {"--out", (tmp / "mano").string(), "--species", "Pinus_oocarpa", "--importance"});
    ASSERT_EQ(apoyo::corre(cli::predict, args).estado, 0);
    EXPECT_EQ(prueba::lee(tmp / "mano" / "predictive.asc"), prueba::lee(tmp / "uno" / "fold_Pinus_oocarpa_2.asc"));
    EXPECT_NEAR(sumaImportancias(prueba::lee(tmp / "mano" / "importance.csv")), 2.0, 1e-5);
    EXPECT_EQ(filas(prueba::lee(tmp / "mano" / "response.csv"))[0][3], "mean_predictive");
}

TEST(Evaluate, BadSettingsAreRefusedBeforeAnyFileIsWritten) {
    const struct {
        std::vector<std::string> extra;
        int estado;
        const char* mensaje;
    } casos[] = {
        {{"--partition", "hexagon"}, 2, "--partition must be random, block, checkerboard or jackknife"},
        {{"--folds", "1"}, 2, "--folds must be a whole number from 2 to 1000"},
        {{"--species", "Lynx_rufus"}, 2, "unknown species 'Lynx_rufus'"},
        {{"--partition", "jackknife"}, 3, "is for fewer than 25 sites; Brosimum_alicastrum has 45"},
    };
    for (const auto& c : casos) {
        prueba::CarpetaTemporal tmp;
        std::vector<std::string> extra = c.extra;
        extra.insert(extra.end(), {"--out", (tmp / "out").string()});
        const apoyo::Salida s = evaluate(extra);
        EXPECT_EQ(s.estado, c.estado) << c.mensaje;
        EXPECT_NE(s.err.find(c.mensaje), std::string::npos) << s.err;
        EXPECT_TRUE(!fs::exists(tmp / "out") || fs::is_empty(tmp / "out")) << c.mensaje;
    }
}

// A species' file may take the name of an input only once the species are
// known; the whole set is then refused and the input keeps its bytes.
TEST(Evaluate, AFileOfASpeciesIsNeverWrittenOverAnInput) {
    prueba::CarpetaTemporal tmp;
    fs::create_directories(tmp / "out");
    const fs::path sitios = tmp / "out" / "roc_Pinus_oocarpa.csv";
    fs::copy_file(muestra("sites.txt"), sitios);
    const std::string antes = prueba::lee(sitios);
    std::vector<std::string> args = entradas();
    args[3] = sitios.string();
    args.insert(args.end(), {"--out", (tmp / "out").string()});
    const apoyo::Salida s = apoyo::corre(cli::evaluate, args);
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("is an input of the evaluation"), std::string::npos) << s.err;
    EXPECT_EQ(prueba::lee(sitios), antes);
    EXPECT_FALSE(fs::exists(tmp / "out" / "evaluation.csv"));
}
