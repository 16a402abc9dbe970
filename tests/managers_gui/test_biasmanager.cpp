// The bias manager driven by object name over a stand-in main window: the
// covariate load, the four inputs through the entry panel, refused
// parameters, Cancel, the readiness rule, run and save against the command
// line's bias file, the tree's delete rules and the close.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "ApoyoGestores.h"
#include "managers/bias/FormBiasManager.h"

using prueba::activo;
using prueba::PrincipalFalso;
using quel::DialogosGuion;

namespace {

QString estado(TFormBiasManager& w) {
    return prueba::activos(&w, {"SpeedButtonCargaCovs", "SpeedButtonCiudades", "SpeedButtonCarreteras",
                                "SpeedButtonRiqueza", "SpeedButtonPresencias", "SpeedButtonBorrar",
                                "SpeedButtonEjecutar", "SpeedButtonGuardar", "SpeedButtonCerrar"});
}

struct Banco {
    std::shared_ptr<PrincipalFalso> p = std::make_shared<PrincipalFalso>();
    TFormBiasManager w{p};
    Banco() { w.show(); }
    DialogosGuion& dlg() { return p->guion; }
    QTreeWidget* arbol() { return w.TreeViewExplorador; }
    QStringList grupos() {
        QStringList g;
        for (int i = 0; i < arbol()->topLevelItemCount(); ++i) g << arbol()->topLevelItem(i)->text(0);
        return g;
    }
    void covariables(const QString& ruta) { prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaCovs); }
    // Chooses `archivo` with `boton` and types `parametro` into the panel.
    void entrada(QToolButton* boton, const QString& archivo, const QString& parametro) {
        dlg().responde(archivo);
        boton->click();
        w.EditDato->setText(parametro);
        w.ButtonOk->click();
    }
    void todo(const QString& covs) {
        covariables(covs);
        entrada(w.SpeedButtonCiudades, prueba::grid("cities.asc"), QStringLiteral("1"));
        entrada(w.SpeedButtonCarreteras, prueba::grid("roads.asc"), QStringLiteral("2"));
        entrada(w.SpeedButtonRiqueza, prueba::grid("richness.asc"), QStringLiteral("10000"));
        entrada(w.SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), QStringLiteral("200"));
    }
    void selecciona(QTreeWidgetItem* n) { arbol()->setCurrentItem(n); }
};

}  // namespace

class PruebaBiasManager : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cargaDeCovariablesFallidaNoCambiaNada();
    void entradasConPanelYReglaDeListo();
    void corridaYGuardadoComoLaLineaDeComandos();
    void parametrosInvalidosSeRechazan_data();
    void parametrosInvalidosSeRechazan();
    void cancelarNoGuardaNada();
    void elegirOtraEntradaReorientaElPanel();
    void borrarGrupos();
    void corridaFallidaYGuardarSinCorrida();
    void sesgoFueraDeRangoSeReportaYNoSeGuarda();
    void cerrarYBarraDeTitulo();

private:
    QString covs_;
};

void PruebaBiasManager::initTestCase() {
    covs_ = prueba::muestra(QStringLiteral("covariates.txt"));
    QVERIFY(QFile::exists(covs_));
}

void PruebaBiasManager::cargaDeCovariablesFallidaNoCambiaNada() {
    Banco b;
    const QString mala = b.p->scratch.path() + QStringLiteral("/mala.txt");
    prueba::escribe(mala, "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n1,2,1,1,1,\n1,2,1,");
    b.covariables(mala);
    QCOMPARE(b.p->errores.size(), std::size_t(1));
    QCOMPARE(b.p->errores[0].codigo, 5);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonGuardar SpeedButtonCerrar"));
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    // Cancel loads nothing.
    b.dlg().cancela();
    b.w.SpeedButtonCargaCovs->click();
    QCOMPARE(b.p->errores.size(), std::size_t(1));
    QVERIFY(activo(&b.w, "SpeedButtonCargaCovs"));
}

