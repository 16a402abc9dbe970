#pragma once
// Text of the minimum/maximum labels beside a map's colour key and under the
// colour bar: the program's default real-to-text conversion, shared by the main
// window and the command line's pictures.
#include <string>

// General format with up to 15 significant digits of the value widened to double,
// trailing zeros dropped: fixed notation for 1E-5 <= |v| < 1E15 ("0", "1", "2.5",
// "0.100000001490116", "-3", "0.00001"), otherwise scientific with a capital E and
// no leading zeros or plus sign in the exponent ("1E-6", "1.5E20"); "NAN", "INF", "-INF".
std::string textoEtiqueta(float v);
