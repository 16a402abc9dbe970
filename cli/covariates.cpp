// quel-cli covariates: classifies ESRI ASCII grids into categories and writes
// the covariate table the covariate manager would write from them.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/grids.h"
#include "data/cargaArchivo.h"
#include "managers/covariates/constructorTabla.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kComando = "covariates";

const char* const kAyudaCovariates =
    "usage: quel-cli covariates --out FILE GRID[:N|:qN|:manual] ...\n"
    "\n"
    "Builds a covariate table from grids of one region, as the covariate manager\n"
    "does, and writes it to FILE (exactly that name), with FILE's .prj holding\n"
    "the region's coordinate system when the grids give one.\n"
    "\n"
    "  GRID         an ESRI ASCII grid (its system in the .prj beside it) or a\n"
    "               single-band raster GDAL reads (GeoTIFF, ...), told apart by\n"
    "               content; the covariate is named after its file name\n"
    "               (after the last / or \\, up to the first .)\n"
    "  GRID:N       classify its values into N automatic classes of equal width\n"
    "               (N >= 1; default 10)\n"
    "  GRID:qN      classify its values into N classes of equal frequency, each\n"
    "               holding about 1/N of the data cells (N >= 1); equal values\n"
    "               never go to different classes, so a grid may get fewer\n"
    "               classes than N (reported on standard error)\n"
    "  GRID:manual  one class per whole value: 0 and (0, 1] are class 1, (k-1, k]\n"
    "               class k; negative values lie outside the region (a grid\n"
    "               without any value above 0 is refused)\n"
    "               (the suffix is read after the last ':' only)\n"
    "  --out FILE   the covariate table to write\n"
    "\n"
    "FILE is replaced only once the new table is complete; a FILE that is a symbolic\n"
    "link is refused, not followed, and FILE may not be one of the grids.\n"
        "Every grid must have the header and the coordinate system of the first one\n"
    "(the program does not reproject). Cells between two automatic classes take\n"
    "the class below; how many did is reported on standard error.\n"
    "Exit status: 0 success, 2 usage error, 3 a grid could not be used or the\n"
    "table could not be written.\n";

struct Grid {
    fs::path ruta;
    int clases = 10;
    bool manual = false;
    bool cuantiles = false;
};

// GRID[:N|:qN|:manual]. Returns an empty string or the usage error.
std::string leeGrid(const std::string& arg, Grid& g) {
    g = Grid{};
    std::string ruta = arg;
    const auto dos = arg.rfind(':');
    if (dos != std::string::npos) {
        std::string sufijo = arg.substr(dos + 1);
        const bool cuantiles = !sufijo.empty() && sufijo[0] == 'q';
        if (cuantiles) sufijo.erase(0, 1);
        if (cuantiles && sufijo.empty()) return "'" + arg + "': give a number of classes after ':q'";
        bool numerico = !sufijo.empty();
        for (char c : sufijo)
            if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')) numerico = false;
        if (sufijo == "manual" && !cuantiles) {
            g.manual = true;
            ruta = arg.substr(0, dos);
        } else if (sufijo.empty()) {
            return "'" + arg + "': give a number of classes or 'manual' after ':'";
        } else if (numerico) {
            long n = 0;
            if (!leeEntero(sufijo, 1, 1000000, n))
                return "'" + arg + "': the number of classes must be a whole number of at least 1";
            g.clases = static_cast<int>(n);
            g.cuantiles = cuantiles;
            ruta = arg.substr(0, dos);
        }
        // Any other text after the last ':' belongs to the file name.
    }
    if (ruta.empty()) return "'" + arg + "': no grid file named";
    g.ruta = ruta;
    return {};
}

int ejecuta(const fs::path& salida, const std::vector<Grid>& grids) {
    // Ctrl-C is taken as a request to stop from before the working folder exists.
    ProgresoTerminal progreso(kComando, true);
    CarpetaPrivada carpeta;
    constructorTabla ct{quel::RaizDatos(carpeta.ruta())};
    ct.agregaExtension = false;
    std::vector<ItemCovariable> items;
    for (const Grid& g : grids)
        items.push_back({nombreCovariable(g.ruta.string()), true, g.ruta, g.clases, g.manual, g.cuantiles});

    const int codigo = ct.construyeTabla(salida, items, nullptr, progreso);
    if (codigo == quel::kCodigoCancelado) return interrumpido(kComando);
    if (codigo == codigos::kVacio) {  // a file that cannot be written
        std::fprintf(stderr, "quel-cli %s: %s: %s\n", kComando, ct.rutaError.string().c_str(),
                     ct.error.detalle.c_str());
        return kSalidaFallo;
    }
    if (codigo != 0) {
        quel::ErrorArchivo error = ct.error;
        error.codigo = codigo;
        error.archivo = ct.rutaError;
        reportaError(kComando, error);
        return kSalidaFallo;
    }
    progreso.fija(100);
    for (std::size_t k = 0; k < items.size(); ++k) {
        const int pedidas = ct.clasesPedidas[k], formadas = static_cast<int>(ct.categoriasSel[k]);
        if (pedidas > formadas)
            std::fprintf(stderr,
                         "quel-cli %s: %s: %d equal-frequency classes asked, %d formed (equal values are never "
                         "split between classes)\n",
                         kComando, items[k].ruta.string().c_str(), pedidas, formadas);
        const auto n = ct.celdasEnHueco[k];
        if (n == 0) continue;
        if (items[k].manual)
            std::fprintf(stderr, "quel-cli %s: %s: %lld cells hold negative values and lie outside the region\n",
                         kComando, items[k].ruta.string().c_str(), static_cast<long long>(n));
        else
            std::fprintf(stderr,
                         "quel-cli %s: %s: %lld cells fell between two classes and took the class below\n",
                         kComando, items[k].ruta.string().c_str(), static_cast<long long>(n));
    }
    return kSalidaBien;
}

}  // namespace

int covariates(const Argumentos& args) {
    // Grids are positional; the options go to the shared parser.
    Argumentos opciones;
    std::vector<std::string> posicionales;
    separaPosicionales(args, {"--out"}, opciones, posicionales);
    const Opciones o = leeOpciones(opciones, {"--out"}, {});
    if (o.ayuda) {
        std::fputs(kAyudaCovariates, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(kComando, o.error);
    if (!o.tiene("--out")) return errorUso(kComando, "missing --out");
    const fs::path salida = *o.valor("--out");
    if (salida.empty()) return errorUso(kComando, "empty file name");
    if (posicionales.empty()) return errorUso(kComando, "name at least one grid");
    std::vector<Grid> grids(posicionales.size());
    for (std::size_t i = 0; i < posicionales.size(); ++i) {
        std::string error = leeGrid(posicionales[i], grids[i]);
        if (error.empty()) error = nombreInvalido(nombreCovariable(grids[i].ruta.string()));
        if (!error.empty()) return errorUso(kComando, error);
    }
    std::vector<Entrada> entradas;
    for (const Grid& g : grids) entradas.push_back({"GRID", g.ruta});
    if (const std::string error = salidaSobreEntrada({salida}, entradas); !error.empty())
        return errorUso(kComando, error);
    try {
        return ejecuta(salida, grids);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "quel-cli %s: the run failed: %s\n", kComando, ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
