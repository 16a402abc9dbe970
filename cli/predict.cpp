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
#include "data/cargaArchivo.h"
#include "data/tablaResultados.h"
#include "engine/corridaPrediccion.h"
#include "engine/ejecutarQuel.h"
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
    "                        [--max-memory SIZE] [--format asc|gtiff]\n"
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
    "\n"
    "The files of a run replace those of an earlier one together, once all of them\n"
    "are complete, so a failed run leaves the earlier results as they were. A result\n"
    "file that is a symbolic link is refused, not followed. No output may be one of\n"
    "the input files.\n"
    "The run prints its \"Iteracion: \" lines on standard output. Sites beyond\n"
    "every cell of the table are left out; sites on no-data cells count in the\n"
    "nearest cell of the region; both are reported per species on standard error.\n"
    "Exit status: 0 success, 2 usage error, 3 a load or the run failed.\n";

std::string sinBlancos(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\r'; }), s.end());
    return s;
}

void fallo(const std::string& que) {
    std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str());
}

struct Entradas {
    fs::path covariables, sitios, sesgo, priori, salida;
    bool sesgoUniforme = false, prioriUniforme = false, png = false, geotiff = false;
    std::optional<std::string> especie;
    int digitos = tablaResultados::kDigitos;
    int hilos = 0;
    std::uint64_t memoria = 0;  // bytes the run may take; 0: the physical memory
};

// Reads the command line; returns an empty string or the usage error.
std::string leeEntradas(const Opciones& o, Entradas& e) {
    for (const char* requerida : {"--covariates", "--sites", "--out"})
        if (!o.tiene(requerida)) return std::string("missing ") + requerida;
    if (o.tiene("--bias") == o.tiene("--uniform-bias")) return "give exactly one of --bias FILE and --uniform-bias";
    if (o.tiene("--prior") == o.tiene("--uniform-prior"))
        return "give exactly one of --prior FILE and --uniform-prior";
    e.covariables = *o.valor("--covariates");
    e.sitios = *o.valor("--sites");
    e.salida = *o.valor("--out");
    e.sesgoUniforme = o.tiene("--uniform-bias");
    e.prioriUniforme = o.tiene("--uniform-prior");
    if (!e.sesgoUniforme) e.sesgo = *o.valor("--bias");
    if (!e.prioriUniforme) e.priori = *o.valor("--prior");
    if (e.covariables.empty() || e.sitios.empty() || e.salida.empty() ||
        (!e.sesgoUniforme && e.sesgo.empty()) || (!e.prioriUniforme && e.priori.empty()))
        return "empty file name";
    if (auto d = o.valor("--digits")) {
        long n = 0;
        if (!leeEntero(*d, 1, 30, n)) return "--digits must be a whole number from 1 to 30, not '" + *d + "'";
        e.digitos = static_cast<int>(n);
    }
    if (auto h = o.valor("--threads")) {
        long n = 0;
        if (!leeEntero(*h, 1, 1024, n)) return "--threads must be a whole number from 1 to 1024, not '" + *h + "'";
        e.hilos = static_cast<int>(n);
    }
    std::string error;
    const auto memoria = leeMemoria(o, error);
    if (!memoria) return error;
    e.memoria = *memoria;
    if (auto s = o.valor("--species")) e.especie = sinBlancos(*s);
    e.png = o.tiene("--png");
    if (auto f = o.valor("--format")) {
        if (*f != "asc" && *f != "gtiff") return "--format must be asc or gtiff, not '" + *f + "'";
        e.geotiff = *f == "gtiff";
    }
#ifndef QUEL_CON_IMAGENES
    if (e.png) return "--png is not available: this program was built without Qt";
#endif
    std::vector<fs::path> salidas;
    for (const char* n : {"predictive", "certainty", "prior_potential"})
        for (const char* ext : {".txt", ".asc", ".png"})
            if (e.png || ext[1] != 'p') salidas.push_back(e.salida / (std::string(n) + ext));
    std::vector<Entrada> entradas = {{"--covariates", e.covariables}, {"--sites", e.sitios}};
    if (!e.sesgoUniforme) entradas.push_back({"--bias", e.sesgo});
    if (!e.prioriUniforme) entradas.push_back({"--prior", e.priori});
    return salidaSobreEntrada(salidas, entradas);
}

