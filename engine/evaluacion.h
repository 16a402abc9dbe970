#pragma once
// How well the model predicts a species: its sites split into folds, each
// fold's held-out sites scored on the predictive map of a run on the other
// sites, and what the run on all the sites says about each covariate. Every
// fold's run is the prediction run of corridaPrediccion on its training
// sites. The command line and the windows both start here.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/corridaPrediccion.h"
#include "engine/metricas.h"

// The settings of an evaluation.
struct OpcionesEvaluacion {
    // Inputs, species (all species, one after the other, when absent),
    // threads and memory of the runs. `prediccion.salida` is the folder of
    // the evaluation's files (nothing written when empty).
    OpcionesPrediccion prediccion;
    quel::metricas::Particion particion = quel::metricas::Particion::kAleatoria;
    int pliegues = 5;          // folds of the random partition, 2..1000
    int ladoBloque = 10;       // cells per side of a checkerboard square, 1 and up
    std::uint64_t semilla = 1; // of the random partition and the background sample
    long long fondo = 0;       // background cells sampled from the region; 0: every valid cell
    bool mapasPliegues = false;  // also write each fold's predictive grid

    // Empty, or the first setting out of range, named with its value and bound.
    std::string valida() const;
};

// The metrics of one fold, in the columns of evaluation.csv.
enum Metrica {
    kAucPrueba,
    kAucEntrenamiento,
    kBoyce,
    kOmisionMinimo,
    kOmisionDecimo,
    kUmbralMinimo,
    kUmbralDecimo,
    kMetricas
};
using ValoresMetricas = std::array<double, kMetricas>;
// A metric's column name in evaluation.csv ("auc_test", "boyce", ...).
const char* nombreMetrica(Metrica metrica);

struct PliegueEvaluado {
    int pliegue = 0;        // from 1
    int entrenamiento = 0;  // sites the fold's run counted
    int prueba = 0;         // sites held out
    ValoresMetricas valores;  // NaN: not computed
    std::string nota;       // why the fold has no metrics
    std::vector<quel::metricas::PuntoROC> roc;
    std::vector<quel::metricas::VentanaBoyce> boyce;
};

struct EspecieEvaluada {
    std::string especie;
    // Every site of the species in site order and its fold (0: outside the
    // region, in no fold).
    std::vector<float> x, y;
    std::vector<int> pliegue;
    std::vector<PliegueEvaluado> pliegues;
    ValoresMetricas media, desviacion;  // over the folds (jackknife spread for leave-one-out)
    // Of the run on all its sites.
    std::vector<long double> pesos;   // posterior weight of every pair
    std::vector<double> importancia;  // per covariate
    std::vector<quel::metricas::Respuesta> respuesta;
};

struct ResumenEvaluacion {
    using Fin = ResumenPrediccion::Fin;
    Fin fin = Fin::kNoEjecutada;
    quel::ErrorArchivo error;
    std::vector<std::string> covariables;  // names, for the importance and response files
    std::vector<EspecieEvaluada> especies;
    double segundos = 0;
    bool bien() const { return fin == Fin::kBien; }
};

// Loads the inputs named in `opciones.prediccion` into `datos`, then evaluates.
ResumenEvaluacion evaluacion(const OpcionesEvaluacion& opciones, cargaArchivo& datos,
                             Progreso& progreso = progresoNulo());
// The same on a dataset already loaded. Writes, when a folder is set,
// evaluation.csv, folds.csv and per species roc_, boyce_, importance_ and
// response_SPECIES.csv (and fold_SPECIES_K.asc with `mapasPliegues`), all put
// in place together at the end: a failed or cancelled evaluation writes none.
ResumenEvaluacion evaluacionDeDatos(const OpcionesEvaluacion& opciones, cargaArchivo& datos,
                                    Progreso& progreso = progresoNulo());

// The tables of an evaluation already made (no fold grids) written into
// `carpeta`, created when missing, all put in place together; false with the
// reason when they cannot be.
bool escribeEvaluacion(const ResumenEvaluacion& r, const std::filesystem::path& carpeta, std::string& razon);

// The files' contents.
std::string textoEvaluacion(const ResumenEvaluacion& r);
std::string textoPliegues(const ResumenEvaluacion& r);
std::string textoROC(const EspecieEvaluada& e);
std::string textoBoyce(const EspecieEvaluada& e);
// Covariate importances, then the weight of every pair.
std::string textoImportancia(const std::vector<std::string>& covariables, const std::vector<long double>& pesos);
std::string textoRespuesta(const std::vector<std::string>& covariables,
                           const std::vector<quel::metricas::Respuesta>& respuesta);
// A species name as part of a file name: characters other than letters,
// digits, '.', '-' and '_' become '_'.
std::string nombreEnArchivo(const std::string& especie);

// Names of the covariates of a dataset and their category counts, as a run
// reads them.
std::vector<std::string> nombresCovariables(const cargaArchivo& datos);
std::vector<int> categoriasCovariables(const cargaArchivo& datos);
