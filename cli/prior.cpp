// quel-cli prior: turns a base grid and a prior grid into the prior-class file
// the prior manager would save from them.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/grids.h"
#include "data/cargaArchivo.h"
#include "managers/prior/transformacionPriori.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kComando = "prior";

const char* const kAyudaPrior =
    "usage: quel-cli prior --base GRID --prior GRID --out FILE\n"
    "\n"
    "Writes the prior-class file the prior manager saves, one line per cell of\n"
    "the base grid (top row first): 0 where the base grid has no value (outside\n"
    "the study region), 2 where the prior grid has none, otherwise the prior\n"
    "grid's value. The no-data value is that of the prior grid.\n"
    "\n"
    "  --base GRID   grid marking the study region\n"
    "  --prior GRID  grid of prior classes over the same cells\n"
    "  --out FILE    the prior-class file to write (exactly that name)\n"
    "\n"
    "A GRID is an ESRI ASCII grid or a single-band raster GDAL reads (GeoTIFF,\n"
    "...). Grids in different coordinate systems are refused (the program does\n"
    "not reproject). A prior grid with fewer cells than the base grid is refused;\n"
    "one with more is warned about and used for the base grid's cells.\n"
    "Exit status: 0 success, 2 usage error, 3 a grid could not be used or the\n"
    "file could not be written.\n";

void fallo(const std::string& que) { std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str()); }

int ejecuta(const fs::path& rutaBase, const fs::path& rutaPriori, const fs::path& salida) {
    CarpetaPrivada carpeta;
    exportaArchivo ex{quel::RaizDatos(carpeta.ruta())};
    transformacionPriori tp(ex, carpeta.ruta());
    if (int r = tp.cargaBase(rutaBase); r != 0) {
        reportaErrorGrid(kComando, rutaBase, r, ex.error());
        return kSalidaFallo;
    }
    if (int r = tp.cargaPriori(rutaPriori); r != 0) {
        reportaErrorGrid(kComando, rutaPriori, r, ex.error());
        return kSalidaFallo;
    }
    if (tp.celdasDifieren())
        fallo(rutaPriori.string() + ": " + transformacionPriori::kAdvertencia + " (base grid " +
              std::to_string(tp.celdasBase) + " cells, prior grid " + std::to_string(tp.celdasPriori) + " cells)");
    const int r = tp.transforma();
    if (r == codigos::kRenglonesDifieren) return kSalidaFallo;  // reported just above
    if (r == codigos::kEncabezados) {
        reportaErrorGrid(kComando, rutaPriori, r, quel::ErrorGrid{r, 0, tp.errorSistema});
        return kSalidaFallo;
    }
    if (r != 0) {
        fallo(tp.rutaTemporal().string() + ": cannot write the working file");
        return kSalidaFallo;
    }
    if (!tp.guarda(salida, true)) {
        fallo(salida.string() + ": cannot write the prior file");
        return kSalidaFallo;
    }
    return kSalidaBien;
}

}  // namespace

int prior(const Argumentos& args) {
    const Opciones o = leeOpciones(args, {"--base", "--prior", "--out"}, {});
    if (o.ayuda) {
        std::fputs(kAyudaPrior, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(kComando, o.error);
    for (const char* requerida : {"--base", "--prior", "--out"}) {
        if (!o.tiene(requerida)) return errorUso(kComando, std::string("missing ") + requerida);
        if (o.valor(requerida)->empty()) return errorUso(kComando, "empty file name");
    }
    try {
        return ejecuta(*o.valor("--base"), *o.valor("--prior"), *o.valor("--out"));
    } catch (const std::exception& ex) {
        fallo(std::string("the run failed: ") + ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
