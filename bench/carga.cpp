// Load times of the four input tables at the size of a large study region:
// a covariate table of 1,000,000 cells with 10 covariates, its bias and prior
// files, and 5,000 presence sites. The inputs are generated once into a
// private folder, which is also the loads' working folder.
//
//   bench_carga --benchmark_filter=Todo   # all four loads; rss_max_MB is the peak
//   bench_carga --benchmark_filter=Region/1   # the fast reader on one thread, alone
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/cargaArchivo.h"
#include "data/cargaRegion.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLado = 1000;  // 1000 x 1000 cells
constexpr int kCovariables = 10;
constexpr int kSitios = 5000;

class Archivo {
public:
    explicit Archivo(const fs::path& p) : f_(std::fopen(p.c_str(), "wb")) {
        if (!f_) throw std::runtime_error("cannot write " + p.string());
    }
    ~Archivo() { std::fclose(f_); }
    Archivo(const Archivo&) = delete;
    Archivo& operator=(const Archivo&) = delete;
    // Lines are separated by line feeds; the last one has none.
    template <class... A>
    void linea(bool primera, const char* formato, A... a) {
        if (!primera) std::fputc('\n', f_);
        std::fprintf(f_, formato, a...);
    }
    std::FILE* f() { return f_; }

private:
    std::FILE* f_;
};

struct Entradas {
    fs::path carpeta;
    fs::path covariables, sesgo, priori, sitios;

    Entradas() {
        carpeta = fs::temp_directory_path() / ("quel-bench-carga-" + std::to_string(::getpid()));
        fs::create_directories(carpeta);
        covariables = carpeta / "covariables.txt";
        sesgo = carpeta / "sesgo.txt";
        priori = carpeta / "priori.txt";
        sitios = carpeta / "sitios.txt";
        std::mt19937 azar(7);
        {
            // As the covariate manager writes it: categories, separator,
            // header, then x, y, the classes and the region flag.
            Archivo t(covariables);
            for (int k = 0; k < kCovariables; ++k) std::fprintf(t.f(), "covariable %d,10,\n", k);
            std::fputs("**********\nLong,Lat,", t.f());
            for (int k = 0; k < kCovariables; ++k) std::fprintf(t.f(), "covariable %d,", k);
            for (int r = 0; r < kLado; ++r) {
                for (int c = 0; c < kLado; ++c) {
                    std::fprintf(t.f(), "\n%g,%g,", -100.0f + c * 0.00833333f, 25.0f - r * 0.00833333f);
                    const bool region = (azar() % 10) != 0;
                    for (int k = 0; k < kCovariables; ++k) std::fprintf(t.f(), "%d,", region ? 1 + static_cast<int>(azar() % 10) : 0);
                    std::fputs(region ? "1," : "0,", t.f());
                }
            }
        }
        {
            Archivo b(sesgo), p(priori);
            std::uniform_real_distribution<float> u(0.0f, 1.0f);
            for (int i = 0; i < kLado * kLado; ++i) {
                b.linea(i == 0, "%g", static_cast<double>(u(azar)));
                p.linea(i == 0, "%d,", static_cast<int>(azar() % 4));
            }
        }
        {
            Archivo s(sitios);
            for (int i = 0; i < kSitios; ++i)
                s.linea(i == 0, "Especie %d,%g,%g", static_cast<int>(azar() % 60), -100.0 + (azar() % 8000) * 0.001,
                        25.0 - (azar() % 8000) * 0.001);
        }
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

void revisa(benchmark::State& estado, int codigo) {
    if (codigo != codigos::kOk) estado.SkipWithError(("load failed with code " + std::to_string(codigo)).c_str());
}

void BM_CargaTodo(benchmark::State& estado) {
    auto& e = entradas();
    cargaArchivo ds(e.carpeta);
    for (auto _ : estado) {
        revisa(estado, ds.cargaCovariables(e.covariables));
        revisa(estado, ds.cargaSesgo(e.sesgo));
        revisa(estado, ds.cargaPriori(e.priori));
        revisa(estado, ds.cargaSitios(e.sitios));
    }
    anotaPicoMemoria(estado);
}
BENCHMARK(BM_CargaTodo)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CargaCovariables(benchmark::State& estado) {
    auto& e = entradas();
    cargaArchivo ds(e.carpeta);
    for (auto _ : estado) revisa(estado, ds.cargaCovariables(e.covariables));
    anotaPicoMemoria(estado);
}
BENCHMARK(BM_CargaCovariables)->Unit(benchmark::kMillisecond)->UseRealTime();

// Bias, prior and sites alone.
void BM_Carga(benchmark::State& estado, int (cargaArchivo::*carga)(const fs::path&), fs::path Entradas::*ruta) {
    auto& e = entradas();
    cargaArchivo ds(e.carpeta);
    for (auto _ : estado) revisa(estado, (ds.*carga)(e.*ruta));
    anotaPicoMemoria(estado);
}
BENCHMARK_CAPTURE(BM_Carga, Sesgo, &cargaArchivo::cargaSesgo, &Entradas::sesgo)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Carga, Priori, &cargaArchivo::cargaPriori, &Entradas::priori)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Carga, Sitios, &cargaArchivo::cargaSitios, &Entradas::sitios)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// The fast reader of the covariate table (10^6 cells, 10 covariates, a
// lattice) into a compact region; argument: threads, 0 for every core.
// Reports bytes of table per second and, run alone, the peak memory.
void BM_CargaRegion(benchmark::State& estado) {
    auto& e = entradas();
    for (auto _ : estado) {
        quel::RegionCompacta r;
        if (quel::cargaCovariablesRegion(e.covariables, r, static_cast<int>(estado.range(0)), progresoNulo()) !=
            quel::FinCargaRegion::kBien)
            estado.SkipWithError("the fast reader gave the table back");
        estado.counters["region_MB"] = static_cast<double>(r.bytes()) / (1 << 20);
    }
    estado.SetBytesProcessed(estado.iterations() * static_cast<std::int64_t>(fs::file_size(e.covariables)));
    anotaPicoMemoria(estado);
}
BENCHMARK(BM_CargaRegion)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The species sort of a large sites file (argument: sites, 20 species
// interleaved at random); the time per site should grow as log n.
void BM_OrdenaSitios(benchmark::State& estado) {
    const auto n = static_cast<int>(estado.range(0));
    std::mt19937 azar(5);
    std::vector<AnsiString> nombres(static_cast<std::size_t>(n));
    for (auto& nombre : nombres) nombre = "sp" + std::to_string(azar() % 20);
    cargaArchivo ds;
    for (auto _ : estado) {
        estado.PauseTiming();
        TImagenN<AnsiString> copia(n, 1);
        copia.datos[0] = nombres;
        TImagenN<float> sitios(n, 3);
        estado.ResumeTiming();
        ds.ordenaSitios(sitios, copia);
    }
    estado.SetComplexityN(n);
}
BENCHMARK(BM_OrdenaSitios)->RangeMultiplier(10)->Range(1000, 100000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
