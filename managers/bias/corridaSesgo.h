#pragma once
// The bias manager's load and run commands as core operations, shared by the
// window and the command line: the covariate load (table and combinations)
// and the run (distance sums, richness, abundance, presence sites, site
// assignment, counts and the fit), each step stopping at the first failing
// code.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/ErrorArchivo.h"
#include "data/TImagenN.h"
#include "managers/bias/inferenciaBias.h"
#include "platform/Progreso.h"

class cargaArchivo;

// The four inputs of a run and their parameters, as typed by the user.
struct EntradasSesgo {
    std::filesystem::path ciudades;
    std::filesystem::path carreteras;
    std::filesystem::path riqueza;
    std::filesystem::path presencias;
    float alfa = 0;    // weight of cities
    float beta = 1;    // weight of roads
    float cota = 1;    // abundance at which detectability reaches 1
    int ausencias = 0; // visits that found nothing
};

// Where a load or run stopped: the code, the input whose step failed, its
// line and the reader's account of what it found.
using FalloSesgo = quel::ErrorArchivo;

// What a successful run counted.
struct InformeSesgo {
    int sitios = 0;      // presence records read (all species)
    int sinAsignar = 0;  // records with no region row within reach: counted nowhere
    std::vector<std::string> avisos;  // what the user should check, one English sentence each
};

// Loads the covariate table into the estimator and finds its combinations.
int cargaCovariablesSesgo(inferenciaBias& inferencia, cargaArchivo& datos, const std::filesystem::path& archivo,
                          FalloSesgo* fallo = nullptr);

// Reads a presence file as the run does (conversion into "SPConEspecieTmp.txt",
// species split into "SitiosPresenciaTmp.txt", validation, reading, species
// sort), in the dataset's working folder. The codes of the conversion, the
// split and the validation stop it. `sitios` gets sites x 3 (x, y, and a
// column for the assigned row), `especies` the names. The dataset's species
// count is left as it was.
int leeSitiosSesgo(cargaArchivo& datos, const std::filesystem::path& archivo,
                   std::unique_ptr<TImagenN<float>>& sitios, std::unique_ptr<TImagenN<AnsiString>>& especies,
                   int* linea = nullptr);

// The run command, after the covariate load. `sitios` and `especies` are
// replaced. Returns 0 or the first failing code (with `fallo` filled). A
// cancel request stops the run before the sites and the fit with
// quel::kCodigoCancelado; `sitios` and `especies` are then left as they were.
int ejecutaSesgo(inferenciaBias& inferencia, cargaArchivo& datos, const EntradasSesgo& entradas,
                 std::unique_ptr<TImagenN<float>>& sitios, std::unique_ptr<TImagenN<AnsiString>>& especies,
                 InformeSesgo* informe = nullptr, FalloSesgo* fallo = nullptr,
                 Progreso& progreso = progresoNulo());
