#include "data/LectorGDAL.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>

#include "data/cargaArchivo.h"
#include "data/apoyoGDAL.h"

namespace fs = std::filesystem;

namespace quel::gdal {

namespace {

bool esBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The first token of the file, lower-cased; empty when it cannot be read.
std::string primeraFicha(const fs::path& ruta) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ruta.c_str(), "rb"), &std::fclose);
    if (!f) return {};
    std::string t;
    int c;
    while ((c = std::fgetc(f.get())) != EOF && esBlanco(static_cast<char>(c))) {}
    while (c != EOF && !esBlanco(static_cast<char>(c)) && t.size() < 32) {
        t.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
        c = std::fgetc(f.get());
    }
    return t;
}

bool empiezaComoASCII(const fs::path& ruta) {
    static const char* const claves[] = {"ncols",    "nrows", "xllcorner", "xllcenter", "yllcorner",
                                         "yllcenter", "cellsize", "dx",   "dy",        "nodata_value"};
    const std::string t = primeraFicha(ruta);
    return std::any_of(std::begin(claves), std::end(claves), [&](const char* c) { return t == c; });
}

int falla(ErrorGrid* error, std::string detalle) {
    if (error) *error = ErrorGrid{codigos::kMalformado, 0, std::move(detalle)};
    return codigos::kMalformado;
}

std::string numero(double v) {
    char buf[64];
    return std::string(buf, texto9(buf, v));
}

}  // namespace

bool esRasterGDAL(const fs::path& ruta) {
    std::error_code ec;
    if (!fs::is_regular_file(ruta, ec) || empiezaComoASCII(ruta)) return false;
    // An ESRI ASCII grid GDAL recognises where the program's reader does not
    // stays with the program's reader, which reports what it cannot read.
    const Dataset ds = abre(ruta);
    return ds && ds->GetDriver() && std::string_view(ds->GetDriver()->GetDescription()) != "AAIGrid";
}

// GDAL keeps its error handlers per thread, so each call silences its own.
struct LectorRenglones::Estado {
    Dataset ds;
    GDALRasterBand* banda = nullptr;
    EncabezadoASCII e;
    bool alSur = false;  // first row at the bottom
    int leidos = 0;      // rows handed over
    std::vector<double> buf;
};

LectorRenglones::LectorRenglones() = default;
LectorRenglones::~LectorRenglones() = default;

int LectorRenglones::abre(const fs::path& ruta, ErrorGrid* error) {
    if (error) *error = ErrorGrid{};
    Silencio silencio;
    e_ = std::make_unique<Estado>();
    auto& ds = e_->ds;
    ds = gdal::abre(ruta);
    if (!ds) return falla(error, "the raster cannot be opened: " + silencio.ultimo());
    const int bandas = ds->GetRasterCount();
    if (bandas != 1)
        return falla(error, "the raster has " + std::to_string(bandas) +
                                " bands; only single-band rasters are read (extract the band first, "
                                "e.g. with gdal_translate -b)");
    double gt[6];
    if (ds->GetGeoTransform(gt) != CE_None) return falla(error, "the raster has no georeferencing");
    if (gt[2] != 0 || gt[4] != 0)
        return falla(error, "the raster is rotated; only north-up rasters are read (warp it first with gdalwarp)");
    if (!(gt[1] > 0) || !std::isfinite(gt[1]))
        return falla(error, "the raster's cell width is not a positive number");
    if (std::fabs(gt[5]) != gt[1])
        return falla(error, "the raster's cells are not square (" + numero(gt[1]) + " by " + numero(std::fabs(gt[5])) +
                                "); only square cells are supported");
    const int ncols = ds->GetRasterXSize();
    const int nrows = ds->GetRasterYSize();
    if (ncols < 1 || nrows < 1 || static_cast<double>(ncols) * nrows > static_cast<double>(INT_MAX))
        return falla(error, "ncols x nrows is too large");

    e_->banda = ds->GetRasterBand(1);
    EncabezadoASCII& e = e_->e;
    e.ncols = ncols;
    e.nrows = nrows;
    e.cellsize = gt[1];
    e_->alSur = gt[5] > 0;
    e.xllcorner = e.xOrigen = gt[0];
    e.yllcorner = e.yOrigen = e_->alSur ? gt[3] : gt[3] + nrows * gt[5];
    int hay = 0;
    const double nd = e_->banda->GetNoDataValue(&hay);
    if (hay) {
        e.nodata = nd;
        e.nodataExplicito = true;
        e.nodataTexto = numero(nd);
    }
    if (!std::isfinite(e.xOrigen) || !std::isfinite(e.yOrigen))
        return falla(error, "the lower-left coordinates are not finite");
    return 0;
}

const EncabezadoASCII& LectorRenglones::encabezado() const { return e_->e; }

