// The map display driven through the real commands: the map after each load
// and map command, its caption, colour key labels and pixels, gradient
// preview versus change, and the values under the mouse.
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "ui/Controles.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
#include "render/etiquetas.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// Centre of the cell of map column x, map row `fila` of the 4 x 4 test region
// on the 800 x 600 bitmap (cells 250 x 183 pixels from the top-left corner;
// the last column is cut by the bitmap's edge at 800).
QPoint centro(int x, int fila) { return {x == 3 ? 775 : 250 * x + 125, fila == 0 ? 90 : (fila == 1 ? 275 : 458)}; }
// Row of the covariate table of that cell.
int fila(int x, int filaMapa) { return 4 * filaMapa + x; }

QRgb pixel(const Programa& q, QPoint p) { return q.w<quel::TImagen>("ImageMapa")->bitmap().pixel(p); }
QRgb color(const Programa& q, int gradiente, int entrada) { return q.p->paleta.colorQt(gradiente, entrada); }
QString etiqueta(double v) { return QString::fromStdString(textoEtiqueta(v)); }

// Mouse move over the map at bitmap point `p`, in the control's own pixels.
void mueveA(const Programa& q, QPoint p) {
    quel::TImagen* m = q.w<quel::TImagen>("ImageMapa");
    const QPointF enControl((p.x() * m->width() + m->width() - 1) / 800, (p.y() * m->height() + m->height() - 1) / 600);
    QMouseEvent e(QEvent::MouseMove, enControl, m->mapToGlobal(enControl), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(m, &e);
}

QRgb barra(quel::TImagen* i, int x) { return i->bitmap().pixel(x, 12); }

// The colour bar's and the key's labels: "min max | min max".
QString rotulos(const Programa& q) {
    const auto t = [&](const char* n) { return q.w<QLabel>(n)->text(); };
    return QStringLiteral("%1 %2 | %3 %4").arg(t("LabelMinimo"), t("LabelMaximo"), t("LabelMinLlave"), t("LabelMaxLlave"));
}

}  // namespace

class PruebaMapas : public QObject {
    Q_OBJECT
private slots:
    void mapaDeCovariablesAlCargar();
    void mapasDeSesgoPrioriYSitios();
    void mapasUniformes();
    void mapasDeResultados();
    void vistaPreviaYCambioDeGradiente();
    void valoresBajoElRaton();
};

void PruebaMapas::mapaDeCovariablesAlCargar() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    QVERIFY(!q.w<quel::TImagen>("ImageMapa")->isHidden() && !q.w<quel::TImagen>("ImageLlave")->isHidden() && q.w<QTableWidget>("StringGridDatos")->isHidden());
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap().size(), QSize(800, 600));
    QCOMPARE(q.p->columnasMapa, 4);
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de covariables"));
    // Classes 1 and 2 of the first covariate: labels and key from the palette.
    QCOMPARE(rotulos(q), QStringLiteral("1 2 | 1 2"));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), 0);
    // Scale 254 / 2: class 1 -> entry 127, class 2 -> 254.
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 0, 127));
    QCOMPARE(pixel(q, centro(0, 1)), color(q, 0, 254));
    // Outside the region, the last map row and the margin stay white.
    QCOMPARE(pixel(q, centro(3, 0)), qRgb(255, 255, 255));
    QCOMPARE(pixel(q, QPoint(100, 580)), qRgb(255, 255, 255));
    // The key: entry 0 at the bottom row, 253 at the top; the colour bar left to right.
    QCOMPARE(q.w<quel::TImagen>("ImageLlave")->bitmap().pixel(10, 176), color(q, 0, 0));
    QCOMPARE(q.w<quel::TImagen>("ImageLlave")->bitmap().pixel(10, 0), color(q, 0, 253));
    QCOMPARE(q.w<quel::TImagen>("ImageRangoColor")->bitmap().pixel(0, 5), color(q, 0, 0));
    QCOMPARE(q.w<quel::TImagen>("ImageRangoColor")->bitmap().pixel(177, 5), color(q, 0, 253));
}

void PruebaMapas::mapasDeSesgoPrioriYSitios() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.cargaSesgo(q.entrada(QStringLiteral("sesgo.txt"), prueba::tablaSesgo()));
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de sesgo espacial"));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), 1);
    QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | %1 %2").arg(etiqueta(0.05f), etiqueta(0.8f)));
    // Row 5 holds 0.3: entry trunc(0.3 * (254 / 0.8)) in single precision.
    const float escala = 254.0f / 0.8f;
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 1, static_cast<int>(0.3f * escala)));

    q.cargaPriori(q.entrada(QStringLiteral("priori.txt"), prueba::tablaPriori()));
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de información a priori"));
    // The colour bar's labels are left as they were.
    QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | Ausencia Presencia").arg(etiqueta(0.05f), etiqueta(0.8f)));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), -1);    // gradient 7 has no item
    // Classes 1, 2, 3 -> entries 84, 169, 253 of the prior gradient.
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 7, 84));
    QCOMPARE(pixel(q, centro(2, 1)), color(q, 7, 169));
    QCOMPARE(pixel(q, centro(3, 1)), color(q, 7, 253));
    QCOMPARE(pixel(q, centro(0, 1)), color(q, 7, 0));
    // The prior key runs from the top.
    QCOMPARE(q.w<quel::TImagen>("ImageLlave")->bitmap().pixel(10, 0), color(q, 7, 0));

    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de sitios de presencia"));
    // The covariate map under the sites, and the first species' marker at
    // the cell right of and below its site (row 5's corner).
    QCOMPARE(pixel(q, centro(2, 0)), color(q, 0, 127));
    QCOMPARE(pixel(q, QPoint(252, 185)), qRgb(0, 127, 0));
}

