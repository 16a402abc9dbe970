// The prediction run on generated regions: the 1000 x 1000 cell goal case
// (10 covariates of 4 to 20 categories, 2,000 sites of 5 species), single
// thread and every core, and how the time grows with cells and covariates.
//
//   bench_motor                                   all cases
//   bench_motor --benchmark_filter='Motor/1000000/10'
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <tuple>

#include "data/regionCompacta.h"
#include "engine/ejecutarQuel.h"

namespace {

// A region of about `celdas` cells on a square grid: a disc holding ~70 % of
// them is the study region; covariates are smooth fields cut into classes,
// so combinations cover the map unevenly as real ones do.
struct Region {
    int K;
    TImagenN<float> coordenadas, sesgo, sitios, categorias;
    TImagenN<int> covariables, priori;

    Region(int celdas, int K_, int S, unsigned semilla)
        : K(K_),
          coordenadas(celdas, 2),
          sesgo(celdas, 1),
          sitios(S, 3),
          categorias(K_, 1),
          covariables(celdas, K_ + 1),
          priori(celdas, 2) {
        std::mt19937 g(semilla);
        std::uniform_real_distribution<double> u(0, 1);
        const int lado = static_cast<int>(std::lround(std::sqrt(static_cast<double>(celdas))));
        std::vector<int> C(static_cast<std::size_t>(K)), validas;
        std::vector<double> fa(static_cast<std::size_t>(K)), fb(static_cast<std::size_t>(K)), fase(static_cast<std::size_t>(K));
        for (int k = 0; k < K; ++k) {
            C[static_cast<std::size_t>(k)] = 4 + static_cast<int>(g() % 17);  // 4..20
            categorias.datos[0][static_cast<std::size_t>(k)] = static_cast<float>(C[static_cast<std::size_t>(k)]);
            fa[static_cast<std::size_t>(k)] = 2 + 10 * u(g);
            fb[static_cast<std::size_t>(k)] = 2 + 10 * u(g);
            fase[static_cast<std::size_t>(k)] = 6.283 * u(g);
        }
        const double radio = std::sqrt(0.7 / 3.14159265358979) * lado;
        for (int r = 0; r < celdas; ++r) {
            const auto rr = static_cast<std::size_t>(r);
            const int col = r % lado, fil = r / lado;
            coordenadas.datos[0][rr] = static_cast<float>(-105 + 0.01 * col);
            coordenadas.datos[1][rr] = static_cast<float>(25 - 0.01 * fil);
            const double dx = col + 0.5 - lado / 2.0, dy = fil + 0.5 - lado / 2.0;
            const bool dentro = dx * dx + dy * dy < radio * radio;
            covariables.datos[static_cast<std::size_t>(K)][rr] = dentro ? 1 : 0;
            if (!dentro) continue;
            validas.push_back(r);
            const double x = static_cast<double>(col) / lado, y = static_cast<double>(fil) / lado;
            for (int k = 0; k < K; ++k) {
                const auto kk = static_cast<std::size_t>(k);
                const double v = 0.5 + 0.25 * std::sin(fa[kk] * x + fase[kk]) + 0.2 * std::cos(fb[kk] * y) + 0.05 * u(g);
                covariables.datos[kk][rr] = 1 + std::min(C[kk] - 1, std::max(0, static_cast<int>(v * C[kk])));
            }
            sesgo.datos[0][rr] = static_cast<float>(1e-4 * u(g));
            const double p = std::sin(3 * x) * std::cos(2 * y);
            priori.datos[0][rr] = u(g) < 0.1 ? 0 : (p > 0.3 ? 1 : (p < -0.3 ? 3 : 2));
        }
        for (int s = 0; s < S; ++s) {
            const int r = validas[g() % validas.size()];
            sitios.datos[0][static_cast<std::size_t>(s)] = coordenadas.datos[0][static_cast<std::size_t>(r)] + 0.002f;
            sitios.datos[1][static_cast<std::size_t>(s)] = coordenadas.datos[1][static_cast<std::size_t>(r)] + 0.003f;
        }
    }

