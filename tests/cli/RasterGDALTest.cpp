// Rasters through GDAL end to end: a GeoTIFF and its ESRI ASCII copy build
// the same files, coordinate systems are checked and kept, rasters the
// program cannot place are refused, results come out as GeoTIFF.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "cli/CovariatesApoyo.h"
#include "cli/comandos.h"
#include "support/rasterPrueba.h"

namespace fs = std::filesystem;

namespace {

using apoyo::Salida;
using prueba::Raster;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A 6 x 5 field of values with decimals, whole values and no-data cells.
std::vector<double> campo(double sinDato, bool enteros) {
    std::vector<double> v;
    for (int i = 0; i < 30; ++i) {
        const double x = enteros ? (i * 7) % 13 - 3 : 0.1 * i * i - 2.345678 + 1.0 / (i + 3);
        v.push_back(i % 11 == 4 ? sinDato : x);
    }
    return v;
}

Raster raster(GDALDataType tipo, std::optional<double> sinDato, std::vector<double> valores, int epsg = 4326) {
    Raster r;
    r.ncols = 6;
    r.nrows = 5;
    r.tipo = tipo;
    r.gt = {-105, 0.1, 0, 19.5, 0, -0.1};
    r.valores = std::move(valores);
    r.sinDato = sinDato;
    r.epsg = epsg;
    return r;
}

struct Par {
    fs::path tif, asc;
};

Par par(const apoyo::Carpeta& c, const std::string& nombre, const Raster& r) {
    Par p{c / (nombre + ".tif"), c / ("copia/" + nombre + ".asc")};
    fs::create_directories(fs::path(c / "copia"));
    prueba::escribeGeoTIFF(p.tif, r);
    prueba::copiaASCII(p.tif, p.asc);
    return p;
}

}  // namespace

TEST(RasterGDAL, GeoTIFFAndItsAsciiCopyBuildTheSameCovariateTable) {
    struct Caso {
        const char* nombre;
        GDALDataType tipo;
        std::optional<double> sinDato;
        bool enteros;
    };
    const Caso casos[] = {{"float32", GDT_Float32, -9999, false},
                          {"float64_nan", GDT_Float64, kNaN, false},
                          {"int16", GDT_Int16, -32768, true},
                          {"sin_nodata", GDT_Float32, std::nullopt, false}};
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        apoyo::Carpeta c;
        const Par p = par(c, k.nombre, raster(k.tipo, k.sinDato, campo(k.sinDato.value_or(-9999), k.enteros)));
        for (const char* modo : {":4", ":manual"}) {
            const Salida a = apoyo::corre(cli::covariates, {"--out", c / "a.txt", p.tif.string() + modo});
            const Salida b = apoyo::corre(cli::covariates, {"--out", c / "b.txt", p.asc.string() + modo});
            ASSERT_EQ(a.estado, 0) << a.err;
            ASSERT_EQ(b.estado, 0) << b.err;
            EXPECT_EQ(prueba::lee(c / "a.txt"), prueba::lee(c / "b.txt"));
            // The region's system is kept beside both tables.
            EXPECT_EQ(prueba::lee(c / "a.prj"), prueba::lee(c / "b.prj"));
            EXPECT_NE(prueba::lee(c / "a.prj").find("WGS_1984"), std::string::npos);
        }
    }
}

TEST(RasterGDAL, GridsInDifferentCoordinateSystemsAreRefused) {
    apoyo::Carpeta c;
    const Par wgs = par(c, "wgs", raster(GDT_Float32, -9999, campo(-9999, false), 4326));
    const Par utm = par(c, "utm", raster(GDT_Float32, -9999, campo(-9999, false), 32615));
    struct Caso {
        const char* nombre;
        int (*comando)(const cli::Argumentos&);
        cli::Argumentos args;
    };
    const Caso casos[] = {
        {"two GeoTIFFs", cli::covariates, {"--out", c / "t.txt", wgs.tif, utm.tif}},
        {"a GeoTIFF and a .prj", cli::covariates, {"--out", c / "t.txt", wgs.tif, utm.asc}},
        {"prior", cli::prior, {"--base", wgs.asc, "--prior", utm.tif, "--out", c / "p"}},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        const Salida s = apoyo::corre(k.comando, k.args);
        EXPECT_EQ(s.estado, 3);
        for (const std::string& parte : {std::string("error 4"), k.args[k.args.size() - (k.comando == cli::prior ? 3 : 1)],
                                         std::string("WGS 84"), std::string("UTM zone 15N"), std::string("gdalwarp")})
            EXPECT_NE(s.err.find(parte), std::string::npos) << s.err;
    }
    EXPECT_FALSE(fs::exists(c / "t.txt") || fs::exists(c / "p"));

    // A .prj that holds no coordinate system is an error too, not an unknown system.
    prueba::escribe(fs::path(c / "copia") / "utm.prj", "not a system");
    const Salida s = apoyo::corre(cli::covariates, {"--out", c / "t.txt", utm.asc});
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("utm.prj is not a coordinate system GDAL understands"), std::string::npos) << s.err;
}

