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

}  // namespace cli
