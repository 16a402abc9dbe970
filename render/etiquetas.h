#pragma once
// Text of a number shown for reading: the labels beside a map's colour key and
// under the colour bar, the values under the mouse, and the command line's
// pictures. Files never use it.
#include <string>

// At most 4 significant digits, rounded half away from zero as printf does,
// trailing zeros dropped. Fixed notation from 1E-3 up ("0", "1", "2.5", "0.1",
// "0.07395", "0.001", "1235000"); below that scientific with a capital E and
// no leading zeros or plus sign in the exponent ("3.215E-5", "-1E-4"); "NAN",
// "INF", "-INF".
std::string textoEtiqueta(double v);
