#pragma once
// What the commands that run the prediction (predict, evaluate) share: the
// options naming the four inputs and the settings of the run.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/comun.h"
#include "engine/asignaSitios.h"
#include "engine/corridaPrediccion.h"
#include "engine/evaluacion.h"

namespace cli {

struct EntradasCorrida {
    std::filesystem::path covariables, sitios, sesgo, priori, salida;
    bool sesgoUniforme = false, prioriUniforme = false, png = false;
    std::optional<std::string> especie;
    int hilos = 0;
    std::uint64_t memoria = 0;  // bytes the run may take; 0: the physical memory
};

// The options above that take a value, and the flags.
std::vector<std::string> opcionesCorrida();
std::vector<std::string> banderasCorrida();

// Reads them from the command line; returns an empty string or the usage
// error. Without `conCovariables` the command builds its own tables.
std::string leeEntradasCorrida(const Opciones& o, EntradasCorrida& e, bool conCovariables = true);
// The cross-validation options (--partition, --folds, --block-cells, --seed,
// --background) into `v`; an empty string or the usage error.
std::vector<std::string> opcionesParticion();
std::string leeParticion(const Opciones& o, OpcionesEvaluacion& v);
// The input files, for the check that no output overwrites one.
std::vector<Entrada> archivosEntrada(const EntradasCorrida& e);
// The settings of the run (nothing written: the caller sets `salida`).
OpcionesPrediccion opcionesPrediccion(const EntradasCorrida& e);

// The frame of such a command: its options (those above plus `conValor`
// and `banderas`), --help printing `ayuda`, usage errors from `lee`, then
// `ejecuta`, whose exceptions end it as a failed run.
int comandoCorrida(const char* comando, const char* ayuda, const Argumentos& args, std::vector<std::string> conValor,
                   std::vector<std::string> banderas, const std::function<std::string(const Opciones&)>& lee,
                   const std::function<int()>& ejecuta);

// The exit status of a run that did not end well, its error reported.
int estadoDeFin(const std::string& comando, ResumenPrediccion::Fin fin, quel::ErrorArchivo error);

// Warnings of a run about the sites it left out or moved.
void reportaDescartes(const std::string& comando, const std::vector<DescarteEspecie>& descartes);

}  // namespace cli
