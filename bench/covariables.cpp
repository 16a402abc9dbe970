// quel-cli covariates on ten generated grids of 1000 x 1000 cells: goal under
// 10 s and under 600 MB of peak memory; and one of them in equal-frequency
// classes. Then ten grids of 4000 x 2500 cells (10^7 each), read and written in
// row blocks: the peak memory stays that of the blocks, not of the grids.
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/comandos.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLado = 1000;
constexpr int kGrids = 10;

struct Region {
    fs::path carpeta;
    std::vector<std::string> args;

    explicit Region(int ncols = kLado, int nrows = kLado) {
        carpeta = fs::temp_directory_path() /
                  ("quel-bench-cov-" + std::to_string(ncols) + "-" + std::to_string(::getpid()));
        fs::create_directories(carpeta);
        std::mt19937 g(11);
        for (int k = 0; k < kGrids; ++k) {
            std::string s = "ncols " + std::to_string(ncols) + "\nnrows " + std::to_string(nrows) +
                            "\nxllcorner -105.5\nyllcorner 18.25\ncellsize 0.0083333333\nNODATA_value -9999\n";
            s.reserve(s.size() + static_cast<std::size_t>(ncols) * nrows * 8);
            char buf[32];
            const long long cr = nrows / 2, cc = ncols / 2, radio = std::min(ncols, nrows) * 56LL / 100;
            for (int r = 0; r < nrows; ++r) {
                for (int c = 0; c < ncols; ++c) {
                    // About 30 % outside the region (of a square); smooth
                    // fields with noise, whole values for half of the grids.
                    bool fuera = (r - cr) * (r - cr) + (c - cc) * (c - cc) > radio * radio;
                    if (fuera) {
                        s += "-9999 ";
                        continue;
                    }
                    double v = 100 * k + 0.3 * r + 0.2 * c + (g() % 1000) / 100.0;
                    int n = k % 2 ? std::snprintf(buf, sizeof buf, "%d ", static_cast<int>(v) % 40)
                                  : std::snprintf(buf, sizeof buf, "%.3f ", v);
                    s.append(buf, static_cast<std::size_t>(n));
                }
                s += '\n';
            }
            fs::path p = carpeta / ("cov" + std::to_string(k) + ".asc");
            std::FILE* f = std::fopen(p.c_str(), "wb");
            std::fwrite(s.data(), 1, s.size(), f);
            std::fclose(f);
            std::string modo = k % 2 ? "manual" : std::to_string(4 + 2 * k);
            args.push_back(p.string() + ':' + modo);
        }
        args.insert(args.begin(), {"--out", (carpeta / "tabla.txt").string()});
    }
    ~Region() {
        std::error_code ec;
        fs::remove_all(carpeta, ec);
    }
};

Region& laRegion() {
    static Region region;
    return region;
}

void BM_CovariatesCli(benchmark::State& state) {
    Region& region = laRegion();
    for (auto _ : state) {
        int r = cli::covariates(region.args);
        if (r != 0) state.SkipWithError("quel-cli covariates failed");
    }
    anotaPicoMemoria(state);
    state.counters["cells"] = static_cast<double>(kLado) * kLado;
}
BENCHMARK(BM_CovariatesCli)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// One grid of 10^6 cells into 8 equal-frequency classes (one sort of its values).
void BM_CovariatesCliFrecuenciasIguales(benchmark::State& state) {
    Region& region = laRegion();
    const std::vector<std::string> args = {"--out", (region.carpeta / "cuantiles.txt").string(),
                                           region.args[2].substr(0, region.args[2].rfind(':')) + ":q8"};
    for (auto _ : state) {
        int r = cli::covariates(args);
        if (r != 0) state.SkipWithError("quel-cli covariates failed");
    }
    state.counters["cells"] = static_cast<double>(kLado) * kLado;
}
BENCHMARK(BM_CovariatesCliFrecuenciasIguales)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// Ten grids of 10^7 cells; the process's peak includes generating one grid's text.
void BM_CovariatesCliDiezMillones(benchmark::State& state) {
    static Region region(4000, 2500);
    for (auto _ : state) {
        int r = cli::covariates(region.args);
        if (r != 0) state.SkipWithError("quel-cli covariates failed");
    }
    anotaPicoMemoria(state);
    state.counters["cells"] = 4000.0 * 2500.0;
}
BENCHMARK(BM_CovariatesCliDiezMillones)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
