#include "engine/corridaPrediccion.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <system_error>

#include "data/apoyoGDAL.h"
#include "data/cargaArchivo.h"
#include "data/cargaRegion.h"
#include "data/escritorResultados.h"
#include "data/exportaArchivo.h"
#include "data/geometriaTabla.h"
#include "data/lenguaje.h"
#include "data/salidaGDAL.h"
#include "engine/ejecutarQuel.h"
#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;

namespace {

using Fin = ResumenPrediccion::Fin;

// Shares of the progress bar (they add up to 100).
constexpr int kParteCarga = 5;  // each of the four loads
constexpr int kParteMotor = kPuntosMotorPrediccion;
constexpr int kParteSalida = 20;

// Ends the summary with `fin` and the error value.
ResumenPrediccion& termina(ResumenPrediccion& r, Fin fin, quel::ErrorArchivo error = {}) {
    r.fin = fin;
    r.error = std::move(error);
    return r;
}

// A failure told in one sentence (about `archivo`, when it names one).
ResumenPrediccion& fallaCon(ResumenPrediccion& r, Fin fin, std::string frase, const fs::path& archivo = {}) {
    return termina(r, fin, quel::ErrorArchivo(codigos::kVacio, 0, std::move(frase), archivo));
}

// The known species, in the order of the sorted sites, each once.
std::vector<std::string> especiesConocidas(const TImagenN<AnsiString>& especies) {
    std::vector<std::string> r;
    for (const auto& n : especies.datos[0])
        if (std::find(r.begin(), r.end(), n) == r.end()) r.push_back(n);
    return r;
}

// The sites of one species, in site order, as the explorer's per-species
// prediction builds them.
void soloEspecie(const cargaArchivo& datos, const std::string& nombre, TImagenN<float>& sitios,
                 TImagenN<AnsiString>& especies) {
    int n = 0;
    for (const auto& e : datos.especies->datos[0]) n += e == nombre;
    sitios = TImagenN<float>(n, 3);
    especies = TImagenN<AnsiString>(n, 1);
    int j = 0;
    for (int i = 0; i < datos.especies->renglones; ++i) {
        const auto ii = static_cast<std::size_t>(i);
        if (datos.especies->datos[0][ii] != nombre) continue;
        const auto jj = static_cast<std::size_t>(j++);
        sitios.datos[0][jj] = datos.sitios->datos[0][ii];
        sitios.datos[1][jj] = datos.sitios->datos[1][ii];
        especies.datos[0][jj] = nombre;
    }
}

// The output folder, created when missing; false with the summary ended.
bool creaCarpeta(const OpcionesPrediccion& o, ResumenPrediccion& r) {
    std::error_code ec;
    fs::create_directories(o.salida, ec);
    if (!ec && fs::is_directory(o.salida)) return true;
    fallaCon(r, Fin::kFallo,
             o.salida.string() + ": cannot create the output folder" + (ec ? ": " + ec.message() : std::string()),
             o.salida);
    return false;
}

// The names and column titles of the three result surfaces.
struct Superficie {
    const char* nombre;
    std::size_t titulo;
};
constexpr Superficie kSuperficies[3] = {{"predictive", 2}, {"certainty", 3}, {"prior_potential", 4}};

tablaResultados::Titulos titulosDe(const Superficie& s) {
    const auto& t = quel::lenguaje::tablasIncluidas(quel::lenguaje::Idioma::kIngles).mensajesExporta;
    return {t[0], t[1], t[s.titulo]};
}

// The summary ended at a covariate table whose rows give no result grid.
ResumenPrediccion& sinGrid(ResumenPrediccion& r, const OpcionesPrediccion& o, const std::string& razon) {
    return fallaCon(r, Fin::kFallo, o.covariables.string() + ": the table gives no valid result grid: " + razon,
                    o.covariables);
}

// The four loads, covariates first as the main window allows them; false
// with the summary ended at the first that fails.
bool cargaEntradas(const OpcionesPrediccion& o, cargaArchivo& datos, ResumenPrediccion& r, Progreso& progreso) {
    const auto carga = [&](int codigo) {
        if (codigo != codigos::kOk)
            termina(r, codigo == quel::kCodigoCancelado ? Fin::kCancelada : Fin::kCarga, datos.error);
        progreso.avanza(kParteCarga);
        return codigo == codigos::kOk && !progreso.cancelado();
    };
    if (!carga(datos.cargaCovariables(o.covariables, progreso))) return false;
    if (!o.salida.empty()) {
        // The result grids need a table that runs row by row from the top-left cell.
        std::string razon;
        if (quel::GeometriaTabla g; !g.lee(*datos.coordenadas, &razon)) {
            sinGrid(r, o, razon);
            return false;
        }
    }
    if (o.sesgo.empty()) datos.sesgoUniforme();
    if (!carga(o.sesgo.empty() ? codigos::kOk : datos.cargaSesgo(o.sesgo, progreso))) return false;
    if (o.priori.empty()) datos.prioriUniforme();
    if (!carga(o.priori.empty() ? codigos::kOk : datos.cargaPriori(o.priori, progreso))) return false;
    return carga(datos.cargaSitios(o.sitios, progreso));
}

// The result files, put in place together once every one is complete; false
// with the summary ended at the file that failed (nothing is then replaced).
bool escribeResultados(const OpcionesPrediccion& o, const cargaArchivo& datos, const ejecutarQuel& motor,
                       ResumenPrediccion& r, Progreso& progreso) {
    if (!creaCarpeta(o, r)) return false;
    const quel::gdal::Sistema sistema = quel::gdal::sistemaDeTabla(o.covariables);
    const TImagenN<long double>* valores[3] = {motor.predictiva.get(), motor.certidumbre.get(), motor.potPriori.get()};
    std::string prj;
    if (!quel::gdal::textoPrj(sistema, prj)) {
        fallaCon(r, Fin::kFallo, o.covariables.string() + ": cannot write the region's coordinate system",
                 o.covariables);
        return false;
    }
    std::vector<quel::gdal::TemporalJunto> tifs;
    tifs.reserve(3);
    std::vector<std::unique_ptr<quel::ArchivoNuevo>> archivos;
    auto nuevo = [&](const fs::path& ruta) -> quel::ArchivoNuevo& {
        return *archivos.emplace_back(std::make_unique<quel::ArchivoNuevo>(ruta));
    };
    auto falla = [&](const fs::path& archivo, const std::string& que) {
        fallaCon(r, Fin::kFallo, archivo.string() + ": cannot write the " + que, archivo);
        return false;
    };
    for (std::size_t k = 0; k < 3; ++k) {
        const Superficie& s = kSuperficies[k];
        const TImagenN<long double>& v = *valores[k];
        quel::ArchivoNuevo& txt = nuevo(o.salida / (std::string(s.nombre) + ".txt"));
        if (!tablaResultados::escribe(txt, titulosDe(s), *datos.coordenadas, v, o.digitos) ||
            !txt.termina())
            return falla(txt.destino(), "result table: " + txt.razon());
        progreso.avanza(kParteSalida / 6);
        const fs::path grid = o.salida / (std::string(s.nombre) + (o.geotiff ? ".tif" : ".asc"));
        // A GeoTIFF needs only the grid's geometry, not the ASCII text.
        std::string texto, razon;
        quel::GeometriaTabla geometria;
        if (o.geotiff ? !geometria.lee(*datos.coordenadas, &razon)
                      : !exportaArchivo::textoGrid(*datos.coordenadas, v, texto, razon))
            return falla(grid, "result grid: " + razon);
        if (o.geotiff) {
            // GDAL writes to a path: a temporary beside the result, put in
            // place with the rest of the set.
            quel::gdal::TemporalJunto& t = tifs.emplace_back(grid);
            if (!t.bien() || !quel::gdal::escribeGeoTIFF(t.ruta(), *datos.coordenadas, v, sistema))
                return falla(grid, "result grid");
        } else {
            quel::ArchivoNuevo& asc = nuevo(grid);
            if (!asc.agrega(texto) || !asc.termina()) return falla(grid, "result grid: " + asc.razon());
            if (!prj.empty()) {
                quel::ArchivoNuevo& f = nuevo(quel::gdal::rutaPrj(grid));
                if (!f.agrega(prj) || !f.termina()) return falla(f.destino(), "coordinate system: " + f.razon());
            }
        }
        progreso.avanza(kParteSalida / 6);
    }
    // Last chance to stop: past this point the set replaces the earlier one.
    if (progreso.cancelado()) {
        termina(r, Fin::kCancelada, quel::ErrorArchivo(quel::kCodigoCancelado, 0, {}));
        return false;
    }
    std::vector<quel::ArchivoNuevo*> conjunto;
    for (auto& f : archivos) conjunto.push_back(f.get());
    std::string razon;
    if (!quel::colocaTodos(conjunto, &razon)) {
        fallaCon(r, Fin::kFallo, razon);
        return false;
    }
    for (quel::gdal::TemporalJunto& t : tifs)
        if (!t.coloca()) return falla(t.destino(), "result grid");
    return true;
}

// The sites of one species (`especie`'s grids) when the run asks for one.
struct SitiosEspecie {
    TImagenN<float> sitios;
    TImagenN<AnsiString> nombres;
};

// Points `copia` at the run's sites: all of `datos`', or those of the
// species asked for; false, with the summary ended, for an unknown species.
bool eligeSitios(const OpcionesPrediccion& o, const cargaArchivo& datos, copiaDatos& copia, SitiosEspecie& especie,
                 ResumenPrediccion& r) {
    copia.sitios = datos.sitios.get();
    copia.especies = datos.especies.get();
    copia.numEspecies = datos.numEspecies;
    if (!o.especie) return true;
    const auto conocidas = datos.especies ? especiesConocidas(*datos.especies) : std::vector<std::string>();
    if (std::find(conocidas.begin(), conocidas.end(), *o.especie) == conocidas.end()) {
        std::string lista;
        for (const auto& n : conocidas) lista += (lista.empty() ? "" : ", ") + n;
        fallaCon(r, Fin::kEspecie,
                 "unknown species '" + *o.especie + "'; the sites file holds: " + (lista.empty() ? "(none)" : lista),
                 o.sitios);
        return false;
    }
    soloEspecie(datos, *o.especie, especie.sitios, especie.nombres);
    copia.sitios = &especie.sitios;
    copia.especies = &especie.nombres;
    copia.numEspecies = 1;
    return true;
}

// Ends the summary at an engine code other than success or cancel, naming
// the file it is about (`prioriDistinta`: the prior's rows are not the
// covariates').
ResumenPrediccion& terminaMotor(ResumenPrediccion& r, int codigo, const ejecutarQuel& motor,
                                const OpcionesPrediccion& o, bool prioriDistinta) {
    quel::ErrorArchivo error = motor.error();
    error.codigo = codigo;
    error.archivo = o.covariables;
    if (codigo == ejecutarQuel::kRenglones) error.archivo = prioriDistinta ? o.priori : o.sesgo;
    return termina(r, Fin::kMotor, std::move(error));
}

// The result files of a run in blocks: for each surface its table, its grid
// and, when the region has a coordinate system, the grid's .prj; fed by the
// engine block by block, put in place together at the end.
class SalidaEnBloques : public SumideroResultados {
public:
    SalidaEnBloques(const OpcionesPrediccion& o, const quel::CoordenadasRegion& coordenadas, const std::string& prj) {
        for (const Superficie& s : kSuperficies) {
            auto& tabla = nuevo(o.salida / (std::string(s.nombre) + ".txt"), "result table");
            auto& grid = nuevo(o.salida / (std::string(s.nombre) + ".asc"), "result grid");
            if (!prj.empty()) nuevo(quel::gdal::rutaPrj(grid.destino()), "coordinate system").agrega(prj);
            escritores_.push_back(
                std::make_unique<quel::EscritorSuperficie>(&tabla, &grid, titulosDe(s), coordenadas, o.digitos, o.hilos));
        }
    }
    // Writes the headers; false with the summary ended when the region gives no grid.
    bool inicia(const OpcionesPrediccion& o, ResumenPrediccion& r) {
        for (auto& [archivo, que] : archivos_)
            if (!archivo->bien()) return falla(r);
        for (auto& e : escritores_) {
            std::string razon;
            if (!e->inicia(razon)) {
                sinGrid(r, o, razon);
                return false;
            }
        }
        return true;
    }
    bool bloque(std::size_t desde, std::size_t n, const long double* p, const long double* c,
                const long double* a) override {
        return escritores_[0]->agrega(desde, p, n) && escritores_[1]->agrega(desde, c, n) &&
               escritores_[2]->agrega(desde, a, n);
    }
    // Completes every file and puts the set in place; false with the summary
    // ended at the first file that failed.
    bool coloca(ResumenPrediccion& r, Progreso& progreso) {
        for (auto& e : escritores_) e->termina();
        for (auto& [archivo, que] : archivos_)
            if (!archivo->termina()) return falla(r);
        if (progreso.cancelado()) {
            termina(r, Fin::kCancelada, quel::ErrorArchivo(quel::kCodigoCancelado, 0, {}));
            return false;
        }
        std::vector<quel::ArchivoNuevo*> conjunto;
        for (auto& [archivo, que] : archivos_) conjunto.push_back(archivo.get());
        std::string razon;
        if (quel::colocaTodos(conjunto, &razon)) return true;
        fallaCon(r, Fin::kFallo, razon);
        return false;
    }
    // Ends the summary at the first file that failed.
    bool falla(ResumenPrediccion& r) {
        for (auto& [archivo, que] : archivos_)
            if (!archivo->bien()) {
                fallaCon(r, Fin::kFallo, archivo->destino().string() + ": cannot write the " + que + ": " + archivo->razon(),
                         archivo->destino());
                return false;
            }
        fallaCon(r, Fin::kFallo, "the results could not be written");
        return false;
    }

private:
    quel::ArchivoNuevo& nuevo(const fs::path& ruta, const char* que) {
        archivos_.emplace_back(std::make_unique<quel::ArchivoNuevo>(ruta), que);
        return *archivos_.back().first;
    }
    std::vector<std::pair<std::unique_ptr<quel::ArchivoNuevo>, const char*>> archivos_;
    std::vector<std::unique_ptr<quel::EscritorSuperficie>> escritores_;
};

// Removes an output folder a failed run created, when it stayed empty.
struct CarpetaNueva {
    fs::path ruta;
    bool existia = true;
    bool conserva = false;
    ~CarpetaNueva() {
        std::error_code ec;
        if (!existia && !conserva) fs::remove(ruta, ec);
    }
};

}  // namespace

