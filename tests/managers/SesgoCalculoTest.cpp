// The bias inference's arithmetic on tables set up in memory: the distance
// rounding, combinations, presence counts, detectability, the objective and
// the Nelder-Mead simplex.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
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

// ------------------------------------------------------------ distances ---

TEST(SesgoDistancia, RoundsToThreeDecimalsAsTheTextFormatDoesWithHalvesAwayFromZero) {
    using sesgo::redondeaMilesimas;
    // Exact halves go up, where printf's "%.3f" would go to even.
    EXPECT_EQ(redondeaMilesimas(0.0625f), leeExtendido("0.063"));
    EXPECT_EQ(redondeaMilesimas(2.5f), 2.5L);
    // The float nearest 0.0005 lies just above it.
    EXPECT_EQ(redondeaMilesimas(0.0005f), leeExtendido("0.001"));
    // The float nearest 2.0005 lies just below it.
    EXPECT_EQ(redondeaMilesimas(2.0005f), 2.0L);
    EXPECT_EQ(redondeaMilesimas(123456.789f), leeExtendido("123456.789"));

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

// --------------------------------------------------------- combinations ---

TEST(SesgoCombinaciones, FollowTheLastOccurrenceOfEachKeyAndIgnoreTheRegionFlag) {
    inferenciaBias inf;
    // Keys (c1, c2); the last column is the region flag.
    inf.covariables = tablaInt({{1, 1, 1}, {2, 1, 1}, {1, 1, 0}, {3, 3, 1}, {2, 1, 1}, {1, 2, 1}});
    inf.combinacionesDistintas();
    ASSERT_EQ(inf.combinaciones->renglones, 4);
    ASSERT_EQ(inf.combinaciones->columnas, 2);
    const std::vector<std::pair<int, int>> esperadas = {{1, 1}, {3, 3}, {2, 1}, {1, 2}};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(inf.combinaciones->datos[0][j], esperadas[j].first) << j;
        EXPECT_EQ(inf.combinaciones->datos[1][j], esperadas[j].second) << j;
    }
    EXPECT_EQ(inf.celdasDe(0), (std::vector<int>{0, 2}));
    EXPECT_EQ(inf.celdasDe(2), (std::vector<int>{1, 4}));
    EXPECT_EQ(inf.combinacionDe(2), 0);
    EXPECT_EQ(inf.combinacionDe(5), 3);
    EXPECT_EQ(inf.combinacionDe(6), -1);
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
    // Row i is kept when no later row has its key.
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
    }
}

// --------------------------------------------------------------- counts ---

TEST(SesgoConteos, CountEverySiteInTheCombinationOfItsRowAndSkipUnassignedSites) {
    inferenciaBias inf;
    inf.covariables = tablaInt({{1, 1}, {2, 1}, {1, 1}, {3, 0}});
    inf.combinacionesDistintas();  // combinations: row 1 (2), row 2 (1), row 3 (3)
    TImagenN<float> sitios(6, 3);
    const float filas[] = {0, 2, 1, -1, 3, 9};  // -1: no row within reach; 9: no such row
    for (int s = 0; s < 6; ++s) sitios.datos[2][s] = filas[s];
    inf.cuentaPresencias(sitios);
    ASSERT_EQ(inf.conteos->renglones, 3);
    EXPECT_EQ(inf.conteos->datos[0][0], 1);  // key 2: row 1
    EXPECT_EQ(inf.conteos->datos[0][1], 2);  // key 1: rows 0 and 2
    EXPECT_EQ(inf.conteos->datos[0][2], 1);  // key 3: row 3, outside the region but counted
}

// ------------------------------------------------------------- the fit ---

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

