// The three managers wired to the real main window (as the desktop program
// starts it, with scripted dialogs): the managers never touch the main
// window's dataset, the hand-over follows what the main window holds, the
// language reaches the covariate manager, and opening and closing a manager
// swap it with the main window. The hand-overs themselves are driven end to
// end by WorkflowTest.
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "ApoyoGestores.h"
#include "app/ApoyoVentanas.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/prior/FormPrioriManager.h"

using prueba::Programa;

namespace {

TFormCovManager* cov(const Programa& q) { return static_cast<TFormCovManager*>(q.app->covManager.get()); }

// What the main window's dataset holds.
QString contadores(const cargaArchivo& d) {
    return QStringLiteral("%1 %2 %3 %4 %5").arg(d.numCovariables).arg(d.numEspecies).arg(d.renglones).arg(d.columnas).arg(d.error.linea);
}

}  // namespace

class PruebaGestoresPrincipal : public QObject {
    Q_OBJECT
private slots:
    void abrirTablaEnElGestorNoTocaElConjuntoPrincipal();
    void lenguajeLlegaAlGestorDeCovariables();
    void sinEntregaConCovariablesCargadas();
    void abrirYCerrarAlternanConLaPrincipal();
};

void PruebaGestoresPrincipal::abrirTablaEnElGestorNoTocaElConjuntoPrincipal() {
    Programa q;
    const QString tabla = prueba::muestra(QStringLiteral("covariates.txt"));
    const QString antes = contadores(q.p->datos);
    q.w<QToolButton>("SpeedButtonCovariables")->click();
    prueba::pulsa(q.dialogos, tabla, cov(q)->AbrirArchivo1);
    QCOMPARE(cov(q)->numCargadas, 6);
    QCOMPARE(contadores(q.p->datos), antes);
    QVERIFY(!q.p->datos.covariables);
    // The bias manager reads the table into its own dataset too.
    cov(q)->close();
    q.w<QToolButton>("SpeedButtonSesgo")->click();
    auto* sesgo = static_cast<TFormBiasManager*>(q.app->biasManager.get());
    prueba::pulsa(q.dialogos, tabla, sesgo->SpeedButtonCargaCovs);
    QVERIFY(sesgo->SpeedButtonCiudades->isEnabled());
    QCOMPARE(contadores(q.p->datos), antes);
    sesgo->close();
    // A bad table: the main window's error box, with the manager's line.
    q.w<QToolButton>("SpeedButtonCovariables")->click();
    prueba::escribe(q.ruta(QStringLiteral("mala.txt")), "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n1,2,1,1,1,\n1,2,1,");
    cov(q)->NuevoArchivo1->trigger();
    prueba::pulsa(q.dialogos, prueba::grid("slope.asc"), cov(q)->SpeedButtonCargaFile);
    prueba::pulsa(q.dialogos, q.ruta(QStringLiteral("mala.txt")), cov(q)->AbrirArchivo1);
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t(1));
    QVERIFY2(q.dialogos.mensajes.back().texto.endsWith(QStringLiteral("6")), qPrintable(q.dialogos.mensajes.back().texto));
    QCOMPARE(contadores(q.p->datos), antes);
    QCOMPARE(cov(q)->numArchivos, 1);  // the list as it was
}

// Captions, boxes and log lines of the manager use the tables in force.
void PruebaGestoresPrincipal::lenguajeLlegaAlGestorDeCovariables() {
    Programa q;
    q.p->eligeLenguaje(QStringLiteral("English"));
    namespace lg = quel::lenguaje;
    const lg::ArchivoLenguaje en = lg::leeLenguaje(lg::textoIncluido(lg::Idioma::kIngles));
    QVERIFY(en.covManager && en.pistasCovManager);
    QCOMPARE(cov(q)->LabelNomCov->text(), quel::texto((*en.covManager)[14]));
    QCOMPARE(cov(q)->windowTitle(), q.w<QAction>("AdmonCovsMenu")->text());
    q.w<QToolButton>("SpeedButtonCovariables")->click();
    prueba::pulsa(q.dialogos, prueba::grid("slope.asc"), cov(q)->SpeedButtonCargaFile);
    cov(q)->MenuGuardar->trigger();
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t(1));
    QCOMPARE(q.dialogos.mensajes.back().texto, quel::texto(lg::tablasIncluidas(lg::Idioma::kIngles).mensajesCovManager[4]));
}

// With covariates in the main window, the covariate manager offers no hand-over.
void PruebaGestoresPrincipal::sinEntregaConCovariablesCargadas() {
    Programa q;
    q.cargaCovariables(Programa::muestra("covariates.txt"));
    q.w<QToolButton>("SpeedButtonCovariables")->click();
    prueba::pulsa(q.dialogos, prueba::muestra(QStringLiteral("grids")), cov(q)->SpeedButtonCargaFolder);
    QVERIFY(cov(q)->SpeedButtonGuardar->isEnabled() && !cov(q)->SpeedButtonCargaCov->isEnabled());
}

// Each manager, opened by its button or menu item, takes the main window's
// place with a log line; closed from the title bar, it gives it back (the
// covariate and prior managers with the time spent in them).
void PruebaGestoresPrincipal::abrirYCerrarAlternanConLaPrincipal() {
    Programa q;
    q.p->show();
    const struct {
        QWidget* ventana;
        std::function<void()> abre;
        bool tiempo;
    } gestores[] = {{q.app->covManager.get(), [&] { q.w<QToolButton>("SpeedButtonCovariables")->click(); }, true},
                    {q.app->prioriManager.get(), [&] { q.w<QAction>("AdmonPrioriMenu")->trigger(); }, true},
                    {q.app->biasManager.get(), [&] { q.w<QToolButton>("SpeedButtonSesgo")->click(); }, false},
                    {q.app->covManager.get(), [&] { q.w<QAction>("AdmonCovsMenu")->trigger(); }, true}};
    for (const auto& g : gestores) {
        g.abre();
        QVERIFY(g.ventana->isVisible() && !q.p->isVisible());
        const QString antes = q.ultimaLinea();
        QVERIFY(g.ventana->close());
        QVERIFY(!g.ventana->isVisible() && q.p->isVisible());
        QVERIFY2(g.tiempo ? q.ultimaLinea().startsWith(QStringLiteral("Tiempo en el administrador: ")) : q.ultimaLinea() == antes,
                 qPrintable(q.log()));
    }
    q.w<QToolButton>("SpeedButtonCovariables")->click();
    QCOMPARE(q.ultimaLinea(), TFormPrincipal::tx(q.p->mensajesLog[11]));
}

QTEST_MAIN(PruebaGestoresPrincipal)
#include "test_gestores_principal.moc"
