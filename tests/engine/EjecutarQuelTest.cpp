// The prediction run: hand-checked small cases, the return codes, and the
// whole run against a plain row-by-row rendering of the same model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "DatosPrueba.h"
#include "engine/ejecutarQuel.h"
#include "engine/funcionesGlobales.h"
#include "engine/tablas.h"
#include "support/progresoPrueba.h"

using prueba::Datos;
using Tabla = TImagenN<long double>;

namespace {

long double valor(const std::unique_ptr<Tabla>& t, int r) { return t->datos[0][static_cast<std::size_t>(r)]; }

ejecutarQuel motor(int hilos = 1) { return ejecutarQuel(hilos); }

// Keeps the run's log; cancels the run when the log reaches `cancelaEn` lines.
struct Registro final : Progreso {
    std::string texto;
    int lineas = 0, cancelaEn = 0;
    void avanza(int) override {}
    void registra(Canal canal, const std::string& linea) override {
        texto += (canal == Canal::kSalida ? "" : "! ") + linea + "\n";
        if (++lineas == cancelaEn) cancela();
    }
};

// ---- a plain rendering of the run: every per-row sum written as a loop
// over pairs and rows, the nearest row found by scanning.
struct Referencia {
    std::vector<long double> pred, cert, pot;
};

Referencia referencia(Datos& d, int tipo) {
    using namespace tablas;
    const int R = d.covariables.renglones, K = d.K;
    std::vector<int> C(static_cast<std::size_t>(K));
    for (int k = 0; k < K; ++k) C[static_cast<std::size_t>(k)] = static_cast<int>(d.categorias.datos[0][static_cast<std::size_t>(k)]);
    struct P { int i, j; Tabla alfa, det, n; long double a0, pi, w; };
    std::vector<P> pares;
    for (int i = 0; i + 1 < K; ++i)
        for (int j = i + 1; j < K; ++j) {
            const int ci = C[static_cast<std::size_t>(i)], cj = C[static_cast<std::size_t>(j)];
            pares.push_back({i, j, Tabla(ci, cj), Tabla(ci, cj), Tabla(ci, cj), 0, 0, 0});
        }
    long double Nv = 0;
    for (int r = 0; r < R; ++r) Nv += d.valida(r) == 1;
    auto ab = [&](const P& p, int r, std::size_t& a, std::size_t& b) {
        a = static_cast<std::size_t>(d.cov(r, p.i) - 1);
        b = static_cast<std::size_t>(d.cov(r, p.j) - 1);
    };
    for (auto& p : pares) {
        const int f = p.alfa.renglones, c = p.alfa.columnas;
        Tabla c1(f, c), c2(f, c), c3(f, c);
        for (int r = 0; r < R; ++r) {
            if (d.valida(r) != 1) continue;
            std::size_t a, b;
            ab(p, r, a, b);
            if (d.clase(r) == 1) c1.datos[b][a] += 1;
            if (d.clase(r) == 2) c2.datos[b][a] += 1;
            if (d.clase(r) == 3) c3.datos[b][a] += 1;
        }
        if (tipo == 0) {
            Tabla x1(f, c), x2(f, c), x3(f, c), m(f, c), D(f, c), q(f, c), num(f, c), den(f, c);
            minimo3(c1, c2, c3, m);
            restaTablas(c1, m, x1); restaTablas(c2, m, x2); restaTablas(c3, m, x3);
            minimo2(x1, x2, m); restaTablas(x1, m, x1); restaTablas(x2, m, x2);
            minimo2(x1, x3, m); restaTablas(x1, m, x1); restaTablas(x3, m, x3);
            minimo2(x2, x3, m); restaTablas(x2, m, x2); restaTablas(x3, m, x3);
            suma3Tablas(x1, x2, x3, D);
            const long double S = sumaTabla(D);
            const long double V = S / (Nv - S + 1);
            p.a0 = V;
            p.pi = V;
            for (std::size_t b = 0; b < static_cast<std::size_t>(c); ++b)
                for (std::size_t a = 0; a < static_cast<std::size_t>(f); ++a) {
                    const long double t = c1.datos[b][a] + c2.datos[b][a] + c3.datos[b][a];
                    q.datos[b][a] = t == 0 ? 0 : (0.95L * c1.datos[b][a] + 0.5L * c2.datos[b][a] + 0.05L * c3.datos[b][a]) / t;
                }
            const long double sq = sumaTabla(q);
            for (std::size_t b = 0; b < static_cast<std::size_t>(c); ++b)
                for (std::size_t a = 0; a < static_cast<std::size_t>(f); ++a)
                    p.alfa.datos[b][a] = sq == 0 ? 0 : V * q.datos[b][a] / sq;
        } else {
            p.a0 = 1;
            p.pi = 1;
            llena(p.alfa, 1.0L / (static_cast<long double>(f) * c));
        }
        llena(p.det, 1);
        for (int r = 0; r < R; ++r) {
            if (d.valida(r) != 1) continue;
            std::size_t a, b;
            ab(p, r, a, b);
            p.det.datos[b][a] *= (1 - static_cast<long double>(d.s(r)));
        }
        for (auto& col : p.det.datos)
            for (auto& v : col) v = v == 1 ? 1 : 1 - v;
    }
    long double sp = 0;
    for (auto& p : pares) sp += p.pi;
    for (auto& p : pares) p.pi = sp == 0 ? 1.0L / static_cast<long double>(pares.size()) : p.pi / sp;
    for (int s = 0; s < d.sitios.renglones; ++s) {
        const int fila = prueba::escaneo(d.covariables, d.coordenadas, d.sitios.datos[0][prueba::z(s)],
                                         d.sitios.datos[1][prueba::z(s)]);
        if (fila < 0) continue;
        for (auto& p : pares) {
            std::size_t a, b;
            ab(p, fila, a, b);
            p.n.datos[b][a] += 1;
        }
    }
    long double sw = 0;
    for (auto& p : pares) {
        const int f = p.alfa.renglones, c = p.alfa.columnas;
        Tabla ne(f, c), th(f, c), x(f, c), y(f, c);
        divideTablas(p.n, p.det, ne);
        const long double Ne = static_cast<float>(sumaTabla(ne));
        const long double s = p.a0 + Ne;
        sumaTablas(p.alfa, ne, x);
        divideEscalar(x, s, th);
        const long double N = std::trunc(sumaTabla(p.n));
        multiplicaTablas(th, p.det, y);
        const long double E = sumaTabla(y);
        const long double T = (N == Ne || E == 1) ? 0 : (Ne - N) * std::log(1 - E);
        long double s1 = 0, s2 = 0;
        for (std::size_t b = 0; b < static_cast<std::size_t>(c); ++b)
            for (std::size_t a = 0; a < static_cast<std::size_t>(f); ++a) {
                const long double al = p.alfa.datos[b][a], n = p.n.datos[b][a], nn = ne.datos[b][a];
                s1 += funcionesGlobales::lnGamma(al + nn) + n * std::log(p.det.datos[b][a]) - funcionesGlobales::lnGamma(al);
                const long double t = th.datos[b][a] == 0 ? 1 : th.datos[b][a];
                s2 += (n - nn) * std::log(t);
            }
        const long double L = std::log(p.pi) + funcionesGlobales::lnGamma(p.a0) - funcionesGlobales::lnGamma(s) + s1 + T + s2;
        p.w = std::exp(L);
        sw += p.w;
    }
    for (auto& p : pares) p.w /= sw;
    Referencia res{std::vector<long double>(static_cast<std::size_t>(R)), std::vector<long double>(static_cast<std::size_t>(R)),
                   std::vector<long double>(static_cast<std::size_t>(R))};
    auto alfaMasN = [&](P& p, Tabla& A, long double& Nint) {
        Tabla ne(p.alfa.renglones, p.alfa.columnas);
        divideTablas(p.n, p.det, ne);
        Nint = std::trunc(sumaTabla(ne));
        sumaTablas(p.alfa, ne, A);
    };
    for (auto& p : pares) {
        Tabla A(p.alfa.renglones, p.alfa.columnas);
        long double Nint;
        alfaMasN(p, A, Nint);
        for (int r = 0; r < R; ++r) {
            if (d.valida(r) != 1) continue;
            std::size_t a, b;
            ab(p, r, a, b);
            res.pred[static_cast<std::size_t>(r)] += p.w * (A.datos[b][a] / (Nint + p.a0));
        }
    }
    for (auto& p : pares) {
        Tabla A(p.alfa.renglones, p.alfa.columnas);
        long double Nint;
        alfaMasN(p, A, Nint);
        const long double B = p.a0 + Nint;
        for (int r = 0; r < R; ++r) {
            if (d.valida(r) != 1) continue;
            long double lo, hi;
            const int m = funcionesGlobales::intervalo(res.pred[static_cast<std::size_t>(r)], 10, lo, hi);
            if (m < 0) continue;
            std::size_t a, b;
            ab(p, r, a, b);
            const long double Ac = A.datos[b][a];
            const long double mu = Ac / (Ac + B);
            const long double sg = std::sqrt(Ac * B / ((Ac + B) * (Ac + B) * (Ac + B + 1)));
            long double v[10], V = 0;
            funcionesGlobales f;
            f.A = Ac;
            f.B = B;
            for (int i = 0; i < 10; ++i) {
                funcionesGlobales::intervalo(static_cast<long double>(i) / 10 + 0.00001L, 10, lo, hi);
                v[i] = 6 * sg >= 0.01L ? funcionesGlobales::integraGauss([&f](long double x) { return f.kernelBeta(x); }, lo, hi)
                                       : (lo < mu && mu <= hi ? 1 : 0);
                V += v[i];
            }
            res.cert[static_cast<std::size_t>(r)] += p.w * (V == 0 ? v[m] : v[m] / V);
        }
    }
    for (auto& p : pares)
        for (int r = 0; r < R; ++r) {
            if (d.valida(r) != 1) continue;
            std::size_t a, b;
            ab(p, r, a, b);
            res.pot[static_cast<std::size_t>(r)] += p.pi * (p.alfa.datos[b][a] / p.a0);
        }
    return res;
}

void mismosBits(const std::vector<long double>& esperado, const Tabla& obtenido, const char* que) {
    ASSERT_EQ(static_cast<std::size_t>(obtenido.renglones), esperado.size());
    for (std::size_t r = 0; r < esperado.size(); ++r)
        ASSERT_EQ(std::memcmp(&esperado[r], &obtenido.datos[0][r], 10), 0)
            << que << " row " << r << ": " << static_cast<double>(esperado[r]) << " vs "
            << static_cast<double>(obtenido.datos[0][r]);
}

bool mismosResultados(const ejecutarQuel& a, const ejecutarQuel& b) {
    auto igual = [](const Tabla& x, const Tabla& y) {
        if (x.renglones != y.renglones || x.columnas != y.columnas) return false;
        for (std::size_t c = 0; c < x.datos.size(); ++c)
            for (std::size_t r = 0; r < x.datos[c].size(); ++r)
                if (std::memcmp(&x.datos[c][r], &y.datos[c][r], 10) != 0) return false;
        return true;
    };
    return igual(*a.predictiva, *b.predictiva) && igual(*a.certidumbre, *b.certidumbre) &&
           igual(*a.potPriori, *b.potPriori);
}

}  // namespace

