#include "data/cargaRegion.h"

#include "platform/Memoria.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/textoTabla.h"
#include "platform/Paralelo.h"

namespace fs = std::filesystem;

namespace quel {

namespace {

constexpr std::size_t kTrozoInicial = std::size_t{4} << 20;
std::atomic<std::size_t> bytesTrozo{kTrozoInicial};
// Bytes read at first past a chunk for the end of its last line.
constexpr std::size_t kProlongacion = std::size_t{1} << 12;

// Thrown wherever the file holds something the text loaders would refuse,
// or something this reader leaves to them.
struct NoRapida {};

// What a byte is to the conversion of a data line: part of a field, a field
// separator (comma, tab) or a character the conversion drops (blank, CR).
enum : std::uint8_t { kDelCampo = 0, kSeparador = 1, kBorrado = 2 };
constexpr std::array<std::uint8_t, 256> tablaClases() {
    std::array<std::uint8_t, 256> c{};
    c[','] = c['\t'] = kSeparador;
    c[' '] = c['\r'] = kBorrado;
    return c;
}
constexpr auto kClases = tablaClases();
inline std::uint8_t clase(char c) { return kClases[static_cast<unsigned char>(c)]; }
inline bool finDeCampo(const char* p, const char* fin) { return p == fin || clase(*p) == kSeparador; }
// The start of the next field at or after `p` (fin when none).
inline const char* proximoCampo(const char* p, const char* fin) {
    while (p < fin && clase(*p) != kDelCampo) ++p;
    return p;
}

// Bytes read from the file, `n` of them in use; the room only grows, and
// is not cleared first (the reads fill it).
class Bufer {
public:
    std::size_t n = 0;
    const char* datos() const { return datos_.get(); }
    void reserva(std::size_t k) {
        if (k <= capacidad_) return;
        auto nuevos = std::make_unique_for_overwrite<char[]>(k);
        if (n > 0) std::memcpy(nuevos.get(), datos_.get(), n);
        datos_ = std::move(nuevos);
        capacidad_ = k;
    }
    // Room for `k` more bytes in use.
    char* agranda(std::size_t k) {
        if (capacidad_ - n < k) reserva(std::max(n + k, 2 * capacidad_));
        n += k;
        return datos_.get() + n - k;
    }

private:
    std::unique_ptr<char[]> datos_;
    std::size_t capacidad_ = 0;
};

// A regular file read with pread: each worker reads its own bytes, and no
// page of the file stays mapped.
class Archivo {
public:
    explicit Archivo(const fs::path& ruta) : fd_(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (fd_ >= 0) ::close(fd_);
            throw NoRapida{};
        }
        tamano_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~Archivo() { ::close(fd_); }
    Archivo(const Archivo&) = delete;
    Archivo& operator=(const Archivo&) = delete;

