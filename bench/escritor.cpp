// One result surface of 10^6 rows (a 1000 x 1000 lattice, a round study
// region, smooth probabilities inside it, 0 outside) written as its table
// and its ASCII grid: by the block writer fed blocks of 65,536 rows, with one
// thread and with every core, and by the whole-region writers the windows
// use (tablaResultados::escribe, exportaArchivo::textoGrid). Reports rows
// and bytes written per second and the peak memory. Nothing is put in place:
// the files are dropped unnamed at the end of each iteration.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "apoyo.h"
#include "data/escritorResultados.h"
#include "data/exportaArchivo.h"
#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLado = 1000;
constexpr std::size_t kFilas = static_cast<std::size_t>(kLado) * kLado;
constexpr std::size_t kPorBloque = 65536;
const tablaResultados::Titulos kTitulos{"Longitude", "Latitude", "Predictive"};

struct Superficie {
    fs::path carpeta;
    TImagenN<float> tabla{static_cast<int>(kFilas), 2};
    quel::CoordenadasRegion region;
    TImagenN<long double> valores{static_cast<int>(kFilas), 1};
    std::size_t bytes = 0;

    Superficie() {
        std::string plantilla = (fs::temp_directory_path() / "quel-bench-escritor-XXXXXX").string();
        carpeta = mkdtemp(plantilla.data());
        for (std::size_t i = 0; i < kFilas; ++i) {
            const int c = static_cast<int>(i % kLado), r = static_cast<int>(i / kLado);
            const float x = -110.0f + 0.01f * static_cast<float>(c);
            const float y = 15.0f + 0.01f * static_cast<float>(kLado - 1 - r);
            tabla.datos[0][i] = x;
            tabla.datos[1][i] = y;
            region.agrega(x, y);
            const long double u = (c - 500) / 500.0L, v = (r - 500) / 500.0L;
            valores.datos[0][i] =
                u * u + v * v > 0.8L ? 0.0L : 1 / (1 + std::exp(-3 * std::sin(7 * u) * std::cos(5 * v) - u));
        }
        region.cierra();
        // The bytes of both files, the same from every writer, counted a block at a time.
        const quel::textoResultados::Filas filas(region);
        std::string texto;
        quel::GeometriaTabla g;
        g.lee(region);
        quel::textoResultados::cabeceraGrid(texto, g);
        bytes = texto.size() + quel::textoResultados::lineaTitulos(kTitulos).size();
        for (std::size_t desde = 0; desde < kFilas; desde += kPorBloque) {
            const std::size_t n = std::min(kPorBloque, kFilas - desde);
            texto.clear();
            quel::textoResultados::lineasTabla(texto, filas, desde, &valores.datos[0][desde], n, 6);
            quel::textoResultados::celdasGrid(texto, filas, desde, &valores.datos[0][desde], n);
            bytes += texto.size();
        }
    }
    ~Superficie() {
        std::error_code ec;
        fs::remove_all(carpeta, ec);
    }
};

const Superficie& superficie() {
    static const Superficie s;
    return s;
}

void informa(benchmark::State& estado, std::size_t bytes) {
    estado.SetItemsProcessed(static_cast<std::int64_t>(estado.iterations() * kFilas));
    estado.SetBytesProcessed(static_cast<std::int64_t>(estado.iterations() * bytes));
    anotaPicoMemoria(estado);
}

// Argument: threads (0: every core).
void BM_EscritorEnBloques(benchmark::State& estado) {
    const Superficie& s = superficie();
    const int hilos = static_cast<int>(estado.range(0));
    for (auto _ : estado) {
        quel::ArchivoNuevo tabla(s.carpeta / "p.txt"), grid(s.carpeta / "p.asc");
        quel::EscritorSuperficie e(&tabla, &grid, kTitulos, s.region, 6, hilos);
        std::string razon;
        if (!e.inicia(razon)) estado.SkipWithError(razon.c_str());
        for (std::size_t desde = 0; desde < kFilas; desde += kPorBloque)
            e.agrega(desde, &s.valores.datos[0][desde], std::min(kPorBloque, kFilas - desde));
        if (!e.termina()) estado.SkipWithError("write failed");
    }
    informa(estado, s.bytes);
}

// The whole-region writers: the table in pieces, the grid as one string.
void BM_RegionEntera(benchmark::State& estado) {
    const Superficie& s = superficie();
    for (auto _ : estado) {
        quel::ArchivoNuevo tabla(s.carpeta / "p.txt"), grid(s.carpeta / "p.asc");
        std::string texto, razon;
        if (!tablaResultados::escribe(tabla, kTitulos, s.tabla, s.valores) ||
            !exportaArchivo::textoGrid(s.tabla, s.valores, texto, razon) || !grid.agrega(texto))
            estado.SkipWithError("write failed");
    }
    informa(estado, s.bytes);
}

}  // namespace

BENCHMARK(BM_EscritorEnBloques)->ArgName("hilos")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegionEntera)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
