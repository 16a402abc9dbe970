// The evaluation's scores on cases small enough to work out by hand, and the
// partitions of sites into folds.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>

#include "engine/metricas.h"

namespace m = quel::metricas;

namespace {

std::vector<double> ordenado(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::map<int, int> tamanos(const std::vector<int>& pliegues) {
    std::map<int, int> t;
    for (int p : pliegues) ++t[p];
    return t;
}

}  // namespace

TEST(Metricas, AucCountsTiesOneHalf) {
    struct Caso {
        const char* nombre;
        std::vector<double> presencias, fondo;
        double esperado;
    };
    const Caso casos[] = {
        {"perfect ranking", {0.9, 0.8}, {0.1, 0.2, 0.3}, 1.0},
        {"reversed ranking", {0.1, 0.2}, {0.8, 0.9}, 0.0},
        {"all tied", {0.5, 0.5}, {0.5, 0.5, 0.5}, 0.5},
        {"one above, one tie, one below", {0.5}, {0.4, 0.5, 0.6}, 0.5},
        {"three of four pairs", {0.3, 0.7}, {0.2, 0.5}, 0.75},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_DOUBLE_EQ(m::auc(c.presencias, ordenado(c.fondo)), c.esperado);
    }
    EXPECT_TRUE(std::isnan(m::auc({}, {0.1})));
    const auto roc = m::curvaROC({0.3, 0.7}, {0.2, 0.5});
    ASSERT_EQ(roc.size(), 4u);  // (0,0), at 0.7, at 0.3, (1,1)
    EXPECT_DOUBLE_EQ(roc[1].falsos, 0.0);
    EXPECT_DOUBLE_EQ(roc[1].verdaderos, 0.5);
    EXPECT_DOUBLE_EQ(roc[2].falsos, 0.5);
    EXPECT_DOUBLE_EQ(roc[2].verdaderos, 1.0);
}

// Background cells at i/1000 and presence i/1000 repeated i times: in every
// window the ratio is the window's mean i over the overall mean, rising with
// the window (index 1); repeated 1000 - i times it falls (index -1).
TEST(Metricas, BoyceFollowsTheRatioCurve) {
    std::vector<double> fondo, crece, decrece;
    for (int i = 0; i <= 1000; ++i) {
        fondo.push_back(i / 1000.0);
        crece.insert(crece.end(), static_cast<std::size_t>(i), i / 1000.0);
        decrece.insert(decrece.end(), static_cast<std::size_t>(1000 - i), i / 1000.0);
    }
    const m::Boyce b = m::boyce(crece, fondo);
    ASSERT_EQ(b.ventanas.size(), 100u);
    EXPECT_NEAR(b.indice, 1.0, 1e-12);
    EXPECT_NEAR(b.ventanas[0].centro, 0.05, 1e-12);
    EXPECT_NEAR(b.ventanas[0].razon, 0.1, 1e-12);  // i = 0..100: mean 50 against 500
    EXPECT_NEAR(b.ventanas[99].centro, 0.95, 1e-12);
    EXPECT_NEAR(m::boyce(decrece, fondo).indice, -1.0, 1e-12);
    // Windows without background are left out: two clusters leave a gap.
    const m::Boyce huecos = m::boyce({0.0, 1.0, 1.0}, {0.0, 0.0, 1.0, 1.0});
    EXPECT_TRUE(std::isnan(huecos.ventanas[50].razon));
    EXPECT_NEAR(huecos.indice, 1.0, 1e-12);
}

TEST(Metricas, OmissionAtTheTrainingThresholds) {
    std::vector<double> entrenamiento;
    for (int i = 10; i >= 1; --i) entrenamiento.push_back(i / 10.0);
    EXPECT_DOUBLE_EQ(m::umbralMinimo(entrenamiento), 0.1);
    EXPECT_DOUBLE_EQ(m::umbralDecimo(entrenamiento), 0.2);  // one of ten training sites below
    EXPECT_DOUBLE_EQ(m::umbralDecimo({0.9, 0.5, 0.7}), 0.7); // below 10 sites: position floor(2.7) = 2
    const std::vector<double> prueba = {0.05, 0.15, 0.3, 0.5};
    EXPECT_DOUBLE_EQ(m::omision(prueba, 0.1), 0.25);
    EXPECT_DOUBLE_EQ(m::omision(prueba, 0.2), 0.5);
    EXPECT_TRUE(std::isnan(m::omision({}, 0.2)));
}

TEST(Metricas, SummaryAndImportance) {
    const m::Resumen s = m::resume({1, 2, 3, NAN}, false);
    EXPECT_DOUBLE_EQ(s.media, 2);
    EXPECT_DOUBLE_EQ(s.desviacion, 1);
    EXPECT_DOUBLE_EQ(m::resume({1, 2, 3}, true).desviacion, std::sqrt(2.0 / 3 * 2));
    // Pairs (0,1), (0,2), (1,2).
    const std::vector<double> imp = m::importancia(3, {0.5L, 0.3L, 0.2L});
    EXPECT_DOUBLE_EQ(imp[0], 0.8);
    EXPECT_DOUBLE_EQ(imp[1], 0.7);
    EXPECT_DOUBLE_EQ(imp[2], 0.5);
    EXPECT_DOUBLE_EQ(std::accumulate(imp.begin(), imp.end(), 0.0), 2.0);
    EXPECT_EQ(m::texto(NAN), "");
    EXPECT_EQ(m::texto(0.123456789), "0.123457");
}

TEST(Metricas, PartitionsCoverEverySiteOnceWithTheirSizes) {
    const auto aleatoria = m::particionAleatoria(13, 5, 42);
    EXPECT_EQ(tamanos(aleatoria), (std::map<int, int>{{1, 3}, {2, 3}, {3, 3}, {4, 2}, {5, 2}}));
    EXPECT_EQ(aleatoria, m::particionAleatoria(13, 5, 42));
    EXPECT_NE(aleatoria, m::particionAleatoria(13, 5, 43));
    // Fixed by the generator's standard sequence, whatever the library.
    EXPECT_EQ(m::particionAleatoria(6, 3, 1), (std::vector<int>{3, 1, 3, 2, 1, 2}));

    // Ten sites on a line going up and right: the lower five, then by x.
    std::vector<double> x, y;
    for (int i = 0; i < 10; ++i) {
        x.push_back(i % 2 ? 9 - i : i);
        y.push_back(i);
    }
    const auto bloques = m::particionBloques(x, y);
    EXPECT_EQ(tamanos(bloques), (std::map<int, int>{{1, 3}, {2, 2}, {3, 3}, {4, 2}}));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(bloques[static_cast<std::size_t>(i)] <= 2, i < 5) << i;

    // A 4 x 4 grid in squares of 2 x 2: cells 0, 1, 4, 5 in fold 1, 2 and 3 in fold 2.
    const auto ajedrez = m::particionAjedrez({0, 1, 4, 5, 2, 3, 10, 15}, 4, 2);
    EXPECT_EQ(ajedrez, (std::vector<int>{1, 1, 1, 1, 2, 2, 1, 1}));
    EXPECT_EQ(m::particionJackknife(3), (std::vector<int>{1, 2, 3}));
}
