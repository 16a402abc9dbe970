// quel-cli covariates on ten generated grids of 1000 x 1000 cells: goal under
// 10 s and under 600 MB of peak memory; and one of them in equal-frequency classes.
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"

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

    Region() {
        carpeta = fs::temp_directory_path() / ("quel-bench-cov-" + std::to_string(::getpid()));
        fs::create_directories(carpeta);
        std::mt19937 g(11);
        for (int k = 0; k < kGrids; ++k) {
            std::string s = "ncols " + std::to_string(kLado) + "\nnrows " + std::to_string(kLado) +
                            "\nxllcorner -105.5\nyllcorner 18.25\ncellsize 0.0083333333\nNODATA_value -9999\n";
            s.reserve(s.size() + static_cast<std::size_t>(kLado) * kLado * 8);
            char buf[32];
            for (int r = 0; r < kLado; ++r) {
                for (int c = 0; c < kLado; ++c) {
                    // About 30 % outside the region; smooth fields with noise,
                    // whole values for half of the grids.
                    bool fuera = (r - 500) * (r - 500) + (c - 500) * (c - 500) > 560 * 560;
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

}  // namespace

BENCHMARK_MAIN();
