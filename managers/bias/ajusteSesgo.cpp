// The likelihood fit of the bias inference: objective, detectability and the
// Nelder-Mead simplex. The fit often ends at its evaluation limit on a flat
// objective, so every rounding point below is deliberate: the parameters are
// single precision, the per-combination terms extended, the totals U, Q, L0
// and L1 rounded to single precision where they are formed, and the simplex
// works in double.
#include <cmath>
#include <utility>

#include "managers/bias/inferenciaBias.h"

namespace sesgo {

namespace {

constexpr double kTolerancia = 0.000001;

struct Simplex {
    double v[4][3];
    double f[4];

    void intercambia(int a, int b) {
        for (int c = 0; c < 3; ++c) std::swap(v[a][c], v[b][c]);
        std::swap(f[a], f[b]);
    }
    // Four passes of neighbour exchanges; only a strictly smaller value moves
    // up, so equal values keep their order.
    void ordena() {
        for (int pasada = 0; pasada < 4; ++pasada)
            for (int i = 1; i < 4; ++i)
                if (f[i] < f[i - 1]) intercambia(i, i - 1);
    }
    bool convergio() const {
        double dx = 0, df = 0;
        for (int i = 1; i < 4; ++i) {
            for (int c = 0; c < 3; ++c) {
                const double d = std::fabs(v[i][c] - v[0][c]);
                if (d > dx) dx = d;
            }
            const double d = std::fabs(f[i] - f[0]);
            if (d > df) df = d;
        }
        return dx <= kTolerancia && df <= kTolerancia;
    }
};

}  // namespace

ResultadoSimplex simplex(float* theta, const float* limites, const Objetivo& objetivo) {
    // Each trial point goes into the single-precision parameter vector first.
    auto evalua = [&](const double* p) {
        for (int c = 0; c < 3; ++c) theta[c] = static_cast<float>(p[c]);
        return static_cast<double>(objetivo(theta));
    };
    Simplex s;
    for (int c = 0; c < 3; ++c) s.v[0][c] = static_cast<double>(theta[c]);
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) s.v[i + 1][c] = s.v[0][c];
        s.v[i + 1][i] = s.v[0][i] == 0 ? 0.00025 : s.v[0][i] * 1.05;
    }
    for (int i = 0; i < 4; ++i) s.f[i] = evalua(s.v[i]);
    s.ordena();

    ResultadoSimplex r;
    int evaluaciones = 3;
    int iteraciones = 1;
    const long double tercio = 1.0L / 3.0L;
    while (evaluaciones < limites[0] && iteraciones < limites[1]) {
        if (s.convergio()) {
            r.convergio = true;
            break;
        }
        double c[3], w[3], pr[3];
        for (int k = 0; k < 3; ++k) {
            const double suma = s.v[0][k] + s.v[1][k] + s.v[2][k];
            c[k] = static_cast<double>(static_cast<long double>(suma) * tercio);
            w[k] = s.v[3][k];
            pr[k] = 2.0 * c[k] - w[k];
        }
        const double fr = evalua(pr);
        ++evaluaciones;
        bool encoge = false;
        auto reemplazaPeor = [&](const double* p, double fp) {
            for (int k = 0; k < 3; ++k) s.v[3][k] = p[k];
            s.f[3] = fp;
        };
        if (fr < s.f[0]) {
            double pe[3];
            for (int k = 0; k < 3; ++k) pe[k] = 3.0 * c[k] - 2.0 * w[k];
            const double fe = evalua(pe);
            ++evaluaciones;
            if (fe < fr)
                reemplazaPeor(pe, fe);
            else
                reemplazaPeor(pr, fr);
        } else if (fr < s.f[2]) {
            reemplazaPeor(pr, fr);
        } else if (fr < s.f[3]) {
            double po[3];
            for (int k = 0; k < 3; ++k) po[k] = 1.5 * c[k] - 0.5 * w[k];
            const double fo = evalua(po);
            ++evaluaciones;
            if (fo <= fr)
                reemplazaPeor(po, fo);
            else
                encoge = true;
        } else {
            double pq[3];
            for (int k = 0; k < 3; ++k) pq[k] = 0.5 * c[k] + 0.5 * w[k];
            const double fq = evalua(pq);
            ++evaluaciones;
            if (fq < s.f[3])
                reemplazaPeor(pq, fq);
            else
                encoge = true;
        }
        if (encoge) {
            // Vertices 1 to 3 move halfway toward vertex 0.
            for (int i = 1; i < 4; ++i) {
                for (int k = 0; k < 3; ++k) s.v[i][k] = s.v[0][k] + 0.5 * (s.v[i][k] - s.v[0][k]);
                s.f[i] = evalua(s.v[i]);
            }
            evaluaciones += 3;
        }
        s.ordena();
        ++iteraciones;
    }
    for (int c = 0; c < 3; ++c) theta[c] = static_cast<float>(s.v[0][c]);
    r.evaluaciones = evaluaciones;
    r.iteraciones = iteraciones;
    return r;
}

}  // namespace sesgo

