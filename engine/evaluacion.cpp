#include "engine/evaluacion.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <numeric>
#include <random>
#include <system_error>

#include "data/cargaArchivo.h"
#include "data/exportaArchivo.h"
#include "data/geometriaTabla.h"
#include "data/salidaGDAL.h"
#include "engine/asignaSitios.h"
#include "engine/ejecutarQuel.h"
#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;
namespace m = quel::metricas;

namespace {

using Fin = ResumenEvaluacion::Fin;

// Jackknife is for small samples only.
constexpr int kMaximoJackknife = 25;
// The background sample draws from its own stream of the seed.
constexpr std::uint64_t kMezclaFondo = 0x9e3779b97f4a7c15ULL;

const char* const kNombresMetricas[kMetricas] = {"auc_test",         "auc_training",     "boyce",
                                                 "omission_minimum", "omission_10th",    "threshold_minimum",
                                                 "threshold_10th"};

ResumenEvaluacion& falla(ResumenEvaluacion& r, Fin fin, std::string frase, const fs::path& archivo = {}) {
    r.fin = fin;
    r.error = quel::ErrorArchivo(codigos::kVacio, 0, std::move(frase), archivo);
    return r;
}

ValoresMetricas vacios() {
    ValoresMetricas v;
    v.fill(NAN);
    return v;
}

// The species of the dataset in the order of its sites, each once.
std::vector<std::string> especiesDe(const cargaArchivo& d) {
    std::vector<std::string> r;
    if (d.especies)
        for (const auto& n : d.especies->datos[0])
            if (std::find(r.begin(), r.end(), n) == r.end()) r.push_back(n);
    return r;
}

// The sites of one species (x, y; the rest of the grid for the run).
TImagenN<float> sitiosDe(const cargaArchivo& d, const std::string& especie) {
    std::vector<std::size_t> s;
    for (std::size_t i = 0; i < d.especies->datos[0].size(); ++i)
        if (d.especies->datos[0][i] == especie) s.push_back(i);
    TImagenN<float> r(static_cast<int>(s.size()), 3);
    for (std::size_t j = 0; j < s.size(); ++j) {
        r.datos[0][j] = d.sitios->datos[0][s[j]];
        r.datos[1][j] = d.sitios->datos[1][s[j]];
    }
    return r;
}

// The row each site counts in, as the run assigns it; -1 for a site the run
// leaves out (beyond the table's cells).
std::vector<int> filasDeSitios(const cargaArchivo& d, TImagenN<float>& sitios) {
    std::vector<int> filas;
    asignaSitios(*d.covariables, *d.coordenadas, sitios, &filas);
    const std::vector<LugarSitio> lugares = ubicaSitios(*d.covariables, *d.coordenadas, sitios, &filas);
    for (std::size_t s = 0; s < lugares.size() && s < filas.size(); ++s)
        if (lugares[s] == LugarSitio::kFuera) filas[s] = -1;
    return filas;
}

// The training sites of a fold in place of the dataset's sites while it
// runs; the dataset's own come back when this goes.
class SitiosPrestados {
public:
    SitiosPrestados(cargaArchivo& d, std::unique_ptr<TImagenN<float>> sitios,
                    std::unique_ptr<TImagenN<AnsiString>> especies)
        : d_(d), sitios_(std::move(sitios)), especies_(std::move(especies)) {
        std::swap(d_.sitios, sitios_);
        std::swap(d_.especies, especies_);
    }
    ~SitiosPrestados() {
        std::swap(d_.sitios, sitios_);
        std::swap(d_.especies, especies_);
    }
    SitiosPrestados(const SitiosPrestados&) = delete;
    SitiosPrestados& operator=(const SitiosPrestados&) = delete;

private:
    cargaArchivo& d_;
    std::unique_ptr<TImagenN<float>> sitios_;
    std::unique_ptr<TImagenN<AnsiString>> especies_;
};

// The rows of the background: every valid row, or `n` of them drawn with
// the seed (a partial shuffle), in row order.
std::vector<int> filasFondo(const TImagenN<int>& cov, long long n, std::uint64_t semilla) {
    std::vector<int> validas;
    const auto& bandera = cov.datos[static_cast<std::size_t>(cov.columnas - 1)];
    for (int r = 0; r < cov.renglones; ++r)
        if (bandera[static_cast<std::size_t>(r)] == 1) validas.push_back(r);
    if (n <= 0 || static_cast<std::size_t>(n) >= validas.size()) return validas;
    std::mt19937_64 g(semilla ^ kMezclaFondo);
    const auto cuantas = static_cast<std::size_t>(n);
    for (std::size_t i = 0; i < cuantas; ++i)
        std::swap(validas[i], validas[i + m::uniforme(g, validas.size() - i)]);
    validas.resize(cuantas);
    std::sort(validas.begin(), validas.end());
    return validas;
}

// Predictive values of rows.
std::vector<double> valores(const TImagenN<long double>& mapa, const std::vector<int>& filas) {
    std::vector<double> v;
    v.reserve(filas.size());
    for (int f : filas) v.push_back(static_cast<double>(mapa.datos[0][static_cast<std::size_t>(f)]));
    return v;
}

// The scores of one fold from its map.
void puntua(PliegueEvaluado& p, const TImagenN<long double>& mapa, const std::vector<int>& filasEntrenamiento,
            const std::vector<int>& filasPrueba, const std::vector<int>& filasFondo) {
    std::vector<double> fondo = valores(mapa, filasFondo);
    std::sort(fondo.begin(), fondo.end());
    const std::vector<double> entrenamiento = valores(mapa, filasEntrenamiento);
    const std::vector<double> prueba = valores(mapa, filasPrueba);
    auto& v = p.valores;
    v[kAucPrueba] = m::auc(prueba, fondo);
    v[kAucEntrenamiento] = m::auc(entrenamiento, fondo);
    const m::Boyce b = m::boyce(prueba, fondo);
    v[kBoyce] = b.indice;
    p.boyce = b.ventanas;
    v[kUmbralMinimo] = m::umbralMinimo(entrenamiento);
    v[kUmbralDecimo] = m::umbralDecimo(entrenamiento);
    v[kOmisionMinimo] = m::omision(prueba, v[kUmbralMinimo]);
    v[kOmisionDecimo] = m::omision(prueba, v[kUmbralDecimo]);
    p.roc = m::curvaROC(prueba, fondo);
}

// The folds of a species' sites that lie in the region (`filas` >= 0).
bool particiona(const OpcionesEvaluacion& o, const cargaArchivo& d, EspecieEvaluada& e,
                const std::vector<int>& filas, int& pliegues, std::string& error) {
    std::vector<std::size_t> enRegion;
    for (std::size_t s = 0; s < filas.size(); ++s)
        if (filas[s] >= 0) enRegion.push_back(s);
    const int n = static_cast<int>(enRegion.size());
    if (n < 2) {
        error = e.especie + " has " + std::to_string(n) + " site" + (n == 1 ? "" : "s") +
                " in the region; an evaluation needs at least 2";
        return false;
    }
    std::vector<int> p;
    switch (o.particion) {
        case m::Particion::kAleatoria:
            p = m::particionAleatoria(n, o.pliegues, o.semilla);
            pliegues = o.pliegues;
            break;
        case m::Particion::kBloques: {
            std::vector<double> x, y;
            for (std::size_t s : enRegion) {
                x.push_back(e.x[s]);
                y.push_back(e.y[s]);
            }
            p = m::particionBloques(x, y);
            pliegues = 4;
            break;
        }
        case m::Particion::kAjedrez: {
            quel::GeometriaTabla g;
            std::string razon;
            if (!g.lee(*d.coordenadas, &razon)) {
                error = "the checkerboard partition needs the table's cells on a grid: " + razon;
                return false;
            }
            std::vector<long long> celdas;
            for (std::size_t s : enRegion) celdas.push_back(filas[s]);
            p = m::particionAjedrez(celdas, g.ncols, o.ladoBloque);
            pliegues = 2;
            break;
        }
        case m::Particion::kJackknife:
            if (n >= kMaximoJackknife) {
                error = "jackknife leaves one site out at a time and is for fewer than " +
                        std::to_string(kMaximoJackknife) + " sites; " + e.especie + " has " + std::to_string(n) +
                        " in the region: use random, block or checkerboard";
                return false;
            }
            p = m::particionJackknife(n);
            pliegues = n;
            break;
    }
    e.pliegue.assign(filas.size(), 0);
    for (std::size_t i = 0; i < enRegion.size(); ++i) e.pliegue[enRegion[i]] = p[i];
    return true;
}

// One predictive run on the dataset's sites of the species (all of its
// sites, or a fold's training sites lent to the dataset). The first run of
// an evaluation keeps the steps that do not depend on the sites in
// `preparacion`; the others start from them.
ResumenPrediccion corre(const OpcionesEvaluacion& o, cargaArchivo& d, const std::string& especie,
                        std::shared_ptr<const PreparacionMotor>& preparacion, ejecutarQuel& motor,
                        Progreso& progreso) {
    OpcionesPrediccion op = o.prediccion;
    op.especie = especie;
    op.soloPredictiva = true;
    op.salida.clear();
    op.preparacion = preparacion;
    op.conservaPreparacion = !preparacion;
    ResumenPrediccion r = prediccionDeDatos(op, d, motor, progreso);
    if (r.bien() && !preparacion) preparacion = motor.preparacion();
    return r;
}

// The summary ended by a run that did not succeed.
ResumenEvaluacion& terminaCon(ResumenEvaluacion& r, const ResumenPrediccion& p) {
    r.fin = p.fin;
    r.error = p.error;
    return r;
}

// Files of the evaluation, put in place together.
class Archivos {
public:
    // `entradas`: files of the run that no file of the set may replace.
    explicit Archivos(fs::path carpeta, std::vector<fs::path> entradas = {})
        : carpeta_(std::move(carpeta)), entradas_(std::move(entradas)) {}
    bool activo() const { return !carpeta_.empty(); }
    // A file of the set; false with the reason when it cannot be written.
    bool agrega(const std::string& nombre, const std::string& bytes, std::string& razon) {
        for (const fs::path& entrada : entradas_)
            if (!entrada.empty() && quel::mismoArchivo(carpeta_ / nombre, entrada)) {
                razon = (carpeta_ / nombre).string() + ": is an input of the evaluation; choose another output";
                return false;
            }
        auto& f = *archivos_.emplace_back(std::make_unique<quel::ArchivoNuevo>(carpeta_ / nombre));
        if (f.agrega(bytes) && f.termina()) return true;
        razon = f.destino().string() + ": cannot write: " + f.razon();
        return false;
    }
    bool coloca(std::string& razon) {
        std::vector<quel::ArchivoNuevo*> conjunto;
        for (auto& f : archivos_) conjunto.push_back(f.get());
        return quel::colocaTodos(conjunto, &razon);
    }

private:
    fs::path carpeta_;
    std::vector<fs::path> entradas_;
    std::vector<std::unique_ptr<quel::ArchivoNuevo>> archivos_;
};

// The folder of the files, created when missing.
bool creaCarpeta(const fs::path& carpeta, std::string& razon) {
    std::error_code ec;
    fs::create_directories(carpeta, ec);
    if (!ec && fs::is_directory(carpeta)) return true;
    razon = carpeta.string() + ": cannot create the output folder" + (ec ? ": " + ec.message() : std::string());
    return false;
}

// The tables of an evaluation added to its set of files.
bool agregaTablas(Archivos& archivos, const ResumenEvaluacion& r, std::string& razon) {
    bool bien = archivos.agrega("evaluation.csv", textoEvaluacion(r), razon) &&
                archivos.agrega("folds.csv", textoPliegues(r), razon);
    for (const EspecieEvaluada& e : r.especies) {
        const std::string n = nombreEnArchivo(e.especie) + ".csv";
        bien = bien && archivos.agrega("roc_" + n, textoROC(e), razon) &&
               archivos.agrega("boyce_" + n, textoBoyce(e), razon) &&
               archivos.agrega("importance_" + n, textoImportancia(r.covariables, e.pesos), razon) &&
               archivos.agrega("response_" + n, textoRespuesta(r.covariables, e.respuesta), razon);
    }
    return bien;
}

// Points of the bar handed to the runs: `total` runs share 100.
struct Reparto {
    int total;
    int hechos = 0;
    int siguiente() {
        ++hechos;
        return 100 * hechos / total - 100 * (hechos - 1) / total;
    }
};

std::string linea(std::initializer_list<std::string> campos) {
    std::string l;
    for (const std::string& c : campos) l += (l.empty() ? "" : ",") + c;
    return l + "\n";
}

// Enough digits to read back the same single-precision value.
std::string coordenada(float v) { return m::texto(static_cast<double>(v), 9); }

std::string filaMetricas(const std::string& especie, const std::string& pliegue, const std::string& entrenamiento,
                         const std::string& prueba, const ValoresMetricas& v, const std::string& nota) {
    std::string l = especie + "," + pliegue + "," + entrenamiento + "," + prueba;
    for (double x : v) l += "," + m::texto(x);
    return l + "," + nota + "\n";
}

// `falla` for the steps that answer whether the evaluation goes on.
bool detiene(ResumenEvaluacion& r, Fin fin, std::string frase, const fs::path& archivo = {}) {
    falla(r, fin, std::move(frase), archivo);
    return false;
}

// The species to evaluate: the one asked for, else every species of the
// sites file. False, with the summary ended, for a species the file lacks.
bool especiesEvaluadas(const OpcionesEvaluacion& o, const cargaArchivo& datos, ResumenEvaluacion& r,
                       std::vector<std::string>& especies) {
    const std::vector<std::string> todas = especiesDe(datos);
    especies = todas;
    if (o.prediccion.especie) {
        if (std::find(todas.begin(), todas.end(), *o.prediccion.especie) == todas.end()) {
            std::string lista;
            for (const auto& n : todas) lista += (lista.empty() ? "" : ", ") + n;
            return detiene(r, Fin::kEspecie,
                           "unknown species '" + *o.prediccion.especie + "'; the sites file holds: " +
                               (lista.empty() ? "(none)" : lista),
                           o.prediccion.sitios);
        }
        especies = {*o.prediccion.especie};
    }
    return true;
}

// The partitions first: a species that cannot be evaluated stops the
// evaluation before any run. Gives the rows of each species' sites and
// how many runs the evaluation makes.
bool particionaEspecies(const OpcionesEvaluacion& o, const cargaArchivo& datos,
                        const std::vector<std::string>& especies, ResumenEvaluacion& r,
                        std::vector<std::vector<int>>& filas, int& corridas) {
    for (const std::string& especie : especies) {
        EspecieEvaluada& e = r.especies.emplace_back();
        e.especie = especie;
        TImagenN<float> sitios = sitiosDe(datos, especie);
        e.x = sitios.datos[0];
        e.y = sitios.datos[1];
        filas.push_back(filasDeSitios(datos, sitios));
        int pliegues = 0;
        std::string error;
        if (!particiona(o, datos, e, filas.back(), pliegues, error))
            return detiene(r, Fin::kFallo, error, o.prediccion.sitios);
        e.pliegues.resize(static_cast<std::size_t>(pliegues));
        corridas += 1 + pliegues;
    }
    return true;
}

// The output folder and, for fold maps, the region's coordinate system.
bool preparaSalida(const OpcionesEvaluacion& o, std::string& prj, std::string& razon, ResumenEvaluacion& r) {
    if (!creaCarpeta(o.prediccion.salida, razon)) return detiene(r, Fin::kFallo, razon, o.prediccion.salida);
    if (o.mapasPliegues && !quel::gdal::textoPrj(quel::gdal::sistemaDeTabla(o.prediccion.covariables), prj))
        return detiene(r, Fin::kFallo,
                       o.prediccion.covariables.string() + ": cannot write the region's coordinate system");
    return true;
}

// What the runs of an evaluation share.
struct Corridas {
    const OpcionesEvaluacion& o;
    cargaArchivo& datos;
    Progreso& progreso;
    ResumenEvaluacion& r;
    Archivos& archivos;
    const std::string& prj;
    std::string& razon;
    const std::vector<int>& categorias;
    const std::vector<int>& fondo;
    Reparto reparto;
    std::shared_ptr<const PreparacionMotor> preparacion;
};

// The run on all the species' sites: importance and response.
bool corridaCompleta(Corridas& c, EspecieEvaluada& e) {
    ejecutarQuel motor;
    ProgresoTramo tramo(c.progreso, c.reparto.siguiente());
    const ResumenPrediccion p = corre(c.o, c.datos, e.especie, c.preparacion, motor, tramo);
    if (!p.bien()) {
        terminaCon(c.r, p);
        return false;
    }
    e.pesos = motor.pesosPosteriores;
    e.importancia = m::importancia(c.datos.numCovariables, e.pesos);
    e.respuesta = m::respuesta(*c.datos.covariables, c.categorias, *motor.predictiva);
    return true;
}

// A fold's map, and the region's coordinate system beside it, among the files.
bool agregaMapaPliegue(Corridas& c, const EspecieEvaluada& e, const PliegueEvaluado& p,
                       const TImagenN<long double>& mapa) {
    const std::string nombre = "fold_" + nombreEnArchivo(e.especie) + "_" + std::to_string(p.pliegue);
    std::string texto;
    if (!exportaArchivo::textoGrid(*c.datos.coordenadas, mapa, texto, c.razon))
        return detiene(c.r, Fin::kFallo,
                       c.o.prediccion.covariables.string() + ": the table gives no valid result grid: " + c.razon,
                       c.o.prediccion.covariables);
    if (!c.archivos.agrega(nombre + ".asc", texto, c.razon) ||
        (!c.prj.empty() && !c.archivos.agrega(nombre + ".prj", c.prj, c.razon)))
        return detiene(c.r, Fin::kFallo, c.razon);
    return true;
}

// The run on a fold's training sites, lent to the dataset, then its scores
// and, when asked, its map.
bool corridaPliegue(Corridas& c, const EspecieEvaluada& e, PliegueEvaluado& p,
                    const std::vector<std::size_t>& entrenamiento, const std::vector<int>& filasEntrenamiento,
                    const std::vector<int>& filasPrueba, Progreso& tramo) {
    auto sitios = std::make_unique<TImagenN<float>>(p.entrenamiento, 3);
    auto nombres = std::make_unique<TImagenN<AnsiString>>(p.entrenamiento, 1);
    for (std::size_t j = 0; j < entrenamiento.size(); ++j) {
        sitios->datos[0][j] = e.x[entrenamiento[j]];
        sitios->datos[1][j] = e.y[entrenamiento[j]];
        nombres->datos[0][j] = e.especie;
    }
    ejecutarQuel motor;
    {
        SitiosPrestados prestados(c.datos, std::move(sitios), std::move(nombres));
        const ResumenPrediccion corrida = corre(c.o, c.datos, e.especie, c.preparacion, motor, tramo);
        if (!corrida.bien()) {
            terminaCon(c.r, corrida);
            return false;
        }
    }
    puntua(p, *motor.predictiva, filasEntrenamiento, filasPrueba, c.fondo);
    if (c.archivos.activo() && c.o.mapasPliegues) return agregaMapaPliegue(c, e, p, *motor.predictiva);
    return true;
}

// Fold `k` of a species: its sites split into training and held-out ones
// (`filas` their rows), then its run unless one side is empty.
bool evaluaPliegue(Corridas& c, EspecieEvaluada& e, std::size_t k, const std::vector<int>& filas) {
    PliegueEvaluado& p = e.pliegues[k];
    p.pliegue = static_cast<int>(k) + 1;
    p.valores = vacios();
    std::vector<int> filasEntrenamiento, filasPrueba;
    std::vector<std::size_t> entrenamiento;
    for (std::size_t s = 0; s < e.pliegue.size(); ++s) {
        if (e.pliegue[s] == 0) continue;
        if (e.pliegue[s] == p.pliegue) {
            filasPrueba.push_back(filas[s]);
        } else {
            filasEntrenamiento.push_back(filas[s]);
            entrenamiento.push_back(s);
        }
    }
    p.entrenamiento = static_cast<int>(filasEntrenamiento.size());
    p.prueba = static_cast<int>(filasPrueba.size());
    ProgresoTramo tramo(c.progreso, c.reparto.siguiente());
    if (p.prueba == 0 || p.entrenamiento == 0) {
        p.nota = p.prueba == 0 ? "no held-out site" : "no training site";
        tramo.termina();
        return true;
    }
    return corridaPliegue(c, e, p, entrenamiento, filasEntrenamiento, filasPrueba, tramo);
}

// The mean and spread of each metric over a species' folds.
void resumeMetricas(EspecieEvaluada& e, bool jackknife) {
    for (int c = 0; c < kMetricas; ++c) {
        std::vector<double> v;
        for (const PliegueEvaluado& p : e.pliegues) v.push_back(p.valores[static_cast<std::size_t>(c)]);
        const m::Resumen s = m::resume(v, jackknife);
        e.media[static_cast<std::size_t>(c)] = s.media;
        e.desviacion[static_cast<std::size_t>(c)] = s.desviacion;
    }
}

// The tables joined to the files, then the whole set put in place.
bool colocaArchivos(Archivos& archivos, ResumenEvaluacion& r, Progreso& progreso, std::string& razon) {
    if (!agregaTablas(archivos, r, razon)) return detiene(r, Fin::kFallo, razon);
    // Last chance to stop: past this point the set replaces the earlier one.
    if (progreso.cancelado()) {
        r.fin = Fin::kCancelada;
        r.error = quel::ErrorArchivo(quel::kCodigoCancelado, 0, {});
        return false;
    }
    if (!archivos.coloca(razon)) return detiene(r, Fin::kFallo, razon);
    return true;
}

}  // namespace

