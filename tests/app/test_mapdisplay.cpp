// The map display driven through the real commands: the map after each load
// and map command, its caption, colour key labels and pixels, gradient
// preview versus change, and the values under the mouse.
#include "render/etiquetas.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// Centre of the cell of map column x, map row `fila` of the 4 x 4 test region
// on the 800 x 600 bitmap (cells 250 x 183 pixels from the top-left corner;
// the last column is cut by the bitmap's edge at 800).
QPoint centro(int x, int fila) { return {x == 3 ? 775 : 250 * x + 125, fila == 0 ? 90 : (fila == 1 ? 275 : 458)}; }
// Row of the covariate table of the cell at x 1, map row 1 (x 1, y 2, bias 0.3, prior class 1).
constexpr int kFila = 5;

QImage imagen(const Programa& q, const char* nombre) { return q.w<quel::TImagen>(nombre)->bitmap(); }
QRgb pixel(const Programa& q, QPoint p = centro(1, 1)) { return imagen(q, "ImageMapa").pixel(p); }
QRgb color(const Programa& q, int gradiente, int entrada) { return q.p->paleta.colorQt(gradiente, entrada); }
QString etiqueta(double v) { return QString::fromStdString(textoEtiqueta(v)); }
QString texto(const Programa& q, const char* nombre) { return q.w<QLineEdit>(nombre)->text(); }
int gradiente(const Programa& q) { return q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(); }
// Entry of a value on the absolute scale 0..1.
int absoluta(long double v) { return std::clamp(static_cast<int>(v * 100 * 2.54f), 0, 254); }

// The colour bar's ends and the key's top row, in `g`'s colours.
void barraYLlave(const Programa& q, int g, int llave) {
    QCOMPARE(imagen(q, "ImageRangoColor").pixel(0, 5), color(q, g, 0));
    QCOMPARE(imagen(q, "ImageRangoColor").pixel(177, 5), color(q, g, 253));
    QCOMPARE(imagen(q, "ImageLlave").pixel(10, 0), color(q, llave, 253));
}

// Mouse move over the map at bitmap point `p`, in the control's own pixels.
void mueveA(const Programa& q, QPoint p) {
    quel::TImagen* m = q.w<quel::TImagen>("ImageMapa");
    const QPointF enControl((p.x() * m->width() + m->width() - 1) / 800, (p.y() * m->height() + m->height() - 1) / 600);
    QMouseEvent e(QEvent::MouseMove, enControl, m->mapToGlobal(enControl), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m, &e);
}

QRgb barra(const Programa& q, const char* nombre, int x) { return imagen(q, nombre).pixel(x, 12); }

// The colour bar's and the key's labels: "min max | min max".
QString rotulos(const Programa& q) {
    const auto t = [&](const char* n) { return q.w<QLabel>(n)->text(); };
    return QStringLiteral("%1 %2 | %3 %4").arg(t("LabelMinimo"), t("LabelMaximo"), t("LabelMinLlave"), t("LabelMaxLlave"));
}

}  // namespace

class PruebaMapas : public QObject {
    Q_OBJECT
private slots:
    void mapasDeCovariablesYUniformes() {
        Programa q;
        q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
        QVERIFY(!q.w<quel::TImagen>("ImageMapa")->isHidden() && !q.w<quel::TImagen>("ImageLlave")->isHidden() && q.w<QTableWidget>("StringGridDatos")->isHidden());
        QCOMPARE(imagen(q, "ImageMapa").size(), QSize(800, 600));
        QCOMPARE(q.p->columnasMapa, 4);
        // Classes 1 and 2 of the first covariate: labels and key from the palette.
        QCOMPARE(rotulos(q), QStringLiteral("1 2 | 1 2"));
        QCOMPARE(gradiente(q), 0);
        // Scale 254 / 2: class 1 -> entry 127, class 2 -> 254.
        QCOMPARE(pixel(q), color(q, 0, 127));
        QCOMPARE(pixel(q, centro(0, 1)), color(q, 0, 254));
        // Outside the region, the last map row and the margin stay white.
        QCOMPARE(pixel(q, centro(3, 0)), qRgb(255, 255, 255));
        QCOMPARE(pixel(q, QPoint(100, 580)), qRgb(255, 255, 255));
        // The key: entry 0 at the bottom row, 253 at the top; the colour bar left to right.
        QCOMPARE(imagen(q, "ImageLlave").pixel(10, 176), color(q, 0, 0));
        barraYLlave(q, 0, 0);
        // Uniform surfaces: the top entry of their gradients everywhere.
        q.cargaSesgo();
        QCOMPARE(rotulos(q), QStringLiteral("Min Max | Min Max"));
        QCOMPARE(pixel(q), color(q, 1, 254));
        q.cargaPriori();
        QCOMPARE(rotulos(q), QStringLiteral("Min Max | Ausencia Presencia"));
        QCOMPARE(pixel(q), color(q, 7, 254));
    }

