// Fuzzes the tolerant ASCII grid reader: any bytes must give either a whole
// grid of ncols x nrows cells or code 12 with a line of the input and a
// printable account of what was found, never a crash or a hang. A grid read
// whole reads the same when its body is rewritten one grid row per line, and
// the same from a file a block of rows at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <memory>
#include <unistd.h>

#include "data/LectorASCII.h"

namespace {

// The bytes read back from a file two grid rows at a time agree with the
// whole-text reading: the same code, cells, or line and account.
void comparaPorBloques(std::string_view texto, int r, const quel::GridASCII& g, const quel::ErrorGrid& e) {
    static const std::string ruta = [] {
        char plantilla[] = "/tmp/grid_lector_XXXXXX";
        const int fd = mkstemp(plantilla);
        if (fd < 0) std::abort();
        close(fd);
        return std::string(plantilla);
    }();
    {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ruta.c_str(), "wb"), &std::fclose);
        if (!f || std::fwrite(texto.data(), 1, texto.size(), f.get()) != texto.size()) std::abort();
    }
    quel::LectorBloques l;
    std::size_t i = 0;
    bool igual = true;
    int rb = l.abre(ruta);
    while (rb == 0 && !l.terminado())
        rb = l.lee(2, [&](const quel::CeldaASCII& c) {
            if (i >= g.valores.size() || (c.sinDato ? 1 : 0) != g.sinDato[i] ||
                !(c.valor == g.valores[i] || (std::isnan(c.valor) && std::isnan(g.valores[i]))))
                igual = false;
            ++i;
        });
    if (rb != r) std::abort();
    if (r == 0 && (!igual || i != g.valores.size())) std::abort();
    if (r != 0 && (l.error().linea != e.linea || l.error().detalle != e.detalle)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::string_view texto(reinterpret_cast<const char*>(datos), n);
    quel::GridASCII g;
    quel::ErrorGrid e;
    int r = quel::leeGridASCIITexto(texto, g, &e);
    comparaPorBloques(texto, r, g, e);
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