const char* nombreMetrica(Metrica metrica) { return kNombresMetricas[metrica]; }

std::string OpcionesEvaluacion::valida() const {
    if (std::string e = prediccion.valida(); !e.empty()) return e;
    if (pliegues < 2 || pliegues > 1000) return "folds must be from 2 to 1000, not " + std::to_string(pliegues);
    if (ladoBloque < 1) return "block cells must be 1 or more, not " + std::to_string(ladoBloque);
    if (fondo < 0) return "background cells must be 0 or more, not " + std::to_string(fondo);
    return {};
}

std::vector<std::string> nombresCovariables(const cargaArchivo& d) {
    std::vector<std::string> r;
    for (int k = 0; k < d.numCovariables; ++k) {
        const auto* n = d.nombresCovariables.get();
        const bool hay = n && n->columnas > 0 && k < n->renglones && !n->datos[0][static_cast<std::size_t>(k)].empty();
        r.push_back(hay ? n->datos[0][static_cast<std::size_t>(k)] : "covariate" + std::to_string(k + 1));
    }
    return r;
}

std::vector<int> categoriasCovariables(const cargaArchivo& d) {
    std::vector<int> r;
    for (int k = 0; k < d.numCovariables; ++k) {
        const float c = d.categorias && k < d.categorias->renglones ? d.categorias->datos[0][static_cast<std::size_t>(k)] : 0;
        r.push_back(c >= 1 ? (c < 1e9f ? static_cast<int>(c) : 1000000000) : 0);
    }
    return r;
}

