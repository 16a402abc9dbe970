#pragma once
// Plots of a model evaluation painted into a picture: curves (ROC, Boyce)
// and bars (covariate importance, response by category). Each painter
// clears the picture to white, draws the axes with their extremes and the
// title, then the data. Text needs a QGuiApplication.
#include <QtGui/QImage>

#include <string>
#include <vector>

// A curve: its points in order, each marked with a dot; a NaN value breaks
// the line.
struct CurvaGrafica {
    std::vector<double> x, y;
};

// Titles of a plot and of its axes.
struct TextosGrafica {
    std::string titulo, ejeX, ejeY;
};

// Curves over fixed axis ranges; with `diagonal`, the line y = x in grey
// (the ROC curve of a random model).
void pintaCurvas(QImage& imagen, const std::vector<CurvaGrafica>& curvas, const TextosGrafica& textos,
                 double xMin, double xMax, double yMin, double yMax, bool diagonal);

// Vertical bars from 0, one per value, labelled below (labels turned when
// they do not fit); the value axis runs to the largest value.
void pintaBarras(QImage& imagen, const std::vector<std::string>& etiquetas, const std::vector<double>& valores,
                 const TextosGrafica& textos);
