#include "cli/comun.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <dirent.h>
#include <unistd.h>

#include "data/lenguaje.h"
#include "platform/Memoria.h"
#include "platform/EscrituraSegura.h"
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

void separaPosicionales(const Argumentos& args, const std::vector<std::string>& conValor, Argumentos& opciones,
                        std::vector<std::string>& posicionales) {
    bool soloArchivos = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (soloArchivos || a.empty() || a[0] != '-' || a == "-") {
            posicionales.push_back(a);
        } else if (a == "--") {
            soloArchivos = true;
        } else {
            opciones.push_back(a);
            if (std::find(conValor.begin(), conValor.end(), a) != conValor.end() && i + 1 < args.size())
                opciones.push_back(args[++i]);
        }
    }
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

std::string salidaSobreEntrada(const std::vector<fs::path>& salidas, const std::vector<Entrada>& entradas) {
    for (const fs::path& s : salidas)
        for (const Entrada& e : entradas)
            if (quel::mismoArchivo(s, e.ruta))
                return "the output " + s.string() + " is the input " + e.ruta.string() + " given to " + e.opcion +
                       "; choose another output";
    return {};
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
// The run that SIGINT asks to stop, if any.
std::atomic<Progreso*> gCancelable{nullptr};
static_assert(std::atomic<Progreso*>::is_always_lock_free);

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
    if (senal == SIGINT) {
        // The first Ctrl-C of a cancellable run asks it to stop; it then
        // removes its own temporaries on the way out.
        Progreso* p = gCancelable.exchange(nullptr);
        if (p) {
            p->cancela();
            return;
        }
    }
    for (auto& c : gCarpetas)
        if (c) borraPlano(c.get());
    std::signal(senal, SIG_DFL);
    std::raise(senal);
}

// Called with gCandado held.
void instalaManejadores() {
    if (gManejadores) return;
    gManejadores = true;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, alRecibirSenal);
}

}  // namespace

CarpetaPrivada::CarpetaPrivada(const std::string& prefijo, fs::path base) {
    if (base.empty()) {
        std::error_code ec;
        base = fs::temp_directory_path(ec);
        if (ec || base.empty()) base = quel::RaizDatos::desdeEntorno().raiz();
    }
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
    instalaManejadores();
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

const quel::lenguaje::TablasMensajes& ingles() {
    static const quel::lenguaje::TablasMensajes t =
        quel::lenguaje::tablasIncluidas(quel::lenguaje::Idioma::kIngles);
    return t;
}

}  // namespace

std::string textoError(int codigo, int linea) {
    return quel::lenguaje::textoCajaError(ingles(), codigo, linea).value_or(std::string());
}

std::vector<std::string> titulosExporta() {
    const auto& t = ingles().mensajesExporta;
    return {t.begin(), t.end()};
}

void reportaError(const std::string& comando, const quel::ErrorArchivo& e) {
    std::string l = "quel-cli " + comando + ": ";
    if (!e.archivo.empty()) l += quel::imprimible(e.archivo.string(), std::string::npos) + ": ";
    l += "error " + std::to_string(e.codigo);
    std::string texto = textoError(e.codigo, e.linea);
    if (texto.empty()) texto = "(no message text for this code)";
    l += ": " + texto;
    if (e.linea > 0 && !quel::lenguaje::llevaLinea(e.codigo)) l += " (line " + std::to_string(e.linea) + ")";
    if (!e.detalle.empty()) l += ": " + e.detalle;
    l += "\n";
    std::fputs(l.c_str(), stderr);
}

void reportaAvisos(const std::string& comando, const std::vector<std::string>& avisos) {
    for (const std::string& a : avisos) std::fprintf(stderr, "quel-cli %s: warning: %s\n", comando.c_str(), a.c_str());
}

std::optional<std::uint64_t> leeMemoria(const Opciones& o, std::string& error) {
    const auto v = o.valor("--max-memory");
    if (!v) return 0;
    if (auto bytes = quel::memoria::lee(*v)) return bytes;
    error = "--max-memory must be a number of bytes above 0, optionally followed by K, M, G or T, not '" + *v + "'";
    return std::nullopt;
}

// ------------------------------------------------------------ progress ---

ProgresoTerminal::ProgresoTerminal(std::string comando, bool cancelable)
    : comando_(std::move(comando)), activo_(isatty(STDERR_FILENO) == 1), cancelable_(cancelable) {
    if (!cancelable_) return;
    std::lock_guard<std::mutex> l(gCandado);
    instalaManejadores();
    gCancelable = this;
}

ProgresoTerminal::~ProgresoTerminal() {
    if (cancelable_) {
        Progreso* yo = this;
        gCancelable.compare_exchange_strong(yo, nullptr);
    }
    if (activo_ && dibujado_ >= 0) std::fputs("\n", stderr);
}

void ProgresoTerminal::avanza(int pasos) { fija(porcentaje_ + pasos); }

void ProgresoTerminal::fija(int porcentaje) {
    porcentaje_ = std::clamp(porcentaje, 0, 100);
    dibuja();
}

void ProgresoTerminal::registra(Canal canal, const std::string& linea) {
    std::FILE* f = canal == Canal::kSalida ? stdout : stderr;
    std::fprintf(f, "%s\n", linea.c_str());
    std::fflush(f);
}

void ProgresoTerminal::dibuja() {
    if (!activo_ || porcentaje_ == dibujado_) return;
    dibujado_ = porcentaje_;
    std::fprintf(stderr, "\rquel-cli %s: %3d%%", comando_.c_str(), porcentaje_);
    std::fflush(stderr);
}

int interrumpido(const std::string& comando) {
    std::fprintf(stderr, "quel-cli %s: interrupted; no result was written\n", comando.c_str());
    return kSalidaInterrumpida;
}

}  // namespace cli