std::string OpcionesPrediccion::valida() const {
    if (digitos < 1 || digitos > 30) return "digits must be from 1 to 30, not " + std::to_string(digitos);
    if (hilos < 0 || hilos > 1024) return "threads must be from 0 to 1024, not " + std::to_string(hilos);
    if (especie && especie->empty()) return "the species name is empty";
    return {};
}

std::string ResumenPrediccion::breve() const {
    static const char* const kFines[] = {"not run", "done", "bad settings", "unknown species",
                                         "load failed", "engine stopped", "failed", "cancelled"};
    std::string l = kFines[static_cast<int>(fin)];
    if (error.hay()) l += " (code " + std::to_string(error.codigo) + ")";
    l += "; pairs " + std::to_string(pares) + ", rows " + std::to_string(filas) + ", unassigned sites " +
         std::to_string(sinAsignar) + ", " + std::to_string(segundos) + " s";
    return l;
}

bool cargaPrediccion(const OpcionesPrediccion& o, cargaArchivo& datos, ResumenPrediccion& r, Progreso& progreso) {
    if (cargaEntradas(o, datos, r, progreso)) return true;
    if (r.fin == Fin::kNoEjecutada) termina(r, Fin::kCancelada, quel::ErrorArchivo(quel::kCodigoCancelado, 0, {}));
    return false;
}

