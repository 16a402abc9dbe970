#pragma once
// Helpers shared by the quel-cli subcommands: option parsing, the private
// working folder of a run, the one-line error report and the progress shown
// on a terminal.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "data/ErrorArchivo.h"
#include "platform/Progreso.h"

namespace cli {

// Exit statuses of every subcommand.
constexpr int kSalidaBien = 0;
constexpr int kSalidaUso = 2;
constexpr int kSalidaFallo = 3;
constexpr int kSalidaInterrumpida = 130;  // stopped by SIGINT (128 + the signal), as shells report it

// ---------------------------------------------------------------- options ---

// Options of one command line. Accepted forms: "--name VALUE", "--name=VALUE"
// for options that take a value, "--name" for flags; "-h"/"--help" anywhere
// sets `ayuda`. An unknown option, a missing value, a repeated option or a
// stray positional argument leaves a one-line reason in `error`.
struct Opciones {
    std::map<std::string, std::string> valores;  // options with a value, by name ("--out")
    std::vector<std::string> banderas;           // flags given
    bool ayuda = false;
    std::string error;  // empty when the line parsed

    bool tiene(const std::string& nombre) const;  // option or flag given
    // Value of an option, or nullopt when it was not given.
    std::optional<std::string> valor(const std::string& nombre) const;
};

Opciones leeOpciones(const Argumentos& args, const std::vector<std::string>& conValor,
                     const std::vector<std::string>& sinValor);

// Splits a command line whose files are positional: arguments from "-"
// onward (but "-" itself) are options, with the next argument when their
// name is in `conValor`; everything after "--" is a file.
void separaPosicionales(const Argumentos& args, const std::vector<std::string>& conValor, Argumentos& opciones,
                        std::vector<std::string>& posicionales);

// Whole number in [minimo, maximo] (decimal, no sign other than '-', nothing after).
bool leeEntero(const std::string& texto, long minimo, long maximo, long& valor);
// Finite real (strtod syntax, nothing after).
bool leeReal(const std::string& texto, double& valor);

// "quel-cli COMMAND: MESSAGE" and a hint to --help on standard error; returns kSalidaUso.
int errorUso(const std::string& comando, const std::string& mensaje);

// An input file of a run and the option (or argument) that named it.
struct Entrada {
    std::string opcion;
    std::filesystem::path ruta;
};
// Empty, or the usage error when one of `salidas` is one of `entradas`
// (through a link or another spelling of the path included).
std::string salidaSobreEntrada(const std::vector<std::filesystem::path>& salidas,
                               const std::vector<Entrada>& entradas);

// Number of worker threads: the --threads value when given (1 and up), else
// every core of the machine.
int hilosPorDefecto();

// ------------------------------------------------------ private folder ---

// A fresh folder of this process (mkdtemp: never shared with another run)
// under `base`, by default the system's temporary folder, else the data root
// when the system names no usable one. Removed with everything in it when
// the object goes away or the process is ended by SIGINT, SIGTERM or SIGHUP.
class CarpetaPrivada {
public:
    // Throws std::runtime_error when no folder can be created.
    explicit CarpetaPrivada(const std::string& prefijo = "quel-", std::filesystem::path base = {});
    ~CarpetaPrivada();
    CarpetaPrivada(const CarpetaPrivada&) = delete;
    CarpetaPrivada& operator=(const CarpetaPrivada&) = delete;
    const std::filesystem::path& ruta() const { return ruta_; }

private:
    std::filesystem::path ruta_;
};

// ------------------------------------------------------- error report ---

// The English text of the message for a code, from the English language file
// built into the program (its error table, with the failing line number for
// codes 5 and 9; without a line, their text stops before it). Empty when that
// table has no text for the code.
std::string textoError(int codigo, int linea);

// One line on standard error for an error value:
//   quel-cli COMMAND: FILE: error CODE: TEXT (line N): DETAIL
// TEXT ends with the line number for codes 5 and 9; for other codes a line
// follows as " (line N)". No line part when the error has no line, no
// "FILE: " when it names no file, no ": DETAIL" when it has no detail.
void reportaError(const std::string& comando, const quel::ErrorArchivo& error);

// Warnings of a run, one line each on standard error: "quel-cli COMMAND: warning: TEXT".
void reportaAvisos(const std::string& comando, const std::vector<std::string>& avisos);

// --max-memory: the memory a run may take (bytes, or a number with a K, M,
// G or T suffix). 0 when the option is absent (the machine's physical
// memory then); an empty optional with `error` filled when it is malformed.
std::optional<std::uint64_t> leeMemoria(const Opciones& o, std::string& error);

// Texts of the exported tables' title line (entries 0..4 of the English
// language file's export table).
std::vector<std::string> titulosExporta();

// ------------------------------------------------------------ progress ---

// The progress of a run on a terminal: the percent on standard error, redrawn
// in place, only when standard error is a terminal; the run's log lines on
// standard output (Canal::kSalida) or standard error (Canal::kAviso), each
// flushed at once. Finishes its line on destruction. A cancellable one takes
// SIGINT while it lives: the first Ctrl-C asks the run to stop at its next
// check (the run then cleans up and the command exits with
// kSalidaInterrumpida), a second one ends the process at once.
class ProgresoTerminal final : public Progreso {
public:
    explicit ProgresoTerminal(std::string comando, bool cancelable = false);
    ~ProgresoTerminal() override;
    void avanza(int pasos) override;
    void fija(int porcentaje) override;
    void registra(Canal canal, const std::string& linea) override;
    bool activo() const { return activo_; }

private:
    void dibuja();
    std::string comando_;
    bool activo_ = false;
    bool cancelable_ = false;
    int porcentaje_ = 0;
    int dibujado_ = -1;
};

// "quel-cli COMMAND: interrupted; ..." on standard error; returns kSalidaInterrumpida.
int interrumpido(const std::string& comando);

}  // namespace cli