    std::uint64_t tamano() const { return tamano_; }
    // Appends bytes [desde, desde + n) of the file to `b`.
    void lee(std::uint64_t desde, std::size_t n, Bufer& b) const {
        char* d = b.agranda(n);
        for (std::size_t hechos = 0; hechos < n;) {
            const ssize_t r = ::pread(fd_, d + hechos, n - hechos, static_cast<off_t>(desde + hechos));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) throw NoRapida{};  // a read error, or the file shrank
            hechos += static_cast<std::size_t>(r);
        }
    }
    // Where the text starts: after a UTF-8 byte-order mark, if any.
    std::uint64_t inicioTexto() const {
        if (tamano_ < 3) return 0;
        Bufer b;
        lee(0, 3, b);
        return std::memcmp(b.datos(), "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    }
    // The data from `datos` on must end in a line that is not empty: the
    // loaders refuse a file ending in a line break.
    void exigeUltimaLinea(std::uint64_t datos) const {
        if (datos >= tamano_) throw NoRapida{};
        Bufer b;
        lee(tamano_ - 1, 1, b);
        if (b.datos()[0] == '\n') throw NoRapida{};
    }

private:
    int fd_;
    std::uint64_t tamano_ = 0;
};

// The lines of the file from `desde`, one at a time, as the text loaders cut
// them (a carriage return before a line feed dropped): for the few lines of
// a table's head.
class LectorLineas {
public:
    LectorLineas(const Archivo& a, std::uint64_t desde) : a_(a), base_(desde) {}
    // False once the last line was given.
    bool siguiente(std::string_view& linea, bool& alFinal) {
        if (terminado_) return false;
        for (;;) {
            const char* d = b_.datos();
            const void* s = revisado_ < b_.n ? std::memchr(d + revisado_, '\n', b_.n - revisado_) : nullptr;
            if (s) {
                std::size_t k = static_cast<std::size_t>(static_cast<const char*>(s) - d);
                revisado_ = k + 1;
                if (k > q_ && d[k - 1] == '\r') --k;
                linea = std::string_view(d + q_, k - q_);
                alFinal = false;
                q_ = revisado_;
                return true;
            }
            revisado_ = b_.n;
            const std::uint64_t leidos = base_ + b_.n;
            if (leidos == a_.tamano()) {
                linea = std::string_view(d + q_, b_.n - q_);
                alFinal = terminado_ = true;
                return true;
            }
            a_.lee(leidos, static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::size_t>(b_.n, 1 << 16), a_.tamano() - leidos)), b_);
        }
    }
    // File offset just past the last line given.
    std::uint64_t posicion() const { return base_ + q_; }

private:
    const Archivo& a_;
    std::uint64_t base_;
    Bufer b_;
    std::size_t q_ = 0, revisado_ = 0;
    bool terminado_ = false;
};

// The lines that start in [ini, fin) of the data (which start at `datos`),
// given whole to `linea(texto, alFinal)` in order; the last may run past
// `fin`, up to its line feed or the end of the file.
template <class Linea>
void recorreTrozo(const Archivo& a, std::uint64_t datos, std::uint64_t ini, std::uint64_t fin, Bufer& b,
                  Linea&& linea) {
    // The byte before the chunk says whether a line starts at its first byte.
    const std::uint64_t desde = ini == datos ? ini : ini - 1;
    const std::size_t limite = static_cast<std::size_t>(fin - desde);
    b.n = 0;
    b.reserva(limite + kProlongacion);  // room for the usual end of the last line
    a.lee(desde, limite, b);
    std::size_t q = 0;
    if (ini != datos) {
        const void* s = std::memchr(b.datos(), '\n', b.n);
        if (!s) return;
        q = static_cast<std::size_t>(static_cast<const char*>(s) - b.datos()) + 1;
    }
    std::size_t revisado = q;
    while (q < limite) {
        const char* d = b.datos();
        if (const void* s = std::memchr(d + revisado, '\n', b.n - revisado)) {
            const std::size_t k = static_cast<std::size_t>(static_cast<const char*>(s) - d);
            linea(std::string_view(d + q, k - q), false);
            q = revisado = k + 1;
        } else if (desde + b.n == a.tamano()) {
            linea(std::string_view(d + q, b.n - q), true);
            return;
        } else {
            // The last line runs on: read as much again as it has run past the chunk.
            revisado = b.n;
            const std::uint64_t resto = a.tamano() - desde - b.n;
            const std::size_t mas = std::max(b.n - limite, kProlongacion);
            a.lee(desde + b.n, static_cast<std::size_t>(std::min<std::uint64_t>(mas, resto)), b);
        }
    }
}

// The data [datos, tamano) in chunks, parsed a wave at a time: one chunk per
// slot, `trozo(ranura, ini, fin)` on up to `hilos` threads, then
// `ola(cuantas, hasta)` with the slots 0..cuantas-1 in file order and the
// file offset the wave ended at. The chunks share `parte` points of
// progress; a cancel request throws Cancelado.
template <class Trozo, class Ola>
void porOlas(std::uint64_t datos, std::uint64_t tamano, int ranuras, int hilos, Progreso& progreso, int parte,
             Trozo&& trozo, Ola&& ola) {
    const std::uint64_t paso = std::max<std::size_t>(bytesTrozo.load(), 1);
    const std::uint64_t total = (tamano - datos + paso - 1) / paso;
    PasosProgreso pasos(progreso, static_cast<long long>(total), parte);
    for (std::uint64_t primero = 0; primero < total; primero += static_cast<std::uint64_t>(ranuras)) {
        const int cuantas = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(ranuras), total - primero));
        paraCada(
            cuantas, hilos,
            [&](int r) {
                const std::uint64_t ini = datos + (primero + static_cast<std::uint64_t>(r)) * paso;
                trozo(r, ini, std::min(tamano, ini + paso));
                if (!pasos.paso()) throw Cancelado{};
            },
            &progreso);
        ola(cuantas, std::min(tamano, datos + (primero + static_cast<std::uint64_t>(cuantas)) * paso));
    }
    pasos.termina();
}

