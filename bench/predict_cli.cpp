// quel-cli predict end to end on a generated region of 1000 x 1000 cells
// (about 70 % inside the study region), 10 covariates of 4 to 20 categories,
// 2,000 sites of 5 species: the four loads, the run and the six output files.
// On the same region with the 2,000 sites of one species: one predict run
// against quel-cli evaluate with 5 random folds.
// The input files are written once into a scratch folder; the run's
// "Iteracion" lines are sent to /dev/null.
//
//   bench_predict_cli [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include "bench/apoyo.h"
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/comandos.h"

namespace fs = std::filesystem;

namespace {

struct Archivos {
    fs::path dir, cov, sesgo, priori, sitios;
};

// Writes the four input files of a region of lado x lado cells with K
// covariates and S sites of the first `especies` species below.
Archivos escribeRegion(int lado, int K, int S, int especies = 5) {
    Archivos a;
    a.dir = fs::temp_directory_path() /
            ("quel-bench-predict-" + std::to_string(getpid()) + "-" + std::to_string(especies));
    fs::create_directories(a.dir);
    a.cov = a.dir / "covariates.txt";
    a.sesgo = a.dir / "bias.txt";
    a.priori = a.dir / "prior.txt";
    a.sitios = a.dir / "sites.txt";
    std::mt19937 g(23);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<int> C(static_cast<std::size_t>(K));
    std::vector<double> fa(C.size()), fb(C.size()), fase(C.size());
    std::FILE* cov = std::fopen(a.cov.c_str(), "wb");
    std::FILE* ses = std::fopen(a.sesgo.c_str(), "wb");
    std::FILE* pri = std::fopen(a.priori.c_str(), "wb");
    for (int k = 0; k < K; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        C[kk] = 4 + static_cast<int>(g() % 17);
        fa[kk] = 2 + 10 * u(g);
        fb[kk] = 2 + 10 * u(g);
        fase[kk] = 6.283 * u(g);
        std::fprintf(cov, "cov%d,%d,\n", k + 1, C[kk]);
    }
    std::fputs("**********\nLong,Lat,", cov);
    for (int k = 0; k < K; ++k) std::fprintf(cov, "cov%d,", k + 1);
    const double radio = std::sqrt(0.7 / 3.14159265358979) * lado;
    std::vector<std::pair<double, double>> dentro;
    for (int fil = 0; fil < lado; ++fil)
        for (int col = 0; col < lado; ++col) {
            const double x = -105 + 0.01 * col, y = 25 - 0.01 * fil;
            const double dx = col + 0.5 - lado / 2.0, dy = fil + 0.5 - lado / 2.0;
            const bool valida = dx * dx + dy * dy < radio * radio;
            std::fprintf(cov, "\n%g,%g,", x, y);
            const double fx = static_cast<double>(col) / lado, fy = static_cast<double>(fil) / lado;
            for (int k = 0; k < K; ++k) {
                const auto kk = static_cast<std::size_t>(k);
                const double v = 0.5 + 0.25 * std::sin(fa[kk] * fx + fase[kk]) + 0.2 * std::cos(fb[kk] * fy) + 0.05 * u(g);
                const int c = valida ? 1 + std::min(C[kk] - 1, std::max(0, static_cast<int>(v * C[kk]))) : 0;
                std::fprintf(cov, "%d,", c);
            }
            std::fprintf(cov, "%d,", valida ? 1 : 0);
            const bool primera = fil == 0 && col == 0;
            std::fprintf(ses, "%s%.6f", primera ? "" : "\n", valida ? 1e-4 * u(g) : 0.0);
            const double p = std::sin(3 * fx) * std::cos(2 * fy);
            const int clase = !valida || u(g) < 0.1 ? 0 : (p > 0.3 ? 1 : (p < -0.3 ? 3 : 2));
            std::fprintf(pri, "%s%d,", primera ? "" : "\n", clase);
            if (valida) dentro.emplace_back(x, y);
        }
    std::fclose(cov);
    std::fclose(ses);
    std::fclose(pri);
    std::FILE* sit = std::fopen(a.sitios.c_str(), "wb");
    const char* nombres[5] = {"Quercus rugosa", "Pinus oocarpa", "Abies religiosa", "Lynx rufus", "Canis latrans"};
    for (int s = 0; s < S; ++s) {
        const auto& c = dentro[g() % dentro.size()];
        std::fprintf(sit, "%s%s,%.4f,%.4f", s ? "\n" : "", nombres[s % especies], c.first + 0.002, c.second + 0.003);
    }
    std::fclose(sit);
    return a;
}

std::unique_ptr<Archivos> gRegion, gRegionUna;

const Archivos& region() {
    if (!gRegion) gRegion = std::make_unique<Archivos>(escribeRegion(1000, 10, 2000));
    return *gRegion;
}

const Archivos& regionUnaEspecie() {
    if (!gRegionUna) gRegionUna = std::make_unique<Archivos>(escribeRegion(1000, 10, 2000, 1));
    return *gRegionUna;
}

// Runs a command `state` times with its standard output sent to /dev/null.
void corre(benchmark::State& state, int (*comando)(const cli::Argumentos&), const cli::Argumentos& args) {
    std::fflush(stdout);
    const int original = dup(STDOUT_FILENO);
    const int nulo = open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        dup2(nulo, STDOUT_FILENO);
        const int estado = comando(args);
        std::fflush(stdout);
        dup2(original, STDOUT_FILENO);
        if (estado != 0) state.SkipWithError("the command failed");
    }
    close(nulo);
    close(original);
    anotaPicoMemoria(state);
}

cli::Argumentos entradas(const Archivos& a, const char* salida) {
    return {"--covariates", a.cov.string(),   "--sites",  a.sitios.string(),           "--bias",
            a.sesgo.string(), "--prior",      a.priori.string(), "--out", (a.dir / salida).string()};
}

// One prediction of the one species, then its 5-fold evaluation: the goal is
// the evaluation in under 3 times the prediction.
void BM_PredictOneSpecies(benchmark::State& state) { corre(state, cli::predict, entradas(regionUnaEspecie(), "predict")); }
void BM_Evaluate5Folds(benchmark::State& state) { corre(state, cli::evaluate, entradas(regionUnaEspecie(), "evaluate")); }

void BM_PredictCLI(benchmark::State& state) {
    const Archivos& a = region();
    const std::string hilos = std::to_string(state.range(0) > 0 ? state.range(0) : std::thread::hardware_concurrency());
    cli::Argumentos args = entradas(a, "out");
    args.insert(args.end(), {"--threads", hilos});
    corre(state, cli::predict, args);
    state.counters["threads"] = std::stod(hilos);
}

}  // namespace

BENCHMARK(BM_PredictCLI)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PredictOneSpecies)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Evaluate5Folds)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    if (gRegion) fs::remove_all(gRegion->dir, ec);
    if (gRegionUna) fs::remove_all(gRegionUna->dir, ec);
    return 0;
}
