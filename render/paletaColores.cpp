#include "render/paletaColores.h"

#include <algorithm>

namespace {

void fija(std::array<std::array<std::int32_t, paletaColores::numEntradas>, 3>& g, int e, int r,
          int v, int a) {
    g[paletaColores::rojo][e] = r;
    g[paletaColores::verde][e] = v;
    g[paletaColores::azul][e] = a;
}

}  // namespace

paletaColores::paletaColores() {
    for (int e = 0; e < numEntradas; ++e) {
        // 0: blue, cyan, green, yellow, red.
        if (e <= 63)
            fija(colores[0], e, 0, 4 * e, 254);
        else if (e <= 127)
            fija(colores[0], e, 0, 254, 254 - 4 * (e - 64));
        else if (e <= 191)
            fija(colores[0], e, 4 * (e - 128), 254, 0);
        else
            fija(colores[0], e, 254, 254 - 4 * (e - 192), 0);

        // 1: light to dark brown.
        const int d = (e + 1) / 2;
        fija(colores[1], e, 254 - d, 191 - d, 127 - d);

        // 2: green to red; entry 254 stores red -2.
        if (e <= 126)
            fija(colores[2], e, 254, 2 * (e + 1), 0);
        else
            fija(colores[2], e, 254 - 2 * (e - 126), 254, 0);

        // 3: black to red; the upper half stores green 256..508.
        if (e <= 127)
            fija(colores[3], e, 2 * e, 0, 0);
        else
            fija(colores[3], e, 255, 2 * e, 0);

        fija(colores[4], e, e, e, e);
        fija(colores[5], e, 255 - e, 255, 255 - e);
        fija(colores[6], e, 99, e, 0);

        // 7: four bands for the prior classes.
        if (e <= 63)
            fija(colores[7], e, 255, 255, 255);
        else if (e <= 126)
            fija(colores[7], e, 0, 191, 0);
        else if (e <= 190)
            fija(colores[7], e, 255, 191, 0);
        else
            fija(colores[7], e, 191, 0, 0);
    }
}

std::int32_t paletaColores::color(int g, int e) const {
    g = std::clamp(g, 0, numDegradados - 1);
    e = std::clamp(e, 0, numEntradas - 1);
    const auto& d = colores[static_cast<std::size_t>(g)];
    return (d[rojo][e] & 0xFF) + (d[verde][e] & 0xFF) * 256 + (d[azul][e] & 0xFF) * 65536;
}

QRgb paletaColores::colorQt(int g, int e) const {
    return colorQtDeToolkit(static_cast<std::uint32_t>(color(g, e)));
}

QRgb colorQtDeToolkit(std::uint32_t c) {
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}