// Room for the rows of a table, reserved from the rows of the chunks read
// so far scaled to the whole file (a little over, so that it rarely has to
// grow again, and never doubles), and trimmed once the table is read.
class Prevision {
public:
    // `lineaMinima`, when given, is the fewest bytes a line can take: room is
    // then reserved once for the most rows the file can hold. The room no row
    // reaches is never written, so it takes address space, not memory, and
    // the columns are neither moved to grow nor to be trimmed.
    Prevision(std::uint64_t datos, std::uint64_t tamano, std::uint64_t lineaMinima = 0)
        : datos_(datos), tamano_(tamano), lineaMinima_(lineaMinima) {}
    // With `filas` rows once the bytes up to `hasta` are appended: the rows
    // to reserve, or 0 when what is reserved holds them.
    std::size_t crece(std::size_t filas, std::uint64_t hasta) {
        // More rows than the text loaders count are left to them.
        if (filas > static_cast<std::size_t>(INT_MAX)) throw NoRapida{};
        if (filas <= reservadas_) return 0;
        if (lineaMinima_ > 0) {
            reservadas_ = std::max<std::size_t>(filas, static_cast<std::size_t>((tamano_ - datos_) / lineaMinima_ + 1));
            return reservadas_;
        }
        const double escala = static_cast<double>(tamano_ - datos_) / static_cast<double>(hasta - datos_);
        reservadas_ = std::max(filas, static_cast<std::size_t>(static_cast<double>(filas) * escala * 1.02) + 16);
        return reservadas_;
    }
    // Whether the rows read leave enough of the reserve unused to trim it.
    bool sobra(std::size_t filas) const { return lineaMinima_ == 0 && reservadas_ - filas > filas / 32; }

private:
    std::uint64_t datos_, tamano_, lineaMinima_;
    std::size_t reservadas_ = 0;
};

// ------------------------------------------------------------------ fields

// The field at `p` as the conversion leaves it (blanks and carriage returns
// dropped) into `limpio`; returns the field's end.
const char* campoLimpio(const char* p, const char* fin, std::string& limpio) {
    limpio.clear();
    for (; p < fin && clase(*p) != kSeparador; ++p)
        if (clase(*p) == kDelCampo) limpio.push_back(*p);
    return p;
}

// A field that must be a number whose single-precision value is finite.
// Plain numbers go through from_chars (what the loaders' conversion does
// too); any other form, or a field with blanks in it, through the loaders'
// own conversion of the cleaned field.
const char* leeReal(const char* p, const char* fin, std::string& limpio, float& v) {
    double d = 0;
    const auto r = std::from_chars(p, fin, d);
    if (r.ec == std::errc{} && finDeCampo(r.ptr, fin)) {
        p = r.ptr;
    } else {
        p = campoLimpio(p, fin, limpio);
        if (!texto::numeroCompleto(limpio, d)) throw NoRapida{};
    }
    v = static_cast<float>(d);
    if (!std::isfinite(v)) throw NoRapida{};
    return p;
}

