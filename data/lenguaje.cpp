#include "data/lenguaje.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/EscrituraSegura.h"

namespace fs = std::filesystem;

// The shipped language files, built into the program so that an installed
// binary needs nothing from the source tree. Each file's bytes are followed by
// their count as a 64-bit number.
#define QUEL_INCRUSTA(simbolo, archivo)                                       \
    __asm__(".pushsection .rodata\n"                                        \
            ".global " #simbolo "\n"                                        \
            ".hidden " #simbolo "\n"                                        \
            ".global " #simbolo "_tam\n"                                    \
            ".hidden " #simbolo "_tam\n" #simbolo ":\n"                    \
            ".incbin \"" QUEL_SOURCE_DIR "/resources/lang/" archivo "\"\n" \
            "1:\n"                                                          \
            ".balign 8\n" #simbolo "_tam:\n"                               \
            ".quad 1b - " #simbolo "\n"                                     \
            ".popsection\n")
QUEL_INCRUSTA(quel_lenguaje_ingles, "english.quel");
QUEL_INCRUSTA(quel_lenguaje_espanol, "espanol.quel");
#undef QUEL_INCRUSTA

extern "C" {
extern const char quel_lenguaje_ingles[];
extern const std::uint64_t quel_lenguaje_ingles_tam;
extern const char quel_lenguaje_espanol[];
extern const std::uint64_t quel_lenguaje_espanol_tam;
}

