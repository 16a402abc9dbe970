// quel-cli bias: fits a sampling-bias surface as the bias manager does and
// writes the bias file its save command writes.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "cli/grids.h"
#include "data/cargaArchivo.h"
#include "managers/bias/corridaSesgo.h"
#include "managers/bias/inferenciaBias.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kComando = "bias";

const char* const kAyudaBias =
    "usage: quel-cli bias --covariates FILE --cities GRID --alfa A --roads GRID --beta B\n"
    "                     --richness GRID --cota C --sites FILE --absences N --out FILE\n"
    "                     [--digits N] [--threads N] [--max-memory SIZE]\n"
    "\n"
    "Fits the spatial sampling-bias surface as the bias manager does: the weight of\n"
    "cities against roads and the detectability slope are fitted by maximum\n"
    "likelihood to the presence records, and FILE receives one bias value per\n"
    "covariate-table row, the file the bias manager saves.\n"
    "\n"
    "  --covariates FILE  covariate table (as written by the covariate manager)\n"
    "  --cities GRID      grid of cities (every cell not 0 counts)\n"
    "  --alfa A           weight of the cities, at least 0\n"
    "  --roads GRID       grid of roads (cells holding exactly 1 count)\n"
    "  --beta B           weight of the roads, above 0\n"
    "  --richness GRID    grid of species richness, same cells and order\n"
    "                     as the covariate table\n"
    "  --cota C           abundance at which detectability reaches 1, above 0\n"
    "  --sites FILE       presence records: species,longitude,latitude per line\n"
    "  --absences N       visits that found nothing, a whole number of at least 0\n"
    "  --out FILE         the bias file to write (exactly this name)\n"
    "  --digits N         significant digits of the values (default 6, as the\n"
    "                     window writes them; more only for checking)\n"
    "  --threads N        threads of the distance sums (default: every core);\n"
    "                     the result never depends on it\n"
    "  --max-memory SIZE  memory the covariate table may take, in bytes or with a\n"
    "                     K, M, G or T suffix (default: the machine's physical\n"
    "                     memory); a larger table is refused before it is read\n"
    "\n"
    "A GRID is an ESRI ASCII grid or a single-band raster GDAL reads (GeoTIFF,\n"
    "...); the three must share one coordinate system (no reprojection).\n"
    "The fitted weight and slope, the evaluations and iterations the fit used and\n"
    "whether its convergence test was met are printed on standard output.\n"
    "FILE is replaced only once the new file is complete; a FILE that is a symbolic\n"
    "link is refused, not followed, and FILE may not be one of the inputs.\n"
    "Exit status: 0 success, 2 usage error, 3 a load or the fit failed.\n";

// A real option turned into the single-precision value the window stores.
bool leeParametro(const Opciones& o, const std::string& nombre, bool ceroVale, float& valor, std::string& error) {
    double d = 0;
    const std::string texto = *o.valor(nombre);
    if (!leeReal(texto, d)) {
        error = nombre + " must be a number, not '" + texto + "'";
        return false;
    }
    const float f = static_cast<float>(d);
    const bool bien = std::isfinite(f) && (ceroVale ? f >= 0.0f : f > 0.0f);
    if (!bien) {
        error = nombre + (ceroVale ? " must be at least 0" : " must be above 0") + std::string(", not '") + texto + "'";
        return false;
    }
    valor = f;
    return true;
}

void reportaFallo(const FalloSesgo& f) { reportaError(kComando, f); }

void imprimeAjuste(const inferenciaBias& inf, const InformeSesgo& informe) {
    const AjusteSesgo& a = inf.ajuste();
    std::printf("fitted weight of cities relative to roads: %.9g\n", static_cast<double>(a.peso));
    std::printf("fitted detectability slope: %.9g\n", static_cast<double>(a.pendiente));
    std::printf("evaluations: %d, iterations: %d\n", a.simplex.evaluaciones, a.simplex.iteraciones);
    std::printf("convergence test: %s\n",
                a.simplex.convergio ? "met" : "not met (the fit stopped at its evaluation or iteration limit)");
    std::printf("combinations: %d\n", inf.combinaciones ? inf.combinaciones->renglones : 0);
    std::printf("presence sites: %d", informe.sitios);
    if (informe.sinAsignar > 0)
        std::printf(" (%d with no region cell within reach, counted nowhere)", informe.sinAsignar);
    std::printf("\n");
    std::fflush(stdout);
}

// The settings of a run, from the command line.
struct Entradas : EntradasSesgo {
    long digitos = 6;
    std::uint64_t memoria = 0;
    long hilos = 0;
    fs::path covariables, salida;
};

