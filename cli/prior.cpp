// quel-cli prior: turns a base grid and a prior grid into the prior-class file
// the prior manager would save from them.
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

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
    "not reproject).\n"
    "The two grids must line up: the same ncols and nrows, cell sizes that\n"
    "differ by less than a hundredth of a cell over the grid, lower-left corners\n"
    "within a hundredth of a cell; otherwise nothing is written. Prior-grid\n"
    "values other than 0, 1, 2 and 3 are copied, and warned about on standard\n"
    "error: a prediction refuses such a file.\n"
    "FILE is replaced only once the new file is complete; a FILE that is a symbolic\n"
    "link is refused, not followed, and FILE may not be one of the grids.\n"
    "Exit status: 0 success, 2 usage error, 3 a grid could not be used or the\n"
    "file could not be written.\n";

void fallo(const std::string& que) { std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str()); }

int ejecuta(const fs::path& rutaBase, const fs::path& rutaPriori, const fs::path& salida) {
    CarpetaPrivada carpeta;
    exportaArchivo ex{quel::RaizDatos(carpeta.ruta())};
    transformacionPriori tp(ex, carpeta.ruta());
    for (const auto& [ruta, base] : {std::pair{rutaBase, true}, std::pair{rutaPriori, false}}) {
        if (int r = base ? tp.cargaBase(ruta) : tp.cargaPriori(ruta); r != 0) {
            quel::ErrorArchivo error = ex.error();
            error.archivo = ruta;
            reportaError(kComando, error);
            return kSalidaFallo;
        }
    }
    const int r = tp.transforma();
    if (r == codigos::kEncabezados) {
        reportaError(kComando, tp.error);
        return kSalidaFallo;
    }
    if (r != 0) {
        fallo(tp.rutaTemporal().string() + ": cannot write the working file");
        return kSalidaFallo;
    }
    if (tp.clasesFuera > 0) {
        std::string valor;
        quel::formato::real(valor, static_cast<double>(tp.valorFuera));
        reportaAvisos(kComando, {salida.string() + ": " + std::to_string(tp.clasesFuera) +
                                 " cells hold a prior class other than 0, 1, 2 and 3, the first on line " +
                                 std::to_string(tp.primeraFuera + 1) + " (class " + valor +
                                 "); the file is written, but a prediction refuses it"});
    }
    std::string razon;
    if (!tp.guarda(salida, true, &razon)) {
        fallo(salida.string() + ": cannot write the prior file: " + razon);
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
    if (const std::string error = salidaSobreEntrada(
            {*o.valor("--out")}, {{"--base", *o.valor("--base")}, {"--prior", *o.valor("--prior")}});
        !error.empty())
        return errorUso(kComando, error);
    try {
        return ejecuta(*o.valor("--base"), *o.valor("--prior"), *o.valor("--out"));
    } catch (const std::exception& ex) {
        fallo(std::string("the run failed: ") + ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
