#include "engine/ejecutarQuel.h"

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <cerrno>
#include <cmath>
#include <stdexcept>
#include <string>

#include "data/cargaArchivo.h"
#include "data/regionCompacta.h"
#include "engine/asignaSitios.h"
#include "engine/tablas.h"
#include "platform/Memoria.h"
#include "platform/Paralelo.h"

using namespace tablas;

namespace {

// Shares of the prior classes 1, 2 and 3 in the prior shape of a cell.
constexpr long double kParteClase1 = 0.95L;
constexpr long double kParteClase2 = 0.5L;
constexpr long double kParteClase3 = 0.05L;
// Certainty: probe offset inside an interval and the spread from which the
// Beta density is integrated rather than taken as a point mass.
constexpr long double kDesplazamiento = 0.00001L;
constexpr long double kUmbralDispersion = 0.01L;

// Rows handled together by one worker in the passes over the map.
constexpr std::size_t kBloque = 2048;
// Memory the per-pair tables of one pass over the map may take; pairs are
// handled in groups that fit.
constexpr std::size_t kPresupuesto = std::size_t{64} << 20;
// Valid rows one worker takes at a time in the passes that tally rows by
// their codes.
constexpr std::size_t kTramo = 16384;

// The 0-based codes of a row packed into one 64-bit key, each covariate in
// the bits its category count needs, when they fit in 63 bits (`cabe`).
struct Empaque {
    std::vector<unsigned> corrimiento, ancho;
    unsigned bits = 0;
    bool cabe = false;
    explicit Empaque(const std::vector<int>& categorias) {
        for (int c : categorias) {
            corrimiento.push_back(bits);
            ancho.push_back(static_cast<unsigned>(std::bit_width(static_cast<unsigned>(std::max(1, c)) - 1)));
            bits += ancho.back();
        }
        cabe = bits < 64;
    }
    std::uint64_t clave(const int* c) const {
        std::uint64_t k = 0;
        for (std::size_t i = 0; i < corrimiento.size(); ++i)
            k |= static_cast<std::uint64_t>(static_cast<unsigned>(c[i])) << corrimiento[i];
        return k;
    }
    void codigos(std::uint64_t k, int* c) const {
        for (std::size_t i = 0; i < corrimiento.size(); ++i)
            c[i] = static_cast<int>((k >> corrimiento[i]) & ((std::uint64_t{1} << ancho[i]) - 1));
    }
};

// The name of covariate k for a message.
std::string nombreCovariable(const copiaDatos& d, int k) {
    if (d.region) {
        const auto& nombres = d.region->nombres;
        if (k < static_cast<int>(nombres.size()) && !nombres[static_cast<std::size_t>(k)].empty())
            return "'" + quel::imprimible(nombres[static_cast<std::size_t>(k)]) + "'";
        return "number " + std::to_string(k + 1);
    }
    const auto* n = d.nombresCovariables;
    if (n && n->columnas > 0 && k < n->renglones && !n->datos[0][static_cast<std::size_t>(k)].empty())
        return "'" + quel::imprimible(n->datos[0][static_cast<std::size_t>(k)]) + "'";
    return "number " + std::to_string(k + 1);
}

}  // namespace

namespace {

// Per cell of a pair: at most six tables of extended reals alive at once
// (three class or count tables, the alphas, the detection and its product or
// the presence counts) and the three whole-number class counts of the prior
// step. Per column of a pair table: the column's own allocation in each of
// those tables. Per pair: the table objects.
constexpr long double kPorCelda = 6 * sizeof(long double) + 3 * sizeof(int);
constexpr long double kPorColumna = 6 * (sizeof(std::vector<long double>) + 16);
constexpr long double kPorPar = 640;

// Bytes of the per-pair tables of the covariates with these category counts.
long double memoriaPares(const std::vector<int>& categorias, long double* mayorPar = nullptr) {
    long double total = 0, mayor = 0;
    for (std::size_t i = 0; i + 1 < categorias.size(); ++i)
        for (std::size_t j = i + 1; j < categorias.size(); ++j) {
            const long double celdas = static_cast<long double>(categorias[i]) * categorias[j];
            total += celdas * kPorCelda + static_cast<long double>(categorias[j]) * kPorColumna + kPorPar;
            mayor = std::max(mayor, celdas);
        }
    if (mayorPar) *mayorPar = mayor;
    return total;
}

}  // namespace

long double ejecutarQuel::memoriaNecesaria(const std::vector<int>& categorias, long long filas, bool enBloques) {
    long double mayorPar = 0;
    long double total = memoriaPares(categorias, &mayorPar);
    if (enBloques) {
        // The valid rows' indexes, the tables of every pair at once and the
        // blocks handed out; the region itself is the caller's.
        total += static_cast<long double>(filas) * sizeof(int);
        total += static_cast<long double>(bytesTablasEnBloques(categorias));
        total += 3.0L * sizeof(long double) * (std::size_t{1} << 18);
        return total;
    }
    // Results and per-row working arrays: four extended reals and a few
    // small values per row.
    total += static_cast<long double>(filas) * (4 * sizeof(long double) + 2 * sizeof(int) + 1);
    // The certainty pass holds M values per cell of the pairs it works on,
    // in groups of a fixed budget or one pair at a time.
    constexpr long double kPorCeldaPasada = (kIntervalos + 1) * sizeof(long double);
    total += std::max(mayorPar * kPorCeldaPasada, static_cast<long double>(kPresupuesto));
    return total;
}

int ejecutarQuel::revisaMemoria(const copiaDatos& d) {
    std::vector<int> categorias;
    categorias.reserve(covs_.size());
    for (const Covariable& c : covs_) categorias.push_back(c.categorias);
    const long double necesaria = memoriaNecesaria(categorias, filas_, enBloques(categorias));
    const long double limite = static_cast<long double>(quel::memoria::efectiva(limiteMemoria_));
    if (necesaria <= limite) return kBien;
    // Name what takes the memory: the pair with the most cells when it alone
    // is most of it, otherwise the number of covariates and pairs.
    const std::size_t K = covs_.size();
    std::size_t mi = 0, mj = 1;
    long double mayor = -1;
    for (std::size_t i = 0; i + 1 < K; ++i)
        for (std::size_t j = i + 1; j < K; ++j) {
            const long double celdas = static_cast<long double>(categorias[i]) * categorias[j];
            if (celdas > mayor) {
                mayor = celdas;
                mi = i;
                mj = j;
            }
        }
    const long double par = memoriaPares({categorias[mi], categorias[mj]});
    std::string causa;
    if (par * 2 > memoriaPares(categorias))
        causa = "the tables of covariates " + nombreCovariable(d, static_cast<int>(mi)) + " (" +
                std::to_string(categorias[mi]) + " categories) and " + nombreCovariable(d, static_cast<int>(mj)) +
                " (" + std::to_string(categorias[mj]) + " categories) alone take " + quel::memoria::texto(par);
    else
        causa = "its " + std::to_string(K) + " covariates make " + std::to_string(K * (K - 1) / 2) +
                " pairs of covariates, each with tables of its own";
    error_ = {kMemoria, 0,
              "the run would need about " + quel::memoria::texto(necesaria) + " of memory, more than the " +
                  quel::memoria::texto(limite) + " it may use: " + causa};
    return kMemoria;
}