void PruebaBiasManager::entradasConPanelYReglaDeListo() {
    Banco b;
    b.covariables(covs_);
    QVERIFY(b.p->errores.empty());
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCarreteras SpeedButtonRiqueza "
                                         "SpeedButtonPresencias SpeedButtonGuardar SpeedButtonCerrar"));
    QCOMPARE(b.grupos(), QStringList{QStringLiteral("Covs")});

    // Presences first: the panel asks for n-; run is switched on, then off
    // again by the readiness rule.
    prueba::pulsa(b.dlg(), prueba::muestra(QStringLiteral("sites.txt")), b.w.SpeedButtonPresencias);
    QVERIFY(!b.w.PanelDatos->isHidden());
    QCOMPARE(b.w.tipoDato, int(TFormBiasManager::kPresencias));
    QCOMPARE(b.w.LabelTitulo->text(), QStringLiteral("Introduce parametro n-"));
    b.w.EditDato->setText(QStringLiteral("200"));
    b.w.ButtonOk->click();
    QVERIFY(b.w.PanelDatos->isHidden());
    QCOMPARE(b.w.EditDato->text(), QStringLiteral("200"));  // this one stays
    QCOMPARE(b.w.entradas.ausencias, 200);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCarreteras SpeedButtonRiqueza "
                                         "SpeedButtonCerrar"));

    prueba::pulsa(b.dlg(), prueba::grid("richness.asc"), b.w.SpeedButtonRiqueza);
    QCOMPARE(b.w.LabelTitulo->text(), QStringLiteral("Introduce parametro Cota"));
    b.w.EditDato->setText(QStringLiteral("2"));
    b.w.ButtonOk->click();
    QCOMPARE(b.w.entradas.cota, 2.0f);
    QCOMPARE(b.w.pendiente, 0.5f);
    QCOMPARE(b.w.EditDato->text(), QString());

    b.entrada(b.w.SpeedButtonCarreteras, prueba::grid("roads.asc"), QStringLiteral("2"));
    QCOMPARE(b.w.entradas.beta, 2.0f);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCerrar"));
    b.entrada(b.w.SpeedButtonCiudades, prueba::grid("cities.asc"), QStringLiteral(" 0 "));
    QCOMPARE(b.w.entradas.alfa, 0.0f);  // Alfa may be 0
    QCOMPARE(b.w.entradas.ciudades, std::filesystem::path(prueba::grid("cities.asc").toStdString()));
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonEjecutar SpeedButtonGuardar SpeedButtonCerrar"));
    QCOMPARE(b.grupos(), (QStringList{QStringLiteral("Covs"), QStringLiteral("Presencias"), QStringLiteral("Riqueza"),
                                      QStringLiteral("Carreteras"), QStringLiteral("Ciudades")}));
}

