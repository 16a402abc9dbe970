#include "cli/comun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <dirent.h>
#include <unistd.h>

#include "platform/RaizDatos.h"

namespace fs = std::filesystem;

namespace cli {

// ---------------------------------------------------------------- options ---

bool Opciones::tiene(const std::string& nombre) const {
    return valores.count(nombre) != 0 ||
           std::find(banderas.begin(), banderas.end(), nombre) != banderas.end();
}

std::optional<std::string> Opciones::valor(const std::string& nombre) const {
    auto it = valores.find(nombre);
    if (it == valores.end()) return std::nullopt;
    return it->second;
}

Opciones leeOpciones(const Argumentos& args, const std::vector<std::string>& conValor,
                     const std::vector<std::string>& sinValor) {
    Opciones o;
    auto es = [](const std::vector<std::string>& lista, const std::string& n) {
        return std::find(lista.begin(), lista.end(), n) != lista.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            o.ayuda = true;
            continue;
        }
        if (!o.error.empty()) continue;  // keep scanning only for --help
        if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
            o.error = "unexpected argument '" + a + "'";
            continue;
        }
        std::string nombre = a;
        std::optional<std::string> valor;
        const auto igual = a.find('=');
        if (igual != std::string::npos) {
            nombre = a.substr(0, igual);
            valor = a.substr(igual + 1);
        }
        if (es(conValor, nombre)) {
            if (!valor) {
                if (i + 1 >= args.size()) {
                    o.error = "option " + nombre + " needs a value";
                    continue;
                }
                valor = args[++i];
            }
            if (o.tiene(nombre)) {
                o.error = "option " + nombre + " given more than once";
                continue;
            }
            o.valores[nombre] = *valor;
        } else if (es(sinValor, nombre)) {
            if (valor) {
                o.error = "option " + nombre + " takes no value";
                continue;
            }
            if (o.tiene(nombre)) {
                o.error = "option " + nombre + " given more than once";
                continue;
            }
            o.banderas.push_back(nombre);
        } else {
            o.error = "unknown option '" + nombre + "'";
        }
    }
    return o;
}

bool leeEntero(const std::string& texto, long minimo, long maximo, long& valor) {
    if (texto.empty() || texto.size() > 18) return false;
    std::size_t i = texto[0] == '-' ? 1 : 0;
    if (i == texto.size()) return false;
    for (std::size_t j = i; j < texto.size(); ++j)
        if (texto[j] < '0' || texto[j] > '9') return false;
    const long v = std::strtol(texto.c_str(), nullptr, 10);
    if (v < minimo || v > maximo) return false;
    valor = v;
    return true;
}

bool leeReal(const std::string& texto, double& valor) {
    if (texto.empty()) return false;
    errno = 0;
    char* fin = nullptr;
    const double v = std::strtod(texto.c_str(), &fin);
    if (fin != texto.c_str() + texto.size() || errno == ERANGE || !(v - v == 0)) return false;
    valor = v;
    return true;
}

int errorUso(const std::string& comando, const std::string& mensaje) {
    std::fprintf(stderr, "quel-cli %s: %s\nTry 'quel-cli %s --help'.\n", comando.c_str(),
                 mensaje.c_str(), comando.c_str());
    return kSalidaUso;
}

int hilosPorDefecto() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

// ------------------------------------------------------ private folder ---

namespace {

// Folders to remove when a signal ends the process. Paths are kept as
// C strings so the handler does no allocation.
std::mutex gCandado;
std::vector<std::unique_ptr<char[]>> gCarpetas;
bool gManejadores = false;

void borraPlano(const char* carpeta) {
    // The working folders are flat: their files, then the folder.
    if (DIR* d = opendir(carpeta)) {
        while (dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            char ruta[4096];
            const std::size_t a = std::strlen(carpeta), b = std::strlen(e->d_name);
            if (a + b + 2 > sizeof ruta) continue;
            std::memcpy(ruta, carpeta, a);
            ruta[a] = '/';
            std::memcpy(ruta + a + 1, e->d_name, b + 1);
            unlink(ruta);
        }
        closedir(d);
    }
    rmdir(carpeta);
}

extern "C" void alRecibirSenal(int senal) {
    for (auto& c : gCarpetas)
        if (c) borraPlano(c.get());
    std::signal(senal, SIG_DFL);
    std::raise(senal);
}

}  // namespace

CarpetaPrivada::CarpetaPrivada(const std::string& prefijo) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec || base.empty()) base = "/tmp";
    std::string plantilla = (base / (prefijo + "XXXXXX")).string();
    std::vector<char> buf(plantilla.begin(), plantilla.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("cannot create a working folder under " + base.string() + ": " +
                                 std::strerror(errno));
    ruta_ = fs::path(buf.data());
    std::lock_guard<std::mutex> l(gCandado);
    auto copia = std::make_unique<char[]>(buf.size());
    std::memcpy(copia.get(), buf.data(), buf.size());
    gCarpetas.push_back(std::move(copia));
    if (!gManejadores) {
        gManejadores = true;
        for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, alRecibirSenal);
    }
}