copiaDatos copiaDatos::de(cargaArchivo& d) {
    copiaDatos c;
    c.numCovariables = d.numCovariables;
    c.numEspecies = d.numEspecies;
    c.coordenadas = d.coordenadas.get();
    c.sesgo = d.sesgo.get();
    c.sitios = d.sitios.get();
    c.categorias = d.categorias.get();
    c.covariables = d.covariables.get();
    c.priori = d.priori.get();
    c.nombresCovariables = d.nombresCovariables.get();
    c.especies = d.especies.get();
    return c;
}

ejecutarQuel::ejecutarQuel(int hilos) { fijaHilos(hilos); }

void ejecutarQuel::fijaHilos(int hilos) { hilos_ = quel::hilosEfectivos(hilos); }

template <class F>
void ejecutarQuel::paralelo(int n, F&& f) const {
    quel::paraCada(n, hilos_, std::forward<F>(f), progreso_);
}

int ejecutarQuel::ejecuta(const copiaDatos& datos, int tipoPriori, Progreso& progreso) {
    progreso_ = &progreso;
    struct Suelta {
        Progreso*& p;
        ~Suelta() { p = nullptr; }
    } suelta{progreso_};
    try {
        // Each step, then its share of the bar; a cancel request is seen
        // between steps and by the parallel loops inside them.
        const auto paso = [&](int codigo, int parte) {
            if (codigo == kBien) {
                quel::compruebaCancelado(progreso);
                progreso.avanza(parte);
            }
            return codigo;
        };
        int codigo = kBien;
        if (usaPreparacion_) {
            restauraPreparacion(*usaPreparacion_);
            paso(kBien, 25);
        } else {
            codigo = paso(preparaPriori(datos, tipoPriori), 10);
            if (codigo == kBien) codigo = paso(calculaDeteccion(datos), 15);
            if (codigo == kBien && conservaPreparacion_) guardaPreparacion();
        }
        if (codigo == kBien) codigo = paso(cuentaPresencias(datos), 10);
        if (codigo != kBien) return codigo;
        calculaPesos();
        pesosPosteriores = pesos->datos[0];
        paso(kBien, 5);
        progreso.pulso();
        if (sumidero_ && !soloPredictiva_) {
            entregaResultados(datos);
            progreso.avanza(60);
            return kBien;
        }
        calculaPredictiva(datos);
        paso(kBien, 15);
        if (soloPredictiva_) {
            liberaIntermedios();
            certidumbre.reset();
            potPriori.reset();
            progreso.avanza(45);
            return kBien;
        }
        calculaCertidumbre(datos);
        paso(kBien, 30);
        calculaPotPriori(datos);
        progreso.avanza(15);
        return kBien;
    } catch (const quel::Cancelado&) {
        liberaIntermedios();
        borraResultados();
        return kCancelado;
    } catch (const Rechazo&) {
        liberaIntermedios();
        borraResultados();
        return kSumidero;
    }
}

// The results of a run with a receiver: in one pass when the tables of every
// pair fit at once, else through the separate passes over the whole region.
void ejecutarQuel::entregaResultados(const copiaDatos& datos) {
    std::vector<int> categorias;
    for (const Covariable& c : covs_) categorias.push_back(c.categorias);
    if (enBloques(categorias)) {
        calculaEnFlujo();
        return;
    }
    calculaPredictiva(datos);
    calculaCertidumbre(datos);
    calculaPotPriori(datos);
    const auto filas = static_cast<std::size_t>(filas_);
    for (std::size_t r0 = 0; r0 < filas; r0 += filasPorBloque_) {
        const std::size_t n = std::min(filas - r0, filasPorBloque_);
        quel::compruebaCancelado(*progreso_);
        if (!sumidero_->bloque(r0, n, predictiva->datos[0].data() + r0, certidumbre->datos[0].data() + r0,
                               potPriori->datos[0].data() + r0))
            throw Rechazo{};
    }
    borraResultados();
}

// What steps 1 and 2 leave for the later steps.
struct PreparacionMotor {
    int filas = 0;
    std::vector<int> validas;
    std::vector<int> parI, parJ;
    std::vector<ejecutarQuel::Tabla> alfas, deteccion;
    ejecutarQuel::Tabla alfaCero, pesoPriori;
    std::vector<int> categorias;
    std::vector<const void*> codigos;
    std::vector<int> anchos;
};

namespace {

ejecutarQuel::Tabla copia(const ejecutarQuel::Tabla& t) {
    ejecutarQuel::Tabla r(t.renglones, t.columnas);
    r.datos = t.datos;
    return r;
}

}  // namespace

void ejecutarQuel::guardaPreparacion() {
    auto p = std::make_shared<PreparacionMotor>();
    p->filas = filas_;
    p->validas = validas_;
    p->parI = parI_;
    p->parJ = parJ_;
    for (const Covariable& c : covs_) {
        p->categorias.push_back(c.categorias);
        p->codigos.push_back(c.codigos.datos);
        p->anchos.push_back(c.codigos.ancho);
    }
    for (const auto& a : alfas) p->alfas.push_back(copia(*a->tabla1));
    for (const auto& d : deteccion) p->deteccion.push_back(copia(*d));
    p->alfaCero = copia(*alfaCero);
    p->pesoPriori = copia(*pesoPriori);
    preparacion_ = std::move(p);
}

void ejecutarQuel::restauraPreparacion(const PreparacionMotor& p) {
    filas_ = p.filas;
    validas_ = p.validas;
    parI_ = p.parI;
    parJ_ = p.parJ;
    covs_.clear();
    for (std::size_t k = 0; k < p.codigos.size(); ++k) covs_.push_back({{p.codigos[k], p.anchos[k]}, p.categorias[k]});
    numPares = static_cast<int>(parI_.size());
    liberaIntermedios();
    for (std::size_t k = 0; k < p.alfas.size(); ++k) {
        auto alfa = std::make_unique<Par>(p.alfas[k].renglones, p.alfas[k].columnas, true);
        alfa->indiceI = parI_[k];
        alfa->indiceJ = parJ_[k];
        alfa->tabla1->datos = p.alfas[k].datos;
        alfas.push_back(std::move(alfa));
        deteccion.push_back(std::make_unique<Tabla>(copia(p.deteccion[k])));
    }
    alfaCero = std::make_unique<Tabla>(copia(p.alfaCero));
    pesoPriori = std::make_unique<Tabla>(copia(p.pesoPriori));
    preparacion_ = usaPreparacion_;
}

void ejecutarQuel::borraResultados() {
    predictiva.reset();
    certidumbre.reset();
    potPriori.reset();
}

void ejecutarQuel::liberaIntermedios() {
    pares.clear();
    alfas.clear();
    alfaCero.reset();
    pesoPriori.reset();
    deteccion.clear();
    conteos.clear();
    pesos.reset();
}

