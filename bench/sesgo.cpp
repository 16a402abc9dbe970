// quel-cli bias end to end on a generated 300 x 300 region (90,000 cells, 8
// covariates), 300 city cells, 10,000 road cells and 2,000 presence sites:
// with every core and with one thread.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/comandos.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLado = 300;
constexpr double kTamano = 0.01, kX = -100.0, kY = 19.0;

std::string numero(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

void escribe(const fs::path& p, const std::string& s) {
    std::ofstream f(p, std::ios::binary);
    f << s;
}

void escribeGrid(const fs::path& p, const std::vector<int>& v) {
    std::string s = "ncols         300\nnrows         300\nxllcorner     " + numero(kX) + "\nyllcorner     " +
                    numero(kY) + "\ncellsize      " + numero(kTamano) + "\nNODATA_value  -9999\n";
    for (int r = 0; r < kLado; ++r) {
        if (r > 0) s += '\n';
        for (int c = 0; c < kLado; ++c) s += std::to_string(v[static_cast<std::size_t>(r * kLado + c)]) + ' ';
    }
    escribe(p, s);
}

// The inputs, written once into a folder of their own.
struct Entradas {
    fs::path carpeta;
    Entradas() {
        std::string plantilla = (fs::temp_directory_path() / "quel-bench-sesgo-XXXXXX").string();
        carpeta = mkdtemp(plantilla.data());
        std::mt19937 azar(5);
        std::uniform_real_distribution<double> u(0, 1);
        const int n = kLado * kLado;
        // Eight smooth covariates, 4 to 10 classes each, and a round study region.
        std::vector<std::vector<int>> covs(8, std::vector<int>(n));
        for (auto& cov : covs) {
            const double a = 2 + 7 * u(azar), b = 2 + 7 * u(azar), fase = 6 * u(azar);
            const int clases = 4 + static_cast<int>(u(azar) * 7);
            for (int r = 0; r < kLado; ++r)
                for (int c = 0; c < kLado; ++c) {
                    const double s = (std::sin(a * c / kLado + fase) * std::cos(b * r / kLado) + 1) / 2;
                    cov[static_cast<std::size_t>(r * kLado + c)] = 1 + static_cast<int>(s * clases * 0.999);
                }
        }
        std::string t;
        for (int k = 1; k <= 8; ++k) t += "c" + std::to_string(k) + ",10,\n";
        t += "**********\nLong,Lat,";
        for (int k = 1; k <= 8; ++k) t += "c" + std::to_string(k) + ",";
        t += '\n';
        for (int r = 0; r < kLado; ++r)
            for (int c = 0; c < kLado; ++c) {
                const int i = r * kLado + c;
                if (i > 0) t += '\n';
                t += numero(kX + c * kTamano) + "," + numero(kY + (kLado - 1 - r) * kTamano) + ",";
                for (const auto& cov : covs) t += std::to_string(cov[static_cast<std::size_t>(i)]) + ",";
                const int dr = r - kLado / 2, dc = c - kLado / 2;
                t += dr * dr + dc * dc < (kLado / 2) * (kLado / 2) ? "1," : "0,";
            }
        escribe(carpeta / "covariates.txt", t);

        std::vector<int> orden(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) orden[static_cast<std::size_t>(i)] = i;
        std::shuffle(orden.begin(), orden.end(), azar);
        std::vector<int> ciudades(static_cast<std::size_t>(n), 0), carreteras(static_cast<std::size_t>(n), 0),
            riqueza(static_cast<std::size_t>(n));
        for (int i = 0; i < 300; ++i) ciudades[static_cast<std::size_t>(orden[static_cast<std::size_t>(i)])] = 1 + i % 500;
        for (int i = 300; i < 10300; ++i) carreteras[static_cast<std::size_t>(orden[static_cast<std::size_t>(i)])] = 1;
        for (auto& s : riqueza) s = static_cast<int>(u(azar) * 80);
        escribeGrid(carpeta / "cities.asc", ciudades);
        escribeGrid(carpeta / "roads.asc", carreteras);
        escribeGrid(carpeta / "richness.asc", riqueza);

        std::string sitios;
        for (int i = 0; i < 2000; ++i) {
            if (i > 0) sitios += '\n';
            sitios += "sp" + std::to_string(i % 5) + "," + numero(kX + 0.5 + 2 * u(azar)) + "," +
                      numero(kY + 0.5 + 2 * u(azar));
        }
        escribe(carpeta / "sites.txt", sitios);
    }
    ~Entradas() {
        std::error_code ec;
        fs::remove_all(carpeta, ec);
    }
};

Entradas& entradas() {
    static Entradas e;
    return e;
}

void BM_BiasCli(benchmark::State& state) {
    const Entradas& e = entradas();
    cli::Argumentos args = {"--covariates", (e.carpeta / "covariates.txt").string(),
                            "--cities",     (e.carpeta / "cities.asc").string(),
                            "--alfa",       "1",
                            "--roads",      (e.carpeta / "roads.asc").string(),
                            "--beta",       "2",
                            "--richness",   (e.carpeta / "richness.asc").string(),
                            "--cota",       "1000",
                            "--sites",      (e.carpeta / "sites.txt").string(),
                            "--absences",   "200",
                            "--out",        (e.carpeta / "bias.txt").string()};
    if (state.range(0) > 0) {
        args.push_back("--threads");
        args.push_back(std::to_string(state.range(0)));
    }
    // The fit summary goes to standard output; keep the report readable.
    std::fflush(stdout);
    const int guardada = dup(STDOUT_FILENO);
    const int nulo = open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        dup2(nulo, STDOUT_FILENO);
        const int codigo = cli::bias(args);
        std::fflush(stdout);
        dup2(guardada, STDOUT_FILENO);
        if (codigo != 0) state.SkipWithError("quel-cli bias failed");
    }
    close(nulo);
    close(guardada);
}

}  // namespace

// 0: every core (the default); 1: one thread.
BENCHMARK(BM_BiasCli)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(2)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
