#pragma once
// The one error value of the readers and loaders: what failed (a return code
// shared with the windows' message table), in which file, at which line, and
// what was expected and found there. The layer that parses fills the code,
// the line and the detail; the layer that knows the file adds its path; the
// command line and the windows each turn the whole value into one message.
#include <filesystem>
#include <string>
#include <string_view>

namespace quel {

// Code of a run stopped at the caller's request (it has no message-table text:
// each caller says it in its own words).
constexpr int kCodigoCancelado = 14;

struct ErrorArchivo {
    int codigo = 0;                 // 0: no error
    int linea = 0;                  // line of the file, from 1; 0 when the error has no line
    std::string detalle;            // one English sentence: what was expected, what was found
    std::filesystem::path archivo;  // the user's file the error is about (may be empty)

    ErrorArchivo() = default;
    ErrorArchivo(int codigo_, int linea_, std::string detalle_, std::filesystem::path archivo_ = {})
        : codigo(codigo_), linea(linea_ > 0 ? linea_ : 0), detalle(std::move(detalle_)), archivo(std::move(archivo_)) {}

    bool hay() const { return codigo != 0; }
};

// `texto` as printable text: bytes outside printable ASCII (control bytes,
// DEL, bytes of other encodings) become "\xHH", a backslash "\\"; at most
// `maximo` bytes of `texto` are shown, then "...".
std::string imprimible(std::string_view texto, std::size_t maximo = 60);

// The operating system's reason for the error number `numero` (strerror).
std::string razonSistema(int numero);

// Fills `error` (when not null) and returns `codigo`.
int fallaArchivo(ErrorArchivo* error, int codigo, int linea, std::string detalle,
                 const std::filesystem::path& archivo = {});

}  // namespace quel