// The covariate columns, their category counts, the valid rows and the
// pairs. Rejects a dataset with fewer covariate columns or category counts
// than covariates (12), and, before any table is written, a valid row whose
// category code lies outside 1..C (11; 3 when the bias rows differ too, as
// the detection step would report that first).
ejecutarQuel::Fuente ejecutarQuel::fuenteDe(const copiaDatos& d) {
    Fuente f;
    if (const quel::RegionCompacta* r = d.region) {
        f.hayPriori = f.haySesgo = true;
        f.filasPriori = r->prioriUniforme ? r->filas() : r->priori.size();
        f.filasSesgo = r->sesgoUniforme ? r->filas() : r->sesgo.size();
        if (r->prioriUniforme) f.prioriFija = 2;
        else f.priori = {r->priori.data(), 1};
        // A uniform bias's value (1 / valid rows) is set by the detection
        // step, which alone reads it, from the valid rows it already has.
        if (!r->sesgoUniforme) f.sesgo = r->sesgo.data();
        return f;
    }
    if (d.priori) {
        f.hayPriori = true;
        f.filasPriori = static_cast<std::size_t>(d.priori->renglones);
        f.prioriColumnas = d.priori->columnas >= 1;
        if (f.prioriColumnas) f.priori = {d.priori->datos[0].data(), 4};
    }
    if (d.sesgo) {
        f.haySesgo = true;
        f.filasSesgo = static_cast<std::size_t>(d.sesgo->renglones);
        f.sesgoColumnas = d.sesgo->columnas >= 1;
        if (f.sesgoColumnas) f.sesgo = d.sesgo->datos[0].data();
    }
    return f;
}

// The covariate columns, their category counts, the valid rows and the
// pairs. Rejects a dataset with fewer covariate columns or category counts
// than covariates (12), and, before any table is written, a valid row whose
// category code lies outside 1..C (11; 3 when the bias rows differ too, as
// the detection step would report that first).
int ejecutarQuel::preparaFilas(const copiaDatos& d) {
    const quel::RegionCompacta* region = d.region;
    const int K = region ? region->numCovariables : d.numCovariables;
    filas_ = region ? static_cast<int>(region->filas()) : d.covariables->renglones;
    validas_.clear();
    covs_.clear();
    parI_.clear();
    parJ_.clear();
    if (K < 0) return kMalformado;
    const long long P = static_cast<long long>(K) * (K - 1) / 2;
    if (P > 0) {
        if (region ? (region->codigos.size() < static_cast<std::size_t>(K) ||
                      region->categorias.size() < static_cast<std::size_t>(K))
                   : (d.covariables->columnas < K + 1 || !d.categorias || d.categorias->columnas < 1 ||
                      d.categorias->renglones < K))
            return kMalformado;
    }
    error_ = {};
    if (region) {
        for (int r = 0; r < filas_; ++r)
            if (region->valida[static_cast<std::size_t>(r)] == 1) validas_.push_back(r);
    } else if (d.covariables->columnas >= 1) {
        const auto& bandera = d.covariables->datos[static_cast<std::size_t>(d.covariables->columnas - 1)];
        for (int r = 0; r < filas_; ++r)
            if (bandera[static_cast<std::size_t>(r)] == 1) validas_.push_back(r);
    }
    if (P == 0) return kBien;
    for (int k = 0; k < K; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        const float c = region ? region->categorias[kk] : d.categorias->datos[0][kk];
        // Truncated toward zero; counts below 1 leave no valid code.
        const int categorias = c >= 1 ? (c < 1e9f ? static_cast<int>(c) : 1000000000) : 0;
        Columna columna;
        if (region) {
            const quel::ColumnaEnteros& col = region->codigos[kk];
            columna.ancho = col.ancho();
            columna.datos = col.ancho() == 1 ? static_cast<const void*>(col.datos8())
                            : col.ancho() == 2 ? static_cast<const void*>(col.datos16())
                                               : static_cast<const void*>(col.datos32());
        } else {
            columna.datos = d.covariables->datos[kk].data();
        }
        covs_.push_back({columna, categorias});
    }
    const Fuente fuente = fuenteDe(d);
    for (int k = 0; k < K; ++k) {
        const Covariable& c = covs_[static_cast<std::size_t>(k)];
        for (int r : validas_) {
            const int codigo = c.codigos[static_cast<std::size_t>(r)];
            if (codigo < 1 || codigo > c.categorias) {
                const bool sesgoDistinto = !fuente.haySesgo || fuente.filasSesgo != static_cast<std::size_t>(filas_);
                if (sesgoDistinto) return kRenglones;
                // The table's line: the category lines, the separator and
                // the title line come first.
                error_ = {kCategoria, K + r + 3,
                          "covariate " + nombreCovariable(d, k) + ": expected a category from 1 to " +
                              std::to_string(c.categorias) + ", found " + std::to_string(codigo)};
                return kCategoria;
            }
        }
    }
    if (const int codigo = revisaMemoria(d); codigo != kBien) return codigo;
    for (int i = 0; i + 1 < K; ++i)
        for (int j = i + 1; j < K; ++j) {
            parI_.push_back(i);
            parJ_.push_back(j);
        }
    return kBien;
}

std::size_t ejecutarQuel::celdasPar(int k) const {
    const auto kk = static_cast<std::size_t>(k);
    return static_cast<std::size_t>(covs_[static_cast<std::size_t>(parI_[kk])].categorias) *
           static_cast<std::size_t>(covs_[static_cast<std::size_t>(parJ_[kk])].categorias);
}

// Cell of pair k for a row whose 0-based codes are `c` (column by column: b * C_i + a).
std::size_t ejecutarQuel::celdaPar(int k, const int* c) const {
    const auto kk = static_cast<std::size_t>(k);
    const auto i = static_cast<std::size_t>(parI_[kk]);
    return static_cast<std::size_t>(c[parJ_[kk]]) * static_cast<std::size_t>(covs_[i].categorias) +
           static_cast<std::size_t>(c[i]);
}

// Calls visita(k, v, codes of row v) for every pair k and valid row v, each
// pair's rows in their order. Pairs are split into contiguous groups worked
// in parallel; each group walks the rows in blocks, gathering their codes once.
template <class Visita>
void ejecutarQuel::recorrePares(Visita&& visita) const {
    const int P = static_cast<int>(parI_.size());
    if (P == 0) return;
    const int grupos = std::min(P, hilos_ > 1 ? 2 * hilos_ : 1);
    const std::size_t K = covs_.size(), nv = validas_.size();
    paralelo(grupos, [&](int g) {
        const int k0 = static_cast<int>(static_cast<long long>(P) * g / grupos);
        const int k1 = static_cast<int>(static_cast<long long>(P) * (g + 1) / grupos);
        std::vector<int> cod;
        for (std::size_t desde = 0; desde < nv; desde += kBloque) {
            const std::size_t hasta = std::min(nv, desde + kBloque);
            codigosBloque(desde, hasta, cod);
            for (std::size_t v = desde; v < hasta; ++v) {
                const int* c = &cod[(v - desde) * K];
                for (int k = k0; k < k1; ++k) visita(k, v, c);
            }
        }
    });
}

// ---------------------------------------------------------------- step 1 ---

