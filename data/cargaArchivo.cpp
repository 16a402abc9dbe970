#include "data/cargaArchivo.h"

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "data/textoTabla.h"

namespace fs = std::filesystem;
using texto::Pieza;

namespace {

const std::string kCategoriasTmp = "categoriasTmp.txt";
const std::string kCovariablesTmp = "CovariablesTmp.txt";
const std::string kSesgoTmp = "SesgoEspacialTmp.txt";
const std::string kPrioriTmp = "PrioriTmp.txt";
const std::string kConEspecieTmp = "SPConEspecieTmp.txt";
const std::string kSitiosTmp = "SitiosPresenciaTmp.txt";

bool mismoArchivo(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool borra(const fs::path& p) { return std::remove(p.c_str()) == 0; }

// One line of a load done: lets a window paint; false once the load is cancelled.
bool sigue(Progreso& progreso) {
    progreso.pulso();
    return !progreso.cancelado();
}

// The number of categories of a category line: its second field (empty
// fields skipped) read as a whole number from its leading digits, after
// optional white space and sign. False when there is no such number or it
// does not fit an int.
bool numeroDeCategorias(std::string_view linea, int& valor) {
    std::size_t i = linea.find_first_not_of(',');
    if (i != std::string_view::npos) i = linea.find(',', i);
    if (i != std::string_view::npos) i = linea.find_first_not_of(',', i);
    if (i == std::string_view::npos) return false;
    while (i < linea.size() && (linea[i] == ' ' || (linea[i] >= '\t' && linea[i] <= '\r'))) ++i;
    bool negativo = false;
    if (i < linea.size() && (linea[i] == '+' || linea[i] == '-')) negativo = linea[i++] == '-';
    long long n = 0;
    const std::size_t primero = i;
    for (; i < linea.size() && linea[i] >= '0' && linea[i] <= '9'; ++i) {
        n = n * 10 + (linea[i] - '0');
        if (n > INT_MAX) return false;
    }
    if (i == primero) return false;
    valor = static_cast<int>(negativo ? -n : n);
    return true;
}

// A field that must be a number: a complete number whose single-precision
// value is finite.
bool real(std::string_view campo, float& valor) {
    double d = 0;
    if (!texto::numeroCompleto(campo, d)) return false;
    valor = static_cast<float>(d);
    return std::isfinite(valor);
}

// Field count and values of one line of a converted table of type `tipo`;
// `previos` is the field count of the line before (-1 for none). On success
// `valores` holds the line's values in single precision (an empty bias or
// prior line reads as 0); on code 9 `malo` is the failing field.
int revisaLinea(int tipo, int n, int previos, const std::vector<std::string_view>& campos,
                std::vector<float>& valores, std::size_t& malo) {
    valores.resize(static_cast<std::size_t>(n));
    malo = 0;
    switch (tipo) {
    case cargaArchivo::kCovariables:
        if (previos >= 0 && n != previos) return codigos::kCampos;
        if (campos[0].empty()) return codigos::kCampos;  // an empty line, even the first
        for (std::size_t f = 0; f < valores.size(); ++f)
            if (!real(campos[f], valores[f]) || (f >= 2 && !texto::enteroRepresentable(valores[f]))) {
                malo = f;
                return codigos::kRango;
            }
        return codigos::kOk;
    case cargaArchivo::kSesgo:
    case cargaArchivo::kPriori: {
        if (n != 1) return codigos::kCampos;
        float& v = valores[0];
        v = 0;
        if (!campos[0].empty() && !real(campos[0], v)) return codigos::kRango;
        if (tipo == cargaArchivo::kSesgo) return v < 0 || v > 1 ? codigos::kRango : codigos::kOk;
        return v == 0 || v == 1 || v == 2 || v == 3 ? codigos::kOk : codigos::kRango;
    }
    case cargaArchivo::kSitios:
        if (n != 2) return codigos::kCampos;
        if (!real(campos[0], valores[0])) return codigos::kRango;
        malo = 1;
        return real(campos[1], valores[1]) ? codigos::kOk : codigos::kRango;
    default: return codigos::kOk;
    }
}

// What a line refused by revisaLinea (code 5 or 9) expected and held.
std::string detalleLinea(int tipo, int codigo, int n, int previos, const std::vector<std::string_view>& campos,
                         std::size_t malo) {
    const auto cuenta = [](int k) { return std::to_string(k); };
    if (codigo == codigos::kCampos) {
        if (n == 1 && campos[0].empty()) return "the line is empty";
        switch (tipo) {
        case cargaArchivo::kCovariables:
            return "expected " + cuenta(previos) + " fields, as on the line before, found " + cuenta(n);
        case cargaArchivo::kSitios:
            return "expected 3 fields (species, longitude, latitude), found " + cuenta(n + 1);
        default: return "expected 1 value, found " + cuenta(n);
        }
    }
    const std::string hallado = "found \"" + quel::imprimible(campos[malo]) + "\"";
    switch (tipo) {
    case cargaArchivo::kSesgo: return "expected a bias value from 0 to 1, " + hallado;
    case cargaArchivo::kPriori: return "expected a prior class 0, 1, 2 or 3, " + hallado;
    case cargaArchivo::kSitios:
        return std::string("expected the ") + (malo == 0 ? "longitude" : "latitude") + " as a finite number, " + hallado;
    default:
        if (malo < 2) return std::string("expected the ") + (malo == 0 ? "x" : "y") + " coordinate as a finite number, " + hallado;
        return "expected a whole number in field " + std::to_string(malo + 1) + ", " + hallado;
    }
}

// Calls guarda(campo, fila, texto) for every field of every piece of a table
// that holds more than one character (a last piece counts its implied line
// feed); rows count every piece. Stops after `filas` rows. False when the
// file cannot be opened or read.
template <class Guarda>
bool recorreTabla(const fs::path& ruta, int filas, Guarda&& guarda) {
    texto::LectorPiezas lector(ruta);
    if (!lector.abierto()) return false;
    std::vector<std::string_view> campos;
    Pieza p;
    int fila = 0;
    while (fila < filas && lector.siguiente(p)) {
        if (!p.texto.empty()) {
            const int n = texto::separaCampos(p.texto, campos);
            for (int f = 0; f < n; ++f) guarda(f, fila, campos[static_cast<std::size_t>(f)]);
        }
        ++fila;
    }
    return !lector.error();
}

// The first field of each piece of `ruta` into column 0 of `grid`, row by
// row, while rows last (`soloConSalto`: only pieces that end in a line feed).
bool leePrimerosCampos(const fs::path& ruta, TImagenN<AnsiString>& grid, int filas, bool soloConSalto) {
    if (grid.columnas < 1) return true;
    filas = std::min(filas, grid.renglones);
    texto::LectorPiezas lector(ruta);
    if (!lector.abierto()) return false;
    auto& columna = grid.datos[0];
    Pieza p;
    for (int i = 0; i < filas && lector.siguiente(p); ++i) {
        if (soloConSalto && p.alFinal) break;
        columna[static_cast<std::size_t>(i)].assign(texto::primerCampo(p.texto));
    }
    return !lector.error();
}

// Rows of the covariate table inside the study region (region flag 1).
template <class Marca>
void recorreRegion(const TImagenN<int>* covs, Marca&& marca) {
    if (!covs || covs->columnas < 1) return;
    const auto& region = covs->datos[static_cast<std::size_t>(covs->columnas - 1)];
    for (int r = 0; r < covs->renglones; ++r)
        if (region[static_cast<std::size_t>(r)] == 1) marca(r);
}

template <class T>
void libera(std::unique_ptr<TImagenN<T>>& grid) {
    if (grid) grid->limpia();
    grid.reset();
}

}  // namespace

cargaArchivo::cargaArchivo(fs::path carpetaTrabajo) : carpeta_(std::move(carpetaTrabajo)) {}

fs::path cargaArchivo::tmp(const std::string& nombre) const {
    return carpeta_.empty() ? fs::path(nombre) : carpeta_ / nombre;
}

int cargaArchivo::anota(int codigo, int linea, std::string detalle) {
    return quel::fallaArchivo(&error, codigo, linea, std::move(detalle));
}

int cargaArchivo::concluye(int codigo, const fs::path& ruta) {
    if (codigo != codigos::kOk) {
        error.codigo = codigo;
        error.archivo = ruta;
    }
    return codigo;
}

int cargaArchivo::borraTmp(const std::string& nombre) {
    if (borra(tmp(nombre))) return codigos::kOk;
    return anota(codigos::kBorrado, 0, "cannot delete the working file " + tmp(nombre).string() + ": " +
                                           quel::razonSistema(errno));
}

fs::path cargaArchivo::resuelve(const fs::path& nombre) const {
    return carpeta_.empty() ? nombre : carpeta_ / nombre;
}

// ------------------------------------------------------------------ loads

// Each load validates its converted file and reads it in the same pass (a
// validated field reads as the readers would read it), into new grids that
// replace the old ones only when everything succeeded.

int cargaArchivo::cargaCovariables(const fs::path& ruta, Progreso& progreso) {
    // The kept grids must stay consistent with the count of covariates.
    const int anteriores = numCovariables;
    numCovariables = 0;
    error = {};
    auto falla = [&](int codigo) {
        numCovariables = anteriores;
        return concluye(codigo, ruta);
    };
    int codigo = convierteArchivo(ruta, kCovariablesTmp, kCovariables, progreso);
    if (codigo != codigos::kOk) return falla(codigo);
    std::unique_ptr<TImagenN<float>> coords;
    std::unique_ptr<TImagenN<int>> covs;
    codigo = validaYLee(
        kCovariablesTmp, kCovariables, progreso,
        [&](int filas, int campos) {
            coords = std::make_unique<TImagenN<float>>(filas, 2);
            covs = std::make_unique<TImagenN<int>>(filas, campos - 2);
        },
        [&](std::size_t fila, const std::vector<float>& v) {
            // A line of fewer than 3 fields fails at the end (code 12).
            for (std::size_t f = 0; f < v.size(); ++f) {
                if (f < 2) coords->datos[f][fila] = v[f];
                else covs->datos[f - 2][fila] = texto::aEntero(v[f]);
            }
        });
    if (codigo != codigos::kOk) return falla(codigo);
    auto cats = std::make_unique<TImagenN<float>>(numCovariables, 1);
    codigo = leeTablaFloat(*cats, kCategoriasTmp);
    if (codigo != codigos::kOk) return falla(codigo);
    borra(tmp(kCategoriasTmp));
    auto nombres = std::make_unique<TImagenN<AnsiString>>(numCovariables, 1);
    if (!leePrimerosCampos(ruta, *nombres, numCovariables, true))
        return falla(anota(codigos::kVacio, 0, "cannot read the file again for the covariate names"));

    coordenadas = std::move(coords);
    covariables = std::move(covs);
    categorias = std::move(cats);
    nombresCovariables = std::move(nombres);
    return concluye(borraTmp(kCovariablesTmp), ruta);
}

template <class T>
int cargaArchivo::cargaColumnas(const std::string& nombreTmp, int tipo, int extra, std::unique_ptr<TImagenN<T>>& nuevo,
                                Progreso& progreso) {
    const int codigo = validaYLee(
        nombreTmp, tipo, progreso, [&](int filas, int campos) { nuevo = std::make_unique<TImagenN<T>>(filas, campos + extra); },
        [&](std::size_t fila, const std::vector<float>& v) {
            for (std::size_t f = 0; f < v.size(); ++f) {
                if constexpr (std::is_same_v<T, int>) nuevo->datos[f][fila] = texto::aEntero(v[f]);
                else nuevo->datos[f][fila] = v[f];
            }
        });
    if (codigo != codigos::kOk) return codigo;
    borra(tmp(kCategoriasTmp));
    return codigos::kOk;
}

int cargaArchivo::cargaSesgo(const fs::path& ruta, Progreso& progreso) {
    error = {};
    int codigo = convierteArchivo(ruta, kSesgoTmp, kSesgo, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    std::unique_ptr<TImagenN<float>> nuevo;
    codigo = cargaColumnas(kSesgoTmp, kSesgo, 0, nuevo, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    sesgo = std::move(nuevo);
    return concluye(borraTmp(kSesgoTmp), ruta);
}

int cargaArchivo::cargaPriori(const fs::path& ruta, Progreso& progreso) {
    error = {};
    int codigo = convierteArchivo(ruta, kPrioriTmp, kPriori, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    std::unique_ptr<TImagenN<int>> nuevo;  // column 1 stays unused
    codigo = cargaColumnas(kPrioriTmp, kPriori, 1, nuevo, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    priori = std::move(nuevo);
    return concluye(borraTmp(kPrioriTmp), ruta);
}

int cargaArchivo::cargaSitios(const fs::path& ruta, Progreso& progreso) {
    error = {};
    // The species split overwrites and the end of the load deletes this file.
    if (mismoArchivo(ruta, tmp(kSitiosTmp)))
        return concluye(anota(codigos::kVacio, 0, "the file is one of the working files of the load"), ruta);
    int codigo = convierteArchivo(ruta, kConEspecieTmp, kSitios, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    if (!quitaEspecie()) return concluye(anota(codigos::kVacio, 0, "cannot write the working files of the load"), ruta);
    std::unique_ptr<TImagenN<float>> nuevos;  // column 2: the nearest cell, set by the engine
    codigo = cargaColumnas(kSitiosTmp, kSitios, 1, nuevos, progreso);
    if (codigo != codigos::kOk) return concluye(codigo, ruta);
    auto nombres = std::make_unique<TImagenN<AnsiString>>(nuevos->renglones, 1);
    if (!leePrimerosCampos(tmp(kConEspecieTmp), *nombres, nombres->renglones, false))
        return concluye(anota(codigos::kVacio, 0, "cannot read the working files of the load"), ruta);
    ordenaSitios(*nuevos, *nombres);
    sitios = std::move(nuevos);
    especies = std::move(nombres);
    const int sinSitios = borraTmp(kSitiosTmp);
    const int sinEspecies = borraTmp(kConEspecieTmp);
    return concluye(sinSitios != codigos::kOk ? sinSitios : sinEspecies, ruta);
}

void cargaArchivo::sesgoUniforme() {
    int validas = 0;
    recorreRegion(covariables.get(), [&](int) { ++validas; });
    auto nuevo = std::make_unique<TImagenN<float>>(covariables ? covariables->renglones : 0, 1);
    if (validas > 0) {
        const float valor = static_cast<float>(1.0 / validas);
        recorreRegion(covariables.get(), [&](int r) { nuevo->datos[0][static_cast<std::size_t>(r)] = valor; });
    }
    sesgo = std::move(nuevo);
}

void cargaArchivo::prioriUniforme() {
    auto nuevo = std::make_unique<TImagenN<int>>(covariables ? covariables->renglones : 0, 1);
    recorreRegion(covariables.get(), [&](int r) { nuevo->datos[0][static_cast<std::size_t>(r)] = 2; });
    priori = std::move(nuevo);
}

void cargaArchivo::borraDatos(int tipo) {
    switch (tipo) {
    case kCovariables:
        libera(coordenadas);
        libera(covariables);
        libera(nombresCovariables);
        libera(categorias);
        break;
    case kSesgo: libera(sesgo); break;
    case kPriori: libera(priori); break;
    case kSitios:
        libera(sitios);
        libera(especies);
        break;
    default: break;
    }
}

void cargaArchivo::borraTodo() {
    libera(coordenadas);
    libera(covariables);
    libera(nombresCovariables);
    libera(categorias);
    libera(sesgo);
    libera(sitios);
    libera(especies);
    libera(priori);
}

// ------------------------------------------------------------ conversion

int cargaArchivo::convierteArchivo(const fs::path& ruta, const fs::path& nombreTmp, int tipo, Progreso& progreso) {
    const fs::path destino = resuelve(nombreTmp);
    const fs::path rutaCategorias = tmp(kCategoriasTmp);
    // Writing the temporary files would truncate the user's own file.
    if (mismoArchivo(ruta, destino) || mismoArchivo(ruta, rutaCategorias))
        return anota(codigos::kVacio, 0, "the file is one of the working files of the load");

    texto::LectorPiezas lector(ruta);
    if (!lector.abierto())
        return anota(codigos::kVacio, 0, "cannot open the file: " + quel::razonSistema(lector.errorSistema()));
    texto::EscritorTexto salida(destino);
    texto::EscritorTexto categoriasTmp(rutaCategorias);
    if (!salida.abierto() || !categoriasTmp.abierto())
        return anota(codigos::kVacio, 0, "cannot write the working files of the load");

    enum class Estado { categorias, encabezado, datos } estado = Estado::categorias;
    // Every conversion of a covariate table counts its own category lines.
    if (tipo == kCovariables) numCovariables = 0;
    Pieza p;
    int linea = 0;  // line of the user's file
    while (lector.siguiente(p)) {
        if (!sigue(progreso)) return anota(quel::kCodigoCancelado, 0, {});
        ++linea;
        if (tipo == kCovariables && estado == Estado::categorias) {
            if (!p.texto.empty() && p.texto.back() == '*') {
                estado = Estado::encabezado;
            } else {
                int n = 0;
                if (!numeroDeCategorias(p.texto, n))
                    return anota(codigos::kMalformado, linea,
                                 "expected a category line (name, number of categories) or the separator line "
                                 "ending in *, found \"" + quel::imprimible(p.texto) + "\"");
                categoriasTmp.agrega(std::to_string(n));
                categoriasTmp.agrega(",\n");
                ++numCovariables;
            }
        } else if (estado == Estado::encabezado) {
            estado = Estado::datos;
            if (!categoriasTmp.cierra()) return anota(codigos::kVacio, 0, "cannot write the working files of the load");
        } else {
            // Tabs become commas, blanks and carriage returns go, the line
            // feed becomes a comma and a line feed.
            char* d = salida.reserva(p.texto.size() + 2);
            std::size_t k = 0;
            for (const char c : p.texto) {
                if (c == '\t') d[k++] = ',';
                else if (c != ' ' && c != '\r') d[k++] = c;
            }
            if (!p.alFinal) {
                d[k++] = ',';
                d[k++] = '\n';
            }
            if (k < 2)
                return anota(codigos::kVacio, linea,
                             p.alFinal ? "the last line holds a single character or nothing"
                                       : "the line holds a single character or nothing");
            salida.confirma(k);
        }
    }
    if (lector.error())
        return anota(codigos::kVacio, 0, "cannot read the file: " + quel::razonSistema(lector.errorSistema()));
    if (tipo == kCovariables && estado == Estado::categorias)
        return anota(codigos::kMalformado, 0, "the table has no separator line (a line ending in *)");
    const bool salidaBien = salida.cierra();
    const bool categoriasBien = categoriasTmp.cierra();
    return salidaBien && categoriasBien ? codigos::kOk
                                        : anota(codigos::kVacio, 0, "cannot write the working files of the load");
}

int cargaArchivo::cuentaRenglones(const fs::path& nombreTmp, int tipo) {
    return revisaTabla(resuelve(nombreTmp), tipo, progresoNulo(), [](int, const std::vector<float>&) {});
}

template <class Guarda>
int cargaArchivo::revisaTabla(const fs::path& ruta, int tipo, Progreso& progreso, Guarda&& guarda) {
    texto::LectorPiezas lector(ruta);
    if (!lector.abierto())
        return anota(codigos::kVacio, 0, "cannot open the file: " + quel::razonSistema(lector.errorSistema()));
    std::vector<std::string_view> campos;
    std::vector<float> valores;
    int linea = 0;     // 0-based line of the converted file
    int previos = -1;  // fields of the last examined line, -1 before the first
    // The user's line of line `linea` of the converted file.
    auto lineaUsuario = [&] { return tipo == kCovariables ? numCovariables + linea + 3 : linea + 1; };
    Pieza p;
    while (lector.siguiente(p)) {
        if (!sigue(progreso)) return anota(quel::kCodigoCancelado, 0, {});
        if (p.largo() > 1) {
            const int n = texto::separaCampos(p.texto, campos);
            std::size_t malo = 0;
            const int codigo = revisaLinea(tipo, n, previos, campos, valores, malo);
            if (codigo != codigos::kOk)
                return anota(codigo, lineaUsuario(), detalleLinea(tipo, codigo, n, previos, campos, malo));
            guarda(linea, valores);
            previos = n;
        } else if (tipo == kSitios) {
            // An empty line of a sites file would leave a site unread.
            return anota(codigos::kCampos, linea + 1, "the line is empty");
        }
        ++linea;
    }
    if (lector.error())
        return anota(codigos::kVacio, 0, "cannot read the file: " + quel::razonSistema(lector.errorSistema()));
    if (previos < 0)
        return tipo == kCovariables ? anota(codigos::kMalformado, 0, "the table has no data line")
                                    : anota(codigos::kVacio, 0, "the file holds no value");
    // The covariate columns (the two coordinates and the region flag aside)
    // must be the covariates of the category section.
    if (tipo == kCovariables && previos - 3 != numCovariables)
        return anota(codigos::kMalformado, 0,
                     "expected " + std::to_string(numCovariables) + " covariate columns (one per category line) "
                     "between x, y and the region flag, found " + std::to_string(previos - 3));
    renglones = linea;
    columnas = previos;
    return codigos::kOk;
}

template <class Crea, class Guarda>
int cargaArchivo::validaYLee(const std::string& nombreTmp, int tipo, Progreso& progreso, Crea&& crea, Guarda&& guarda) {
    const fs::path ruta = tmp(nombreTmp);
    const long long piezas = texto::cuentaPiezas(ruta);
    if (piezas < 0 || piezas > INT_MAX) return anota(codigos::kVacio, 0, "cannot read the working files of the load");
    const int filas = static_cast<int>(piezas);
    bool creada = false;
    const int codigo = revisaTabla(ruta, tipo, progreso, [&](int fila, const std::vector<float>& valores) {
        if (!creada) {
            crea(filas, static_cast<int>(valores.size()));
            creada = true;
        }
        if (fila < filas) guarda(static_cast<std::size_t>(fila), valores);
    });
    if (codigo != codigos::kOk) return codigo;
    if (creada && renglones == filas) return codigos::kOk;
    return anota(codigos::kVacio, 0, "the working file changed while it was read");
}

int cargaArchivo::leeCategoria(const std::string& linea) {
    int n = 0;
    return numeroDeCategorias(linea, n) ? n : 0;
}

// --------------------------------------------------------------- readers

int cargaArchivo::leeTablaFloat(TImagenN<float>& grid, const fs::path& nombre) {
    const bool bien = recorreTabla(resuelve(nombre), grid.renglones, [&](int f, int fila, std::string_view c) {
        if (f < grid.columnas)
            grid.datos[static_cast<std::size_t>(f)][static_cast<std::size_t>(fila)] =
                static_cast<float>(texto::numeroPrefijo(c));
    });
    return bien ? codigos::kOk : codigos::kVacio;
}

int cargaArchivo::leeCovariables(const fs::path& nombre, TImagenN<float>& coords, TImagenN<int>& covs) {
    const int filas = std::max(coords.renglones, covs.renglones);
    const bool bien = recorreTabla(resuelve(nombre), filas, [&](int f, int fila, std::string_view c) {
        const auto r = static_cast<std::size_t>(fila);
        if (f < 2) {
            if (f < coords.columnas && fila < coords.renglones)
                coords.datos[static_cast<std::size_t>(f)][r] = static_cast<float>(texto::numeroPrefijo(c));
        } else if (f - 2 < covs.columnas && fila < covs.renglones) {
            covs.datos[static_cast<std::size_t>(f - 2)][r] = texto::aEntero(static_cast<float>(texto::numeroPrefijo(c)));
        }
    });
    return bien ? codigos::kOk : codigos::kVacio;
}

void cargaArchivo::leeNombres(const fs::path& ruta, TImagenN<AnsiString>& grid) {
    leePrimerosCampos(ruta, grid, numCovariables, true);
}

bool cargaArchivo::quitaEspecie() {
    texto::LectorPiezas lector(tmp(kConEspecieTmp));
    texto::EscritorTexto salida(tmp(kSitiosTmp));
    if (!lector.abierto() || !salida.abierto()) return false;
    std::vector<std::string_view> campos;
    Pieza p;
    while (lector.siguiente(p)) {
        const int n = texto::separaCampos(p.texto, campos);
        for (int f = 1; f < n; ++f) {
            salida.agrega(campos[static_cast<std::size_t>(f)]);
            salida.agrega(',');
        }
        if (!p.alFinal) salida.agrega('\n');
    }
    const bool escrito = salida.cierra();
    return escrito && !lector.error();
}

void cargaArchivo::leeEspecies(TImagenN<AnsiString>& grid) {
    leePrimerosCampos(tmp(kConEspecieTmp), grid, grid.renglones, false);
}

namespace {

// Counts over positions 0..n-1 (a Fenwick tree).
class Conteos {
public:
    explicit Conteos(std::size_t n) : t_(n + 1, 0) {}
    void suma(std::size_t i, int v) {
        for (++i; i < t_.size(); i += i & (~i + 1)) t_[i] += v;
    }
    // Total of positions before `i`.
    long long antes(std::size_t i) const {
        long long r = 0;
        for (; i > 0; i -= i & (~i + 1)) r += t_[i];
        return r;
    }
    // Position holding the k-th unit (from 1) of the counts.
    std::size_t kesimo(long long k) const {
        std::size_t p = 0, paso = 1;
        while (paso * 2 < t_.size()) paso *= 2;
        for (; paso > 0; paso /= 2)
            if (p + paso < t_.size() && t_[p + paso] < k) {
                p += paso;
                k -= t_[p];
            }
        return p;
    }

private:
    std::vector<long long> t_;
};

}  // namespace

// The exchange sort, for i, then every j after it, exchanges i and j when
// rank i is greater. Looking only at the ranks up to r, one pass at the front
// sends the first element of rank r, when it is there, to the place of the
// first element of lower rank after it, and otherwise leaves those of rank r
// where they are. So the elements of rank r, in the order they are finally
// taken, are a queue: those before any lower rank, then for each element of
// lower rank in file order one turn of the queue (front to back, when it is
// not empty) and the elements of rank r that follow it. The turns are
// counted rather than done, each element's place in the queue found when
// it joins; the queue is then read back with one more count (`Conteos`).
// O(n log n) in all.
std::vector<int> ordenDelIntercambio(const std::vector<int>& rango, int clases) {
    const std::size_t n = rango.size();
    std::vector<std::vector<std::size_t>> lugares(static_cast<std::size_t>(std::max(0, clases)));
    for (std::size_t p = 0; p < n; ++p) lugares[static_cast<std::size_t>(rango[p])].push_back(p);
    Conteos anteriores(n);  // places of the lower ranks
    std::vector<int> orden;
    orden.reserve(n);
    long long menores = 0;
    for (const auto& lugar : lugares) {
        const std::size_t c = lugar.size();
        if (c == 0) continue;
        // The queue as a row read from `frente` round to it again: each
        // element joins at the back, just before the front.
        std::vector<std::size_t> indice(c);
        std::size_t largo = 0, frente = 0;
        long long vueltas = 0;  // lower-rank elements passed so far
        const auto gira = [&](long long hasta) {
            if (largo > 0) frente = (frente + static_cast<std::size_t>((hasta - vueltas) % static_cast<long long>(largo))) % largo;
            vueltas = hasta;
        };
        for (std::size_t j = 0; j < c; ++j) {
            gira(anteriores.antes(lugar[j]));
            indice[j] = frente;
            if (largo > 0) ++frente;
            ++largo;
        }
        gira(menores);
        // Places in the final row: the last to join took its index among
        // the places the earlier ones left free.
        Conteos libres(c);
        for (std::size_t k = 0; k < c; ++k) libres.suma(k, 1);
        std::vector<std::size_t> fila(c);
        for (std::size_t j = c; j-- > 0;) {
            const std::size_t k = libres.kesimo(static_cast<long long>(indice[j]) + 1);
            fila[k] = lugar[j];
            libres.suma(k, -1);
        }
        for (std::size_t k = 0; k < c; ++k) orden.push_back(static_cast<int>(fila[(frente + k) % c]));
        for (std::size_t p : lugar) anteriores.suma(p, 1);
        menores += static_cast<long long>(c);
    }
    return orden;
}

void cargaArchivo::ordenaSitios(TImagenN<float>& tablaSitios, TImagenN<AnsiString>& nombres) {
    const int n = nombres.columnas > 0 ? nombres.renglones : 0;
    if (n == 0) {
        numEspecies = 0;
        return;
    }
    auto& columna = nombres.datos[0];
    // The order is that of an exchange sort on the names (for i, then every
    // j after it, exchange i and j when name i is greater), which does not
    // keep sites of one species in file order; ranks (equal names, equal
    // ranks) let it be found without the exchanges.
    std::vector<int> orden(static_cast<std::size_t>(n));
    std::iota(orden.begin(), orden.end(), 0);
    std::stable_sort(orden.begin(), orden.end(), [&](int a, int b) {
        return columna[static_cast<std::size_t>(a)] < columna[static_cast<std::size_t>(b)];
    });
    std::vector<int> rango(static_cast<std::size_t>(n));
    for (std::size_t k = 0, r = 0; k < orden.size(); ++k) {
        if (k > 0 && columna[static_cast<std::size_t>(orden[k])] != columna[static_cast<std::size_t>(orden[k - 1])]) ++r;
        rango[static_cast<std::size_t>(orden[k])] = static_cast<int>(r);
    }
    orden = ordenDelIntercambio(rango, static_cast<int>(rango[static_cast<std::size_t>(orden.back())]) + 1);
    auto permuta = [&](auto& col) {
        auto copia = std::move(col);
        col.resize(copia.size());
        for (std::size_t k = 0; k < orden.size(); ++k) col[k] = std::move(copia[static_cast<std::size_t>(orden[k])]);
        for (std::size_t k = orden.size(); k < copia.size(); ++k) col[k] = std::move(copia[k]);
    };
    permuta(columna);
    if (tablaSitios.renglones >= n)
        for (auto& col : tablaSitios.datos) permuta(col);

    numEspecies = 1;
    const std::string* referencia = &columna[0];
    for (const auto& nombre : columna) {
        if (nombre != *referencia) {
            ++numEspecies;
            referencia = &nombre;
        }
    }
}

// ------------------------------------------------------------ load flags

int controlArchivo::marca(int indice) {
    if (indice < 0 || indice > 7) return codigos::kIndiceBandera;
    banderas[indice] = 1;
    return codigos::kOk;
}