void PruebaBiasManager::corridaYGuardadoComoLaLineaDeComandos() {
    Banco b;
    b.todo(covs_);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonEjecutar SpeedButtonGuardar SpeedButtonCerrar"));
    // Save before a run: nothing is asked, nothing written.
    const auto preguntas = b.dlg().preguntas.size();
    b.w.SpeedButtonGuardar->click();
    QCOMPARE(b.dlg().preguntas.size(), preguntas);

    // While the run works its bar is shown, and the fit, which reports
    // nothing until it ends, leaves it busy (moving on its own).
    bool visible = false, ocupada = false;
    b.p->trasTrabajo = [&] {
        QCoreApplication::processEvents();
        visible = b.w.PanelBarraProgreso->isVisible();
        ocupada = b.w.ProgressBarSesgo->maximum() == 0;
    };
    b.w.SpeedButtonEjecutar->click();
    QVERIFY(visible && ocupada);
    QCOMPARE(b.w.ProgressBarSesgo->maximum(), 100);
    QVERIFY(b.p->errores.empty());
    QVERIFY(b.dlg().mensajes.empty());
    QVERIFY(b.w.corridaCompleta);
    QVERIFY(b.p->trabajos >= 2);  // load and run away from the window's thread
    // The fit's figures in the window's log and the main window's.
    const QString log = b.w.RichEditLog->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("Evaluaciones: 250, iteraciones: ")), qPrintable(log));
    QVERIFY(b.p->log.join(QLatin1Char('\n')).contains(log.section(QLatin1Char('\n'), 0, 0)));

    // A second run cancelled at its start keeps the fit of the first.
    {
        prueba::PulsaAlHabilitarse pulsa(b.w.findChild<QPushButton*>(QStringLiteral("BotonCancelar")));
        b.w.SpeedButtonEjecutar->click();
        QCOMPARE(pulsa.pulsaciones, 1);
    }
    QCOMPARE(b.w.RichEditLog->toPlainText().section(QLatin1Char('\n'), -1), QStringLiteral("Ejecución cancelada."));
    QVERIFY(b.w.corridaCompleta && b.p->errores.empty() && b.dlg().mensajes.empty());
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonEjecutar SpeedButtonGuardar SpeedButtonCerrar"));

    const QString salida = b.p->scratch.path() + QStringLiteral("/sesgo");
    prueba::pulsa(b.dlg(), salida, b.w.SpeedButtonGuardar);
    const QByteArray sesgo = prueba::lee(salida);  // the name exactly as chosen

    QVERIFY(sesgo == prueba::referencia(QStringLiteral("bias.txt")));
}

void PruebaBiasManager::parametrosInvalidosSeRechazan_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("texto");
    const int ci = TFormBiasManager::kCiudades, ca = TFormBiasManager::kCarreteras, ri = TFormBiasManager::kRiqueza,
              pr = TFormBiasManager::kPresencias;
    QTest::newRow("alfa no numerica") << ci << QStringLiteral("abc");
    QTest::newRow("alfa negativa") << ci << QStringLiteral("-1");
    QTest::newRow("alfa infinita") << ci << QStringLiteral("1e999");
    QTest::newRow("beta cero") << ca << QStringLiteral("0");
    QTest::newRow("cota negativa") << ri << QStringLiteral("-3");
    QTest::newRow("ausencias fraccion") << pr << QStringLiteral("2.5");
    QTest::newRow("ausencias negativas") << pr << QStringLiteral("-1");
}

void PruebaBiasManager::parametrosInvalidosSeRechazan() {
    QFETCH(int, tipo);
    QFETCH(QString, texto);
    Banco b;
    b.covariables(covs_);
    QToolButton* boton = tipo == TFormBiasManager::kCiudades     ? b.w.SpeedButtonCiudades
                         : tipo == TFormBiasManager::kCarreteras ? b.w.SpeedButtonCarreteras
                         : tipo == TFormBiasManager::kRiqueza    ? b.w.SpeedButtonRiqueza
                                                                 : b.w.SpeedButtonPresencias;
    const EntradasSesgo antes = b.w.entradas;
    b.entrada(boton, prueba::grid("cities.asc"), texto);
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.dlg().mensajes[0].texto, TFormBiasManager::textoParametroInvalido(tipo));
    // Everything as it was: button on, no file, no parameter, panel and text still there.
    QVERIFY(boton->isEnabled());
    QVERIFY(!b.w.PanelDatos->isHidden());
    QCOMPARE(b.w.EditDato->text(), texto);
    QCOMPARE(b.grupos(), QStringList{QStringLiteral("Covs")});
    QVERIFY(b.w.entradas.ciudades.empty() && b.w.entradas.carreteras.empty() && b.w.entradas.riqueza.empty() &&
            b.w.entradas.presencias.empty());
    QCOMPARE(b.w.entradas.alfa, antes.alfa);
    QCOMPARE(b.w.entradas.beta, antes.beta);
    QCOMPARE(b.w.entradas.cota, antes.cota);
    QCOMPARE(b.w.entradas.ausencias, antes.ausencias);
    QVERIFY(!activo(&b.w, "SpeedButtonEjecutar"));
}