int ejecutarQuel::preparaPriori(const copiaDatos& d, int tipoPriori) {
    const Fuente fuente = fuenteDe(d);
    const std::size_t filas = d.region ? d.region->filas() : d.covariables ? static_cast<std::size_t>(d.covariables->renglones) : 0;
    if ((!d.region && !d.covariables) || !fuente.hayPriori || filas != fuente.filasPriori) return kRenglones;
    const int codigo = preparaFilas(d);
    if (codigo != kBien) return codigo;
    if (!parI_.empty() && !fuente.prioriColumnas) return kMalformado;
    const int P = static_cast<int>(parI_.size());
    numPares = P;
    liberaIntermedios();
    pares.resize(static_cast<std::size_t>(P));
    alfas.resize(static_cast<std::size_t>(P));
    for (int k = 0; k < P; ++k) {
        const int i = parI_[static_cast<std::size_t>(k)], j = parJ_[static_cast<std::size_t>(k)];
        const int ci = covs_[static_cast<std::size_t>(i)].categorias;
        const int cj = covs_[static_cast<std::size_t>(j)].categorias;
        auto par = std::make_unique<Par>(ci, cj, false);
        par->indiceI = i;
        par->indiceJ = j;
        pares[static_cast<std::size_t>(k)] = std::move(par);
        auto alfa = std::make_unique<Par>(ci, cj, true);
        alfa->indiceI = i;
        alfa->indiceJ = j;
        alfas[static_cast<std::size_t>(k)] = std::move(alfa);
    }
    const long double Nv = static_cast<long double>(validas_.size());
    pesoPriori = std::make_unique<Tabla>(P, 1);
    alfaCero = std::make_unique<Tabla>(P, 1);

    // Class counts of every cell, counted as whole numbers.
    std::vector<std::vector<int>> cuentas(static_cast<std::size_t>(P));
    for (int k = 0; k < P; ++k)
        cuentas[static_cast<std::size_t>(k)].assign(3 * celdasPar(k), 0);
    std::vector<int> categorias;
    for (const Covariable& c : covs_) categorias.push_back(c.categorias);
    const Empaque empaque(categorias);
    if (empaque.bits + 2 < 64 && P > 0) {
        // Whole counts add up in any order: rows are tallied by their codes
        // and class in stretches, then each combination adds its tally to
        // the cell of every pair it falls in.
        const std::size_t nv = validas_.size(), K = covs_.size();
        const int tramos = static_cast<int>((nv + kTramo - 1) / kTramo);
        std::vector<std::vector<std::pair<std::uint64_t, int>>> tallas(static_cast<std::size_t>(tramos));
        paralelo(tramos, [&](int t) {
            const std::size_t inicio = static_cast<std::size_t>(t) * kTramo, fin = std::min(nv, inicio + kTramo);
            std::unordered_map<std::uint64_t, int> cuenta;
            std::vector<int> cod;
            for (std::size_t desde = inicio; desde < fin; desde += kBloque) {
                const std::size_t hasta = std::min(fin, desde + kBloque);
                codigosBloque(desde, hasta, cod);
                for (std::size_t v = desde; v < hasta; ++v) {
                    const int p = fuente.clase(static_cast<std::size_t>(validas_[v]));
                    if (p < 1 || p > 3) continue;
                    ++cuenta[empaque.clave(&cod[(v - desde) * K]) * 4 + static_cast<std::uint64_t>(p)];
                }
            }
            tallas[static_cast<std::size_t>(t)].assign(cuenta.begin(), cuenta.end());
        });
        paralelo(P, [&](int k) {
            const auto kk = static_cast<std::size_t>(k);
            std::vector<int> c(K);
            for (const auto& talla : tallas)
                for (const auto& [clave, n] : talla) {
                    empaque.codigos(clave / 4, c.data());
                    const auto p = static_cast<std::size_t>(clave % 4);
                    cuentas[kk][(p - 1) * celdasPar(k) + celdaPar(k, c.data())] += n;
                }
        });
    } else {
        recorrePares([&](int k, std::size_t v, const int* c) {
            const int p = fuente.clase(static_cast<std::size_t>(validas_[v]));
            if (p < 1 || p > 3) return;
            const auto kk = static_cast<std::size_t>(k);
            cuentas[kk][static_cast<std::size_t>(p - 1) * celdasPar(k) + celdaPar(k, c)] += 1;
        });
    }
    paralelo(P, [&](int k) {
        Par& par = *pares[static_cast<std::size_t>(k)];
        const Covariable& ci = covs_[static_cast<std::size_t>(par.indiceI)];
        const Covariable& cj = covs_[static_cast<std::size_t>(par.indiceJ)];
        {
            const std::vector<int>& n = cuentas[static_cast<std::size_t>(k)];
            std::size_t i = 0;
            for (Tabla* t : {par.tabla1.get(), par.tabla2.get(), par.tabla3.get()})
                for (auto& col : t->datos)
                    for (auto& v : col) v = n[i++];
        }
        Tabla& alfa = *alfas[static_cast<std::size_t>(k)]->tabla1;
        const auto kk = static_cast<std::size_t>(k);
        if (tipoPriori != 0) {
            alfaCero->datos[0][kk] = 1;
            pesoPriori->datos[0][kk] = 1;
            llena(alfa, 1.0L / (static_cast<long double>(ci.categorias) * cj.categorias));
            return;
        }
        const Tabla& c1 = *par.tabla1;
        const Tabla& c2 = *par.tabla2;
        const Tabla& c3 = *par.tabla3;
        const int f = c1.renglones, c = c1.columnas;
        // Dominance: how far the most frequent class leads the second.
        Tabla m(f, c), x1(f, c), x2(f, c), x3(f, c), dom(f, c);
        minimo3(c1, c2, c3, m);
        restaTablas(c1, m, x1);
        restaTablas(c2, m, x2);
        restaTablas(c3, m, x3);
        minimo2(x1, x2, m);
        restaTablas(x1, m, x1);
        restaTablas(x2, m, x2);
        minimo2(x1, x3, m);
        restaTablas(x1, m, x1);
        restaTablas(x3, m, x3);
        minimo2(x2, x3, m);
        restaTablas(x2, m, x2);
        restaTablas(x3, m, x3);
        suma3Tablas(x1, x2, x3, dom);
        const long double S = sumaTabla(dom);
        const long double V = S / (Nv - S + 1);
        alfaCero->datos[0][kk] = V;
        pesoPriori->datos[0][kk] = V;
        // Prior shape of each cell, 0 where no row of the cell is classed.
        escalaTabla(c1, kParteClase1, x1);
        escalaTabla(c2, kParteClase2, x2);
        escalaTabla(c3, kParteClase3, x3);
        suma3Tablas(x1, x2, x3, dom);
        suma3Tablas(c1, c2, c3, m);
        divideTablas(dom, m, x1);
        const long double sumaQ = sumaTabla(x1);
        // A pair without classed rows keeps alpha 0 everywhere (and V is 0 then).
        if (sumaQ != 0) {
            escalaTabla(x1, V, alfa);
            divideEscalar(alfa, sumaQ, alfa);
        }
    });

    long double suma = 0;
    for (int k = 0; k < P; ++k) suma = suma + pesoPriori->datos[0][static_cast<std::size_t>(k)];
    for (int k = 0; k < P; ++k) {
        auto& v = pesoPriori->datos[0][static_cast<std::size_t>(k)];
        // Every strength 0: the models are equally likely a priori.
        v = suma == 0 ? 1.0L / P : v / suma;
    }
    return kBien;
}