void inferenciaBias::detectabilidad(float theta1, std::vector<long double>& d) const {
    const int j = abundancia ? abundancia->renglones : 0;
    d.resize(static_cast<std::size_t>(j));
    const float t = 1.0f / theta1;
    const long double tt = t;
    const long double pendiente = theta1;
    for (int i = 0; i < j; ++i) {
        const long double a = abundancia->datos[0][static_cast<std::size_t>(i)];
        long double di;
        if (a >= tt)
            di = 1.0L;
        else if (a == 0.0L)
            di = pendiente;  // a zero abundance counts as one
        else
            di = a * pendiente;
        d[static_cast<std::size_t>(i)] = di;
    }
}

long double inferenciaBias::menosLogVerosimilitud(const float* theta) const {
    const int j = sumaCiudades ? sumaCiudades->renglones : 0;
    const auto& cc = sumaCiudades->datos[0];
    const auto& rr = sumaCarreteras->datos[0];
    const auto& n = conteos->datos[0];
    const long double t0 = theta[0];

    std::vector<long double> u(static_cast<std::size_t>(j));
    long double sumaU = 0;
    for (int i = 0; i < j; ++i) {
        u[static_cast<std::size_t>(i)] = t0 * cc[static_cast<std::size_t>(i)] + rr[static_cast<std::size_t>(i)];
        sumaU += u[static_cast<std::size_t>(i)];
    }
    const long double U = static_cast<float>(sumaU);

    std::vector<long double> d;
    detectabilidad(theta[1], d);

    long double sumaQ = 0;
    long double sumaL1 = 0;
    for (int i = 0; i < j; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        const long double p = u[k] / U;
        sumaQ += p * d[k];
        // A combination without presences adds 0 x (ln p + ln d), which is an
        // exact zero when both logarithms are finite; only then is it skipped.
        const bool ceroExacto = n[k] == 0 && p > 0.0L && std::isfinite(p) && d[k] > 0.0L && std::isfinite(d[k]);
        if (!ceroExacto)
            sumaL1 += static_cast<long double>(n[k]) * (std::log(p) + std::log(d[k]));
    }
    const float Q = static_cast<float>(sumaQ);
    const float L0 = static_cast<float>(static_cast<long double>(theta[3]) * std::log(1.0L - static_cast<long double>(Q)));
    const float L1 = static_cast<float>(sumaL1);
    return -(static_cast<long double>(L0) + static_cast<long double>(L1));
}

void inferenciaBias::estimaSesgo(float razonInicial, float pendienteInicial, float numeroSitios, float ausencias) {
    float theta[4] = {razonInicial, pendienteInicial, numeroSitios + ausencias, ausencias};
    const float limites[2] = {250.0f, 250.0f};
    const int j = sumaCiudades ? sumaCiudades->renglones : 0;
    const bool listo = sumaCarreteras && sumaCarreteras->renglones == j && abundancia && abundancia->renglones == j &&
                       conteos && conteos->renglones == j;
    if (!listo) {
        ajuste_ = {};
        sesgo.reset();
        return;
    }
    sesgo::ResultadoSimplex r =
        sesgo::simplex(theta, limites, [this](const float* th) { return menosLogVerosimilitud(th); });

    // The bias depends on the fitted weight alone.
    const long double t0 = theta[0];
    const auto& cc = sumaCiudades->datos[0];
    const auto& rr = sumaCarreteras->datos[0];
    auto nuevo = std::make_unique<TImagenN<long double>>(j, 1);
    auto& b = nuevo->datos[0];
    long double total = 0;
    for (int i = 0; i < j; ++i) {
        b[static_cast<std::size_t>(i)] = t0 * cc[static_cast<std::size_t>(i)] + rr[static_cast<std::size_t>(i)];
        total += b[static_cast<std::size_t>(i)];
    }
    for (int i = 0; i < j; ++i) b[static_cast<std::size_t>(i)] = b[static_cast<std::size_t>(i)] / total;
    sesgo = std::move(nuevo);
    ajuste_.hecho = true;
    ajuste_.peso = theta[0];
    ajuste_.pendiente = theta[1];
    ajuste_.simplex = r;
}
