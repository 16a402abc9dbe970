#pragma once
// Result maps as PNG pictures for `quel-cli predict --png`.
//
// Available when the program is built with Qt's GUI module (QUEL_CON_IMAGENES
// is defined for quelclilib then). Each picture is the map as the main window
// draws it: an 800 x 600 map bitmap cleared to white with the cells of the
// study region painted (placement from the coordinates, cell loop of the
// painters), followed on the right by a white strip holding the vertical
// colour key (20 x 177) with its two labels, maximum above and minimum below.
//
//   predictive.png       predictive result, absolute scale, gradient 0, labels "0" and "1"
//   certainty.png        certainty result,  absolute scale, gradient 4, labels "0" and "1"
//   prior_potential.png  prior potential,   relative scale, gradient 2, labels = the
//                        minimum and maximum found by the relative painting
//
// Text is drawn with Qt's font machinery, which needs a QGuiApplication: one is
// created on first use when the process has none (with the "offscreen" platform
// unless QT_QPA_PLATFORM says otherwise) and lives until the process ends.
// Must be called from the main thread.
#include <filesystem>
#include <string>

#include "data/TImagenN.h"

struct ResumenEvaluacion;

namespace cli {

// Writes the three pictures into `carpeta` (which must exist), replacing files of
// the same names. `coordenadas` is the covariate table's (rows x 2: x, y);
// `covariables` its category grid whose last column is the region flag; the three
// result grids have one row per covariate-table row (column 0 is painted).
// Returns false with a one-line reason in `error` when the grids do not match or a
// file cannot be written; files already written are left in place.
bool escribeMapasPNG(const std::filesystem::path& carpeta, const TImagenN<float>& coordenadas,
                     const TImagenN<int>& covariables, const TImagenN<long double>& predictiva,
                     const TImagenN<long double>& certidumbre,
                     const TImagenN<long double>& potPriori, std::string& error);

// The plots of an evaluation (`quel-cli evaluate --png`), 800 x 600 each, per
// species: roc_SPECIES.png (one curve per fold), boyce_SPECIES.png (the
// predicted/expected ratio of each fold's windows), importance_SPECIES.png
// and response_SPECIES.png (bars of the mean predictive probability of every
// category, labelled COVARIATE:CATEGORY). False with a reason in `error` when
// a picture cannot be written.
bool escribeGraficasPNG(const std::filesystem::path& carpeta, const ResumenEvaluacion& evaluacion,
                        std::string& error);

}  // namespace cli