// One pair (1 x 2 cells), uniform prior, one site: every quantity by hand.
TEST(Motor, UnParCalculadoAMano) {
    Datos d(2, {1, 2}, 1);
    d.cov(1, 1) = 2;
    d.s(0) = d.s(1) = 0.5f;
    d.sitio(0, 0);
    auto q = motor();
    auto v = d.vista();
    ASSERT_EQ(q.preparaPriori(v, 1), 0);
    ASSERT_EQ(q.calculaDeteccion(v), 0);
    ASSERT_EQ(q.cuentaPresencias(v), 0);
    EXPECT_EQ(q.numPares, 1);
    EXPECT_EQ(q.alfas[0]->tabla1->datos[1][0], 0.5L);
    EXPECT_EQ(q.deteccion[0]->datos[0][0], 0.5L);
    EXPECT_EQ(q.conteos[0]->datos, (std::vector<std::vector<long double>>{{1}, {0}}));
    EXPECT_EQ(d.sitios.datos[2][0], 0.0f);
    q.calculaPesos();
    EXPECT_EQ(q.pesos->datos[0][0], 1.0L);  // a single model takes all the weight
    q.calculaPredictiva(v);
    EXPECT_NEAR(static_cast<double>(valor(q.predictiva, 0)), 2.5 / 3, 1e-18);
    EXPECT_NEAR(static_cast<double>(valor(q.predictiva, 1)), 0.5 / 3, 1e-18);
    EXPECT_EQ(q.predictiva->datos[1][0], 0.0L);
    q.calculaCertidumbre(v);
    // Row 0: A = 2.5, B = 1 + 2, p = 5/6 in interval 8: the Beta(2.5, 3) mass of
    // [0.8, 0.9], up to the digits of the rule's nodes.
    EXPECT_NEAR(static_cast<double>(valor(q.certidumbre, 0)), 0.0353348549, 1e-8);
    q.calculaPotPriori(v);
    EXPECT_EQ(q.potPriori->datos[0], (std::vector<long double>{0.5L, 0.5L}));
    EXPECT_TRUE(q.pares.empty() && q.alfas.empty() && !q.pesos && !q.alfaCero);
}

