// A surface written block by block gives the bytes of the whole-region
// writers, however the rows are split and however many threads format them.
#include "data/escritorResultados.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <tuple>
#include <vector>

#include "data/exportaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "support/testutil.h"

namespace {

const tablaResultados::Titulos kTitulos{"Longitude", "Latitude", "Predictive"};

// The same rows held both ways, as a loaded table and as a compact region,
// with probabilities in runs of one value, cells outside the region, and the
// values whose text is easy to get wrong.
struct Region {
    TImagenN<float> tabla;
    quel::CoordenadasRegion compacta;
    TImagenN<long double> valores;

    explicit Region(const std::vector<std::pair<float, float>>& xy)
        : tabla(static_cast<int>(xy.size()), 2), valores(static_cast<int>(xy.size()), 1) {
        const long double especiales[] = {0.0L, -0.0L, 1e-4000L, -1e4000L, 1e-45L, 0.1L, 1.0L / 3, 5e-324L};
        for (std::size_t i = 0; i < xy.size(); ++i) {
            std::tie(tabla.datos[0][i], tabla.datos[1][i]) = xy[i];
            compacta.agrega(xy[i].first, xy[i].second);
            valores.datos[0][i] = i % 5 == 0   ? especiales[(i / 5) % 8]
                                  : i % 3 == 0 ? 0.25L
                                               : std::fmod(static_cast<long double>(i) * 0.618034L, 1.0L);
        }
        compacta.cierra();
    }
};

// `ncols` x `nrows` cells of 0.25 from the top-left; row `movida` has one x
// nudged, so the region is no lattice.
std::vector<std::pair<float, float>> celdas(int ncols, int nrows, int movida = -1) {
    std::vector<std::pair<float, float>> xy;
    for (int r = 0; r < nrows; ++r)
        for (int c = 0; c < ncols; ++c)
            xy.emplace_back(-99.5f + 0.25f * static_cast<float>(c) + (r == movida && c == 3 ? 0.01f : 0.0f),
                            19.25f + 0.25f * static_cast<float>(nrows - 1 - r));
    return xy;
}

}  // namespace

TEST(EscritorSuperficie, BytesOfTheWholeRegionWritersForAnySplitAndThreads) {
    // Large enough for several sub-blocks and rounds of the parallel loop.
    const Region reticula(celdas(200, 170)), irregular(celdas(200, 170, 7));
    ASSERT_TRUE(reticula.compacta.reticula());
    ASSERT_FALSE(irregular.compacta.reticula());
    prueba::CarpetaTemporal dir;
    for (const Region* r : {&reticula, &irregular})
        for (int digitos : {6, 17}) {
            ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, r->tabla, r->valores, digitos));
            const std::string tablaHoy = prueba::lee(dir / "t.txt");
            std::string gridHoy, razon;
            ASSERT_TRUE(exportaArchivo::textoGrid(r->tabla, r->valores, gridHoy, razon)) << razon;
            const std::size_t n = r->compacta.size();
            for (std::size_t porBloque : {std::size_t{1}, std::size_t{8191}, n})
                for (int hilos : {1, 3}) {
                    SCOPED_TRACE(testing::Message() << (r == &reticula ? "lattice" : "irregular") << " digits "
                                                    << digitos << " block " << porBloque << " threads " << hilos);
                    quel::ArchivoNuevo tabla(dir / "b.txt"), grid(dir / "b.asc");
                    quel::EscritorSuperficie e(&tabla, &grid, kTitulos, r->compacta, digitos, hilos);
                    ASSERT_TRUE(e.inicia(razon)) << razon;
                    for (std::size_t desde = 0; desde < n; desde += porBloque)
                        ASSERT_TRUE(e.agrega(desde, &r->valores.datos[0][desde], std::min(porBloque, n - desde)));
                    ASSERT_TRUE(e.termina() && quel::colocaTodos({&tabla, &grid}, &razon)) << razon;
                    EXPECT_TRUE(prueba::lee(dir / "b.txt") == tablaHoy);
                    EXPECT_TRUE(prueba::lee(dir / "b.asc") == gridHoy);
                }
        }
}

TEST(EscritorSuperficie, RefusesNoGridAndRowsOutOfOrder) {
    prueba::CarpetaTemporal dir;
    const Region abajoPrimero({{0, 0}, {1, 0}, {0, 1}, {1, 1}});  // bottom row first: no grid, for textoGrid's reason
    std::string hoy, porqueHoy, razon;
    ASSERT_FALSE(exportaArchivo::textoGrid(abajoPrimero.tabla, abajoPrimero.valores, hoy, porqueHoy));
    quel::ArchivoNuevo grid(dir / "g.asc");
    EXPECT_FALSE(quel::EscritorSuperficie(nullptr, &grid, kTitulos, abajoPrimero.compacta, 6, 1).inicia(razon));
    EXPECT_EQ(razon, porqueHoy);
    // The table alone, its rows in two blocks: the second skips a row, or leaves the last one out, or is right.
    const struct {
        std::size_t desde, n;
        bool agrega, termina;
    } casos[] = {{3, 1, false, false}, {2, 1, true, false}, {2, 2, true, true}};
    for (const auto& c : casos) {
        quel::ArchivoNuevo f(dir / "t.txt");
        quel::EscritorSuperficie e(&f, nullptr, kTitulos, abajoPrimero.compacta, 6, 1);
        ASSERT_TRUE(e.inicia(razon));
        EXPECT_TRUE(e.agrega(0, abajoPrimero.valores.datos[0].data(), 2));
        EXPECT_EQ(e.agrega(c.desde, &abajoPrimero.valores.datos[0][2], c.n), c.agrega);
        EXPECT_EQ(e.termina(), c.termina);
        EXPECT_EQ(f.coloca(), c.termina);
        EXPECT_EQ(std::filesystem::exists(dir / "t.txt"), c.termina);
    }
}

// The value column's text is printf's for the extended value at every digit
// count, near the half-way points between two shorter decimals above all.
TEST(TablaResultados, ExtendedValuesAsPrintfWritesThem) {
    std::mt19937_64 g(11);
    for (int i = 0; i < 40000; ++i) {
        const int digitos = 1 + static_cast<int>(g() % 20);
        long double v = std::ldexp(static_cast<long double>(g()) / 0x1p64L, static_cast<int>(g() % 2200) - 1100);
        if (i % 2 == 1) {
            // Near a half-way point between two numbers of `digitos` digits.
            std::string medio(1, static_cast<char>('1' + g() % 9));
            while (static_cast<int>(medio.size()) < digitos) medio += static_cast<char>('0' + g() % 10);
            medio += "5e" + std::to_string(static_cast<int>(g() % 600) - 300);
            v = std::strtold(medio.c_str(), nullptr) * (1 + (g() % 2 ? 1 : -1) * std::ldexp(1.0L, -45 - int(g() % 20)));
        }
        if (i % 3 == 0) v = -v;
        std::string texto;
        tablaResultados::agregaNumero(texto, v, digitos);
        char esperado[128];
        std::snprintf(esperado, sizeof esperado, "%.*Lg", digitos, v);
        ASSERT_EQ(texto, esperado) << digitos;
    }
}
