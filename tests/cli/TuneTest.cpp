// quel-cli tune on the bundled samples: the same tuning.csv on any thread
// count, the best table equal to covariates run by hand with the best
// setting, usage errors, and a cancelled tuning writing nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "managers/covariates/ajusteClases.h"
#include "support/progresoPrueba.h"
#include "support/testutil.h"

namespace fs = std::filesystem;

namespace {

fs::path muestra(const std::string& nombre) { return prueba::fuentes() / "samples" / nombre; }

const char* const kGrids[] = {"elevation", "temperature", "precipitation", "slope"};
const char* const kEspecie = "Quercus_magnoliifolia";

// The sample grids, each with `sufijo` appended (":q8", ...).
std::vector<std::string> grids(const std::string& sufijo = "") {
    std::vector<std::string> r;
    for (const char* g : kGrids) r.push_back(muestra(std::string("grids/") + g + ".asc").string() + sufijo);
    return r;
}

apoyo::Salida tune(const fs::path& salida, std::vector<std::string> extra) {
    std::vector<std::string> args = grids();
    for (const std::string& a : std::vector<std::string>{"--out", salida.string(), "--sites", muestra("sites.txt").string(), "--bias",
                                 muestra("bias.txt").string(), "--prior", muestra("prior.txt").string()})
        args.push_back(a);
    args.insert(args.end(), extra.begin(), extra.end());
    return apoyo::corre(cli::tune, args);
}

}  // namespace

// The sample bias and prior files are tied to the grids' cells, which every
// setting shares: each setting's table loads with them.
TEST(Tune, SamplesSameBytesOnAnyThreadCountAndBestTableIsTheCommandsOwn) {
    prueba::CarpetaTemporal tmp;
    const std::vector<std::string> opciones = {"--schemes", "interval,quantile", "--classes", "4,8",
                                               "--folds",   "3",                 "--species", kEspecie};
    std::vector<std::string> uno = opciones, tres = opciones;
    uno.insert(uno.end(), {"--threads", "1"});
    tres.insert(tres.end(), {"--threads", "3"});
    const apoyo::Salida s = tune(tmp / "uno", uno);
    ASSERT_EQ(s.estado, 0) << s.err;
    ASSERT_EQ(tune(tmp / "tres", tres).estado, 0);

    const std::string csv = prueba::lee(tmp / "uno" / "tuning.csv");
    EXPECT_EQ(csv, prueba::lee(tmp / "tres" / "tuning.csv"));
    std::istringstream lineas(csv);
    std::vector<std::string> primeros;
    for (std::string l; std::getline(lineas, l);) primeros.push_back(l.substr(0, l.find(',', l.find(',') + 1)));
    EXPECT_EQ(primeros, (std::vector<std::string>{"scheme,classes", "interval,4", "interval,8", "quantile,4",
                                                  "quantile,8"}));

    // "SPECIES: best SCHEME N: ..."
    std::istringstream mejor(s.out.substr(s.out.find("best ") + 5));
    std::string esquema;
    int clases = 0;
    mejor >> esquema >> clases;
    ASSERT_GT(clases, 0) << s.out;
    std::vector<std::string> aMano = grids((esquema == "quantile" ? ":q" : ":") + std::to_string(clases));
    aMano.insert(aMano.begin(), {"--out", (tmp / "a_mano.txt").string()});
    ASSERT_EQ(apoyo::corre(cli::covariates, aMano).estado, 0);
    EXPECT_EQ(prueba::lee(tmp / "uno" / "covariates.txt"), prueba::lee(tmp / "a_mano.txt"));
}

TEST(Tune, UsageErrorsAndSeveralSpeciesWithoutOneNamed) {
    prueba::CarpetaTemporal tmp;
    const struct {
        std::vector<std::string> extra;
        int estado;
        const char* mensaje;
    } casos[] = {
        {{"--schemes", "interval,cubic", "--species", kEspecie}, 2, "--schemes must list"},
        {{"--classes", "4,,8", "--species", kEspecie}, 2, "--classes must list"},
        {{"--metric", "kappa", "--species", kEspecie}, 2, "--metric must be auc or boyce"},
        {{"--classes", "4"}, 2, "the sites file holds 3 species"},
    };
    for (const auto& c : casos) {
        const apoyo::Salida s = tune(tmp / "salida", c.extra);
        EXPECT_EQ(s.estado, c.estado) << c.mensaje;
        EXPECT_NE(s.err.find(c.mensaje), std::string::npos) << s.err;
        EXPECT_FALSE(fs::exists(tmp / "salida")) << c.mensaje;
    }
}

TEST(Tune, CancelledTuningWritesNothing) {
    prueba::CarpetaTemporal tmp;
    OpcionesAjuste o;
    for (const std::string& g : grids()) o.items.push_back({fs::path(g).stem().string(), true, g});
    o.ajustes = combinaAjustes({false, true}, {4});
    o.evaluacion.prediccion.sitios = muestra("sites.txt");
    o.evaluacion.prediccion.especie = kEspecie;
    o.evaluacion.pliegues = 2;
    o.trabajo = tmp / "trabajo";
    o.salida = tmp / "salida";
    fs::create_directories(o.trabajo);
    prueba::ProgresoPrueba cancelado(6000);  // of about 11400 calls: in the second setting
    EXPECT_EQ(ajustaClases(o, cancelado).fin, ResumenAjuste::Fin::kCancelada);
    EXPECT_FALSE(fs::exists(o.salida));
}
