#include "managers/bias/inferenciaBias.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <unordered_map>

#include "data/LectorASCII.h"
#include "data/cargaArchivo.h"
#include "engine/funcionesGlobales.h"
#include "platform/Memoria.h"
#include "platform/EscrituraSegura.h"
#include "platform/Paralelo.h"

namespace fs = std::filesystem;

namespace sesgo {

float distancia(float x1, float y1, float x2, float y2) {
    const double dx = static_cast<double>(x1) - static_cast<double>(x2);
    const double dy = static_cast<double>(y1) - static_cast<double>(y2);
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

double milesimas(float d) {
    // d has 24 significant bits, so d * 1000 is exact in double, and for the
    // values below 2^52 so is t + 0.5: truncating it rounds halves away from
    // zero, as the "0.000" format does. Larger values are whole already.
    const double t = static_cast<double>(d) * 1000.0;
    if (t >= 0 && t < 4503599627370496.0) return static_cast<double>(static_cast<std::int64_t>(t + 0.5));
    if (t < 0 && t > -4503599627370496.0) return -static_cast<double>(static_cast<std::int64_t>(-t + 0.5));
    return t;  // whole, infinite or not a number
}

long double redondeaMilesimas(float d) {
    // A correctly rounded division gives the extended real nearest to k/1000,
    // which is what reading the decimal text back gives.
    return static_cast<long double>(milesimas(d)) / 1000.0L;
}

}  // namespace sesgo

namespace {

// Stream default formatting (six significant digits unless asked otherwise).
void agregaNumero(std::string& s, double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    s.append(buf, r.ptr);
}

std::string formatoExtendido(long double v, int digitos) {
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, "%.*Lg", digitos, v);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof buf) return std::string(buf, static_cast<std::size_t>(n));
    std::string grande(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(grande.data(), grande.size(), "%.*Lg", digitos, v);
    grande.resize(static_cast<std::size_t>(n));
    return grande;
}

// Float to int truncating toward zero as the processor does it: values that
// do not fit (and NaN) give the "integer indefinite" INT_MIN.
int truncaEntero(float v) {
    if (!(v > -2147483649.0f && v < 2147483648.0f)) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

bool escribeTexto(const fs::path& ruta, const std::string& texto) {
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(texto.data(), static_cast<std::streamsize>(texto.size()));
    f.close();
    return static_cast<bool>(f);
}

}  // namespace

inferenciaBias::inferenciaBias(fs::path carpetaTrabajo) : carpeta_(std::move(carpetaTrabajo)) {}

int inferenciaBias::hilos() const { return quel::hilosEfectivos(hilos_); }

// ---------------------------------------------------------------------------
// Covariate table and combinations

int inferenciaBias::cargaCovariables(cargaArchivo& datos, const fs::path& archivo) {
    error_ = {};
    archivoCovariables_ = archivo;
    const fs::path covs = fs::absolute(tmp(sesgo::kCovsTmp));
    // The conversion counts the category lines into the dataset's covariate
    // count; that count belongs to the table the main window loaded, so it is
    // counted afresh here (line numbers of errors depend on it) and restored.
    const int numCovariablesPrevio = datos.numCovariables;
    datos.numCovariables = 0;
    int codigo = datos.convierteArchivo(archivo, covs, cargaArchivo::kCovariables);
    const bool convertida = codigo == 0;
    if (codigo == 0) codigo = datos.cuentaRenglones(covs, cargaArchivo::kCovariables);
    if (codigo == 0 && datos.columnas < 3)  // no covariate and region flag
        codigo = quel::fallaArchivo(&datos.error, codigos::kMalformado, 0,
                                    "expected x, y, the covariates and the region flag on each line, found " +
                                        std::to_string(datos.columnas) + " fields");
    if (codigo != 0) {
        // The bias reports name the line of a failed validation only.
        quel::fallaArchivo(&error_, codigo, convertida ? datos.error.linea : 0, datos.error.detalle, archivo);
        datos.numCovariables = numCovariablesPrevio;
        return codigo;
    }
    const int celdas = datos.renglones;
    const int campos = datos.columnas;
    // The table itself, then per row its key hash, group, combination and
    // the hash map's node: what the load and the grouping build.
    const long double necesaria =
        static_cast<long double>(celdas) * (static_cast<long double>(campos) * sizeof(int) + 64);
    const long double limite = static_cast<long double>(quel::memoria::efectiva(limiteMemoria_));
    if (necesaria > limite) {
        datos.numCovariables = numCovariablesPrevio;
        return quel::fallaArchivo(&error_, codigos::kMemoria, 0,
                                  "the table's " + std::to_string(celdas) + " rows of " + std::to_string(campos) +
                                      " fields would need about " + quel::memoria::texto(necesaria) +
                                      " of memory, more than the " + quel::memoria::texto(limite) +
                                      " the run may use",
                                  archivo);
    }
    auto nuevasCoordenadas = std::make_unique<TImagenN<float>>(celdas, 2);
    auto nuevasCovariables = std::make_unique<TImagenN<int>>(celdas, campos - 2);
    codigo = datos.leeCovariables(covs, *nuevasCoordenadas, *nuevasCovariables);
    datos.numCovariables = numCovariablesPrevio;
    if (codigo != 0) return quel::fallaArchivo(&error_, codigo, 0, {}, archivo);
    coordenadas = std::move(nuevasCoordenadas);
    covariables = std::move(nuevasCovariables);
    // Tables of an earlier table no longer match; its fit is gone.
    sesgo.reset();
    combinacionDe_.clear();
    inicio_.clear();
    filas_.clear();
    ajuste_ = {};
    return 0;
}

void inferenciaBias::combinacionesDistintas() {
    const int n = covariables ? covariables->renglones : 0;
    const int k = covariables ? std::max(0, covariables->columnas - 1) : 0;
    const auto& col = covariables ? covariables->datos : std::vector<std::vector<int>>{};

    // Hash of each row's key (all columns but the region flag).
    std::vector<std::uint64_t> hash(static_cast<std::size_t>(n), 1469598103934665603ull);
    for (int c = 0; c < k; ++c) {
        const auto& v = col[static_cast<std::size_t>(c)];
        for (int r = 0; r < n; ++r) {
            std::uint64_t h = hash[static_cast<std::size_t>(r)];
            h ^= static_cast<std::uint32_t>(v[static_cast<std::size_t>(r)]);
            h *= 1099511628211ull;
            h ^= h >> 29;
            hash[static_cast<std::size_t>(r)] = h;
        }
    }
    auto hashFila = [&](int r) { return static_cast<std::size_t>(hash[static_cast<std::size_t>(r)]); };
    auto igualFila = [&](int a, int b) {
        for (int c = 0; c < k; ++c)
            if (col[static_cast<std::size_t>(c)][static_cast<std::size_t>(a)] !=
                col[static_cast<std::size_t>(c)][static_cast<std::size_t>(b)])
                return false;
        return true;
    };
    // Key (represented by its first row) -> group number in order of first appearance.
    std::unordered_map<int, int, decltype(hashFila), decltype(igualFila)> grupos(
        static_cast<std::size_t>(n) / 2 + 1, hashFila, igualFila);
    std::vector<int> grupoDe(static_cast<std::size_t>(n));
    std::vector<int> ultima;  // last row of each group
    for (int r = 0; r < n; ++r) {
        auto [it, nuevo] = grupos.try_emplace(r, static_cast<int>(ultima.size()));
        if (nuevo) ultima.push_back(r);
        grupoDe[static_cast<std::size_t>(r)] = it->second;
        ultima[static_cast<std::size_t>(it->second)] = r;
    }
    // A row is kept when no later row has its key: combinations follow the
    // order of the last occurrences.
    std::vector<int> combinacionDeGrupo(ultima.size());
    std::vector<int> retenidas;
    retenidas.reserve(ultima.size());
    for (int r = 0; r < n; ++r) {
        const int g = grupoDe[static_cast<std::size_t>(r)];
        if (ultima[static_cast<std::size_t>(g)] == r) {
            combinacionDeGrupo[static_cast<std::size_t>(g)] = static_cast<int>(retenidas.size());
            retenidas.push_back(r);
        }
    }
    const int j = static_cast<int>(retenidas.size());
    combinaciones = std::make_unique<TImagenN<int>>(j, k);
    for (int c = 0; c < k; ++c)
        for (int i = 0; i < j; ++i)
            combinaciones->datos[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                col[static_cast<std::size_t>(c)][static_cast<std::size_t>(retenidas[static_cast<std::size_t>(i)])];

    // Rows of each combination in increasing order (the order of every per-combination sum).
    combinacionDe_.assign(static_cast<std::size_t>(n), 0);
    inicio_.assign(static_cast<std::size_t>(j) + 1, 0);
    for (int r = 0; r < n; ++r) {
        const int cj = combinacionDeGrupo[static_cast<std::size_t>(grupoDe[static_cast<std::size_t>(r)])];
        combinacionDe_[static_cast<std::size_t>(r)] = cj;
        ++inicio_[static_cast<std::size_t>(cj) + 1];
    }
    for (int i = 0; i < j; ++i) inicio_[static_cast<std::size_t>(i) + 1] += inicio_[static_cast<std::size_t>(i)];
    filas_.assign(static_cast<std::size_t>(n), 0);
    std::vector<int> lleno(inicio_.begin(), inicio_.end() - 1);
    for (int r = 0; r < n; ++r) {
        const int cj = combinacionDe_[static_cast<std::size_t>(r)];
        filas_[static_cast<std::size_t>(lleno[static_cast<std::size_t>(cj)]++)] = r;
    }
    ajuste_ = {};
}

int inferenciaBias::combinacionDe(int fila) const {
    if (fila < 0 || static_cast<std::size_t>(fila) >= combinacionDe_.size()) return -1;
    return combinacionDe_[static_cast<std::size_t>(fila)];
}

std::vector<int> inferenciaBias::celdasDe(int j) const {
    if (j < 0 || static_cast<std::size_t>(j) + 1 >= inicio_.size()) return {};
    return std::vector<int>(filas_.begin() + inicio_[static_cast<std::size_t>(j)],
                            filas_.begin() + inicio_[static_cast<std::size_t>(j) + 1]);
}

// ---------------------------------------------------------------------------
// Grid to cell list

int inferenciaBias::convierteCeldas(cargaArchivo& datos, const fs::path& archivo, int modo) {
    error_ = {};
    // The header is held in single precision, as the position arithmetic is.
    float xInicio = 0, x = 0, y = 0, tamano = 0, sinDatoF = -9999.0f;
    int columnas = 0, columna = 0;
    long long emitidas = 0;
    std::string texto;
    auto alEncabezado = [&](const quel::EncabezadoASCII& e) {
        encabezadoUltimo_ = e;
        const float nrows = static_cast<float>(e.nrows);
        tamano = static_cast<float>(e.cellsize);
        const float xll = e.xEsquinaFloat();
        const float yll = e.yEsquinaFloat();
        sinDatoF = static_cast<float>(e.nodata);
        columnas = e.columnas();
        xInicio = xll - tamano;
        x = xInicio;
        y = yll + (nrows - 1.0f) * tamano;
        // A header may promise more cells than the file holds: the reader
        // finds out, so only a bounded guess is reserved here.
        const double celdas = std::clamp(e.ncols * e.nrows, 0.0, 4.0e6);
        texto.reserve(static_cast<std::size_t>(celdas) * 24);
    };
    auto alValor = [&](const quel::CeldaASCII& c) {
        if (columna == columnas) {  // a grid row is complete: down one row, back to the left edge
            columna = 0;
            x = xInicio;
            y -= tamano;
        }
        ++columna;
        x += tamano;
        const float v = static_cast<float>(c.valor);
        agregaNumero(texto, x);
        texto += ',';
        agregaNumero(texto, y);
        texto += ',';
        // No-data cells stay in the list with the value 0.
        if (c.sinDato || v == -9999.0f || v == sinDatoF)
            texto += '0';
        else
            agregaNumero(texto, v);
        texto += ",\n";
        ++emitidas;
    };
    // The cell list is written over, then deleted: never the user's grid.
    // (Absolute: the dataset resolves relative names in its own folder.)
    const fs::path asc = fs::absolute(tmp(sesgo::kASCIITmp));
    std::error_code ec;
    if (fs::equivalent(archivo, asc, ec) && !ec)
        return quel::fallaArchivo(&error_, codigos::kVacio, 0, "the grid is the working file " + asc.string(), archivo);
    quel::ErrorGrid error;
    int codigo = quel::recorreGridASCII(archivo, alEncabezado, alValor, &error);
    if (codigo != 0) return quel::fallaArchivo(&error_, codigo, error.linea, error.detalle, archivo);
    if (!escribeTexto(asc, texto))
        return quel::fallaArchivo(&error_, codigos::kVacio, 0, "cannot write the working file " + asc.string(),
                                  archivo);
    texto.clear();
    texto.shrink_to_fit();
    celdasUltimo_ = emitidas;

    const int n = static_cast<int>(std::min<long long>(emitidas, std::numeric_limits<int>::max()));
    std::unique_ptr<TImagenN<float>>* destino = nullptr;
    int filas = n;
    switch (modo) {
        case kCarreteras: destino = &celdasCarreteras; break;
        case kCiudades: destino = &celdasCiudades; break;
        case kRiqueza:
            destino = &celdasRiqueza;
            filas = covariables ? covariables->renglones : 0;
            break;
        default: break;
    }
    if (destino) {
        auto tabla = std::make_unique<TImagenN<float>>(filas, 3);
        codigo = datos.leeTablaFloat(*tabla, asc);
        *destino = std::move(tabla);
    }
    fs::remove(asc, ec);
    return codigo == 0 ? 0 : quel::fallaArchivo(&error_, codigo, 0, {}, archivo);
}

// ---------------------------------------------------------------------------
// Distance sums

namespace {

// The grid cells taking part in one surface, and what the sums may assume.
struct ListaSuma {
    std::vector<float> x, y, v;
    // No negative, infinite or NaN value and finite positions everywhere: a
    // capped sum can then never leave the cap, so its remaining terms can be skipped.
    bool podaTope = true;
    bool todosUno = true;  // every value is 1 (roads): the term is 1 / d
    // Rounded distances are k / 1000 for a whole k; when every k of the
    // surface is small the extended k / 1000 (or its reciprocal when every
    // value is 1) is looked up instead of divided again. Same bits either way.
    std::vector<long double> tabla;
    std::int64_t kMax = -1;
};

constexpr std::int64_t kTablaMaxima = 1 << 20;

// Bounds of the distances between the covariate cells and the grid cells;
// builds the table when they are small.
void preparaTabla(ListaSuma& l, const TImagenN<float>& coordenadas) {
    if (!l.podaTope || l.x.empty() || coordenadas.renglones == 0) return;
    auto extremos = [](const std::vector<float>& v, double& lo, double& hi) {
        lo = hi = v[0];
        for (float f : v) { lo = std::min<double>(lo, f); hi = std::max<double>(hi, f); }
    };
    double cx0, cx1, cy0, cy1, gx0, gx1, gy0, gy1;
    extremos(coordenadas.datos[0], cx0, cx1);
    extremos(coordenadas.datos[1], cy0, cy1);
    extremos(l.x, gx0, gx1);
    extremos(l.y, gy0, gy1);
    const double dx = std::max(cx1 - gx0, gx1 - cx0), dy = std::max(cy1 - gy0, gy1 - cy0);
    const double maxima = std::sqrt(dx * dx + dy * dy) * (1.0 + 1e-6) * 1000.0 + 2.0;
    if (!(maxima < static_cast<double>(kTablaMaxima))) return;
    l.kMax = static_cast<std::int64_t>(maxima);
    l.tabla.resize(static_cast<std::size_t>(l.kMax) + 1);
    l.tabla[0] = 0;
    for (std::int64_t k = 1; k <= l.kMax; ++k) {
        const long double r = static_cast<long double>(static_cast<double>(k)) / 1000.0L;
        l.tabla[static_cast<std::size_t>(k)] = l.todosUno ? static_cast<long double>(1.0f) / r : r;
    }
}

}  // namespace

void inferenciaBias::calculaSumas(const TImagenN<float>& celdas, bool ciudades, TImagenN<long double>& salida,
                                  Progreso& progreso, int pasos) const {
    // Cells taking part: cities with a value other than 0, roads coded exactly 1.
    ListaSuma l;
    for (int g = 0; g < celdas.renglones; ++g) {
        const float v = celdas.datos[2][static_cast<std::size_t>(g)];
        if (ciudades ? !(v == 0.0f) : v == 1.0f) {
            l.x.push_back(celdas.datos[0][static_cast<std::size_t>(g)]);
            l.y.push_back(celdas.datos[1][static_cast<std::size_t>(g)]);
            l.v.push_back(v);
            if (!(v >= 0.0f && std::isfinite(v)) || !std::isfinite(l.x.back()) || !std::isfinite(l.y.back()))
                l.podaTope = false;
            if (v != 1.0f) l.todosUno = false;
        }
    }
    for (int k = 0; k < coordenadas->renglones && l.podaTope; ++k)
        if (!std::isfinite(coordenadas->datos[0][static_cast<std::size_t>(k)]) ||
            !std::isfinite(coordenadas->datos[1][static_cast<std::size_t>(k)]))
            l.podaTope = false;
    preparaTabla(l, *coordenadas);

    const auto& cx = coordenadas->datos[0];
    const auto& cy = coordenadas->datos[1];
    // v / d of grid cell g at the rounded distance m / 1000 (m > 0).
    auto termino = [&](std::size_t g, double m) -> long double {
        if (m <= static_cast<double>(l.kMax)) {
            const long double t = l.tabla[static_cast<std::size_t>(m)];
            return l.todosUno ? t : static_cast<long double>(l.v[g]) / t;
        }
        return static_cast<long double>(l.v[g]) / (static_cast<long double>(m) / 1000.0L);
    };
    // Sum of combination j: for each of its cells in table order, for each
    // grid cell in list order, v / d, with the cap applied as it goes.
    auto sumaDe = [&](int j) -> long double {
        const std::size_t n = l.x.size();
        const int desde = inicio_[static_cast<std::size_t>(j)], hasta = inicio_[static_cast<std::size_t>(j) + 1];
        long double suma = 0;
        if (l.podaTope) {
            // No term is negative: the running sum only grows, so it passed
            // the cap at some point exactly when it lies above the cap at the
            // end of a cell's pass, and once capped it stays capped. The same
            // result without a comparison per term.
            for (int p = desde; p < hasta; ++p) {
                const int k = filas_[static_cast<std::size_t>(p)];
                const float xk = cx[static_cast<std::size_t>(k)];
                const float yk = cy[static_cast<std::size_t>(k)];
                for (std::size_t g = 0; g < n; ++g) {
                    const double m = sesgo::milesimas(sesgo::distancia(xk, yk, l.x[g], l.y[g]));
                    if (m == 0) return sesgo::kTope;
                    suma += termino(g, m);
                }
                if (suma > sesgo::kTope) return sesgo::kTope;
            }
            return suma;
        }
        for (int p = desde; p < hasta; ++p) {
            const int k = filas_[static_cast<std::size_t>(p)];
            const float xk = cx[static_cast<std::size_t>(k)];
            const float yk = cy[static_cast<std::size_t>(k)];
            for (std::size_t g = 0; g < n; ++g) {
                const double m = sesgo::milesimas(sesgo::distancia(xk, yk, l.x[g], l.y[g]));
                if (m == 0) {
                    suma = sesgo::kTope;
                    continue;
                }
                suma += termino(g, m);
                if (suma > sesgo::kTope) suma = sesgo::kTope;
            }
        }
        return suma;
    };

    const int j = salida.renglones;
    auto& res = salida.datos[0];
    // Combinations are independent: threads take blocks of them, each sum
    // keeps its own order, so the result never depends on the thread count.
    const int bloque = std::max(1, std::min(64, j / (8 * hilos()) + 1));
    const int bloques = (j + bloque - 1) / bloque;
    PasosProgreso pasosHechos(progreso, j, pasos);
    quel::paraCada(
        bloques, std::max(1, std::min(hilos(), j / 4 + 1)),
        [&](int b) {
            const int j0 = b * bloque, j1 = std::min(j, j0 + bloque);
            for (int i = j0; i < j1; ++i) res[static_cast<std::size_t>(i)] = sumaDe(i);
            pasosHechos.paso(j1 - j0);
        },
        &progreso);
    pasosHechos.termina();
}

void inferenciaBias::reemplazaTopes(TImagenN<long double>& sumas) {
    if (sumas.datos.empty()) return;
    auto& v = sumas.datos[0];
    // The largest of the values that are not the cap; with fewer than two of
    // them the capped values stay.
    int libres = 0;
    long double mayor = 0;
    for (long double s : v) {
        if (s == sesgo::kTope) continue;
        if (libres == 0 || s > mayor) mayor = s;
        ++libres;
    }
    if (libres < 2) return;
    const long double reemplazo = 10.0L * mayor;
    for (long double& s : v)
        if (s == sesgo::kTope) s = reemplazo;
}

int inferenciaBias::escribeColumna(const TImagenN<long double>& tabla, const std::string& nombre) const {
    std::string texto;
    for (int j = 0; j < tabla.renglones; ++j) {
        texto += formatoExtendido(tabla.datos[0][static_cast<std::size_t>(j)], 6);
        texto += '\n';
    }
    if (!escribeTexto(tmp(nombre), texto)) return codigos::kVacio;
    return 0;
}

int inferenciaBias::sumaDistancias(cargaArchivo& datos, const fs::path& archivoCiudades,
                                   const fs::path& archivoCarreteras, Progreso& progreso) {
    if (!coordenadas || inicio_.empty()) combinacionesDistintas();
    const int j = static_cast<int>(inicio_.size()) - 1;

    avisos_.clear();
    int codigo = convierteCeldas(datos, archivoCiudades, kCiudades);
    if (codigo != 0) return codigo;
    avisaLejania(archivoCiudades, "cities");
    auto ciudades = std::make_unique<TImagenN<long double>>(j, 1);
    if (coordenadas) calculaSumas(*celdasCiudades, true, *ciudades, progreso, 10);

    codigo = convierteCeldas(datos, archivoCarreteras, kCarreteras);
    if (codigo != 0) return codigo;
    avisaLejania(archivoCarreteras, "roads");
    auto carreteras = std::make_unique<TImagenN<long double>>(j, 1);
    if (coordenadas) calculaSumas(*celdasCarreteras, false, *carreteras, progreso, 80);
    // Both sums are kept only once both are complete: a cancelled pass
    // leaves the earlier ones as they were.
    sumaCiudades = std::move(ciudades);
    sumaCarreteras = std::move(carreteras);

    reemplazaTopes(*sumaCiudades);
    reemplazaTopes(*sumaCarreteras);
    codigo = escribeColumna(*sumaCiudades, sesgo::kSumaCiudades);
    if (codigo == 0) codigo = escribeColumna(*sumaCarreteras, sesgo::kSumaCarreteras);
    return codigo == 0 ? 0 : quel::fallaArchivo(&error_, codigo, 0, {}, archivoCarreteras);
}

// ---------------------------------------------------------------------------
// Richness, abundance and presence counts

namespace {

std::string numeroTexto(double v) {
    std::string s;
    agregaNumero(s, v);
    return s;
}

std::string rutaTexto(const fs::path& p) { return quel::imprimible(p.string(), std::string::npos); }

}  // namespace

void inferenciaBias::avisaLejania(const fs::path& archivo, const char* que) {
    if (!coordenadas || coordenadas->renglones == 0) return;
    const auto [x0, x1] = std::minmax_element(coordenadas->datos[0].begin(), coordenadas->datos[0].end());
    const auto [y0, y1] = std::minmax_element(coordenadas->datos[1].begin(), coordenadas->datos[1].end());
    const quel::EncabezadoASCII& e = encabezadoUltimo_;
    const double gx0 = e.xllcorner, gx1 = e.xllcorner + e.ncols * e.cellsize;
    const double gy0 = e.yllcorner, gy1 = e.yllcorner + e.nrows * e.cellsize;
    const double dx = std::max({0.0, gx0 - *x1, *x0 - gx1});
    const double dy = std::max({0.0, gy0 - *y1, *y0 - gy1});
    const double ancho = std::max(static_cast<double>(*x1 - *x0), static_cast<double>(*y1 - *y0));
    if (std::hypot(dx, dy) <= ancho) return;
    avisos_.push_back("the " + std::string(que) + " grid " + rutaTexto(archivo) +
                      " lies wholly outside the region of the covariate table, farther from it than the region "
                      "is wide (grid: x " + numeroTexto(gx0) + " to " + numeroTexto(gx1) + ", y " +
                      numeroTexto(gy0) + " to " + numeroTexto(gy1) + "; region: x " + numeroTexto(*x0) + " to " +
                      numeroTexto(*x1) + ", y " + numeroTexto(*y0) + " to " + numeroTexto(*y1) +
                      "); check that both use the same coordinates");
}

int inferenciaBias::revisaRiqueza() {
    const int filas = coordenadas ? coordenadas->renglones : 0;
    auto rechaza = [&](const std::string& que) {
        return quel::fallaArchivo(&error_, codigos::kEncabezados, 0,
                                  "the richness grid and the covariate table " + rutaTexto(archivoCovariables_) +
                                      " do not list the same cells: " + que);
    };
    if (celdasUltimo_ != filas)
        return rechaza("the grid has " + std::to_string(celdasUltimo_) + " cells, the table " +
                       std::to_string(filas) + " rows");
    const quel::EncabezadoASCII& e = encabezadoUltimo_;
    const long long ncols = e.columnas();
    // The table's coordinates carry six significant digits in single precision.
    const auto tolerancia = [&](double v) { return e.cellsize / 100 + 1e-5 * std::fabs(v); };
    for (int k = 0; k < filas; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        const double x = e.xllcorner + static_cast<double>(k % ncols) * e.cellsize;
        const double y = e.yllcorner + (e.nrows - 1 - static_cast<double>(k / ncols)) * e.cellsize;
        const double tx = coordenadas->datos[0][kk], ty = coordenadas->datos[1][kk];
        if (std::fabs(x - tx) > tolerancia(x) || std::fabs(y - ty) > tolerancia(y))
            return rechaza("cell " + std::to_string(k + 1) + " of the grid has its lower-left corner at (" +
                           numeroTexto(x) + ", " + numeroTexto(y) + "), row " + std::to_string(k + 1) +
                           " of the table lies at (" + numeroTexto(tx) + ", " + numeroTexto(ty) + ")");
    }
    return 0;
}

int inferenciaBias::cargaRiqueza(cargaArchivo& datos, const fs::path& archivoRiqueza) {
    int codigo = convierteCeldas(datos, archivoRiqueza, kRiqueza);
    if (codigo == 0) codigo = revisaRiqueza();
    if (codigo != 0) {
        error_.archivo = archivoRiqueza;
        celdasRiqueza.reset();
        return codigo;
    }
    const int celdas = covariables ? covariables->renglones : 0;
    auto nueva = std::make_unique<TImagenN<int>>(celdas, 1);
    // No-data cells were listed with the value 0: their richness is 0.
    for (int k = 0; k < celdas && k < celdasRiqueza->renglones; ++k)
        nueva->datos[0][static_cast<std::size_t>(k)] = truncaEntero(celdasRiqueza->datos[2][static_cast<std::size_t>(k)]);
    riqueza = std::move(nueva);
    celdasRiqueza.reset();
    return 0;
}

void inferenciaBias::calculaAbundancia() {
    const int j = static_cast<int>(inicio_.size()) - 1;
    auto nueva = std::make_unique<TImagenN<long double>>(std::max(0, j), 1);
    const long double pi = 3.141592654L;
    const long double unoEntrePi = 0.318309886142228L;  // 1 / pi with the same pi
    const long double ln2 = std::log(2.0L);
    const long double factorB = std::sqrt(pi) / ln2;
    const int celdas = riqueza ? riqueza->renglones : 0;
    for (int i = 0; i < j; ++i) {
        long double a = 0;
        for (int p = inicio_[static_cast<std::size_t>(i)]; p < inicio_[static_cast<std::size_t>(i) + 1]; ++p) {
            const int k = filas_[static_cast<std::size_t>(p)];
            const long double s = k < celdas ? static_cast<long double>(riqueza->datos[0][static_cast<std::size_t>(k)]) : 0.0L;
            // A is the positive root of A exp(A^2) = S ln2 / pi.
            const long double z = (ln2 * ln2) * (s * s) * (2.0L / (pi * pi));
            bool converge = true;
            const long double w = funcionesGlobales::LambertW(static_cast<double>(z), &converge);
            if (!converge) diagnosticos_.push_back(funcionesGlobales::avisoLambertW(static_cast<double>(z)));
            const long double aa = (ln2 * s * unoEntrePi) / std::exp(w * 0.5L);
            const long double b = factorB * aa * std::exp(4.0L * aa * aa) *
                                  static_cast<long double>(funcionesGlobales::erf(static_cast<double>(2.0L * aa)));
            a += b;
        }
        nueva->datos[0][static_cast<std::size_t>(i)] = a;
    }
    abundancia = std::move(nueva);
    escribeColumna(*abundancia, sesgo::kAbundancia);
    riqueza.reset();
}

void inferenciaBias::cuentaPresencias(const TImagenN<float>& sitios) {
    const int j = static_cast<int>(inicio_.size()) - 1;
    auto nuevos = std::make_unique<TImagenN<int>>(std::max(0, j), 1);
    const int celdas = static_cast<int>(combinacionDe_.size());
    if (sitios.columnas >= 3) {
        for (int s = 0; s < sitios.renglones; ++s) {
            const float v = sitios.datos[2][static_cast<std::size_t>(s)];
            // A site without a row (no valid row within reach) counts nowhere.
            if (!(v >= 0.0f) || !(v < static_cast<float>(celdas))) continue;
            const int k = static_cast<int>(v);
            if (k >= celdas) continue;
            ++nuevos->datos[0][static_cast<std::size_t>(combinacionDe_[static_cast<std::size_t>(k)])];
        }
    }
    conteos = std::move(nuevos);
}

// ---------------------------------------------------------------------------
// Bias per row and the bias file

std::vector<long double> inferenciaBias::sesgoPorCelda() const {
    const int j = static_cast<int>(inicio_.size()) - 1;
    if (!sesgo || j < 0 || sesgo->renglones != j) return {};
    std::vector<long double> v(combinacionDe_.size());
    for (std::size_t k = 0; k < v.size(); ++k)
        v[k] = sesgo->datos[0][static_cast<std::size_t>(combinacionDe_[k])];
    return v;
}

std::string inferenciaBias::sesgoFueraDeRango() const {
    if (!sesgo) return {};
    const auto& b = sesgo->datos[0];
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (!(b[j] >= 0.0L && b[j] <= 1.0L))
            return "combination " + std::to_string(j + 1) + " of " + std::to_string(b.size()) + " has " +
                   formatoExtendido(b[j], 17);
    }
    return {};
}

int inferenciaBias::guardaSesgo(const fs::path& ruta, int digitos, std::string* razon) const {
    const int j = static_cast<int>(inicio_.size()) - 1;
    if (!sesgo || j < 0 || sesgo->renglones != j) return codigos::kVacio;
    // A bias file holds probabilities; a fit that ran away is not one.
    if (!sesgoFueraDeRango().empty()) return codigos::kRango;
    const std::vector<long double> valores = sesgoPorCelda();
    std::string texto;
    texto.reserve(valores.size() * static_cast<std::size_t>(digitos + 8));
    for (std::size_t k = 0; k < valores.size(); ++k) {
        if (k > 0) texto += '\n';
        texto += formatoExtendido(valores[k], digitos);
        texto += ',';
    }
    if (!quel::escribeSeguro(ruta, texto, razon)) return codigos::kVacio;
    return 0;
}