TEST(RasterGDAL, RastersThatCannotBePlacedAreRefusedClearly) {
    apoyo::Carpeta c;
    const struct {
        const char* nombre;
        std::array<double, 6> gt;
        int bandas;
        const char* texto;
    } casos[] = {{"rotated", {-105, 0.1, 0.02, 19.5, 0, -0.1}, 1, "rotated"},
                 {"oblong", {-105, 0.1, 0, 19.5, 0, -0.2}, 1, "not square"},
                 {"bands", {-105, 0.1, 0, 19.5, 0, -0.1}, 3, "3 bands"}};
    for (const auto& k : casos) {
        SCOPED_TRACE(k.nombre);
        Raster r = raster(GDT_Float32, -9999, campo(-9999, false));
        r.gt = k.gt;
        r.bandas = k.bandas;
        const fs::path tif = prueba::escribeGeoTIFF(c / (std::string(k.nombre) + ".tif"), r);
        const Salida s = apoyo::corre(cli::covariates, {"--out", c / "t.txt", tif});
        EXPECT_EQ(s.estado, 3);
        for (const std::string& parte : {tif.string() + ": error 12", std::string(k.texto)})
            EXPECT_NE(s.err.find(parte), std::string::npos) << s.err;
        EXPECT_FALSE(fs::exists(c / "t.txt"));
    }
}

TEST(RasterGDAL, PredictWritesGeoTIFFsAndPrjFilesAGisPlaces) {
    apoyo::Carpeta c;
    std::vector<double> v(30);
    for (int i = 0; i < 30; ++i) v[i] = i % 7 == 3 ? -9999 : 1 + i % 3;
    const fs::path tif = prueba::escribeGeoTIFF(c / "clase.tif", raster(GDT_Int16, -9999, v, 32615));
    ASSERT_EQ(apoyo::corre(cli::covariates, {"--out", c / "covs.txt", tif.string() + ":manual"}).estado, 0);
    c.escribe("sitios.txt", "a,-104.75,19.25\na,-104.55,19.15\na,-104.95,19.35");
    for (const char* formato : {"asc", "gtiff"}) {
        const Salida s = apoyo::corre(cli::predict, {"--covariates", c / "covs.txt", "--sites", c / "sitios.txt",
                                                     "--uniform-bias", "--uniform-prior", "--out",
                                                     c / formato, "--format", formato});
        ASSERT_EQ(s.estado, 0) << s.err;
    }
    OGRSpatialReference utm;
    utm.importFromEPSG(32615);
    for (const char* nombre : {"predictive", "certainty", "prior_potential"}) {
        SCOPED_TRACE(nombre);
        const fs::path asc = fs::path(c / "asc") / (std::string(nombre) + ".asc");
        for (const fs::path& p : {asc, fs::path(c / "gtiff") / (std::string(nombre) + ".tif")}) {
            prueba::DatasetGDAL ds = prueba::abreGDAL(p);
            ASSERT_TRUE(ds) << p;
            EXPECT_EQ(std::make_pair(ds->GetRasterXSize(), ds->GetRasterYSize()), std::make_pair(6, 5));
            double gt[6];
            ASSERT_EQ(ds->GetGeoTransform(gt), CE_None);
            // The cell size comes from the table's coordinates, written with 6 digits.
            const double esperado[6] = {-105, 0.1, 0, 19.5, 0, -0.1};
            for (int i = 0; i < 6; ++i) EXPECT_NEAR(gt[i], esperado[i], 1e-5) << i;
            int hay = 0;
            EXPECT_EQ(ds->GetRasterBand(1)->GetNoDataValue(&hay) * hay, -9999);
            ASSERT_NE(ds->GetSpatialRef(), nullptr);
            EXPECT_TRUE(ds->GetSpatialRef()->IsSame(&utm));
        }
        // The GeoTIFF holds the ASCII grid's cells in single precision, compressed.
        prueba::DatasetGDAL a = prueba::abreGDAL(asc);
        prueba::DatasetGDAL t = prueba::abreGDAL(fs::path(c / "gtiff") / (std::string(nombre) + ".tif"));
        std::vector<float> va(30), vt(30);
        ASSERT_EQ(a->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 6, 5, va.data(), 6, 5, GDT_Float32, 0, 0), CE_None);
        ASSERT_EQ(t->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 6, 5, vt.data(), 6, 5, GDT_Float32, 0, 0), CE_None);
        for (int i = 0; i < 30; ++i) EXPECT_NEAR(va[i], vt[i], std::fabs(vt[i]) * 1e-5) << i;
        EXPECT_EQ(vt[3], -9999.0f);
        EXPECT_EQ(t->GetRasterBand(1)->GetRasterDataType(), GDT_Float32);
        EXPECT_STREQ(t->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
    }
}
