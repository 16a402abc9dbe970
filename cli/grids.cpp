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

void reportaErrorGrid(const std::string& comando, const std::filesystem::path& archivo, int codigo,
                      const quel::ErrorGrid& error) {
    std::string l = "quel-cli " + comando + ": " + archivo.string() + ": error " + std::to_string(codigo);
    std::string texto = textoError(codigo, 0);
    l += ": " + (texto.empty() ? std::string("(no message text for this code)") : texto);
    if (error.linea > 0) l += " (line " + std::to_string(error.linea) + ")";
    if (!error.detalle.empty()) l += ": " + error.detalle;
    l += "\n";
    std::fputs(l.c_str(), stderr);
}

}  // namespace cli