// A field that must be a whole number once truncated (a class or the region
// flag), stored as the loaders store it (through single precision).
const char* leeEntero(const char* p, const char* fin, std::string& limpio, std::int32_t& c) {
    const bool negativo = *p == '-';
    const char* digitos = p + (negativo ? 1 : 0);
    const char* q = digitos;
    int n = 0;
    for (; q < fin && q - digitos < 9 && static_cast<unsigned>(*q - '0') <= 9; ++q) n = n * 10 + (*q - '0');
    if (q > digitos && finDeCampo(q, fin)) {
        c = static_cast<std::int32_t>(static_cast<float>(negativo ? -n : n));
        return q;
    }
    float v = 0;
    p = leeReal(p, fin, limpio, v);
    if (!texto::enteroRepresentable(v)) throw NoRapida{};
    c = texto::aEntero(v);
    return p;
}

// ------------------------------------------------------------ covariates

// The number of categories of a category line: its second field read as a
// whole number from its leading digits, after white space and a sign.
bool numeroDeCategorias(std::string_view linea, std::vector<std::string_view>& campos, int& n) {
    if (texto::separaCampos(linea, campos) < 2) return false;
    const std::string_view s = campos[1];
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    const bool negativo = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    unsigned long long v = 0;
    const auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
    if (r.ec != std::errc{} || v > static_cast<unsigned long long>(INT_MAX)) return false;
    n = negativo ? -static_cast<int>(v) : static_cast<int>(v);
    return true;
}

// The head of a covariate table: one line per covariate (name, number of
// categories), the separator line ending in '*', the title line. Returns
// where the data lines start.
std::uint64_t leeEncabezado(const Archivo& a, RegionCompacta& region) {
    LectorLineas lector(a, a.inicioTexto());
    std::vector<std::string_view> campos;
    std::string_view linea;
    bool alFinal = false;
    for (;;) {
        if (!lector.siguiente(linea, alFinal)) throw NoRapida{};
        if (!linea.empty() && linea.back() == '*') break;
        int n = 0;
        if (alFinal || !numeroDeCategorias(linea, campos, n)) throw NoRapida{};
        region.nombres.emplace_back(texto::primerCampo(linea));
        region.categorias.push_back(static_cast<float>(n));
    }
    // A table that ends at its separator or at its title has no data line.
    if (alFinal || !lector.siguiente(linea, alFinal) || alFinal) throw NoRapida{};
    region.numCovariables = static_cast<int>(region.nombres.size());
    return lector.posicion();
}

// What one worker makes of one chunk of a covariate table.
struct TrozoCovariables {
    Bufer bufer;
    std::vector<float> x, y;
    std::vector<std::vector<std::int32_t>> codigos;  // one per covariate
    std::vector<std::uint8_t> valida;
    std::vector<std::int32_t> fila;  // the classes and the flag of a line
    std::string limpio;
    // The y of the line before, as written and as read: a row of cells
    // repeats it, and comparing costs less than reading.
    std::string yTexto;
    float yValor = 0;

    // The x of the lines read so far, by their text: a lattice repeats its
    // columns' x row after row, and comparing costs less than reading. A
    // direct-mapped table of fields of up to 16 characters.
    struct XVisto {
        std::uint64_t a = 0, b = 0;
        std::size_t largo = 0;
        float valor = 0;
    };
    std::vector<XVisto> xVistos = std::vector<XVisto>(4096);

