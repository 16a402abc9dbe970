// Fuzzes the tolerant ASCII grid reader: any bytes must give either a whole
// grid of ncols x nrows cells or code 12, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/LectorASCII.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::string_view texto(reinterpret_cast<const char*>(datos), n);
    quel::GridASCII g;
    quel::ErrorGrid e;
    int r = quel::leeGridASCIITexto(texto, g, &e);
    if (r == 0) {
        const auto& enc = g.encabezado;
        auto celdas = static_cast<std::size_t>(enc.ncols) * static_cast<std::size_t>(enc.nrows);
        if (g.valores.size() != celdas || g.sinDato.size() != celdas) std::abort();
        if (!(enc.cellsize > 0)) std::abort();
        (void)enc.xEsquinaFloat();
        (void)enc.yEsquinaFloat();
    } else if (r != 12 || e.codigo != 12 || e.detalle.empty() || !g.valores.empty()) {
        std::abort();
    }
    return 0;
}