// Warnings of the run about the sites it left out or moved.
void reportaDescartes(const std::vector<DescarteEspecie>& descartes) {
    const auto lista = [](const std::vector<std::pair<float, float>>& primeros) {
        std::string texto;
        for (const auto& [x, y] : primeros) {
            char par[64];
            std::snprintf(par, sizeof par, " (%.7g, %.7g)", static_cast<double>(x), static_cast<double>(y));
            texto += par;
        }
        return texto;
    };
    for (const DescarteEspecie& d : descartes) {
        if (d.fuera > 0)
            std::fprintf(stderr, "quel-cli %s: %s: %d of %d sites left out as outside the region:%s\n", kComando,
                         d.especie.c_str(), d.fuera, d.sitios, lista(d.primerosFuera).c_str());
        if (d.sinDato > 0)
            std::fprintf(stderr,
                         "quel-cli %s: %s: %d of %d sites lie on no-data cells and count in the nearest region "
                         "cell:%s\n",
                         kComando, d.especie.c_str(), d.sinDato, d.sitios, lista(d.primerosSinDato).c_str());
        if (d.fuera == d.sitios)
            std::fprintf(stderr, "quel-cli %s: warning: %s has no site in the region; its maps show the prior alone\n",
                         kComando, d.especie.c_str());
    }
}

int ejecuta(const Entradas& e) {
    CarpetaPrivada carpeta;
    cargaArchivo datos(carpeta.ruta());
    ProgresoTerminal progreso(kComando, true);
    OpcionesPrediccion o;
    o.covariables = e.covariables;
    o.sitios = e.sitios;
    if (!e.sesgoUniforme) o.sesgo = e.sesgo;
    if (!e.prioriUniforme) o.priori = e.priori;
    o.especie = e.especie;
    o.salida = e.salida;
    o.geotiff = e.geotiff;
    o.digitos = e.digitos;
    o.hilos = e.hilos;
    o.memoria = e.memoria;
    ejecutarQuel motor;
    ResumenPrediccion r = corridaPrediccion(o, datos, motor, progreso);
    using Fin = ResumenPrediccion::Fin;
    // Sites left out are reported whether or not the results could be written.
    if (r.bien() || r.fin == Fin::kFallo) reportaDescartes(r.descartes);
    switch (r.fin) {
        case Fin::kBien: break;
        case Fin::kCancelada: return interrumpido(kComando);
        case Fin::kEspecie:
        case Fin::kOpciones: return errorUso(kComando, r.error.detalle);
        case Fin::kMotor:
            if (r.error.codigo == ejecutarQuel::kMemoria) r.error.detalle += "; --max-memory sets the limit";
            [[fallthrough]];
        case Fin::kCarga: reportaError(kComando, r.error); return kSalidaFallo;
        default: fallo(r.error.detalle); return kSalidaFallo;
    }
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
    const Opciones o = leeOpciones(
        args,
        {"--covariates", "--sites", "--bias", "--prior", "--out", "--species", "--digits", "--threads", "--max-memory",
         "--format"},
        {"--uniform-bias", "--uniform-prior", "--png"});
    if (o.ayuda) {
        std::fputs(kAyudaPredict, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(kComando, o.error);
    Entradas e;
    const std::string error = leeEntradas(o, e);
    if (!error.empty()) return errorUso(kComando, error);
    try {
        return ejecuta(e);
    } catch (const std::exception& ex) {
        fallo(std::string("the run failed: ") + ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
