#include "data/exportaArchivo.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <system_error>

#include "data/escritorResultados.h"
#include "data/geometriaTabla.h"
#include "data/cargaArchivo.h"
#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;

namespace quel::formato {

void real(std::string& s, double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    s.append(buf, r.ptr);
}

void entero(std::string& s, long long v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

void numero(std::string& s, double v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e18 && !(v == 0 && std::signbit(v)))
        entero(s, static_cast<long long>(v));
    else
        real(s, v);
}

bool escribeArchivo(const fs::path& ruta, std::string_view bytes, std::string* razon) {
    return quel::escribeSeguro(ruta, bytes, razon);
}

}  // namespace quel::formato

namespace fmt = quel::formato;

exportaArchivo::exportaArchivo(quel::RaizDatos raiz) : raiz_(std::move(raiz)) {}

fs::path exportaArchivo::rutaMascara() const { return raiz_.mapea("C:\\Quel\\Grids\\MascaraTmp.txt"); }

fs::path exportaArchivo::rutaCoordenadas() const { return raiz_.mapea("C:\\Quel\\CoordCovTmp.txt"); }

namespace {

void aseguraCarpeta(const fs::path& archivo) {
    std::error_code ec;
    if (archivo.has_parent_path()) fs::create_directories(archivo.parent_path(), ec);
}

}  // namespace

int exportaArchivo::convierteASCII(const fs::path& rutaGrid, const fs::path& rutaMascara) {
    quel::GridASCII g;
    std::string mascara;
    int columnas = 0;
    int enRenglon = 0;
    std::string_view textoSinDato;
    auto alEncabezado = [&](const quel::EncabezadoASCII& e) {
        g.encabezado = e;
        columnas = e.columnas();
        textoSinDato = g.encabezado.nodataTexto;
        // The header may promise more cells than the file holds; reserve
        // only a bounded amount up front.
        auto total = static_cast<std::size_t>(e.ncols) * static_cast<std::size_t>(e.nrows);
        total = std::min<std::size_t>(total, std::size_t{1} << 22);
        g.valores.reserve(total);
        g.sinDato.reserve(total);
        mascara.reserve(total * 4);
    };
    auto alValor = [&](const quel::CeldaASCII& c) {
        g.valores.push_back(c.valor);
        g.sinDato.push_back(c.sinDato ? 1 : 0);
        // A missing cell goes to the mask as the header's no-data value, so
        // that every reader of the mask recognises it.
        mascara.append(c.sinDato ? textoSinDato : c.texto);
        mascara.push_back(',');
        if (++enRenglon == columnas) {
            mascara.push_back('\n');
            enRenglon = 0;
        }
    };
    quel::ErrorGrid err;
    int r = quel::recorreGridASCII(rutaGrid, alEncabezado, alValor, &err);
    if (r != 0) {
        error_ = err;
        return r;
    }
    error_ = {};
    grid_ = std::move(g);
    encabezado = grid_.encabezado.valores();
    aseguraCarpeta(rutaMascara);
    fmt::escribeArchivo(rutaMascara, mascara);
    return 0;
}

void exportaArchivo::buscaExtremos() {
    const std::size_t n = grid_.valores.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (grid_.sinDato[i]) continue;
        float v = static_cast<float>(grid_.valores[i]);
        if (v > maximo) maximo = v;
        if (v < minimo) minimo = v;
    }
}

std::vector<Intervalo> clasesFrecuenciasIguales(std::vector<float>& valores, int numClases) {
    std::vector<Intervalo> r;
    const auto n = static_cast<std::uint64_t>(valores.size());
    if (n == 0 || numClases < 1) return r;
    std::sort(valores.begin(), valores.end());
    const auto clases = static_cast<std::uint64_t>(numClases);
    std::size_t inicio = 0;  // first value of the next class
    for (std::uint64_t k = 1; k <= clases; ++k) {
        const auto p = static_cast<std::size_t>((k * n + clases - 1) / clases);  // ceil(k n / N), 1..n
        if (p <= inicio) continue;  // the quantile fell among values an earlier class took
        const float t = valores[p - 1];
        r.push_back({valores[inicio], t});
        inicio = static_cast<std::size_t>(std::upper_bound(valores.begin() + static_cast<std::ptrdiff_t>(p),
                                                           valores.end(), t) -
                                          valores.begin());
    }
    return r;
}