// ---------------------------------------------------------------- step 2 ---

int ejecutarQuel::calculaDeteccion(const copiaDatos& d) {
    Fuente fuente = fuenteDe(d);
    if (d.region && d.region->sesgoUniforme) fuente.sesgoFijo = quel::RegionCompacta::valorSesgoUniforme(validas_.size());
    const std::size_t filas = d.region ? d.region->filas() : d.covariables ? static_cast<std::size_t>(d.covariables->renglones) : 0;
    if ((!d.region && !d.covariables) || !fuente.haySesgo || filas != fuente.filasSesgo) return kRenglones;
    const int P = static_cast<int>(parI_.size());
    if (P > 0 && !fuente.sesgoColumnas) return kMalformado;
    deteccion.clear();
    deteccion.resize(static_cast<std::size_t>(P));
    std::vector<char> fuera(static_cast<std::size_t>(P), 0);
    std::vector<std::vector<long double>> producto(static_cast<std::size_t>(P));
    for (int k = 0; k < P; ++k) producto[static_cast<std::size_t>(k)].assign(celdasPar(k), 1.0L);
    // Each cell's product runs over its rows in their order. Pairs are split
    // into groups worked in parallel; each group walks the rows in blocks,
    // and within a block each pair keeps the running product of the cell its
    // last row fell in, stored back when the next row falls elsewhere (a
    // stored extended value reads back unchanged, so the products are those
    // of multiplying in the table row by row).
    const int grupos = std::min(P, hilos_ > 1 ? 2 * hilos_ : 1);
    const std::size_t K = covs_.size(), nv = validas_.size();
    if (P > 0)
        paralelo(grupos, [&](int g) {
            const int k0 = static_cast<int>(static_cast<long long>(P) * g / grupos);
            const int k1 = static_cast<int>(static_cast<long long>(P) * (g + 1) / grupos);
            std::vector<int> cod;
            std::vector<long double> factor;
            for (std::size_t desde = 0; desde < nv; desde += kBloque) {
                const std::size_t hasta = std::min(nv, desde + kBloque);
                codigosBloque(desde, hasta, cod);
                factor.resize(hasta - desde);
                for (std::size_t v = desde; v < hasta; ++v)
                    factor[v - desde] = 1.0L - static_cast<long double>(fuente.valorSesgo(static_cast<std::size_t>(validas_[v])));
                for (int k = k0; k < k1; ++k) {
                    const auto kk = static_cast<std::size_t>(k);
                    if (fuera[kk]) continue;
                    const auto i = static_cast<std::size_t>(parI_[kk]), j = static_cast<std::size_t>(parJ_[kk]);
                    const int ci = covs_[i].categorias, cj = covs_[j].categorias;
                    long double* t = producto[kk].data();
                    constexpr std::size_t kNinguna = static_cast<std::size_t>(-1);
                    std::size_t actual = kNinguna;
                    long double acum = 1;
                    for (std::size_t v = desde; v < hasta; ++v) {
                        const int* c = &cod[(v - desde) * K];
                        const int a = c[i], b = c[j];
                        if (a < 0 || b < 0 || a >= ci || b >= cj) {
                            fuera[kk] = 1;
                            break;
                        }
                        const std::size_t celda = static_cast<std::size_t>(b) * static_cast<std::size_t>(ci) +
                                                  static_cast<std::size_t>(a);
                        if (celda != actual) {
                            if (actual != kNinguna) t[actual] = acum;
                            actual = celda;
                            acum = t[celda];
                        }
                        acum *= factor[v - desde];
                    }
                    if (actual != kNinguna) t[actual] = acum;
                }
            }
        });
    paralelo(P, [&](int k) {
        const auto kk = static_cast<std::size_t>(k);
        if (fuera[kk]) return;
        auto t = std::make_unique<Tabla>(covs_[static_cast<std::size_t>(parI_[kk])].categorias,
                                         covs_[static_cast<std::size_t>(parJ_[kk])].categorias);
        std::size_t i = 0;
        for (auto& col : t->datos)
            for (auto& v : col) {
                const long double p = producto[kk][i++];
                v = p == 1 ? 1.0L : 1.0L - p;
            }
        deteccion[kk] = std::move(t);
    });
    for (char f : fuera)
        if (f) return kCategoria;
    return kBien;
}

// ---------------------------------------------------------------- step 3 ---

int ejecutarQuel::cuentaPresencias(const copiaDatos& d) {
    const int P = static_cast<int>(parI_.size());
    pares.clear();
    pares.resize(static_cast<std::size_t>(P));
    conteos.clear();
    conteos.resize(static_cast<std::size_t>(P));
    for (int k = 0; k < P; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        const int ci = covs_[static_cast<std::size_t>(parI_[kk])].categorias;
        const int cj = covs_[static_cast<std::size_t>(parJ_[kk])].categorias;
        pares[kk] = std::make_unique<Par>(ci, cj, false);
        pares[kk]->indiceI = parI_[kk];
        pares[kk]->indiceJ = parJ_[kk];
        conteos[kk] = std::make_unique<Tabla>(ci, cj);
    }
    std::vector<int> filaSitio;
    sitiosSinAsignar = 0;
    if (d.sitios && d.region) {
        sitiosSinAsignar = asignaSitios(d.region->valida, d.region->coordenadas, *d.sitios, &filaSitio);
    } else if (d.sitios && d.covariables) {
        static const TImagenN<float> sinCoordenadas;
        sitiosSinAsignar = asignaSitios(*d.covariables, d.coordenadas ? *d.coordenadas : sinCoordenadas,
                                        *d.sitios, &filaSitio);
    }
    descartes.clear();
    if (d.sitios && (d.region || (d.covariables && d.coordenadas))) {
        // Sites beyond the table's cells count nowhere; a site on a no-data
        // cell keeps its nearest region cell.
        const std::vector<LugarSitio> lugares =
            d.region ? ubicaSitios(d.region->valida, d.region->coordenadas, *d.sitios, &filaSitio)
                     : ubicaSitios(*d.covariables, *d.coordenadas, *d.sitios, &filaSitio);
        for (std::size_t s = 0; s < lugares.size() && s < filaSitio.size(); ++s) {
            if (lugares[s] != LugarSitio::kFuera || filaSitio[s] < 0) continue;
            filaSitio[s] = -1;
            if (d.sitios->columnas >= 3) d.sitios->datos[2][s] = -1;
            ++sitiosSinAsignar;
        }
        descartes = resumeDescartes(lugares, *d.sitios, d.especies);
    }
    std::vector<char> fuera(static_cast<std::size_t>(P), 0);
    paralelo(P, [&](int k) {
        const Covariable& ci = covs_[static_cast<std::size_t>(parI_[static_cast<std::size_t>(k)])];
        const Covariable& cj = covs_[static_cast<std::size_t>(parJ_[static_cast<std::size_t>(k)])];
        Tabla& n = *conteos[static_cast<std::size_t>(k)];
        for (int r : filaSitio) {
            if (r < 0) continue;  // not assigned: counts in no cell
            const int a = ci.codigos[static_cast<std::size_t>(r)] - 1, b = cj.codigos[static_cast<std::size_t>(r)] - 1;
            if (a < 0 || b < 0 || a >= ci.categorias || b >= cj.categorias) {
                fuera[static_cast<std::size_t>(k)] = 1;
                return;
            }
            n.datos[static_cast<std::size_t>(b)][static_cast<std::size_t>(a)] += 1;
        }
    });
    for (char f : fuera)
        if (f) return kCategoria;
    return kBien;
}

