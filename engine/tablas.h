#pragma once
// Element-wise operations on tables of extended reals. Every operation works
// cell by cell (columns 0.., rows 0.. within a column; sums accumulate in that
// order). The output is created by the caller with the right size and may be
// one of the inputs. Operations with size checks return kTallaDistinta and
// write nothing when the operands do not match, else 0.
#include "data/TImagenN.h"

namespace tablas {

using Tabla = TImagenN<long double>;

constexpr int kTallaDistinta = -45;

// C = A / B, and 0 where B is 0.
int divideTablas(const Tabla& A, const Tabla& B, Tabla& C);
int sumaTablas(const Tabla& A, const Tabla& B, Tabla& C);
int restaTablas(const Tabla& A, const Tabla& B, Tabla& C);
int multiplicaTablas(const Tabla& A, const Tabla& B, Tabla& C);
// D = A + B + C
int suma3Tablas(const Tabla& A, const Tabla& B, const Tabla& C, Tabla& D);
// C = A / s (no guard for s = 0)
int divideEscalar(const Tabla& A, long double s, Tabla& C);
// C = A * s (does nothing when the sizes differ)
void escalaTabla(const Tabla& A, long double s, Tabla& C);
// D = S (destination first)
int copiaTabla(Tabla& D, const Tabla& S);
int lnGammaTabla(const Tabla& A, Tabla& B);
int logTabla(const Tabla& A, Tabla& B);
// Sets every zero of A to 1 (A changes), then B = ln A: zero cells give 0.
int logSeguroTabla(Tabla& A, Tabla& B);
// D = min(A, B, C): A only when strictly smaller than both, else the smaller
// of B and C (C on a tie); the value passes through single precision.
int minimo3(const Tabla& A, const Tabla& B, const Tabla& C, Tabla& D);
// C = min(A, B): A when strictly smaller, else B; through single precision.
int minimo2(const Tabla& A, const Tabla& B, Tabla& C);
long double sumaTabla(const Tabla& A);
void llena(Tabla& A, long double valor);

inline bool igualTalla(const Tabla& a, const Tabla& b) {
    return a.renglones == b.renglones && a.columnas == b.columnas;
}

}  // namespace tablas
