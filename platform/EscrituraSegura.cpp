#include "platform/EscrituraSegura.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace quel {

namespace {

// A name for the temporary that no other writer picks: hidden, so that
// folder listings (of grids, say) do not show it, and ending in ".tmp".
fs::path nombreTemporal(const fs::path& destino) {
    thread_local std::mt19937_64 azar{std::random_device{}()};
    char sufijo[24];
    std::snprintf(sufijo, sizeof sufijo, ".%016llx.tmp", static_cast<unsigned long long>(azar()));
    std::string nombre = destino.filename().string();
    // Names near the system's limit would not take the suffix.
    if (nombre.size() > 200) nombre = "quel";
    return destino.parent_path() / ("." + nombre + sufijo);
}

// Syncs the folder so that the rename itself survives a power cut; a folder
// that cannot be synced (some file systems) changes nothing else.
void sincronizaCarpeta(const fs::path& carpeta) {
    const int fd = ::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

ArchivoNuevo::ArchivoNuevo(fs::path destino) : destino_(std::move(destino)) {
    if (destino_.empty() || !destino_.has_filename()) {
        razon_ = "no file name";
        return;
    }
    struct stat st{};
    const bool existe = ::lstat(destino_.c_str(), &st) == 0;
    if (existe && S_ISLNK(st.st_mode)) {
        razon_ = "it is a symbolic link, which is not followed; name the file it points to";
        return;
    }
    if (existe && S_ISDIR(st.st_mode)) {
        razon_ = "it is a folder";
        return;
    }
    // A file without a name, where the system offers it, vanishes with a
    // process that dies before the file is complete.
    const fs::path carpeta = destino_.parent_path();
    fd_ = ::open(carpeta.empty() ? "." : carpeta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    anonimo_ = fd_ >= 0;
    for (int intento = 0; fd_ < 0 && intento < 100; ++intento) {
        temporal_ = nombreTemporal(destino_);
        fd_ = ::open(temporal_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        fallaSistema(errno);
        temporal_.clear();
        return;
    }
    // A replaced file keeps its permissions.
    if (existe && S_ISREG(st.st_mode)) ::fchmod(fd_, st.st_mode & 07777);
}

ArchivoNuevo::~ArchivoNuevo() {
    if (!colocado_) descarta();
}

void ArchivoNuevo::fallaSistema(int codigo) {
    if (razon_.empty()) razon_ = std::strerror(codigo);
}

void ArchivoNuevo::falla(std::string razon) {
    if (razon_.empty()) razon_ = razon.empty() ? "the write was abandoned" : std::move(razon);
}

void ArchivoNuevo::descarta() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporal_.empty()) ::unlink(temporal_.c_str());
    temporal_.clear();
}

bool ArchivoNuevo::agrega(std::string_view bytes) {
    if (!bien() || fd_ < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            fallaSistema(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ArchivoNuevo::termina() {
    if (!bien()) return false;
    if (terminado_) return true;
    if (::fsync(fd_) != 0) fallaSistema(errno);
    // A file without a name stays open until it is given one.
    if (!anonimo_) {
        if (::close(fd_) != 0) fallaSistema(errno);
        fd_ = -1;
    }
    terminado_ = true;
    return bien();
}

bool ArchivoNuevo::nombraAnonimo() {
    const std::string propio = "/proc/self/fd/" + std::to_string(fd_);
    bool enlazado = false;
    for (int intento = 0; !enlazado && intento < 100; ++intento) {
        const fs::path nombre = nombreTemporal(destino_);
        enlazado = ::linkat(fd_, "", AT_FDCWD, nombre.c_str(), AT_EMPTY_PATH) == 0 ||
                   ::linkat(AT_FDCWD, propio.c_str(), AT_FDCWD, nombre.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (enlazado)
            temporal_ = nombre;
        else if (errno != EEXIST)
            break;
    }
    if (!enlazado) {
        fallaSistema(errno);
        return false;
    }
    const int cierre = ::close(fd_);
    fd_ = -1;
    if (cierre != 0) fallaSistema(errno);
    return bien();
}

bool ArchivoNuevo::coloca() {
    if (colocado_) return true;
    if (!termina()) return false;
    if (anonimo_ && !nombraAnonimo()) return false;
    if (::rename(temporal_.c_str(), destino_.c_str()) != 0) {
        fallaSistema(errno);
        return false;
    }
    colocado_ = true;
    sincronizaCarpeta(destino_.parent_path());
    return true;
}

bool escribeSeguro(const fs::path& destino, const std::function<bool(ArchivoNuevo&)>& escritor, std::string* razon) {
    ArchivoNuevo f(destino);
    if (f.bien() && !escritor(f)) f.falla({});
    const bool hecho = f.coloca();
    if (!hecho && razon) *razon = f.razon();
    return hecho;
}

bool escribeSeguro(const fs::path& destino, std::string_view bytes, std::string* razon) {
    return escribeSeguro(destino, [bytes](ArchivoNuevo& f) { return f.agrega(bytes); }, razon);
}

bool colocaTodos(const std::vector<ArchivoNuevo*>& archivos, std::string* razon) {
    auto falla = [&](const ArchivoNuevo& f) {
        if (razon) *razon = f.destino().string() + ": " + f.razon();
        return false;
    };
    for (ArchivoNuevo* f : archivos)
        if (!f->termina()) return falla(*f);
    for (ArchivoNuevo* f : archivos)
        if (!f->coloca()) return falla(*f);
    return true;
}

bool mismoArchivo(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec) return true;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    if (ec) return false;
    return ca == cb;
}

}  // namespace quel
