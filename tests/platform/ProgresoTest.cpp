// The progress shares and step counter, and the parallel loop that carries a
// worker's exception back.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Paralelo.h"
#include "support/progresoPrueba.h"

using Cuenta = prueba::ProgresoPrueba;

TEST(Progreso, TramosYPasosDanSuParteExacta) {
    const struct {
        int parte;
        long long total;
        std::vector<long long> pasos;
        int esperado;
    } casos[] = {
        {60, 100, {50}, 30},     // half the steps, half the share
        {60, 3, {1, 1, 1}, 60},  // few steps: the whole share once done
        {90, 1000000, {1}, 0},   // less than a point
        {7, 0, {}, 0},           // no steps at all
        {100, 10, {30}, 100},    // more steps than announced: never past the share
    };
    for (const auto& c : casos) {
        SCOPED_TRACE("share " + std::to_string(c.parte) + " of " + std::to_string(c.total) + " steps");
        Cuenta raiz;
        ProgresoTramo tramo(raiz, c.parte);
        PasosProgreso pasos(tramo, c.total, 100);
        for (long long n : c.pasos) EXPECT_TRUE(pasos.paso(n));
        EXPECT_EQ(raiz.puntos, c.esperado);
        pasos.termina();
        EXPECT_EQ(raiz.puntos, c.parte) << "the whole share once the loop is done";
    }
    // A share of a share, given as absolute values.
    Cuenta raiz;
    ProgresoTramo exterior(raiz, 50), interior(exterior, 40);
    interior.fija(50);
    EXPECT_EQ(raiz.puntos, 10);
    interior.fija(200);
    interior.termina();
    EXPECT_EQ(raiz.puntos, 20);
}

TEST(Paralelo, CadaElementoUnaVezYElPrimerErrorVuelve) {
    for (int hilos : {1, 2, 7}) {
        SCOPED_TRACE(std::to_string(hilos) + " threads");
        std::vector<std::atomic<int>> vistos(1000);
        quel::paraCada(1000, hilos, [&](int i) { ++vistos[static_cast<std::size_t>(i)]; });
        for (const auto& v : vistos) ASSERT_EQ(v.load(), 1);

        std::atomic<int> hechos{0};
        const auto falla = [&](int i) {
            if (i == 3) throw std::runtime_error("item 3");
            ++hechos;
        };
        EXPECT_THROW(quel::paraCada(1000, hilos, falla), std::runtime_error);
        if (hilos == 1) {
            EXPECT_EQ(hechos.load(), 3) << "no item after the one that threw";
        }

        // A cancel request stops new items; a cancelled run starts none.
        Cuenta p;
        std::atomic<int> tras{0}, ninguno{0};
        const auto cancela = [&](int i) {
            if (i == 10) p.cancela();
            if (i > 10 + hilos) ++tras;
        };
        EXPECT_THROW(quel::paraCada(1000, hilos, cancela, &p), quel::Cancelado);
        if (hilos == 1) {
            EXPECT_EQ(tras.load(), 0);
        }
        EXPECT_THROW(quel::paraCada(5, hilos, [&](int) { ++ninguno; }, &p), quel::Cancelado);
        EXPECT_EQ(ninguno.load(), 0);
    }
}
