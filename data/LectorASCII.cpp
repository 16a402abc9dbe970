#include "data/LectorASCII.h"

#include <charconv>
#include <climits>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/LecturaArchivo.h"
#include "data/LectorGDAL.h"
#include "data/cargaArchivo.h"

namespace fs = std::filesystem;

namespace quel {

float EncabezadoASCII::xEsquinaFloat() const {
    float x = static_cast<float>(xOrigen);
    return xCentro ? x - static_cast<float>(cellsize) / 2.0f : x;
}

float EncabezadoASCII::yEsquinaFloat() const {
    float y = static_cast<float>(yOrigen);
    return yCentro ? y - static_cast<float>(cellsize) / 2.0f : y;
}

bool esSinDato(double v, double nodata) {
    return v == nodata || static_cast<float>(v) == static_cast<float>(nodata);
}

namespace {

bool esBlanco(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char minuscula(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool igualSinCaso(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (minuscula(a[i]) != minuscula(b[i])) return false;
    return true;
}

// Text to double, independent of the process locale. Values beyond the range
// of a double become +-infinity and tiny ones 0, as strtod gives them.
// Empty when the whole token is not a number.
std::optional<double> aNumero(std::string_view t) {
    std::string_view s = t;
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
        if (!s.empty() && (s[0] == '-' || s[0] == '+')) return std::nullopt;
    }
    if (s.empty()) return std::nullopt;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ptr != s.data() + s.size()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars leaves v untouched here; strtod (in the "C" number
        // format the text already matched) gives the saturated value.
        std::string copia(s);
        v = std::strtod(copia.c_str(), nullptr);
    } else if (r.ec != std::errc()) {
        return std::nullopt;
    }
    return v;
}

bool esNulo(std::string_view t) { return igualSinCaso(t, "null"); }

enum class Clave { ninguna, ncols, nrows, xcorner, xcenter, ycorner, ycenter, cellsize, dx, dy, nodata };

Clave claveDe(std::string_view t) {
    struct Par { const char* texto; Clave clave; };
    static const Par pares[] = {
        {"ncols", Clave::ncols},         {"nrows", Clave::nrows},
        {"xllcorner", Clave::xcorner},   {"xllcenter", Clave::xcenter},
        {"yllcorner", Clave::ycorner},   {"yllcenter", Clave::ycenter},
        {"cellsize", Clave::cellsize},   {"dx", Clave::dx},
        {"dy", Clave::dy},               {"nodata_value", Clave::nodata},
    };
    for (const auto& p : pares)
        if (igualSinCaso(t, p.texto)) return p.clave;
    return Clave::ninguna;
}

// Walks the tokens of a text, counting lines.
class Fichas {
public:
    explicit Fichas(std::string_view t) : t_(t) {}
    // Next token, or an empty view at the end; `linea` is its line.
    std::string_view siguiente(int& linea) {
        while (i_ < t_.size() && esBlanco(t_[i_])) {
            if (t_[i_] == '\n') ++linea_;
            ++i_;
        }
        std::size_t ini = i_;
        while (i_ < t_.size() && !esBlanco(t_[i_])) ++i_;
        linea = linea_;
        return t_.substr(ini, i_ - ini);
    }
    int linea() const { return linea_; }

private:
    std::string_view t_;
    std::size_t i_ = 0;
    int linea_ = 1;
};

int falla(ErrorGrid* error, int linea, std::string detalle) {
    return fallaArchivo(error, codigos::kMalformado, linea, std::move(detalle));
}

std::string entreComillas(std::string_view t) { return "\"" + imprimible(t) + "\""; }

bool entero(double v) { return std::isfinite(v) && v == std::floor(v); }

}  // namespace

int recorreGridASCIITexto(std::string_view texto,
                          const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                          const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error) {
    if (error) *error = ErrorGrid{};
    // A byte-order mark, as spreadsheets and some editors write one.
    if (texto.substr(0, 3) == "\xEF\xBB\xBF") texto.remove_prefix(3);
    Fichas fichas(texto);
    EncabezadoASCII e;
    // Which keywords were seen, and their values.
    bool visto[11] = {};
    double valor[11] = {};
    int linea = 1;
    std::string_view ficha = fichas.siguiente(linea);
    while (!ficha.empty()) {
        Clave c = claveDe(ficha);
        if (c == Clave::ninguna) {
            // The body starts at the first token that is a number or a
            // missing-value word; anything else is a keyword we do not know.
            if (esNulo(ficha) || aNumero(ficha)) break;
            return falla(error, linea, "unknown header keyword " + entreComillas(ficha));
        }
        int lineaClave = linea;
        auto i = static_cast<int>(c);
        if (visto[i])
            return falla(error, lineaClave, "header keyword " + entreComillas(ficha) + " given twice");
        std::string_view textoValor = fichas.siguiente(linea);
        std::optional<double> v;
        if (c == Clave::nodata && esNulo(textoValor))
            v = std::numeric_limits<double>::quiet_NaN();
        else
            v = aNumero(textoValor);
        if (textoValor.empty() || !v)
            return falla(error, lineaClave, "header keyword " + entreComillas(ficha) + " has no number");
        visto[i] = true;
        valor[i] = *v;
        if (c == Clave::nodata) e.nodataTexto = std::string(textoValor);
        ficha = fichas.siguiente(linea);
    }
    auto hay = [&](Clave c) { return visto[static_cast<int>(c)]; };
    auto val = [&](Clave c) { return valor[static_cast<int>(c)]; };
    int lineaCuerpo = linea;

    if (!hay(Clave::ncols)) return falla(error, lineaCuerpo, "the header has no ncols");
    if (!hay(Clave::nrows)) return falla(error, lineaCuerpo, "the header has no nrows");
    if (hay(Clave::xcorner) && hay(Clave::xcenter))
        return falla(error, lineaCuerpo, "the header gives both xllcorner and xllcenter");
    if (hay(Clave::ycorner) && hay(Clave::ycenter))
        return falla(error, lineaCuerpo, "the header gives both yllcorner and yllcenter");
    if (!hay(Clave::xcorner) && !hay(Clave::xcenter))
        return falla(error, lineaCuerpo, "the header has no xllcorner or xllcenter");
    if (!hay(Clave::ycorner) && !hay(Clave::ycenter))
        return falla(error, lineaCuerpo, "the header has no yllcorner or yllcenter");
    double celda = 0;
    if (hay(Clave::cellsize)) {
        if (hay(Clave::dx) || hay(Clave::dy))
            return falla(error, lineaCuerpo, "the header gives both cellsize and dx/dy");
        celda = val(Clave::cellsize);
    } else if (hay(Clave::dx) && hay(Clave::dy)) {
        if (val(Clave::dx) != val(Clave::dy))
            return falla(error, lineaCuerpo,
                         "dx and dy differ; only square cells are supported");
        celda = val(Clave::dx);
    } else {
        return falla(error, lineaCuerpo, "the header has no cellsize");
    }

    e.ncols = val(Clave::ncols);
    e.nrows = val(Clave::nrows);
    if (!entero(e.ncols) || e.ncols < 1 || e.ncols > INT_MAX)
        return falla(error, lineaCuerpo, "ncols is not a whole number of at least 1");
    if (!entero(e.nrows) || e.nrows < 1 || e.nrows > INT_MAX)
        return falla(error, lineaCuerpo, "nrows is not a whole number of at least 1");
    if (e.ncols * e.nrows > static_cast<double>(INT_MAX))
        return falla(error, lineaCuerpo, "ncols x nrows is too large");
    if (!std::isfinite(celda) || !(celda > 0))
        return falla(error, lineaCuerpo, "the cell size is not a positive number");
    e.cellsize = celda;
    e.xCentro = hay(Clave::xcenter);
    e.yCentro = hay(Clave::ycenter);
    e.xOrigen = e.xCentro ? val(Clave::xcenter) : val(Clave::xcorner);
    e.yOrigen = e.yCentro ? val(Clave::ycenter) : val(Clave::ycorner);
    if (!std::isfinite(e.xOrigen) || !std::isfinite(e.yOrigen))
        return falla(error, lineaCuerpo, "the lower-left coordinates are not finite");
    e.xllcorner = e.xCentro ? e.xOrigen - celda / 2 : e.xOrigen;
    e.yllcorner = e.yCentro ? e.yOrigen - celda / 2 : e.yOrigen;
    e.nodataExplicito = hay(Clave::nodata);
    if (e.nodataExplicito) e.nodata = val(Clave::nodata);

    if (alEncabezado) alEncabezado(e);

    const long long total = static_cast<long long>(e.ncols) * static_cast<long long>(e.nrows);
    const long long ncols = e.columnas();
    const bool nanSinDato = e.nanEsSinDato();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const float limite = std::numeric_limits<float>::max();
    long long n = 0;                 // values read, extra ones included
    int ultimaLinea = lineaCuerpo;   // line of the last value read
    int lineaSobrante = 0;           // line of the first value beyond ncols x nrows
    // Each body line holding values, with its count of values.
    struct Linea {
        int linea;
        long long valores;
    };
    std::vector<Linea> lineas;
    for (; !ficha.empty(); ++n, ficha = fichas.siguiente(linea)) {
        if (lineas.empty() || linea != lineas.back().linea) lineas.push_back({linea, 0});
        ++lineas.back().valores;
        ultimaLinea = linea;
        if (n >= total) {  // beyond the grid: only counted
            if (lineaSobrante == 0) lineaSobrante = linea;
            continue;
        }
        CeldaASCII celdaA{ficha, nan, true, linea};
        if (!esNulo(ficha)) {
            std::optional<double> v = aNumero(ficha);
            if (!v) return falla(error, linea, entreComillas(ficha) + " is not a number");
            if (std::isnan(*v) && !nanSinDato)
                return falla(error, linea,
                             entreComillas(ficha) + " is not a value, and the header's no-data value is " +
                                 imprimible(e.nodataTexto) + ": write " + imprimible(e.nodataTexto) +
                                 " for a missing cell");
            celdaA.valor = *v;
            if (!std::isnan(*v) && !esSinDato(*v, e.nodata)) {
                float f = static_cast<float>(*v);
                if (!(f >= -limite && f <= limite))
                    return falla(error, linea, "the value " + imprimible(ficha) + " is beyond single precision");
                celdaA.sinDato = false;
            }
        }
        if (alValor) alValor(celdaA);
    }
    // One grid row per text line: as many lines as rows, or a first line of
    // ncols values. Then every line must hold ncols values.
    const bool porRenglon = !lineas.empty() && (static_cast<long long>(lineas.size()) == e.renglones() ||
                                                lineas.front().valores == ncols);
    if (porRenglon)
        for (const Linea& l : lineas)
            if (l.valores != ncols)
                return falla(error, l.linea,
                             "expected ncols = " + std::to_string(ncols) + " values on line " +
                                 std::to_string(l.linea) + ", found " + std::to_string(l.valores) +
                                 "; this grid keeps one grid row per line, so give each line ncols values");
    auto cuenta = [&](const char* que) {
        return std::string(que) + " values than ncols x nrows: expected " + std::to_string(ncols) + " x " +
               std::to_string(e.renglones()) + " = " + std::to_string(total) + ", found " + std::to_string(n);
    };
    if (n < total) return falla(error, ultimaLinea, cuenta("fewer"));
    if (n > total) return falla(error, lineaSobrante, cuenta("more"));
    return 0;
}

namespace {

// The whole file into `texto`; false with `error` filled (the system's
// reason) when it cannot be read.
bool leeTodo(const fs::path& ruta, std::string& texto, ErrorGrid* error) {
    int e = 0;
    switch (leeArchivo(ruta, texto, &e)) {
        case Lectura::kBien: return true;
        case Lectura::kCarpeta:
            fallaArchivo(error, codigos::kMalformado, 0, "cannot read the grid: it is a folder", ruta);
            return false;
        case Lectura::kNoAbre:
            fallaArchivo(error, codigos::kMalformado, 0, "cannot open the grid: " + razonSistema(e), ruta);
            return false;
        case Lectura::kNoLee: break;
    }
    fallaArchivo(error, codigos::kMalformado, 0, "cannot read the grid: " + razonSistema(e), ruta);
    return false;
}

// Names the file in an error of the text reader.
int conArchivo(int r, const fs::path& ruta, ErrorGrid* error) {
    if (r != 0 && error) error->archivo = ruta;
    return r;
}

}  // namespace

int recorreGridASCII(const fs::path& ruta, const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                     const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error) {
    // Other raster formats go through GDAL, looking exactly like their ASCII copy.
    if (gdal::esRasterGDAL(ruta)) return gdal::recorreGrid(ruta, alEncabezado, alValor, error);
    std::string texto;
    if (!leeTodo(ruta, texto, error)) return codigos::kMalformado;
    return conArchivo(recorreGridASCIITexto(texto, alEncabezado, alValor, error), ruta, error);
}

namespace {

int llena(GridASCII& grid, const std::function<int(const std::function<void(const EncabezadoASCII&)>&,
                                                    const std::function<void(const CeldaASCII&)>&)>& recorre,
          std::size_t tope) {
    grid = GridASCII{};
    auto alEncabezado = [&](const EncabezadoASCII& e) {
        grid.encabezado = e;
        auto total = static_cast<std::size_t>(e.ncols) * static_cast<std::size_t>(e.nrows);
        // Reserve no more than the text can hold: a header may promise more
        // cells than the file has.
        std::size_t r = std::min(total, tope);
        grid.valores.reserve(r);
        grid.sinDato.reserve(r);
    };
    auto alValor = [&](const CeldaASCII& c) {
        grid.valores.push_back(c.valor);
        grid.sinDato.push_back(c.sinDato ? 1 : 0);
    };
    int r = recorre(alEncabezado, alValor);
    if (r != 0) grid = GridASCII{};
    return r;
}

}  // namespace

int leeGridASCIITexto(std::string_view texto, GridASCII& grid, ErrorGrid* error) {
    return llena(
        grid,
        [&](const auto& e, const auto& v) { return recorreGridASCIITexto(texto, e, v, error); },
        texto.size() / 2 + 1);
}

int leeGridASCII(const fs::path& ruta, GridASCII& grid, ErrorGrid* error) {
    if (gdal::esRasterGDAL(ruta))
        return llena(
            grid, [&](const auto& e, const auto& v) { return gdal::recorreGrid(ruta, e, v, error); },
            std::size_t{1} << 22);
    std::string texto;
    if (!leeTodo(ruta, texto, error)) {
        grid = GridASCII{};
        return codigos::kMalformado;
    }
    return conArchivo(leeGridASCIITexto(texto, grid, error), ruta, error);
}

}  // namespace quel
