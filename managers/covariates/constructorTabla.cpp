#include "managers/covariates/constructorTabla.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "data/ErrorArchivo.h"
#include "data/cargaArchivo.h"
#include "platform/EscrituraSegura.h"
#include "data/salidaGDAL.h"

namespace fs = std::filesystem;
namespace fmt = quel::formato;

constructorTabla::constructorTabla(quel::RaizDatos raiz) : exportador(std::move(raiz)) {}

fs::path constructorTabla::conExtension(const fs::path& ruta) {
    std::string s = ruta.string();
    if (s.find('.') == std::string::npos) s += ".txt";
    return fs::path(s);
}

namespace {

bool mismoEncabezado(const std::array<double, 6>& a, const std::array<double, 6>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
}

// Cells of all grids together in one block when the caller sets no block size.
constexpr long long kCeldasBloque = 1LL << 22;

// Runs trabajo(i) for every i below n on a few threads, each index once and
// in increasing order of start; the caller waits for the results it needs,
// in its own order. A job that throws hands its exception to the waiter.
class Tanda {
public:
    Tanda(std::size_t n, std::function<void(std::size_t)> trabajo)
        : trabajo_(std::move(trabajo)), hecho_(n, 0), fallo_(n) {
        const std::size_t hilos = std::min<std::size_t>(n, std::max(1u, std::thread::hardware_concurrency()));
        for (std::size_t h = 0; h < hilos; ++h) hilos_.emplace_back([this] { corre(); });
    }
    ~Tanda() {
        alto_ = true;
        for (auto& h : hilos_) h.join();
    }
    Tanda(const Tanda&) = delete;
    Tanda& operator=(const Tanda&) = delete;

    void espera(std::size_t i) {
        std::unique_lock<std::mutex> l(m_);
        cv_.wait(l, [&] { return hecho_[i] != 0; });
        if (fallo_[i]) std::rethrow_exception(fallo_[i]);
    }
    // Jobs not yet started are skipped; a running one may look here to stop early.
    void detiene() { alto_ = true; }
    bool detenida() const { return alto_; }

private:
    void corre() {
        for (std::size_t i; (i = siguiente_++) < hecho_.size();) {
            std::exception_ptr e;
            if (!alto_) try {
                    trabajo_(i);
                } catch (...) {
                    e = std::current_exception();
                }
            std::lock_guard<std::mutex> l(m_);
            fallo_[i] = e;
            hecho_[i] = 1;
            cv_.notify_all();
        }
    }
    std::function<void(std::size_t)> trabajo_;
    std::vector<char> hecho_;
    std::vector<std::exception_ptr> fallo_;
    std::atomic<std::size_t> siguiente_{0};
    std::atomic<bool> alto_{false};
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::thread> hilos_;
};

// Runs trabajo(i) for every i below n and waits for all of them.
void enParalelo(std::size_t n, const std::function<void(std::size_t)>& trabajo) {
    Tanda t(n, trabajo);
    for (std::size_t i = 0; i < n; ++i) t.espera(i);
}

// The data cells' values of a grid classified into equal-frequency classes:
// counted per distinct value while there are few of them, else listed.
class Valores {
public:
    void agrega(float v) {
        if (lista_) {
            todos_.push_back(v);
            return;
        }
        ++cuenta_[v];
        if (cuenta_.size() <= kDistintos) return;
        lista_ = true;
        for (const auto& [valor, n] : cuenta_) todos_.insert(todos_.end(), n, valor);
        cuenta_.clear();
    }
    // The classes clasesFrecuenciasIguales forms from the same values.
    std::vector<Intervalo> clases(int numClases) {
        if (lista_) return clasesFrecuenciasIguales(todos_, numClases);
        std::vector<std::pair<float, std::uint64_t>> v(cuenta_.begin(), cuenta_.end());
        std::sort(v.begin(), v.end());
        std::vector<std::uint64_t> hasta(v.size());  // values up to and including v[j]
        std::uint64_t n = 0;
        for (std::size_t j = 0; j < v.size(); ++j) hasta[j] = n += v[j].second;
        std::vector<Intervalo> r;
        if (n == 0 || numClases < 1) return r;
        // The value at sorted position i (from 0).
        auto en = [&](std::uint64_t i) {
            return static_cast<std::size_t>(std::upper_bound(hasta.begin(), hasta.end(), i) - hasta.begin());
        };
        const auto clases = static_cast<std::uint64_t>(numClases);
        std::uint64_t inicio = 0;
        for (std::uint64_t k = 1; k <= clases; ++k) {
            const std::uint64_t p = (k * n + clases - 1) / clases;
            if (p <= inicio) continue;
            const std::size_t j = en(p - 1);
            r.push_back({v[en(inicio)].first, v[j].first});
            inicio = hasta[j];
        }
        return r;
    }

private:
    static constexpr std::size_t kDistintos = std::size_t{1} << 18;
    bool lista_ = false;
    std::unordered_map<float, std::uint64_t> cuenta_;
    std::vector<float> todos_;
};

// What a first reading of a grid finds: its header and its classes, or why
// it cannot be used.
struct Estudio {
    int codigo = 0;
    quel::ErrorGrid error;
    quel::EncabezadoASCII encabezado;
    Clases clases;
};

Estudio estudia(const ItemCovariable& it, int numClases, int renglonesBloque, const Tanda& tanda,
                const Progreso& progreso) {
    Estudio r;
    quel::LectorBloques lector;
    if ((r.codigo = lector.abre(it.ruta)) != 0) {
        r.error = lector.error();
        return r;
    }
    r.encabezado = lector.encabezado();
    const bool cuantiles = it.cuantiles && !it.manual;
    float maximo = -1, minimo = 9999;
    Valores valores;
    const auto alValor = [&](const quel::CeldaASCII& c) {
        if (c.sinDato) return;
        const float v = static_cast<float>(c.valor);
        if (v > maximo) maximo = v;
        if (v < minimo) minimo = v;
        if (cuantiles) valores.agrega(v);
    };
    const int bloque = renglonesBloque > 0 ? renglonesBloque
                                           : static_cast<int>(std::max(1LL, kCeldasBloque / r.encabezado.columnas()));
    while (!lector.terminado()) {
        if (tanda.detenida() || progreso.cancelado()) {
            r.codigo = quel::kCodigoCancelado;
            return r;
        }
        if ((r.codigo = lector.lee(bloque, alValor)) != 0) {
            r.error = lector.error();
            return r;
        }
    }
    std::string detalle;
    if (formaClases(numClases, it.manual, it.cuantiles, maximo, minimo,
                    cuantiles ? valores.clases(numClases) : std::vector<Intervalo>{}, r.clases, detalle) != 0) {
        r.codigo = codigos::kRango;
        r.error = {codigos::kRango, 0, std::move(detalle), it.ruta};
    }
    return r;
}

// A coordinate as the table has always held it: the double printed with six
// significant digits, read back and kept in single precision.
float coordenada(double v) {
    std::string t;
    fmt::real(t, v);
    double d = 0;
    std::from_chars(t.data(), t.data() + t.size(), d);
    return static_cast<float>(d);
}

}  // namespace

