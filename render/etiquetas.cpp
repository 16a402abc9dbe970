#include "render/etiquetas.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string textoEtiqueta(double d) {
    if (std::isnan(d)) return "NAN";
    if (std::isinf(d)) return d > 0 ? "INF" : "-INF";
    if (d == 0) return "0";

    // Four significant digits after rounding: "d.ddde±x". The exponent is read
    // after the rounding, so 9.9996E-4 becomes 0.001.
    char b[64];
    std::snprintf(b, sizeof b, "%.3e", std::fabs(d));
    std::string cifras{b[0], b[2], b[3], b[4]};
    const int exponente = std::atoi(b + 6);
    while (cifras.size() > 1 && cifras.back() == '0') cifras.pop_back();

    std::string r = d < 0 ? "-" : "";
    if (exponente < -3) {
        r += cifras[0];
        if (cifras.size() > 1) {
            r += '.';
            r.append(cifras, 1);
        }
        r += 'E';
        r += std::to_string(exponente);
    } else if (exponente < 0) {
        r += "0.";
        r.append(static_cast<std::size_t>(-exponente - 1), '0');
        r += cifras;
    } else {
        const auto enteros = static_cast<std::size_t>(exponente) + 1;
        if (cifras.size() <= enteros) {
            r += cifras;
            r.append(enteros - cifras.size(), '0');
        } else {
            r.append(cifras, 0, enteros);
            r += '.';
            r.append(cifras, enteros);
        }
    }
    return r;
}