    const char* leeX(const char* p, const char* fin, float& v) {
        const char* q = p;
        while (q < fin && q - p <= 16 && clase(*q) == kDelCampo) ++q;
        const auto largo = static_cast<std::size_t>(q - p);
        if (largo == 0 || largo > 16 || !finDeCampo(q, fin)) return leeReal(p, fin, limpio, v);
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, p, std::min<std::size_t>(largo, 8));
        if (largo > 8) std::memcpy(&b, p + 8, largo - 8);
        const std::uint64_t h = (a * 0x9E3779B97F4A7C15ULL) ^ (b * 0xC2B2AE3D27D4EB4FULL) ^ largo;
        XVisto& e = xVistos[static_cast<std::size_t>(h >> 52)];
        if (e.largo == largo && e.a == a && e.b == b) {
            v = e.valor;
            return q;
        }
        const char* r = leeReal(p, fin, limpio, v);
        if (r == q) e = {a, b, largo, v};
        return r;
    }

    explicit TrozoCovariables(int covariables)
        : codigos(static_cast<std::size_t>(covariables)), fila(static_cast<std::size_t>(covariables) + 1) {}
    void vacia() {
        x.clear();
        y.clear();
        valida.clear();
        for (auto& c : codigos) c.clear();
    }
    const char* leeY(const char* p, const char* fin, float& v) {
        const std::size_t largo = yTexto.size();
        if (largo > 0 && static_cast<std::size_t>(fin - p) >= largo && std::memcmp(p, yTexto.data(), largo) == 0 &&
            finDeCampo(p + largo, fin)) {
            v = yValor;
            return p + largo;
        }
        const char* q = leeReal(p, fin, limpio, v);
        // Only a field read as written (no blank dropped) is kept.
        if (std::none_of(p, q, [](char c) { return clase(c) == kBorrado; })) {
            yTexto.assign(p, q);
            yValor = v;
        }
        return q;
    }
    // x, y, a class per covariate and the region flag, nothing more.
    void linea(std::string_view texto) {
        const char* p = texto.data();
        const char* fin = p + texto.size();
        const std::size_t campos = codigos.size() + 3;
        float cx = 0, cy = 0;
        std::size_t f = 0;
        for (p = proximoCampo(p, fin); p < fin; p = proximoCampo(p, fin), ++f) {
            if (f == campos) throw NoRapida{};
            if (f == 0) p = leeX(p, fin, cx);
            else if (f == 1) p = leeY(p, fin, cy);
            else p = leeEntero(p, fin, limpio, fila[f - 2]);
        }
        if (f != campos) throw NoRapida{};
        x.push_back(cx);
        y.push_back(cy);
        const bool dentro = fila.back() == 1;
        valida.push_back(dentro ? 1 : 0);
        for (std::size_t k = 0; k < codigos.size(); ++k) codigos[k].push_back(dentro ? fila[k] : 0);
    }
};

void vaciaCovariables(RegionCompacta& region) {
    region.numCovariables = 0;
    region.nombres = {};
    region.categorias = {};
    region.coordenadas.libera();
    region.codigos = {};
    region.valida = {};
}

// --------------------------------------------------------- bias and prior

// What one worker makes of one chunk of a one-value-per-line file; `valor`
// turns a line's value (0 for an empty line) into what is stored, throwing
// NoRapida when the value is not allowed.
template <class T, class Valor>
struct TrozoValores {
    Bufer bufer;
    std::vector<T> valores;
    std::string limpio;
    Valor valor;

    explicit TrozoValores(Valor v) : valor(v) {}
    void linea(std::string_view texto, bool alFinal) {
        const char* p = texto.data();
        const char* fin = p + texto.size();
        // The last line must keep two characters once converted.
        if (alFinal && std::count_if(p, fin, [](char c) { return clase(c) != kBorrado; }) < 2) throw NoRapida{};
        float v = 0;
        if ((p = proximoCampo(p, fin)) < fin) {
            p = leeReal(p, fin, limpio, v);
            if (proximoCampo(p, fin) < fin) throw NoRapida{};  // a second value
        }
        valores.push_back(valor(v));
    }
};

