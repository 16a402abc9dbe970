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

namespace {

QString estado(TFormBiasManager& w) {
    return prueba::activos(&w, {"SpeedButtonCargaCovs", "SpeedButtonCiudades", "SpeedButtonCarreteras",
                                "SpeedButtonRiqueza", "SpeedButtonPresencias", "SpeedButtonBorrar",
                                "SpeedButtonEjecutar", "SpeedButtonGuardar", "SpeedButtonCerrar"});
}
const QString kListo = QStringLiteral("SpeedButtonEjecutar SpeedButtonGuardar SpeedButtonCerrar");

struct Banco : prueba::BancoGestor<TFormBiasManager> {
    QTreeWidget* arbol() { return w.TreeViewExplorador; }
    QString grupos() {
        QStringList g;
        for (int i = 0; i < arbol()->topLevelItemCount(); ++i) g << arbol()->topLevelItem(i)->text(0);
        return g.join(QLatin1Char(' '));
    }
    void covariables(const QString& ruta = prueba::muestra(QStringLiteral("covariates.txt"))) {
        prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaCovs);
    }
    // Chooses `archivo` with `boton` and types `parametro` into the panel.
    void entrada(QToolButton* boton, const QString& archivo, const QString& parametro) {
        dlg().responde(archivo);
        boton->click();
        w.EditDato->setText(parametro);
        w.ButtonOk->click();
    }
    // The covariates and the sample's four inputs, any of them replaced by `otra`.
    void todo(QToolButton* cambiado = nullptr, const QString& otra = {}) {
        covariables();
        const struct {
            QToolButton* boton;
            QString archivo;
            const char* parametro;
        } entradas[] = {{w.SpeedButtonCiudades, prueba::grid("cities.asc"), "1"},
                        {w.SpeedButtonCarreteras, prueba::grid("roads.asc"), "2"},
                        {w.SpeedButtonRiqueza, prueba::grid("richness.asc"), "10000"},
                        {w.SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), "200"}};
        for (const auto& e : entradas)
            entrada(e.boton, e.boton == cambiado ? otra : e.archivo, QLatin1String(e.parametro));
    }
    std::size_t guarda(const QString& ruta) {
        return prueba::preguntasDe(dlg(), [&] { prueba::pulsa(dlg(), ruta, w.SpeedButtonGuardar); });
    }
};

}  // namespace

class PruebaBiasManager : public QObject {
    Q_OBJECT
private slots:
    void cargaDeCovariablesFallidaNoCambiaNada();
    void entradasConPanelYReglaDeListo();
    void corridaYGuardadoComoLaLineaDeComandos();
    void parametrosInvalidosSeRechazan_data();
    void parametrosInvalidosSeRechazan();
    void cancelarNoGuardaNada();
    void borrarGrupos();
    void corridaFallidaYGuardarSinCorrida();
    void sesgoFueraDeRangoSeReportaYNoSeGuarda();
    void cerrarYBarraDeTitulo();
};

void PruebaBiasManager::cargaDeCovariablesFallidaNoCambiaNada() {
    Banco b;
    prueba::escribe(b.p->tmp(QStringLiteral("mala.txt")), "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n1,2,1,1,1,\n1,2,1,");
    b.covariables(b.p->tmp(QStringLiteral("mala.txt")));
    QCOMPARE(b.p->errores.value(0).section(QLatin1Char(':'), 0, 0), QStringLiteral("5"));
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonGuardar SpeedButtonCerrar"));
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    // Cancel loads nothing.
    b.dlg().cancela();
    b.w.SpeedButtonCargaCovs->click();
    QCOMPARE(b.p->errores.size(), 1);
    QVERIFY(activo(&b.w, "SpeedButtonCargaCovs"));
}

