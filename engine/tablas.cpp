#include "engine/tablas.h"

#include <cmath>

#include "engine/funcionesGlobales.h"

namespace tablas {

namespace {

// out(r, c) = f(A(r, c), B(r, c)) over every cell, columns first.
template <class F>
void porCelda(const Tabla& A, const Tabla& B, Tabla& C, F f) {
    for (std::size_t c = 0; c < A.datos.size(); ++c) {
        const auto& a = A.datos[c];
        const auto& b = B.datos[c];
        auto& o = C.datos[c];
        for (std::size_t r = 0; r < a.size(); ++r) o[r] = f(a[r], b[r]);
    }
}

template <class F>
void porCelda1(const Tabla& A, Tabla& C, F f) {
    for (std::size_t c = 0; c < A.datos.size(); ++c) {
        const auto& a = A.datos[c];
        auto& o = C.datos[c];
        for (std::size_t r = 0; r < a.size(); ++r) o[r] = f(a[r]);
    }
}

}  // namespace

int divideTablas(const Tabla& A, const Tabla& B, Tabla& C) {
    if (!igualTalla(A, B) || !igualTalla(B, C)) return kTallaDistinta;
    porCelda(A, B, C, [](long double a, long double b) { return b == 0 ? 0.0L : a / b; });
    return 0;
}

int sumaTablas(const Tabla& A, const Tabla& B, Tabla& C) {
    if (!igualTalla(A, B) || !igualTalla(B, C)) return kTallaDistinta;
    porCelda(A, B, C, [](long double a, long double b) { return a + b; });
    return 0;
}

int restaTablas(const Tabla& A, const Tabla& B, Tabla& C) {
    if (!igualTalla(A, B) || !igualTalla(B, C)) return kTallaDistinta;
    porCelda(A, B, C, [](long double a, long double b) { return a - b; });
    return 0;
}

int multiplicaTablas(const Tabla& A, const Tabla& B, Tabla& C) {
    if (!igualTalla(A, B) || !igualTalla(B, C)) return kTallaDistinta;
    porCelda(A, B, C, [](long double a, long double b) { return a * b; });
    return 0;
}

int suma3Tablas(const Tabla& A, const Tabla& B, const Tabla& C, Tabla& D) {
    if (!igualTalla(A, B) || !igualTalla(B, C) || !igualTalla(A, D)) return kTallaDistinta;
    for (std::size_t c = 0; c < A.datos.size(); ++c)
        for (std::size_t r = 0; r < A.datos[c].size(); ++r)
            D.datos[c][r] = A.datos[c][r] + B.datos[c][r] + C.datos[c][r];
    return 0;
}

int divideEscalar(const Tabla& A, long double s, Tabla& C) {
    if (!igualTalla(A, C)) return kTallaDistinta;
    porCelda1(A, C, [s](long double a) { return a / s; });
    return 0;
}

void escalaTabla(const Tabla& A, long double s, Tabla& C) {
    if (!igualTalla(A, C)) return;
    porCelda1(A, C, [s](long double a) { return a * s; });
}

int copiaTabla(Tabla& D, const Tabla& S) {
    if (!igualTalla(D, S)) return kTallaDistinta;
    porCelda1(S, D, [](long double a) { return a; });
    return 0;
}

int lnGammaTabla(const Tabla& A, Tabla& B) {
    if (!igualTalla(A, B)) return kTallaDistinta;
    porCelda1(A, B, [](long double a) { return funcionesGlobales::lnGamma(a); });
    return 0;
}

int logTabla(const Tabla& A, Tabla& B) {
    if (!igualTalla(A, B)) return kTallaDistinta;
    porCelda1(A, B, [](long double a) { return std::log(a); });
    return 0;
}

int logSeguroTabla(Tabla& A, Tabla& B) {
    if (!igualTalla(A, B)) return kTallaDistinta;
    for (auto& col : A.datos)
        for (auto& v : col)
            if (v == 0) v = 1;
    return logTabla(A, B);
}

int minimo3(const Tabla& A, const Tabla& B, const Tabla& C, Tabla& D) {
    if (!igualTalla(A, B) || !igualTalla(A, C) || !igualTalla(A, D)) return kTallaDistinta;
    for (std::size_t c = 0; c < A.datos.size(); ++c)
        for (std::size_t r = 0; r < A.datos[c].size(); ++r) {
            const long double a = A.datos[c][r], b = B.datos[c][r], cc = C.datos[c][r];
            const long double m = (a < b && a < cc) ? a : (b < cc ? b : cc);
            D.datos[c][r] = static_cast<float>(m);
        }
    return 0;
}

int minimo2(const Tabla& A, const Tabla& B, Tabla& C) {
    if (!igualTalla(A, B) || !igualTalla(A, C)) return kTallaDistinta;
    porCelda(A, B, C, [](long double a, long double b) { return static_cast<long double>(static_cast<float>(a < b ? a : b)); });
    return 0;
}

long double sumaTabla(const Tabla& A) {
    long double s = 0;
    for (const auto& col : A.datos)
        for (long double v : col) s = s + v;
    return s;
}

void llena(Tabla& A, long double valor) {
    for (auto& col : A.datos)
        for (auto& v : col) v = valor;
}

}  // namespace tablas
