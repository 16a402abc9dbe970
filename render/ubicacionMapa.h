#pragma once
// Where each covariate-table row's cell lies on the map bitmap, and the sizes of
// the pictures the main window and the command line draw into.
//
// Computed once per covariate load and shared by every map drawing:
//   1. minimum and maximum x and y over the coordinates of all rows but the last
//      (a one-row table uses its only row);
//   2. drawing width and height = bitmap width and height minus `margenMapa`;
//   3. scale = drawing size / coordinate range, in single precision (0 when the
//      range is 0: a region of one row or one column sits at pixel 0 on that axis);
//   4. pixel x = redondea((x - min x) * scale x), pixel y = redondea((max y - y) * scale y)
//      (north is up; pixels are the top-left corners of the cells);
//   5. columnasMapa = number of leading rows whose y equals row 0's (all rows when
//      none differs, 0 for an empty table).
#include "data/TImagenN.h"

// Map bitmap (`ImageMapa`, also the map part of the command line's PNG pictures).
constexpr int anchoMapa = 800;
constexpr int altoMapa = 600;
// Pixels of the map bitmap left free right of and below the drawing area.
constexpr int margenMapa = 50;
// Vertical colour key beside the map (`ImageLlave`).
constexpr int anchoLlave = 20;
constexpr int altoLlave = 177;
// Colour bar of the colour panel (`ImageRangoColor`).
constexpr int anchoRangoColor = 420;
constexpr int altoRangoColor = 300;

struct UbicacionMapa {
    // One row per coordinate row; column 0 pixel x, column 1 pixel y.
    TImagenN<float> pixeles;
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    int anchoDibujo = 0, altoDibujo = 0;
    int columnasMapa = 0;
};

// `coordenadas`: rows x 2 (x, y) as loaded with the covariate table.
// anchoBitmap/altoBitmap: size of the map bitmap (e.g. anchoMapa x altoMapa).
UbicacionMapa ubicaMapa(const TImagenN<float>& coordenadas, int anchoBitmap, int altoBitmap);
