#pragma once
// The prediction engine: a Bayesian model averaged over every pair of
// categorical covariates. A run leaves three result grids, one value per row
// of the covariate table: predictive probability, certainty and prior
// potential.
#include <cstdint>
#include <memory>
#include <vector>

#include "data/ErrorArchivo.h"
#include "data/TImagenN.h"
#include "engine/asignaSitios.h"
#include "engine/TIndiceJ.h"
#include "engine/funcionesGlobales.h"
#include "platform/Progreso.h"

class cargaArchivo;
struct PreparacionMotor;
namespace quel {
struct RegionCompacta;
}

// What a run reads of a dataset: the counters and the grids, shared with the
// dataset that owns them (nothing here is freed). A per-species run points
// `sitios` and `especies` at grids of its own. The run writes column 2 of
// `sitios` (the row each site was assigned to).
struct copiaDatos {
    int numCovariables = 0;
    int numEspecies = 0;
    const TImagenN<float>* coordenadas = nullptr;
    const TImagenN<float>* sesgo = nullptr;
    TImagenN<float>* sitios = nullptr;
    const TImagenN<float>* categorias = nullptr;
    const TImagenN<int>* covariables = nullptr;
    const TImagenN<int>* priori = nullptr;
    const TImagenN<AnsiString>* nombresCovariables = nullptr;
    const TImagenN<AnsiString>* especies = nullptr;
    // A compact region instead of the grids above (coordinates, covariates,
    // category counts, names, bias and prior all come from it; the sites
    // still come from `sitios` and `especies`).
    const quel::RegionCompacta* region = nullptr;

    static copiaDatos de(cargaArchivo& datos);
};

// Receives a run's results row block by row block, in order, instead of the
// engine keeping them for the whole region (see ejecutarQuel::fijaSumidero).
class SumideroResultados {
public:
    virtual ~SumideroResultados() = default;
    // Rows desde .. desde + n - 1 of the covariate table: the predictive
    // probability, the certainty and the prior potential of each (0 outside
    // the study region). False stops the run (code kSumidero).
    virtual bool bloque(std::size_t desde, std::size_t n, const long double* predictiva,
                        const long double* certidumbre, const long double* potPriori) = 0;
};

class ejecutarQuel {
public:
    using Tabla = TImagenN<long double>;
    using Par = TIndiceJ<long double>;

    // Return codes of a run.
    static constexpr int kBien = 0;
    static constexpr int kRenglones = 3;   // covariates and prior or bias differ in rows
    static constexpr int kCategoria = 11;  // a category code outside 1..C
    static constexpr int kMalformado = 12; // fewer covariate columns or category counts than covariates
    static constexpr int kMemoria = 13;    // the run's tables would need more memory than it may use
    static constexpr int kCancelado = quel::kCodigoCancelado;  // the caller asked the run to stop
    static constexpr int kSumidero = 14;   // the receiver of the results refused a block

    // Number of probability intervals of the certainty.
    static constexpr int kIntervalos = 10;

    // Intermediate structures of a run (released by its last step).
    std::vector<std::unique_ptr<Par>> pares;   // pair descriptors; class counts during step 1
    std::vector<std::unique_ptr<Par>> alfas;   // Dirichlet pseudo-counts of each pair
    std::unique_ptr<Tabla> alfaCero;           // (P, 1) sum of each pair's alphas
    std::unique_ptr<Tabla> pesoPriori;         // (P, 1) prior model weights
    std::vector<std::unique_ptr<Tabla>> deteccion;  // detection probability per cell
    std::vector<std::unique_ptr<Tabla>> conteos;    // presence sites per cell
    std::unique_ptr<Tabla> pesos;              // (P, 1) posterior model weights

    // Results: row r belongs to row r of the covariate table; rows outside
    // the study region are 0. `predictiva` has a second, unused column.
    std::unique_ptr<Tabla> predictiva;
    std::unique_ptr<Tabla> certidumbre;
    std::unique_ptr<Tabla> potPriori;

