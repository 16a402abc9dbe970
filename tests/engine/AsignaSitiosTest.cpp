// Site assignment: the indexed search must pick the row the plain scan picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>

#include "DatosPrueba.h"
#include "engine/asignaSitios.h"

namespace {

struct Tabla {
    TImagenN<int> cov;
    TImagenN<float> coord;
    explicit Tabla(int n) : cov(n, 2), coord(n, 2) {}
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

// The search over a compact region gives, site by site, the rows, counts and
// places of the search over the same table loaded, and the scan's rows.
// Lattices (walked in place) with holes, few valid cells far apart, a single
// row or column, uneven columns, rows out of order or at a repeated y, and an
// irregular table (the lattice's rows shuffled, bucket index); sites on every
// quarter of a cell around and beyond the lattice (edges and corners: ties),
// far off it and beyond 10^6.
TEST(AsignaSitios, RegionCompactaIgualALaTablaYAlEscaneo) {
    std::mt19937 gen(11);
    auto hueco = [&](int porcentaje) { return [&gen, porcentaje](int) { return int(gen() % 100) < porcentaje; }; };
    const float columnasX[] = {0, 1, 3, 4, 8, 9, 10, 15}, filasY[] = {0, 9, 8, 4, 9, 1};
    const struct {
        const char* nombre;
        int columnas, renglones;
        float paso;
        std::function<float(int)> x, y;  // corner of a column, of a lattice row
        std::function<bool(int)> valida;
        bool revuelta;
    } casos[] = {
        {"holes", 40, 30, 0.5f, {}, {}, hueco(60), false},
        {"rounded steps", 30, 20, 0.00833333f, {}, {}, hueco(80), false},
        {"few valid cells", 50, 40, 1, {}, {}, [](int r) { return r == 7 || r == 1234 || r == 1999; }, false},
        {"no valid cell", 6, 5, 1, {}, {}, [](int) { return false; }, false},
        {"one row", 25, 1, 2, {}, {}, hueco(50), false},
        {"one column", 1, 25, 2, {}, {}, hueco(50), false},
        {"uneven columns", 8, 6, 1, [&](int c) { return columnasX[c]; }, {}, hueco(70), false},
        {"rows out of order", 5, 6, 1, {}, [&](int f) { return filasY[f]; }, hueco(70), false},
        {"shuffled rows", 20, 15, 0.5f, {}, {}, hueco(70), true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        const int n = c.columnas * c.renglones;
        std::vector<int> orden(static_cast<std::size_t>(n));
        std::iota(orden.begin(), orden.end(), 0);
        if (c.revuelta) std::shuffle(orden.begin() + 1, orden.end(), gen);
        Tabla t(n);
        std::vector<std::uint8_t> valida;
        quel::CoordenadasRegion region;
        for (int i = 0; i < n; ++i) {
            const int col = orden[static_cast<std::size_t>(i)] % c.columnas, fil = orden[static_cast<std::size_t>(i)] / c.columnas;
            const float x = c.x ? c.x(col) : -70 + c.paso * float(col);
            const float y = c.y ? c.y(fil) : 30 - c.paso * float(fil);
            const bool v = c.valida(i);
            t.fila(i, x, y, v ? 1 : 0);
            region.agrega(x, y);
            valida.push_back(v ? 1 : 0);
        }
        region.cierra();
        ASSERT_EQ(region.reticula(), !c.revuelta);
        // Every quarter cell from two cells before the lattice to two after.
        const auto [x0, x1] = std::minmax_element(t.coord.datos[0].begin(), t.coord.datos[0].end());
        const auto [y0, y1] = std::minmax_element(t.coord.datos[1].begin(), t.coord.datos[1].end());
        std::vector<std::pair<float, float>> puntos = {{-7e5f, 30}, {*x0, 1.2e6f}, {3e6f, -3e6f}, {*x1 + 999990, *y0}};
        for (float x = *x0 - 2 * c.paso; x <= *x1 + 3 * c.paso; x += c.paso / 4)
            for (float y = *y0 - 2 * c.paso; y <= *y1 + 3 * c.paso; y += c.paso / 4) puntos.emplace_back(x, y);
        TImagenN<float> sitios(static_cast<int>(puntos.size()), 3), hoy(sitios.renglones, 3);
        for (std::size_t s = 0; s < puntos.size(); ++s)
            for (auto* m : {&sitios, &hoy}) std::tie(m->datos[0][s], m->datos[1][s]) = puntos[s];
        std::vector<int> filas, filasHoy;
        EXPECT_EQ(asignaSitios(valida, region, sitios, &filas), asignaSitios(t.cov, t.coord, hoy, &filasHoy));
        EXPECT_EQ(sitios.datos[2], hoy.datos[2]);
        for (std::size_t s = 0; s < puntos.size(); ++s)
            ASSERT_EQ(filas[s], prueba::escaneo(t.cov, t.coord, puntos[s].first, puntos[s].second))
                << "site " << puntos[s].first << ", " << puntos[s].second;
        EXPECT_EQ(filas, filasHoy);
        const auto lugares = ubicaSitios(t.cov, t.coord, hoy);
        EXPECT_EQ(ubicaSitios(valida, region, sitios), lugares);
        EXPECT_EQ(ubicaSitios(valida, region, sitios, &filas), lugares);
    }
}