TEST(SesgoAjuste, DetectabilityIsOneFromTheBoundOnAndTheSlopeForZeroAbundance) {
    inferenciaBias inf;
    preparaTablas(inf, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 2, 4, 10}, {0, 0, 0, 0});
    std::vector<long double> d;
    inf.detectabilidad(0.25f, d);  // Cota 4
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0], 0.25L);  // zero abundance counts as one
    EXPECT_EQ(d[1], 0.5L);
    EXPECT_EQ(d[2], 1.0L);  // at the bound
    EXPECT_EQ(d[3], 1.0L);
}

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

TEST(SesgoAjuste, ObjectiveFollowsIeeeArithmeticWhereACombinationHasNoInfluence) {
    inferenciaBias inf;
    // u = 0 for the first combination: ln 0 with no presence there gives 0 x -inf.
    preparaTablas(inf, {0, 1}, {0, 1}, {5, 5}, {0, 1});
    const float theta[4] = {1.0f, 0.5f, 1.0f, 0.0f};
    EXPECT_TRUE(std::isnan(inf.menosLogVerosimilitud(theta)));
    // A presence there makes the likelihood 0 (and so does Q = 1 with absences).
    preparaTablas(inf, {0, 1}, {0, 1}, {5, 5}, {1, 1});
    const float conAusencias[4] = {1.0f, 0.5f, 2.0f, 1.0f};
    EXPECT_EQ(inf.menosLogVerosimilitud(conAusencias), std::numeric_limits<long double>::infinity());
}

namespace {

struct Registro {
    std::vector<std::array<float, 4>> llamadas;
    sesgo::Objetivo objetivo(std::function<long double(const float*)> f) {
        return [this, f](const float* t) {
            llamadas.push_back({t[0], t[1], t[2], t[3]});
            return f(t);
        };
    }
};

const float kLimites[2] = {250.0f, 250.0f};

}  // namespace

TEST(SesgoSimplex, BuildsTheStartVerticesAndGivesAZeroCoordinateTheSmallStep) {
    Registro reg;
    float theta[4] = {0.0f, 0.5f, 10.0f, 3.0f};  // Alfa = 0
    sesgo::simplex(theta, kLimites, reg.objetivo([](const float*) { return 1.0L; }));
    ASSERT_GE(reg.llamadas.size(), 4u);
    EXPECT_EQ(reg.llamadas[0], (std::array<float, 4>{0.0f, 0.5f, 10.0f, 3.0f}));
    EXPECT_EQ(reg.llamadas[1], (std::array<float, 4>{0.00025f, 0.5f, 10.0f, 3.0f}));
    EXPECT_EQ(reg.llamadas[2], (std::array<float, 4>{0.0f, static_cast<float>(0.5 * 1.05), 10.0f, 3.0f}));
    EXPECT_EQ(reg.llamadas[3], (std::array<float, 4>{0.0f, 0.5f, static_cast<float>(10.0 * 1.05), 3.0f}));
    for (const auto& l : reg.llamadas) EXPECT_EQ(l[3], 3.0f);  // the absences stay fixed
}

TEST(SesgoSimplex, AFlatObjectiveShrinksTowardTheStartUntilTheCoordinatesMeet) {
    // Equal values never reorder the vertices: every iteration reflects,
    // contracts inside, fails (not strictly better) and shrinks toward the
    // start: five evaluations each; the evaluations start counting at 3.
    for (const long double valor : {2.0L, std::numeric_limits<long double>::quiet_NaN()}) {
        Registro reg;
        float theta[4] = {0.4f, 0.5f, 10.0f, 3.0f};
        const sesgo::ResultadoSimplex r = sesgo::simplex(theta, kLimites, reg.objetivo([valor](const float*) { return valor; }));
        // The largest spread, 0.5 in the third coordinate, halves until it is at most 1e-6: 19 shrinks.
        EXPECT_TRUE(r.convergio);
        EXPECT_EQ(r.iteraciones, 20);
        EXPECT_EQ(r.evaluaciones, 3 + 5 * 19);
        EXPECT_EQ(reg.llamadas.size(), 4u + 5u * 19u);
        EXPECT_EQ(theta[0], 0.4f);
        EXPECT_EQ(theta[1], 0.5f);
        EXPECT_EQ(theta[2], 10.0f);
        // The first trial after the start vertices is the reflection of the worst (the last built).
        const auto& refl = reg.llamadas[4];
        const double c2 = static_cast<double>(static_cast<long double>(10.0 + 10.0 + 10.0) * (1.0L / 3.0L));
        EXPECT_EQ(refl[2], static_cast<float>(2.0 * c2 - 10.0 * 1.05));
    }
}

