// The main window driven by object name: the enable rules after each stage,
// log lines, error boxes, the choice dialog, the language change and the input
// block of long commands.
#include <chrono>
#include <thread>

#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// Enabled state of every control the stages change, as one string for readable failures.
QString estado(const Programa& q) {
    return prueba::activos(q.p, {"SpeedButtonCargaCov", "CovsMenu", "SpeedButtonCargaSesgo", "BiasMenu",
                                 "SpeedButtonCargaPriori", "PrioriMenu", "SpeedButtonCargaSites", "SitiosMenu",
                                 "SpeedButtonEjecutar", "EjecutarMenu", "RadioGroupColores", "ButtonCambioColor",
                                 "ExportPredictivaMenu", "ExportCertidumbreMenu", "ExportPotPrioriMenu", "ExportImagen",
                                 "MostrarMapa1", "SpeedButtonBorraTodos", "BorrarUnoMenu", "BorrarTodosMenu",
                                 "SpeedButtonProbabilidad", "SpeedButtonCertidumbre", "SpeedButtonPotPriori"});
}

QString es(const char* bytes) { return quel::textoDeBytes(bytes); }

// The generated table with line 6 one field short (line 5 sets the count).
std::string covariablesCortas() {
    std::string t = prueba::tablaCovariables();
    return t.replace(t.find("\n0,3,1,1,1,"), 11, "\n0,3,1,1,");
}

const QString kInicial = QStringLiteral("SpeedButtonCargaCov CovsMenu");

}  // namespace

class PruebaPrincipal : public QObject {
    Q_OBJECT
private slots:
    // What the workflow test's stages leave out: the first open dialog, a result
    // node that cannot be removed, removing the bias or the prior, and a clear
    // that releases everything.
    void reglasDeHabilitacionPorEtapa() {
        Programa q;
        q.cargaTodo();
        QCOMPARE(q.dialogos.preguntas[0].peticion.carpeta, q.ruta(QStringLiteral("Covariables")));
        q.ejecuta();
        QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
        // A result is no input: neither the button nor its menu twin removes it.
        q.selecciona(15);
        QVERIFY(!q.on("SpeedButtonBorraUno") && !q.on("BorrarUnoMenu"));
        q.p->SpeedButtonBorraUnoClick();
        QVERIFY(q.nodo(15));
        // Removing the bias or the prior node (the sites and the covariates: the
        // workflow test): its load back, the results released, the run off.
        for (const auto& [estado, boton, bandera] : {std::tuple{3, "SpeedButtonCargaSesgo", 1}, std::tuple{7, "SpeedButtonCargaPriori", 2}}) {
            q.selecciona(estado);
            q.w<QToolButton>("SpeedButtonBorraUno")->click();
            QVERIFY2(!q.nodo(estado) && q.on(boton), boton);
            for (int i : {bandera, 5, 6, 7}) QCOMPARE(q.p->control.banderas[i], 0);
            QVERIFY(!q.p->motor->predictiva && q.w<quel::TImagen>("ImageMapa")->isHidden());
            QVERIFY(!q.on("SpeedButtonEjecutar") && !q.on("EjecutarMenu") && !q.on("SpeedButtonCertidumbre") && !q.on("ExportImagen"));
            QCOMPARE(q.w<QLineEdit>("EditSesgo")->text(), QStringLiteral(" "));
        }
        QVERIFY(!q.p->datos.sesgo && !q.p->datos.priori);
        q.w<QToolButton>("SpeedButtonBorraTodos")->click();
        QCOMPARE(q.p->contadorNodos, 1);
        for (int b : q.p->control.banderas) QCOMPARE(b, 0);
        QCOMPARE(q.w<QLineEdit>("EditPredictiva")->text(), QStringLiteral(" "));
        QVERIFY(!q.p->datos.covariables && !q.p->datos.sesgo && !q.p->datos.sitios && !q.p->datos.priori && !q.p->motor->predictiva);
        // The menu twin of the run cannot start a run without inputs.
        const QString log = q.log();
        q.w<QAction>("EjecutarMenu")->trigger();
        QCOMPARE(q.log(), log);
    }