namespace quel::lenguaje {

std::string_view rutaLogica(Idioma idioma) {
    return idioma == Idioma::kIngles ? kRutaIngles : kRutaEspanol;
}

std::string_view textoIncluido(Idioma idioma) {
    if (idioma == Idioma::kIngles)
        return {quel_lenguaje_ingles, static_cast<std::size_t>(quel_lenguaje_ingles_tam)};
    return {quel_lenguaje_espanol, static_cast<std::size_t>(quel_lenguaje_espanol_tam)};
}

// ---- reading -------------------------------------------------------------------

namespace {

constexpr std::size_t kSinLimite = static_cast<std::size_t>(-1);
constexpr int kUltimaLineaLeida = 30;

struct DefinicionLinea {
    int numero;
    std::optional<Campos> ArchivoLenguaje::*miembro;
    std::size_t maximo;  // fields kept; kSinLimite for the item lists
};

constexpr DefinicionLinea kLineas[] = {
    {2, &ArchivoLenguaje::menuPrincipal, 12},
    {3, &ArchivoLenguaje::menuEjecutar, 4},
    {4, &ArchivoLenguaje::menuHerramientas, 3},
    {5, &ArchivoLenguaje::menuPreferencias, 2},
    {7, &ArchivoLenguaje::menuExplorador, 3},
    {9, &ArchivoLenguaje::pestanas, 3},
    {10, &ArchivoLenguaje::gradientes, kSinLimite},
    {12, &ArchivoLenguaje::tipoArchivo, kSinLimite},
    {14, &ArchivoLenguaje::covManager, 16},
    {16, &ArchivoLenguaje::botones, 3},
    {18, &ArchivoLenguaje::textosDialogo, std::tuple_size_v<decltype(TablasMensajes::textosDialogo)>},
    {20, &ArchivoLenguaje::titulosMapa, std::tuple_size_v<decltype(TablasMensajes::titulosMapa)>},
    {22, &ArchivoLenguaje::mensajesLog, std::tuple_size_v<decltype(TablasMensajes::mensajesLog)>},
    {23, &ArchivoLenguaje::mensajesBorrado, std::tuple_size_v<decltype(TablasMensajes::mensajesBorrado)>},
    {24, &ArchivoLenguaje::mensajesError, std::tuple_size_v<decltype(TablasMensajes::mensajesError)>},
    {25, &ArchivoLenguaje::mensajesCovManager,
     std::tuple_size_v<decltype(TablasMensajes::mensajesCovManager)>},
    {27, &ArchivoLenguaje::pistasPrincipal, 13},
    {28, &ArchivoLenguaje::pistasCovManager, 6},
    {30, &ArchivoLenguaje::mensajesExporta, std::tuple_size_v<decltype(TablasMensajes::mensajesExporta)>},
};

const DefinicionLinea* definicion(int numero) {
    for (const auto& d : kLineas)
        if (d.numero == numero) return &d;
    return nullptr;
}

// Splits one line (without its line break) into fields: commas separate,
// empty fields vanish, and the line break that followed the line ends the
// list when it stands alone, or stays at the end of a last field that lacks
// its comma. A NUL byte ends the content (and the line break with it).
Campos separaCampos(std::string_view linea, std::size_t maximo) {
    bool conSalto = true;
    if (auto nul = linea.find('\0'); nul != std::string_view::npos) {
        linea = linea.substr(0, nul);
        conSalto = false;
    }
    Campos campos;
    std::size_t i = 0;
    while (i < linea.size()) {
        std::size_t coma = linea.find(',', i);
        if (coma == std::string_view::npos) coma = linea.size();
        if (coma > i && campos.size() < maximo) {
            std::string campo(linea.substr(i, coma - i));
            if (coma == linea.size() && conSalto) campo += '\n';
            campos.push_back(std::move(campo));
        }
        i = coma + 1;
    }
    return campos;
}

// Calls `f(numero, linea)` for each complete line up to kUltimaLineaLeida,
// the line break (and a carriage return before it) removed.
template <class F>
void recorreLineas(std::string_view bytes, F&& f) {
    std::size_t pos = 0;
    for (int numero = 1; numero <= kUltimaLineaLeida; ++numero) {
        std::size_t salto = bytes.find('\n', pos);
        if (salto == std::string_view::npos) return;  // a last line without a break is not applied
        std::string_view linea = bytes.substr(pos, salto - pos);
        if (!linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        f(numero, linea);
        pos = salto + 1;
    }
}

}  // namespace

ArchivoLenguaje leeLenguaje(std::string_view bytes) {
    ArchivoLenguaje archivo;
    recorreLineas(bytes, [&](int numero, std::string_view linea) {
        if (const DefinicionLinea* d = definicion(numero))
            archivo.*(d->miembro) = separaCampos(linea, d->maximo);
    });
    return archivo;
}

std::optional<ArchivoLenguaje> leeArchivoLenguaje(const fs::path& ruta) {
    std::error_code ec;
    if (fs::is_directory(ruta, ec)) return std::nullopt;
    std::ifstream f(ruta, std::ios::binary);
    if (!f) return std::nullopt;
    // Only the first lines carry content: stop reading once they are in.
    std::string bytes;
    std::string trozo(1 << 16, '\0');
    int saltos = 0;
    while (saltos < kUltimaLineaLeida) {
        f.read(trozo.data(), static_cast<std::streamsize>(trozo.size()));
        std::streamsize n = f.gcount();
        if (n <= 0) break;
        for (std::streamsize i = 0; i < n; ++i)
            if (trozo[static_cast<std::size_t>(i)] == '\n') ++saltos;
        bytes.append(trozo.data(), static_cast<std::size_t>(n));
    }
    if (f.bad()) return std::nullopt;
    return leeLenguaje(bytes);
}

const std::optional<Campos>& campos(const ArchivoLenguaje& archivo, int linea) {
    static const std::optional<Campos> ninguno;
    const DefinicionLinea* d = definicion(linea);
    return d ? archivo.*(d->miembro) : ninguno;
}

// ---- message tables --------------------------------------------------------------

namespace {
template <std::size_t N>
void copia(const std::optional<Campos>& campos, std::array<std::string, N>& tabla) {
    if (!campos) return;
    for (std::size_t i = 0; i < campos->size() && i < N; ++i) tabla[i] = (*campos)[i];
}
}  // namespace

void aplicaTablas(const ArchivoLenguaje& a, TablasMensajes& t) {
    copia(a.textosDialogo, t.textosDialogo);
    copia(a.titulosMapa, t.titulosMapa);
    copia(a.mensajesLog, t.mensajesLog);
    copia(a.mensajesBorrado, t.mensajesBorrado);
    copia(a.mensajesError, t.mensajesError);
    copia(a.mensajesCovManager, t.mensajesCovManager);
    copia(a.mensajesExporta, t.mensajesExporta);
}

TablasMensajes tablasIncluidas(Idioma idioma) {
    TablasMensajes t;
    aplicaTablas(leeLenguaje(textoIncluido(idioma)), t);
    return t;
}

std::optional<std::size_t> entradaError(int codigo) {
    switch (codigo) {
        case 2: return 0;
        case 5: return 1;
        case 7: return 2;
        case 9: return 3;
        case 3: return 4;
        case 11: return 5;
        case 12: return 6;
        case 4: return 7;
        default: return std::nullopt;
    }
}

bool llevaLinea(int codigo) { return codigo == 5 || codigo == 9; }

std::optional<std::string> textoCodigo(const TablasMensajes& t, int codigo, int lineaError) {
    if (codigo == 13) return t.mensajesBorrado[7];  // memory: the error table is full
    auto entrada = entradaError(codigo);
    if (!entrada) return std::nullopt;
    return rellenaEntero(t.mensajesError[*entrada], lineaError);
}

std::optional<std::string> textoCajaError(const TablasMensajes& t, int codigo, int lineaError) {
    if (llevaLinea(codigo) && lineaError < 1) return t.mensajesBorrado[codigo == 5 ? 8 : 9];
    auto texto = textoCodigo(t, codigo, lineaError);
    if (texto && llevaLinea(codigo)) *texto += std::to_string(lineaError);
    return texto;
}

std::string textoTiempo(const TablasMensajes& t, double segundos) {
    if (segundos < 60) return rellenaReal(t.mensajesBorrado[5], segundos);
    return rellenaReal(t.mensajesBorrado[6], segundos * (1.0 / 60.0));
}

// ---- safe formatting ---------------------------------------------------------------

namespace {

// A conversion "%[flags][width][.precision][l]X" starting at `inicio` (the
// '%'), with X one of `tipos`; returns the printf conversion to use with
// `modificador` in place of any length letter, and the end position.
struct Conversion {
    std::string especificacion;
    std::size_t fin;
};

std::optional<std::size_t> leeNumero(std::string_view s, std::size_t& i) {
    std::size_t valor = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        valor = valor * 10 + static_cast<std::size_t>(s[i] - '0');
        if (valor > static_cast<std::size_t>(kMaxAnchoConversion)) return std::nullopt;
        ++i;
    }
    return valor;
}

std::optional<Conversion> leeConversion(std::string_view s, std::size_t inicio, std::string_view tipos,
                                        bool admiteL, std::string_view modificador) {
    std::size_t i = inicio + 1;
    std::string conv = "%";
    while (i < s.size() && std::string_view("-+ #0").find(s[i]) != std::string_view::npos) conv += s[i++];
    std::size_t a = i;
    if (!leeNumero(s, i)) return std::nullopt;
    conv.append(s.substr(a, i - a));
    if (i < s.size() && s[i] == '.') {
        conv += s[i++];
        std::size_t p = i;
        if (!leeNumero(s, i)) return std::nullopt;
        conv.append(s.substr(p, i - p));
    }
    if (admiteL && i < s.size() && s[i] == 'l') ++i;
    if (i >= s.size() || tipos.find(s[i]) == std::string_view::npos) return std::nullopt;
    conv.append(modificador);
    conv += s[i];
    return Conversion{std::move(conv), i + 1};
}

template <class T>
std::string formatea(const std::string& especificacion, T valor) {
    int n = std::snprintf(nullptr, 0, especificacion.c_str(), valor);
    if (n <= 0) return {};
    std::string r(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(r.data(), r.size(), especificacion.c_str(), valor);
    r.resize(static_cast<std::size_t>(n));
    return r;
}

template <class T>
std::string rellena(std::string_view formato, T valor, std::string_view tipos, bool admiteL,
                    std::string_view modificador) {
    std::string r;
    r.reserve(formato.size() + 16);
    bool lleno = false;
    std::size_t i = 0;
    while (i < formato.size()) {
        char c = formato[i];
        if (c != '%') {
            r += c;
            ++i;
        } else if (i + 1 < formato.size() && formato[i + 1] == '%') {
            r += '%';
            i += 2;
        } else if (auto conv = lleno ? std::nullopt : leeConversion(formato, i, tipos, admiteL, modificador)) {
            r += formatea(conv->especificacion, valor);
            lleno = true;
            i = conv->fin;
        } else {
            r += '%';
            ++i;
        }
    }
    return r;
}

}  // namespace

std::string rellenaEntero(std::string_view formato, long long valor) {
    return rellena(formato, valor, "di", false, "ll");
}

std::string rellenaReal(std::string_view formato, double valor) {
    return rellena(formato, valor, "fFeEgG", true, "");
}

// ---- files of the data root ------------------------------------------------------

namespace {

// Writes `bytes` to `destino` through a fresh file beside it, so that a
// reader never sees a half-written file.
bool escribeEntero(const fs::path& destino, std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(destino.parent_path(), ec);
    return escribeSeguro(destino, bytes);
}

}  // namespace

std::optional<std::string> leePuntero(const RaizDatos& raiz) {
    fs::path ruta = raiz.mapea(std::string(kRutaPuntero));
    std::error_code ec;
    if (fs::is_directory(ruta, ec)) return std::nullopt;
    std::ifstream f(ruta, std::ios::binary);
    if (!f) return std::nullopt;
    std::string contenido((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad()) return std::nullopt;
    if (auto corte = contenido.find_first_of(std::string_view("\xFF\0", 2)); corte != std::string::npos)
        contenido.resize(corte);
    while (!contenido.empty() && (contenido.back() == '\n' || contenido.back() == '\r')) contenido.pop_back();
    return contenido;
}

bool escribePuntero(const RaizDatos& raiz, std::string_view contenido) {
    return escribeEntero(raiz.mapea(std::string(kRutaPuntero)), contenido);
}

std::optional<std::string> eligeLenguaje(const RaizDatos& raiz, std::string_view textoCombo) {
    std::optional<Idioma> idioma;
    if (textoCombo == "English") idioma = Idioma::kIngles;
    if (textoCombo == "Espa\xC3\xB1ol" || textoCombo == "Espa\xF1ol") idioma = Idioma::kEspanol;
    std::string_view ruta = idioma ? rutaLogica(*idioma) : std::string_view();
    escribePuntero(raiz, ruta);
    if (!idioma) return std::nullopt;
    return std::string(ruta);
}

std::optional<ArchivoLenguaje> lenguajeEnVigor(const RaizDatos& raiz) {
    auto ruta = leePuntero(raiz);
    if (!ruta || ruta->empty()) return std::nullopt;
    return leeArchivoLenguaje(raiz.mapea(*ruta));
}

bool instalaLenguajes(const RaizDatos& raiz) {
    bool completos = true;
    for (Idioma idioma : {Idioma::kIngles, Idioma::kEspanol}) {
        fs::path destino = raiz.mapea(std::string(rutaLogica(idioma)));
        std::error_code ec;
        if (fs::exists(destino, ec)) continue;
        if (ec || !escribeEntero(destino, textoIncluido(idioma))) completos = false;
    }
    return completos;
}

bool iniciaLenguajes(const RaizDatos& raiz) {
    bool primerInicio = false;
    try {
        primerInicio = raiz.asegura();
    } catch (const fs::filesystem_error&) {
        return false;
    }
    instalaLenguajes(raiz);
    if (primerInicio) escribePuntero(raiz, kRutaEspanol);
    return primerInicio;
}

}  // namespace quel::lenguaje
