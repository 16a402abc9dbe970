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
#include "managers/SesgoComun.h"
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

TEST(RasterGDAL, GeoTIFFAndItsAsciiCopyBuildTheSamePriorAndBiasFiles) {
    apoyo::Carpeta c;
    std::vector<double> base = campo(-9999, true), priori(30), ciudades(30, 0), carreteras(30, 0), riqueza(30);
    for (int i = 0; i < 30; ++i) {
        priori[i] = i % 9 == 2 ? -9999 : i % 4;
        riqueza[i] = 5.25 + (i * 7) % 23 + 0.1 * i;
        if (i % 6 == 2) carreteras[i] = 1;
    }
    ciudades[7] = 50.5;
    ciudades[22] = 8;
    const Par b = par(c, "base", raster(GDT_Int16, -9999, base));
    const Par p = par(c, "prior", raster(GDT_Float32, -9999, priori));
    ASSERT_EQ(apoyo::corre(cli::prior, {"--base", b.tif, "--prior", p.tif, "--out", c / "p1"}).estado, 0);
    ASSERT_EQ(apoyo::corre(cli::prior, {"--base", b.asc, "--prior", p.asc, "--out", c / "p2"}).estado, 0);
    EXPECT_EQ(prueba::lee(c / "p1"), prueba::lee(c / "p2"));

    const Par ci = par(c, "cities", raster(GDT_Float32, -9999, ciudades));
    const Par ca = par(c, "roads", raster(GDT_Byte, std::nullopt, carreteras));
    const Par ri = par(c, "richness", raster(GDT_Float64, -9999, riqueza));
    std::vector<prueba_sesgo::Fila> filas;
    for (int i = 0; i < 30; ++i)
        filas.push_back({-105 + 0.1 * (i % 6), 19.4 - 0.1 * (i / 6), {1 + (i % 6) / 2, 1 + (i / 6) % 3}});
    const std::string covs = c.escribe("covs.txt", prueba_sesgo::tablaCovariables(filas));
    const std::string sitios = c.escribe("sites.txt", "b,-104.98,19.41\na,-104.69,19.02\na,-104.88,19.21");
    auto sesgo = [&](const Par& x, const Par& y, const Par& z, bool tif, const std::string& salida) {
        auto r = [&](const Par& q) { return (tif ? q.tif : q.asc).string(); };
        return apoyo::corre(cli::bias, {"--covariates", covs, "--cities", r(x), "--alfa", "1", "--roads", r(y),
                                        "--beta", "2", "--richness", r(z), "--cota", "40", "--sites", sitios,
                                        "--absences", "20", "--out", c / salida, "--digits", "9"});
    };
    const Salida s1 = sesgo(ci, ca, ri, true, "s1");
    const Salida s2 = sesgo(ci, ca, ri, false, "s2");
    ASSERT_EQ(s1.estado, 0) << s1.err;
    ASSERT_EQ(s2.estado, 0) << s2.err;
    EXPECT_EQ(prueba::lee(c / "s1"), prueba::lee(c / "s2"));
    EXPECT_EQ(s1.out, s2.out);
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
        EXPECT_NE(s.err.find("error 4"), std::string::npos) << s.err;
        EXPECT_NE(s.err.find(k.args[k.args.size() - (k.comando == cli::prior ? 3 : 1)]), std::string::npos);
        EXPECT_NE(s.err.find("WGS 84"), std::string::npos) << s.err;
        EXPECT_NE(s.err.find("UTM zone 15N"), std::string::npos) << s.err;
        EXPECT_NE(s.err.find("gdalwarp"), std::string::npos) << s.err;
    }
    EXPECT_FALSE(fs::exists(c / "t.txt"));
    EXPECT_FALSE(fs::exists(c / "p"));

    // A .prj that holds no coordinate system is an error too, not an unknown system.
    prueba::escribe(fs::path(c / "copia") / "utm.prj", "not a system");
    const Salida s = apoyo::corre(cli::covariates, {"--out", c / "t.txt", utm.asc});
    EXPECT_EQ(s.estado, 3);
    EXPECT_NE(s.err.find("utm.prj is not a coordinate system GDAL understands"), std::string::npos) << s.err;
}

TEST(RasterGDAL, RastersThatCannotBePlacedAreRefusedClearly) {
    apoyo::Carpeta c;
    struct Caso {
        const char* nombre;
        std::array<double, 6> gt;
        int bandas;
        const char* texto;
    };
    const Caso casos[] = {{"rotated", {-105, 0.1, 0.02, 19.5, 0, -0.1}, 1, "rotated"},
                          {"oblong", {-105, 0.1, 0, 19.5, 0, -0.2}, 1, "not square"},
                          {"bands", {-105, 0.1, 0, 19.5, 0, -0.1}, 3, "3 bands"}};
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        Raster r = raster(GDT_Float32, -9999, campo(-9999, false));
        r.gt = k.gt;
        r.bandas = k.bandas;
        const fs::path tif = prueba::escribeGeoTIFF(c / (std::string(k.nombre) + ".tif"), r);
        const Salida s = apoyo::corre(cli::covariates, {"--out", c / "t.txt", tif});
        EXPECT_EQ(s.estado, 3);
        EXPECT_NE(s.err.find(tif.string() + ": error 12"), std::string::npos) << s.err;
        EXPECT_NE(s.err.find(k.texto), std::string::npos) << s.err;
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
            EXPECT_EQ(ds->GetRasterXSize(), 6);
            EXPECT_EQ(ds->GetRasterYSize(), 5);
            double gt[6];
            ASSERT_EQ(ds->GetGeoTransform(gt), CE_None);
            EXPECT_NEAR(gt[0], -105, 1e-5);
            EXPECT_NEAR(gt[3], 19.5, 1e-5);
            // The cell size comes from the table's coordinates, written with 6 digits.
            EXPECT_NEAR(gt[1], 0.1, 1e-5);
            EXPECT_NEAR(gt[5], -0.1, 1e-5);
            int hay = 0;
            EXPECT_EQ(ds->GetRasterBand(1)->GetNoDataValue(&hay), -9999);
            EXPECT_TRUE(hay);
            ASSERT_NE(ds->GetSpatialRef(), nullptr);
            EXPECT_TRUE(ds->GetSpatialRef()->IsSame(&utm));
        }
        // The GeoTIFF holds the ASCII grid's cells in single precision, tiled and compressed.
        prueba::DatasetGDAL a = prueba::abreGDAL(asc);
        prueba::DatasetGDAL t = prueba::abreGDAL(fs::path(c / "gtiff") / (std::string(nombre) + ".tif"));
        std::vector<float> va(30), vt(30);
        ASSERT_EQ(a->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 6, 5, va.data(), 6, 5, GDT_Float32, 0, 0), CE_None);
        ASSERT_EQ(t->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 6, 5, vt.data(), 6, 5, GDT_Float32, 0, 0), CE_None);
        for (int i = 0; i < 30; ++i) EXPECT_NEAR(va[i], vt[i], std::fabs(vt[i]) * 1e-5) << i;
        EXPECT_EQ(vt[3], -9999.0f);
        EXPECT_EQ(t->GetRasterBand(1)->GetRasterDataType(), GDT_Float32);
        EXPECT_STREQ(t->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");
        int bx = 0, by = 0;
        t->GetRasterBand(1)->GetBlockSize(&bx, &by);
        EXPECT_EQ(bx, 256);
        EXPECT_EQ(by, 256);
    }
    EXPECT_FALSE(fs::exists(fs::path(c / "gtiff") / "predictive.asc"));
}
