// Painting a map of a million cells (a 1000 x 1000 region) into the 800 x 600
// map bitmap, and placing its rows.
#include <benchmark/benchmark.h>

#ifdef QUEL_CON_IMAGENES
#include <QtGui/QImage>

#include "render/paletaColores.h"
#include "render/pintores.h"
#include "render/ubicacionMapa.h"

namespace {

constexpr int lado = 1000;

struct Region {
    TImagenN<float> coordenadas{lado * lado, 2};
    TImagenN<int> covariables{lado * lado, 1};
    TImagenN<long double> valores{lado * lado, 1};
    Region() {
        for (int r = 0; r < lado * lado; ++r) {
            const int c = r % lado, f = r / lado;
            coordenadas.datos[0][r] = -100.0f + 0.01f * static_cast<float>(c);
            coordenadas.datos[1][r] = 30.0f - 0.01f * static_cast<float>(f);
            covariables.datos[0][r] = (c + f) % 7 != 0 ? 1 : 0;
            valores.datos[0][r] = static_cast<long double>((c * 31 + f * 17) % 1000) / 1000;
        }
    }
};

const Region& region() {
    static const Region r;
    return r;
}

void BM_ubicaMapa(benchmark::State& estado) {
    const Region& r = region();
    for (auto _ : estado) {
        UbicacionMapa u = ubicaMapa(r.coordenadas, anchoMapa, altoMapa);
        benchmark::DoNotOptimize(u.pixeles.datos[0].data());
    }
}
BENCHMARK(BM_ubicaMapa)->Unit(benchmark::kMillisecond);

void BM_pinta(benchmark::State& estado, bool relativo) {
    const Region& r = region();
    const UbicacionMapa u = ubicaMapa(r.coordenadas, anchoMapa, altoMapa);
    paletaColores p;
    QImage img(anchoMapa, altoMapa, QImage::Format_RGB32);
    for (auto _ : estado) {
        img.fill(Qt::white);
        if (relativo)
            pintaRelativo(p, img, r.valores, 0, r.covariables, u.pixeles, 2, u.columnasMapa);
        else
            pintaAbsoluto(p, img, r.valores, 0, r.covariables, u.pixeles, 0, u.columnasMapa);
        benchmark::DoNotOptimize(img.constBits());
    }
    estado.SetItemsProcessed(estado.iterations() * lado * lado);
}
BENCHMARK_CAPTURE(BM_pinta, absoluto, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_pinta, relativo, true)->Unit(benchmark::kMillisecond);

// The same map with cells of 8 x 5 pixels (100 x 100 region): fewer, larger fills.
void BM_pintaAbsolutoCeldasGrandes(benchmark::State& estado) {
    const int n = 100;
    TImagenN<float> coord(n * n, 2);
    TImagenN<int> cov(n * n, 1);
    TImagenN<long double> val(n * n, 1);
    for (int r = 0; r < n * n; ++r) {
        coord.datos[0][r] = static_cast<float>(r % n);
        coord.datos[1][r] = static_cast<float>(n - r / n);
        cov.datos[0][r] = 1;
        val.datos[0][r] = 0.5L;
    }
    const UbicacionMapa u = ubicaMapa(coord, anchoMapa, altoMapa);
    paletaColores p;
    QImage img(anchoMapa, altoMapa, QImage::Format_RGB32);
    for (auto _ : estado) {
        pintaAbsoluto(p, img, val, 0, cov, u.pixeles, 0, u.columnasMapa);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_pintaAbsolutoCeldasGrandes)->Unit(benchmark::kMillisecond);

}  // namespace
#endif  // QUEL_CON_IMAGENES

BENCHMARK_MAIN();
