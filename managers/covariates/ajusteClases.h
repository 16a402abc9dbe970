#pragma once
// Chooses how a set of grids is classified by cross-validation: for every
// class scheme and number of classes tried, the covariate table is built and
// the prediction evaluated on it with the same folds; the setting with the
// best mean held-out score wins. The command line (quel-cli tune) and the
// covariate manager both start here.
#include <filesystem>
#include <string>
#include <vector>

#include "engine/evaluacion.h"
#include "managers/covariates/constructorTabla.h"

// One setting: every automatic grid gets `clases` classes of this scheme.
struct ClasesProbadas {
    bool cuantiles = false;  // equal frequency, else equal intervals
    int clases = 10;
};

enum class MetricaAjuste { kAuc, kBoyce };

struct OpcionesAjuste {
    // The list as the builder takes it; the grid items in automatic mode get
    // each setting's scheme and classes, the others are kept as they are.
    std::vector<ItemCovariable> items;
    const TablaCargada* tabla = nullptr;  // the opened table of the first items, if any
    std::vector<ClasesProbadas> ajustes;  // in the order given: the first of equally good ones wins
    // Sites, bias, prior, species, folds, seed, threads and memory; the
    // covariate table and the output folder are set for each setting.
    OpcionesEvaluacion evaluacion;
    MetricaAjuste metrica = MetricaAjuste::kAuc;
    std::filesystem::path trabajo;  // the folder the tables are built and loaded in
    // Folder of tuning.csv and the best setting's covariates.txt (and its
    // .prj), created when missing; empty: nothing written.
    std::filesystem::path salida;

    // Empty, or the first setting out of range.
    std::string valida() const;
};

struct ResultadoAjuste {
    ClasesProbadas ajuste;
    ValoresMetricas media, desviacion;  // over the folds
    std::vector<int> categorias;        // of every covariate of the table built
};

struct ResumenAjuste {
    using Fin = ResumenPrediccion::Fin;
    Fin fin = Fin::kNoEjecutada;
    quel::ErrorArchivo error;
    std::string especie;
    std::vector<ResultadoAjuste> resultados;  // one per setting, in order
    int mejor = -1;                           // index into `resultados`
    bool bien() const { return fin == Fin::kBien; }
};

// Builds, evaluates and compares every setting. A failed or cancelled tuning
// writes nothing; the files appear together once all are complete.
ResumenAjuste ajustaClases(const OpcionesAjuste& opciones, Progreso& progreso = progresoNulo());

// tuning.csv: scheme, classes, then each metric's mean and sd.
std::string textoAjuste(const ResumenAjuste& r);

// "interval" or "quantile".
const char* nombreEsquema(bool cuantiles);
// Comma-separated lists: "interval,quantile" and "4,6,8,12". False for an
// empty list, an unknown name or a count outside 1..1000000.
bool leeEsquemas(const std::string& lista, std::vector<bool>& cuantiles);
bool leeClases(const std::string& lista, std::vector<int>& clases);
// Every scheme with every class count, schemes outermost.
std::vector<ClasesProbadas> combinaAjustes(const std::vector<bool>& cuantiles, const std::vector<int>& clases);

// The species of a sites file in the order of its sites, each once; empty
// when the file cannot be read. `trabajo` holds the load's working files.
std::vector<std::string> especiesDeSitios(const std::filesystem::path& sitios, const std::filesystem::path& trabajo);
