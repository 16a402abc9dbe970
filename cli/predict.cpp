// quel-cli predict: loads the four inputs as the main window does, runs the
// prediction and writes the three result surfaces as tables and ASCII grids.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/corrida.h"
#include "data/cargaArchivo.h"
#include "data/tablaResultados.h"
#include "engine/corridaPrediccion.h"
#include "engine/ejecutarQuel.h"
#include "engine/evaluacion.h"
#include "platform/EscrituraSegura.h"
#ifdef QUEL_CON_IMAGENES
#include "cli/png.h"
#endif

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kComando = "predict";

const char* const kAyudaPredict =
    "usage: quel-cli predict --covariates FILE --sites FILE (--bias FILE | --uniform-bias)\n"
    "                        (--prior FILE | --uniform-prior) --out DIR\n"
    "                        [--species NAME] [--digits N] [--threads N] [--png]\n"
    "                        [--max-memory SIZE] [--format asc|gtiff] [--importance]\n"
    "\n"
    "Predicts the probability of presence over the study region, as the main\n"
    "window's run does, and writes into DIR (created if missing):\n"
    "  predictive.txt, certainty.txt, prior_potential.txt   comma-separated tables\n"
    "      (a title line, then x,y,value for every row of the covariate table)\n"
    "  predictive.asc, certainty.asc, prior_potential.asc   ESRI ASCII grids, each\n"
    "      with a .prj file of the region's coordinate system when the covariate\n"
    "      table has one (the .prj beside it)\n"
    "\n"
    "  --covariates FILE  covariate table (as written by the covariate manager)\n"
    "  --sites FILE       presence records: species,longitude,latitude per line\n"
    "  --bias FILE        spatial bias, one value in [0, 1] per covariate-table row\n"
    "  --uniform-bias     the same bias in every cell of the region instead\n"
    "  --prior FILE       prior classes (0 to 3), one per covariate-table row;\n"
    "                     the prior is computed from them\n"
    "  --uniform-prior    the uniform prior instead\n"
    "  --out DIR          folder of the results\n"
    "  --species NAME     predict for the records of one species only (blanks in\n"
    "                     NAME are ignored, as in the sites file)\n"
    "  --digits N         significant digits of the table values (default 6, as the\n"
    "                     window exports them)\n"
    "  --threads N        worker threads (default: every core); the results never\n"
    "                     depend on it\n"
    "  --format F         asc (default) writes the grids above; gtiff writes them\n"
    "                     as GeoTIFF instead (predictive.tif, ...): single\n"
    "                     precision, no-data -9999, the region's coordinate\n"
    "                     system, deflate compression, internal tiles\n"
    "  --png              also draw predictive.png, certainty.png and\n"
    "                     prior_potential.png as the main window shows the maps\n"
    "  --max-memory SIZE  memory the run may take, in bytes or with a K, M, G or T\n"
    "                     suffix (default: the machine's physical memory); a run\n"
    "                     whose tables would need more stops before building them\n"
    "  --importance       also write importance.csv (each covariate's importance,\n"
    "                     the sum of the posterior weights of its pairs, then the\n"
    "                     weight of every pair) and response.csv (per covariate and\n"
    "                     category, the region's cells and their mean predictive\n"
    "                     probability)\n"
    "\n"
    "The files of a run replace those of an earlier one together, once all of them\n"
    "are complete, so a failed run leaves the earlier results as they were. A result\n"
    "file that is a symbolic link is refused, not followed. No output may be one of\n"
    "the input files.\n"
    "The run prints its \"Iteracion: \" lines on standard output. Sites beyond\n"
    "every cell of the table are left out; sites on no-data cells count in the\n"
    "nearest cell of the region; both are reported per species on standard error.\n"
    "Exit status: 0 success, 2 usage error, 3 a load or the run failed.\n";

void fallo(const std::string& que) {
    std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str());
}

struct Entradas : EntradasCorrida {
    bool geotiff = false, importancia = false;
    int digitos = tablaResultados::kDigitos;
};