int LectorRenglones::lee(int renglones, const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error) {
    const EncabezadoASCII& e = e_->e;
    const int ncols = e.columnas(), nrows = e.renglones(), r0 = e_->leidos;
    const int n = std::max(0, std::min(renglones, nrows - r0));
    if (n == 0) return 0;
    Silencio silencio;
    e_->buf.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(ncols));
    // Top row first: a south-up raster is read from its last row.
    const int desde = e_->alSur ? nrows - r0 - n : r0;
    if (e_->banda->RasterIO(GF_Read, 0, desde, ncols, n, e_->buf.data(), ncols, n, GDT_Float64, 0, 0) != CE_None)
        return falla(error, "the raster's values cannot be read: " + silencio.ultimo());
    const float limite = std::numeric_limits<float>::max();
    char texto[64];
    for (int i = 0; i < n; ++i) {
        const double* fila = e_->buf.data() + static_cast<std::size_t>(e_->alSur ? n - 1 - i : i) * ncols;
        for (int c = 0; c < ncols; ++c) {
            const double v = fila[c];
            CeldaASCII celda{std::string_view(texto, texto9(texto, v)), v, true, 0};
            if (!std::isnan(v) && !esSinDato(v, e.nodata)) {
                const float f = static_cast<float>(v);
                if (!(f >= -limite && f <= limite))
                    return falla(error, "the value " + std::string(celda.texto) + " in row " +
                                            std::to_string(r0 + i + 1) + " is beyond single precision");
                celda.sinDato = false;
            }
            if (alValor) alValor(celda);
        }
    }
    e_->leidos = r0 + n;
    return 0;
}

int recorreGrid(const fs::path& ruta, const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error) {
    LectorRenglones lector;
    if (int r = lector.abre(ruta, error); r != 0) return r;
    const EncabezadoASCII& e = lector.encabezado();
    if (alEncabezado) alEncabezado(e);
    // Rows are read in blocks to bound the memory whatever the raster's size.
    const int bloque = std::max(1, std::min(e.renglones(), (1 << 20) / e.columnas()));
    for (int r0 = 0; r0 < e.renglones(); r0 += bloque)
        if (int r = lector.lee(bloque, alValor, error); r != 0) return r;
    return 0;
}

fs::path rutaPrj(const fs::path& archivo) {
    fs::path p = archivo;
    return p.replace_extension(".prj");
}

namespace {

Sistema deReferencia(const OGRSpatialReference& srs) {
    Sistema s;
    char* wkt = nullptr;
    const char* opciones[] = {"FORMAT=WKT2_2018", nullptr};
    if (srs.exportToWkt(&wkt, opciones) == OGRERR_NONE && wkt) s.wkt = wkt;
    CPLFree(wkt);
    const char* n = srs.GetName();
    s.nombre = n && *n ? n : "an unnamed system";
    return s;
}

}  // namespace

bool leeSistema(const fs::path& grid, Sistema& sistema, std::string& detalle) {
    sistema = Sistema{};
    Silencio silencio;
    if (esRasterGDAL(grid)) {
        auto ds = abre(grid);
        const OGRSpatialReference* srs = ds ? ds->GetSpatialRef() : nullptr;
        if (srs) sistema = deReferencia(*srs);
        return true;
    }
    return leePrj(rutaPrj(grid), sistema, detalle);
}

bool leePrj(const fs::path& prj, Sistema& sistema, std::string& detalle) {
    sistema = Sistema{};
    std::error_code ec;
    if (!fs::is_regular_file(prj, ec)) return true;
    Silencio silencio;
    std::string texto;
    OGRSpatialReference srs;
    bool bien = leeTexto(prj, texto);
    if (bien) {
        // A ".prj" holds ESRI's form of WKT, or the older keyword lines.
        std::vector<std::string> lineas;
        std::size_t ini = 0;
        for (std::size_t i = 0; i <= texto.size(); ++i)
            if (i == texto.size() || texto[i] == '\n') {
                std::string l = texto.substr(ini, i - ini);
                if (!l.empty() && l.back() == '\r') l.pop_back();
                lineas.push_back(std::move(l));
                ini = i + 1;
            }
        std::vector<char*> punteros;
        for (auto& l : lineas) punteros.push_back(l.data());
        punteros.push_back(nullptr);
        bien = srs.importFromESRI(punteros.data()) == OGRERR_NONE;
    }
    if (!bien) {
        detalle = prj.string() + " is not a coordinate system GDAL understands";
        return false;
    }
    sistema = deReferencia(srs);
    return true;
}

bool mismoSistema(const Sistema& a, const Sistema& b) {
    if (!a.conocido() || !b.conocido() || a.wkt == b.wkt) return true;
    Silencio silencio;
    OGRSpatialReference x, y;
    if (x.importFromWkt(a.wkt.c_str()) != OGRERR_NONE || y.importFromWkt(b.wkt.c_str()) != OGRERR_NONE)
        return false;
    const char* opciones[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                              "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    return x.IsSame(&y, opciones);
}

bool compruebaSistemas(const std::vector<fs::path>& grids, Sistema& region, fs::path& rutaError,
                       std::string& detalle) {
    region = Sistema{};
    fs::path primero;
    for (const fs::path& g : grids) {
        if (g.empty()) continue;
        Sistema s;
        if (!leeSistema(g, s, detalle)) {
            rutaError = g;
            return false;
        }
        if (!s.conocido()) continue;
        if (!region.conocido()) {
            region = s;
            primero = g;
        } else if (!mismoSistema(region, s)) {
            rutaError = g;
            detalle = "the coordinate systems differ: " + primero.string() + " is in " + region.nombre + ", " +
                      g.string() + " in " + s.nombre +
                      "; the program does not reproject: bring the grids to one system first with GDAL's "
                      "own tools (gdalwarp)";
            return false;
        }
    }
    return true;
}

}  // namespace quel::gdal