    int numPares = 0;
    funcionesGlobales funciones;

    // Posterior weight of each pair in the last run (kept after the run
    // releases `pesos`): what the importance of the covariates rests on.
    std::vector<long double> pesosPosteriores;

    // Sites of the last run that no valid row was assigned to (they count nowhere).
    int sitiosSinAsignar = 0;
    // Per species, the sites of the last run left out as outside the region,
    // and those on no-data cells (counted in their nearest region cell).
    std::vector<DescarteEspecie> descartes;

    // `hilos` worker threads (0: every core). Results do not depend on it.
    explicit ejecutarQuel(int hilos = 0);
    void fijaHilos(int hilos);
    int hilos() const { return hilos_; }
    // Memory a run may take, in bytes; 0 (the default) is the machine's
    // physical memory. A run whose tables would need more stops before
    // building them (code 13).
    void fijaLimiteMemoria(std::uint64_t bytes) { limiteMemoria_ = bytes; }
    // Whether a run stops after the predictive grid (an evaluation needs no
    // more); its certainty and prior potential are then left empty.
    void fijaSoloPredictiva(bool solo) { soloPredictiva_ = solo; }
    // With a receiver, a whole run hands its three results to it row block
    // by row block, worked out in one pass over the region, and keeps none
    // of them (`predictiva`, `certidumbre` and `potPriori` stay empty); the
    // values are those a run without it keeps, to the last bit. Null (the
    // default): the results are kept.
    void fijaSumidero(SumideroResultados* s) { sumidero_ = s; }
    // Rows per block handed to the receiver (default 2^18).
    void fijaFilasPorBloque(std::size_t n) { filasPorBloque_ = n > 0 ? n : 1; }
    // Steps 1 and 2 depend on the covariates, bias and prior but not on the
    // sites. With `conserva`, a run keeps what they built (`preparacion()`);
    // a run given one skips them and starts from a copy of it. It must come
    // from a run on the same dataset and prior type, other sites aside: the
    // results are then those of a full run to the last bit.
    void conservaPreparacion(bool conserva) { conservaPreparacion_ = conserva; }
    void usaPreparacion(std::shared_ptr<const PreparacionMotor> p) { usaPreparacion_ = std::move(p); }
    std::shared_ptr<const PreparacionMotor> preparacion() const { return preparacion_; }
    // Bytes the tables of a run over these covariates would take at most:
    // per-pair tables, the per-row results and the passes over the map.
    // `categorias` are the category counts of the covariates.
    // `enBloques`: for a run that hands its results out in blocks.
    static long double memoriaNecesaria(const std::vector<int>& categorias, long long filas, bool enBloques = false);
    // What the last failing run found (codes 11, 12, 13): the line of the
    // covariate table when there is one, and the covariates and sizes
    // concerned. The file is left to the caller.
    const quel::ErrorArchivo& error() const { return error_; }

    // Runs the seven steps; 0, or the code of the first step that fails.
    // `tipoPriori` 0 builds the prior from the prior classes, any other
    // value uses the uniform prior. The "Iteracion: k de n" line of each
    // pair goes to the log of `progreso` (Canal::kSalida). A cancel request
    // stops the run at its next check: code kCancelado, no result left.
    // Throws std::runtime_error when an integral of the certainty comes out
    // negative.
    int ejecuta(const copiaDatos& datos, int tipoPriori, Progreso& progreso = progresoNulo());
    // Drops the three results.
    void borraResultados();
    // One integral of the certainty: a negative value stops the run, with
    // "El resultado de la integral es menor a cero" on the log of `progreso`
    // (when given) and as the std::runtime_error thrown.
    static void compruebaIntegral(long double valor, Progreso* progreso);

