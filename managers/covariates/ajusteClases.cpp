#include "managers/covariates/ajusteClases.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <system_error>

#include "data/LectorGDAL.h"
#include "data/cargaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "platform/LecturaArchivo.h"

namespace fs = std::filesystem;
namespace m = quel::metricas;

namespace {

using Fin = ResumenAjuste::Fin;

ResumenAjuste& falla(ResumenAjuste& r, Fin fin, std::string frase, const fs::path& archivo = {}) {
    r.fin = fin;
    r.error = quel::ErrorArchivo(codigos::kVacio, 0, std::move(frase), archivo);
    return r;
}

// The pieces of a comma-separated list; false when one is empty.
bool partes(const std::string& lista, std::vector<std::string>& r) {
    r.clear();
    std::size_t inicio = 0;
    while (true) {
        const std::size_t coma = lista.find(',', inicio);
        r.push_back(lista.substr(inicio, coma == std::string::npos ? std::string::npos : coma - inicio));
        if (r.back().empty()) return false;
        if (coma == std::string::npos) return true;
        inicio = coma + 1;
    }
}

double valorMetrica(const ResultadoAjuste& a, MetricaAjuste metrica) {
    return a.media[metrica == MetricaAjuste::kAuc ? kAucPrueba : kBoyce];
}

// The first setting with the highest score; settings without one never win
// over one that has it.
int elige(const std::vector<ResultadoAjuste>& resultados, MetricaAjuste metrica) {
    int mejor = 0;
    for (std::size_t i = 1; i < resultados.size(); ++i) {
        const double v = valorMetrica(resultados[i], metrica);
        const double w = valorMetrica(resultados[static_cast<std::size_t>(mejor)], metrica);
        if (!std::isnan(v) && (std::isnan(w) || v > w)) mejor = static_cast<int>(i);
    }
    return mejor;
}

fs::path rutaTabla(const fs::path& trabajo, std::size_t i) {
    return trabajo / ("tabla_ajuste_" + std::to_string(i + 1) + ".txt");
}

// Builds the table of one setting; 0 or the builder's code, with `r` filled
// on failure.
int construye(const OpcionesAjuste& o, const ClasesProbadas& a, const fs::path& ruta, ResultadoAjuste& resultado,
              ResumenAjuste& r, Progreso& progreso) {
    std::vector<ItemCovariable> items = o.items;
    const int cargadas = o.tabla ? o.tabla->numCovariables() : 0;
    for (std::size_t k = static_cast<std::size_t>(cargadas); k < items.size(); ++k)
        if (!items[k].manual) {
            items[k].numClases = a.clases;
            items[k].cuantiles = a.cuantiles;
        }
    constructorTabla ct{quel::RaizDatos(o.trabajo)};
    ct.agregaExtension = false;
    const int codigo = ct.construyeTabla(ruta, items, o.tabla, progreso);
    if (codigo == quel::kCodigoCancelado) {
        r.fin = Fin::kCancelada;
    } else if (codigo != 0) {
        r.fin = Fin::kCarga;
        r.error = ct.error;
        r.error.codigo = codigo;
        r.error.archivo = ct.rutaError;
    }
    for (float c : ct.categoriasSel) resultado.categorias.push_back(static_cast<int>(c));
    return codigo;
}

// tuning.csv and the best table (with its .prj when it has one), put in place together.
bool escribe(const OpcionesAjuste& o, const ResumenAjuste& r, std::string& razon) {
    std::error_code ec;
    fs::create_directories(o.salida, ec);
    if (ec || !fs::is_directory(o.salida)) {
        razon = o.salida.string() + ": cannot create the output folder" + (ec ? ": " + ec.message() : std::string());
        return false;
    }
    const fs::path mejor = rutaTabla(o.trabajo, static_cast<std::size_t>(r.mejor));
    std::vector<std::pair<fs::path, std::string>> contenidos = {{o.salida / "tuning.csv", textoAjuste(r)}};
    std::vector<fs::path> fuentes = {mejor};
    if (fs::exists(quel::gdal::rutaPrj(mejor), ec)) fuentes.push_back(quel::gdal::rutaPrj(mejor));
    for (const fs::path& f : fuentes) {
        std::string bytes;
        if (quel::leeArchivo(f, bytes) != quel::Lectura::kBien) {
            razon = f.string() + ": cannot read the table built";
            return false;
        }
        contenidos.emplace_back(o.salida / ("covariates" + f.extension().string()), std::move(bytes));
    }
    std::vector<std::unique_ptr<quel::ArchivoNuevo>> archivos;
    std::vector<quel::ArchivoNuevo*> conjunto;
    for (const auto& [destino, bytes] : contenidos) {
        auto& f = *archivos.emplace_back(std::make_unique<quel::ArchivoNuevo>(destino));
        if (!f.agrega(bytes) || !f.termina()) {
            razon = destino.string() + ": cannot write: " + f.razon();
            return false;
        }
        conjunto.push_back(&f);
    }
    return quel::colocaTodos(conjunto, &razon);
}

}  // namespace