ResumenEvaluacion evaluacion(const OpcionesEvaluacion& o, cargaArchivo& datos, Progreso& progreso) {
    ResumenEvaluacion r;
    if (std::string e = o.valida(); !e.empty()) return falla(r, Fin::kOpciones, e);
    ResumenPrediccion carga;
    OpcionesPrediccion op = o.prediccion;
    op.salida.clear();  // the table's grid is checked where a fold map needs it
    {
        ProgresoTramo tramo(progreso, 10);
        if (!cargaPrediccion(op, datos, carga, tramo)) return terminaCon(r, carga);
    }
    OpcionesEvaluacion cargadas = o;
    cargadas.prediccion.prioriUniforme = o.prediccion.priori.empty();
    ProgresoTramo tramo(progreso, 90);
    return evaluacionDeDatos(cargadas, datos, tramo);
}

ResumenEvaluacion evaluacionDeDatos(const OpcionesEvaluacion& o, cargaArchivo& datos, Progreso& progreso) {
    const auto inicio = std::chrono::steady_clock::now();
    ResumenEvaluacion r;
    if (std::string e = o.valida(); !e.empty()) return falla(r, Fin::kOpciones, e);
    if (!datos.covariables || !datos.coordenadas || !datos.sitios || !datos.especies || datos.covariables->columnas < 1)
        return falla(r, Fin::kFallo, "an evaluation needs covariates and sites loaded");
    std::vector<std::string> especies;
    if (!especiesEvaluadas(o, datos, r, especies)) return r;
    r.covariables = nombresCovariables(datos);
    const std::vector<int> categorias = categoriasCovariables(datos);
    const std::vector<int> fondo = filasFondo(*datos.covariables, o.fondo, o.semilla);
    const bool jackknife = o.particion == m::Particion::kJackknife;

    std::vector<std::vector<int>> filas;
    int corridas = 0;
    if (!particionaEspecies(o, datos, especies, r, filas, corridas)) return r;

    const OpcionesPrediccion& p = o.prediccion;
    Archivos archivos(p.salida, {p.covariables, p.sitios, p.sesgo, p.priori});
    std::string prj, razon;
    if (archivos.activo() && !preparaSalida(o, prj, razon, r)) return r;
    Corridas c{o, datos, progreso, r, archivos, prj, razon, categorias, fondo, Reparto{std::max(corridas, 1)}, {}};
    for (std::size_t i = 0; i < r.especies.size(); ++i) {
        EspecieEvaluada& e = r.especies[i];
        if (!corridaCompleta(c, e)) return r;
        for (std::size_t k = 0; k < e.pliegues.size(); ++k)
            if (!evaluaPliegue(c, e, k, filas[i])) return r;
        resumeMetricas(e, jackknife);
    }
    if (archivos.activo() && !colocaArchivos(archivos, r, progreso, razon)) return r;
    r.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    r.fin = Fin::kBien;
    return r;
}