void PruebaBiasManager::entradasConPanelYReglaDeListo() {
    Banco b;
    b.covariables();
    QVERIFY(b.p->errores.empty());
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCarreteras SpeedButtonRiqueza "
                                         "SpeedButtonPresencias SpeedButtonGuardar SpeedButtonCerrar"));
    // Presences first: the panel asks for n-; run is switched on, then off
    // again by the readiness rule.
    prueba::pulsa(b.dlg(), prueba::muestra(QStringLiteral("sites.txt")), b.w.SpeedButtonPresencias);
    QVERIFY(!b.w.PanelDatos->isHidden());
    QCOMPARE(b.w.tipoDato, int(TFormBiasManager::kPresencias));
    b.w.EditDato->setText(QStringLiteral("200"));
    b.w.ButtonOk->click();
    QVERIFY(b.w.PanelDatos->isHidden());
    QCOMPARE(b.w.EditDato->text(), QStringLiteral("200"));  // this one stays
    QCOMPARE(b.w.entradas.ausencias, 200);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCarreteras SpeedButtonRiqueza SpeedButtonCerrar"));
    b.entrada(b.w.SpeedButtonRiqueza, prueba::grid("richness.asc"), QStringLiteral("2"));
    QVERIFY(b.w.entradas.cota == 2.0f && b.w.pendiente == 0.5f && b.w.EditDato->text().isEmpty());
    // Choosing another input while the panel waits turns the panel to it.
    prueba::pulsa(b.dlg(), prueba::grid("cities.asc"), b.w.SpeedButtonCiudades);
    b.entrada(b.w.SpeedButtonCarreteras, prueba::grid("roads.asc"), QStringLiteral("2"));
    QVERIFY(b.w.entradas.beta == 2.0f && b.w.entradas.ciudades.empty());
    QCOMPARE(b.w.entradas.carreteras, std::filesystem::path(prueba::grid("roads.asc").toStdString()));
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCiudades SpeedButtonCerrar"));
    b.entrada(b.w.SpeedButtonCiudades, prueba::grid("cities.asc"), QStringLiteral(" 0 "));
    QCOMPARE(b.w.entradas.alfa, 0.0f);  // Alfa may be 0
    QCOMPARE(b.w.entradas.ciudades, std::filesystem::path(prueba::grid("cities.asc").toStdString()));
    QCOMPARE(estado(b.w), kListo);
    QCOMPARE(b.grupos(), QStringLiteral("Covs Presencias Riqueza Carreteras Ciudades"));
}

void PruebaBiasManager::corridaYGuardadoComoLaLineaDeComandos() {
    Banco b;
    b.todo();
    QCOMPARE(estado(b.w), kListo);
    QCOMPARE(b.guarda(b.p->tmp(QStringLiteral("sesgo"))), 0u);  // no run yet: nothing asked
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
    QVERIFY(b.p->errores.empty() && b.dlg().mensajes.empty() && b.w.corridaCompleta);
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
    QCOMPARE(estado(b.w), kListo);

    b.guarda(b.p->tmp(QStringLiteral("sesgo")));
    QVERIFY(prueba::lee(b.p->tmp(QStringLiteral("sesgo"))) == prueba::referencia(QStringLiteral("bias.txt")));
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
    b.covariables();
    QToolButton* boton = tipo == TFormBiasManager::kCiudades     ? b.w.SpeedButtonCiudades
                         : tipo == TFormBiasManager::kCarreteras ? b.w.SpeedButtonCarreteras
                         : tipo == TFormBiasManager::kRiqueza    ? b.w.SpeedButtonRiqueza
                                                                 : b.w.SpeedButtonPresencias;
    const EntradasSesgo antes = b.w.entradas;
    b.entrada(boton, prueba::grid("cities.asc"), texto);
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.dlg().mensajes[0].texto, TFormBiasManager::textoParametroInvalido(tipo));
    // Everything as it was: button on, no file, no parameter, panel and text still there.
    QVERIFY(boton->isEnabled() && !b.w.PanelDatos->isHidden() && !activo(&b.w, "SpeedButtonEjecutar"));
    QCOMPARE(b.w.EditDato->text(), texto);
    QCOMPARE(b.grupos(), QStringLiteral("Covs"));
    const EntradasSesgo& e = b.w.entradas;
    QVERIFY(e.ciudades.empty() && e.carreteras.empty() && e.riqueza.empty() && e.presencias.empty());
    QVERIFY(e.alfa == antes.alfa && e.beta == antes.beta && e.cota == antes.cota && e.ausencias == antes.ausencias);
}

void PruebaBiasManager::cancelarNoGuardaNada() {
    Banco b;
    b.covariables();
    prueba::pulsa(b.dlg(), prueba::grid("cities.asc"), b.w.SpeedButtonCiudades);
    b.w.EditDato->setText(QStringLiteral("5"));
    b.w.ButtonCancel->click();
    QVERIFY(b.w.PanelDatos->isHidden() && b.w.SpeedButtonCiudades->isEnabled() && b.w.entradas.ciudades.empty());
    QCOMPARE(b.w.entradas.alfa, 0.0f);
    QCOMPARE(b.grupos(), QStringLiteral("Covs"));
    // A cancelled file dialog does not open the panel.
    b.dlg().cancela();
    b.w.SpeedButtonCarreteras->click();
    QVERIFY(b.w.PanelDatos->isHidden());
}

