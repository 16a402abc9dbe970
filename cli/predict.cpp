// quel-cli predict: loads the four inputs as the main window does, runs the
// prediction and writes the three result surfaces as tables and ASCII grids.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "data/cargaArchivo.h"
#include "data/exportaArchivo.h"
#include "data/lenguaje.h"
#include "data/apoyoGDAL.h"
#include "data/salidaGDAL.h"
#include "data/tablaResultados.h"
#include "engine/ejecutarQuel.h"
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

// Sizes of the parts of the progress bar (they add up to 100).
constexpr int kParteCarga = 5;      // each of the four loads
constexpr int kParteMotor = 60;
constexpr int kParteSalida = 20;

std::string sinBlancos(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\r'; }), s.end());
    return s;
}

void fallo(const std::string& que) {
    std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str());
}

// One load: reports a failure and tells whether it succeeded.
bool carga(int codigo, const cargaArchivo& datos) {
    if (codigo == codigos::kOk) return true;
    reportaError(kComando, datos.error);
    return false;
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

// The known species, in the order of the sorted sites, each once.
std::vector<std::string> especiesConocidas(const TImagenN<AnsiString>& especies) {
    std::vector<std::string> r;
    for (int i = 0; i < especies.renglones; ++i) {
        const std::string& n = especies.datos[0][static_cast<std::size_t>(i)];
        if (std::find(r.begin(), r.end(), n) == r.end()) r.push_back(n);
    }
    return r;
}

// The sites of one species, in site order, as the explorer's per-species
// prediction builds them.
void soloEspecie(const cargaArchivo& datos, const std::string& nombre, TImagenN<float>& sitios,
                 TImagenN<AnsiString>& especies) {
    int n = 0;
    for (const auto& e : datos.especies->datos[0]) n += e == nombre;
    sitios = TImagenN<float>(n, 3);
    especies = TImagenN<AnsiString>(n, 1);
    int j = 0;
    for (int i = 0; i < datos.especies->renglones; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        if (datos.especies->datos[0][ii] != nombre) continue;
        const auto jj = static_cast<std::size_t>(j++);
        sitios.datos[0][jj] = datos.sitios->datos[0][ii];
        sitios.datos[1][jj] = datos.sitios->datos[1][ii];
        especies.datos[0][jj] = nombre;
    }
}

// The six result files, put in place together once every one is complete.
// Returns false after reporting the file that failed; the earlier results
// then stay as they were.
bool escribeResultados(const Entradas& e, const cargaArchivo& datos, const ejecutarQuel& motor,
                       Progreso& progreso) {
    std::error_code ec;
    fs::create_directories(e.salida, ec);
    if (ec || !fs::is_directory(e.salida)) {
        fallo(e.salida.string() + ": cannot create the output folder" + (ec ? ": " + ec.message() : std::string()));
        return false;
    }
    const std::vector<std::string> titulos = titulosExporta();
    const quel::gdal::Sistema sistema = quel::gdal::sistemaDeTabla(e.covariables);
    struct Salida {
        const char* nombre;
        const TImagenN<long double>* valores;
        std::size_t titulo;
    };
    const Salida salidas[3] = {{"predictive", motor.predictiva.get(), 2},
                               {"certainty", motor.certidumbre.get(), 3},
                               {"prior_potential", motor.potPriori.get(), 4}};
    std::string prj;
    if (!quel::gdal::textoPrj(sistema, prj)) {
        fallo(e.covariables.string() + ": cannot write the region's coordinate system");
        return false;
    }
    std::vector<quel::gdal::TemporalJunto> tifs;
    tifs.reserve(3);
    std::vector<std::unique_ptr<quel::ArchivoNuevo>> archivos;
    auto nuevo = [&](const fs::path& ruta) -> quel::ArchivoNuevo& {
        return *archivos.emplace_back(std::make_unique<quel::ArchivoNuevo>(ruta));
    };
    auto falla = [](const quel::ArchivoNuevo& f, const char* que) {
        fallo(f.destino().string() + ": cannot write the " + que + ": " + f.razon());
        return false;
    };
    for (const Salida& s : salidas) {
        quel::ArchivoNuevo& txt = nuevo(e.salida / (std::string(s.nombre) + ".txt"));
        if (!tablaResultados::escribe(txt, {titulos[0], titulos[1], titulos[s.titulo]}, *datos.coordenadas,
                                      *s.valores, e.digitos) ||
            !txt.termina())
            return falla(txt, "result table");
        progreso.avanza(kParteSalida / 6);
        const fs::path grid = e.salida / (std::string(s.nombre) + (e.geotiff ? ".tif" : ".asc"));
        std::string texto, razon;
        if (!exportaArchivo::textoGrid(*datos.coordenadas, *s.valores, texto, razon)) {
            fallo(grid.string() + ": cannot write the result grid: " + razon);
            return false;
        }
        if (e.geotiff) {
            // GDAL writes to a path: a temporary beside the result, put in
            // place with the rest of the set.
            quel::gdal::TemporalJunto& t = tifs.emplace_back(grid);
            if (!t.bien() || !quel::gdal::escribeGeoTIFF(t.ruta(), *datos.coordenadas, *s.valores, sistema)) {
                fallo(grid.string() + ": cannot write the result grid");
                return false;
            }
        } else {
            quel::ArchivoNuevo& asc = nuevo(grid);
            if (!asc.agrega(texto) || !asc.termina()) return falla(asc, "result grid");
            if (!prj.empty()) {
                quel::ArchivoNuevo& f = nuevo(quel::gdal::rutaPrj(grid));
                if (!f.agrega(prj) || !f.termina()) return falla(f, "coordinate system");
            }
        }
        progreso.avanza(kParteSalida / 6);
    }
    std::vector<quel::ArchivoNuevo*> conjunto;
    for (auto& f : archivos) conjunto.push_back(f.get());
    std::string razon;
    if (!quel::colocaTodos(conjunto, &razon)) {
        fallo(razon);
        return false;
    }
    for (quel::gdal::TemporalJunto& t : tifs)
        if (!t.coloca()) {
            fallo(t.destino().string() + ": cannot write the result grid");
            return false;
        }
    // Drawing the maps as pictures (--png).
    if (e.png) {
#ifdef QUEL_CON_IMAGENES
        std::string error;
        if (!escribeMapasPNG(e.salida, *datos.coordenadas, *datos.covariables, *motor.predictiva,
                             *motor.certidumbre, *motor.potPriori, error)) {
            fallo(error);
            return false;
        }
#endif
    }
    return true;
}

int ejecuta(const Entradas& e) {
    CarpetaPrivada carpeta;
    cargaArchivo datos(carpeta.ruta());
    ProgresoTerminal progreso(kComando);

    // The loads, covariates first, as the main window allows them.
    if (!carga(datos.cargaCovariables(e.covariables), datos)) return kSalidaFallo;
    {
        // The result grids need a table that runs row by row from the top-left cell.
        std::string texto, razon;
        if (!exportaArchivo::textoGrid(*datos.coordenadas, TImagenN<long double>(), texto, razon)) {
            fallo(e.covariables.string() + ": the table gives no valid result grid: " + razon);
            return kSalidaFallo;
        }
    }
    progreso.avanza(kParteCarga);
    if (e.sesgoUniforme)
        datos.sesgoUniforme();
    else if (!carga(datos.cargaSesgo(e.sesgo), datos))
        return kSalidaFallo;
    progreso.avanza(kParteCarga);
    if (e.prioriUniforme)
        datos.prioriUniforme();
    else if (!carga(datos.cargaPriori(e.priori), datos))
        return kSalidaFallo;
    progreso.avanza(kParteCarga);
    if (!carga(datos.cargaSitios(e.sitios), datos)) return kSalidaFallo;
    progreso.avanza(kParteCarga);

    copiaDatos copia = copiaDatos::de(datos);
    TImagenN<float> sitiosEspecie;
    TImagenN<AnsiString> nombreEspecie;
    if (e.especie) {
        const auto conocidas = especiesConocidas(*datos.especies);
        if (std::find(conocidas.begin(), conocidas.end(), *e.especie) == conocidas.end()) {
            std::string lista;
            for (const auto& n : conocidas) lista += (lista.empty() ? "" : ", ") + n;
            return errorUso(kComando, "unknown species '" + *e.especie + "'; the sites file holds: " +
                                          (lista.empty() ? "(none)" : lista));
        }
        soloEspecie(datos, *e.especie, sitiosEspecie, nombreEspecie);
        copia.sitios = &sitiosEspecie;
        copia.especies = &nombreEspecie;
        copia.numEspecies = 1;
    }

    ejecutarQuel motor(e.hilos);
    motor.fijaLimiteMemoria(e.memoria);
    ProgresoTramo tramo(progreso, kParteMotor);
    const int tipoPriori = e.prioriUniforme ? 1 : 0;
    const int codigo = motor.ejecuta(copia, tipoPriori, tramo);
    std::fflush(stdout);
    if (codigo != 0) {
        // The file the code is about.
        quel::ErrorArchivo error = motor.error();
        error.codigo = codigo;
        error.archivo = e.covariables;
        if (codigo == ejecutarQuel::kRenglones)
            error.archivo = datos.priori->renglones != datos.covariables->renglones ? e.priori : e.sesgo;
        if (codigo == ejecutarQuel::kMemoria) error.detalle += "; --max-memory sets the limit";
        reportaError(kComando, error);
        return kSalidaFallo;
    }
    const auto lista = [](const std::vector<std::pair<float, float>>& primeros) {
        std::string texto;
        for (const auto& [x, y] : primeros) {
            char par[64];
            std::snprintf(par, sizeof par, " (%.7g, %.7g)", static_cast<double>(x), static_cast<double>(y));
            texto += par;
        }
        return texto;
    };
    for (const DescarteEspecie& d : motor.descartes) {
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
    if (!escribeResultados(e, datos, motor, progreso)) return kSalidaFallo;
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