    void cargasEnCualquierOrden() {
        Programa q;
        q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
        q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
        q.cargaPriori();
        QVERIFY(!q.on("SpeedButtonEjecutar"));
        q.cargaSesgo();
        QVERIFY(q.on("SpeedButtonEjecutar") && q.on("EjecutarMenu") && q.on("RadioGroupColores") && q.on("ButtonCambioColor"));
        // Uniform surfaces have a single map leaf named after them.
        QCOMPARE(q.nodo(3)->childCount() + q.nodo(7)->childCount(), 2);
        QCOMPARE(q.nodo(6)->text(0) + q.nodo(10)->text(0), QStringLiteral("Sesgo UniformePriori Uniforme"));
        QCOMPARE(q.t->RadioGroupTipoPriori->itemIndex(), 1);  // the uniform prior is what the run is handed
        QList<int> valores;
        connect(q.w<QProgressBar>("ProgressBarMapa"), &QProgressBar::valueChanged, this, [&](int v) { valores.append(v); });
        q.w<QAction>("EjecutarMenu")->trigger();
        QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
        QCOMPARE(q.p->control.banderas[5], 1);
        // The bar restarts at 0, advances with the engine's own steps and ends at 100.
        QVERIFY(valores.size() > 5 && valores.first() == 0 && valores.last() == 100);
        for (int i = 1; i < valores.size(); ++i) QVERIFY(valores[i] > valores[i - 1]);
        QVERIFY(valores.contains(10) && valores.contains(90));
    }

    void cancelarNoCambiaNada() {
        Programa q;
        q.dialogos.cancela();
        q.w<QAction>("CovsMenu")->trigger();
        QCOMPARE(q.log(), QStringLiteral("Cargando la tabla de covariables...\nCarga cancelada.\nTabla de covariables cargada."));
        QCOMPARE(estado(q), kInicial);
        QCOMPARE(q.arbol()->topLevelItemCount(), 0);
        QVERIFY(q.w<QFrame>("PanelProgressBar")->isHidden());
    }

    void corridaCanceladaNoCambiaNada() {
        Programa q;
        q.cargaTodo();
        const QString antes = estado(q);
        const QImage mapa = q.mapa();
        const int nodos = q.arbol()->topLevelItemCount();
        auto pulsa = std::make_unique<prueba::PulsaAlHabilitarse>(q.w<QPushButton>("BotonCancelar"));
        q.ejecuta();
        QCOMPARE(pulsa->pulsaciones, 1);
        QCOMPARE(q.ultimaLinea(), QStringLiteral("Ejecución cancelada."));
        QCOMPARE(estado(q), antes);
        QVERIFY(q.mapa() == mapa);
        QCOMPARE(q.arbol()->topLevelItemCount(), nodos);
        QVERIFY(q.dialogos.mensajes.empty() && !q.on("BotonCancelar"));
        // Control is back: the next run goes through.
        pulsa.reset();
        q.ejecuta();
        QVERIFY(q.on("ExportPredictivaMenu"));
    }

    void cargaFallidaNoCambiaNada_data() {
        QTest::addColumn<int>("tipo");  // 0 covariates, 1 bias, 3 sites: the flag each load raises
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("linea");  // what follows the file's name in the box
        QTest::newRow("bias out of range") << 1 << QByteArray::fromStdString(prueba::tablaSesgo(3)) << es("Valor fuera de rango o no numérico en el renglón 4") << ":4";
        QTest::newRow("sites, two fields") << 3 << QByteArray("Lynx,1,2\nPuma,3") << es("Número de campos incorrecto en el renglón 2") << ":2";
        QTest::newRow("sites, final break") << 3 << QByteArray("Lynx,1,2\n") << es("Archivo vacío o ilegible; o con salto de línea al final; o último renglón de un carácter.") << ":2";
        QTest::newRow("table without separator") << 0 << QByteArray("Suelo,2,\nClima,3,") << es("Archivo mal formado (categorías o separador de la tabla; encabezado o valores de la malla ASCII).") << "";
        QTest::newRow("table, short line") << 0 << QByteArray::fromStdString(covariablesCortas()) << es("Número de campos incorrecto en el renglón 6") << ":6";
    }