// ---------------------------------------------------------------- step 4 ---

void ejecutarQuel::estimados(int k, Tabla& nEst) const {
    divideTablas(*conteos[static_cast<std::size_t>(k)], *deteccion[static_cast<std::size_t>(k)], nEst);
}

void ejecutarQuel::calculaPesos() {
    const int P = static_cast<int>(parI_.size());
    pesos = std::make_unique<Tabla>(P, 1);
    std::vector<long double> L(static_cast<std::size_t>(P));
    paralelo(P, [&](int k) {
        const auto kk = static_cast<std::size_t>(k);
        const Tabla& n = *conteos[kk];
        const Tabla& det = *deteccion[kk];
        const Tabla& alfa = *alfas[kk]->tabla1;
        const long double a0 = alfaCero->datos[0][kk];
        const long double pi = pesoPriori->datos[0][kk];
        const int f = n.renglones, c = n.columnas;
        Tabla nEst(f, c), an(f, c), theta(f, c), t1(f, c), t2(f, c);
        estimados(k, nEst);
        const long double Nest = static_cast<float>(sumaTabla(nEst));
        const long double s = a0 + Nest;
        sumaTablas(alfa, nEst, an);
        // Posterior mean; a pair with neither prior mass nor sites has none (0).
        if (s != 0) divideEscalar(an, s, theta);
        const long double N = std::trunc(sumaTabla(n));
        multiplicaTablas(theta, det, t1);
        const long double E = sumaTabla(t1);
        long double T = 0;
        if (!(N == Nest || E == 1)) T = (Nest - N) * std::log(1 - E);
        lnGammaTabla(an, t1);
        logTabla(det, t2);
        multiplicaTablas(n, t2, t2);
        sumaTablas(t1, t2, t1);
        lnGammaTabla(alfa, t2);
        restaTablas(t1, t2, t1);
        const long double sumaGamma = sumaTabla(t1);
        restaTablas(n, nEst, t1);
        logSeguroTabla(theta, t2);
        multiplicaTablas(t1, t2, t1);
        const long double sumaResto = sumaTabla(t1);
        L[kk] = std::log(pi) + funcionesGlobales::lnGamma(a0) - funcionesGlobales::lnGamma(s) +
                sumaGamma + T + sumaResto;
        pesos->datos[0][kk] = std::exp(L[kk]);
    });
    auto& w = pesos->datos[0];
    long double suma = 0;
    for (long double v : w) suma = suma + v;
    if (suma != 0 && std::isfinite(suma)) {
        for (auto& v : w) v = v / suma;
        return;
    }
    // Every weight underflowed, one overflowed, or one is not a number:
    // normalise relative to the largest log-weight; a log-weight that is
    // not a number gets weight 0.
    long double mayor = -INFINITY;
    for (long double l : L)
        if (!std::isnan(l) && l > mayor) mayor = l;
    if (mayor == -INFINITY) {
        for (auto& v : w) v = 1.0L / P;
        return;
    }
    suma = 0;
    for (std::size_t k = 0; k < w.size(); ++k) {
        const long double l = L[k];
        w[k] = std::isnan(l) ? 0.0L : (l == mayor ? 1.0L : std::exp(l - mayor));
        suma = suma + w[k];
    }
    for (auto& v : w) v = v / suma;
}

// --------------------------------------------------------- steps 5 to 7 ---

// The 0-based category codes of valid rows desde..hasta-1, row by row (K per row).
void ejecutarQuel::codigosBloque(std::size_t desde, std::size_t hasta, std::vector<int>& cod) const {
    const std::size_t K = covs_.size();
    cod.resize((hasta - desde) * K);
    const auto reune = [&](std::size_t k, const auto* c) {
        for (std::size_t v = desde; v < hasta; ++v)
            cod[(v - desde) * K + k] = static_cast<int>(c[validas_[v]]) - 1;
    };
    for (std::size_t k = 0; k < K; ++k) {
        const Columna& c = covs_[k].codigos;
        switch (c.ancho) {
        case 1: reune(k, static_cast<const std::uint8_t*>(c.datos)); break;
        case 2: reune(k, static_cast<const std::int16_t*>(c.datos)); break;
        default: reune(k, static_cast<const std::int32_t*>(c.datos)); break;
        }
    }
}

// Adds, for every valid row r and pair k in order, one value of the pair's
// table (built by `construye(k, tabla)`, which returns false for a pair that
// adds nothing) to `destino[r]`. With `intervalo`, the table holds
// `porCelda` values per cell and row r takes the one of its interval
// (nothing when the interval is negative). Rows are worked in blocks; each
// row's sum runs over the pairs in their order, so every sum is the same
// whatever the number of threads. `iteraciones` writes the progress line of
// each pair before its table is built.
template <class Construye>
void ejecutarQuel::pasaFilas(std::vector<long double>& destino, std::size_t porCelda,
                             const std::vector<signed char>* intervalo, bool iteraciones,
                             Construye&& construye) {
    const int P = static_cast<int>(parI_.size());
    const std::size_t K = covs_.size();
    int k0 = 0;
    while (k0 < P) {
        // The next group of pairs whose tables fit the budget (at least one).
        int k1 = k0;
        std::size_t bytes = 0;
        while (k1 < P) {
            const auto kk = static_cast<std::size_t>(k1);
            const std::size_t celdas = static_cast<std::size_t>(covs_[static_cast<std::size_t>(parI_[kk])].categorias) *
                                       static_cast<std::size_t>(covs_[static_cast<std::size_t>(parJ_[kk])].categorias);
            const std::size_t b = celdas * porCelda * sizeof(long double);
            if (k1 > k0 && bytes + b > kPresupuesto) break;
            bytes += b;
            ++k1;
        }
        const int n = k1 - k0;
        if (iteraciones && progreso_)
            for (int k = k0; k < k1; ++k)
                progreso_->registra(Progreso::Canal::kSalida,
                                    "Iteracion: " + std::to_string(k + 1) + " de " + std::to_string(P));
        std::vector<std::vector<long double>> tablas(static_cast<std::size_t>(n));
        std::vector<char> activa(static_cast<std::size_t>(n), 0);
        paralelo(n, [&](int g) {
            activa[static_cast<std::size_t>(g)] = construye(k0 + g, tablas[static_cast<std::size_t>(g)]) ? 1 : 0;
        });
        struct Uso {
            std::size_t i, j, filasI;
            const long double* t;
        };
        std::vector<Uso> usos;
        for (int g = 0; g < n; ++g) {
            if (!activa[static_cast<std::size_t>(g)]) continue;
            const auto kk = static_cast<std::size_t>(k0 + g);
            usos.push_back({static_cast<std::size_t>(parI_[kk]), static_cast<std::size_t>(parJ_[kk]),
                            static_cast<std::size_t>(covs_[static_cast<std::size_t>(parI_[kk])].categorias),
                            tablas[static_cast<std::size_t>(g)].data()});
        }
        const std::size_t nv = validas_.size();
        const int bloques = static_cast<int>((nv + kBloque - 1) / kBloque);
        paralelo(bloques, [&](int blq) {
            const std::size_t desde = static_cast<std::size_t>(blq) * kBloque;
            const std::size_t hasta = std::min(nv, desde + kBloque);
            std::vector<int> cod;
            codigosBloque(desde, hasta, cod);
            for (std::size_t v = desde; v < hasta; ++v) {
                std::size_t m = 0;
                if (intervalo) {
                    if ((*intervalo)[v] < 0) continue;
                    m = static_cast<std::size_t>((*intervalo)[v]);
                }
                const int* c = &cod[(v - desde) * K];
                long double& celdaDestino = destino[static_cast<std::size_t>(validas_[v])];
                long double acum = celdaDestino;
                for (const Uso& u : usos) {
                    const std::size_t celda = static_cast<std::size_t>(c[u.j]) * u.filasI + static_cast<std::size_t>(c[u.i]);
                    acum += u.t[celda * porCelda + m];
                }
                celdaDestino = acum;
            }
        });
        k0 = k1;
    }
}

