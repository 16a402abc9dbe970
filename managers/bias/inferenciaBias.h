#pragma once
// Spatial sampling-bias inference.
//
// From a covariate table, a cities grid, a roads grid, a species-richness grid
// and the presence sites, estimates for every distinct combination of
// covariate values the relative probability that a collector visits it. The
// weight of cities against roads and a detectability slope are fitted by
// maximum likelihood (a Nelder-Mead simplex); the bias manager expands the
// result to one value per covariate-table row and saves it as a bias file.
//
// The working files ("CovsTmp.txt", "ASCIITmp.txt", "sumaciudades.txt",
// "sumacarret.txt", "abund.txt") live in the working folder given to the
// constructor; nothing here touches the process's current directory. The
// text-table routines come from the dataset (`cargaArchivo`) passed to each
// step, whose counters they set.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/ErrorArchivo.h"
#include "data/LectorASCII.h"
#include "data/TImagenN.h"
#include "platform/Progreso.h"

class cargaArchivo;

namespace sesgo {

// Names of the working files.
inline constexpr const char* kCovsTmp = "CovsTmp.txt";
inline constexpr const char* kASCIITmp = "ASCIITmp.txt";
inline constexpr const char* kSumaCiudades = "sumaciudades.txt";
inline constexpr const char* kSumaCarreteras = "sumacarret.txt";
inline constexpr const char* kAbundancia = "abund.txt";

// The cap of a proximity sum (a cell on top of a city or road cell).
inline constexpr long double kTope = 1000000.0L;

// Euclidean distance of two points given in single precision, computed in
// double and rounded to single precision.
float distancia(float x1, float y1, float x2, float y2);

// Thousandths of a distance, rounded to a whole number with halves away
// from zero (as a double; NaN and infinities pass through).
double milesimas(float d);

// A distance rounded to three decimals exactly as formatting it with "0.000"
// and reading the text back into an extended real does: halves go away from
// zero, and the result is the extended real nearest to the decimal.
long double redondeaMilesimas(float d);

// Evaluation and iteration limits of the simplex, and what it did.
struct ResultadoSimplex {
    int evaluaciones = 0;
    int iteraciones = 0;
    bool convergio = false;  // stopped by the convergence test, not by a limit
};

// Objective of the simplex: reads the single-precision parameter vector.
using Objetivo = std::function<long double(const float* theta)>;

// Nelder-Mead over theta[0..2] (theta[3] is left alone), in place: vertices
// and values in double, each trial point written into `theta` before `f` is
// called. limites[0] is the maximum number of evaluations, limites[1] of
// iterations. On return theta holds the best vertex.
ResultadoSimplex simplex(float* theta, const float* limites, const Objetivo& f);

}  // namespace sesgo

// What the likelihood fit ended with, for the reports of the callers.
struct AjusteSesgo {
    bool hecho = false;     // a fit has filled `sesgo`
    float peso = 0;         // fitted weight of cities relative to roads (theta0)
    float pendiente = 0;    // fitted detectability slope (theta1)
    sesgo::ResultadoSimplex simplex;
};

class inferenciaBias {
public:
    // Kinds of grid conversion.
    enum Modo { kCarreteras = 1, kCiudades = 2, kRiqueza = 3 };

    std::unique_ptr<TImagenN<int>> covariables;            // cells x (F-2), region flag last
    std::unique_ptr<TImagenN<int>> combinaciones;          // J x (F-3): distinct keys
    std::unique_ptr<TImagenN<int>> conteos;                // J x 1: presence sites per combination
    std::unique_ptr<TImagenN<float>> coordenadas;          // cells x 2: x, y
    std::unique_ptr<TImagenN<long double>> sumaCarreteras; // J x 1: road proximity R
    std::unique_ptr<TImagenN<long double>> sumaCiudades;   // J x 1: city proximity C
    std::unique_ptr<TImagenN<long double>> abundancia;     // J x 1: expected abundance a
    std::unique_ptr<TImagenN<long double>> sesgo;          // J x 1: fitted bias, sums to 1
    std::unique_ptr<TImagenN<int>> riqueza;                // cells x 1 (inside its step only)
    std::unique_ptr<TImagenN<float>> celdasCarreteras;     // n x 3: x, y, value
    std::unique_ptr<TImagenN<float>> celdasCiudades;       // n x 3: x, y, value
    std::unique_ptr<TImagenN<float>> celdasRiqueza;        // cells x 3 (inside its step only)

    explicit inferenciaBias(std::filesystem::path carpetaTrabajo = {});
    inferenciaBias(const inferenciaBias&) = delete;
    inferenciaBias& operator=(const inferenciaBias&) = delete;

    const std::filesystem::path& carpetaTrabajo() const { return carpeta_; }
    void fijaCarpetaTrabajo(std::filesystem::path p) { carpeta_ = std::move(p); }
    // A working file inside the working folder.
    std::filesystem::path tmp(const std::string& nombre) const { return carpeta_ / nombre; }

