#include "render/etiquetas.h"

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

std::string textoEtiqueta(float v) {
    const double d = v;
    if (std::isnan(d)) return "NAN";
    if (std::isinf(d)) return d > 0 ? "INF" : "-INF";
    if (d == 0) return "0";

    // 15 significant digits: one before the point and 14 after, then the exponent.
    std::ostringstream s;
    s << std::scientific << std::setprecision(14) << std::fabs(d);
    const std::string t = s.str();
    const auto posE = t.find('e');
    std::string cifras = t.substr(0, 1) + t.substr(2, posE - 2);
    const int exponente = std::atoi(t.c_str() + posE + 1);
    while (cifras.size() > 1 && cifras.back() == '0') cifras.pop_back();

    std::string r = d < 0 ? "-" : "";
    if (exponente < -5 || exponente >= 15) {
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