int formaClases(int numClases, bool manual, bool cuantiles, float maximo, float minimo,
                std::vector<Intervalo> formados, Clases& clases, std::string& detalle) {
    clases = Clases{};
    clases.manual = manual;
    auto rechaza = [&](std::string porque) {
        detalle = std::move(porque);
        return codigos::kRango;
    };
    if (!manual && cuantiles) {
        if (numClases < 1) return rechaza("the number of classes must be at least 1");
        clases.cuantiles = true;
        clases.intervalos = std::move(formados);
        if (clases.intervalos.empty()) return rechaza("the grid has no data cells to form equal-frequency classes");
        clases.numero = static_cast<int>(clases.intervalos.size());
    } else if (!manual) {
        if (numClases < 1) return rechaza("the number of classes must be at least 1");
        float ancho = (maximo - minimo) / static_cast<float>(numClases);
        if (!std::isfinite(ancho)) return rechaza("the range of values is too wide to form classes");
        const double w = std::trunc(static_cast<double>(ancho));  // truncated toward zero
        clases.intervalos.resize(static_cast<std::size_t>(numClases));
        for (int i = 0; i < numClases; ++i) {
            float bajo = minimo + static_cast<float>(i * (w + 1));
            clases.intervalos[static_cast<std::size_t>(i)] = {bajo, bajo + static_cast<float>(w)};
        }
        clases.numero = numClases;
    } else {
        // One interval (i, i + 1) for each whole i with 0 <= i < maximo.
        double n = maximo > 0 ? std::ceil(static_cast<double>(maximo)) : 0.0;
        if (n > INT_MAX) return rechaza("the largest value is too large for manual classes");
        if (n == 0)
            return rechaza("expected values above 0 for manual classes, found none (every cell is 0, "
                           "negative or no-data), so no cell would lie in the region");
        clases.numero = static_cast<int>(n);
    }
    return 0;
}

int exportaArchivo::generaCovariable(int numClases, const fs::path& rutaGrid, int indice, bool manual,
                                     bool cuantiles) {
    maximo = -1;
    minimo = 9999;
    int r = convierteASCII(rutaGrid, rutaMascara());
    if (r != 0) return r;
    buscaExtremos();

    std::vector<Intervalo> formados;
    if (!manual && cuantiles) {
        std::vector<float> valores;
        valores.reserve(grid_.valores.size());
        for (std::size_t i = 0; i < grid_.valores.size(); ++i)
            if (!grid_.sinDato[i]) valores.push_back(static_cast<float>(grid_.valores[i]));
        formados = clasesFrecuenciasIguales(valores, numClases);
    }
    Clases clases;
    std::string detalle;
    if (formaClases(numClases, manual, cuantiles, maximo, minimo, std::move(formados), clases, detalle) != 0) {
        error_ = {codigos::kRango, 0, std::move(detalle), rutaGrid};
        return codigos::kRango;
    }
    if (!escribeCoordenadas(clases, indice)) {
        error_ = {codigos::kVacio, 0, "cannot write " + rutaCoordenadas().string()};
        return codigos::kVacio;
    }
    return 0;
}

