// The bias inference's arithmetic on tables set up in memory: the distance
// rounding, combinations, presence counts, detectability, the objective and
// the Nelder-Mead simplex.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "managers/bias/inferenciaBias.h"

namespace {

long double leeExtendido(const char* texto) { return std::strtold(texto, nullptr); }

std::unique_ptr<TImagenN<int>> tablaInt(const std::vector<std::vector<int>>& filas) {
    const int n = static_cast<int>(filas.size());
    const int m = n ? static_cast<int>(filas[0].size()) : 0;
    auto t = std::make_unique<TImagenN<int>>(n, m);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < m; ++c) t->datos[c][r] = filas[r][c];
    return t;
}

std::unique_ptr<TImagenN<long double>> columna(const std::vector<long double>& v) {
    auto t = std::make_unique<TImagenN<long double>>(static_cast<int>(v.size()), 1);
    for (std::size_t i = 0; i < v.size(); ++i) t->datos[0][i] = v[i];
    return t;
}

}  // namespace

TEST(SesgoDistancia, RoundsToThreeDecimalsAsTheTextFormatDoesWithHalvesAwayFromZero) {
    using sesgo::redondeaMilesimas;
    // Exact halves go up, where printf's "%.3f" would go to even.
    // The float nearest 0.0005 lies just above it, the one nearest 2.0005 just below.
    for (auto [d, texto] : {std::pair{0.0625f, "0.063"}, {2.5f, "2.5"}, {0.0005f, "0.001"}, {2.0005f, "2"},
                            {123456.789f, "123456.789"}})
        EXPECT_EQ(redondeaMilesimas(d), leeExtendido(texto)) << texto;

    // Everything that is not an exact half agrees with the C library's
    // formatting read back into an extended real.
    std::mt19937 azar(7);
    std::uniform_real_distribution<float> u(0.0f, 2000.0f);
    std::uniform_int_distribution<int> exponente(-12, 20);
    char texto[128];
    for (int i = 0; i < 200000; ++i) {
        const float d = std::ldexp(u(azar), exponente(azar)) / 1000.0f;
        const double t = static_cast<double>(d) * 1000.0;
        if (t - std::floor(t) == 0.5) continue;
        std::snprintf(texto, sizeof texto, "%.3f", static_cast<double>(d));
        ASSERT_EQ(redondeaMilesimas(d), leeExtendido(texto)) << texto;
    }
}

TEST(SesgoCombinaciones, MatchTheQuadraticDefinitionOnARandomTable) {
    std::mt19937 azar(11);
    std::uniform_int_distribution<int> v(1, 3);
    const int n = 1500, k = 4;
    std::vector<std::vector<int>> filas(n, std::vector<int>(k + 1));
    for (auto& f : filas) {
        for (int c = 0; c < k; ++c) f[c] = v(azar);
        f[k] = v(azar) == 1 ? 0 : 1;
    }
    inferenciaBias inf;
    inf.covariables = tablaInt(filas);
    inf.combinacionesDistintas();
    auto clave = [&](int r) { return std::vector<int>(filas[r].begin(), filas[r].begin() + k); };
    // Row i is kept when no later row has its key; the region flag plays no part.
    std::vector<int> retenidas;
    for (int i = 0; i < n; ++i) {
        bool despues = false;
        for (int j = i + 1; j < n && !despues; ++j) despues = clave(i) == clave(j);
        if (!despues) retenidas.push_back(i);
    }
    ASSERT_EQ(inf.combinaciones->renglones, static_cast<int>(retenidas.size()));
    for (std::size_t j = 0; j < retenidas.size(); ++j) {
        for (int c = 0; c < k; ++c) ASSERT_EQ(inf.combinaciones->datos[c][j], filas[retenidas[j]][c]);
        std::vector<int> celdas;
        for (int r = 0; r < n; ++r)
            if (clave(r) == clave(retenidas[j])) celdas.push_back(r);
        ASSERT_EQ(inf.celdasDe(static_cast<int>(j)), celdas);
        for (int r : celdas) ASSERT_EQ(inf.combinacionDe(r), static_cast<int>(j));
    }
    EXPECT_EQ(inf.combinacionDe(n), -1);
}