TEST(SesgoSimplex, FindsTheMinimumOfABowlAndStopsAtItsLimits) {
    Registro reg;
    float theta[4] = {3.0f, 0.2f, 5.0f, 0.0f};
    auto cuenco = [](const float* t) {
        const long double a = t[0] - 1.0L, b = t[1] - 2.0L, c = t[2] - 4.0L;
        return a * a + 2 * b * b + 3 * c * c;
    };
    const sesgo::ResultadoSimplex r = sesgo::simplex(theta, kLimites, reg.objetivo(cuenco));
    EXPECT_NEAR(theta[0], 1.0, 1e-2);
    EXPECT_NEAR(theta[1], 2.0, 1e-2);
    EXPECT_NEAR(theta[2], 4.0, 1e-2);
    EXPECT_LE(r.evaluaciones, 255);
    EXPECT_EQ(static_cast<int>(reg.llamadas.size()), r.evaluaciones + 1);  // the count starts at 3 for 4 vertices

    // Tight limits stop it early, the iteration in progress finishing.
    Registro corto;
    float t2[4] = {3.0f, 0.2f, 5.0f, 0.0f};
    const float limites[2] = {10.0f, 250.0f};
    const sesgo::ResultadoSimplex r2 = sesgo::simplex(t2, limites, corto.objetivo(cuenco));
    EXPECT_FALSE(r2.convergio);
    EXPECT_GE(r2.evaluaciones, 10);
    EXPECT_LE(r2.evaluaciones, 14);
}

TEST(SesgoSimplex, ReturnsTheBestVertexEvenWhenTheStartIsNotIt) {
    float theta[4] = {5.0f, 1.0f, 1.0f, 0.0f};
    const float limites[2] = {4.0f, 250.0f};  // one iteration
    std::vector<std::array<float, 4>> vistos;
    const sesgo::ResultadoSimplex r = sesgo::simplex(theta, limites, [&](const float* t) {
        vistos.push_back({t[0], t[1], t[2], t[3]});
        return static_cast<long double>(t[0]);  // smaller first coordinate is better
    });
    EXPECT_EQ(r.iteraciones, 2);
    // The reflection moved the first coordinate down past the start; the expansion further.
    float mejor = vistos[0][0];
    for (const auto& v : vistos) mejor = std::min(mejor, v[0]);
    EXPECT_EQ(theta[0], mejor);
}

TEST(SesgoAjuste, FinalBiasDependsOnTheFittedWeightAloneAndSumsToOne) {
    inferenciaBias inf;
    preparaTablas(inf, {2, 0.5, 1}, {1, 3, 0.25}, {100, 100, 100}, {3, 1, 0});
    inf.estimaSesgo(1.0f, 0.01f, 4.0f, 10.0f);
    ASSERT_TRUE(inf.ajuste().hecho);
    ASSERT_EQ(inf.sesgo->renglones, 3);
    const long double t0 = inf.ajuste().peso;
    const long double u[3] = {t0 * 2 + 1, t0 * 0.5L + 3, t0 * 1 + 0.25L};
    const long double total = u[0] + u[1] + u[2];
    long double suma = 0;
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(inf.sesgo->datos[0][j], u[j] / total);
        suma += inf.sesgo->datos[0][j];
    }
    EXPECT_NEAR(static_cast<double>(suma), 1.0, 1e-15);
    EXPECT_GE(inf.ajuste().simplex.evaluaciones, 3);
}