void PruebaBiasManager::borrarGrupos() {
    Banco b;
    b.todo();
    // The selection decides whether delete is offered.
    b.arbol()->setCurrentItem(b.arbol()->topLevelItem(1)->child(0));
    QVERIFY(!activo(&b.w, "SpeedButtonBorrar"));
    b.arbol()->setCurrentItem(b.arbol()->topLevelItem(1));
    QVERIFY(activo(&b.w, "SpeedButtonBorrar"));
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(b.grupos(), QStringLiteral("Covs Carreteras Riqueza Presencias"));
    // Its load comes back; run and save are not re-evaluated; what was stored stays.
    QVERIFY(activo(&b.w, "SpeedButtonCiudades") && activo(&b.w, "SpeedButtonEjecutar") && activo(&b.w, "SpeedButtonGuardar"));
    QVERIFY(!b.w.entradas.ciudades.empty());
    // The covariate group clears the tree and the inputs; with nothing selected delete does nothing.
    b.arbol()->setCurrentItem(b.arbol()->topLevelItem(0));
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonBorrar ") + kListo);
    b.w.SpeedButtonBorrar->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
}

void PruebaBiasManager::corridaFallidaYGuardarSinCorrida() {
    Banco b;
    prueba::escribe(b.p->tmp(QStringLiteral("riqueza.asc")), prueba::kGridIlegible);
    b.todo(b.w.SpeedButtonRiqueza, b.p->tmp(QStringLiteral("riqueza.asc")));
    b.w.SpeedButtonEjecutar->click();
    QCOMPARE(b.p->errores.value(0).section(QLatin1Char(':'), 0, 0), QStringLiteral("12"));
    QVERIFY(!b.p->log.isEmpty());  // the grid reader's account
    QVERIFY(!b.w.corridaCompleta && activo(&b.w, "SpeedButtonEjecutar"));
    QCOMPARE(b.guarda(b.p->tmp(QStringLiteral("sesgo.txt"))), 0u);
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
    prueba::escribe(b.p->tmp(QStringLiteral("negativas.asc")), lineas.join('\n'));
    b.todo(b.w.SpeedButtonCiudades, b.p->tmp(QStringLiteral("negativas.asc")));
    b.w.SpeedButtonEjecutar->click();
    QVERIFY(b.p->errores.empty());
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QVERIFY(b.dlg().mensajes[0].texto.startsWith(TFormBiasManager::textoSesgoFuera(QString()).section('(', 0, 0)));
    QVERIFY(!b.w.corridaCompleta);
    QCOMPARE(b.guarda(b.p->tmp(QStringLiteral("sesgo.txt"))), 0u);

    // A fitted value that is no probability is never written.
    b.w.entradas.ciudades = prueba::grid("cities.asc").toStdString();
    b.w.SpeedButtonEjecutar->click();
    QVERIFY(b.w.corridaCompleta);
    b.w.inferencia.sesgo->datos[0][0] = 1.5L;
    b.guarda(b.p->tmp(QStringLiteral("sesgo.txt")));
    QVERIFY(!QFile::exists(b.p->tmp(QStringLiteral("sesgo.txt"))));
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(2));
    QVERIFY(b.dlg().mensajes[1].texto.contains(QStringLiteral("1.5")));
}

void PruebaBiasManager::cerrarYBarraDeTitulo() {
    Banco b;
    b.todo();
    b.dlg().responde(prueba::grid("cities.asc"));
    b.arbol()->setCurrentItem(b.arbol()->topLevelItem(1));
    b.w.SpeedButtonBorrar->click();
    b.w.SpeedButtonCiudades->click();  // a pending parameter
    b.w.SpeedButtonCerrar->click();
    QVERIFY(!b.w.isVisible() && b.w.PanelDatos->isHidden());
    QCOMPARE(b.p->mostrada, 1);
    QVERIFY(b.p->log.isEmpty());  // this manager logs no time
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaCovs SpeedButtonBorrar SpeedButtonCerrar"));
    b.w.show();
    QVERIFY(b.w.close());
    QCOMPARE(b.p->mostrada, 2);
}

QTEST_MAIN(PruebaBiasManager)
#include "test_biasmanager.moc"