std::string OpcionesAjuste::valida() const {
    if (items.empty()) return "no grid to classify";
    if (ajustes.empty()) return "no setting to try";
    if (trabajo.empty()) return "no working folder";
    for (const ClasesProbadas& a : ajustes)
        if (a.clases < 1) return "classes must be 1 or more, not " + std::to_string(a.clases);
    return evaluacion.valida();
}

const char* nombreEsquema(bool cuantiles) { return cuantiles ? "quantile" : "interval"; }

bool leeEsquemas(const std::string& lista, std::vector<bool>& cuantiles) {
    std::vector<std::string> p;
    if (!partes(lista, p)) return false;
    cuantiles.clear();
    for (const std::string& n : p) {
        if (n != nombreEsquema(false) && n != nombreEsquema(true)) return false;
        cuantiles.push_back(n == nombreEsquema(true));
    }
    return true;
}

bool leeClases(const std::string& lista, std::vector<int>& clases) {
    std::vector<std::string> p;
    if (!partes(lista, p)) return false;
    clases.clear();
    for (const std::string& n : p) {
        if (n.size() > 7 || n.find_first_not_of("0123456789") != std::string::npos) return false;
        const int c = std::stoi(n);
        if (c < 1 || c > 1000000) return false;
        clases.push_back(c);
    }
    return true;
}

std::vector<ClasesProbadas> combinaAjustes(const std::vector<bool>& cuantiles, const std::vector<int>& clases) {
    std::vector<ClasesProbadas> r;
    for (bool q : cuantiles)
        for (int c : clases) r.push_back({q, c});
    return r;
}

std::vector<std::string> especiesDeSitios(const fs::path& sitios, const fs::path& trabajo) {
    cargaArchivo d(trabajo);
    std::vector<std::string> r;
    if (d.cargaSitios(sitios) != codigos::kOk || !d.especies) return r;
    for (const auto& n : d.especies->datos[0])
        if (std::find(r.begin(), r.end(), n) == r.end()) r.push_back(n);
    return r;
}

ResumenAjuste ajustaClases(const OpcionesAjuste& o, Progreso& progreso) {
    ResumenAjuste r;
    if (std::string e = o.valida(); !e.empty()) return falla(r, Fin::kOpciones, e);
    // One species is tuned for: the one named, or the only one of the file.
    if (!o.evaluacion.prediccion.especie) {
        const std::vector<std::string> especies = especiesDeSitios(o.evaluacion.prediccion.sitios, o.trabajo);
        if (especies.size() > 1) {
            std::string lista;
            for (const auto& n : especies) lista += (lista.empty() ? "" : ", ") + n;
            return falla(r, Fin::kEspecie,
                         "the sites file holds " + std::to_string(especies.size()) + " species (" + lista +
                             "); name the one to choose the classes for",
                         o.evaluacion.prediccion.sitios);
        }
    }
    const std::size_t n = o.ajustes.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (progreso.cancelado()) {
            r.fin = Fin::kCancelada;
            return r;
        }
        ProgresoTramo tramo(progreso, static_cast<int>(100 * (i + 1) / n - 100 * i / n));
        ResultadoAjuste& a = r.resultados.emplace_back();
        a.ajuste = o.ajustes[i];
        const fs::path tabla = rutaTabla(o.trabajo, i);
        {
            ProgresoTramo construccion(tramo, 10);
            if (construye(o, a.ajuste, tabla, a, r, construccion) != 0) return r;
        }
        // The partition depends on the sites and the region only, which
        // every setting shares: the same seed gives every setting the same folds.
        OpcionesEvaluacion ev = o.evaluacion;
        ev.prediccion.covariables = tabla;
        ev.prediccion.salida.clear();
        cargaArchivo datos(o.trabajo);
        ProgresoTramo evaluando(tramo, 90);
        const ResumenEvaluacion e = evaluacion(ev, datos, evaluando);
        if (!e.bien()) {
            r.fin = e.fin;
            r.error = e.error;
            return r;
        }
        r.especie = e.especies.front().especie;
        a.media = e.especies.front().media;
        a.desviacion = e.especies.front().desviacion;
        tramo.termina();
    }
    r.mejor = elige(r.resultados, o.metrica);
    if (progreso.cancelado()) {
        r.fin = Fin::kCancelada;
        return r;
    }
    if (!o.salida.empty()) {
        std::string razon;
        if (!escribe(o, r, razon)) return falla(r, Fin::kFallo, razon, o.salida);
    }
    r.fin = Fin::kBien;
    return r;
}

std::string textoAjuste(const ResumenAjuste& r) {
    std::string t = "scheme,classes";
    for (int k = 0; k < kMetricas; ++k) {
        const std::string n = nombreMetrica(static_cast<Metrica>(k));
        t += "," + n + "_mean," + n + "_sd";
    }
    t += "\n";
    for (const ResultadoAjuste& a : r.resultados) {
        t += std::string(nombreEsquema(a.ajuste.cuantiles)) + "," + std::to_string(a.ajuste.clases);
        for (int k = 0; k < kMetricas; ++k)
            t += "," + m::texto(a.media[static_cast<std::size_t>(k)]) + "," + m::texto(a.desviacion[static_cast<std::size_t>(k)]);
        t += "\n";
    }
    return t;
}