void PruebaBiasManager::cancelarNoGuardaNada() {
    Banco b;
    b.covariables(covs_);
    prueba::pulsa(b.dlg(), prueba::grid("cities.asc"), b.w.SpeedButtonCiudades);
    b.w.EditDato->setText(QStringLiteral("5"));
    b.w.ButtonCancel->click();
    QVERIFY(b.w.PanelDatos->isHidden());
    QVERIFY(b.w.SpeedButtonCiudades->isEnabled());
    QVERIFY(b.w.entradas.ciudades.empty());
    QCOMPARE(b.w.entradas.alfa, 0.0f);
    QCOMPARE(b.grupos(), QStringList{QStringLiteral("Covs")});
    // A cancelled file dialog does not open the panel.
    b.dlg().cancela();
    b.w.SpeedButtonCarreteras->click();
    QVERIFY(b.w.PanelDatos->isHidden());
}

void PruebaBiasManager::elegirOtraEntradaReorientaElPanel() {
    Banco b;
    b.covariables(covs_);
    prueba::pulsa(b.dlg(), prueba::grid("cities.asc"), b.w.SpeedButtonCiudades);
    prueba::pulsa(b.dlg(), prueba::grid("roads.asc"), b.w.SpeedButtonCarreteras);
    QCOMPARE(b.w.LabelTitulo->text(), QStringLiteral("Introduce para parametro Beta"));
    b.w.EditDato->setText(QStringLiteral("3"));
    b.w.ButtonOk->click();
    QVERIFY(b.w.SpeedButtonCiudades->isEnabled());
    QVERIFY(!b.w.SpeedButtonCarreteras->isEnabled());
    QCOMPARE(b.w.entradas.carreteras, std::filesystem::path(prueba::grid("roads.asc").toStdString()));
    QVERIFY(b.w.entradas.ciudades.empty());
    QCOMPARE(b.w.entradas.beta, 3.0f);
}

void PruebaBiasManager::borrarGrupos() {
    Banco b;
    b.todo(covs_);
    // The selection decides whether delete is offered.
    b.selecciona(b.arbol()->topLevelItem(1)->child(0));
    QVERIFY(!activo(&b.w, "SpeedButtonBorrar"));
    b.selecciona(b.arbol()->topLevelItem(1));
    QVERIFY(activo(&b.w, "SpeedButtonBorrar"));
    QCOMPARE(b.arbol()->topLevelItem(1)->text(0), QStringLiteral("Ciudades"));
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(b.grupos(), (QStringList{QStringLiteral("Covs"), QStringLiteral("Carreteras"),
                                      QStringLiteral("Riqueza"), QStringLiteral("Presencias")}));
    // Its load comes back; run and save are not re-evaluated; what was stored stays.
    QVERIFY(activo(&b.w, "SpeedButtonCiudades"));
    QVERIFY(activo(&b.w, "SpeedButtonEjecutar"));
    QVERIFY(activo(&b.w, "SpeedButtonGuardar"));
    QVERIFY(!b.w.entradas.ciudades.empty());
    // The covariate group clears the tree and the inputs.
    b.selecciona(b.arbol()->topLevelItem(0));
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonBorrar SpeedButtonEjecutar "
                                         "SpeedButtonGuardar SpeedButtonCerrar"));
    // Delete with nothing selected does nothing.
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
}