    void mapasDeSesgoPrioriYSitios() {
        Programa q;
        q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
        q.cargaSesgo(q.entrada(QStringLiteral("sesgo.txt"), prueba::tablaSesgo()));
        QCOMPARE(gradiente(q), 1);
        QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | %1 %2").arg(etiqueta(0.05f), etiqueta(0.8f)));
        // Row 5 holds 0.3: entry trunc(0.3 * (254 / 0.8)) in single precision.
        QCOMPARE(pixel(q), color(q, 1, static_cast<int>(0.3f * (254.0f / 0.8f))));

        q.cargaPriori(q.entrada(QStringLiteral("priori.txt"), prueba::tablaPriori()));
        // The colour bar's labels are left as they were.
        QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | Ausencia Presencia").arg(etiqueta(0.05f), etiqueta(0.8f)));
        QCOMPARE(gradiente(q), -1);  // gradient 7 has no item
        // Classes 0, 1, 2, 3 -> entries 0, 84, 169, 253 of the prior gradient; the key runs from the top.
        const int entradas[] = {0, 84, 169, 253};
        for (int x = 0; x < 4; ++x) QCOMPARE(pixel(q, centro(x, 1)), color(q, 7, entradas[x]));
        QCOMPARE(imagen(q, "ImageLlave").pixel(10, 0), color(q, 7, 0));

        q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
        // The covariate map under the sites, and the first species' marker at
        // the cell right of and below its site (row 5's corner).
        QCOMPARE(pixel(q, centro(2, 0)), color(q, 0, 127));
        QCOMPARE(pixel(q, QPoint(252, 185)), qRgb(0, 127, 0));
    }