    // The steps, in the order `ejecuta` runs them.
    int preparaPriori(const copiaDatos& datos, int tipoPriori);
    int calculaDeteccion(const copiaDatos& datos);
    int cuentaPresencias(const copiaDatos& datos);
    void calculaPesos();
    void calculaPredictiva(const copiaDatos& datos);
    void calculaCertidumbre(const copiaDatos& datos, int M = kIntervalos);
    void calculaPotPriori(const copiaDatos& datos);

private:
    // A column of whole numbers as the run reads it: 1, 2 or 4 bytes per row.
    struct Columna {
        const void* datos = nullptr;
        int ancho = 4;
        int operator[](std::size_t r) const {
            switch (ancho) {
            case 1: return static_cast<const std::uint8_t*>(datos)[r];
            case 2: return static_cast<const std::int16_t*>(datos)[r];
            default: return static_cast<const std::int32_t*>(datos)[r];
            }
        }
    };
    struct Covariable {
        Columna codigos;
        int categorias = 0;
    };
    // What the steps read of the dataset, whichever form it is held in.
    struct Fuente {
        std::size_t filasPriori = 0, filasSesgo = 0;
        bool hayPriori = false, haySesgo = false;
        bool prioriColumnas = true, sesgoColumnas = true;  // the grids have a column
        Columna priori;             // class of each row; null: `prioriFija` on valid rows
        int prioriFija = 0;
        const float* sesgo = nullptr;  // bias of each row; null: `sesgoFijo` on valid rows
        float sesgoFijo = 0;
        int clase(std::size_t r) const { return priori.datos ? priori[r] : prioriFija; }
        float valorSesgo(std::size_t r) const { return sesgo ? sesgo[r] : sesgoFijo; }
    };
    static Fuente fuenteDe(const copiaDatos& d);
    struct Rechazo {};  // the receiver refused a block
    void calculaEnFlujo();
    void entregaResultados(const copiaDatos& datos);
    bool tablaPredictiva(int k, std::vector<long double>& t) const;
    bool tablaCertidumbre(int k, const std::vector<long double>& bajo, const std::vector<long double>& alto,
                          std::vector<long double>& t) const;
    bool tablaPotPriori(int k, std::vector<long double>& t) const;
    static void limitesIntervalos(int M, std::vector<long double>& bajo, std::vector<long double>& alto);
    static std::size_t bytesTablasEnBloques(const std::vector<int>& categorias);
    bool enBloques(const std::vector<int>& categorias) const;
    int preparaFilas(const copiaDatos& datos);
    void liberaIntermedios();
    template <class F>
    void paralelo(int n, F&& f) const;
    template <class Construye>
    void pasaFilas(std::vector<long double>& destino, std::size_t porCelda,
                   const std::vector<signed char>* intervalo, bool iteraciones, Construye&& construye);
    template <class Visita>
    void recorrePares(Visita&& visita) const;
    std::size_t celdasPar(int k) const;
    std::size_t celdaPar(int k, const int* c) const;
    void codigosBloque(std::size_t desde, std::size_t hasta, std::vector<int>& cod) const;
    void estimados(int k, Tabla& nEst) const;

    int revisaMemoria(const copiaDatos& datos);

    int hilos_ = 1;
    Progreso* progreso_ = nullptr;  // the run's progress while `ejecuta` runs
    std::uint64_t limiteMemoria_ = 0;
    bool soloPredictiva_ = false;
    SumideroResultados* sumidero_ = nullptr;
    std::size_t filasPorBloque_ = std::size_t{1} << 18;
    bool conservaPreparacion_ = false;
    std::shared_ptr<const PreparacionMotor> usaPreparacion_, preparacion_;
    void guardaPreparacion();
    void restauraPreparacion(const PreparacionMotor& p);
    quel::ErrorArchivo error_;

    // Prepared by step 1 for the run.
    int filas_ = 0;                 // R
    std::vector<int> validas_;      // rows whose region flag is 1, in order
    std::vector<Covariable> covs_;  // the K covariate columns
    std::vector<int> parI_, parJ_;  // covariates of each pair
};
