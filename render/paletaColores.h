#pragma once
// Colour gradients of every map, colour key and uniform surface.
//
// Eight gradients (0..7) of 255 entries each (0 = lowest value, 254 = highest),
// stored as three channel arrays of signed integers. A colour is composed as
// red + green*256 + blue*65536 from the low 8 bits of each channel, which is the
// old toolkit's colour integer (red in the LOW byte). Two gradients store channel
// values outside 0..255 on purpose; only their low 8 bits show:
//   gradient 2 entry 254 stores red -2 and shows (254, 254, 0);
//   gradient 3 entries 128..254 store green 256..508 and show green 0..252.
// Gradient 7 (bands white, green, amber, dark red) is the prior map's and has no
// item in the colour chooser; every painter accepts it.
#include <array>
#include <cstdint>

#include <QtGui/qrgb.h>

class paletaColores {
public:
    static constexpr int numDegradados = 8;
    static constexpr int numEntradas = 255;
    enum Canal { rojo = 0, verde = 1, azul = 2 };

    // Largest and smallest value of the last relative painting (not set by the
    // constructor; the main window labels the key with them).
    float maximo = 0;
    float minimo = 0;
    // colores[g][canal][e]
    std::array<std::array<std::array<std::int32_t, numEntradas>, 3>, numDegradados> colores{};

    paletaColores();

    // Old-toolkit colour integer (red + green*256 + blue*65536) of gradient g, entry e.
    // g and e are clamped to their ranges.
    std::int32_t color(int g, int e) const;
    // The same colour as Qt's QRgb (opaque).
    QRgb colorQt(int g, int e) const;
};

// Converts an old-toolkit colour integer (red in the low byte, blue in the third,
// e.g. 0xFF0000 is pure blue) to Qt's QRgb (opaque, red in the high byte).
QRgb colorQtDeToolkit(std::uint32_t colorToolkit);
