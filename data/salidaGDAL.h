#pragma once
// Result surfaces as GeoTIFF, and the ".prj" files that tell a GIS where a
// grid or a covariate table lies.
#include <filesystem>
#include <string>

#include "data/LectorGDAL.h"
#include "data/TImagenN.h"

namespace quel::gdal {

// Writes a result surface as a GeoTIFF with the cells, corner and cell size
// the ESRI ASCII export gives it: single precision, 0 (outside the region)
// as the no-data value -9999, the region's coordinate system when known,
// deflate compression, internal tiles. `coordenadas` and `valores` as for
// exportaArchivo::exportaGrid. The file appears only once complete; false
// when it cannot be written (an older file of that name is then untouched).
bool exportaGeoTIFF(const std::filesystem::path& ruta, const TImagenN<float>& coordenadas,
                    const TImagenN<long double>& valores, const Sistema& sistema);

// The same, written straight into `ruta` (a temporary the caller puts in place).
bool escribeGeoTIFF(const std::filesystem::path& ruta, const TImagenN<float>& coordenadas,
                    const TImagenN<long double>& valores, const Sistema& sistema);

// The text of a ".prj" in ESRI's form of WKT: empty for an unknown system;
// false when the system cannot be written so.
bool textoPrj(const Sistema& sistema, std::string& texto);

// Writes the ".prj" beside `archivo` (see rutaPrj) in ESRI's form of WKT.
// Does nothing and returns true for an unknown system.
bool escribePrj(const std::filesystem::path& archivo, const Sistema& sistema);

// The region's coordinate system kept beside a covariate table, unknown when
// it has no readable ".prj".
Sistema sistemaDeTabla(const std::filesystem::path& tabla);

}  // namespace quel::gdal
