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

// A blank, or one of \t \n \v \f \r (consecutive codes).
bool esBlanco(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

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
    // Whole numbers of up to 15 digits, the bulk of a classified grid, are
    // exact in a double: the same value from_chars gives, found faster.
    if (s.size() <= 16) {
        const bool menos = s[0] == '-';
        const std::size_t ini = menos ? 1 : 0;
        long long n = 0;
        std::size_t i = ini;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) n = n * 10 + (s[i] - '0');
        if (i == s.size() && i > ini && i - ini <= 15) {
            const double d = static_cast<double>(n);
            return menos ? -d : d;
        }
    }
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

// Walks the tokens of a text, counting lines: a text held whole, or a file
// read a piece at a time (only the piece and a token cut by its end are held).
// A UTF-8 byte-order mark, as spreadsheets and some editors write one, is skipped.
class Fichas {
public:
    explicit Fichas(std::string_view t) : t_(t) {
        if (t_.substr(0, 3) == kMarca) i_ = 3;
    }
    explicit Fichas(std::FILE* f) : f_(f) {
        std::size_t desde = 0;
        recarga(desde);
        if (t_.substr(0, 3) == kMarca) i_ = 3;
    }
    // Next token, or an empty view at the end; `linea` is its line. The view
    // lasts until the next call.
    std::string_view siguiente(int& linea) {
        for (;;) {
            while (i_ < t_.size() && esBlanco(t_[i_])) {
                if (t_[i_] == '\n') ++linea_;
                ++i_;
            }
            std::size_t desde = i_;
            if (i_ < t_.size() || !recarga(desde)) break;
        }
        std::size_t ini = i_;
        for (;;) {
            while (i_ < t_.size() && !esBlanco(t_[i_])) ++i_;
            if (i_ < t_.size() || !recarga(ini)) break;
        }
        linea = linea_;
        return t_.substr(ini, i_ - ini);
    }
    int linea() const { return linea_; }
    // The system's error number when reading the file failed, else 0.
    int errorLectura() const { return errno_; }

private:
    static constexpr std::string_view kMarca = "\xEF\xBB\xBF";
    static constexpr std::size_t kPieza = std::size_t{1} << 20;
    // Drops the text before `desde` (which becomes 0) and reads the next
    // piece of the file after the rest. False at the end.
    bool recarga(std::size_t& desde) {
        if (!f_ || fin_) return false;
        buf_.erase(0, desde);
        i_ -= desde;
        desde = 0;
        const std::size_t antes = buf_.size();
        buf_.resize(antes + kPieza);
        const std::size_t n = std::fread(buf_.data() + antes, 1, kPieza, f_);
        buf_.resize(antes + n);
        if (n < kPieza) {
            fin_ = true;
            if (std::ferror(f_)) errno_ = errno != 0 ? errno : EIO;
        }
        t_ = buf_;
        return n > 0;
    }
    std::string_view t_;
    std::size_t i_ = 0;
    int linea_ = 1;
    std::FILE* f_ = nullptr;
    std::string buf_;
    bool fin_ = false;
    int errno_ = 0;
};

int falla(ErrorGrid* error, int linea, std::string detalle) {
    return fallaArchivo(error, codigos::kMalformado, linea, std::move(detalle));
}

std::string entreComillas(std::string_view t) { return "\"" + imprimible(t) + "\""; }

bool entero(double v) { return std::isfinite(v) && v == std::floor(v); }

}  // namespace

namespace {

// Reads the header: the keywords and their values, up to the first token of
// the body, left in `ficha` (empty for a body without values), with
// `lineaCuerpo` its line.
int leeEncabezado(Fichas& fichas, EncabezadoASCII& e, std::string_view& ficha, int& lineaCuerpo,
                  ErrorGrid* error) {
    // Which keywords were seen, and their values.
    bool visto[11] = {};
    double valor[11] = {};
    int linea = 1;
    ficha = fichas.siguiente(linea);
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
        const std::string clave(ficha);
        std::string_view textoValor = fichas.siguiente(linea);
        std::optional<double> v;
        if (c == Clave::nodata && esNulo(textoValor))
            v = std::numeric_limits<double>::quiet_NaN();
        else
            v = aNumero(textoValor);
        if (textoValor.empty() || !v)
            return falla(error, lineaClave, "header keyword " + entreComillas(clave) + " has no number");
        visto[i] = true;
        valor[i] = *v;
        if (c == Clave::nodata) e.nodataTexto = std::string(textoValor);
        ficha = fichas.siguiente(linea);
    }
    auto hay = [&](Clave c) { return visto[static_cast<int>(c)]; };
    auto val = [&](Clave c) { return valor[static_cast<int>(c)]; };
    lineaCuerpo = linea;

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
    return 0;
}

