// quel-cli tune: chooses the class scheme and number of classes of a set of
// grids by cross-validating the prediction on the table each one gives.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/corrida.h"
#include "cli/grids.h"
#include "managers/covariates/ajusteClases.h"

namespace fs = std::filesystem;
namespace m = quel::metricas;

namespace cli {

namespace {

const char* const kComando = "tune";

const char* const kAyudaTune =
    "usage: quel-cli tune --out DIR GRID ... --sites FILE (--bias FILE | --uniform-bias)\n"
    "                     (--prior FILE | --uniform-prior) [--schemes interval,quantile]\n"
    "                     [--classes 4,6,8,12] [--metric auc|boyce] [--species NAME]\n"
    "                     [--partition random|block|checkerboard|jackknife] [--folds K]\n"
    "                     [--block-cells N] [--seed S] [--background N]\n"
    "                     [--threads N] [--max-memory SIZE]\n"
    "\n"
    "Chooses how the grids are classified. For every scheme and every number of\n"
    "classes (all grids alike) the covariate table is built as covariates would\n"
    "build it and the prediction evaluated on it as evaluate would, with the same\n"
    "folds for every setting. The setting with the highest mean score wins (the\n"
    "first one given among equals) and is printed on standard output. Writes\n"
    "into DIR (created if missing):\n"
    "  tuning.csv       one row per setting: scheme, classes, then the mean and\n"
    "                   sd over the folds of each metric of evaluation.csv\n"
    "  covariates.txt   the winning setting's table (with covariates.prj when the\n"
    "                   grids give a coordinate system)\n"
    "\n"
    "  GRID             an ESRI ASCII grid or a raster GDAL reads, as for covariates\n"
    "  --schemes LIST   interval (equal width, GRID:N) and/or quantile (equal\n"
    "                   frequency, GRID:qN); default interval,quantile\n"
    "  --classes LIST   numbers of classes to try; default 4,6,8,12\n"
    "  --metric M       auc (default): the mean test AUC; boyce: the mean Boyce index\n"
    "  --species NAME   the species to tune for; needed when the sites file\n"
    "                   holds more than one\n"
    "  --sites, --bias, --uniform-bias, --prior, --uniform-prior, --threads,\n"
    "  --max-memory     as for predict; a bias or prior file must fit the\n"
    "                   grids' cells, which every setting shares\n"
    "  --partition, --folds, --block-cells, --seed, --background   as for evaluate\n"
    "\n"
    "The files replace those of an earlier tuning together, once all of them are\n"
    "complete; an interrupted or failed tuning writes nothing. The results never\n"
    "depend on --threads.\n"
    "Exit status: 0 success, 2 usage error, 3 a grid, a load or a run failed,\n"
    "130 interrupted.\n";

const std::vector<std::string> kBanderas = {"--uniform-bias", "--uniform-prior"};

std::vector<std::string> conValor() {
    std::vector<std::string> r = {"--out",     "--sites",   "--bias",    "--prior",  "--species", "--threads",
                                  "--max-memory", "--schemes", "--classes", "--metric"};
    for (const std::string& p : opcionesParticion()) r.push_back(p);
    return r;
}

std::string leeEntradas(const Opciones& o, const std::vector<std::string>& grids, OpcionesAjuste& a) {
    EntradasCorrida e;
    if (std::string error = leeEntradasCorrida(o, e, false); !error.empty()) return error;
    if (grids.empty()) return "name at least one grid";
    std::vector<Entrada> entradas = archivosEntrada(e);
    for (const std::string& g : grids) {
        const std::string nombre = nombreCovariable(g);
        if (std::string error = nombreInvalido(nombre); !error.empty()) return error;
        a.items.push_back({nombre, true, g, 10, false, false});
        entradas.push_back({"GRID", g});
    }
    std::vector<bool> esquemas = {false, true};
    std::vector<int> clases = {4, 6, 8, 12};
    if (auto v = o.valor("--schemes"); v && !leeEsquemas(*v, esquemas))
        return "--schemes must list interval and/or quantile separated by commas, not '" + *v + "'";
    if (auto v = o.valor("--classes"); v && !leeClases(*v, clases))
        return "--classes must list whole numbers of at least 1 separated by commas, not '" + *v + "'";
    a.ajustes = combinaAjustes(esquemas, clases);
    if (auto v = o.valor("--metric")) {
        if (*v != "auc" && *v != "boyce") return "--metric must be auc or boyce, not '" + *v + "'";
        a.metrica = *v == "auc" ? MetricaAjuste::kAuc : MetricaAjuste::kBoyce;
    }
    if (std::string error = leeParticion(o, a.evaluacion); !error.empty()) return error;
    a.evaluacion.prediccion = opcionesPrediccion(e);
    a.salida = e.salida;
    return salidaSobreEntrada({e.salida / "tuning.csv", e.salida / "covariates.txt"}, entradas);
}

int ejecuta(OpcionesAjuste& a) {
    CarpetaPrivada carpeta;
    a.trabajo = carpeta.ruta();
    ProgresoTerminal progreso(kComando, true);
    const ResumenAjuste r = ajustaClases(a, progreso);
    if (!r.bien()) return estadoDeFin(kComando, r.fin, r.error);
    progreso.fija(100);
    const ResultadoAjuste& b = r.resultados[static_cast<std::size_t>(r.mejor)];
    std::printf("%s: best %s %d: mean test AUC %s (sd %s), Boyce %s (sd %s)\n", r.especie.c_str(),
                nombreEsquema(b.ajuste.cuantiles), b.ajuste.clases, m::texto(b.media[kAucPrueba]).c_str(),
                m::texto(b.desviacion[kAucPrueba]).c_str(), m::texto(b.media[kBoyce]).c_str(),
                m::texto(b.desviacion[kBoyce]).c_str());
    return kSalidaBien;
}

}  // namespace

int tune(const Argumentos& args) {
    const std::vector<std::string> valores = conValor();
    Argumentos opciones;
    std::vector<std::string> grids;
    separaPosicionales(args, valores, opciones, grids);
    const Opciones o = leeOpciones(opciones, valores, kBanderas);
    if (o.ayuda) {
        std::fputs(kAyudaTune, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(kComando, o.error);
    OpcionesAjuste a;
    if (const std::string error = leeEntradas(o, grids, a); !error.empty()) return errorUso(kComando, error);
    try {
        return ejecuta(a);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "quel-cli %s: the run failed: %s\n", kComando, ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