// The table the predictive pass adds from pair k: the pair's weight times
// the posterior mean of every cell.
bool ejecutarQuel::tablaPredictiva(int k, std::vector<long double>& t) const {
    const auto kk = static_cast<std::size_t>(k);
    const Tabla& alfa = *alfas[kk]->tabla1;
    const int f = alfa.renglones, c = alfa.columnas;
    Tabla nEst(f, c), theta(f, c);
    estimados(k, nEst);
    const long double Nint = std::trunc(sumaTabla(nEst));
    sumaTablas(alfa, nEst, nEst);
    const long double denominador = Nint + alfaCero->datos[0][kk];
    if (denominador != 0) divideEscalar(nEst, denominador, theta);
    const long double w = pesos->datos[0][kk];
    t.reserve(static_cast<std::size_t>(f) * static_cast<std::size_t>(c));
    for (const auto& col : theta.datos)
        for (long double v : col) t.push_back(w * v);
    return true;
}

// Bounds of each of the M intervals of the certainty, as the interval lookup leaves them.
void ejecutarQuel::limitesIntervalos(int M, std::vector<long double>& bajo, std::vector<long double>& alto) {
    bajo.assign(static_cast<std::size_t>(M), 0);
    alto.assign(static_cast<std::size_t>(M), 0);
    for (int m = 0; m < M; ++m) {
        const long double u = static_cast<long double>(m) / M + kDesplazamiento;
        funcionesGlobales::intervalo(u, M, bajo[static_cast<std::size_t>(m)], alto[static_cast<std::size_t>(m)]);
    }
}

// The table the certainty pass adds from pair k: per cell, the pair's weight
// times the share of the cell's Beta posterior in each interval.
bool ejecutarQuel::tablaCertidumbre(int k, const std::vector<long double>& bajo, const std::vector<long double>& alto,
                                    std::vector<long double>& t) const {
    const std::size_t porCelda = bajo.size();
    const auto kk = static_cast<std::size_t>(k);
    const Tabla& alfa = *alfas[kk]->tabla1;
    const int f = alfa.renglones, c = alfa.columnas;
    Tabla nEst(f, c);
    estimados(k, nEst);
    const long double Nint = std::trunc(sumaTabla(nEst));
    sumaTablas(alfa, nEst, nEst);  // A of every cell
    const long double B = alfaCero->datos[0][kk] + Nint;
    const long double w = pesos->datos[0][kk];
    t.assign(static_cast<std::size_t>(f) * static_cast<std::size_t>(c) * porCelda, 0.0L);
    std::vector<long double> v(porCelda);
    std::size_t celda = 0;
    for (const auto& col : nEst.datos)
        for (long double A : col) {
            const long double mu = A / (A + B);
            const long double sigma = std::sqrt(A * B / ((A + B) * (A + B) * (A + B + 1)));
            funcionesGlobales forma;
            forma.A = A;
            forma.B = B;
            for (std::size_t m = 0; m < porCelda; ++m) {
                const long double lo = bajo[m], hi = alto[m];
                if (6 * sigma >= kUmbralDispersion)
                    v[m] = funcionesGlobales::integraGaussCon(
                        [&forma](long double x) { return forma.kernelBeta(x); }, lo, hi);
                else
                    v[m] = (lo < mu && mu <= hi) ? 1.0L : 0.0L;
                compruebaIntegral(v[m], progreso_);
            }
            long double V = 0;
            for (long double x : v) V = V + x;
            for (std::size_t m = 0; m < porCelda; ++m) {
                const long double vm = V == 0 ? v[m] : v[m] / V;
                t[celda * porCelda + m] = w * vm;
            }
            ++celda;
        }
    return true;
}

// The table the prior-potential pass adds from pair k: the pair's prior
// weight times its prior mean; false for a pair without prior mass.
bool ejecutarQuel::tablaPotPriori(int k, std::vector<long double>& t) const {
    const auto kk = static_cast<std::size_t>(k);
    const long double a0 = alfaCero->datos[0][kk];
    if (a0 == 0) return false;  // no prior mass: the pair adds nothing
    const Tabla& alfa = *alfas[kk]->tabla1;
    Tabla media(alfa.renglones, alfa.columnas);
    divideEscalar(alfa, a0, media);
    const long double pi = pesoPriori->datos[0][kk];
    for (const auto& col : media.datos)
        for (long double v : col) t.push_back(pi * v);
    return true;
}

void ejecutarQuel::calculaPredictiva(const copiaDatos&) {
    predictiva = std::make_unique<Tabla>(filas_, 2);
    pasaFilas(predictiva->datos[0], 1, nullptr, false,
              [&](int k, std::vector<long double>& t) { return tablaPredictiva(k, t); });
}

void ejecutarQuel::compruebaIntegral(long double valor, Progreso* progreso) {
    if (!(valor < 0)) return;
    const std::string texto = "El resultado de la integral es menor a cero";
    if (progreso) progreso->registra(Progreso::Canal::kAviso, texto + ": " + quel::razonSistema(errno));
    throw std::runtime_error(texto);
}