// Reads the command line; returns an empty string or the usage error.
std::string leeEntradas(const Opciones& o, Entradas& e) {
    static const char* const requeridas[] = {"--covariates", "--cities",   "--alfa",  "--roads",
                                             "--beta",       "--richness", "--cota",  "--sites",
                                             "--absences",   "--out"};
    for (const char* r : requeridas)
        if (!o.tiene(r)) return std::string("missing option ") + r;

    std::string error;
    if (!leeParametro(o, "--alfa", true, e.alfa, error) || !leeParametro(o, "--beta", false, e.beta, error) ||
        !leeParametro(o, "--cota", false, e.cota, error))
        return error;
    if (!std::isfinite(e.alfa / e.beta)) return "--alfa / --beta is beyond single precision";
    if (!std::isfinite(1.0f / e.cota)) return "1 / --cota is beyond single precision";
    long n = 0;
    if (!leeEntero(*o.valor("--absences"), 0, INT_MAX, n))
        return "--absences must be a whole number of at least 0, not '" + *o.valor("--absences") + "'";
    e.ausencias = static_cast<int>(n);
    if (o.tiene("--digits") && !leeEntero(*o.valor("--digits"), 1, 40, e.digitos))
        return "--digits must be a whole number from 1 to 40";
    const auto memoria = leeMemoria(o, error);
    if (!memoria) return error;
    e.memoria = *memoria;
    e.hilos = hilosPorDefecto();
    if (o.tiene("--threads") && !leeEntero(*o.valor("--threads"), 1, 1024, e.hilos))
        return "--threads must be a whole number of at least 1";
    e.ciudades = *o.valor("--cities");
    e.carreteras = *o.valor("--roads");
    e.riqueza = *o.valor("--richness");
    e.presencias = *o.valor("--sites");
    e.covariables = *o.valor("--covariates");
    e.salida = *o.valor("--out");
    return salidaSobreEntrada({e.salida}, {{"--covariates", e.covariables},
                                           {"--cities", e.ciudades},
                                           {"--roads", e.carreteras},
                                           {"--richness", e.riqueza},
                                           {"--sites", e.presencias}});
}

// Loads the covariate table and fits the surface, the fit printed; the exit
// status of a failure, else kSalidaBien.
int ajusta(const Entradas& e, inferenciaBias& inferencia, cargaArchivo& datos, ProgresoTerminal& progreso) {
    FalloSesgo fallo;
    if (cargaCovariablesSesgo(inferencia, datos, e.covariables, &fallo) != 0) {
        reportaFallo(fallo);
        return kSalidaFallo;
    }
    std::unique_ptr<TImagenN<float>> sitios;
    std::unique_ptr<TImagenN<AnsiString>> especies;
    InformeSesgo informe;
    if (ejecutaSesgo(inferencia, datos, e, sitios, especies, &informe, &fallo, progreso) != 0) {
        if (fallo.codigo == quel::kCodigoCancelado) return interrumpido(kComando);
        reportaFallo(fallo);
        return kSalidaFallo;
    }
    if (progreso.cancelado()) return interrumpido(kComando);
    progreso.fija(100);
    reportaAvisos(kComando, informe.avisos);
    imprimeAjuste(inferencia, informe);
    return kSalidaBien;
}

// Writes the fitted bias file; the exit status.
int guarda(const inferenciaBias& inferencia, const fs::path& salida, long digitos) {
    std::string razon;
    const int codigo = inferencia.guardaSesgo(salida, static_cast<int>(digitos), &razon);
    if (codigo == codigos::kRango) {
        std::fprintf(stderr,
                     "quel-cli bias: %s: error %d: the fitted bias is not a probability (%s); no bias file "
                     "written\n",
                     salida.string().c_str(), codigo, inferencia.sesgoFueraDeRango().c_str());
        return kSalidaFallo;
    }
    if (codigo != 0) {
        std::fprintf(stderr, "quel-cli bias: %s: cannot write the bias file: %s\n", salida.string().c_str(),
                     razon.c_str());
        return kSalidaFallo;
    }
    return kSalidaBien;
}

int ejecuta(const Opciones& o) {
    Entradas e;
    if (const std::string error = leeEntradas(o, e); !error.empty()) return errorUso(kComando, error);

    // Working files of the loads and of the estimator stay in a folder of this run.
    CarpetaPrivada carpeta("quel-bias-");
    cargaArchivo datos(carpeta.ruta());
    inferenciaBias inferencia(carpeta.ruta());
    inferencia.fijaHilos(static_cast<int>(e.hilos));
    inferencia.fijaLimiteMemoria(e.memoria);
    ProgresoTerminal progreso(kComando, true);
    if (const int estado = ajusta(e, inferencia, datos, progreso); estado != kSalidaBien) return estado;
    return guarda(inferencia, e.salida, e.digitos);
}

}  // namespace

int bias(const Argumentos& args) {
    const Opciones o = leeOpciones(args,
                                   {"--covariates", "--cities", "--alfa", "--roads", "--beta", "--richness",
                                    "--cota", "--sites", "--absences", "--out", "--digits", "--threads",
                                    "--max-memory"},
                                   {});
    if (o.ayuda) {
        std::fputs(kAyudaBias, stdout);
        return kSalidaBien;
    }
    if (!o.error.empty()) return errorUso(kComando, o.error);
    try {
        return ejecuta(o);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "quel-cli bias: %s\n", ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
