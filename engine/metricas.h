#pragma once
// How good a prediction is: the scores of presence sites against background
// cells (AUC, continuous Boyce index, omission at the usual thresholds), the
// ways of splitting a species' sites into folds, and what the posterior pair
// weights and the predictive map say about each covariate. Everything here is
// in double precision and depends on nothing but its arguments; an empty
// metric is NaN.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "data/TImagenN.h"

namespace quel::metricas {

// ------------------------------------------------------------ scores ---

// Mann-Whitney AUC of `presencias` against `fondo` (which must be sorted
// ascending): the share of (presence, background) pairs where the presence
// scores higher, a tie counting one half. NaN when either side is empty.
double auc(const std::vector<double>& presencias, const std::vector<double>& fondo);

// One point of the ROC curve: the share of background cells and of presences
// scoring `umbral` or more.
struct PuntoROC {
    double umbral;
    double falsos;     // false positive rate
    double verdaderos; // true positive rate
};
// The curve through every distinct presence score, highest first, between
// (0, 0) and (1, 1). `fondo` sorted ascending.
std::vector<PuntoROC> curvaROC(const std::vector<double>& presencias, const std::vector<double>& fondo);

// Continuous Boyce index: 100 windows, each a tenth of the background's range
// wide, evenly from its minimum to its maximum; each window's ratio is the
// share of presences in it over the share of background cells in it (window
// ends included). Windows without background are left out (ratio NaN); the
// index is the Spearman correlation of the window midpoints and the ratios.
struct VentanaBoyce {
    double centro;
    double razon;
};
struct Boyce {
    double indice = NAN;
    std::vector<VentanaBoyce> ventanas;
};
constexpr int kVentanasBoyce = 100;
// `fondo` sorted ascending.
Boyce boyce(const std::vector<double>& presencias, const std::vector<double>& fondo);

// Spearman correlation (ties take their mean rank); NaN for fewer than two
// pairs or a constant side.
double spearman(const std::vector<double>& x, const std::vector<double>& y);

// The lowest training presence score.
double umbralMinimo(const std::vector<double>& entrenamiento);
// The 10th percentile training presence threshold: the score below which
// no more than a tenth of the training presences lie (sorted highest first,
// the value at position 0.9 n, rounded down below 10 sites and up from 10).
double umbralDecimo(const std::vector<double>& entrenamiento);
// Share of `prueba` scoring below `umbral`; NaN when there is none.
double omision(const std::vector<double>& prueba, double umbral);

// Mean and spread of the values of the folds that have one (NaN skipped):
// the sample standard deviation, or for leave-one-out folds the jackknife's
// sqrt((n - 1) / n * sum (v - mean)^2).
struct Resumen {
    double media = NAN;
    double desviacion = NAN;
};
Resumen resume(const std::vector<double>& valores, bool jackknife);

// -------------------------------------------------------- partitions ---

enum class Particion { kAleatoria, kBloques, kAjedrez, kJackknife };
// "random", "block", "checkerboard", "jackknife"; false for another name.
bool leeParticion(const std::string& nombre, Particion& p);
const char* nombreParticion(Particion p);

// A whole number in [0, n) from the generator, by rejection, so the sequence
// is the same with every standard library.
std::uint64_t uniforme(std::mt19937_64& g, std::uint64_t n);

// Folds numbered from 1, one per site, in site order.
// k folds from a seeded shuffle: fold sizes differ by one at most, the
// larger folds first.
std::vector<int> particionAleatoria(int sitios, int k, std::uint64_t semilla);
// Four blocks: the sites sorted by y split into the lower ceil(n/2) and the
// rest, each half sorted by x split the same way (ties keep site order).
// Folds 1 and 2 are the lower half (west, east), 3 and 4 the upper.
std::vector<int> particionBloques(const std::vector<double>& x, const std::vector<double>& y);
// Two folds from squares of `lado` x `lado` cells of a grid of `columnas`
// columns (cells numbered row by row from the top-left): fold 1 for the
// squares where the square's column plus row is even, fold 2 for the others.
std::vector<int> particionAjedrez(const std::vector<long long>& celdas, long long columnas, int lado);
// Site i alone in fold i + 1.
std::vector<int> particionJackknife(int sitios);

// -------------------------------------------------------- covariates ---

// Covariate importance from the posterior weights of the pairs (numbered
// (0,1), (0,2), ..., (1,2), ...): the sum of the weights of the pairs holding
// the covariate. The importances sum to twice the weights' sum.
std::vector<double> importancia(int covariables, const std::vector<long double>& pesos);

// For a covariate and one of its categories: the valid cells of that
// category and their mean predictive probability (NaN without cells).
struct Respuesta {
    int covariable;
    int categoria;  // from 1
    long long celdas;
    double media;
};
// Over the valid rows (region flag, the last column of `covariables`, 1);
// `categorias` holds each covariate's number of categories. Codes outside
// 1..C are not counted.
std::vector<Respuesta> respuesta(const TImagenN<int>& covariables, const std::vector<int>& categorias,
                                 const TImagenN<long double>& predictiva);

// ----------------------------------------------------------- numbers ---

// A number of a results file: `digitos` significant digits as printf's %g
// gives them in any locale, empty for NaN.
std::string texto(double v, int digitos = 6);

}  // namespace quel::metricas
