#pragma once
// Painters of maps, presence sites and colour keys.
//
// They draw into a QImage; 32-bit images (QImage::Format_RGB32, ARGB32 or
// ARGB32_Premultiplied) are written directly, other paintable formats through
// QPainter. Nothing outside the image is touched (rectangles are clipped), and
// pixels a painter does not paint keep what the image held before, so clear the
// map first (e.g. imagen.fill(Qt::white)). No QGuiApplication is needed.
//
// Cell loop of the map painters, over rows r of `covariables` whose last
// (region) column holds 1, with the pixel table `posiciones` (rows x 2, from
// ubicaMapa) and `columnasMapa`:
//   - painting stops at the first region row with no row r + columnasMapa in the
//     pixel table (the last map row is not painted);
//   - width  w = trunc(x[r+1] - x[r]) when that difference is positive, otherwise
//     the width of the previous painted cell (1 for the first one);
//   - height h = trunc(y[r+columnasMapa] - y[r]);
//   - w and h are at least 1, so a region with more cells than pixels leaves no gaps;
//   - the rectangle (trunc x[r], trunc y[r]) .. (+w, +h), right/bottom exclusive,
//     is filled with the cell's gradient entry.
// Gradient entries are clamped to 0..254 (values above the scale, maxima of 0 or
// below, NaN -> 0). Rows beyond the value grid, or a column it does not have,
// are not painted.
#include <QtGui/QImage>

#include "data/TImagenN.h"
#include "render/paletaColores.h"

// Absolute scale: entry = trunc(v * 100 * 2.54f) (1 -> 253, 0.5 -> 126).
// Predictive and certainty maps.
void pintaAbsoluto(const paletaColores& paleta, QImage& imagen,
                   const TImagenN<long double>& valores, int columna,
                   const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int degradado, int columnasMapa);

// Relative scale. First records, over the region rows, the largest value
// (starting from -1) and the smallest (starting from 999999) in paleta.maximo /
// paleta.minimo (single precision; -1 and 999999 when no row is in the region).
// Then entry = trunc(v * scale), scale held in single precision:
//   modo 2 (prior classes 0..3): scale = 254 * 1/3 -> entries 0, 84, 169, 253;
//   any other modo: scale = 254 / maximo when maximo - minimo != 0, else 0
//   (the minimum is not subtracted; a flat surface paints entry 0).
// The product v * scale is taken in extended precision for every grid type.
// Instantiated for long double (results), int (covariate classes, prior classes,
// modo 2) and float (bias surface, modo 1).
template <class T>
void pintaRelativo(paletaColores& paleta, QImage& imagen, const TImagenN<T>& valores, int columna,
                   const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int degradado, int columnasMapa, int modo = 0);

// Every region cell in entry 254 (uniform bias and uniform prior).
void pintaUniforme(const paletaColores& paleta, QImage& imagen, const TImagenN<int>& covariables,
                   const TImagenN<float>& posiciones, int degradado, int columnasMapa);

// Whether gradient `degradado` starts at (nearly) white: low values of such a
// map vanish into the white page unless the region is outlined.
bool empiezaEnBlanco(const paletaColores& paleta, int degradado);

// A thin outline of the region: every pixel of a region cell (as the cell loop
// places them) that touches a pixel of no region cell or the picture's edge is
// set to `color`. Other pixels keep what they held.
void pintaContorno(QImage& imagen, const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int columnasMapa, QRgb color);

// One circle per presence site, inscribed in the 5 x 5 pixels from (px, py), with a
// black outline. The cell is found in `coordenadas` (table order): the first row
// whose y is below the site's y, then the first row from there whose x is right of
// the site's x; (px, py) is that row's pixel. A site with no such row is skipped.
// `sitios` columns 0 and 1 are x and y; `especies` column 0 the species name of
// each site (sites sorted by species). Fill: with especieSeleccionada 0 species k
// (from 1, in run order) gets green 127 + (k-1) * (127 div numEspecies); with
// species q selected only its sites are filled (green q * step + 127, mod 256)
// and the others are outlines without fill.
void pintaSitios(const TImagenN<float>& posiciones, const TImagenN<float>& coordenadas,
                 const TImagenN<float>& sitios, const TImagenN<AnsiString>& especies,
                 QImage& imagen, int especieSeleccionada, int numEspecies);

// Colour key, every pixel written, with W x H the image size:
//   orientacion 0 (colour bar of the colour panel): columns x = 0 .. H-123, entry
//     trunc(x / (H-122) * 255), rows 0 .. W-1 (clipped to the image): a 420 x 300
//     picture gets 178 columns from entry 0 to 253;
//   otherwise vertical: gradient 7 runs top-down (row y: trunc(y / H * 255));
//     other gradients bottom-up (row y: trunc((H-1-y) / H * 255)): a 177-row key
//     has entry 0 in the bottom row and 253 in the top row.
void pintaLlave(const paletaColores& paleta, QImage& imagen, int degradado, int orientacion);
