#pragma once
// Command-line helpers of the subcommands that read ESRI ASCII grids
// (covariates, prior, bias).
#include <filesystem>
#include <string>

#include "data/LectorASCII.h"

namespace cli {

// A covariate's name: the file name after the last "/" or "\" up to the first ".".
std::string nombreCovariable(const std::string& ruta);

// Empty, or why `nombre` cannot name a covariate in a table (a comma or a
// line break would split the table's lines).
std::string nombreInvalido(const std::string& nombre);

// The one-line error report of predict for a grid that could not be used,
// followed by the reader's account of what is wrong:
//   quel-cli COMMAND: FILE: error CODE: TEXT (line N): DETAIL
void reportaErrorGrid(const std::string& comando, const std::filesystem::path& archivo, int codigo,
                      const quel::ErrorGrid& error);

}  // namespace cli