ResumenPrediccion corridaPrediccion(const OpcionesPrediccion& o, cargaArchivo& datos, ejecutarQuel& motor,
                                    Progreso& progreso) {
    ResumenPrediccion r;
    if (std::string e = o.valida(); !e.empty()) return fallaCon(r, Fin::kOpciones, e);
    if (!cargaPrediccion(o, datos, r, progreso)) return r;
    OpcionesPrediccion cargadas = o;
    cargadas.prioriUniforme = o.priori.empty();
    return prediccionDeDatos(cargadas, datos, motor, progreso);
}

ResumenPrediccion prediccionDeDatos(const OpcionesPrediccion& o, cargaArchivo& datos, ejecutarQuel& motor,
                                    Progreso& progreso) {
    const auto inicio = std::chrono::steady_clock::now();
    ResumenPrediccion r;
    if (std::string e = o.valida(); !e.empty()) return fallaCon(r, Fin::kOpciones, e);
    const auto cancelada = [&] { return termina(r, Fin::kCancelada, quel::ErrorArchivo(quel::kCodigoCancelado, 0, {})); };
    if (progreso.cancelado()) return cancelada();

    copiaDatos copia = copiaDatos::de(datos);
    SitiosEspecie especie;
    if (!eligeSitios(o, datos, copia, especie, r)) return r;

    // The run works in an engine of its own: the caller's keeps its results
    // until this one has succeeded.
    ejecutarQuel nuevo(o.hilos);
    nuevo.fijaLimiteMemoria(o.memoria);
    nuevo.fijaSoloPredictiva(o.soloPredictiva);
    nuevo.usaPreparacion(o.preparacion);
    nuevo.conservaPreparacion(o.conservaPreparacion);
    int codigo = 0;
    {
        ProgresoTramo tramo(progreso, kParteMotor);
        try {
            codigo = nuevo.ejecuta(copia, o.prioriUniforme ? 1 : 0, tramo);
        } catch (const std::exception& ex) {
            r.causa = ex.what();
            return fallaCon(r, Fin::kFallo, "the run failed: " + r.causa);
        }
    }
    r.filas = datos.covariables ? datos.covariables->renglones : 0;
    if (codigo == ejecutarQuel::kCancelado) return cancelada();
    if (codigo != 0)
        return terminaMotor(r, codigo, nuevo, o,
                            !datos.priori || !datos.covariables || datos.priori->renglones != datos.covariables->renglones);
    r.pares = nuevo.numPares;
    r.sinAsignar = nuevo.sitiosSinAsignar;
    r.descartes = nuevo.descartes;
    if (!o.salida.empty() && !o.soloPredictiva && !escribeResultados(o, datos, nuevo, r, progreso)) return r;
    motor = std::move(nuevo);
    r.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    return termina(r, Fin::kBien);
}

