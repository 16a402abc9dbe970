#include "data/salidaGDAL.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "data/apoyoGDAL.h"
#include "data/geometriaTabla.h"

namespace fs = std::filesystem;

namespace quel::gdal {

namespace {

constexpr double kSinDato = -9999;

bool referencia(const Sistema& s, OGRSpatialReference& srs) {
    return s.conocido() && srs.importFromWkt(s.wkt.c_str()) == OGRERR_NONE;
}

}  // namespace

bool escribeGeoTIFF(const fs::path& ruta, const TImagenN<float>& coordenadas, const TImagenN<long double>& valores,
                    const Sistema& sistema) {
    GeometriaTabla g;
    if (!g.lee(coordenadas)) return false;
    const int ncols = g.ncols, nrows = g.nrows, filas = ncols * nrows;
    const double celda = g.celda;
    const double xll = g.xll, yll = g.yll;

    std::vector<float> celdas(static_cast<std::size_t>(filas));
    for (std::size_t i = 0; i < celdas.size(); ++i) {
        const long double v = valores.columnas >= 1 && i < valores.datos[0].size() ? valores.datos[0][i] : 0;
        celdas[i] = v == 0 ? static_cast<float>(kSinDato) : static_cast<float>(v);
    }

    {
        Silencio silencio;
        GDALDriver* tiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        if (!tiff) return false;
        const char* opciones[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
        Dataset ds(tiff->Create(ruta.c_str(), ncols, nrows, 1, GDT_Float32, const_cast<char**>(opciones)));
        if (!ds) return false;
        double gt[6] = {xll, celda, 0, yll + static_cast<double>(nrows) * celda, 0, -celda};
        OGRSpatialReference srs;
        GDALRasterBand* banda = ds->GetRasterBand(1);
        const bool bien = ds->SetGeoTransform(gt) == CE_None && banda->SetNoDataValue(kSinDato) == CE_None &&
                          (!referencia(sistema, srs) || ds->SetSpatialRef(&srs) == CE_None) &&
                          banda->RasterIO(GF_Write, 0, 0, ncols, nrows, celdas.data(), ncols, nrows, GDT_Float32,
                                          0, 0) == CE_None;
        // Closing writes what is still cached; a failure there is reported as an error.
        CPLErrorReset();
        ds.reset();
        return bien && CPLGetLastErrorType() != CE_Failure;
    }
}

bool exportaGeoTIFF(const fs::path& ruta, const TImagenN<float>& coordenadas, const TImagenN<long double>& valores,
                    const Sistema& sistema) {
    return escribeEnSuLugar(ruta, [&](const fs::path& temporal) {
        return escribeGeoTIFF(temporal, coordenadas, valores, sistema);
    });
}

bool textoPrj(const Sistema& sistema, std::string& texto) {
    texto.clear();
    if (!sistema.conocido()) return true;
    Silencio silencio;
    OGRSpatialReference srs;
    if (!referencia(sistema, srs)) return false;
    char* wkt = nullptr;
    const char* opciones[] = {"FORMAT=WKT1_ESRI", nullptr};
    if (srs.exportToWkt(&wkt, opciones) != OGRERR_NONE || !wkt) {
        CPLFree(wkt);
        return false;
    }
    texto = wkt;
    CPLFree(wkt);
    return true;
}

bool escribePrj(const fs::path& archivo, const Sistema& sistema) {
    std::string texto;
    if (!textoPrj(sistema, texto)) return false;
    return texto.empty() || escribeTexto(rutaPrj(archivo), texto);
}

Sistema sistemaDeTabla(const fs::path& tabla) {
    Sistema s;
    std::string detalle;
    leePrj(rutaPrj(tabla), s, detalle);
    return s;
}

}  // namespace quel::gdal
