#pragma once
// Small rasters built at test time through GDAL's own API, and their ESRI
// ASCII copies as GDAL's AAIGrid driver writes them.
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace prueba {

struct CierraGDAL {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using DatasetGDAL = std::unique_ptr<GDALDataset, CierraGDAL>;

struct Raster {
    int ncols = 3, nrows = 2;
    GDALDataType tipo = GDT_Float32;
    // x of the left edge, cell width, rotation, y of the top edge, rotation, -cell height.
    std::array<double, 6> gt{-105, 0.5, 0, 20, 0, -0.5};
    std::vector<double> valores;  // top row first
    std::optional<double> sinDato;
    int epsg = 4326;  // 0: no coordinate system
    int bandas = 1;   // the values go to the first
};

inline DatasetGDAL abreGDAL(const std::filesystem::path& p) {
    GDALAllRegister();
    return DatasetGDAL(GDALDataset::Open(p.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
}

inline std::filesystem::path escribeGeoTIFF(const std::filesystem::path& p, const Raster& r) {
    GDALAllRegister();
    GDALDriver* d = GetGDALDriverManager()->GetDriverByName("GTiff");
    DatasetGDAL ds(d->Create(p.c_str(), r.ncols, r.nrows, r.bandas, r.tipo, nullptr));
    if (!ds) throw std::runtime_error("cannot create " + p.string());
    std::array<double, 6> gt = r.gt;
    ds->SetGeoTransform(gt.data());
    if (r.epsg) {
        OGRSpatialReference srs;
        srs.importFromEPSG(r.epsg);
        ds->SetSpatialRef(&srs);
    }
    GDALRasterBand* banda = ds->GetRasterBand(1);
    if (r.sinDato) banda->SetNoDataValue(*r.sinDato);
    std::vector<double> v = r.valores;
    v.resize(static_cast<std::size_t>(r.ncols) * r.nrows, 1);
    if (banda->RasterIO(GF_Write, 0, 0, r.ncols, r.nrows, v.data(), r.ncols, r.nrows, GDT_Float64, 0, 0) != CE_None)
        throw std::runtime_error("cannot write " + p.string());
    return p;
}

// The copy `gdal_translate -of AAIGrid -co SIGNIFICANT_DIGITS=9` makes (with
// its .prj when the raster has a coordinate system).
inline std::filesystem::path copiaASCII(const std::filesystem::path& origen, const std::filesystem::path& destino) {
    DatasetGDAL o = abreGDAL(origen);
    GDALDriver* d = GetGDALDriverManager()->GetDriverByName("AAIGrid");
    const char* opciones[] = {"SIGNIFICANT_DIGITS=9", nullptr};
    DatasetGDAL c(d->CreateCopy(destino.c_str(), o.get(), FALSE, const_cast<char**>(opciones), nullptr, nullptr));
    if (!c) throw std::runtime_error("cannot copy " + origen.string());
    return destino;
}

}  // namespace prueba
