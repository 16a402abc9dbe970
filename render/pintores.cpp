#include "render/pintores.h"

#include <QtGui/QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

// Whole pixel of a table position, truncated toward zero; kept in int range.
int trunca(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9));
}

// Gradient entry of a scaled value, truncated and clamped to 0..254.
int entrada(long double p) {
    if (!(p > 0)) return 0;
    if (p >= 254) return 254;
    return static_cast<int>(p);
}

int degradadoValido(int g) { return std::clamp(g, 0, paletaColores::numDegradados - 1); }

// The 255 colours of one gradient, ready for Qt.
std::vector<QRgb> colores(const paletaColores& paleta, int degradado) {
    std::vector<QRgb> c(paletaColores::numEntradas);
    for (int e = 0; e < paletaColores::numEntradas; ++e) c[e] = paleta.colorQt(degradado, e);
    return c;
}

// Filled rectangles on a QImage, clipped to it. 32-bit images are written in
// place; anything else goes through QPainter.
class Lienzo {
public:
    explicit Lienzo(QImage& imagen) : imagen_(imagen) {
        const auto f = imagen.format();
        directo_ = f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                   f == QImage::Format_ARGB32_Premultiplied;
        if (!directo_ && !imagen.isNull()) pintor_.emplace(&imagen_);
    }

    // (x0, y0) inclusive to (x1, y1) exclusive.
    void rellena(long long x0, long long y0, long long x1, long long y1, QRgb color) {
        x0 = std::max<long long>(x0, 0);
        y0 = std::max<long long>(y0, 0);
        x1 = std::min<long long>(x1, imagen_.width());
        y1 = std::min<long long>(y1, imagen_.height());
        if (x0 >= x1 || y0 >= y1) return;
        if (!directo_) {
            if (pintor_)
                pintor_->fillRect(QRect(int(x0), int(y0), int(x1 - x0), int(y1 - y0)),
                                  QColor::fromRgb(color));
            return;
        }
        for (long long y = y0; y < y1; ++y) {
            auto* linea = reinterpret_cast<QRgb*>(imagen_.scanLine(int(y)));
            std::fill(linea + x0, linea + x1, color);
        }
    }

private:
    QImage& imagen_;
    bool directo_ = false;
    std::optional<QPainter> pintor_;
};

bool enRegion(const std::vector<int>& region, int r) { return region[r] == 1; }

// The cell loop shared by the map painters. entradaDe(r) gives the gradient entry
// of region row r, or -1 to leave the cell unpainted.
template <class EntradaDe>
void cicloCeldas(const paletaColores& paleta, QImage& imagen, const TImagenN<int>& covariables,
                 const TImagenN<float>& posiciones, int degradado, int columnasMapa,
                 EntradaDe entradaDe) {
    if (columnasMapa < 1 || covariables.columnas < 1 || posiciones.columnas < 2) return;
    const auto paletaQt = colores(paleta, degradadoValido(degradado));
    const auto& region = covariables.datos[covariables.columnas - 1];
    const auto& x = posiciones.datos[0];
    const auto& y = posiciones.datos[1];
    const long long filasPos = posiciones.renglones;
    Lienzo lienzo(imagen);
    int w = 1;  // no previous cell yet
    for (int r = 0; r < covariables.renglones; ++r) {
        if (!enRegion(region, r)) continue;
        if (r + static_cast<long long>(columnasMapa) >= filasPos) break;
        const int e = entradaDe(r);
        const float dx = x[r + 1] - x[r];
        if (dx > 0) w = std::max(1, trunca(dx));
        const int h = std::max(1, trunca(y[r + columnasMapa] - y[r]));
        if (e < 0) continue;
        const long long x0 = trunca(x[r]), y0 = trunca(y[r]);
        lienzo.rellena(x0, y0, x0 + w, y0 + h, paletaQt[e]);
    }
}

