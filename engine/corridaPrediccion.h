#pragma once
// One prediction run from start to end: the four inputs (loaded from their
// files, or a dataset already loaded), the engine, and the result files put
// in place together. The command line and the main window both start their
// runs here, so one place decides how a run starts, reports and ends.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/ErrorArchivo.h"
#include "data/tablaResultados.h"
#include "engine/asignaSitios.h"
#include "platform/Progreso.h"

class cargaArchivo;
class ejecutarQuel;
struct PreparacionMotor;

// The progress points the engine's share of a run reports: all that a run on a
// loaded dataset without result files reports.
inline constexpr int kPuntosMotorPrediccion = 60;

// The settings of a run. Defaults are those of the main window's run.
struct OpcionesPrediccion {
    // Inputs, read by `corridaPrediccion` with the window's loaders (covariates
    // first). An empty bias or prior path means the uniform one.
    std::filesystem::path covariables;
    std::filesystem::path sitios;
    std::filesystem::path sesgo;
    std::filesystem::path priori;
    // Run on a dataset already loaded: whether its prior is the uniform one.
    bool prioriUniforme = false;
    // Only the sites of this species (a name as the sites file holds it,
    // without blanks); all species when absent.
    std::optional<std::string> especie;
    // Folder of the result files, created when missing; empty: nothing is
    // written (the caller keeps the results in its engine).
    std::filesystem::path salida;
    bool geotiff = false;                     // GeoTIFF result grids instead of ESRI ASCII
    int digitos = tablaResultados::kDigitos;  // significant digits of the tables, 1..30
    int hilos = 0;                            // worker threads, 0..1024 (0: every core)
    std::uint64_t memoria = 0;                // bytes the run may take (0: physical memory)
    // Only the predictive grid (no certainty nor prior potential); nothing
    // is then written, whatever `salida` says.
    bool soloPredictiva = false;
    // The site-independent steps of an earlier run on this dataset, to skip
    // them (see ejecutarQuel::usaPreparacion); whether to keep this run's.
    std::shared_ptr<const PreparacionMotor> preparacion;
    bool conservaPreparacion = false;

    // Empty, or the first setting out of range, named with its value and bound.
    std::string valida() const;
};

// How a run ended and what it counted. Counts stay -1 when the run did not
// get that far.
struct ResumenPrediccion {
    enum class Fin {
        kNoEjecutada,  // the run was not started
        kBien,         // results in the engine, and written when asked
        kOpciones,     // a setting out of range (error.detalle says which); nothing done
        kEspecie,      // the species asked for has no site (error.detalle lists those there are)
        kCarga,        // a load failed: error names the file, code and line
        kMotor,        // the engine stopped with a code (error.codigo, error.archivo)
        kFallo,        // a result could not be written, or the engine failed (error.detalle says what)
        kCancelada,    // stopped on request
    };
    Fin fin = Fin::kNoEjecutada;
    quel::ErrorArchivo error;
    int pares = -1;        // covariate pairs averaged
    int filas = -1;        // rows of the covariate table
    int sinAsignar = -1;   // sites no row was assigned to
    std::vector<DescarteEspecie> descartes;  // per species, the sites left out or moved
    std::string causa;     // kFallo of the engine: its own account, as the failure told it
    double segundos = 0;   // time the run took

    bool bien() const { return fin == Fin::kBien; }
    // One line for a log: how it ended and the counts.
    std::string breve() const;
};

// A whole run from the files named in `opciones`: loads them into `datos`
// (whose working folder holds the temporaries), runs, and writes the results
// when `opciones.salida` is set. The engine's results replace those of
// `motor` only when the run succeeds; a failed or cancelled run leaves
// `motor` and any earlier result files as they were.
ResumenPrediccion corridaPrediccion(const OpcionesPrediccion& opciones, cargaArchivo& datos, ejecutarQuel& motor,
                                    Progreso& progreso = progresoNulo());

// Only the loads of `corridaPrediccion`: false with the summary ended at
// the load that failed or at a cancel request.
bool cargaPrediccion(const OpcionesPrediccion& opciones, cargaArchivo& datos, ResumenPrediccion& resumen,
                     Progreso& progreso = progresoNulo());

// The run of `corridaPrediccion` for a region of any size: the covariate,
// bias and prior tables read into a compact region and the result files
// written row block by row block as the engine hands its results out, so
// that memory follows the region's cells in bytes, not its text. `datos`
// holds the sites. The files and the summary are those of
// `corridaPrediccion`, whose path it takes (with `datos` and an engine of its
// own) for tables the compact readers hand back and for settings it does not
// cover: no output folder, GeoTIFF grids, the predictive grid alone, an
// engine preparation.
ResumenPrediccion corridaEnBloques(const OpcionesPrediccion& opciones, cargaArchivo& datos,
                                   Progreso& progreso = progresoNulo());

// The same run on a dataset already loaded (`opciones`' paths then only name
// the files in error reports and the coordinate system of the results).
ResumenPrediccion prediccionDeDatos(const OpcionesPrediccion& opciones, cargaArchivo& datos, ejecutarQuel& motor,
                                    Progreso& progreso = progresoNulo());