// The body's tokens one by one, with what the checks at its end need: the
// values counted against ncols x nrows, and whether the file keeps one grid
// row per text line (as many lines as rows, or a first line of ncols values;
// then every line must hold ncols values).
class Cuerpo {
public:
    Cuerpo(const EncabezadoASCII& e, int lineaCuerpo)
        : e_(e), total_(static_cast<long long>(e.ncols) * static_cast<long long>(e.nrows)),
          ncols_(e.columnas()), nanSinDato_(e.nanEsSinDato()), ultimaLinea_(lineaCuerpo) {}

    // The cell of the next token, in `celda`; `entra` is false for a token
    // beyond ncols x nrows (only counted). 0, or 12 for a token that is no value.
    int ficha(std::string_view ficha, int linea, CeldaASCII& celda, bool& entra, ErrorGrid* error) {
        if (linea != linea_) {
            cierraLinea();
            linea_ = linea;
        }
        ++valores_;
        ultimaLinea_ = linea;
        entra = n_++ < total_;
        if (!entra) {
            if (lineaSobrante_ == 0) lineaSobrante_ = linea;
            return 0;
        }
        celda = CeldaASCII{ficha, std::numeric_limits<double>::quiet_NaN(), true, linea};
        if ((ficha[0] == 'n' || ficha[0] == 'N') && esNulo(ficha)) return 0;
        std::optional<double> v = aNumero(ficha);
        if (!v) return falla(error, linea, entreComillas(ficha) + " is not a number");
        if (std::isnan(*v) && !nanSinDato_)
            return falla(error, linea,
                         entreComillas(ficha) + " is not a value, and the header's no-data value is " +
                             imprimible(e_.nodataTexto) + ": write " + imprimible(e_.nodataTexto) +
                             " for a missing cell");
        celda.valor = *v;
        if (!std::isnan(*v) && !esSinDato(*v, e_.nodata)) {
            const float limite = std::numeric_limits<float>::max();
            float f = static_cast<float>(*v);
            if (!(f >= -limite && f <= limite))
                return falla(error, linea, "the value " + imprimible(ficha) + " is beyond single precision");
            celda.sinDato = false;
        }
        return 0;
    }

    // After the last token. 0, or 12 for lines that do not hold one grid row
    // each or fewer or more values than ncols x nrows.
    int termina(ErrorGrid* error) {
        cierraLinea();
        const bool porRenglon = lineas_ > 0 && (lineas_ == e_.renglones() || primeraValores_ == ncols_);
        if (porRenglon && malaLinea_ != 0)
            return falla(error, malaLinea_,
                         "expected ncols = " + std::to_string(ncols_) + " values on line " +
                             std::to_string(malaLinea_) + ", found " + std::to_string(malaValores_) +
                             "; this grid keeps one grid row per line, so give each line ncols values");
        auto cuenta = [&](const char* que) {
            return std::string(que) + " values than ncols x nrows: expected " + std::to_string(ncols_) + " x " +
                   std::to_string(e_.renglones()) + " = " + std::to_string(total_) + ", found " +
                   std::to_string(n_);
        };
        if (n_ < total_) return falla(error, ultimaLinea_, cuenta("fewer"));
        if (n_ > total_) return falla(error, lineaSobrante_, cuenta("more"));
        return 0;
    }

private:
    void cierraLinea() {
        if (linea_ == 0) return;
        if (++lineas_ == 1) primeraValores_ = valores_;
        if (valores_ != ncols_ && malaLinea_ == 0) {
            malaLinea_ = linea_;
            malaValores_ = valores_;
        }
        linea_ = 0;
        valores_ = 0;
    }

    const EncabezadoASCII& e_;
    const long long total_;
    const long long ncols_;
    const bool nanSinDato_;
    long long n_ = 0;          // values read, extra ones included
    int ultimaLinea_;          // line of the last value read
    int lineaSobrante_ = 0;    // line of the first value beyond ncols x nrows
    int linea_ = 0;            // the line being counted (0 before the first value)
    long long valores_ = 0;    // its values
    long long lineas_ = 0;     // body lines holding values
    long long primeraValores_ = -1;
    int malaLinea_ = 0;        // the first line without ncols values, and its count
    long long malaValores_ = 0;
};

}  // namespace