template <class T>
const std::vector<T>* columnaDe(const TImagenN<T>& valores, int columna) {
    if (columna < 0 || columna >= valores.columnas) return nullptr;
    return &valores.datos[columna];
}

}  // namespace

void pintaAbsoluto(const paletaColores& paleta, QImage& imagen,
                   const TImagenN<long double>& valores, int columna,
                   const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int degradado, int columnasMapa) {
    const auto* v = columnaDe(valores, columna);
    if (!v) return;
    const long double factor = 2.54f;
    cicloCeldas(paleta, imagen, covariables, posiciones, degradado, columnasMapa, [&](int r) {
        if (r >= valores.renglones) return -1;
        return entrada((*v)[r] * 100 * factor);
    });
}

template <class T>
void pintaRelativo(paletaColores& paleta, QImage& imagen, const TImagenN<T>& valores, int columna,
                   const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int degradado, int columnasMapa, int modo) {
    const auto* v = columnaDe(valores, columna);
    long double mayor = -1, menor = 999999;
    if (v && covariables.columnas >= 1) {
        const auto& region = covariables.datos[covariables.columnas - 1];
        const int filas = std::min(covariables.renglones, valores.renglones);
        for (int r = 0; r < filas; ++r) {
            if (!enRegion(region, r)) continue;
            const long double x = (*v)[r];
            if (x > mayor) mayor = x;
            if (x < menor) menor = x;
        }
    }
    paleta.maximo = static_cast<float>(mayor);
    paleta.minimo = static_cast<float>(menor);
    if (!v) return;

    float escala;
    if (modo == 2)
        escala = static_cast<float>(254 * (1.0 / 3.0));
    else
        escala = (paleta.maximo - paleta.minimo != 0) ? 254 / paleta.maximo : 0.0f;

    // The product is formed in extended precision whatever the grid's type: class 3
    // times 84.666664f is 253.99999237 (entry 253), which single precision would
    // round up to 254.
    cicloCeldas(paleta, imagen, covariables, posiciones, degradado, columnasMapa, [&](int r) {
        if (r >= valores.renglones) return -1;
        return entrada(static_cast<long double>((*v)[r]) * static_cast<long double>(escala));
    });
}

template void pintaRelativo<long double>(paletaColores&, QImage&, const TImagenN<long double>&,
                                         int, const TImagenN<int>&, const TImagenN<float>&, int,
                                         int, int);
template void pintaRelativo<int>(paletaColores&, QImage&, const TImagenN<int>&, int,
                                 const TImagenN<int>&, const TImagenN<float>&, int, int, int);
template void pintaRelativo<float>(paletaColores&, QImage&, const TImagenN<float>&, int,
                                   const TImagenN<int>&, const TImagenN<float>&, int, int, int);

void pintaUniforme(const paletaColores& paleta, QImage& imagen, const TImagenN<int>& covariables,
                   const TImagenN<float>& posiciones, int degradado, int columnasMapa) {
    cicloCeldas(paleta, imagen, covariables, posiciones, degradado, columnasMapa,
                [](int) { return 254; });
}

bool empiezaEnBlanco(const paletaColores& paleta, int degradado) {
    const QRgb c = paleta.colorQt(degradado, 0);
    return qRed(c) >= 230 && qGreen(c) >= 230 && qBlue(c) >= 230;
}

void pintaContorno(QImage& imagen, const TImagenN<int>& covariables, const TImagenN<float>& posiciones,
                   int columnasMapa, QRgb color) {
    if (imagen.isNull()) return;
    // The region's pixels, painted the way the maps place their cells.
    const paletaColores paleta;
    QImage mascara(imagen.size(), QImage::Format_RGB32);
    const QRgb fuera = qRgb(255, 255, 255);
    mascara.fill(fuera);
    pintaUniforme(paleta, mascara, covariables, posiciones, 0, columnasMapa);
    const int w = imagen.width(), h = imagen.height();
    auto dentro = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && mascara.pixel(x, y) != fuera; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (dentro(x, y) && !(dentro(x - 1, y) && dentro(x + 1, y) && dentro(x, y - 1) && dentro(x, y + 1)))
                imagen.setPixel(x, y, color);
}

