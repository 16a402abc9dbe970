#pragma once
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
    // Principal branch of Lambert W, in double precision.
    static double LambertW(double z);
    // Error function (piecewise polynomial), in double precision.
    static double erf(double x);

    // Shape pair of the Beta integrand used by the certainty step.
    long double A = 1, B = 1;
    long double kernelBeta(long double x) const;
};