ResumenPrediccion corridaEnBloques(const OpcionesPrediccion& o, cargaArchivo& datos, Progreso& progreso) {
    const auto completa = [&] {
        ejecutarQuel motor;
        return corridaPrediccion(o, datos, motor, progreso);
    };
    if (o.salida.empty() || o.geotiff || o.soloPredictiva || o.preparacion || o.conservaPreparacion) return completa();
    const auto inicio = std::chrono::steady_clock::now();
    ResumenPrediccion r;
    if (std::string e = o.valida(); !e.empty()) return fallaCon(r, Fin::kOpciones, e);
    const auto cancelada = [&] { return termina(r, Fin::kCancelada, quel::ErrorArchivo(quel::kCodigoCancelado, 0, {})); };

    // The three tables, read compactly; anything the compact readers hand
    // back is read again by the text loaders, which report what they find.
    quel::RegionCompacta region;
    using quel::FinCargaRegion;
    for (int parte = 0; parte < 3; ++parte) {
        const fs::path& ruta = parte == 0 ? o.covariables : parte == 1 ? o.sesgo : o.priori;
        FinCargaRegion fin = FinCargaRegion::kBien;
        if (parte == 0) fin = quel::cargaCovariablesRegion(ruta, region, o.hilos, progreso);
        else if (!ruta.empty())
            fin = parte == 1 ? quel::cargaSesgoRegion(ruta, region, o.hilos, progreso)
                             : quel::cargaPrioriRegion(ruta, region, o.hilos, progreso);
        if (fin == FinCargaRegion::kCancelada) return cancelada();
        if (fin == FinCargaRegion::kNoRapida) return completa();
        progreso.avanza(kParteCarga);
        if (parte == 0) {
            std::string razon;
            if (quel::GeometriaTabla g; !g.lee(region.coordenadas, &razon)) return sinGrid(r, o, razon);
        }
    }
    const int cargaSitios = datos.cargaSitios(o.sitios, progreso);
    if (cargaSitios != codigos::kOk)
        return termina(r, cargaSitios == quel::kCodigoCancelado ? Fin::kCancelada : Fin::kCarga, datos.error);
    progreso.avanza(kParteCarga);
    if (progreso.cancelado()) return cancelada();

    copiaDatos copia;
    copia.region = &region;
    SitiosEspecie especie;
    if (!eligeSitios(o, datos, copia, especie, r)) return r;

    std::string prj;
    if (!quel::gdal::textoPrj(quel::gdal::sistemaDeTabla(o.covariables), prj))
        return fallaCon(r, Fin::kFallo, o.covariables.string() + ": cannot write the region's coordinate system",
                        o.covariables);
    CarpetaNueva carpeta{o.salida, fs::exists(o.salida)};
    if (!creaCarpeta(o, r)) return r;
    SalidaEnBloques salida(o, region.coordenadas, prj);
    if (!salida.inicia(o, r)) return r;

    ejecutarQuel motor(o.hilos);
    motor.fijaLimiteMemoria(o.memoria);
    motor.fijaSumidero(&salida);
    int codigo = 0;
    {
        ProgresoTramo tramo(progreso, kParteMotor);
        try {
            codigo = motor.ejecuta(copia, o.priori.empty() ? 1 : 0, tramo);
        } catch (const std::exception& ex) {
            r.causa = ex.what();
            return fallaCon(r, Fin::kFallo, "the run failed: " + r.causa);
        }
    }
    r.filas = static_cast<int>(region.filas());
    if (codigo == ejecutarQuel::kCancelado) return cancelada();
    if (codigo == ejecutarQuel::kSumidero) {
        salida.falla(r);
        return r;
    }
    if (codigo != 0)
        return terminaMotor(r, codigo, motor, o, !region.prioriUniforme && region.priori.size() != region.filas());
    r.pares = motor.numPares;
    r.sinAsignar = motor.sitiosSinAsignar;
    r.descartes = motor.descartes;
    if (!salida.coloca(r, progreso)) return r;
    carpeta.conserva = true;
    progreso.avanza(kParteSalida);
    r.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    return termina(r, Fin::kBien);
}