CarpetaPrivada::~CarpetaPrivada() {
    {
        std::lock_guard<std::mutex> l(gCandado);
        const std::string r = ruta_.string();
        for (auto& c : gCarpetas)
            if (c && r == c.get()) c.reset();
    }
    std::error_code ec;
    fs::remove_all(ruta_, ec);
}

// ------------------------------------------------------- error report ---

namespace {

// Entry of the language file's error table for each code.
int entradaError(int codigo) {
    switch (codigo) {
        case 2: return 0;
        case 5: return 1;
        case 7: return 2;
        case 9: return 3;
        case 3: return 4;
        case 11: return 5;
        case 12: return 6;
        case 4: return 7;
        default: return -1;
    }
}

// Fields of one line (1-based number) of a language file: split at commas,
// empty fields skipped.
std::vector<std::string> camposLinea(const fs::path& archivo, int numero) {
    std::ifstream f(archivo, std::ios::binary);
    std::string linea;
    for (int n = 1; n <= numero; ++n)
        if (!std::getline(f, linea)) return {};
    std::vector<std::string> campos;
    std::string campo;
    std::istringstream s(linea);
    while (std::getline(s, campo, ','))
        if (!campo.empty() && campo != "\r") campos.push_back(campo);
    return campos;
}

// Fills the one line-number conversion of a message text; every other '%'
// sequence is kept as written ("%%" reads as one '%').
std::string llenaLinea(const std::string& formato, int linea) {
    std::string r;
    bool lleno = false;
    for (std::size_t i = 0; i < formato.size(); ++i) {
        if (formato[i] == '%' && i + 1 < formato.size()) {
            if (formato[i + 1] == '%') { r += '%'; ++i; continue; }
            if (formato[i + 1] == 'd' && !lleno) { r += std::to_string(linea); ++i; lleno = true; continue; }
        }
        r += formato[i];
    }
    return r;
}

}  // namespace

fs::path archivoIngles() {
    std::error_code ec;
    const fs::path enRaiz = quel::RaizDatos::desdeEntorno().en("Lenguajes\\english.quel");
    if (fs::is_regular_file(enRaiz, ec)) return enRaiz;
    const fs::path enFuentes = fs::path(QUEL_SOURCE_DIR) / "resources" / "lang" / "english.quel";
    if (fs::is_regular_file(enFuentes, ec)) return enFuentes;
    return {};
}

std::string textoError(int codigo, int linea) {
    const int e = entradaError(codigo);
    const fs::path archivo = archivoIngles();
    if (e < 0 || archivo.empty()) return {};
    const auto campos = camposLinea(archivo, 24);
    if (static_cast<std::size_t>(e) >= campos.size()) return {};
    return llenaLinea(campos[static_cast<std::size_t>(e)], linea);
}

std::vector<std::string> titulosExporta() {
    std::vector<std::string> t(5);
    const fs::path archivo = archivoIngles();
    if (archivo.empty()) return t;
    const auto campos = camposLinea(archivo, 30);
    for (std::size_t i = 0; i < t.size() && i < campos.size(); ++i) t[i] = campos[i];
    return t;
}

void reportaError(const std::string& comando, const fs::path& archivo, int codigo, int linea) {
    std::string l = "quel-cli " + comando + ": " + archivo.string() + ": error " + std::to_string(codigo);
    if (linea > 0) l += ", line " + std::to_string(linea);
    std::string texto = textoError(codigo, linea);
    if (texto.empty()) texto = "(no message text for this code)";
    l += ": " + texto + "\n";
    std::fputs(l.c_str(), stderr);
}

// ------------------------------------------------------------ progress ---

ProgresoTerminal::ProgresoTerminal(std::string comando)
    : comando_(std::move(comando)), activo_(isatty(STDERR_FILENO) == 1) {}

ProgresoTerminal::~ProgresoTerminal() {
    if (activo_ && dibujado_ >= 0) std::fputs("\n", stderr);
}

void ProgresoTerminal::avanza(int pasos) { fija(porcentaje_ + pasos); }

void ProgresoTerminal::fija(int porcentaje) {
    porcentaje_ = std::clamp(porcentaje, 0, 100);
    dibuja();
}

void ProgresoTerminal::dibuja() {
    if (!activo_ || porcentaje_ == dibujado_) return;
    dibujado_ = porcentaje_;
    std::fprintf(stderr, "\rquel-cli %s: %3d%%", comando_.c_str(), porcentaje_);
    std::fflush(stderr);
}

void ProgresoTramo::avanza(int pasos) { fija(hecho_ + pasos); }

void ProgresoTramo::fija(int porcentaje) {
    hecho_ = std::clamp(porcentaje, 0, 100);
    const int objetivo = hecho_ * parte_ / 100;
    if (objetivo != pasado_) {
        padre_.avanza(objetivo - pasado_);
        pasado_ = objetivo;
    }
}

}  // namespace cli