// A one-value-per-line file into `destino`.
template <class T, class Valor>
void cargaValores(const fs::path& ruta, std::vector<T>& destino, int hilos, Progreso& progreso, Valor valor) {
    const Archivo a(ruta);
    const std::uint64_t datos = a.inicioTexto();
    a.exigeUltimaLinea(datos);
    Prevision prevision(datos, a.tamano());
    std::vector<TrozoValores<T, Valor>> ranuras;
    for (int r = 0; r < hilosEfectivos(hilos); ++r) ranuras.emplace_back(valor);
    porOlas(
        datos, a.tamano(), static_cast<int>(ranuras.size()), hilos, progreso, 100,
        [&](int r, std::uint64_t ini, std::uint64_t fin) {
            auto& t = ranuras[static_cast<std::size_t>(r)];
            t.valores.clear();
            recorreTrozo(a, datos, ini, fin, t.bufer, [&](std::string_view l, bool alFinal) { t.linea(l, alFinal); });
        },
        [&](int cuantas, std::uint64_t hasta) {
            std::size_t filas = destino.size();
            for (int r = 0; r < cuantas; ++r) filas += ranuras[static_cast<std::size_t>(r)].valores.size();
            if (const std::size_t n = prevision.crece(filas, hasta)) {
                destino.reserve(n);
                memoria::paginasGrandes(destino.data(), destino.capacity() * sizeof(T));
            }
            for (int r = 0; r < cuantas; ++r) {
                const auto& v = ranuras[static_cast<std::size_t>(r)].valores;
                destino.insert(destino.end(), v.begin(), v.end());
            }
        });
    if (prevision.sobra(destino.size())) destino.shrink_to_fit();
}

// The end of a fast load: what `cuerpo` left, or the part emptied by `vacia`.
template <class Cuerpo, class Vacia>
FinCargaRegion concluye(Cuerpo&& cuerpo, Vacia&& vacia) {
    vacia();
    try {
        cuerpo();
        return FinCargaRegion::kBien;
    } catch (const NoRapida&) {
        vacia();
        return FinCargaRegion::kNoRapida;
    } catch (const Cancelado&) {
        vacia();
        return FinCargaRegion::kCancelada;
    } catch (...) {
        vacia();
        throw;
    }
}

}  // namespace

void fijaBytesTrozoRegion(std::size_t bytes) { bytesTrozo = bytes > 0 ? bytes : kTrozoInicial; }

FinCargaRegion cargaCovariablesRegion(const fs::path& ruta, RegionCompacta& region, int hilos, Progreso& progreso) {
    return concluye(
        [&] {
            const Archivo a(ruta);
            const std::uint64_t datos = leeEncabezado(a, region);
            a.exigeUltimaLinea(datos);
            // A line holds x, y, a code per covariate and the flag, each of a
            // character or more and a separator.
            const int covariables = region.numCovariables;
            Prevision prevision(datos, a.tamano(), 2 * (static_cast<std::uint64_t>(covariables) + 3));
            region.codigos.resize(static_cast<std::size_t>(covariables));
            std::vector<TrozoCovariables> ranuras;
            for (int r = 0; r < hilosEfectivos(hilos); ++r) ranuras.emplace_back(covariables);
            porOlas(
                datos, a.tamano(), static_cast<int>(ranuras.size()), hilos, progreso, 100,
                [&](int r, std::uint64_t ini, std::uint64_t fin) {
                    auto& t = ranuras[static_cast<std::size_t>(r)];
                    t.vacia();
                    recorreTrozo(a, datos, ini, fin, t.bufer, [&](std::string_view l, bool) { t.linea(l); });
                },
                [&](int cuantas, std::uint64_t hasta) {
                    std::size_t filas = region.valida.size();
                    for (int r = 0; r < cuantas; ++r) filas += ranuras[static_cast<std::size_t>(r)].valida.size();
                    const std::size_t reserva = prevision.crece(filas, hasta);
                    // Each column takes the wave's chunks in order; the
                    // columns themselves are independent.
                    paraCada(covariables + 1, hilos, [&](int k) {
                        if (reserva > 0 && k < covariables) region.codigos[static_cast<std::size_t>(k)].reserva(reserva);
                        if (reserva > 0 && k == covariables) {
                            region.coordenadas.reserva(reserva);
                            region.valida.reserve(reserva);
                            memoria::paginasGrandes(region.valida.data(), region.valida.capacity());
                        }
                        for (int r = 0; r < cuantas; ++r) {
                            const auto& t = ranuras[static_cast<std::size_t>(r)];
                            if (k < covariables) {
                                const auto& c = t.codigos[static_cast<std::size_t>(k)];
                                region.codigos[static_cast<std::size_t>(k)].agrega(c.data(), c.size());
                            } else {
                                region.coordenadas.agrega(t.x.data(), t.y.data(), t.x.size());
                                region.valida.insert(region.valida.end(), t.valida.begin(), t.valida.end());
                            }
                        }
                    });
                });
            region.coordenadas.cierra();
            if (prevision.sobra(region.filas())) {
                for (auto& c : region.codigos) c.ajusta();
                region.coordenadas.ajusta();
                region.valida.shrink_to_fit();
            }
        },
        [&] { vaciaCovariables(region); });
}

