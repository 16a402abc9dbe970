#include "data/apoyoGDAL.h"

#include <cpl_error.h>
#include <gdal_priv.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>

#include <unistd.h>

#include "platform/EscrituraSegura.h"
#include "platform/LecturaArchivo.h"

namespace fs = std::filesystem;

namespace quel::gdal {

void CierraDataset::operator()(GDALDataset* d) const { GDALClose(d); }

namespace {

void registra() {
    static std::once_flag una;
    std::call_once(una, [] { GDALAllRegister(); });
}

}  // namespace

Dataset abre(const fs::path& ruta) {
    registra();
    Silencio silencio;
    return Dataset(GDALDataset::Open(ruta.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
}

Silencio::Silencio() {
    registra();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
}

Silencio::~Silencio() { CPLPopErrorHandler(); }

std::string Silencio::ultimo() const {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? m : "no reason given";
}

std::size_t texto9(char* buf, double v) {
    if (std::isnan(v)) {
        buf[0] = 'n', buf[1] = 'a', buf[2] = 'n';
        return 3;
    }
    // Whole values below 10^9 print as integers either way, and faster.
    if (v == std::trunc(v) && std::fabs(v) < 1e9 && !(v == 0 && std::signbit(v))) {
        auto r = std::to_chars(buf, buf + 32, static_cast<long long>(v));
        return static_cast<std::size_t>(r.ptr - buf);
    }
    auto r = std::to_chars(buf, buf + 32, v, std::chars_format::general, 9);
    return static_cast<std::size_t>(r.ptr - buf);
}

TemporalJunto::TemporalJunto(fs::path destino) : destino_(std::move(destino)) {
    std::error_code ec;
    if (destino_.filename().empty() || fs::is_symlink(destino_, ec)) return;
    const fs::path carpeta = destino_.has_parent_path() ? destino_.parent_path() : fs::path(".");
    std::string plantilla = (carpeta / ("." + destino_.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(plantilla.data());
    if (fd < 0) return;
    close(fd);
    temporal_ = plantilla;
}

TemporalJunto::TemporalJunto(TemporalJunto&& otro) noexcept
    : destino_(std::move(otro.destino_)), temporal_(std::move(otro.temporal_)) {
    otro.temporal_.clear();
}

TemporalJunto::~TemporalJunto() {
    std::error_code ec;
    if (!temporal_.empty()) fs::remove(temporal_, ec);
}

bool TemporalJunto::coloca() {
    if (temporal_.empty()) return false;
    std::error_code ec;
    // A fresh temporary is private to its owner; a result is readable by all.
    fs::permissions(temporal_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::others_read, ec);
    fs::rename(temporal_, destino_, ec);
    if (ec) return false;
    temporal_.clear();
    return true;
}

bool escribeEnSuLugar(const fs::path& destino, const std::function<bool(const fs::path&)>& escribe) {
    TemporalJunto t(destino);
    return t.bien() && escribe(t.ruta()) && t.coloca();
}

bool leeTexto(const fs::path& ruta, std::string& texto) { return leeArchivo(ruta, texto) == Lectura::kBien; }

bool escribeTexto(const fs::path& destino, std::string_view bytes) { return escribeSeguro(destino, bytes); }

}  // namespace quel::gdal
