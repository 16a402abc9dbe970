// A run over a compact region, with its results handed out in row blocks,
// gives what a run over the loaded grids keeps, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>

#include "data/regionCompacta.h"
#include "engine/DatosPrueba.h"

namespace {

using prueba::z;

// The compact form of a test dataset (codes of rows outside the region as 0).
quel::RegionCompacta compacta(const prueba::Datos& d, bool uniformes = false) {
    quel::RegionCompacta r;
    const int R = d.covariables.renglones;
    r.numCovariables = d.K;
    r.nombres.assign(z(d.K), "");
    r.categorias.assign(d.categorias.datos[0].begin(), d.categorias.datos[0].end());
    r.codigos.resize(z(d.K));
    for (int f = 0; f < R; ++f) {
        const bool dentro = d.covariables.datos[z(d.K)][z(f)] == 1;
        r.valida.push_back(dentro ? 1 : 0);
        r.coordenadas.agrega(d.coordenadas.datos[0][z(f)], d.coordenadas.datos[1][z(f)]);
        for (int k = 0; k < d.K; ++k) r.codigos[z(k)].agrega(dentro ? d.covariables.datos[z(k)][z(f)] : 0);
    }
    r.coordenadas.cierra();
    r.sesgoUniforme = r.prioriUniforme = uniformes;
    if (!uniformes) {
        r.sesgo = d.sesgo.datos[0];
        for (int v : d.priori.datos[0]) r.priori.push_back(static_cast<std::uint8_t>(v));
    }
    return r;
}

// Keeps the blocks it receives, checking they come in order.
struct Recoge : SumideroResultados {
    std::vector<long double> v[3];
    bool bloque(std::size_t desde, std::size_t n, const long double* p, const long double* c,
                const long double* a) override {
        EXPECT_EQ(desde, v[0].size());
        for (std::size_t i = 0; i < n; ++i) {
            v[0].push_back(p[i]);
            v[1].push_back(c[i]);
            v[2].push_back(a[i]);
        }
        return true;
    }
};

bool mismosBits(const std::vector<long double>& a, const std::vector<long double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], 10) != 0) return false;
    return true;
}

// Runs the dataset whole and as a compact region streamed, with `hilos` threads.
void comparaCorridas(prueba::Datos& d, int tipoPriori, int hilos) {
    ejecutarQuel entero(1);
    ASSERT_EQ(entero.ejecuta(d.vista(), tipoPriori), 0);
    for (bool conRegion : {false, true}) {
        SCOPED_TRACE(conRegion ? "compact region" : "loaded grids");
        const quel::RegionCompacta region = compacta(d, tipoPriori != 0);
        copiaDatos vista = d.vista();
        if (conRegion) vista.region = &region;
        ejecutarQuel flujo(hilos);
        flujo.fijaFilasPorBloque(hilos == 2 ? 4099 : 1 << 18);
        Recoge recoge;
        flujo.fijaSumidero(&recoge);
        ASSERT_EQ(flujo.ejecuta(vista, tipoPriori), 0);
        EXPECT_FALSE(flujo.predictiva || flujo.certidumbre || flujo.potPriori);
        EXPECT_TRUE(mismosBits(recoge.v[0], entero.predictiva->datos[0]));
        EXPECT_TRUE(mismosBits(recoge.v[1], entero.certidumbre->datos[0]));
        EXPECT_TRUE(mismosBits(recoge.v[2], entero.potPriori->datos[0]));
        EXPECT_EQ(flujo.sitiosSinAsignar, entero.sitiosSinAsignar);
        EXPECT_EQ(flujo.pesosPosteriores, entero.pesosPosteriores);
    }
}

TEST(Flujo, RegionCompactaYBloquesDanLosMismosBits) {
    struct Caso {
        const char* que;
        int filas;
        std::vector<int> categorias;
        bool desordenada;  // rows shuffled: no lattice
        int tipoPriori;
        int hilos;
    };
    const Caso casos[] = {
        {"lattice, prior classes", 70000, {4, 7, 12, 5}, false, 0, 2},
        {"lattice, uniform inputs", 5000, {3, 9, 6}, false, 1, 1},
        {"shuffled rows", 6000, {5, 8, 4}, true, 0, 3},
        {"a covariate of 300 categories", 20000, {300, 6, 4}, false, 0, 2},
        {"one covariate, no pair", 500, {4}, false, 0, 2},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        auto d = prueba::aleatorio(c.filas, c.categorias, 60, 11);
        if (c.desordenada) {
            std::vector<int> orden(z(c.filas));
            std::iota(orden.begin(), orden.end(), 0);
            std::shuffle(orden.begin(), orden.end(), std::mt19937(5));
            auto p = prueba::aleatorio(c.filas, c.categorias, 60, 11);
            for (int f = 0; f < c.filas; ++f) {
                const auto o = z(orden[z(f)]);
                for (int col = 0; col < 2; ++col) d->coordenadas.datos[z(col)][z(f)] = p->coordenadas.datos[z(col)][o];
                for (int k = 0; k <= d->K; ++k) d->covariables.datos[z(k)][z(f)] = p->covariables.datos[z(k)][o];
                d->sesgo.datos[0][z(f)] = p->sesgo.datos[0][o];
                d->priori.datos[0][z(f)] = p->priori.datos[0][o];
            }
        }
        if (c.tipoPriori != 0) {
            // The uniform inputs as the loaded dataset holds them.
            int validas = 0;
            for (int f = 0; f < c.filas; ++f) validas += d->valida(f) == 1;
            for (int f = 0; f < c.filas; ++f) {
                const bool dentro = d->valida(f) == 1;
                d->s(f) = dentro ? static_cast<float>(1.0 / validas) : 0;
                d->clase(f) = dentro ? 2 : 0;
            }
        }
        const quel::RegionCompacta region = compacta(*d);
        EXPECT_EQ(region.coordenadas.reticula(), !c.desordenada);
        EXPECT_EQ(region.codigos[0].ancho(), c.categorias[0] > 255 ? 2 : 1);
        comparaCorridas(*d, c.tipoPriori, c.hilos);
    }
}

TEST(Flujo, UnBloqueRechazadoDetieneLaCorrida) {
    auto d = prueba::aleatorio(3000, {4, 5, 6}, 20, 3);
    struct Rechaza : SumideroResultados {
        bool bloque(std::size_t, std::size_t, const long double*, const long double*, const long double*) override {
            return false;
        }
    } rechaza;
    ejecutarQuel motor(2);
    motor.fijaSumidero(&rechaza);
    EXPECT_EQ(motor.ejecuta(d->vista(), 0), ejecutarQuel::kSumidero);
    EXPECT_FALSE(motor.predictiva);
}

}  // namespace