    copiaDatos vista() {
        copiaDatos c;
        c.numCovariables = K;
        c.numEspecies = 5;
        c.coordenadas = &coordenadas;
        c.sesgo = &sesgo;
        c.sitios = &sitios;
        c.categorias = &categorias;
        c.covariables = &covariables;
        c.priori = &priori;
        return c;
    }
};

Region& region(int celdas, int K) {
    static std::map<std::pair<int, int>, std::unique_ptr<Region>> cache;
    auto& r = cache[{celdas, K}];
    if (!r) r = std::make_unique<Region>(celdas, K, 2000, 17);
    return *r;
}

// Args: cells, covariates, threads (0: every core), prior type.
void BM_Motor(benchmark::State& state) {
    const int celdas = static_cast<int>(state.range(0)), K = static_cast<int>(state.range(1));
    const int hilos = static_cast<int>(state.range(2)), tipo = static_cast<int>(state.range(3));
    Region& reg = region(celdas, K);
    for (auto _ : state) {
        ejecutarQuel motor(hilos);
        const int codigo = motor.ejecuta(reg.vista(), tipo);
        if (codigo != 0) state.SkipWithError("the run failed");
        benchmark::DoNotOptimize(motor.predictiva->datos[0].data());
    }
    state.counters["pairs"] = K * (K - 1) / 2.0;
    state.counters["threads"] = hilos > 0 ? hilos : static_cast<double>(std::thread::hardware_concurrency());
    state.counters["peak_MB"] = picoMemoriaMB();
}

// The compact form of a region, as the command line reads it.
const quel::RegionCompacta& compacta(Region& reg) {
    static std::unique_ptr<quel::RegionCompacta> r;
    if (r) return *r;
    r = std::make_unique<quel::RegionCompacta>();
    const int R = reg.covariables.renglones, K = reg.K;
    r->numCovariables = K;
    r->nombres.assign(static_cast<std::size_t>(K), "");
    r->categorias = reg.categorias.datos[0];
    r->codigos.resize(static_cast<std::size_t>(K));
    r->sesgoUniforme = r->prioriUniforme = false;
    for (int f = 0; f < R; ++f) {
        const auto ff = static_cast<std::size_t>(f);
        const bool dentro = reg.covariables.datos[static_cast<std::size_t>(K)][ff] == 1;
        r->valida.push_back(dentro ? 1 : 0);
        r->coordenadas.agrega(reg.coordenadas.datos[0][ff], reg.coordenadas.datos[1][ff]);
        for (int k = 0; k < K; ++k)
            r->codigos[static_cast<std::size_t>(k)].agrega(dentro ? reg.covariables.datos[static_cast<std::size_t>(k)][ff] : 0);
        r->sesgo.push_back(reg.sesgo.datos[0][ff]);
        r->priori.push_back(static_cast<std::uint8_t>(reg.priori.datos[0][ff]));
    }
    r->coordenadas.cierra();
    return *r;
}

// The same run over the compact region with its results handed out in row
// blocks, as the command line runs it, instead of kept for the whole region.
void BM_MotorEnBloques(benchmark::State& state) {
    const int hilos = static_cast<int>(state.range(0));
    Region& reg = region(1000000, 10);
    copiaDatos vista = reg.vista();
    vista.region = &compacta(reg);
    struct Descarta : SumideroResultados {
        long double suma = 0;
        bool bloque(std::size_t, std::size_t n, const long double* p, const long double*, const long double*) override {
            suma += p[n / 2];
            return true;
        }
    } descarta;
    for (auto _ : state) {
        ejecutarQuel motor(hilos);
        motor.fijaSumidero(&descarta);
        if (motor.ejecuta(vista, 0) != 0) state.SkipWithError("the run failed");
    }
    benchmark::DoNotOptimize(descarta.suma);
    state.counters["peak_MB"] = picoMemoriaMB();
}

// The floor the engine is measured against: one pass over the region's
// valid rows that reads each row's 10 codes and adds, for each of the 45
// pairs, one extended value from the pair's table of cells, in blocks of
// rows worked in parallel, as the engine's passes do.
void BM_UnaPasada(benchmark::State& state) {
    const int hilos = static_cast<int>(state.range(0)) > 0 ? static_cast<int>(state.range(0))
                                                           : static_cast<int>(std::thread::hardware_concurrency());
    Region& reg = region(1000000, 10);
    const int K = reg.K;
    std::vector<int> validas;
    const auto& bandera = reg.covariables.datos[static_cast<std::size_t>(K)];
    for (int r = 0; r < reg.covariables.renglones; ++r)
        if (bandera[static_cast<std::size_t>(r)] == 1) validas.push_back(r);
    std::vector<std::vector<long double>> tablas;
    std::vector<std::pair<int, int>> pares;
    for (int i = 0; i + 1 < K; ++i)
        for (int j = i + 1; j < K; ++j) {
            pares.emplace_back(i, j);
            const auto celdas = static_cast<std::size_t>(reg.categorias.datos[0][static_cast<std::size_t>(i)] *
                                                         reg.categorias.datos[0][static_cast<std::size_t>(j)]);
            tablas.emplace_back(celdas, 1.0L / static_cast<long double>(celdas));
        }
    std::vector<long double> destino(validas.size());
    constexpr std::size_t kBloque = 2048;
    for (auto _ : state) {
        const int bloques = static_cast<int>((validas.size() + kBloque - 1) / kBloque);
        std::atomic<int> siguiente{0};
        auto trabaja = [&] {
            std::vector<int> cod;
            for (int b = siguiente++; b < bloques; b = siguiente++) {
                const std::size_t desde = static_cast<std::size_t>(b) * kBloque;
                const std::size_t hasta = std::min(validas.size(), desde + kBloque);
                cod.resize((hasta - desde) * static_cast<std::size_t>(K));
                for (int k = 0; k < K; ++k)
                    for (std::size_t v = desde; v < hasta; ++v)
                        cod[(v - desde) * static_cast<std::size_t>(K) + static_cast<std::size_t>(k)] =
                            reg.covariables.datos[static_cast<std::size_t>(k)][static_cast<std::size_t>(validas[v])] - 1;
                for (std::size_t v = desde; v < hasta; ++v) {
                    const int* c = &cod[(v - desde) * static_cast<std::size_t>(K)];
                    long double acum = 0;
                    for (std::size_t p = 0; p < pares.size(); ++p) {
                        const auto ci = static_cast<std::size_t>(reg.categorias.datos[0][static_cast<std::size_t>(pares[p].first)]);
                        acum += tablas[p][static_cast<std::size_t>(c[pares[p].second]) * ci + static_cast<std::size_t>(c[pares[p].first])];
                    }
                    destino[v] = acum;
                }
            }
        };
        std::vector<std::thread> otros;
        for (int t = 1; t < hilos; ++t) otros.emplace_back(trabaja);
        trabaja();
        for (auto& t : otros) t.join();
        benchmark::DoNotOptimize(destino.data());
    }
    state.counters["threads"] = hilos;
}

void Casos(benchmark::internal::Benchmark* b) {
    // The goal case, computed prior and uniform prior, every core and one thread.
    for (int tipo : {0, 1})
        for (int hilos : {0, 1}) b->Args({1000000, 10, hilos, tipo});
    // Growth with the cells (10 covariates) and with the covariates (10^5 cells), one thread.
    for (int celdas : {10000, 100000}) b->Args({celdas, 10, 1, 0});
    for (int K : {5, 20}) b->Args({100000, K, 1, 0});
    b->Args({1000000, 5, 1, 0});
    b->Args({1000000, 20, 1, 0});
    b->Args({1000000, 20, 0, 0});
}

}  // namespace

BENCHMARK(BM_Motor)->Apply(Casos)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_MotorEnBloques)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_UnaPasada)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);

BENCHMARK_MAIN();
