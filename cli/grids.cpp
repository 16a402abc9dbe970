#include "cli/grids.h"

#include <cstdio>

#include "cli/comun.h"

namespace cli {

std::string nombreCovariable(const std::string& ruta) {
    const auto barra = ruta.find_last_of("/\\");
    std::string nombre = barra == std::string::npos ? ruta : ruta.substr(barra + 1);
    return nombre.substr(0, nombre.find('.'));
}

std::string nombreInvalido(const std::string& nombre) {
    if (nombre.find_first_of(",\n\r") != std::string::npos)
        return "the covariate name '" + nombre + "' holds a comma or a line break";
    return {};
}

}  // namespace cli
