#include "render/graficas.h"

#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <algorithm>
#include <cmath>

#include "render/etiquetas.h"

namespace {

constexpr int kMargenIzquierdo = 60;
constexpr int kMargenDerecho = 20;
constexpr int kMargenArriba = 36;
constexpr int kMargenAbajo = 48;
constexpr int kPixelesTexto = 12;

// Colours of successive curves.
const QColor kColores[] = {QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44), QColor(214, 39, 40),
                           QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(23, 190, 207)};

// The plotting area of a picture after the margins of labels and title.
struct Marco {
    QRectF area;
    double xMin, xMax, yMin, yMax;
    QPointF punto(double x, double y) const {
        const double fx = xMax > xMin ? (x - xMin) / (xMax - xMin) : 0.5;
        const double fy = yMax > yMin ? (y - yMin) / (yMax - yMin) : 0.5;
        return {area.left() + fx * area.width(), area.bottom() - fy * area.height()};
    }
};

QString qs(const std::string& s) { return QString::fromStdString(s); }

// White background, title, axes, their extremes and names.
Marco dibujaMarco(QImage& imagen, QPainter& p, const TextosGrafica& t, double xMin, double xMax, double yMin,
                  double yMax, bool etiquetasX, int abajo = kMargenAbajo) {
    imagen.fill(Qt::white);
    QFont letra;
    letra.setPixelSize(kPixelesTexto);
    p.setFont(letra);
    p.setPen(Qt::black);
    const Marco m{QRectF(kMargenIzquierdo, kMargenArriba, imagen.width() - kMargenIzquierdo - kMargenDerecho,
                         imagen.height() - kMargenArriba - abajo),
                  xMin, xMax, yMin, yMax};
    p.drawText(QRectF(0, 4, imagen.width(), kMargenArriba - 8), Qt::AlignCenter, qs(t.titulo));
    p.drawLine(m.area.bottomLeft(), m.area.bottomRight());
    p.drawLine(m.area.bottomLeft(), m.area.topLeft());
    const QFontMetrics medidas(letra);
    const auto etiquetaY = [&](double v) {
        const QString s = qs(textoEtiqueta(v));
        const QPointF q = m.punto(xMin, v);
        p.drawText(QPointF(m.area.left() - 6 - medidas.horizontalAdvance(s), q.y() + medidas.ascent() / 2.0), s);
    };
    etiquetaY(yMin);
    etiquetaY(yMax);
    if (etiquetasX) {
        for (double v : {xMin, xMax}) {
            const QString s = qs(textoEtiqueta(v));
            const QPointF q = m.punto(v, yMin);
            p.drawText(QPointF(q.x() - medidas.horizontalAdvance(s) / 2.0, m.area.bottom() + 4 + medidas.ascent()), s);
        }
    }
    p.drawText(QRectF(m.area.left(), imagen.height() - medidas.height() - 4, m.area.width(), medidas.height()),
               Qt::AlignCenter, qs(t.ejeX));
    p.save();
    p.translate(14, m.area.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-m.area.height() / 2, -medidas.ascent(), m.area.height(), medidas.height()), Qt::AlignCenter,
               qs(t.ejeY));
    p.restore();
    return m;
}

}  // namespace

void pintaCurvas(QImage& imagen, const std::vector<CurvaGrafica>& curvas, const TextosGrafica& textos, double xMin,
                 double xMax, double yMin, double yMax, bool diagonal) {
    QPainter p(&imagen);
    const Marco m = dibujaMarco(imagen, p, textos, xMin, xMax, yMin, yMax, true);
    p.setRenderHint(QPainter::Antialiasing);
    if (diagonal) {
        p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        p.drawLine(m.punto(xMin, yMin), m.punto(xMax, yMax));
    }
    std::size_t color = 0;
    for (const CurvaGrafica& c : curvas) {
        p.setPen(QPen(kColores[color++ % std::size(kColores)], 1.5));
        QPainterPath camino;
        bool abierto = false;
        for (std::size_t i = 0; i < c.x.size() && i < c.y.size(); ++i) {
            if (!std::isfinite(c.x[i]) || !std::isfinite(c.y[i])) {
                abierto = false;
                continue;
            }
            const QPointF q = m.punto(c.x[i], std::clamp(c.y[i], yMin, yMax));
            if (abierto)
                camino.lineTo(q);
            else
                camino.moveTo(q);
            abierto = true;
            // A point between two gaps shows too.
            camino.addEllipse(q, 1.5, 1.5);
            camino.moveTo(q);
        }
        p.drawPath(camino);
    }
}

void pintaBarras(QImage& imagen, const std::vector<std::string>& etiquetas, const std::vector<double>& valores,
                 const TextosGrafica& textos) {
    double mayor = 0;
    for (double v : valores)
        if (std::isfinite(v)) mayor = std::max(mayor, v);
    if (mayor == 0) mayor = 1;
    QFont letra;
    letra.setPixelSize(kPixelesTexto);
    const QFontMetrics medidas(letra);
    int largo = 0;
    for (const std::string& e : etiquetas) largo = std::max(largo, medidas.horizontalAdvance(qs(e)));
    const std::size_t n = std::max<std::size_t>(valores.size(), 1);
    const double ancho = (imagen.width() - kMargenIzquierdo - kMargenDerecho) / static_cast<double>(n);
    const bool giradas = largo + 4 > ancho;
    QPainter p(&imagen);
    const Marco m = dibujaMarco(imagen, p, textos, 0, static_cast<double>(n), 0, mayor, false,
                                kMargenAbajo + (giradas ? std::min(largo, imagen.height() / 3) : 0));
    for (std::size_t i = 0; i < valores.size(); ++i) {
        const double x0 = m.area.left() + ancho * static_cast<double>(i);
        if (std::isfinite(valores[i])) {
            const QPointF arriba = m.punto(0, valores[i]);
            p.fillRect(QRectF(x0 + ancho * 0.1, arriba.y(), ancho * 0.8, m.area.bottom() - arriba.y()), kColores[0]);
        }
        if (i >= etiquetas.size()) continue;
        const QString s = qs(etiquetas[i]);
        if (!giradas) {
            p.drawText(QRectF(x0, m.area.bottom() + 2, ancho, medidas.height()), Qt::AlignCenter, s);
            continue;
        }
        p.save();
        p.translate(x0 + ancho / 2 + medidas.ascent() / 2.0, m.area.bottom() + 4);
        p.rotate(-90);
        p.drawText(QPointF(-medidas.horizontalAdvance(s), 0), s);
        p.restore();
    }
}
