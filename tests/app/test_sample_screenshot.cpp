// The bundled sample region through the main window's real commands: every
// load, the run and the predictive map; then a picture of the window, saved
// where QUEL_CAPTURA says (scripts/screenshot runs this under a virtual
// display) or to a scratch file that is checked and removed.
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "app/Controles.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

QString muestras() {
    const QByteArray fuente = qgetenv("QUEL_SOURCE");
    return (fuente.isEmpty() ? QStringLiteral(QUEL_SOURCE_DIR) : QString::fromLocal8Bit(fuente)) +
           QStringLiteral("/samples/");
}

}  // namespace

class PruebaMuestra : public QObject {
    Q_OBJECT
private slots:
    void regionDeMuestraHastaElMapaPredictivo();
};

void PruebaMuestra::regionDeMuestraHastaElMapaPredictivo() {
    const QString dir = muestras();
    if (!QFile::exists(dir + QStringLiteral("covariates.txt"))) QSKIP("the sample region is not in this tree");
    Programa q;
    q.p->resize(1280, 860);
    q.p->show();
    QVERIFY(QTest::qWaitForWindowExposed(q.p));
    q.cargaCovariables(dir + QStringLiteral("covariates.txt"));
    q.cargaSesgo(dir + QStringLiteral("bias.txt"));
    q.cargaPriori(dir + QStringLiteral("prior.txt"));
    q.cargaSitios(dir + QStringLiteral("sites.txt"));
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QVERIFY(q.on("SpeedButtonEjecutar"));
    q.p->SpeedButtonEjecutar->click();
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QCOMPARE(q.p->control.banderas[5], 1);
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de probabilidad predictiva"));
    // The tree shows the result and the map is painted: many non-white cells.
    q.p->TreeViewExplorador->expandAll();
    int pintados = 0;
    const QImage& mapa = q.p->ImageMapa->bitmap();
    for (int y = 0; y < mapa.height(); y += 5)
        for (int x = 0; x < mapa.width(); x += 5) pintados += mapa.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY2(pintados > 2000, qPrintable(QString::number(pintados)));

    QTest::qWait(50);
    const QImage foto = q.p->grab().toImage();
    QVERIFY(!foto.isNull());
    QString destino = QString::fromLocal8Bit(qgetenv("QUEL_CAPTURA"));
    const bool guardar = !destino.isEmpty();
    if (!guardar) destino = q.ruta(QStringLiteral("captura.png"));
    QVERIFY2(foto.save(destino, "PNG"), qPrintable(destino));
    QImage leida(destino);
    QCOMPARE(leida.size(), foto.size());
    if (!guardar) QFile::remove(destino);
}

QTEST_MAIN(PruebaMuestra)
#include "test_sample_screenshot.moc"
