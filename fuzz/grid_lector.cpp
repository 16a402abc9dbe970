// Fuzzes the tolerant ASCII grid reader: any bytes must give either a whole
// grid of ncols x nrows cells or code 12 with a line of the input and a
// printable account of what was found, never a crash or a hang. A grid read
// whole reads the same when its body is rewritten one grid row per line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <string>
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
        // The program's own layout of the same cells reads back exactly.
        std::string propio = "ncols " + std::to_string(enc.columnas()) + "\nnrows " +
                             std::to_string(enc.renglones()) + "\nxllcorner 0\nyllcorner 0\ncellsize 1\n" +
                             "NODATA_value nan\n";
        for (std::size_t i = 0; i < celdas; ++i) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.17g", g.sinDato[i] ? std::nan("") : g.valores[i]);
            propio += buf;
            propio += (i + 1) % static_cast<std::size_t>(enc.columnas()) == 0 ? '\n' : ' ';
        }
        quel::GridASCII h;
        if (quel::leeGridASCIITexto(propio, h, &e) != 0 || h.sinDato != g.sinDato) std::abort();
        for (std::size_t i = 0; i < celdas; ++i)
            if (!g.sinDato[i] && h.valores[i] != g.valores[i]) std::abort();
    } else {
        int lineas = 1;
        for (char c : texto) lineas += c == '\n';
        if (r != 12 || e.codigo != 12 || e.detalle.empty() || !g.valores.empty()) std::abort();
        if (e.linea < 1 || e.linea > lineas || !e.archivo.empty()) std::abort();
        for (char c : e.detalle)
            if (c < 0x20 || c > 0x7e) std::abort();
    }
    return 0;
}
