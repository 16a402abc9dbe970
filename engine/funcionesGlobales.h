#pragma once
#include <string>
// Numerical routines of the engine and the bias inference.
#include <functional>

class funcionesGlobales {
public:
    static long double lnGamma(long double x);
    // Index of the interval [i/M, (i+1)/M) holding x, or -1; lo and hi get the bounds tried last.
    static int intervalo(long double x, int M, long double& lo, long double& hi);
    // 10-point Gauss-Legendre quadrature of f over [a, b].
    static long double integraGauss(const std::function<long double(long double)>& f, long double a,
                                    long double b);
    static long double potencia(long double base, long double exponente);
    static int redondea(long double x);
    // Principal branch of Lambert W, in double precision. Never ends the
    // process: when ten Halley rounds do not settle it returns the last
    // iterate and sets `*converge` (when given) to false. NaN below -1/e.
    static double LambertW(double z, bool* converge = nullptr);
    // The log line of a LambertW(z) that did not settle.
    static std::string avisoLambertW(double z);
    // Error function (piecewise polynomial), in double precision.
    static double erf(double x);

    // Shape pair of the Beta integrand used by the certainty step.
    long double A = 1, B = 1;
    long double kernelBeta(long double x) const;

    // Nodes and weights of the 10-point rule (the positive half).
    static constexpr long double kNodos[5] = {0.1488743389L, 0.4333953941L, 0.6794095682L,
                                              0.8650633666L, 0.9739065285L};
    static constexpr long double kPesos[5] = {0.2955242247L, 0.2692667193L, 0.2190863625L,
                                              0.1494513491L, 0.0666713443L};

    // The same quadrature for any callable (no indirection per evaluation).
    template <class F>
    static long double integraGaussCon(const F& f, long double a, long double b) {
        const long double xm = 0.5L * (b + a);
        const long double xr = 0.5L * (b - a);
        long double s = 0;
        for (int j = 0; j < 5; ++j) {
            const long double dx = xr * kNodos[j];
            s = s + kPesos[j] * (f(xm + dx) + f(xm - dx));
        }
        return s * xr;
    }
};