// Prior from the classes, one pair of 1 x 3 cells: dominance, strength and shape.
TEST(Motor, PrioriCalculadaDeLasClases) {
    Datos d(7, {1, 3});
    const int celda[7] = {1, 1, 1, 2, 2, 3, 3};
    const int clase[7] = {1, 1, 2, 2, 2, 0, 3};
    for (int r = 0; r < 7; ++r) {
        d.cov(r, 1) = celda[r];
        d.clase(r) = clase[r];
    }
    auto q = motor();
    ASSERT_EQ(q.preparaPriori(d.vista(), 0), 0);
    // Cells: (2,1,0) -> D = 1; (0,2,0) -> D = 2; (0,0,1) -> D = 1. S = 4, V = 4 / (7 - 4 + 1) = 1.
    EXPECT_EQ(q.alfaCero->datos[0][0], 1.0L);
    EXPECT_EQ(q.pesoPriori->datos[0][0], 1.0L);
    const long double q1 = (0.95L * 2 + 0.5L * 1) / 3, q2 = 0.5L, q3 = 0.05L;
    const long double sq = q1 + q2 + q3;
    const auto& alfa = q.alfas[0]->tabla1->datos;
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(static_cast<double>(alfa[c][0]), static_cast<double>((c == 0 ? q1 : c == 1 ? q2 : q3) / sq), 1e-18);
}

