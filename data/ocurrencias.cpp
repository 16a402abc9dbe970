#include "data/ocurrencias.h"

#include "data/apoyoGDAL.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace quel::ocurrencias {

bool Region::lee(const TImagenN<float>& coordenadas, const TImagenN<int>& covariables) {
    dentro.clear();
    if (!geometria.lee(coordenadas) || covariables.columnas < 1) return false;
    const auto& bandera = covariables.datos[static_cast<std::size_t>(covariables.columnas - 1)];
    dentro.resize(bandera.size());
    for (std::size_t i = 0; i < bandera.size(); ++i) dentro[i] = bandera[i] == 1;
    return true;
}

namespace {

// Splits a delimited text into records of fields.
class Lector {
public:
    Lector(std::string_view t, char separador) : t_(t), sep_(separador) {}
    bool fin() const { return i_ >= t_.size(); }
    int linea() const { return linea_; }
    // The next record; false when a quote is left open (`linea` then names
    // the line the record started on).
    bool siguiente(std::vector<std::string>& campos) {
        campos.clear();
        inicio_ = linea_;
        std::string campo;
        while (true) {
            campo.clear();
            if (i_ < t_.size() && t_[i_] == '"') {
                ++i_;
                while (true) {
                    if (i_ >= t_.size()) return false;
                    const char c = t_[i_++];
                    if (c == '"') {
                        if (i_ < t_.size() && t_[i_] == '"') {
                            campo.push_back('"');
                            ++i_;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++linea_;
                    campo.push_back(c);
                }
                // Anything between the closing quote and the separator is kept.
                while (i_ < t_.size() && t_[i_] != sep_ && t_[i_] != '\n') campo.push_back(t_[i_++]);
            } else {
                while (i_ < t_.size() && t_[i_] != sep_ && t_[i_] != '\n') campo.push_back(t_[i_++]);
            }
            if (!campo.empty() && campo.back() == '\r' && (i_ >= t_.size() || t_[i_] == '\n')) campo.pop_back();
            campos.push_back(campo);
            if (i_ >= t_.size()) return true;
            const char c = t_[i_++];
            if (c == '\n') {
                ++linea_;
                return true;
            }
        }
    }
    int inicio() const { return inicio_; }

private:
    std::string_view t_;
    char sep_;
    std::size_t i_ = 0;
    int linea_ = 1;
    int inicio_ = 1;
};

std::string_view sinBOM(std::string_view t) {
    if (t.size() >= 3 && t.substr(0, 3) == "\xEF\xBB\xBF") t.remove_prefix(3);
    return t;
}

// Tab when the header line holds a tab outside quotes, else comma.
char separador(std::string_view t) {
    bool enComillas = false;
    for (char c : t) {
        if (c == '"') enComillas = !enComillas;
        if (enComillas) continue;
        if (c == '\n') break;
        if (c == '\t') return '\t';
    }
    return ',';
}

std::string_view recorta(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool esCoordenada(std::string_view s) {
    if (s.empty()) return false;
    std::string_view t = s;
    if (t.front() == '+') {
        t.remove_prefix(1);
        if (t.empty() || t.front() == '+' || t.front() == '-') return false;
    }
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
}

double valor(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

struct Columnas {
    std::size_t especie = 0, x = 0, y = 0;
};

// The three columns in the header, or the name of the one missing.
std::optional<std::string> buscaColumnas(const std::vector<std::string>& cabecera, const Opciones& o,
                                         Columnas& c) {
    auto busca = [&](const std::string& nombre, std::size_t& i) {
        for (i = 0; i < cabecera.size(); ++i)
            if (recorta(cabecera[i]) == nombre) return true;
        return false;
    };
    if (!busca(o.columnaEspecie, c.especie)) return o.columnaEspecie;
    if (!busca(o.columnaX, c.x)) return o.columnaX;
    if (!busca(o.columnaY, c.y)) return o.columnaY;
    return std::nullopt;
}

}  // namespace

bool esDescarga(std::string_view texto, const Opciones& opciones) {
    texto = sinBOM(texto);
    Lector l(texto, separador(texto));
    std::vector<std::string> cabecera;
    Columnas c;
    return l.siguiente(cabecera) && !buscaColumnas(cabecera, opciones, c);
}

bool convierte(std::string_view texto, const Opciones& o, const Region* region, Resultado& r, Error& error) {
    r = Resultado{};
    r.conRegion = region != nullptr;
    r.unoPorCelda = o.unoPorCelda && region != nullptr;
    texto = sinBOM(texto);
    Lector l(texto, separador(texto));
    std::vector<std::string> campos;
    Columnas col;
    if (!l.siguiente(campos)) {
        error = {1, "a quote in the header line is never closed"};
        return false;
    }
    if (auto falta = buscaColumnas(campos, o, col)) {
        std::string lista;
        for (const auto& c : campos) lista += (lista.empty() ? "" : ", ") + std::string(recorta(c));
        error = {1, "the header line has no column \"" + *falta + "\" (its columns: " + lista + ")"};
        return false;
    }
    std::unordered_map<std::string, std::size_t> indice;
    std::unordered_set<std::string> ocupadas;  // species and cell of every kept record
    auto pide = [&](std::size_t i) -> std::string_view {
        return i < campos.size() ? recorta(campos[i]) : std::string_view();
    };
    while (!l.fin()) {
        if (!l.siguiente(campos)) {
            error = {l.inicio(), "a quote opened here is never closed"};
            return false;
        }
        if (campos.size() == 1 && recorta(campos[0]).empty()) continue;  // a blank line
        const std::string especie(pide(col.especie));
        if (especie.empty()) {
            ++r.sinEspecie;
            continue;
        }
        if (!o.especies.empty() && std::find(o.especies.begin(), o.especies.end(), especie) == o.especies.end()) {
            ++r.otras;
            continue;
        }
        auto [it, nueva] = indice.emplace(especie, r.especies.size());
        if (nueva) r.especies.push_back(Conteo{especie});
        Conteo& c = r.especies[it->second];
        if (especie.find_first_of(",\t\r\n") != std::string::npos) {
            ++c.nombreNoValido;
            continue;
        }
        const std::string_view x = pide(col.x), y = pide(col.y);
        if (!esCoordenada(x) || !esCoordenada(y)) {
            ++c.sinCoordenadas;
            continue;
        }
        if (region) {
            const long long celda = region->geometria.celdaDe(valor(x), valor(y));
            if (celda < 0 || static_cast<std::size_t>(celda) >= region->dentro.size() ||
                !region->dentro[static_cast<std::size_t>(celda)]) {
                ++c.fueraRegion;
                continue;
            }
            if (r.unoPorCelda && !ocupadas.insert(especie + '\n' + std::to_string(celda)).second) {
                ++c.duplicados;
                continue;
            }
        }
        ++c.conservados;
        ++r.conservados;
        if (!r.sitios.empty()) r.sitios += '\n';
        r.sitios += especie;
        r.sitios += ',';
        r.sitios += x;
        r.sitios += ',';
        r.sitios += y;
    }
    return true;
}

std::vector<std::string> Resultado::informe() const {
    std::vector<std::string> lineas;
    for (const Conteo& c : especies) {
        std::string l = c.especie + ": " + std::to_string(c.conservados) + " kept, " +
                        std::to_string(c.sinCoordenadas) + " without coordinates";
        if (conRegion) l += ", " + std::to_string(c.fueraRegion) + " outside the region";
        if (unoPorCelda) l += ", " + std::to_string(c.duplicados) + " duplicates on one cell";
        if (c.nombreNoValido > 0)
            l += ", " + std::to_string(c.nombreNoValido) +
                 " dropped because the name holds a comma or a tab, which the sites file cannot hold";
        lineas.push_back(std::move(l));
    }
    if (sinEspecie > 0) lineas.push_back(std::to_string(sinEspecie) + " records without a species name, dropped");
    if (otras > 0) lineas.push_back(std::to_string(otras) + " records of other species, left out");
    lineas.push_back("sites kept: " + std::to_string(conservados));
    return lineas;
}

Preparacion preparaSitios(const fs::path& archivo, const fs::path& destino, const Region* region,
                          std::vector<std::string>& informe, std::string& error) {
    informe.clear();
    std::string texto;
    const Opciones opciones;
    if (!gdal::leeTexto(archivo, texto) || !esDescarga(texto, opciones)) return Preparacion::kNoEsDescarga;
    Resultado r;
    Error e;
    if (!convierte(texto, opciones, region, r, e)) {
        error = archivo.string() + ": line " + std::to_string(e.linea) + ": " + e.detalle;
        return Preparacion::kFallo;
    }
    informe = r.informe();
    if (r.conservados == 0) {
        error = archivo.string() + ": no record kept; no sites loaded";
        return Preparacion::kFallo;
    }
    if (!gdal::escribeTexto(destino, r.sitios)) {
        error = "cannot write " + destino.string();
        return Preparacion::kFallo;
    }
    return Preparacion::kConvertida;
}

}  // namespace quel::ocurrencias