void ejecutarQuel::calculaCertidumbre(const copiaDatos&, int M) {
    certidumbre = std::make_unique<Tabla>(filas_, 1);
    if (M <= 0 || M > 127) M = kIntervalos;
    // Interval of every valid row's predictive probability (-1: none).
    std::vector<signed char> intervalo(validas_.size(), -1);
    for (std::size_t v = 0; v < validas_.size(); ++v) {
        long double lo, hi;
        const long double p = predictiva ? predictiva->datos[0][static_cast<std::size_t>(validas_[v])] : 0;
        intervalo[v] = static_cast<signed char>(funcionesGlobales::intervalo(p, M, lo, hi));
    }
    std::vector<long double> bajo, alto;
    limitesIntervalos(M, bajo, alto);
    pasaFilas(certidumbre->datos[0], static_cast<std::size_t>(M), &intervalo, true,
              [&](int k, std::vector<long double>& t) { return tablaCertidumbre(k, bajo, alto, t); });
}

void ejecutarQuel::calculaPotPriori(const copiaDatos&) {
    conteos.clear();
    deteccion.clear();
    pesos.reset();
    potPriori = std::make_unique<Tabla>(filas_, 1);
    pasaFilas(potPriori->datos[0], 1, nullptr, false,
              [&](int k, std::vector<long double>& t) { return tablaPotPriori(k, t); });
    pares.clear();
    alfas.clear();
    pesoPriori.reset();
    alfaCero.reset();
}

std::size_t ejecutarQuel::bytesTablasEnBloques(const std::vector<int>& categorias) {
    std::size_t b = 0;
    for (std::size_t i = 0; i + 1 < categorias.size(); ++i)
        for (std::size_t j = i + 1; j < categorias.size(); ++j)
            b += static_cast<std::size_t>(categorias[i]) * static_cast<std::size_t>(categorias[j]) *
                 (kIntervalos + 2) * sizeof(long double);
    return b;
}

bool ejecutarQuel::enBloques(const std::vector<int>& categorias) const {
    if (!sumidero_ || soloPredictiva_) return false;
    const std::size_t tope =
        std::max<std::size_t>(kPresupuesto, static_cast<std::size_t>(quel::memoria::efectiva(limiteMemoria_) / 4));
    return bytesTablasEnBloques(categorias) <= tope;
}

// Steps 5 to 7 in one pass over the rows: the three tables of every pair
// first, then each row's three sums, over the pairs in their order as the
// separate passes add them, handed to the receiver block by block.
void ejecutarQuel::calculaEnFlujo() {
    const int P = static_cast<int>(parI_.size());
    const auto PP = static_cast<std::size_t>(P);
    const int M = kIntervalos;
    std::vector<std::vector<long double>> tPred(PP), tCert(PP), tPot(PP);
    std::vector<char> conPot(PP, 0);
    std::vector<long double> bajo, alto;
    limitesIntervalos(M, bajo, alto);
    if (progreso_)
        for (int k = 0; k < P; ++k)
            progreso_->registra(Progreso::Canal::kSalida, "Iteracion: " + std::to_string(k + 1) + " de " + std::to_string(P));
    paralelo(P, [&](int k) {
        const auto kk = static_cast<std::size_t>(k);
        tablaPredictiva(k, tPred[kk]);
        tablaCertidumbre(k, bajo, alto, tCert[kk]);
        conPot[kk] = tablaPotPriori(k, tPot[kk]) ? 1 : 0;
    });
    liberaIntermedios();
    struct Uso {
        std::size_t i, j, filasI;
        const long double *pred, *cert, *pot;
    };
    std::vector<Uso> usos;
    for (std::size_t k = 0; k < PP; ++k) {
        const auto i = static_cast<std::size_t>(parI_[k]);
        usos.push_back({i, static_cast<std::size_t>(parJ_[k]), static_cast<std::size_t>(covs_[i].categorias),
                        tPred[k].data(), tCert[k].data(), conPot[k] ? tPot[k].data() : nullptr});
    }
    const std::size_t K = covs_.size();
    const auto porCelda = static_cast<std::size_t>(M);
    const auto filas = static_cast<std::size_t>(filas_);
    // A row's three values depend only on its codes: rows with the codes of
    // a row seen before in the same stretch take that row's values.
    std::vector<int> categorias;
    for (const Covariable& c : covs_) categorias.push_back(c.categorias);
    const Empaque empaque(categorias);
    const bool conClave = empaque.cabe;
    struct Tres {
        long double p, c, a;
    };
    const auto calcula = [&](const int* c) {
        Tres t{0, 0, 0};
        for (const Uso& u : usos)
            t.p += u.pred[static_cast<std::size_t>(c[u.j]) * u.filasI + static_cast<std::size_t>(c[u.i])];
        long double lo, hi;
        const int m = funcionesGlobales::intervalo(t.p, M, lo, hi);
        for (const Uso& u : usos) {
            const std::size_t celda = static_cast<std::size_t>(c[u.j]) * u.filasI + static_cast<std::size_t>(c[u.i]);
            if (m >= 0) t.c += u.cert[celda * porCelda + static_cast<std::size_t>(m)];
            if (u.pot) t.a += u.pot[celda];
        }
        return t;
    };
    std::vector<long double> pred, cert, pot;
    std::size_t v0 = 0;  // first valid row of the block
    for (std::size_t r0 = 0; r0 < filas; r0 += filasPorBloque_) {
        const std::size_t r1 = std::min(filas, r0 + filasPorBloque_), n = r1 - r0;
        pred.assign(n, 0.0L);
        cert.assign(n, 0.0L);
        pot.assign(n, 0.0L);
        std::size_t v1 = v0;
        while (v1 < validas_.size() && static_cast<std::size_t>(validas_[v1]) < r1) ++v1;
        const int tramos = static_cast<int>((v1 - v0 + kTramo - 1) / kTramo);
        paralelo(tramos, [&](int t) {
            const std::size_t inicio = v0 + static_cast<std::size_t>(t) * kTramo;
            const std::size_t fin = std::min(v1, inicio + kTramo);
            std::unordered_map<std::uint64_t, Tres> vistos;
            std::uint64_t ultima = 0;
            Tres ultimo{0, 0, 0};
            bool hayUltima = false;
            std::vector<int> cod;
            for (std::size_t desde = inicio; desde < fin; desde += kBloque) {
                const std::size_t hasta = std::min(fin, desde + kBloque);
                codigosBloque(desde, hasta, cod);
                for (std::size_t v = desde; v < hasta; ++v) {
                    // Without pairs there are no codes: every sum is empty.
                    const int* c = K > 0 ? &cod[(v - desde) * K] : nullptr;
                    Tres r;
                    if (conClave) {
                        const std::uint64_t clave = empaque.clave(c);
                        if (hayUltima && clave == ultima) {
                            r = ultimo;
                        } else {
                            const auto it = vistos.find(clave);
                            r = it != vistos.end() ? it->second : vistos.emplace(clave, calcula(c)).first->second;
                            ultima = clave;
                            ultimo = r;
                            hayUltima = true;
                        }
                    } else {
                        r = calcula(c);
                    }
                    const std::size_t fila = static_cast<std::size_t>(validas_[v]) - r0;
                    pred[fila] = r.p;
                    cert[fila] = r.c;
                    pot[fila] = r.a;
                }
            }
        });
        v0 = v1;
        quel::compruebaCancelado(*progreso_);
        if (!sumidero_->bloque(r0, n, pred.data(), cert.data(), pot.data())) throw Rechazo{};
        progreso_->pulso();
    }
}