// 20,000 sites in two cells: the spread 6 sigma falls below 0.01 and the
// certainty is a point mass in the interval holding A / (A + B).
TEST(Motor, CertidumbreDePuntoCuandoLaDispersionEsPequena) {
    Datos d(2, {1, 2}, 20000);
    d.cov(1, 1) = 2;
    d.s(0) = d.s(1) = 1;
    for (int i = 0; i < 20000; ++i) d.sitio(i, i < 1000 ? 0 : 1);
    auto q = motor();
    ASSERT_EQ(q.ejecuta(d.vista(), 1), 0);
    // Row 0: p = 1000.5 / 20001 (interval 0), mu = 1000.5 / 21001.5 (interval 0).
    EXPECT_NEAR(static_cast<double>(valor(q.predictiva, 0)), 1000.5 / 20001, 1e-15);
    EXPECT_EQ(valor(q.certidumbre, 0), 1.0L);
    // Row 1: p in interval 9 but mu = 19000.5 / 39001.5 in interval 4.
    EXPECT_EQ(valor(q.certidumbre, 1), 0.0L);
}

TEST(Motor, CodigosTresYOnce) {
    {
        Datos d(3, {2, 2});
        d.priori = TImagenN<int>(2, 2);
        EXPECT_EQ(motor().ejecuta(d.vista(), 0), 3);
    }
    {
        Datos d(3, {2, 2});
        d.cov(2, 1) = 3;  // above C
        auto q = motor();
        EXPECT_EQ(q.ejecuta(d.vista(), 0), 11);
        // The table's line: two category lines, the separator and the title first.
        EXPECT_EQ(q.error().linea, 2 + 2 + 3);
        EXPECT_EQ(q.error().detalle, "covariate number 2: expected a category from 1 to 2, found 3");
        d.cov(2, 1) = 0;  // below 1
        EXPECT_EQ(motor().ejecuta(d.vista(), 1), 11);
        d.valida(2) = 0;  // outside the region: not read
        EXPECT_EQ(motor().ejecuta(d.vista(), 1), 0);
        d.valida(2) = 1;
        d.sesgo = TImagenN<float>(2, 1);  // the bias mismatch is reported first, as the steps order them
        EXPECT_EQ(motor().ejecuta(d.vista(), 1), 3);
    }
    {
        Datos d(3, {2, 2});
        d.categorias = TImagenN<float>(1, 1);  // fewer category counts than covariates
        EXPECT_EQ(motor().ejecuta(d.vista(), 0), 12);
    }
}