bool escribeEvaluacion(const ResumenEvaluacion& r, const fs::path& carpeta, std::string& razon) {
    if (!creaCarpeta(carpeta, razon)) return false;
    Archivos archivos(carpeta);
    return agregaTablas(archivos, r, razon) && archivos.coloca(razon);
}

std::string textoEvaluacion(const ResumenEvaluacion& r) {
    std::string t = "species,fold,training_sites,test_sites";
    for (const char* n : kNombresMetricas) t += std::string(",") + n;
    t += ",note\n";
    for (const EspecieEvaluada& e : r.especies) {
        for (const PliegueEvaluado& p : e.pliegues)
            t += filaMetricas(e.especie, std::to_string(p.pliegue), std::to_string(p.entrenamiento),
                              std::to_string(p.prueba), p.valores, p.nota);
        t += filaMetricas(e.especie, "mean", "", "", e.media, "");
        t += filaMetricas(e.especie, "sd", "", "", e.desviacion, "");
    }
    return t;
}

std::string textoPliegues(const ResumenEvaluacion& r) {
    std::string t = "species,x,y,fold\n";
    for (const EspecieEvaluada& e : r.especies)
        for (std::size_t s = 0; s < e.pliegue.size(); ++s)
            t += linea({e.especie, coordenada(e.x[s]), coordenada(e.y[s]), std::to_string(e.pliegue[s])});
    return t;
}