int constructorTabla::construyeTabla(const fs::path& ruta, const std::vector<ItemCovariable>& items,
                                     const TablaCargada* tabla, Progreso& progreso) {
    const int numCargadas = tabla ? tabla->numCovariables() : 0;
    const int numArchivos = static_cast<int>(items.size());
    rutaError.clear();
    error = {};

    numSeleccionadas = 0;
    nombresSel.clear();
    categoriasSel.clear();
    celdasEnHueco.clear();
    clasesPedidas.clear();
    // Per ticked item: the opened table's column, or the grid's place among the grids.
    struct Columna {
        bool deTabla;
        std::size_t indice;
    };
    std::vector<Columna> columnas;
    std::vector<const ItemCovariable*> grids;
    std::vector<int> clasesGrid;  // the classes asked of each grid
    for (int i = 0; i < numArchivos; ++i) {
        const auto& it = items[static_cast<std::size_t>(i)];
        if (!it.marcado) continue;
        categoriasSel.push_back(i < numCargadas ? tabla->categorias.datos[0][static_cast<std::size_t>(i)]
                                                : static_cast<float>(it.numClases));
        nombresSel.push_back(it.nombre);
        celdasEnHueco.push_back(0);
        clasesPedidas.push_back(i >= numCargadas && it.cuantiles && !it.manual ? it.numClases : 0);
        if (i < numCargadas) {
            columnas.push_back({true, static_cast<std::size_t>(i)});
        } else {
            columnas.push_back({false, grids.size()});
            grids.push_back(&it);
            clasesGrid.push_back(static_cast<int>(categoriasSel.back()));
        }
        ++numSeleccionadas;
    }

    progreso.fija(0);
    const int paso = numArchivos > 0 ? 50 / numArchivos : 0;
    auto falla = [&](int codigo, const fs::path& grid, std::string detalle) {
        rutaError = grid;
        error = {codigo, 0, std::move(detalle)};
        return codigo;
    };
    // A cancelled build stops before its next grid or row block; the table
    // file is left as it was.
    auto cancelada = [&] {
        std::error_code ec;
        fs::remove(exportador.rutaCoordenadas(), ec);
        return falla(quel::kCodigoCancelado, {}, {});
    };

    // The grids of one table share one coordinate system, kept beside it.
    std::vector<fs::path> rutas;
    for (const ItemCovariable* g : grids) rutas.push_back(g->ruta);
    quel::gdal::Sistema region;
    fs::path enFalta;
    std::string detalle;
    if (!quel::gdal::compruebaSistemas(rutas, region, enFalta, detalle))
        return falla(codigos::kEncabezados, enFalta, std::move(detalle));

    // First reading: every grid once through, a few at a time, for its
    // header and its classes. The items are then taken up in list order, so
    // the first one at fault is the one reported.
    std::vector<Estudio> estudios(grids.size());
    Tanda lecturas(grids.size(), [&](std::size_t g) {
        estudios[g] = estudia(*grids[g], clasesGrid[g], renglonesPorBloque, lecturas, progreso);
    });
    std::optional<std::array<double, 6>> referencia;
    const quel::EncabezadoASCII* primero = nullptr;  // the first grid's header
    bool coordsDeGrid = false;                      // the coordinates come from it
    long long filas = 0;
    bool hayFilas = false;
    for (int i = 0, k = 0; i < numArchivos; ++i, progreso.avanza(paso)) {
        if (progreso.cancelado()) return cancelada();
        const auto& it = items[static_cast<std::size_t>(i)];
        if (!it.marcado) continue;
        const Columna col = columnas[static_cast<std::size_t>(k)];
        if (col.deTabla) {
            if (!hayFilas) filas = tabla->covariables.renglones;
            hayFilas = true;
            if (i >= tabla->covariables.columnas)
                return falla(codigos::kMalformado, {}, "the opened table has no column for covariate " + it.nombre);
            ++k;
            continue;
        }
        lecturas.espera(col.indice);
        Estudio& e = estudios[col.indice];
        if (e.codigo == quel::kCodigoCancelado) return cancelada();
        if (e.codigo != 0) {
            rutaError = it.ruta;
            error = e.error;
            return e.codigo;
        }
        if (it.manual || it.cuantiles) categoriasSel[static_cast<std::size_t>(k)] = static_cast<float>(e.clases.numero);
        const auto enc = e.encabezado.valores();
        const auto celdas = static_cast<long long>(enc[0]) * static_cast<long long>(enc[1]);
        if (!hayFilas) {
            filas = celdas;
            hayFilas = true;
            coordsDeGrid = true;
        }
        if (!referencia) {
            primero = &e.encabezado;
            // The first grid sets the reference; after opened-table
            // covariates it must cover exactly the table's rows.
            referencia = enc;
            if (!coordsDeGrid && celdas != filas)
                return falla(codigos::kEncabezados, it.ruta,
                             "the grid has " + std::to_string(celdas) + " cells, the opened table " +
                                 std::to_string(filas) + " rows");
        }
        if (!mismoEncabezado(enc, *referencia))
            return falla(codigos::kEncabezados, it.ruta, "the grid's header differs from the first grid's");
        ++k;
    }
    if (progreso.cancelado()) return cancelada();

    const fs::path destino = agregaExtension ? conExtension(ruta) : ruta;
    quel::ArchivoNuevo salida(destino);
    auto noSeEscribe = [&] { return falla(codigos::kVacio, destino, "cannot write the covariate table: " + salida.razon()); };
    if (!salida.bien()) return noSeEscribe();
    std::string texto;
    for (int k = 0; k < numSeleccionadas; ++k) {
        texto += nombresSel[static_cast<std::size_t>(k)];
        texto += ',';
        fmt::numero(texto, categoriasSel[static_cast<std::size_t>(k)]);
        texto += ",\n";
    }
    texto += "**********\nLong,Lat,";
    for (int k = 0; k < numSeleccionadas; ++k) {
        texto += nombresSel[static_cast<std::size_t>(k)];
        texto += ',';
    }
    texto += '\n';
    if (!salida.agrega(texto)) return noSeEscribe();

    // Second reading: all grids together, a block of rows at a time, each
    // block written before the next is read. The rows of a grid table run
    // over its cells from the top row down, left to right.
    const long long ancho = primero ? primero->columnas() : 1;
    const long long renglones = filas / ancho;
    const long long bloque =
        renglonesPorBloque > 0
            ? renglonesPorBloque
            : std::max(1LL, kCeldasBloque / (ancho * std::max<long long>(1, static_cast<long long>(grids.size()))));
    // The coordinates of a cell's lower-left corner, per column and row; the
    // columns' x as text, `xs` ending column c at finX[c].
    std::string xs;
    std::vector<std::size_t> finX;
    double celda = 0, xll = 0, yll = 0, nrows = 0;
    if (coordsDeGrid) {
        const auto enc = primero->valores();
        nrows = enc[1];
        xll = enc[2];
        yll = enc[3];
        celda = enc[4];
        for (long long c = 0; c < ancho; ++c) {
            fmt::real(xs, coordenada(static_cast<double>(c) * celda + xll));
            finX.push_back(xs.size());
        }
    }
    std::vector<quel::LectorBloques> lectores(grids.size());
    for (std::size_t g = 0; g < grids.size(); ++g)
        if (lectores[g].abre(grids[g]->ruta) != 0) {
            rutaError = grids[g]->ruta;
            error = lectores[g].error();
            return error.codigo;
        }
    std::vector<std::vector<int>> categorias(grids.size());
    std::vector<std::int64_t> enHueco(grids.size(), 0);
    std::vector<int> resultados(grids.size(), 0);
    const auto hilos = static_cast<long long>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::string> partes(static_cast<std::size_t>(hilos));
    EntregaPuntos puntos(progreso);
    for (long long r0 = 0; r0 < renglones; r0 += bloque) {
        if (progreso.cancelado()) return cancelada();
        const long long n = std::min(bloque, renglones - r0);
        const long long c0 = r0 * ancho, c1 = (r0 + n) * ancho;  // the block's table rows
        enParalelo(grids.size(), [&](std::size_t g) {
            auto& cat = categorias[g];
            cat.clear();
            const Clases& clases = estudios[g].clases;
            resultados[g] = lectores[g].lee(static_cast<int>(n), [&](const quel::CeldaASCII& c) {
                int v = 0;
                if (!c.sinDato) {
                    bool hueco = false;
                    v = categoriaDe(clases, static_cast<float>(c.valor), hueco);
                    if (hueco) ++enHueco[g];
                }
                cat.push_back(v);
            });
        });
        for (std::size_t g = 0; g < grids.size(); ++g)
            if (resultados[g] != 0) {
                rutaError = grids[g]->ruta;
                error = lectores[g].error();
                return resultados[g];
            }
        // The block's text, in as many parts as threads, put together in order.
        const long long porParte = (c1 - c0 + hilos - 1) / hilos;
        enParalelo(partes.size(), [&](std::size_t h) {
            std::string& s = partes[h];
            s.clear();
            const long long a = std::min(c1, c0 + static_cast<long long>(h) * porParte);
            const long long b = std::min(c1, a + porParte);
            std::string y;
            long long renglon = -1;
            for (long long f = a; f < b; ++f) {
                const auto fi = static_cast<std::size_t>(f);
                if (coordsDeGrid) {
                    const auto c = static_cast<std::size_t>(f % ancho);
                    s.append(xs, c == 0 ? 0 : finX[c - 1], finX[c] - (c == 0 ? 0 : finX[c - 1]));
                    s += ',';
                    if (f / ancho != renglon) {
                        renglon = f / ancho;
                        y.clear();
                        fmt::real(y, coordenada((nrows - static_cast<double>(renglon + 1)) * celda + yll));
                    }
                    s += y;
                } else {
                    for (int c = 0; c < 2; ++c) {
                        const auto& d = tabla->coordenadas.datos;
                        const float v = c < tabla->coordenadas.columnas && fi < d[static_cast<std::size_t>(c)].size()
                                            ? d[static_cast<std::size_t>(c)][fi]
                                            : 0.0f;
                        fmt::real(s, v);
                        if (c == 0) s += ',';
                    }
                }
                s += ',';
                bool valida = true;
                for (const Columna& col : columnas) {
                    int v = 0;
                    if (col.deTabla) {
                        const auto& d = tabla->covariables.datos[col.indice];
                        v = fi < d.size() ? d[fi] : 0;
                    } else {
                        v = categorias[col.indice][static_cast<std::size_t>(f - c0)];
                    }
                    if (v == 0) valida = false;
                    fmt::entero(s, v);
                    s += ',';
                }
                s += valida ? "1," : "0,";
                if (f + 1 < filas) s += '\n';
            }
        });
        for (const std::string& s : partes)
            if (!salida.agrega(s)) return noSeEscribe();
        puntos.hasta(static_cast<int>(50 * (r0 + n) / renglones));
    }
    if (progreso.cancelado()) return cancelada();
    if (!salida.coloca()) return noSeEscribe();
    if (!quel::gdal::escribePrj(destino, region))
        return falla(codigos::kVacio, quel::gdal::rutaPrj(destino), "cannot write the table's coordinate system");
    puntos.hasta(50);
    for (std::size_t k = 0; k < columnas.size(); ++k)
        if (!columnas[k].deTabla) celdasEnHueco[k] = enHueco[columnas[k].indice];
    std::error_code ec;
    fs::remove(exportador.rutaCoordenadas(), ec);
    return 0;
}