TEST(Motor, MemoriaRevisadaAntesDeCrearLasTablas) {
    // A category count of 10^9 needs hundreds of GB of pair tables; the run
    // stops before building them, whatever the machine.
    Datos d(3, {1000000000, 3, 2});
    auto q = motor();
    EXPECT_EQ(q.ejecuta(d.vista(), 0), ejecutarQuel::kMemoria);
    EXPECT_TRUE(q.pares.empty() && q.alfas.empty());
    EXPECT_NE(q.error().detalle.find("covariates number 1 (1000000000 categories) and number 2 (3 categories)"), std::string::npos)
        << q.error().detalle;
    // Many small pairs under a small limit name the count of covariates; a
    // limit that suffices runs.
    Datos muchos(3, std::vector<int>(60, 2));
    q.fijaLimiteMemoria(1 << 20);
    EXPECT_EQ(q.ejecuta(muchos.vista(), 0), ejecutarQuel::kMemoria);
    EXPECT_NE(q.error().detalle.find("60 covariates make 1770 pairs"), std::string::npos) << q.error().detalle;
    q.fijaLimiteMemoria(std::uint64_t{1} << 30);
    EXPECT_EQ(q.ejecuta(muchos.vista(), 0), 0);
    // The estimate grows with the cells of every pair and the rows.
    EXPECT_GT(ejecutarQuel::memoriaNecesaria({10, 10, 10}, 0), ejecutarQuel::memoriaNecesaria({10, 10}, 0));
    EXPECT_GT(ejecutarQuel::memoriaNecesaria({2, 2}, 1000000), ejecutarQuel::memoriaNecesaria({2, 2}, 0));
}

// No classed rows and no sites: every normaliser is zero; the results are
// still numbers (uniform model weights, no prior potential).
TEST(Motor, NormalizadoresCeroNoDanNaN) {
    for (int sitios : {0, 2}) {
        Datos d(4, {2, 2, 2}, sitios);
        d.cov(1, 0) = 2;
        d.cov(2, 1) = 2;
        for (int r = 0; r < 4; ++r) d.clase(r) = 0;
        for (int i = 0; i < sitios; ++i) d.sitio(i, i);
        auto q = motor();
        auto v = d.vista();
        ASSERT_EQ(q.preparaPriori(v, 0), 0);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(q.alfaCero->datos[0][static_cast<std::size_t>(k)], 0.0L);
            EXPECT_EQ(q.pesoPriori->datos[0][static_cast<std::size_t>(k)], 1.0L / 3);
        }
        ASSERT_EQ(q.ejecuta(v, 0), 0);
        for (int r = 0; r < 4; ++r) {
            EXPECT_TRUE(std::isfinite(valor(q.predictiva, r))) << r;
            EXPECT_TRUE(std::isfinite(valor(q.certidumbre, r))) << r;
            EXPECT_EQ(valor(q.potPriori, r), 0.0L) << r;
        }
        if (sitios == 0)
            for (int r = 0; r < 4; ++r) EXPECT_EQ(valor(q.predictiva, r), 0.0L);
        else
            EXPECT_GT(valor(q.predictiva, 0), 0.0L);
    }
}

// Many sites in a region with a strongly informative prior: the
// exponentials of the log-weights underflow; the weights still sum to 1.
TEST(Motor, PesosQueSeSalenDeRangoSeNormalizanEnLogaritmos) {
    auto d = prueba::aleatorio(4000, {2, 3, 4}, 0, 5, 50);
    d->sitios = TImagenN<float>(60000, 3);
    std::mt19937 g(3);
    for (int i = 0; i < 60000; ++i) {
        int r;
        do r = static_cast<int>(g() % 4000); while (d->valida(r) != 1 || d->cov(r, 0) != 1);
        d->sitio(i, r);
    }
    for (int r = 0; r < 4000; ++r) d->s(r) = 1e-4f;
    auto q = motor();
    auto v = d->vista();
    ASSERT_EQ(q.preparaPriori(v, 1), 0);
    ASSERT_EQ(q.calculaDeteccion(v), 0);
    ASSERT_EQ(q.cuentaPresencias(v), 0);
    q.calculaPesos();
    long double suma = 0;
    for (long double w : q.pesos->datos[0]) {
        EXPECT_TRUE(std::isfinite(w));
        suma += w;
    }
    EXPECT_NEAR(static_cast<double>(suma), 1.0, 1e-15);
}

