// Site assignment: the indexed search must pick the row the plain scan picks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "DatosPrueba.h"
#include "engine/asignaSitios.h"

namespace {

struct Tabla {
    TImagenN<int> cov;
    TImagenN<float> coord;
    Tabla(int n) : cov(n, 2), coord(n, 2) {}
    void fila(int r, float x, float y, int valida) {
        coord.datos[0][static_cast<std::size_t>(r)] = x;
        coord.datos[1][static_cast<std::size_t>(r)] = y;
        cov.datos[1][static_cast<std::size_t>(r)] = valida;
    }
};

}  // namespace

// A site in any quadrant of a cell goes to that cell's row, on a 3 x 3
// region, a one-row and a one-column region (cells of 2 x 2, corners from
// (10, 20), the table running from the top-left cell); a site on a no-data
// cell goes to the valid cell whose centre is nearest.
TEST(AsignaSitios, CadaSitioVaALaCeldaQueLoContiene) {
    const struct {
        int columnas, filas, sinDato;  // row of a no-data cell, or -1
    } regiones[] = {{3, 3, -1}, {3, 1, -1}, {1, 3, -1}, {3, 3, 4}};
    for (const auto& g : regiones) {
        SCOPED_TRACE(testing::Message() << g.columnas << " x " << g.filas << ", no-data row " << g.sinDato);
        const int n = g.columnas * g.filas;
        Tabla t(n);
        for (int r = 0; r < n; ++r)
            t.fila(r, 10 + 2.0f * static_cast<float>(r % g.columnas),
                   20 + 2.0f * static_cast<float>(g.filas - 1 - r / g.columnas), r == g.sinDato ? 0 : 1);
        TImagenN<float> sitios(4 * n, 3);
        for (std::size_t s = 0; s < 4u * static_cast<std::size_t>(n); ++s) {
            sitios.datos[0][s] = t.coord.datos[0][s / 4] + (s % 2 ? 1.6f : 0.3f);
            sitios.datos[1][s] = t.coord.datos[1][s / 4] + (s % 4 >= 2 ? 1.8f : 0.5f);
        }
        ASSERT_EQ(asignaSitios(t.cov, t.coord, sitios), 0);
        // The no-data centre cell (corner 12, 22): (12.3, 22.5) is nearest the
        // left cell's centre (11, 23), (13.6, 22.5) the right one's (15, 23),
        // the upper quadrants the upper one's (13, 25).
        const float vecina[] = {3, 5, 1, 1};
        for (int s = 0; s < 4 * n; ++s)
            EXPECT_EQ(sitios.datos[2][static_cast<std::size_t>(s)], s / 4 == g.sinDato ? vecina[s % 4] : static_cast<float>(s / 4))
                << "site " << s;
    }
}

TEST(AsignaSitios, IgualAlEscaneoEnRejillasYNubes) {
    std::mt19937 gen(7);
    // A regular grid (many exact ties at cell corners and midpoints), a
    // cloud with duplicated points, and a degenerate line.
    for (int caso = 0; caso < 3; ++caso) {
        const int n = 3000;
        Tabla t(n);
        std::uniform_real_distribution<float> u(-50, 50);
        for (int r = 0; r < n; ++r) {
            float x, y;
            if (caso == 0) { x = static_cast<float>(r % 60) * 0.5f - 10; y = 40 - static_cast<float>(r / 60) * 0.5f; }
            else if (caso == 1) { x = std::round(u(gen)); y = std::round(u(gen)); }
            else { x = 3; y = static_cast<float>(r % 97); }
            t.fila(r, x, y, gen() % 10 < 7 ? 1 : 0);
        }
        const int s = 2000;
        TImagenN<float> sitios(s, 3);
        std::uniform_real_distribution<float> v(-80, 80);
        for (int i = 0; i < s; ++i) {
            float x = v(gen), y = v(gen);
            if (i % 3 == 0) { x = std::round(x * 4) / 4; y = std::round(y * 4) / 4; }  // on ties
            sitios.datos[0][static_cast<std::size_t>(i)] = x;
            sitios.datos[1][static_cast<std::size_t>(i)] = y;
        }
        asignaSitios(t.cov, t.coord, sitios);
        for (int i = 0; i < s; ++i) {
            const auto ii = static_cast<std::size_t>(i);
            ASSERT_EQ(static_cast<int>(sitios.datos[2][ii]),
                      prueba::escaneo(t.cov, t.coord, sitios.datos[0][ii], sitios.datos[1][ii]))
                << "case " << caso << " site " << i;
        }
    }
}

// A 3 x 3 grid of unit cells (corners x 0..2, y 0..2) whose middle row is
// outside the region: where each site lies (the region's outer corner
// included), and the report per species.
TEST(AsignaSitios, LugarYDescartesPorEspecie) {
    Tabla t(9);
    for (int r = 0; r < 9; ++r) t.fila(r, static_cast<float>(r % 3), static_cast<float>(r / 3), r / 3 == 1 ? 0 : 1);
    const struct {
        const char* especie;
        float x, y;
        LugarSitio lugar;
    } casos[] = {
        {"A", 0.2f, 0.1f, LugarSitio::kRegion},   {"A", 1.1f, 1.9f, LugarSitio::kSinDato},
        {"A", 2.5f, 2.0f, LugarSitio::kRegion},   // on the edge of a valid and a no-data cell
        {"A", 3.5f, 2.0f, LugarSitio::kFuera},    // half a cell beyond the region's right edge
        {"B", 3.0f, 3.0f, LugarSitio::kRegion},   {"C", 400.0f, -3.0f, LugarSitio::kFuera},
    };
    const int n = static_cast<int>(std::size(casos));
    TImagenN<float> sitios(n, 3);
    TImagenN<AnsiString> especies(n, 1);
    for (int s = 0; s < n; ++s) {
        sitios.datos[0][static_cast<std::size_t>(s)] = casos[s].x;
        sitios.datos[1][static_cast<std::size_t>(s)] = casos[s].y;
        especies.datos[0][static_cast<std::size_t>(s)] = casos[s].especie;
    }
    const std::vector<LugarSitio> lugares = ubicaSitios(t.cov, t.coord, sitios);
    for (int s = 0; s < n; ++s) EXPECT_EQ(lugares[static_cast<std::size_t>(s)], casos[s].lugar) << s;

    const auto d = resumeDescartes(lugares, sitios, &especies, 1);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(std::make_tuple(d[0].especie, d[0].sitios, d[0].fuera, d[0].sinDato), std::make_tuple(std::string("A"), 4, 1, 1));
    EXPECT_EQ(d[0].primerosSinDato, (decltype(d[0].primerosSinDato){{1.1f, 1.9f}}));
    EXPECT_EQ(d[0].primerosFuera, (decltype(d[0].primerosFuera){{3.5f, 2.0f}}));
    EXPECT_EQ(d[1].descartados(), 0);
    EXPECT_EQ(d[2].descartados(), d[2].sitios);
}
