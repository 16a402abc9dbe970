// quel-cli sites: turns an occurrence download into the program's sites file.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/comun.h"
#include "data/apoyoGDAL.h"
#include "data/cargaArchivo.h"
#include "data/ocurrencias.h"
#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* const kComando = "sites";

const char* const kAyudaSites =
    "usage: quel-cli sites --from FILE --out FILE [--species-column C] [--x-column C]\n"
    "                      [--y-column C] [--species NAME ...] [--region TABLE]\n"
    "                      [--one-per-cell]\n"
    "\n"
    "Turns an occurrence download (a delimited text file with a header line,\n"
    "separated by tabs or commas, fields in double quotes allowed, UTF-8) into\n"
    "the sites file: one species,x,y line per record kept.\n"
    "\n"
    "  --from FILE         the download\n"
    "  --out FILE          the sites file to write (exactly this name)\n"
    "  --species-column C  column of the species name (default species)\n"
    "  --x-column C        column of x (default decimalLongitude)\n"
    "  --y-column C        column of y (default decimalLatitude)\n"
    "  --species NAME      keep only this species; may be given more than once\n"
    "  --region TABLE      a covariate table: records outside its study region\n"
    "                      are dropped\n"
    "  --one-per-cell      with --region: keep one record per species and cell\n"
    "\n"
    "Records with empty or unparsable coordinates or an empty species are\n"
    "dropped. The records kept and dropped are counted per species on standard\n"
    "output. The coordinates must be in the region's coordinate system.\n"
    "Exit status: 0 success, 2 usage error, 3 the download or the region could\n"
    "not be used, no record was kept, or the sites file could not be written.\n";

void fallo(const std::string& que) { std::fprintf(stderr, "quel-cli %s: %s\n", kComando, que.c_str()); }

int ejecuta(const Opciones& o, const quel::ocurrencias::Opciones& opciones) {
    const fs::path origen = *o.valor("--from");
    const fs::path destino = *o.valor("--out");
    std::string texto;
    if (!quel::gdal::leeTexto(origen, texto)) {
        fallo(origen.string() + ": cannot read the file");
        return kSalidaFallo;
    }
    quel::ocurrencias::Region region;
    CarpetaPrivada carpeta;
    if (auto tabla = o.valor("--region")) {
        cargaArchivo datos(carpeta.ruta());
        const int codigo = datos.cargaCovariables(*tabla);
        if (codigo != 0) {
            quel::ErrorArchivo e = datos.error;
            if (e.archivo.empty()) e.archivo = *tabla;
            reportaError(kComando, e);
            return kSalidaFallo;
        }
        if (!region.lee(*datos.coordenadas, *datos.covariables)) {
            fallo(*tabla + ": the table's coordinates do not form a grid");
            return kSalidaFallo;
        }
    }
    quel::ocurrencias::Resultado r;
    quel::ocurrencias::Error error;
    if (!quel::ocurrencias::convierte(texto, opciones, o.tiene("--region") ? &region : nullptr, r, error)) {
        fallo(origen.string() + ": line " + std::to_string(error.linea) + ": " + error.detalle);
        return kSalidaFallo;
    }
    for (const std::string& l : r.informe()) std::printf("%s\n", l.c_str());
    std::fflush(stdout);
    if (r.conservados == 0) {
        fallo(origen.string() + ": no record kept; no sites file written");
        return kSalidaFallo;
    }
    if (std::string razon; !quel::escribeSeguro(destino, r.sitios, &razon)) {
        fallo(destino.string() + ": cannot write the sites file: " + razon);
        return kSalidaFallo;
    }
    return kSalidaBien;
}

}  // namespace

int sites(const Argumentos& args) {
    // --species may come more than once: gather it before the usual reading.
    quel::ocurrencias::Opciones opciones;
    Argumentos resto;
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--species") {
            if (i + 1 >= args.size()) error = "option --species needs a value";
            else opciones.especies.push_back(args[++i]);
        } else if (args[i].rfind("--species=", 0) == 0) {
            opciones.especies.push_back(args[i].substr(10));
        } else {
            resto.push_back(args[i]);
        }
    }
    const Opciones o = leeOpciones(
        resto, {"--from", "--out", "--species-column", "--x-column", "--y-column", "--region"}, {"--one-per-cell"});
    if (o.ayuda) {
        std::fputs(kAyudaSites, stdout);
        return kSalidaBien;
    }
    if (!error.empty()) return errorUso(kComando, error);
    if (!o.error.empty()) return errorUso(kComando, o.error);
    for (const char* r : {"--from", "--out"})
        if (!o.tiene(r)) return errorUso(kComando, std::string("missing option ") + r);
    {
        std::vector<Entrada> entradas{{"--from", *o.valor("--from")}};
        if (auto t = o.valor("--region")) entradas.push_back({"--region", *t});
        if (const std::string e = salidaSobreEntrada({*o.valor("--out")}, entradas); !e.empty())
            return errorUso(kComando, e);
    }
    if (o.tiene("--one-per-cell") && !o.tiene("--region"))
        return errorUso(kComando, "--one-per-cell needs --region (the cells are the region's)");
    if (auto c = o.valor("--species-column")) opciones.columnaEspecie = *c;
    if (auto c = o.valor("--x-column")) opciones.columnaX = *c;
    if (auto c = o.valor("--y-column")) opciones.columnaY = *c;
    opciones.unoPorCelda = o.tiene("--one-per-cell");
    try {
        return ejecuta(o, opciones);
    } catch (const std::exception& ex) {
        fallo(ex.what());
        return kSalidaFallo;
    }
}

}  // namespace cli
