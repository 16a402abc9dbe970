// The bias manager driven by object name over a stand-in main window: the
// covariate load, the four inputs through the entry panel, refused
// parameters, Cancel, the readiness rule, run and save against the command
// line's bias file and the tree's delete rules.
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
        const std::tuple<QToolButton*, QString, const char*> entradas[] = {
            {w.SpeedButtonCiudades, prueba::grid("cities.asc"), "1"}, {w.SpeedButtonCarreteras, prueba::grid("roads.asc"), "2"},
            {w.SpeedButtonRiqueza, prueba::grid("richness.asc"), "10000"},
            {w.SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), "200"}};
        for (const auto& [boton, archivo, parametro] : entradas) entrada(boton, boton == cambiado ? otra : archivo, QLatin1String(parametro));
    }
    std::size_t guarda(const QString& ruta) {
        return prueba::preguntasDe(dlg(), [&] { prueba::pulsa(dlg(), ruta, w.SpeedButtonGuardar); });
    }
};

}  // namespace

class PruebaBiasManager : public QObject {
    Q_OBJECT
private slots:
    void entradasConPanelYReglaDeListo() {
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

    void corridaYGuardadoComoLaLineaDeComandos() {
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

    // A refused parameter: its box, and everything as it was (button on, no
    // file, no parameter, panel and text still there).
    void parametrosInvalidosSeRechazan() {
        using F = TFormBiasManager;
        const struct {
            QToolButton* F::*boton;
            int tipo;
            const char* texto;
        } casos[] = {{&F::SpeedButtonCiudades, F::kCiudades, "abc"},   {&F::SpeedButtonCiudades, F::kCiudades, "-1"},
                     {&F::SpeedButtonCiudades, F::kCiudades, "1e999"}, {&F::SpeedButtonCarreteras, F::kCarreteras, "0"},
                     {&F::SpeedButtonRiqueza, F::kRiqueza, "-3"},      {&F::SpeedButtonPresencias, F::kPresencias, "2.5"},
                     {&F::SpeedButtonPresencias, F::kPresencias, "-1"}};
        for (const auto& c : casos) {
            Banco b;
            b.covariables();
            const EntradasSesgo antes = b.w.entradas;
            b.entrada(b.w.*c.boton, prueba::grid("cities.asc"), QLatin1String(c.texto));
            QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
            QCOMPARE(b.dlg().mensajes[0].texto, F::textoParametroInvalido(c.tipo));
            QVERIFY2((b.w.*c.boton)->isEnabled() && !b.w.PanelDatos->isHidden() && !activo(&b.w, "SpeedButtonEjecutar"), c.texto);
            QCOMPARE(b.w.EditDato->text(), QLatin1String(c.texto));
            QCOMPARE(b.grupos(), QStringLiteral("Covs"));
            const EntradasSesgo& e = b.w.entradas;
            QVERIFY(e.ciudades.empty() && e.carreteras.empty() && e.riqueza.empty() && e.presencias.empty());
            QVERIFY(e.alfa == antes.alfa && e.beta == antes.beta && e.cota == antes.cota && e.ausencias == antes.ausencias);
        }
    }

    void cancelarNoGuardaNada() {
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

    void borrarGrupos() {
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

    void sesgoFueraDeRangoSeReportaYNoSeGuarda() {
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
    }
};

QTEST_MAIN(PruebaBiasManager)
#include "test_biasmanager.moc"