void PruebaMapas::mapasUniformes() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.sesgoUniforme();
    QCOMPARE(rotulos(q), QStringLiteral("Min Max | Min Max"));
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de sesgo espacial"));
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 1, 254));
    q.prioriUniforme();
    QCOMPARE(rotulos(q), QStringLiteral("Min Max | Ausencia Presencia"));
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 7, 254));
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de información a priori"));
}

void PruebaMapas::mapasDeResultados() {
    Programa q;
    q.cargaTodo();
    q.w<QToolButton>("SpeedButtonEjecutar")->click();
    QVERIFY2(q.p->motor->predictiva, qPrintable(q.log()));
    const TImagenN<long double>& pred = *q.p->motor->predictiva;
    // The run shows the predictive map on the absolute scale.
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de probabilidad predictiva"));
    QCOMPARE(rotulos(q), QStringLiteral("0 1 | 0 1"));
    QVERIFY(!q.on("SpeedButtonProbabilidad") && q.on("SpeedButtonCertidumbre") && q.on("SpeedButtonPotPriori"));
    const int r = fila(1, 1);
    auto absoluta = [](long double v) { return std::clamp(static_cast<int>(v * 100 * 2.54f), 0, 254); };
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 0, absoluta(pred.datos[0][r])));

    q.w<QToolButton>("SpeedButtonCertidumbre")->click();
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de certidumbre"));
    QVERIFY(q.on("SpeedButtonProbabilidad") && !q.on("SpeedButtonCertidumbre") && q.on("SpeedButtonPotPriori"));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), 4);
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 4, absoluta(q.p->motor->certidumbre->datos[0][r])));
    QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), QStringLiteral("1"));

    q.w<QToolButton>("SpeedButtonPotPriori")->click();
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de potencial a priori"));
    QVERIFY(q.on("SpeedButtonProbabilidad") && q.on("SpeedButtonCertidumbre") && !q.on("SpeedButtonPotPriori"));
    // Relative scale: labels are the minimum and maximum over the region.
    float minimo = 999999, maximo = -1;
    const TImagenN<long double>& pot = *q.p->motor->potPriori;
    for (int i = 0; i < 16; ++i) {
        if (i == 3) continue;  // outside the region
        minimo = std::min(minimo, static_cast<float>(pot.datos[0][i]));
        maximo = std::max(maximo, static_cast<float>(pot.datos[0][i]));
    }
    QCOMPARE(rotulos(q), QStringLiteral("%1 %2 | %1 %2").arg(etiqueta(minimo), etiqueta(maximo)));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), 2);
}

void PruebaMapas::vistaPreviaYCambioDeGradiente() {
    Programa q;
    q.cargaTodo();
    q.w<QToolButton>("SpeedButtonEjecutar")->click();
    QVERIFY(q.p->motor->predictiva);
    const QImage mapa = q.w<quel::TImagen>("ImageMapa")->bitmap().copy();

    // Preview: only the colour bar changes.
    q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(3);
    QCOMPARE(q.w<quel::TImagen>("ImageRangoColor")->bitmap().pixel(0, 5), color(q, 3, 0));
    QCOMPARE(q.w<quel::TImagen>("ImageRangoColor")->bitmap().pixel(177, 5), color(q, 3, 253));
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), mapa);
    QCOMPARE(q.w<quel::TImagen>("ImageLlave")->bitmap().pixel(10, 0), color(q, 0, 253));
    QCOMPARE(q.p->gradientePredictiva, 0);

    // Change without a map node: the information box, nothing redrawn.
    q.selecciona(0);
    q.w<QPushButton>("ButtonCambioColor")->click();
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    QCOMPARE(q.dialogos.mensajes[0].titulo, QStringLiteral("Cambiar Colores"));
    QCOMPARE(q.dialogos.mensajes[0].texto, QStringLiteral("Debes de seleccionar un mapa del explorador"));
    QCOMPARE(q.dialogos.mensajes[0].icono, quel::IconoMensaje::Informacion);
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), mapa);

    // "Relativo" node: the predictive map redrawn relative in gradient 3.
    q.selecciona(16);
    q.w<QPushButton>("ButtonCambioColor")->click();
    QCOMPARE(q.p->gradientePredictiva, 3);
    const TImagenN<long double>& pred = *q.p->motor->predictiva;
    const float escala = 254 / q.p->paleta.maximo;
    const int r = fila(1, 1);
    QCOMPARE(pixel(q, centro(1, 1)),
             color(q, 3, std::clamp(static_cast<int>(pred.datos[0][r] * escala), 0, 254)));
    QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), etiqueta(q.p->paleta.maximo));
    QCOMPARE(q.w<quel::TImagen>("ImageLlave")->bitmap().pixel(10, 0), color(q, 3, 253));

    // "Absoluto" node in gradient 5, and the predictive button keeps it.
    q.selecciona(17);
    q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(5);
    q.w<QPushButton>("ButtonCambioColor")->click();
    QCOMPARE(q.p->gradientePredictiva, 5);
    QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), QStringLiteral("1"));
    q.w<QToolButton>("SpeedButtonCertidumbre")->click();
    q.w<QToolButton>("SpeedButtonProbabilidad")->click();
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->itemIndex(), 5);
    QCOMPARE(pixel(q, centro(1, 1)),
             color(q, 5, std::clamp(static_cast<int>(pred.datos[0][r] * 100 * 2.54f), 0, 254)));

    // The bias map leaf.
    q.selecciona(6);
    q.w<quel::TRadioGroup>("RadioGroupColores")->pulsa(6);
    q.w<QPushButton>("ButtonCambioColor")->click();
    QCOMPARE(q.p->gradienteSesgo, 6);
    QCOMPARE(pixel(q, centro(1, 1)), color(q, 6, static_cast<int>(0.3f * (254.0f / 0.8f))));
}

