#include "data/textoTabla.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <clocale>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <system_error>

namespace texto {

namespace {

// Read and write in blocks of 128 KiB (lines longer than that grow the
// reading buffer).
constexpr std::size_t kBloque = std::size_t{1} << 17;
constexpr std::size_t kEscritura = kBloque;

// The C library's conversion in the "C" locale, whatever locale the program
// runs in (the windows set the user's locale, whose decimal separator may be
// a comma, the field separator of these tables). Returns the count of
// characters consumed.
std::size_t conversionC(std::string_view campo, double& valor) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copia(campo);  // NUL-terminated; a field with a NUL stops there
    char* fin = nullptr;
    valor = strtod_l(copia.c_str(), &fin, c);
    return static_cast<std::size_t>(fin - copia.c_str());
}

// Whole plain integers of up to nine digits (the covariate classes, the
// region flag, the prior classes) are exact in a double: no need for the
// general conversion.
bool enteroSimple(std::string_view s, double& valor) {
    std::size_t i = 0;
    const bool negativo = !s.empty() && s[0] == '-';
    if (negativo) i = 1;
    const std::size_t digitos = s.size() - i;
    if (digitos == 0 || digitos > 9) return false;
    int n = 0;
    for (; i < s.size(); ++i) {
        const unsigned d = static_cast<unsigned char>(s[i]) - static_cast<unsigned>('0');
        if (d > 9) return false;
        n = n * 10 + static_cast<int>(d);
    }
    valor = negativo ? -static_cast<double>(n) : static_cast<double>(n);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- reading

LectorPiezas::LectorPiezas(const std::filesystem::path& ruta)
    : ruta_(ruta) {
    errno = 0;
    archivo_.reset(std::fopen(ruta.c_str(), "rb"));
    if (!archivo_) errno_ = errno;
}

bool LectorPiezas::llena() {
    if (ini_ > 0) {  // keep only the unfinished line, at the front
        std::memmove(buf_.data(), buf_.data() + ini_, fin_ - ini_);
        fin_ -= ini_;
        revisado_ -= ini_;
        ini_ = 0;
    }
    if (buf_.size() == 0) {  // small files get a small buffer
        std::error_code ec;
        const auto tam = std::filesystem::file_size(ruta_, ec);
        buf_.resize(ec || tam >= kBloque ? kBloque : std::max<std::size_t>(tam + 1, 4096));
    }
    else if (fin_ == buf_.size()) buf_.resize(buf_.size() * 2);  // a line longer than the buffer
    const std::size_t leidos = std::fread(buf_.data() + fin_, 1, buf_.size() - fin_, archivo_.get());
    if (leidos == 0) {
        if (std::ferror(archivo_.get())) {
            error_ = true;
            errno_ = errno;
        }
        finArchivo_ = true;
        return false;
    }
    fin_ += leidos;
    if (primeraLectura_) {
        // A byte-order mark, as spreadsheets write one.
        primeraLectura_ = false;
        if (fin_ >= 3 && std::memcmp(buf_.data(), "\xEF\xBB\xBF", 3) == 0) ini_ = revisado_ = 3;
    }
    return true;
}

bool LectorPiezas::siguiente(Pieza& p) {
    if (terminado_ || !archivo_) return false;
    for (;;) {
        if (revisado_ < fin_) {
            const char* base = buf_.data();
            const void* salto = std::memchr(base + revisado_, '\n', fin_ - revisado_);
            if (salto) {
                const std::size_t k = static_cast<std::size_t>(static_cast<const char*>(salto) - base);
                std::size_t fin = k;
                if (fin > ini_ && base[fin - 1] == '\r') --fin;
                p.texto = std::string_view(base + ini_, fin - ini_);
                p.alFinal = false;
                ini_ = revisado_ = k + 1;
                return true;
            }
            revisado_ = fin_;
        }
        if (finArchivo_ || !llena()) {
            p.texto = std::string_view(buf_.data() + ini_, fin_ - ini_);
            p.alFinal = true;
            ini_ = revisado_ = fin_;
            terminado_ = true;
            return true;
        }
    }
}

long long cuentaPiezas(const std::filesystem::path& ruta) {
    Archivo f(std::fopen(ruta.c_str(), "rb"));
    if (!f) return -1;
    std::vector<char> buf(kBloque);
    long long saltos = 0;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0) {
        const char* p = buf.data();
        const char* fin = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(fin - p)))) != nullptr) {
            ++saltos;
            ++p;
        }
    }
    return std::ferror(f.get()) ? -1 : saltos + 1;
}

// ---------------------------------------------------------------- writing

EscritorTexto::EscritorTexto(const std::filesystem::path& ruta)
    : archivo_(std::fopen(ruta.c_str(), "wb")), buf_(kEscritura) {
    abierto_ = archivo_ != nullptr;
}

void EscritorTexto::vacia() {
    if (n_ > 0 && archivo_ && std::fwrite(buf_.data(), 1, n_, archivo_.get()) != n_) error_ = true;
    n_ = 0;
}

void EscritorTexto::agrega(std::string_view s) {
    std::memcpy(reserva(s.size()), s.data(), s.size());
    confirma(s.size());
}

char* EscritorTexto::reserva(std::size_t n) {
    if (buf_.size() - n_ < n) {
        vacia();
        if (buf_.size() < n) buf_.resize(n);
    }
    return buf_.data() + n_;
}

bool EscritorTexto::cierra() {
    if (archivo_) {
        vacia();
        if (std::fclose(archivo_.release()) != 0) error_ = true;
    }
    return abierto_ && !error_;
}

// ---------------------------------------------------------------- fields

int separaCampos(std::string_view linea, std::vector<std::string_view>& campos) {
    campos.clear();
    std::size_t i = 0;
    const std::size_t n = linea.size();
    const char* d = linea.data();
    while (i < n) {
        if (d[i] == ',') { ++i; continue; }
        std::size_t j = i + 1;
        while (j < n && d[j] != ',') ++j;  // fields are short: no memchr call
        campos.emplace_back(d + i, j - i);
        i = j + 1;
    }
    if (campos.empty()) campos.emplace_back();
    return static_cast<int>(campos.size());
}

std::string_view primerCampo(std::string_view linea) {
    const std::size_t i = linea.find_first_not_of(',');
    if (i == std::string_view::npos) return {};
    const std::size_t j = linea.find(',', i);
    return linea.substr(i, j == std::string_view::npos ? std::string_view::npos : j - i);
}

// ---------------------------------------------------------------- numbers

bool numeroCompleto(std::string_view campo, double& valor) {
    if (campo.empty()) return false;
    if (enteroSimple(campo, valor)) return true;
    const char* fin = campo.data() + campo.size();
    const auto r = std::from_chars(campo.data(), fin, valor);
    if (r.ec == std::errc{} && r.ptr == fin) return true;
    // A leading '+' or white space, the hexadecimal form, an overflow or an
    // underflow: the C conversion decides.
    return conversionC(campo, valor) == campo.size();
}

double numeroPrefijo(std::string_view campo) {
    double valor = 0;
    if (campo.empty()) return 0;
    if (enteroSimple(campo, valor)) return valor;
    const char* fin = campo.data() + campo.size();
    const auto r = std::from_chars(campo.data(), fin, valor);
    if (r.ec == std::errc{} && r.ptr == fin) return valor;
    conversionC(campo, valor);
    return valor;
}

bool enteroRepresentable(float v) { return v >= -2147483648.0f && v < 2147483648.0f; }

int aEntero(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0f) return INT_MAX;
    if (v < -2147483648.0f) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace texto
