#pragma once
// What the GDAL readers and writers share: opening a raster, keeping GDAL's
// own error reports off the terminal, the 9-digit text of a value, and
// writing a file under a temporary name beside it.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class GDALDataset;

namespace quel::gdal {

struct CierraDataset {
    void operator()(GDALDataset* d) const;
};
using Dataset = std::unique_ptr<GDALDataset, CierraDataset>;

// Opens a raster read-only (null when GDAL cannot); registers the drivers once.
Dataset abre(const std::filesystem::path& ruta);

// While alive, GDAL's errors are kept instead of printed; ultimo() is the last one.
class Silencio {
public:
    Silencio();
    ~Silencio();
    Silencio(const Silencio&) = delete;
    Silencio& operator=(const Silencio&) = delete;
    std::string ultimo() const;
};

// Writes `v` into `buf` (at least 32 bytes) with 9 significant digits, as
// printf's "%.9g" does; returns the length.
std::size_t texto9(char* buf, double v);

// A fresh, empty temporary file in the folder of `destino`, removed when the
// object goes away unless coloca() renamed it over `destino`. A target that
// is a symbolic link is refused (as every writer of the program does).
class TemporalJunto {
public:
    explicit TemporalJunto(std::filesystem::path destino);
    ~TemporalJunto();
    TemporalJunto(TemporalJunto&& otro) noexcept;
    TemporalJunto(const TemporalJunto&) = delete;
    TemporalJunto& operator=(const TemporalJunto&) = delete;
    TemporalJunto& operator=(TemporalJunto&&) = delete;
    bool bien() const { return !temporal_.empty(); }
    const std::filesystem::path& ruta() const { return temporal_; }
    const std::filesystem::path& destino() const { return destino_; }
    // Renames the temporary into place (readable by all); false when that fails.
    bool coloca();

private:
    std::filesystem::path destino_;
    std::filesystem::path temporal_;
};

// Calls `escribe` with a fresh temporary name in the folder of `destino`, then
// renames the temporary into place. When `escribe` fails or the rename does,
// the temporary is removed, `destino` is left as it was, and false returned.
bool escribeEnSuLugar(const std::filesystem::path& destino,
                      const std::function<bool(const std::filesystem::path&)>& escribe);

// Reads a whole file; false when it cannot be read (or is a folder).
bool leeTexto(const std::filesystem::path& ruta, std::string& texto);

// Writes `bytes` as the whole file `destino`, replacing it only once complete.
bool escribeTexto(const std::filesystem::path& destino, std::string_view bytes);

}  // namespace quel::gdal
