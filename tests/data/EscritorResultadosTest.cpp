// A surface written block by block gives the bytes of the whole-region
// writers, however the rows are split and however many threads format them.
#include "data/escritorResultados.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "data/exportaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "support/testutil.h"

namespace {

const tablaResultados::Titulos kTitulos{"Longitude", "Latitude", "Predictive"};

// The same rows held both ways: as a loaded table and as a compact region.
struct Region {
    TImagenN<float> tabla;
    quel::CoordenadasRegion compacta;
    TImagenN<long double> valores;

    // `ncols` x `nrows` cells of 0.25 from the top-left; `movida`, when
    // below the rows, nudges one cell's x so the region is no lattice.
    Region(int ncols, int nrows, std::size_t movida = std::numeric_limits<std::size_t>::max())
        : tabla(ncols * nrows, 2), valores(ncols * nrows, 1) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(ncols * nrows); ++i) {
            const auto c = static_cast<int>(i) % ncols, r = static_cast<int>(i) / ncols;
            const float x = -99.5f + 0.25f * static_cast<float>(c) + (i == movida ? 0.01f : 0.0f);
            const float y = 19.25f + 0.25f * static_cast<float>(nrows - 1 - r);
            tabla.datos[0][i] = x;
            tabla.datos[1][i] = y;
            compacta.agrega(x, y);
            valores.datos[0][i] = valor(i);
        }
        compacta.cierra();
    }

    // Probabilities with runs of one value, cells outside the region, and
    // the values whose text is easy to get wrong.
    static long double valor(std::size_t i) {
        const long double especiales[] = {0.0L, -0.0L, 1e-4000L, -1e4000L, 1e-45L, 0.1L, 1.0L / 3, 5e-324L};
        if (i % 5 == 0) return especiales[(i / 5) % 8];
        if (i % 3 == 0) return 0.25L;  // repeated
        return std::fmod(static_cast<long double>(i) * 0.6180339887498948482L, 1.0L);
    }
};

struct Escrito {
    std::string tabla, grid;
};

// Writes through EscritorSuperficie in blocks of `porBloque` rows.
Escrito escribeEnBloques(const Region& r, const prueba::CarpetaTemporal& dir, std::size_t porBloque, int hilos,
                         int digitos) {
    quel::ArchivoNuevo tabla(dir / "b.txt"), grid(dir / "b.asc");
    quel::EscritorSuperficie e(&tabla, &grid, kTitulos, r.compacta, digitos, hilos);
    std::string razon;
    EXPECT_TRUE(e.inicia(razon)) << razon;
    const std::size_t n = r.compacta.size();
    for (std::size_t desde = 0; desde < n; desde += porBloque)
        EXPECT_TRUE(e.agrega(desde, &r.valores.datos[0][desde], std::min(porBloque, n - desde)));
    EXPECT_TRUE(e.termina());
    EXPECT_TRUE(quel::colocaTodos({&tabla, &grid}, &razon)) << razon;
    return {prueba::lee(dir / "b.txt"), prueba::lee(dir / "b.asc")};
}

}  // namespace

TEST(EscritorSuperficie, BytesOfTheWholeRegionWritersForAnySplitAndThreads) {
    // Large enough for several sub-blocks and rounds of the parallel loop.
    const Region reticula(200, 170), irregular(200, 170, 200 * 7 + 3);
    ASSERT_TRUE(reticula.compacta.reticula());
    ASSERT_FALSE(irregular.compacta.reticula());
    prueba::CarpetaTemporal dir;
    for (const Region* r : {&reticula, &irregular})
        for (int digitos : {6, 17}) {
            ASSERT_TRUE(tablaResultados::escribe(dir / "t.txt", kTitulos, r->tabla, r->valores, digitos));
            Escrito hoy{prueba::lee(dir / "t.txt"), {}};
            std::string razon;
            ASSERT_TRUE(exportaArchivo::textoGrid(r->tabla, r->valores, hoy.grid, razon)) << razon;
            for (std::size_t porBloque : {std::size_t{1}, std::size_t{8191}, r->compacta.size()})
                for (int hilos : {1, 3}) {
                    SCOPED_TRACE(testing::Message() << (r == &reticula ? "lattice" : "irregular") << " digits "
                                                    << digitos << " block " << porBloque << " threads " << hilos);
                    const Escrito b = escribeEnBloques(*r, dir, porBloque, hilos, digitos);
                    EXPECT_TRUE(b.tabla == hoy.tabla);
                    EXPECT_TRUE(b.grid == hoy.grid);
                }
        }
}

TEST(EscritorSuperficie, RefusesNoGridAndRowsOutOfOrder) {
    prueba::CarpetaTemporal dir;
    // Bottom row first: no grid, for the reason textoGrid gives; the table alone is written.
    quel::CoordenadasRegion abajoPrimero;
    TImagenN<float> tabla(4, 2);
    const float xy[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        abajoPrimero.agrega(xy[i][0], xy[i][1]);
        tabla.datos[0][i] = xy[i][0];
        tabla.datos[1][i] = xy[i][1];
    }
    abajoPrimero.cierra();
    TImagenN<long double> valores(4, 1);
    std::string hoy, porqueHoy, razon;
    ASSERT_FALSE(exportaArchivo::textoGrid(tabla, valores, hoy, porqueHoy));
    quel::ArchivoNuevo grid(dir / "g.asc"), soloTabla(dir / "t.txt");
    EXPECT_FALSE(quel::EscritorSuperficie(nullptr, &grid, kTitulos, abajoPrimero, 6, 1).inicia(razon));
    EXPECT_EQ(razon, porqueHoy);
    quel::EscritorSuperficie t(&soloTabla, nullptr, kTitulos, abajoPrimero, 6, 1);
    EXPECT_TRUE(t.inicia(razon));
    EXPECT_TRUE(t.agrega(0, valores.datos[0].data(), 4));
    EXPECT_TRUE(t.termina());

    // A block that skips rows, or rows left out at the end: refused, nothing put in place.
    for (std::size_t salto : {0, 1}) {
        quel::ArchivoNuevo f(dir / "x.txt");
        quel::EscritorSuperficie e(&f, nullptr, kTitulos, abajoPrimero, 6, 1);
        ASSERT_TRUE(e.inicia(razon));
        EXPECT_TRUE(e.agrega(0, valores.datos[0].data(), 2));
        EXPECT_EQ(e.agrega(2 + salto, valores.datos[0].data(), 1), salto == 0);
        EXPECT_FALSE(e.termina());
        EXPECT_FALSE(f.coloca());
        EXPECT_FALSE(std::filesystem::exists(dir / "x.txt"));
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