TEST(SesgoConteos, CountEverySiteInTheCombinationOfItsRowAndSkipUnassignedSites) {
    inferenciaBias inf;
    inf.covariables = tablaInt({{1, 1}, {2, 1}, {1, 1}, {3, 0}});
    inf.combinacionesDistintas();  // combinations: row 1 (2), row 2 (1), row 3 (3)
    TImagenN<float> sitios(6, 3);
    const float filas[] = {0, 2, 1, -1, 3, 9};  // -1: no row within reach; 9: no such row
    for (int s = 0; s < 6; ++s) sitios.datos[2][s] = filas[s];
    inf.cuentaPresencias(sitios);
    // Key 2: row 1; key 1: rows 0 and 2; key 3: row 3, outside the region but counted.
    EXPECT_EQ(inf.conteos->datos[0], (std::vector<int>{1, 2, 1}));
}

namespace {

// An estimator with its per-combination tables set by hand.
void preparaTablas(inferenciaBias& inf, const std::vector<long double>& c, const std::vector<long double>& r,
                   const std::vector<long double>& a, const std::vector<int>& n) {
    std::vector<std::vector<int>> filas;
    for (std::size_t j = 0; j < c.size(); ++j) filas.push_back({static_cast<int>(j) + 1, 1});
    inf.covariables = tablaInt(filas);
    inf.combinacionesDistintas();
    inf.sumaCiudades = columna(c);
    inf.sumaCarreteras = columna(r);
    inf.abundancia = columna(a);
    inf.conteos = std::make_unique<TImagenN<int>>(static_cast<int>(n.size()), 1);
    for (std::size_t j = 0; j < n.size(); ++j) inf.conteos->datos[0][j] = n[j];
}

}  // namespace

TEST(SesgoAjuste, ObjectiveRoundsItsTotalsToSinglePrecision) {
    inferenciaBias inf;
    preparaTablas(inf, {1, 3}, {1, 1}, {0, 5}, {2, 1});
    const float theta[4] = {1.0f, 0.5f, 7.0f, 4.0f};
    // u = (2, 4), U = 6, p = (1/3, 2/3); d = (0.5, 1); Q = 5/6.
    const long double p0 = 2.0L / 6.0L, p1 = 4.0L / 6.0L;
    const float q = static_cast<float>(p0 * 0.5L + p1 * 1.0L);
    const float l0 = static_cast<float>(4.0L * std::log(1.0L - static_cast<long double>(q)));
    const float l1 = static_cast<float>(2.0L * (std::log(p0) + std::log(0.5L)) + 1.0L * (std::log(p1) + std::log(1.0L)));
    const long double esperado = -(static_cast<long double>(l0) + static_cast<long double>(l1));
    EXPECT_EQ(inf.menosLogVerosimilitud(theta), esperado);
    // With no absences only the presences count.
    const float sinAusencias[4] = {1.0f, 0.5f, 3.0f, 0.0f};
    EXPECT_EQ(inf.menosLogVerosimilitud(sinAusencias), -static_cast<long double>(l1));
}

TEST(SesgoSimplex, FindsTheMinimumOfABowlAndStopsAtItsLimits) {
    int llamadas = 0;
    const sesgo::Objetivo cuenco = [&llamadas](const float* t) {
        ++llamadas;
        const long double a = t[0] - 1.0L, b = t[1] - 2.0L, c = t[2] - 4.0L;
        return a * a + 2 * b * b + 3 * c * c;
    };
    float theta[4] = {3.0f, 0.2f, 5.0f, 0.0f};
    const float amplios[2] = {250.0f, 250.0f}, estrechos[2] = {10.0f, 250.0f};
    const sesgo::ResultadoSimplex r = sesgo::simplex(theta, amplios, cuenco);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(theta[i], i == 0 ? 1.0 : 2.0 * i, 1e-2) << i;
    EXPECT_LE(r.evaluaciones, 255);
    EXPECT_EQ(llamadas, r.evaluaciones + 1);  // the count starts at 3 for 4 vertices
    // Tight limits stop it early, the iteration in progress finishing.
    float t2[4] = {3.0f, 0.2f, 5.0f, 0.0f};
    const sesgo::ResultadoSimplex r2 = sesgo::simplex(t2, estrechos, cuenco);
    EXPECT_FALSE(r2.convergio);
    EXPECT_GE(r2.evaluaciones, 10);
    EXPECT_LE(r2.evaluaciones, 14);
}
