// Site search on a continental lattice: 2,000 presence sites on 10^7 cells
// (4000 x 2500, about 70 % of them in the region: a continent with lakes),
// assigned to their nearest region cell and placed (in the region, outside,
// on no data) as a run does it, by the bucket index over the loaded table and
// by the walk of a compact region's lattice.
//
// heap_MB is the most memory the search held at once beyond its inputs;
// peak_MB is the whole process's, inputs included (run one case at a time to
// compare it):
//
//   bench_sitios --benchmark_filter=Tabla
//   bench_sitios --benchmark_filter=Reticula
#include <benchmark/benchmark.h>

#include "bench/apoyo.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <vector>

#include "engine/asignaSitios.h"

namespace {

// Heap bytes in use, and the most in use since the last reset.
std::atomic<std::size_t> enUso{0}, pico{0};

void reservado(void* p) {
    const std::size_t ahora = enUso += malloc_usable_size(p);
    std::size_t visto = pico.load();
    while (ahora > visto && !pico.compare_exchange_weak(visto, ahora)) {
    }
}

}  // namespace

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    reservado(p);
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    enUso -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr int kColumnas = 4000, kRenglones = 2500, kSitios = 2000;
constexpr float kCelda = 0.00833333f;

struct Continente {
    TImagenN<int> covariables{kColumnas * kRenglones, 1};  // the region flag only
    TImagenN<float> coordenadas{kColumnas * kRenglones, 2};
    std::vector<std::uint8_t> valida;
    quel::CoordenadasRegion region;
    TImagenN<float> sitios{kSitios, 3};

    Continente() {
        std::mt19937 azar(5);
        std::uniform_real_distribution<double> u(0, 1);
        valida.reserve(static_cast<std::size_t>(kColumnas) * kRenglones);
        for (int f = 0; f < kRenglones; ++f)
            for (int c = 0; c < kColumnas; ++c) {
                const auto r = static_cast<std::size_t>(f) * kColumnas + static_cast<std::size_t>(c);
                const float x = -120.0f + static_cast<float>(c) * kCelda, y = 45.0f - static_cast<float>(f) * kCelda;
                // An ellipse of land, a ragged coast and scattered lakes.
                const double ex = (c - kColumnas / 2.0) / (0.5 * kColumnas), ey = (f - kRenglones / 2.0) / (0.5 * kRenglones);
                const bool tierra = ex * ex + ey * ey < 0.85 + 0.1 * u(azar) && u(azar) > 0.03;
                coordenadas.datos[0][r] = x;
                coordenadas.datos[1][r] = y;
                covariables.datos[0][r] = tierra ? 1 : 0;
                valida.push_back(tierra ? 1 : 0);
                region.agrega(x, y);
            }
        region.cierra();
        // Sites anywhere over the land's box, some at sea or on lakes.
        for (std::size_t s = 0; s < kSitios; ++s) {
            sitios.datos[0][s] = -120.0f + static_cast<float>(u(azar) * kColumnas) * kCelda;
            sitios.datos[1][s] = 45.0f - static_cast<float>(u(azar) * kRenglones) * kCelda;
        }
    }
};

const Continente& continente() {
    static const auto c = std::make_unique<Continente>();
    return *c;
}

template <class Busca>
void mide(benchmark::State& estado, Busca busca) {
    const Continente& c = continente();
    TImagenN<float> sitios(kSitios, 3);
    sitios.datos = c.sitios.datos;
    std::vector<int> filas;
    std::size_t heap = 0;
    for (auto _ : estado) {
        const std::size_t antes = enUso.load();
        pico = antes;
        benchmark::DoNotOptimize(busca(c, sitios, filas));
        heap = std::max(heap, pico.load() - antes);
    }
    estado.counters["heap_MB"] = static_cast<double>(heap) / (1024.0 * 1024.0);
    anotaPicoMemoria(estado);
}

void BM_SitiosTabla(benchmark::State& estado) {
    mide(estado, [](const Continente& c, TImagenN<float>& sitios, std::vector<int>& filas) {
        asignaSitios(c.covariables, c.coordenadas, sitios, &filas);
        return ubicaSitios(c.covariables, c.coordenadas, sitios, &filas).size();
    });
}
BENCHMARK(BM_SitiosTabla)->Unit(benchmark::kMillisecond);

void BM_SitiosReticula(benchmark::State& estado) {
    mide(estado, [](const Continente& c, TImagenN<float>& sitios, std::vector<int>& filas) {
        asignaSitios(c.valida, c.region, sitios, &filas);
        return ubicaSitios(c.valida, c.region, sitios, &filas).size();
    });
}
BENCHMARK(BM_SitiosReticula)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
