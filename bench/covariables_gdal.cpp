// quel-cli covariates on ten GeoTIFFs of 1000 x 1000 cells against the same
// run on their ESRI ASCII copies (GDAL's AAIGrid driver, 9 significant
// digits): reading through GDAL must not be the slower of the two.
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"

#include <gdal_priv.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/comandos.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLado = 1000;
constexpr int kGrids = 10;

struct Cierra {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, Cierra>;

// The rasters as covariate layers come: half single-precision fields, half
// 16-bit classes, about 30 % no-data around a disc.
struct Rasters {
    fs::path carpeta;
    std::vector<std::string> tif, asc;

    Rasters() {
        GDALAllRegister();
        carpeta = fs::temp_directory_path() / ("quel-bench-gdal-" + std::to_string(::getpid()));
        fs::create_directories(carpeta);
        std::mt19937 g(11);
        GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        GDALDriver* aaig = GetGDALDriverManager()->GetDriverByName("AAIGrid");
        std::vector<double> v(static_cast<std::size_t>(kLado) * kLado);
        for (int k = 0; k < kGrids; ++k) {
            const bool clases = k % 2 == 1;
            for (int r = 0; r < kLado; ++r)
                for (int c = 0; c < kLado; ++c) {
                    const bool fuera = (r - 500) * (r - 500) + (c - 500) * (c - 500) > 560 * 560;
                    const double x = 100 * k + 0.3 * r + 0.2 * c + (g() % 1000) / 100.0;
                    v[static_cast<std::size_t>(r) * kLado + c] =
                        fuera ? -9999 : clases ? static_cast<int>(x) % 40 : x;
                }
            const fs::path t = carpeta / ("cov" + std::to_string(k) + ".tif");
            const fs::path a = carpeta / ("cov" + std::to_string(k) + ".asc");
            const char* opciones[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
            Dataset d(gtiff->Create(t.c_str(), kLado, kLado, 1, clases ? GDT_Int16 : GDT_Float32,
                                    const_cast<char**>(opciones)));
            double gt[6] = {-105.5, 0.0083333333, 0, 18.25 + kLado * 0.0083333333, 0, -0.0083333333};
            d->SetGeoTransform(gt);
            d->GetRasterBand(1)->SetNoDataValue(-9999);
            if (d->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, kLado, kLado, v.data(), kLado, kLado, GDT_Float64, 0,
                                              0) != CE_None)
                std::abort();
            const char* digitos[] = {"SIGNIFICANT_DIGITS=9", nullptr};
            Dataset copia(aaig->CreateCopy(a.c_str(), d.get(), FALSE, const_cast<char**>(digitos), nullptr, nullptr));
            const std::string modo = clases ? "manual" : std::to_string(4 + 2 * k);
            tif.push_back(t.string() + ':' + modo);
            asc.push_back(a.string() + ':' + modo);
        }
        tif.insert(tif.begin(), {"--out", (carpeta / "tabla_tif.txt").string()});
        asc.insert(asc.begin(), {"--out", (carpeta / "tabla_asc.txt").string()});
    }
    ~Rasters() {
        std::error_code ec;
        fs::remove_all(carpeta, ec);
    }
};

Rasters& rasters() {
    static Rasters r;
    return r;
}

void corre(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state)
        if (cli::covariates(args) != 0) state.SkipWithError("quel-cli covariates failed");
    anotaPicoMemoria(state);
    state.counters["cells"] = static_cast<double>(kLado) * kLado * kGrids;
}

void BM_CovariatesGeoTIFF(benchmark::State& state) { corre(state, rasters().tif); }
void BM_CovariatesAsciiCopies(benchmark::State& state) { corre(state, rasters().asc); }

BENCHMARK(BM_CovariatesGeoTIFF)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_CovariatesAsciiCopies)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