    void mapasDeResultados() {
        Programa q;
        q.cargaTodo();
        q.ejecuta();
        QVERIFY2(q.p->motor->predictiva, qPrintable(q.log()));
        // The run shows the predictive map on the absolute scale; each map button
        // is off while its map shows.
        QCOMPARE(rotulos(q), QStringLiteral("0 1 | 0 1"));
        const ejecutarQuel& m = *q.p->motor;
        const struct {
            const char* boton;
            int gradiente;
            const TImagenN<long double>* absoluto;  // none: relative scale
        } mapas[] = {{"SpeedButtonProbabilidad", 0, m.predictiva.get()}, {"SpeedButtonCertidumbre", 4, m.certidumbre.get()},
                     {"SpeedButtonPotPriori", 2, nullptr}};
        for (const auto& c : mapas) {
            if (c.gradiente) q.w<QToolButton>(c.boton)->click();
            for (const auto& otro : mapas) QCOMPARE(q.on(otro.boton), &otro != &c);
            QCOMPARE(gradiente(q), c.gradiente);
            if (c.absoluto) QCOMPARE(pixel(q), color(q, c.gradiente, absoluta(c.absoluto->datos[0][kFila])));
            if (c.absoluto) QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), QStringLiteral("1"));
        }
        // Relative scale: labels are the minimum and maximum over the region.
        float minimo = 999999, maximo = -1;
        for (int i = 0; i < 16; ++i) {
            if (i == 3) continue;  // outside the region
            minimo = std::min(minimo, static_cast<float>(m.potPriori->datos[0][i]));
            maximo = std::max(maximo, static_cast<float>(m.potPriori->datos[0][i]));
        }
        QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | %1 %2").arg(etiqueta(minimo), etiqueta(maximo)));
    }

    void vistaPreviaYCambioDeGradiente() {
        Programa q;
        q.cargaTodo();
        q.ejecuta();
        QVERIFY(q.p->motor->predictiva);
        const QImage mapa = imagen(q, "ImageMapa").copy();
        // Preview: only the colour bar changes.
        q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(3);
        barraYLlave(q, 3, 0);
        QCOMPARE(imagen(q, "ImageMapa"), mapa);
        QCOMPARE(q.p->gradientePredictiva, 0);
        // Change without a map node: the information box, nothing redrawn.
        q.selecciona(0);
        q.w<QPushButton>("ButtonCambioColor")->click();
        QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
        QCOMPARE(q.dialogos.mensajes[0].icono, quel::IconoMensaje::Informacion);
        QCOMPARE(imagen(q, "ImageMapa"), mapa);
        // "Relativo" node: the predictive map redrawn relative in gradient 3.
        q.selecciona(16);
        q.w<QPushButton>("ButtonCambioColor")->click();
        QCOMPARE(q.p->gradientePredictiva, 3);
        const long double pred = q.p->motor->predictiva->datos[0][kFila];
        QCOMPARE(pixel(q), color(q, 3, std::clamp(static_cast<int>(pred * (254 / q.p->paleta.maximo)), 0, 254)));
        QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), etiqueta(q.p->paleta.maximo));
        barraYLlave(q, 3, 3);
        // "Absoluto" node in gradient 5, and the predictive button keeps it.
        q.selecciona(17);
        q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(5);
        q.w<QPushButton>("ButtonCambioColor")->click();
        QCOMPARE(q.p->gradientePredictiva, 5);
        QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), QStringLiteral("1"));
        q.w<QToolButton>("SpeedButtonCertidumbre")->click();
        q.w<QToolButton>("SpeedButtonProbabilidad")->click();
        QCOMPARE(gradiente(q), 5);
        QCOMPARE(pixel(q), color(q, 5, absoluta(pred)));
        // The bias map leaf.
        q.selecciona(6);
        q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(6);
        q.w<QPushButton>("ButtonCambioColor")->click();
        QCOMPARE(q.p->gradienteSesgo, 6);
        QCOMPARE(pixel(q), color(q, 6, static_cast<int>(0.3f * (254.0f / 0.8f))));
    }

    void valoresBajoElRaton() {
        Programa q;
        q.p->resize(1200, 900);
        mueveA(q, centro(1, 1));
        QCOMPARE(texto(q, "EditX"), QString());  // before any load the map reads nothing
        q.cargaTodo();
        q.ejecuta();
        QVERIFY(q.p->motor->predictiva);
        const ejecutarQuel& m = *q.p->motor;
        mueveA(q, centro(1, 1));
        // Coordinates in full; values for reading, at most 4 significant digits.
        QCOMPARE(texto(q, "EditX") + QLatin1Char(' ') + texto(q, "EditY"), QStringLiteral("1.0000000 2.0000000"));
        QCOMPARE(texto(q, "EditSesgo") + QLatin1Char(' ') + texto(q, "EditPriori"), QStringLiteral("0.3 1"));
        const long double pred = m.predictiva->datos[0][kFila];
        QCOMPARE(texto(q, "EditPredictiva"), etiqueta(static_cast<double>(pred)));
        QCOMPARE(texto(q, "EditCertidumbre"), etiqueta(static_cast<double>(m.certidumbre->datos[0][kFila])));
        QCOMPARE(texto(q, "EditPotPriori"), etiqueta(static_cast<double>(m.potPriori->datos[0][kFila])));
        // Bars: bias 185 * 0.3 = 55 pixels of blue, prior 185 / 1 = the whole bar.
        const QRgb gris = qRgb(0x64, 0x64, 0x64);
        QCOMPARE(barra(q, "ImageSesgo", 54), qRgb(0, 0, 255));
        QCOMPARE(barra(q, "ImageSesgo", 55), gris);
        QCOMPARE(barra(q, "ImagePriori", 184), qRgb(0x33, 0, 0xFF));
        const int ancho = static_cast<int>(185 * pred);
        if (ancho > 0) QCOMPARE(barra(q, "ImagePredictiva", ancho - 1), qRgb(0xCC, 0, 0));
        QCOMPARE(barra(q, "ImagePredictiva", ancho), gris);
        QCOMPARE(barra(q, "ImageCertidumbre", 0) == gris, static_cast<int>(185 * m.certidumbre->datos[0][kFila]) == 0);
        // Outside every cell: all bars dark, the edits unchanged.
        mueveA(q, QPoint(790, 590));
        for (const char* i : {"ImageSesgo", "ImagePriori", "ImagePredictiva", "ImageCertidumbre", "ImagePotPriori"})
            QCOMPARE(barra(q, i, 0), qRgb(0x4B, 0x4B, 0x4B));
        QCOMPARE(texto(q, "EditX"), QStringLiteral("1.0000000"));
        // Another cell: row 9 (x 1, y 1), bias 0.5, prior class 1.
        mueveA(q, centro(1, 2));
        QCOMPARE(texto(q, "EditY") + QLatin1Char(' ') + texto(q, "EditSesgo"), QStringLiteral("1.0000000 0.5"));
    }
};

QTEST_MAIN(PruebaMapas)
#include "test_mapdisplay.moc"