int recorreGridASCIITexto(std::string_view texto,
                          const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                          const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error) {
    if (error) *error = ErrorGrid{};
    Fichas fichas(texto);
    EncabezadoASCII e;
    std::string_view ficha;
    int linea = 1;
    if (int r = leeEncabezado(fichas, e, ficha, linea, error); r != 0) return r;
    if (alEncabezado) alEncabezado(e);
    Cuerpo cuerpo(e, linea);
    CeldaASCII celda{};
    bool entra = false;
    for (; !ficha.empty(); ficha = fichas.siguiente(linea)) {
        if (int r = cuerpo.ficha(ficha, linea, celda, entra, error); r != 0) return r;
        if (entra && alValor) alValor(celda);
    }
    return cuerpo.termina(error);
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

struct LectorBloques::Estado {
    std::filesystem::path ruta;
    EncabezadoASCII e;
    ErrorGrid error;
    int leidos = 0;  // rows handed over
    bool terminado = false;
    // An ESRI ASCII grid: the open file, its tokens and the body's checks.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f{nullptr, &std::fclose};
    std::unique_ptr<Fichas> fichas;
    std::unique_ptr<Cuerpo> cuerpo;
    std::string_view ficha;  // the next body token
    int linea = 1;           // its line
    // Any other raster.
    std::unique_ptr<gdal::LectorRenglones> gdal;

    int falla(int r) {
        if (r != 0) error.archivo = ruta;
        return r;
    }
};

LectorBloques::LectorBloques() = default;
LectorBloques::~LectorBloques() = default;
LectorBloques::LectorBloques(LectorBloques&&) noexcept = default;
LectorBloques& LectorBloques::operator=(LectorBloques&&) noexcept = default;

int LectorBloques::abre(const fs::path& ruta) {
    e_ = std::make_unique<Estado>();
    Estado& s = *e_;
    s.ruta = ruta;
    if (gdal::esRasterGDAL(ruta)) {
        s.gdal = std::make_unique<gdal::LectorRenglones>();
        const int r = s.gdal->abre(ruta, &s.error);
        if (r == 0) s.e = s.gdal->encabezado();
        return s.falla(r);
    }
    std::error_code ec;
    if (fs::is_directory(ruta, ec))
        return s.falla(fallaArchivo(&s.error, codigos::kMalformado, 0, "cannot read the grid: it is a folder"));
    s.f.reset(std::fopen(ruta.c_str(), "rb"));
    if (!s.f)
        return s.falla(
            fallaArchivo(&s.error, codigos::kMalformado, 0, "cannot open the grid: " + razonSistema(errno)));
    s.fichas = std::make_unique<Fichas>(s.f.get());
    if (int r = leeEncabezado(*s.fichas, s.e, s.ficha, s.linea, &s.error); r != 0) return s.falla(r);
    s.cuerpo = std::make_unique<Cuerpo>(s.e, s.linea);
    return 0;
}

const EncabezadoASCII& LectorBloques::encabezado() const { return e_->e; }
const ErrorGrid& LectorBloques::error() const { return e_->error; }
bool LectorBloques::terminado() const { return e_->terminado; }

int LectorBloques::lee(int renglones, const std::function<void(const CeldaASCII&)>& alValor) {
    Estado& s = *e_;
    const int n = std::max(0, std::min(renglones, s.e.renglones() - s.leidos));
    if (s.gdal) {
        if (int r = s.gdal->lee(n, alValor, &s.error); r != 0) return s.falla(r);
        s.leidos += n;
        s.terminado = s.leidos == s.e.renglones();
        return 0;
    }
    if (s.terminado) return 0;
    long long faltan = static_cast<long long>(n) * s.e.columnas();
    CeldaASCII celda{};
    bool entra = false;
    // After the last row the rest of the file is read too, for the checks at
    // the end of the body.
    const bool ultimo = s.leidos + n == s.e.renglones();
    for (; !s.ficha.empty() && (faltan > 0 || ultimo); s.ficha = s.fichas->siguiente(s.linea)) {
        if (int r = s.cuerpo->ficha(s.ficha, s.linea, celda, entra, &s.error); r != 0) return s.falla(r);
        if (!entra) continue;
        if (alValor) alValor(celda);
        --faltan;
    }
    s.leidos += n;
    if (faltan == 0 && !ultimo) return 0;
    s.terminado = true;
    if (const int e = s.fichas->errorLectura(); e != 0)
        return s.falla(fallaArchivo(&s.error, codigos::kMalformado, 0, "cannot read the grid: " + razonSistema(e)));
    return s.falla(s.cuerpo->termina(&s.error));
}

}  // namespace quel
