// quel-cli evaluate: splits each species' sites into folds, runs the
// prediction on each fold's training sites and scores its held-out sites
// against the region, and writes the tables (and plots) of the evaluation.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/corrida.h"
#include "data/cargaArchivo.h"
#include "engine/evaluacion.h"
#ifdef QUEL_CON_IMAGENES
#include "cli/png.h"
#endif

namespace fs = std::filesystem;
namespace m = quel::metricas;

namespace cli {

namespace {

const char* const kComando = "evaluate";

const char* const kAyudaEvaluate =
    "usage: quel-cli evaluate --covariates FILE --sites FILE (--bias FILE | --uniform-bias)\n"
    "                         (--prior FILE | --uniform-prior) --out DIR\n"
    "                         [--species NAME] [--partition random|block|checkerboard|jackknife]\n"
    "                         [--folds K] [--block-cells N] [--seed S] [--background N]\n"
    "                         [--keep-fold-maps] [--png] [--threads N] [--max-memory SIZE]\n"
    "\n"
    "Evaluates the prediction of each species (or of NAME only), one at a time.\n"
    "The species' sites in the region are split into folds; for each fold the\n"
    "prediction is run on the other sites (exactly as predict would run on\n"
    "them) and the held-out sites are scored on its predictive probability map\n"
    "against the background cells. Writes into DIR (created if missing):\n"
    "  evaluation.csv          per species and fold: training and test sites, the\n"
    "      test and training AUC, the continuous Boyce index, the omission rates\n"
    "      of the test sites at the minimum and at the 10th percentile training\n"
    "      presence thresholds and those thresholds; then the mean and sd rows\n"
    "  folds.csv               species, x, y and fold of every site (0: outside\n"
    "      the region, in no fold)\n"
    "  roc_SPECIES.csv         the ROC curve of each fold's test sites\n"
    "  boyce_SPECIES.csv       the predicted/expected ratio of each Boyce window\n"
    "  importance_SPECIES.csv  each covariate's importance (the sum of the\n"
    "      posterior weights of its pairs; they sum to 2), then every pair's weight\n"
    "  response_SPECIES.csv    per covariate and category, the region's cells and\n"
    "      their mean predictive probability\n"
    "Importance and response come from the run on all the species' sites.\n"
    "\n"
    "  --covariates, --sites, --bias, --uniform-bias, --prior, --uniform-prior,\n"
    "  --species, --threads, --max-memory   as for predict\n"
    "  --partition P      random (default): K folds of a seeded shuffle;\n"
    "                     block: four blocks, split at the median y, then each\n"
    "                     half at its median x; checkerboard: squares of N x N\n"
    "                     cells of the region in two alternate folds; jackknife:\n"
    "                     each site alone in a fold (fewer than 25 sites)\n"
    "  --folds K          folds of the random partition, 2 to 1000 (default 5)\n"
    "  --block-cells N    side of the checkerboard squares in cells (default 10)\n"
    "  --seed S           seed of the shuffle and of the background sample\n"
    "                     (default 1); the same seed gives the same files\n"
    "  --background N     score against N region cells drawn with the seed\n"
    "                     (default: every cell of the region)\n"
    "  --keep-fold-maps   also write each fold's predictive grid,\n"
    "                     fold_SPECIES_K.asc (with its .prj)\n"
    "  --png              also draw the ROC curves, the Boyce curves, the\n"
    "                     importance bars and the response bars as SPECIES .png\n"
    "                     pictures beside their tables\n"
    "\n"
    "Numbers are written with 6 significant digits; an empty field is a metric\n"
    "that does not exist (a fold without held-out or training sites says so in\n"
    "its note). The files replace those of an earlier evaluation together, once\n"
    "all of them are complete. The results never depend on --threads.\n"
    "Exit status: 0 success, 2 usage error, 3 a load or a run failed,\n"
    "130 interrupted.\n";

struct Entradas : EntradasCorrida {
    OpcionesEvaluacion evaluacion;
};

std::string leeEntradas(const Opciones& o, Entradas& e) {
    if (std::string error = leeEntradasCorrida(o, e); !error.empty()) return error;
    OpcionesEvaluacion& v = e.evaluacion;
    if (std::string error = leeParticion(o, v); !error.empty()) return error;
    v.mapasPliegues = o.tiene("--keep-fold-maps");
    v.prediccion = opcionesPrediccion(e);
    v.prediccion.salida = e.salida;
    std::vector<fs::path> salidas = {e.salida / "evaluation.csv", e.salida / "folds.csv"};
    return salidaSobreEntrada(salidas, archivosEntrada(e));
}

int ejecuta(const Entradas& e) {
    CarpetaPrivada carpeta;
    cargaArchivo datos(carpeta.ruta());
    ProgresoTerminal progreso(kComando, true);
    ResumenEvaluacion r = evaluacion(e.evaluacion, datos, progreso);
    if (!r.bien()) return estadoDeFin(kComando, r.fin, r.error);
    for (const EspecieEvaluada& s : r.especies)
        std::printf("%s: %zu folds, mean test AUC %s, training AUC %s, Boyce %s, omission %s (minimum) %s (10th)\n",
                    s.especie.c_str(), s.pliegues.size(), m::texto(s.media[kAucPrueba]).c_str(),
                    m::texto(s.media[kAucEntrenamiento]).c_str(), m::texto(s.media[kBoyce]).c_str(),
                    m::texto(s.media[kOmisionMinimo]).c_str(), m::texto(s.media[kOmisionDecimo]).c_str());
    if (e.png) {
#ifdef QUEL_CON_IMAGENES
        std::string error;
        if (!escribeGraficasPNG(e.salida, r, error)) {
            std::fprintf(stderr, "quel-cli %s: %s\n", kComando, error.c_str());
            return kSalidaFallo;
        }
#endif
    }
    progreso.fija(100);
    return kSalidaBien;
}

}  // namespace

int evaluate(const Argumentos& args) {
    Entradas e;
    return comandoCorrida(
        kComando, kAyudaEvaluate, args, opcionesParticion(),
        {"--keep-fold-maps"}, [&](const Opciones& o) { return leeEntradas(o, e); }, [&] { return ejecuta(e); });
}

}  // namespace cli