// Reads the command line; returns an empty string or the usage error.
std::string leeEntradas(const Opciones& o, Entradas& e) {
    if (std::string error = leeEntradasCorrida(o, e); !error.empty()) return error;
    if (auto d = o.valor("--digits")) {
        long n = 0;
        if (!leeEntero(*d, 1, 30, n)) return "--digits must be a whole number from 1 to 30, not '" + *d + "'";
        e.digitos = static_cast<int>(n);
    }
    if (auto f = o.valor("--format")) {
        if (*f != "asc" && *f != "gtiff") return "--format must be asc or gtiff, not '" + *f + "'";
        e.geotiff = *f == "gtiff";
    }
    e.importancia = o.tiene("--importance");
    std::vector<fs::path> salidas;
    for (const char* n : {"predictive", "certainty", "prior_potential"})
        for (const char* ext : {".txt", ".asc", ".png"})
            if (e.png || ext[1] != 'p') salidas.push_back(e.salida / (std::string(n) + ext));
    if (e.importancia)
        for (const char* n : {"importance.csv", "response.csv"}) salidas.push_back(e.salida / n);
    return salidaSobreEntrada(salidas, archivosEntrada(e));
}

// The importance and response files of the run (--importance), put in place together.
bool escribeImportancia(const Entradas& e, const cargaArchivo& datos, const ejecutarQuel& motor) {
    const std::vector<std::string> nombres = nombresCovariables(datos);
    const std::string textos[2] = {
        textoImportancia(nombres, motor.pesosPosteriores),
        textoRespuesta(nombres, quel::metricas::respuesta(*datos.covariables, categoriasCovariables(datos),
                                                          *motor.predictiva))};
    quel::ArchivoNuevo importancia(e.salida / "importance.csv"), respuesta(e.salida / "response.csv");
    importancia.agrega(textos[0]);
    respuesta.agrega(textos[1]);
    std::string razon;
    if (quel::colocaTodos({&importancia, &respuesta}, &razon)) return true;
    fallo("cannot write " + razon);
    return false;
}

int ejecuta(const Entradas& e) {
    CarpetaPrivada carpeta;
    cargaArchivo datos(carpeta.ruta());
    ProgresoTerminal progreso(kComando, true);
    OpcionesPrediccion o = opcionesPrediccion(e);
    o.salida = e.salida;
    o.geotiff = e.geotiff;
    o.digitos = e.digitos;
    ejecutarQuel motor;
    // Pictures and the importance need the whole results in memory; the
    // result files alone are written as the run goes, in blocks of rows.
    ResumenPrediccion r = e.png || e.importancia ? corridaPrediccion(o, datos, motor, progreso)
                                                 : corridaEnBloques(o, datos, progreso);
    using Fin = ResumenPrediccion::Fin;
    // Sites left out are reported whether or not the results could be written.
    if (r.bien() || r.fin == Fin::kFallo) reportaDescartes(kComando, r.descartes);
    if (!r.bien()) return estadoDeFin(kComando, r.fin, r.error);
    if (e.importancia && !escribeImportancia(e, datos, motor)) return kSalidaFallo;
    // Drawing the maps as pictures (--png).
    if (e.png) {
#ifdef QUEL_CON_IMAGENES
        std::string error;
        if (!escribeMapasPNG(e.salida, *datos.coordenadas, *datos.covariables, *motor.predictiva,
                             *motor.certidumbre, *motor.potPriori, error)) {
            fallo(error);
            return kSalidaFallo;
        }
#endif
    }
    progreso.fija(100);
    return kSalidaBien;
}

}  // namespace

int predict(const Argumentos& args) {
    Entradas e;
    return comandoCorrida(
        kComando, kAyudaPredict, args, {"--digits", "--format"}, {"--importance"},
        [&](const Opciones& o) { return leeEntradas(o, e); }, [&] { return ejecuta(e); });
}

}  // namespace cli