    // A load that fails: one error box with its line, the log's last line, and
    // nothing changed (no flag, no node, the load still offered).
    void cargaFallidaNoCambiaNada() {
        QFETCH(int, tipo);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, texto);
        QFETCH(QString, linea);
        Programa q;
        if (tipo != 0) q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
        const QString antes = estado(q);
        const int nodos = q.arbol()->topLevelItemCount();
        const QString ruta = q.entrada(QStringLiteral("malo.txt"), bytes.toStdString());
        if (tipo == 0) q.cargaCovariables(ruta);
        else if (tipo == 1) q.cargaSesgo(ruta);
        else q.cargaSitios(ruta);
        QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
        QCOMPARE(q.dialogos.mensajes[0].icono, quel::IconoMensaje::Error);
        // The box names the file and line; the log keeps the coded text.
        QCOMPARE(q.dialogos.mensajes[0].texto, texto + QStringLiteral("\n\n") + ruta + linea);
        QCOMPARE(q.ultimaLinea(), texto);
        QVERIFY(q.w<QFrame>("PanelProgressBar")->isHidden() && q.p->isEnabled() && !q.p->ocupado());
        QCOMPARE(q.p->control.banderas[static_cast<std::size_t>(tipo)], 0);
        QCOMPARE(q.arbol()->topLevelItemCount(), nodos);
        QCOMPARE(estado(q), antes);
        // A bad table handed over by a manager: its code, nothing loaded.
        if (tipo == 0) QVERIFY(q.p->cargaCovariablesDesde(ruta) != 0 && q.p->control.banderas[0] == 0);
    }

    void dialogoTipoArchivoTresModos() {
        Programa q;
        q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
        TFormTipoArchivo* t = q.t;
        // Each mode shows its own panel and blocks the main window; Cancel (or the
        // title bar) loads nothing and asks for no file; the bias choice starts at
        // "Calculado (Con Archivo)".
        t->RadioGroupTipoDatos->fijaItemIndex(1);
        const std::tuple<const char*, QWidget*, bool> modos[] = {
            {"CambiarLenguaMenu", t->PanelLenguaje, false}, {"SpeedButtonCargaSesgo", t->PanelTipoSesgo, false}, {"PrioriMenu", t->PanelTipoPriori, true}};
        for (const auto& [comando, panelDelModo, barra] : modos) {
            if (auto* a = q.w<QAction>(comando)) a->trigger();
            else q.w<QToolButton>(comando)->click();
            QVERIFY(t->isVisible() && !q.p->isEnabled());
            for (QWidget* panel : {t->PanelLenguaje, t->PanelTipoSesgo, t->PanelTipoPriori}) QCOMPARE(panel->isVisible(), panel == panelDelModo);
            if (barra) t->close();
            else t->ButtonCancelar->click();
            QVERIFY(!t->isVisible() && q.p->isEnabled());
        }
        QCOMPARE(t->RadioGroupTipoDatos->itemIndex(), 0);
        QCOMPARE(q.p->control.banderas[1], 0);
        QVERIFY(q.on("SpeedButtonCargaSesgo") && q.dialogos.preguntas.size() == 1);
    }

    void cambioDeLenguajeYArchivoPuntero() {
        Programa q;
        const auto elige = [&](int indice) {
            q.w<QAction>("CambiarLenguaMenu")->trigger();
            q.t->ComboBoxLenguaje->setCurrentIndex(indice);
            q.t->ButtonOK->click();
        };
        elige(0);  // English
        QCOMPARE(prueba::lee(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))), QByteArray("C:\\Quel\\Lenguajes\\english.quel"));
        QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariates"));
        // The log speaks the new language, and so do the texts the language files hold no entry for.
        q.dialogos.cancela();
        q.w<QAction>("CovsMenu")->trigger();
        QVERIFY(q.log().contains(QStringLiteral("Load cancelled.")));
        QCOMPARE(q.w<QPushButton>("BotonCancelar")->text(), QStringLiteral("Cancel"));
        elige(1);
        QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("es"));
        QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariables"));
        QVERIFY(!q.t->PanelLenguaje->isVisible() && q.p->isEnabled());
        // Applying a language again leaves one set of choices.
        q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\espanol.quel");
        QCOMPARE(q.t->RadioGroupTipoDatos->elementos().size(), 2);
    }

    // Qt's own dialog buttons follow the chosen language, and the next start
    // offers the language chosen.
    void dialogosDeQtEnElIdiomaElegido() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_es.qm")))
            QSKIP("Qt's Spanish translations are not installed");
        const auto cancelar = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        auto q = std::make_unique<Programa>();
        q->w<QAction>("CambiarLenguaMenu")->trigger();
        QCOMPARE(q->t->ComboBoxLenguaje->currentText(), QStringLiteral("Español"));
        QCOMPARE(cancelar(), QStringLiteral("Cancelar"));
        q->t->ComboBoxLenguaje->setCurrentIndex(0);
        q->t->ButtonOK->click();
        QCOMPARE(cancelar(), QStringLiteral("Cancel"));
        const auto raiz = q->carpeta;
        q.reset();
        Programa otra(raiz);
        otra.w<QAction>("CambiarLenguaMenu")->trigger();
        QCOMPARE(otra.t->ComboBoxLenguaje->currentText(), QStringLiteral("English"));
        otra.t->ButtonCancelar->click();
    }

    void comandoLargoNoTomaEntrada() {
        Programa q;
        q.p->show();
        QVERIFY(QTest::qWaitForWindowExposed(q.p));
        int pintadas = 0, pulsados = 0, cancelados = 0;
        connect(q.w<QToolButton>("SpeedButtonCargaCov"), &QToolButton::clicked, this, [&] { ++pulsados; });
        // Only the button given as open (a run's Cancel) still takes a click.
        auto* cancelar = q.w<QPushButton>("BotonCancelar");
        cancelar->setEnabled(true);
        q.w<QFrame>("PanelProgressBar")->setVisible(true);
        connect(cancelar, &QPushButton::clicked, this, [&] { ++cancelados; });
        QTimer::singleShot(30, this, [&] {
            // A click, a key, a mouse move over the map and closing the window,
            // while the core works: all swallowed.
            QTest::mouseClick(q.w<QToolButton>("SpeedButtonCargaCov"), Qt::LeftButton);
            QTest::mouseClick(cancelar, Qt::LeftButton);
            QTest::keyClick(q.arbol(), Qt::Key_Return);
            QMouseEvent mueve(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(q.w<quel::TImagen>("ImageMapa"), &mueve);
            q.p->close();
            q.p->SpeedButtonCargaCovClick();  // a command started by a posted call is refused while the other runs
        });
        QTimer pinta;
        connect(&pinta, &QTimer::timeout, this, [&] { q.w<QProgressBar>("ProgressBarMapa")->setValue(++pintadas); });
        pinta.start(10);
        q.p->enSegundoPlano([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }, cancelar);
        pinta.stop();
        QCOMPARE(pulsados, 0);
        QCOMPARE(cancelados, 1);
        QVERIFY(q.p->isVisible() && q.dialogos.preguntas.empty());
        QVERIFY(pintadas >= 5);  // the window's own timers and painting went on
        // Afterwards input works again.
        q.dialogos.cancela();
        QTest::mouseClick(q.w<QToolButton>("SpeedButtonCargaCov"), Qt::LeftButton);
        QCOMPARE(pulsados, 1);
        q.p->close();
        QVERIFY(!q.p->isVisible());
    }
};

QTEST_MAIN(PruebaPrincipal)
#include "test_mainwindow.moc"