FinCargaRegion cargaSesgoRegion(const fs::path& ruta, RegionCompacta& region, int hilos, Progreso& progreso) {
    return concluye(
        [&] {
            cargaValores(ruta, region.sesgo, hilos, progreso, [](float v) {
                if (v < 0 || v > 1) throw NoRapida{};
                return v;
            });
            region.sesgoUniforme = false;
        },
        [&] {
            region.sesgo = {};
            region.sesgoUniforme = true;
        });
}

FinCargaRegion cargaPrioriRegion(const fs::path& ruta, RegionCompacta& region, int hilos, Progreso& progreso) {
    return concluye(
        [&] {
            cargaValores(ruta, region.priori, hilos, progreso, [](float v) {
                if (v != 0 && v != 1 && v != 2 && v != 3) throw NoRapida{};
                return static_cast<std::uint8_t>(v);
            });
            region.prioriUniforme = false;
        },
        [&] {
            region.priori = {};
            region.prioriUniforme = true;
        });
}

RegionCompacta regionDe(const cargaArchivo& datos, bool sesgoUniforme, bool prioriUniforme) {
    RegionCompacta r;
    const auto columna = [](const auto& grid, std::size_t c) {
        using T = typename std::decay_t<decltype(grid->datos[0])>::value_type;
        return grid && grid->datos.size() > c ? grid->datos[c] : std::vector<T>{};
    };
    r.numCovariables = datos.numCovariables;
    r.nombres = columna(datos.nombresCovariables, 0);
    r.categorias = columna(datos.categorias, 0);
    const auto x = columna(datos.coordenadas, 0);
    const auto y = columna(datos.coordenadas, 1);
    const auto bandera = columna(datos.covariables, static_cast<std::size_t>(std::max(0, datos.numCovariables)));
    for (std::size_t i = 0; i < x.size(); ++i) r.coordenadas.agrega(x[i], y[i]);
    r.coordenadas.cierra();
    for (const int b : bandera) r.valida.push_back(b == 1 ? 1 : 0);
    r.codigos.resize(static_cast<std::size_t>(std::max(0, datos.numCovariables)));
    for (std::size_t k = 0; k < r.codigos.size(); ++k) {
        const auto codigos = columna(datos.covariables, k);
        for (std::size_t i = 0; i < codigos.size(); ++i) r.codigos[k].agrega(r.valida[i] ? codigos[i] : 0);
    }
    r.sesgoUniforme = sesgoUniforme;
    if (!sesgoUniforme) r.sesgo = columna(datos.sesgo, 0);
    r.prioriUniforme = prioriUniforme;
    if (!prioriUniforme)
        for (const int p : columna(datos.priori, 0)) r.priori.push_back(static_cast<std::uint8_t>(p));
    return r;
}

}  // namespace quel
