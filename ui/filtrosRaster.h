#pragma once
// File-dialog filters for rasters read or written through GDAL.
#include <QString>

namespace quel {

// `filtro` (in the language files' "Description|patterns|..." form) with a
// GeoTIFF entry added last.
inline QString conGeoTIFF(const QString& filtro) {
    return filtro + QStringLiteral("|GeoTIFF (*.tif;*.tiff)|*.tif;*.tiff");
}

}  // namespace quel