    // Threads of the distance sums (0: one per core). Results never depend on it.
    void fijaHilos(int hilos) { hilos_ = hilos; }
    // Memory the covariate load may take, in bytes; 0 (the default) is the
    // machine's physical memory. A table whose per-row arrays would need
    // more is refused before they are built (code 13).
    void fijaLimiteMemoria(std::uint64_t bytes) { limiteMemoria_ = bytes; }

    // The steps, in the order the bias manager calls them. Codes: 0 success,
    // otherwise the code of the routine that failed (2, 5, 9, 12 ...), which
    // error() then holds with the file concerned.
    int cargaCovariables(cargaArchivo& datos, const std::filesystem::path& archivo);
    void combinacionesDistintas();
    int sumaDistancias(cargaArchivo& datos, const std::filesystem::path& archivoCiudades,
                       const std::filesystem::path& archivoCarreteras, Progreso& progreso = progresoNulo());
    // Refuses (code 4) a richness grid that does not list the cells of the
    // covariate table: as many cells as the table has rows, each cell's
    // lower-left corner at the row's x, y to within a hundredth of a cell
    // (plus the rounding of the table's six significant digits).
    int cargaRiqueza(cargaArchivo& datos, const std::filesystem::path& archivoRiqueza);
    void calculaAbundancia();
    void cuentaPresencias(const TImagenN<float>& sitios);
    void estimaSesgo(float razonInicial, float pendienteInicial, float numeroSitios, float ausencias);

    // Grid to cell list through "ASCIITmp.txt" (see Modo). Returns 0 or the
    // reader's code, with error() naming the grid, the line and the reader's
    // explanation.
    int convierteCeldas(cargaArchivo& datos, const std::filesystem::path& archivo, int modo);

    // Pieces of the fit, exposed for checking.
    long double menosLogVerosimilitud(const float* theta) const;
    void detectabilidad(float theta1, std::vector<long double>& d) const;

    // Index of the combination of each covariate-table row (valid after
    // combinacionesDistintas); -1 for none.
    int combinacionDe(int fila) const;
    // Rows of combination j, in increasing order.
    std::vector<int> celdasDe(int j) const;

    // One bias value per covariate-table row: the bias of the row's
    // combination. Empty when no fit has been made.
    std::vector<long double> sesgoPorCelda() const;
    // Empty when every fitted value is a number in [0, 1]; otherwise which
    // combination is not, and its value.
    std::string sesgoFueraDeRango() const;
    // Writes the bias file: one value per row followed by ",", lines separated
    // by a line feed and none after the last, values with `digitos`
    // significant digits. Returns 0; 9 when a fitted value is not a number in
    // [0, 1] (nothing is written); 2 when no fit was made or the file cannot
    // be written (the operating system's reason then in `*razon`, when given).
    int guardaSesgo(const std::filesystem::path& ruta, int digitos = 6, std::string* razon = nullptr) const;

    const AjusteSesgo& ajuste() const { return ajuste_; }
    // Why the last failing covariate load, grid conversion, distance sums or
    // richness load failed: the code, the input, its line and what was found.
    const quel::ErrorArchivo& error() const { return error_; }
    // Warnings of the last distance sums and richness load, one English
    // sentence each (a cities or roads grid far outside the region).
    const std::vector<std::string>& avisos() const { return avisos_; }
    // Diagnostics of the numerical routines since the last call, one line
    // each (for the run's log); taking them empties the list.
    std::vector<std::string> tomaDiagnosticos() { return std::exchange(diagnosticos_, {}); }

private:
    int hilos() const;
    void calculaSumas(const TImagenN<float>& celdas, bool ciudades, TImagenN<long double>& salida,
                      Progreso& progreso, int pasos) const;
    static void reemplazaTopes(TImagenN<long double>& sumas);
    int escribeColumna(const TImagenN<long double>& tabla, const std::string& nombre) const;

    std::filesystem::path carpeta_;
    int hilos_ = 0;
    std::uint64_t limiteMemoria_ = 0;
    // Grouping of rows by combination: rows of j are filas_[inicio_[j] .. inicio_[j+1]).
    std::vector<int> combinacionDe_;
    std::vector<int> inicio_;
    std::vector<int> filas_;
    AjusteSesgo ajuste_;
    // The richness grid lists the cells of the covariate table, in its order.
    int revisaRiqueza();
    // Warns when the grid read last lies far outside the covariate table's extent.
    void avisaLejania(const std::filesystem::path& archivo, const char* que);

    quel::ErrorArchivo error_;
    std::filesystem::path archivoCovariables_;
    quel::EncabezadoASCII encabezadoUltimo_;  // header of the grid read last
    long long celdasUltimo_ = 0;              // its cells
    std::vector<std::string> avisos_;
    std::vector<std::string> diagnosticos_;
};