void PruebaBiasManager::corridaFallidaYGuardarSinCorrida() {
    Banco b;
    b.covariables(covs_);
    const QString mala = b.p->scratch.path() + QStringLiteral("/riqueza.asc");
    prueba::escribe(mala, "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2\n3 x");
    b.entrada(b.w.SpeedButtonCiudades, prueba::grid("cities.asc"), QStringLiteral("1"));
    b.entrada(b.w.SpeedButtonCarreteras, prueba::grid("roads.asc"), QStringLiteral("2"));
    b.entrada(b.w.SpeedButtonRiqueza, mala, QStringLiteral("10"));
    b.entrada(b.w.SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), QStringLiteral("10"));
    b.w.SpeedButtonEjecutar->click();
    QCOMPARE(b.p->errores.size(), std::size_t(1));
    QCOMPARE(b.p->errores[0].codigo, 12);
    QVERIFY(!b.p->log.isEmpty());  // the grid reader's account
    QVERIFY(!b.w.corridaCompleta);
    QVERIFY(activo(&b.w, "SpeedButtonEjecutar"));
    const auto preguntas = b.dlg().preguntas.size();
    b.w.SpeedButtonGuardar->click();
    QCOMPARE(b.dlg().preguntas.size(), preguntas);
}

void PruebaBiasManager::sesgoFueraDeRangoSeReportaYNoSeGuarda() {
    Banco b;
    // Cities of negative size pull the fitted surface below 0.
    QList<QByteArray> lineas = prueba::lee(prueba::grid("cities.asc")).split('\n');
    for (int i = 6; i < lineas.size(); ++i) {
        QList<QByteArray> t = lineas[i].split(' ');
        for (QByteArray& v : t)
            if (!v.isEmpty() && v != "0" && v != "-9999") v.prepend('-');
        lineas[i] = t.join(' ');
    }
    const QString negativas = b.p->scratch.path() + QStringLiteral("/negativas.asc");
    prueba::escribe(negativas, lineas.join('\n'));
    b.covariables(covs_);
    b.entrada(b.w.SpeedButtonCiudades, negativas, QStringLiteral("1"));
    b.entrada(b.w.SpeedButtonCarreteras, prueba::grid("roads.asc"), QStringLiteral("2"));
    b.entrada(b.w.SpeedButtonRiqueza, prueba::grid("richness.asc"), QStringLiteral("10000"));
    b.entrada(b.w.SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), QStringLiteral("200"));
    b.w.SpeedButtonEjecutar->click();
    QVERIFY(b.p->errores.empty());
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QVERIFY(b.dlg().mensajes[0].texto.startsWith(TFormBiasManager::textoSesgoFuera(QString()).section('(', 0, 0)));
    QVERIFY(!b.w.corridaCompleta);
    const auto preguntas = b.dlg().preguntas.size();
    b.w.SpeedButtonGuardar->click();
    QCOMPARE(b.dlg().preguntas.size(), preguntas);

    // A fitted value that is no probability is never written.
    b.w.entradas.ciudades = prueba::grid("cities.asc").toStdString();
    b.w.SpeedButtonEjecutar->click();
    QVERIFY(b.w.corridaCompleta);
    b.w.inferencia.sesgo->datos[0][0] = 1.5L;
    const QString salida = b.p->scratch.path() + QStringLiteral("/sesgo.txt");
    prueba::pulsa(b.dlg(), salida, b.w.SpeedButtonGuardar);
    QVERIFY(!QFile::exists(salida));
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(2));
    QVERIFY(b.dlg().mensajes[1].texto.contains(QStringLiteral("1.5")));
}

void PruebaBiasManager::cerrarYBarraDeTitulo() {
    Banco b;
    b.todo(covs_);
    b.dlg().responde(prueba::grid("cities.asc"));
    b.selecciona(b.arbol()->topLevelItem(1));
    b.w.SpeedButtonBorrar->click();
    b.w.SpeedButtonCiudades->click();  // a pending parameter
    b.w.SpeedButtonCerrar->click();
    QVERIFY(!b.w.isVisible());
    QCOMPARE(b.p->mostrada, 1);
    QVERIFY(b.p->log.isEmpty());  // this manager logs no time
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QVERIFY(b.w.PanelDatos->isHidden());
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonBorrar SpeedButtonCerrar"));
    b.w.show();
    QVERIFY(b.w.close());
    QCOMPARE(b.p->mostrada, 2);
}

QTEST_MAIN(PruebaBiasManager)
#include "test_biasmanager.moc"
