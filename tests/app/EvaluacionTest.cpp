// The Evaluate command of the main window on the bundled samples: its table
// and files equal the core's (what quel-cli evaluate writes) for the same
// settings, its plots hold the folds' curves and the bars, a picture is
// exported, and a cancelled evaluation leaves the explorer as it was.
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QDir>
#include <QTableWidget>
#include <QXYSeries>
#include <cmath>

#include "ApoyoVentanas.h"
#include "data/lenguaje.h"
#include "engine/evaluacion.h"
#include "ui/ProgresoBarra.h"

namespace {

using prueba::Programa;

// Random partition, 3 folds, seed 1, every species, every background cell.
OpcionesEvaluacion opcionesPrueba() {
    OpcionesEvaluacion o;
    o.particion = quel::metricas::Particion::kAleatoria;
    o.pliegues = 3;
    o.semilla = 1;
    return o;
}

// Points of each series of a chart (the values of a bar series' one set).
std::vector<int> puntos(const QChart* c) {
    std::vector<int> r;
    for (QAbstractSeries* s : c->series()) {
        if (auto* xy = qobject_cast<QXYSeries*>(s)) r.push_back(static_cast<int>(xy->count()));
        if (auto* b = qobject_cast<QBarSeries*>(s)) r.push_back(static_cast<int>(b->barSets().value(0)->count()));
    }
    return r;
}

// The rows of the string grid as comma-separated lines.
QByteArray tabla(const QTableWidget* g) {
    QByteArray t;
    for (int r = 0; r < g->rowCount(); ++r) {
        QStringList celdas;
        for (int c = 0; c < g->columnCount(); ++c)
            if (const QTableWidgetItem* i = g->item(r, c)) celdas << i->text();
        t += celdas.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return t;
}

}  // namespace

class EvaluacionTest : public QObject {
    Q_OBJECT
private slots:
    void tablaGraficasYArchivosComoElNucleo();
    void canceladaNoCambiaElExplorador();
};

void EvaluacionTest::tablaGraficasYArchivosComoElNucleo() {
    Programa q;
    QVERIFY(!q.on("SpeedButtonEvaluar"));
    q.cargaMuestras();
    QVERIFY(q.on("SpeedButtonEvaluar") && q.on("EvaluarMenu"));
    q.dialogos.evaluaciones.push_back(opcionesPrueba());
    q.w<QToolButton>("SpeedButtonEvaluar")->click();
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QTreeWidgetItem* top = q.nodo(TFormPrincipal::kNodoEvaluacion);
    QVERIFY(top);

    // The core on the same files and settings, as the command line evaluates.
    QTemporaryDir trabajo, nucleo;
    OpcionesEvaluacion o = opcionesPrueba();
    o.prediccion.covariables = Programa::muestra("covariates.txt").toStdString();
    o.prediccion.sitios = Programa::muestra("sites.txt").toStdString();
    o.prediccion.sesgo = Programa::muestra("bias.txt").toStdString();
    o.prediccion.priori = Programa::muestra("prior.txt").toStdString();
    o.prediccion.salida = nucleo.path().toStdString();
    cargaArchivo datos(trabajo.path().toStdString());
    const ResumenEvaluacion r = evaluacion(o, datos);
    QVERIFY(r.bien());
    QCOMPARE(q.dialogos.especiesOfrecidas.size(), static_cast<qsizetype>(r.especies.size()));

    q.selecciona(TFormPrincipal::kNodoEvaluacion);
    q.p->TreeViewExploradorDblClick();
    QCOMPARE(tabla(q.w<QTableWidget>("StringGridDatos")), prueba::lee(nucleo.filePath("evaluation.csv")));

    // One window per plot of the first species, each with its folds' points.
    QCOMPARE(top->childCount(), static_cast<int>(r.especies.size()));
    const EspecieEvaluada& e = r.especies[0];
    std::vector<int> roc, boyce;
    for (const PliegueEvaluado& p : e.pliegues) {
        roc.push_back(static_cast<int>(p.roc.size()));
        boyce.push_back(static_cast<int>(std::count_if(p.boyce.begin(), p.boyce.end(),
                                                       [](const auto& v) { return std::isfinite(v.razon); })));
    }
    roc.push_back(2);  // the random model's diagonal
    const std::vector<int> esperados[] = {roc, boyce, {static_cast<int>(r.covariables.size())},
                                          {static_cast<int>(e.respuesta.size())}};
    for (int k = 0; k < 4; ++k) {
        q.w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(top->child(0)->child(k));
        q.p->TreeViewExploradorDblClick();
        const auto ventanas = q.p->findChildren<QWidget*>(QStringLiteral("VentanaGrafica"));
        QCOMPARE(ventanas.size(), k + 1);
        QCOMPARE(puntos(ventanas.back()->findChild<QChartView*>()->chart()), esperados[k]);
    }
    QWidget* grafica = q.p->findChildren<QWidget*>(QStringLiteral("VentanaGrafica")).front();

    // The picture (PNG, the last format offered) and the tables, byte for byte the core's.
    QTemporaryDir exportada;
    q.dialogos.responde(exportada.filePath(QStringLiteral("roc")), 3);
    grafica->findChild<QPushButton*>(QStringLiteral("BotonExportaImagen"))->click();
    QVERIFY(prueba::lee(exportada.filePath(QStringLiteral("roc.png"))).startsWith("\x89PNG\r\n"));
    q.dialogos.responde(exportada.filePath(QStringLiteral("tablas")));
    grafica->findChild<QPushButton*>(QStringLiteral("BotonExportaTablas"))->click();
    const QStringList archivos = QDir(nucleo.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(QDir(exportada.filePath(QStringLiteral("tablas"))).entryList(QDir::Files, QDir::Name), archivos);
    for (const QString& a : archivos)
        QCOMPARE(prueba::lee(exportada.filePath(QStringLiteral("tablas/") + a)), prueba::lee(nucleo.filePath(a)));

    // The language switch renames the command and the nodes.
    q.p->cambiaLenguaje(std::string(quel::lenguaje::rutaLogica(quel::lenguaje::Idioma::kIngles)));
    QCOMPARE(q.w<QAction>("EvaluarMenu")->text(), QStringLiteral("Evaluate"));
    QCOMPARE(top->text(0), QStringLiteral("Evaluation"));
    QCOMPARE(top->child(0)->child(0)->text(0), QStringLiteral("ROC curve"));
}

void EvaluacionTest::canceladaNoCambiaElExplorador() {
    Programa q;
    q.cargaTodo();
    // The settings dialog cancelled: nothing runs.
    const QString antes = q.log();
    q.w<QToolButton>("SpeedButtonEvaluar")->click();
    QCOMPARE(q.log(), antes);
    // Cancel pressed as the evaluation starts: no node, no box, the log says so.
    prueba::PulsaAlHabilitarse pulsa(q.w<QPushButton>("BotonCancelar"));
    OpcionesEvaluacion o = opcionesPrueba();
    o.pliegues = 2;  // the generated sites: 3 of one species, 2 of the other
    q.dialogos.evaluaciones.push_back(o);
    q.w<QToolButton>("SpeedButtonEvaluar")->click();
    QCOMPARE(pulsa.pulsaciones, 1);
    QVERIFY(!q.nodo(TFormPrincipal::kNodoEvaluacion));
    QVERIFY(q.dialogos.mensajes.empty());
    QCOMPARE(q.ultimaLinea(), quel::CancelaCorrida::lineaCancelada());
    QVERIFY(q.on("SpeedButtonEvaluar"));
}

QTEST_MAIN(EvaluacionTest)
#include "EvaluacionTest.moc"