namespace {

// Category of a value with automatic classes: the first interval that holds
// it; a value between two intervals takes the interval just below it.
int categoriaAutomatica(const std::vector<Intervalo>& iv, float v, bool& enHueco) {
    int debajo = 0;
    for (std::size_t i = 0; i < iv.size(); ++i) {
        if (iv[i].bajo <= v && v <= iv[i].alto) {
            enHueco = false;
            return static_cast<int>(i) + 1;
        }
        if (iv[i].bajo <= v) debajo = static_cast<int>(i) + 1;
    }
    enHueco = true;
    return debajo > 0 ? debajo : 1;
}

// Category with equal-frequency classes: the first interval reaching v (the
// intervals are contiguous over the data cells' values).
int categoriaCuantil(const std::vector<Intervalo>& iv, float v, bool& enHueco) {
    const auto i = std::lower_bound(iv.begin(), iv.end(), v, [](const Intervalo& a, float x) { return a.alto < x; });
    enHueco = i == iv.end() || !(i->bajo <= v);
    if (i == iv.end()) return static_cast<int>(iv.size());
    return static_cast<int>(i - iv.begin()) + 1;
}

// Category with manual classes: the first interval (i, i + 1) holding v, that
// is 1 for 0 and ceil(v) above; a negative value lies outside every interval
// and takes 0 (outside the region).
int categoriaManual(const Clases& c, float v, bool& enHueco) {
    if (v < 0 || std::isnan(v)) {
        enHueco = true;
        return 0;
    }
    if (c.numero == 0) {  // a largest value of 0 or less makes no interval
        enHueco = true;
        return 0;
    }
    enHueco = false;
    if (v == 0) return 1;
    double k = std::ceil(static_cast<double>(v));
    return k <= c.numero ? static_cast<int>(k) : c.numero;
}

}  // namespace

int categoriaDe(const Clases& clases, float v, bool& enHueco) {
    return clases.manual      ? categoriaManual(clases, v, enHueco)
           : clases.cuantiles ? categoriaCuantil(clases.intervalos, v, enHueco)
                              : categoriaAutomatica(clases.intervalos, v, enHueco);
}

bool exportaArchivo::escribeCoordenadas(const Clases& clases, int indice) {
    clases_ = clases;
    enHueco_ = 0;
    const std::size_t n = grid_.valores.size();
    categorias_.assign(n, 0);
    const int columnas = grid_.encabezado.columnas();
    const double nrows = encabezado[1];
    const double celda = encabezado[4];
    const double xll = encabezado[2];
    const double yll = encabezado[3];

    std::string salida;
    salida.reserve(n * (indice == 0 ? 24 : 3));
    int c = 0;
    int r = 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (indice == 0) {
            fmt::real(salida, c * celda + xll);
            salida.push_back(',');
            fmt::real(salida, (nrows - r) * celda + yll);
            salida.push_back(',');
        }
        int cat = 0;
        if (!grid_.sinDato[i]) {
            bool hueco = false;
            float v = static_cast<float>(grid_.valores[i]);
            cat = categoriaDe(clases, v, hueco);
            if (hueco) ++enHueco_;
        }
        categorias_[i] = cat;
        fmt::entero(salida, cat);
        salida.push_back('\n');
        if (++c == columnas) {
            c = 0;
            ++r;
        }
    }
    auto ruta = rutaCoordenadas();
    aseguraCarpeta(ruta);
    return fmt::escribeArchivo(ruta, salida);
}

bool exportaArchivo::exportaGrid(const fs::path& ruta, const TImagenN<float>& coordenadas,
                                 const TImagenN<long double>& valores, std::string* razon) {
    std::string texto, porque;
    if (!textoGrid(coordenadas, valores, texto, porque)) {
        if (razon) *razon = porque;
        return false;
    }
    return fmt::escribeArchivo(ruta, texto, razon);
}

bool exportaArchivo::textoGrid(const TImagenN<float>& coordenadas, const TImagenN<long double>& valores,
                               std::string& s, std::string& razon) {
    quel::GeometriaTabla g;
    if (!g.lee(coordenadas, &razon)) return false;
    const auto filas = static_cast<std::size_t>(coordenadas.renglones);
    // Rows past the values, or all of them without a value column, are outside the region.
    const std::size_t conValor =
        valores.columnas < 1 ? 0 : std::min(filas, static_cast<std::size_t>(std::max(valores.renglones, 0)));
    s.clear();
    s.reserve(filas * 8 + 128);
    quel::textoResultados::cabeceraGrid(s, g);
    const quel::textoResultados::Filas f(coordenadas);
    quel::textoResultados::celdasGrid(s, f, 0, conValor > 0 ? valores.datos[0].data() : nullptr, conValor);
    quel::textoResultados::celdasGrid(s, f, conValor, nullptr, filas - conValor);
    return true;
}