void pintaSitios(const TImagenN<float>& posiciones, const TImagenN<float>& coordenadas,
                 const TImagenN<float>& sitios, const TImagenN<AnsiString>& especies,
                 QImage& imagen, int especieSeleccionada, int numEspecies) {
    if (imagen.isNull() || sitios.columnas < 2 || especies.columnas < 1 ||
        coordenadas.columnas < 2 || posiciones.columnas < 2)
        return;
    const auto& cx = coordenadas.datos[0];
    const auto& cy = coordenadas.datos[1];
    const int filas = coordenadas.renglones;
    // Smallest y up to each row: the first row whose y is below a value is the
    // first place where this running minimum drops below it.
    std::vector<float> minimoY(static_cast<std::size_t>(filas));
    float m = std::numeric_limits<float>::infinity();
    for (int r = 0; r < filas; ++r) {
        if (cy[r] < m) m = cy[r];
        minimoY[r] = m;
    }

    const bool pintable = imagen.format() != QImage::Format_Indexed8 &&
                          imagen.format() != QImage::Format_Mono &&
                          imagen.format() != QImage::Format_MonoLSB;
    if (!pintable) return;
    QPainter pintor(&imagen);
    pintor.setRenderHint(QPainter::Antialiasing, false);
    pintor.setPen(QPen(Qt::black, 1));
    pintor.setBrush(Qt::white);  // a canvas's brush before any species

    const int paso = numEspecies > 0 ? 127 / numEspecies : 0;
    int g = 127;
    AnsiString previo = " ";
    const int n = std::min(sitios.renglones, especies.renglones);
    for (int s = 0; s < n; ++s) {
        const AnsiString& nombre = especies.datos[0][s];
        if (nombre != previo) {
            if (especieSeleccionada == 0) {
                pintor.setBrush(QColor(0, g % 256, 0));
                g += paso;
            } else {
                ++g;
                if (g - 127 == especieSeleccionada)
                    pintor.setBrush(QColor(0, (especieSeleccionada * paso + 127) % 256, 0));
                else
                    pintor.setBrush(Qt::NoBrush);
            }
            previo = nombre;
        }
        const float sx = sitios.datos[0][s], sy = sitios.datos[1][s];
        const auto t1 = std::partition_point(minimoY.begin(), minimoY.end(),
                                             [sy](float m) { return !(m < sy); });
        if (t1 == minimoY.end()) continue;
        int t2 = static_cast<int>(t1 - minimoY.begin());
        while (t2 < filas && !(cx[t2] > sx)) ++t2;
        if (t2 >= filas || t2 >= posiciones.renglones) continue;
        const int px = trunca(posiciones.datos[0][t2]), py = trunca(posiciones.datos[1][t2]);
        pintor.drawEllipse(QRect(px, py, 4, 4));
    }
}

void pintaLlave(const paletaColores& paleta, QImage& imagen, int degradado, int orientacion) {
    const int W = imagen.width(), H = imagen.height();
    if (imagen.isNull()) return;
    const int g = degradadoValido(degradado);
    const auto c = colores(paleta, g);
    Lienzo lienzo(imagen);
    if (orientacion == 0) {
        const int columnas = H - 122;
        for (int x = 0; x < columnas; ++x) {
            const int e = entrada(static_cast<double>(x) / columnas * 255);
            lienzo.rellena(x, 0, x + 1, W, c[e]);
        }
        return;
    }
    for (int y = 0; y < H; ++y) {
        const int fila = g == 7 ? y : H - 1 - y;
        const int e = entrada(static_cast<double>(fila) / H * 255);
        lienzo.rellena(0, y, W, y + 1, c[e]);
    }
}