std::string textoROC(const EspecieEvaluada& e) {
    std::string t = "fold,threshold,false_positive_rate,true_positive_rate\n";
    for (const PliegueEvaluado& p : e.pliegues)
        for (const m::PuntoROC& q : p.roc)
            t += linea({std::to_string(p.pliegue), std::isfinite(q.umbral) ? m::texto(q.umbral) : "", m::texto(q.falsos),
                        m::texto(q.verdaderos)});
    return t;
}

std::string textoBoyce(const EspecieEvaluada& e) {
    std::string t = "fold,window_midpoint,ratio\n";
    for (const PliegueEvaluado& p : e.pliegues)
        for (const m::VentanaBoyce& v : p.boyce)
            t += linea({std::to_string(p.pliegue), m::texto(v.centro), m::texto(v.razon)});
    return t;
}

std::string textoImportancia(const std::vector<std::string>& covariables, const std::vector<long double>& pesos) {
    const int K = static_cast<int>(covariables.size());
    const std::vector<double> importancia = m::importancia(K, pesos);
    std::string t = "covariate,second_covariate,weight\n";
    for (int k = 0; k < K; ++k)
        t += linea({covariables[static_cast<std::size_t>(k)], "", m::texto(importancia[static_cast<std::size_t>(k)])});
    std::size_t k = 0;
    for (int i = 0; i + 1 < K; ++i)
        for (int j = i + 1; j < K && k < pesos.size(); ++j, ++k)
            t += linea({covariables[static_cast<std::size_t>(i)], covariables[static_cast<std::size_t>(j)],
                        m::texto(static_cast<double>(pesos[k]))});
    return t;
}

std::string textoRespuesta(const std::vector<std::string>& covariables, const std::vector<m::Respuesta>& respuesta) {
    std::string t = "covariate,category,cells,mean_predictive\n";
    for (const m::Respuesta& q : respuesta)
        t += linea({covariables[static_cast<std::size_t>(q.covariable)], std::to_string(q.categoria),
                    std::to_string(q.celdas), m::texto(q.media)});
    return t;
}

std::string nombreEnArchivo(const std::string& especie) {
    std::string r = especie;
    for (char& c : r) {
        const bool bien = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '-' || c == '_';
        if (!bien) c = '_';
    }
    return r;
}
