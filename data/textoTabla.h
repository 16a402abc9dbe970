#pragma once
// Buffered text-table primitives of the loader: a line ("piece") reader that
// holds lines of any length whole, a buffered writer, the comma field splitter
// and the text-to-number rules. No per-line allocation once the buffers have
// grown to the longest line.
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace texto {

// One line of a file. `texto` excludes the line feed (a carriage return right
// before it is dropped too, as text-mode reading does). `alFinal` is true for
// the last piece, which ended at the end of the file instead of a line feed;
// a file ending in a line feed thus yields a last, empty piece. A UTF-8
// byte-order mark at the start of the file is not part of the first piece.
struct Pieza {
    std::string_view texto;
    bool alFinal = false;
    // Length of the piece as read, its line feed included.
    std::size_t largo() const { return texto.size() + (alFinal ? 0 : 1); }
};

struct CierraArchivo {
    void operator()(std::FILE* f) const { if (f) std::fclose(f); }
};
using Archivo = std::unique_ptr<std::FILE, CierraArchivo>;

class LectorPiezas {
public:
    explicit LectorPiezas(const std::filesystem::path& ruta);
    bool abierto() const { return archivo_ != nullptr; }
    // The system's error number of a failed open or read (0 when none).
    int errorSistema() const { return errno_; }
    // True when a read failed; the pieces returned so far are still valid.
    bool error() const { return error_; }
    // The next piece; false after the piece that ended at the end of file
    // was returned (or at once when the file could not be opened). The view
    // stays valid until the next call.
    bool siguiente(Pieza& p);

private:
    bool llena();  // reads more bytes behind fin_; false at end of file

    Archivo archivo_;
    std::filesystem::path ruta_;
    std::vector<char> buf_;
    std::size_t ini_ = 0, fin_ = 0, revisado_ = 0;
    bool finArchivo_ = false, terminado_ = false, error_ = false;
    bool primeraLectura_ = true;
    int errno_ = 0;
};

// The number of pieces of a file (its line feeds plus one); -1 when it cannot
// be read.
long long cuentaPiezas(const std::filesystem::path& ruta);

class EscritorTexto {
public:
    explicit EscritorTexto(const std::filesystem::path& ruta);  // creates or truncates
    ~EscritorTexto() { cierra(); }
    EscritorTexto(const EscritorTexto&) = delete;
    EscritorTexto& operator=(const EscritorTexto&) = delete;

    bool abierto() const { return abierto_; }
    void agrega(std::string_view s);
    void agrega(char c) {
        if (n_ == buf_.size()) vacia();
        buf_[n_++] = c;
    }
    // Room for `n` more bytes written through the returned pointer, then
    // `confirma(k)` with the count actually written (k <= n).
    char* reserva(std::size_t n);
    void confirma(std::size_t k) { n_ += k; }
    // Flushes and closes (idempotent); false when the file could not be
    // created or any write failed.
    bool cierra();

private:
    void vacia();

    Archivo archivo_;
    std::vector<char> buf_;
    std::size_t n_ = 0;  // bytes of buf_ in use
    bool abierto_ = false, error_ = false;
};

// Splits `linea` (without its line feed) at commas, consecutive commas
// counting as one separator: empty fields vanish. Returns the number of
// fields, at least 1: a line without any field counts as one empty field
// (`campos` then holds one empty view).
int separaCampos(std::string_view linea, std::vector<std::string_view>& campos);
// The first field of `linea` (leading commas skipped), empty when none.
std::string_view primerCampo(std::string_view linea);

// Numbers. A field is a number when the C library's text-to-real
// conversion (in the "C" locale: '.' is the decimal point) consumes all of
// it: optional leading white space, an optional sign, decimal digits with an
// optional point and exponent, or the hexadecimal, "inf" and "nan" forms.
// The value is that conversion's double, correctly rounded.
bool numeroCompleto(std::string_view campo, double& valor);
// The conversion as the readers do it: the longest leading number, 0 when
// the text does not start with one.
double numeroPrefijo(std::string_view campo);
// A double rounded to single precision and then truncated toward zero, as
// the integer readers store it; values outside the int range saturate and
// NaN gives 0 (validation rejects both before any load reads them).
int aEntero(float v);
// True when the truncation of `v` fits an int.
bool enteroRepresentable(float v);

}  // namespace texto