// A cancel request, before the run or in the middle of a step, stops it with
// its own code and leaves no result behind, whatever the thread count.
TEST(Motor, CanceladoSeDetieneSinResultados) {
    Datos d(2, {2, 2, 2}, 1);
    for (int hilos : {1, 3})
        for (int cancelaEn : {-1, 2}) {
            SCOPED_TRACE(std::to_string(hilos) + " threads, cancelled at line " + std::to_string(cancelaEn));
            ejecutarQuel q(hilos);
            Registro r;
            r.cancelaEn = cancelaEn;
            if (cancelaEn < 0) r.cancela();
            EXPECT_EQ(q.ejecuta(d.vista(), 1, r), ejecutarQuel::kCancelado);
            if (cancelaEn > 0) {
                EXPECT_EQ(r.texto.rfind("Iteracion: 1 de 3\nIteracion: 2 de 3\n", 0), 0u) << r.texto;
            }
            EXPECT_FALSE(q.predictiva || q.certidumbre || q.potPriori);
            EXPECT_TRUE(q.pares.empty() && q.alfas.empty());
            EXPECT_EQ(q.ejecuta(d.vista(), 1), 0) << "the engine runs again afterwards";
        }
}

// The whole run against the row-by-row rendering, bit for bit, for both
// prior types, and the same bits whatever the number of threads.
TEST(Motor, IgualAlCalculoFilaPorFilaYAlNumeroDeHilos) {
    for (int tipo : {0, 1}) {
        auto d = prueba::aleatorio(9000, {3, 5, 4, 7}, 300, 11 + static_cast<unsigned>(tipo), 90);
        const Referencia ref = referencia(*d, tipo);
        auto uno = motor(1);
        ASSERT_EQ(uno.ejecuta(d->vista(), tipo), 0);
        mismosBits(ref.pred, *uno.predictiva, "predictive");
        mismosBits(ref.cert, *uno.certidumbre, "certainty");
        mismosBits(ref.pot, *uno.potPriori, "prior potential");
        for (int hilos : {2, 3, 8}) {
            auto varios = motor(hilos);
            ASSERT_EQ(varios.ejecuta(d->vista(), tipo), 0);
            EXPECT_TRUE(mismosResultados(uno, varios)) << hilos << " threads, prior " << tipo;
        }
    }
}

// Covariates of hundreds of categories: the per-pair tables of one pass no
// longer fit together and are taken in groups; the sums stay the same.
TEST(Motor, ParesEnGruposDanLosMismosBits) {
    auto d = prueba::aleatorio(3000, {300, 300, 250, 2}, 200, 4, 60);
    const Referencia ref = referencia(*d, 1);
    auto q = motor(2);
    ASSERT_EQ(q.ejecuta(d->vista(), 1), 0);
    mismosBits(ref.pred, *q.predictiva, "predictive");
    mismosBits(ref.cert, *q.certidumbre, "certainty");
    mismosBits(ref.pot, *q.potPriori, "prior potential");
}

// No input found so far makes an integral of the certainty negative; the
// check that stops the run then is tested on its own.
TEST(Motor, IntegralNegativaDetieneLaCorridaConSuAviso) {
    prueba::ProgresoPrueba p;
    ejecutarQuel::compruebaIntegral(0.0L, &p);
    EXPECT_TRUE(p.registro.empty());
    try {
        ejecutarQuel::compruebaIntegral(-1e-30L, &p);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "El resultado de la integral es menor a cero");
    }
    ASSERT_EQ(p.registro.size(), 1u);
    EXPECT_EQ(p.registro[0].rfind("err: El resultado de la integral es menor a cero: ", 0), 0u) << p.registro[0];
    EXPECT_THROW(ejecutarQuel::compruebaIntegral(-1.0L, nullptr), std::runtime_error);
}
