#include "render/ubicacionMapa.h"

#include <algorithm>
#include <cmath>

#include "engine/funcionesGlobales.h"

namespace {

// Pixel coordinate of a scaled position. A row far outside the extents (the
// last row is not part of them) is kept within the integer range.
float redondeaPixel(float v) {
    if (std::isnan(v)) return 0;
    v = std::clamp(v, -1e9f, 1e9f);
    return static_cast<float>(funcionesGlobales::redondea(v));
}

// Pixels per coordinate unit; a zero (or non-finite) range gives 0 so a single
// row or column is placed at the origin instead of dividing by zero.
float escala(int tamano, float rango) {
    if (!(rango > 0)) return 0;
    const float e = static_cast<float>(tamano) / rango;
    return e <= 3.4e38f ? e : 0;
}

}  // namespace

UbicacionMapa ubicaMapa(const TImagenN<float>& coordenadas, int anchoBitmap, int altoBitmap) {
    UbicacionMapa u;
    const int n = coordenadas.columnas >= 2 ? coordenadas.renglones : 0;
    u.pixeles = TImagenN<float>(n, 2);
    u.anchoDibujo = std::max(0, anchoBitmap - margenMapa);
    u.altoDibujo = std::max(0, altoBitmap - margenMapa);
    if (n == 0) return u;

    const auto& xs = coordenadas.datos[0];
    const auto& ys = coordenadas.datos[1];
    // Extents over every row but the last, as the map has always been placed.
    const int filasExtremos = n > 1 ? n - 1 : 1;
    u.minX = u.maxX = xs[0];
    u.minY = u.maxY = ys[0];
    for (int r = 1; r < filasExtremos; ++r) {
        u.minX = std::min(u.minX, xs[r]);
        u.maxX = std::max(u.maxX, xs[r]);
        u.minY = std::min(u.minY, ys[r]);
        u.maxY = std::max(u.maxY, ys[r]);
    }
    const float escalaX = escala(u.anchoDibujo, u.maxX - u.minX);
    const float escalaY = escala(u.altoDibujo, u.maxY - u.minY);

    for (int r = 0; r < n; ++r) {
        const float px = (xs[r] - u.minX) * escalaX;
        const float py = (u.maxY - ys[r]) * escalaY;
        u.pixeles.datos[0][r] = redondeaPixel(px);
        u.pixeles.datos[1][r] = redondeaPixel(py);
    }

    u.columnasMapa = n;
    for (int r = 1; r < n; ++r)
        if (ys[r] != ys[0]) {
            u.columnasMapa = r;
            break;
        }
    return u;
}
