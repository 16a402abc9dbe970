#pragma once
// Rasters in formats other than ESRI ASCII (GeoTIFF and whatever else GDAL
// opens), and the coordinate systems of grids.
//
// A raster read here gives what its ESRI ASCII copy would give the program's
// own reader: the same six header figures, the same cells in the same order
// (top row first), values as double, no-data found by the same rule. The
// program therefore classifies, transforms and writes them exactly as it
// would the copy. ESRI ASCII grids are never read through GDAL.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/LectorASCII.h"

namespace quel::gdal {

// Whether `ruta` should be read through GDAL: its content does not start like
// an ESRI ASCII grid and GDAL opens it as a raster of another format.
// Decided by the content, not by the file's extension.
bool esRasterGDAL(const std::filesystem::path& ruta);

// Streams a raster as recorreGridASCII streams an ASCII grid; a cell's text
// is its value with 9 significant digits. Refuses (code 12, `error` filled)
// a raster GDAL cannot open, one with other than exactly one band, a rotated
// one and one whose cells are not square.
int recorreGrid(const std::filesystem::path& ruta,
                const std::function<void(const EncabezadoASCII&)>& alEncabezado,
                const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error = nullptr);

// Reads a raster a block of rows at a time, top row first, handing over the
// cells recorreGrid would; the memory it holds is one block.
class LectorRenglones {
public:
    LectorRenglones();
    ~LectorRenglones();
    LectorRenglones(const LectorRenglones&) = delete;
    LectorRenglones& operator=(const LectorRenglones&) = delete;
    // Opens the raster and takes its header. 0, or 12 with `error` filled.
    int abre(const std::filesystem::path& ruta, ErrorGrid* error = nullptr);
    const EncabezadoASCII& encabezado() const;
    // The cells of the next `renglones` rows (of those left). 0, or 12.
    int lee(int renglones, const std::function<void(const CeldaASCII&)>& alValor, ErrorGrid* error = nullptr);

private:
    struct Estado;
    std::unique_ptr<Estado> e_;
};

// A grid's coordinate system.
struct Sistema {
    std::string wkt;     // empty when the grid does not say
    std::string nombre;  // short name for messages ("WGS 84"); "unknown" when empty
    bool conocido() const { return !wkt.empty(); }
};

// The coordinate system of a grid: from GDAL for its rasters, from the
// ".prj" file beside an ESRI ASCII grid (same name, extension ".prj"). False
// with `detalle` filled when a ".prj" is there but is not a coordinate system.
bool leeSistema(const std::filesystem::path& grid, Sistema& sistema, std::string& detalle);

// The coordinate system in a ".prj" file (unknown when there is no such
// file). False with `detalle` filled when the file is not a coordinate system.
bool leePrj(const std::filesystem::path& prj, Sistema& sistema, std::string& detalle);

// The ".prj" that goes with a file: the same name with the extension ".prj".
std::filesystem::path rutaPrj(const std::filesystem::path& archivo);

// Whether two systems are the same (an unknown system matches any).
bool mismoSistema(const Sistema& a, const Sistema& b);

// Checks that the grids share one coordinate system. Grids whose system is
// unknown take part in no comparison. True with `region` set to the shared
// system (unknown when none says); false with `rutaError` naming the grid at
// fault and `detalle` naming both files and both systems.
bool compruebaSistemas(const std::vector<std::filesystem::path>& grids, Sistema& region,
                       std::filesystem::path& rutaError, std::string& detalle);

}  // namespace quel::gdal