void PruebaMapas::valoresBajoElRaton() {
    Programa q;
    q.p->resize(1200, 900);
    // Before any load the map reads nothing.
    mueveA(q, centro(1, 1));
    QCOMPARE(q.w<QLineEdit>("EditX")->text(), QString());
    q.cargaTodo();
    q.w<QToolButton>("SpeedButtonEjecutar")->click();
    QVERIFY(q.p->motor->predictiva);
    const int r = fila(1, 1);  // x 1, y 2, bias 0.3, prior class 1
    mueveA(q, centro(1, 1));
    QCOMPARE(q.w<QLineEdit>("EditX")->text(), QStringLiteral("1.0000000"));
    QCOMPARE(q.w<QLineEdit>("EditY")->text(), QStringLiteral("2.0000000"));
    // Values for reading: at most 4 significant digits.
    QCOMPARE(q.w<QLineEdit>("EditSesgo")->text(), QStringLiteral("0.3"));
    QCOMPARE(q.w<QLineEdit>("EditPriori")->text(), QStringLiteral("1"));
    const long double pred = q.p->motor->predictiva->datos[0][r];
    QCOMPARE(q.w<QLineEdit>("EditPredictiva")->text(), etiqueta(static_cast<double>(pred)));
    QCOMPARE(q.w<QLineEdit>("EditCertidumbre")->text(), etiqueta(static_cast<double>(q.p->motor->certidumbre->datos[0][r])));
    QCOMPARE(q.w<QLineEdit>("EditPotPriori")->text(), etiqueta(static_cast<double>(q.p->motor->potPriori->datos[0][r])));
    // Bars: bias 185 * 0.3 = 55 pixels of blue, prior 185 / 1 = the whole bar.
    const QRgb gris = qRgb(0x64, 0x64, 0x64);
    QCOMPARE(barra(q.w<quel::TImagen>("ImageSesgo"), 54), qRgb(0, 0, 255));
    QCOMPARE(barra(q.w<quel::TImagen>("ImageSesgo"), 55), gris);
    QCOMPARE(barra(q.w<quel::TImagen>("ImagePriori"), 184), qRgb(0x33, 0, 0xFF));
    const int ancho = static_cast<int>(185 * pred);
    if (ancho > 0) QCOMPARE(barra(q.w<quel::TImagen>("ImagePredictiva"), ancho - 1), qRgb(0xCC, 0, 0));
    QCOMPARE(barra(q.w<quel::TImagen>("ImagePredictiva"), ancho), gris);
    QCOMPARE(barra(q.w<quel::TImagen>("ImageCertidumbre"), 0) == gris, static_cast<int>(185 * q.p->motor->certidumbre->datos[0][r]) == 0);

    // Outside every cell: all bars dark, the edits unchanged.
    mueveA(q, QPoint(790, 590));
    for (quel::TImagen* i : {q.w<quel::TImagen>("ImageSesgo"), q.w<quel::TImagen>("ImagePriori"), q.w<quel::TImagen>("ImagePredictiva"), q.w<quel::TImagen>("ImageCertidumbre"),
                             q.w<quel::TImagen>("ImagePotPriori")})
        QCOMPARE(barra(i, 0), qRgb(0x4B, 0x4B, 0x4B));
    QCOMPARE(q.w<QLineEdit>("EditX")->text(), QStringLiteral("1.0000000"));

    // Another cell: row 9 (x 1, y 1), bias 0.5, prior class 1.
    mueveA(q, centro(1, 2));
    QCOMPARE(q.w<QLineEdit>("EditY")->text(), QStringLiteral("1.0000000"));
    QCOMPARE(q.w<QLineEdit>("EditSesgo")->text(), QStringLiteral("0.5"));
}

QTEST_MAIN(PruebaMapas)
#include "test_mapdisplay.moc"
