// The main window driven by object name: start-up, the enable rules after
// each stage, log lines, error boxes, the tree's nodes and click rules, the
// choice dialog, the language files and the input block of long commands.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "ui/Controles.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// Enabled state of every control the stages change, as one string for readable failures.
QString estado(const Programa& q) {
    const char* nombres[] = {"SpeedButtonCargaCov", "CovsMenu", "SpeedButtonCargaSesgo", "BiasMenu",
                             "SpeedButtonCargaPriori", "PrioriMenu", "SpeedButtonCargaSites", "SitiosMenu",
                             "SpeedButtonEjecutar", "EjecutarMenu", "RadioGroupColores", "ButtonCambioColor",
                             "ExportPredictivaMenu", "ExportCertidumbreMenu", "ExportPotPrioriMenu", "ExportImagen",
                             "MostrarMapa1", "SpeedButtonBorraTodos", "BorrarUnoMenu", "BorrarTodosMenu",
                             "SpeedButtonProbabilidad", "SpeedButtonCertidumbre", "SpeedButtonPotPriori"};
    QStringList on;
    for (const char* n : nombres)
        if (q.on(n)) on.append(QString::fromLatin1(n));
    return on.join(QLatin1Char(' '));
}

QString es(const char* bytes) { return quel::textoDeBytes(bytes); }

// The generated table with line 6 one field short (line 5 sets the count).
std::string covariablesCortas() {
    std::string t = prueba::tablaCovariables();
    return t.replace(t.find("\n0,3,1,1,1,"), 11, "\n0,3,1,1,");
}

const QString kInicial = QStringLiteral("SpeedButtonCargaCov CovsMenu");
const QByteArray kPunteroEspanol("C:\\Quel\\Lenguajes\\espanol.quel");

}  // namespace

class PruebaPrincipal : public QObject {
    Q_OBJECT
private slots:
    void arranqueCreaLaCarpetaYAplicaElEspanol();
    void reglasDeHabilitacionPorEtapa();
    void cargasEnCualquierOrden();
    void cancelarNoCambiaNada();
    void corridaCanceladaNoCambiaNada();
    void cargaFallidaNoCambiaNada_data();
    void cargaFallidaNoCambiaNada();
    void nombresIgualesSeguidosDanUnNodo();
    void borrarUnoDeCadaTipo();
    void dialogoTipoArchivoTresModos();
    void cambioDeLenguajeYArchivoPuntero();
    void sinPunteroQuedanLosTextosDisenados();
    void registraPrioriEligeCalculado();
    void comandoLargoNoTomaEntrada();
    void filtrosDeLosDialogos();
    void descargaDeOcurrenciasComoSitios();
};

void PruebaPrincipal::arranqueCreaLaCarpetaYAplicaElEspanol() {
    Programa q;
    for (const char* d : {"Covariables", "Grids", "Lenguajes/english.quel", "Lenguajes/espanol.quel"})
        QVERIFY2(QFile::exists(q.ruta(QString::fromLatin1(d))), d);
    const QString puntero = q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"));
    QCOMPARE(prueba::lee(puntero), kPunteroEspanol);
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesLog[0]), QStringLiteral("Carga cancelada."));  // the Spanish file is in force
    QVERIFY(!q.t->isVisible());
    QCOMPARE(estado(q), kInicial);
    // A pointer file deleted later is not recreated by the next start.
    QFile::remove(puntero);
    Programa otra(q.carpeta);
    QVERIFY(!QFile::exists(puntero));
}

// What the workflow test's stages leave out: the first open dialog, a result
// node that cannot be removed, and a clear that releases everything.
void PruebaPrincipal::reglasDeHabilitacionPorEtapa() {
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

void PruebaPrincipal::cargasEnCualquierOrden() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    q.prioriUniforme();
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    q.sesgoUniforme();
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

void PruebaPrincipal::cancelarNoCambiaNada() {
    Programa q;
    q.dialogos.cancela();
    q.w<QAction>("CovsMenu")->trigger();
    QCOMPARE(q.log(), QStringLiteral("Cargando la tabla de covariables...\nCarga cancelada.\nTabla de covariables cargada."));
    QCOMPARE(estado(q), kInicial);
    QCOMPARE(q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), 0);
    QVERIFY(q.w<QFrame>("PanelProgressBar")->isHidden());
}

void PruebaPrincipal::corridaCanceladaNoCambiaNada() {
    Programa q;
    q.cargaTodo();
    const QString antes = estado(q);
    const QImage mapa = q.w<quel::TImagen>("ImageMapa")->bitmap();
    const int nodos = q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount();
    auto pulsa = std::make_unique<prueba::PulsaAlHabilitarse>(q.w<QPushButton>("BotonCancelar"));
    q.ejecuta();
    QCOMPARE(pulsa->pulsaciones, 1);
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Ejecución cancelada."));
    QCOMPARE(estado(q), antes);
    QVERIFY(q.w<quel::TImagen>("ImageMapa")->bitmap() == mapa);
    QCOMPARE(q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), nodos);
    QVERIFY(q.dialogos.mensajes.empty() && !q.on("BotonCancelar"));
    // Control is back: the next run goes through.
    pulsa.reset();
    q.ejecuta();
    QVERIFY(q.on("ExportPredictivaMenu"));
}

void PruebaPrincipal::cargaFallidaNoCambiaNada_data() {
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
void PruebaPrincipal::cargaFallidaNoCambiaNada() {
    QFETCH(int, tipo);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, texto);
    QFETCH(QString, linea);
    Programa q;
    if (tipo != 0) q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    const QString antes = estado(q);
    const int nodos = q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount();
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
    QCOMPARE(q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), nodos);
    QCOMPARE(estado(q), antes);
    // A bad table handed over by a manager: its code, nothing loaded.
    if (tipo == 0) QVERIFY(q.p->cargaCovariablesDesde(ruta) != 0 && q.p->control.banderas[0] == 0);
}

// Name nodes: equal names in a row give one node; names in the Windows code
// page and in UTF-8 both show right; removing the sites gives their numbers back.
void PruebaPrincipal::nombresIgualesSeguidosDanUnNodo() {
    Programa q;
    std::string tabla = prueba::tablaCovariables();
    tabla.replace(tabla.find("Clima,3,"), 8, "Suelo,3,");
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), tabla));
    QCOMPARE(q.nodo(0)->childCount(), 3);
    QCOMPARE(q.nodo(22)->text(0), QStringLiteral("Suelo"));
    QCOMPARE(q.p->contadorNodos, 2);
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), "Espa\xf1ola,0.4,2.6\nNi\xc3\xb1" "a,1.5,1.5"));
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QCOMPARE(q.nodo(11)->child(3)->text(0) + q.nodo(11)->child(4)->text(0), QStringLiteral("EspañolaNiña"));
    QCOMPARE(q.p->contadorNodos, 4);
    q.selecciona(11);
    q.w<QToolButton>("SpeedButtonBorraUno")->click();
    QCOMPARE(q.p->contadorNodos, 2);
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.nodo(23)->text(0) + q.nodo(24)->text(0), QStringLiteral("LynxPuma"));
}

// The bias and the prior nodes (the sites and the covariates: the workflow test).
void PruebaPrincipal::borrarUnoDeCadaTipo() {
    Programa q;
    q.cargaTodo();
    q.ejecuta();
    const struct {
        int estado;
        const char* boton;
        int bandera;
    } casos[] = {{3, "SpeedButtonCargaSesgo", 1}, {7, "SpeedButtonCargaPriori", 2}};
    for (const auto& c : casos) {
        q.selecciona(c.estado);
        q.w<QToolButton>("SpeedButtonBorraUno")->click();
        QVERIFY(!q.nodo(c.estado));
        QVERIFY2(q.on(c.boton), c.boton);
        // An input is missing: results released, the run off.
        for (int i : {c.bandera, 5, 6, 7}) QCOMPARE(q.p->control.banderas[i], 0);
        QVERIFY(!q.p->motor->predictiva && q.w<quel::TImagen>("ImageMapa")->isHidden());
        QVERIFY(!q.on("SpeedButtonEjecutar") && !q.on("EjecutarMenu") && !q.on("SpeedButtonCertidumbre") && !q.on("ExportImagen"));
        QCOMPARE(q.w<QLineEdit>("EditSesgo")->text(), QStringLiteral(" "));
    }
    QVERIFY(!q.p->datos.sesgo && !q.p->datos.priori);
}

void PruebaPrincipal::descargaDeOcurrenciasComoSitios() {
    Programa q;
    q.cargaCovariables(Programa::muestra("covariates.txt"));
    // A download in the tab-separated layout: converted, reported in the log, loaded.
    const QString descarga = q.entrada(QStringLiteral("occurrence.txt"),
                                       "species\tdecimalLongitude\tdecimalLatitude\n"
                                       "Brosimum_alicastrum\t-105.0178\t19.9041\nBrosimum_alicastrum\t\t19.9\n"
                                       "Quercus_magnoliifolia\t-104.5647\t19.7314\nQuercus_magnoliifolia\t0\t0\n");
    q.cargaSitios(descarga);
    QVERIFY(q.dialogos.mensajes.empty());
    QCOMPARE(q.p->control.banderas[3], 1);
    QCOMPARE(q.p->datos.sitios->renglones, 2);
    QCOMPARE(q.p->datos.numEspecies, 2);
    QVERIFY(q.log().contains(QStringLiteral("Quercus_magnoliifolia: 1 kept, 0 without coordinates, 1 outside the region\nsites kept: 2")));
    QCOMPARE(q.nodo(11)->child(0)->text(0), descarga);  // the user's file, not the converted one
}

void PruebaPrincipal::dialogoTipoArchivoTresModos() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    TFormTipoArchivo* t = q.t;
    // Each mode shows its own panel and blocks the main window; Cancel (or the
    // title bar) loads nothing and asks for no file; the bias choice starts at
    // "Calculado (Con Archivo)".
    t->RadioGroupTipoDatos->fijaItemIndex(1);
    const struct {
        const char* comando;
        QWidget* panel;
        bool barra;
    } modos[] = {{"CambiarLenguaMenu", t->PanelLenguaje, false}, {"SpeedButtonCargaSesgo", t->PanelTipoSesgo, false},
                 {"PrioriMenu", t->PanelTipoPriori, true}};
    for (const auto& m : modos) {
        if (auto* a = q.w<QAction>(m.comando)) a->trigger();
        else q.w<QToolButton>(m.comando)->click();
        QVERIFY(t->isVisible() && !q.p->isEnabled());
        for (QWidget* panel : {t->PanelLenguaje, t->PanelTipoSesgo, t->PanelTipoPriori}) QCOMPARE(panel->isVisible(), panel == m.panel);
        if (m.barra) t->close();
        else t->ButtonCancelar->click();
        QVERIFY(!t->isVisible() && q.p->isEnabled());
    }
    QCOMPARE(t->RadioGroupTipoDatos->itemIndex(), 0);
    QCOMPARE(q.p->control.banderas[1], 0);
    QVERIFY(q.on("SpeedButtonCargaSesgo"));
    // Prior mode, OK with the uniform choice: the load runs without a file dialog.
    q.prioriUniforme();
    QVERIFY(q.p->isEnabled() && !t->isVisible() && !q.on("SpeedButtonCargaPriori"));
    QCOMPARE(q.p->control.banderas[2], 1);
    QCOMPARE(q.dialogos.preguntas.size(), std::size_t{1});
}

void PruebaPrincipal::cambioDeLenguajeYArchivoPuntero() {
    Programa q;
    const QString puntero = q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"));
    q.w<QAction>("CambiarLenguaMenu")->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(0);  // English
    q.t->ButtonOK->click();
    QCOMPARE(prueba::lee(puntero), QByteArray("C:\\Quel\\Lenguajes\\english.quel"));
    QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariates"));
    QCOMPARE(q.app->covManager->windowTitle(), q.w<QAction>("AdmonCovsMenu")->text());
    // The log speaks the new language, and so do the texts the language files hold no entry for.
    q.dialogos.cancela();
    q.w<QAction>("CovsMenu")->trigger();
    QVERIFY(q.log().contains(QStringLiteral("Load cancelled.")));
    QCOMPARE(q.w<QPushButton>("BotonCancelar")->text(), QStringLiteral("Cancel"));
    // Back to Spanish: the pointer file holds exactly the path.
    q.w<QAction>("CambiarLenguaMenu")->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(1);
    q.t->ButtonOK->click();
    QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("es"));
    QCOMPARE(prueba::lee(puntero), kPunteroEspanol);
    QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariables"));
    QVERIFY(!q.t->PanelLenguaje->isVisible() && q.p->isEnabled());
    // Applying a language twice gives what applying it once gives.
    const QString antes = q.w<QToolButton>("SpeedButtonCargaCov")->toolTip();
    q.p->cambiaLenguaje(kPunteroEspanol.toStdString());
    QCOMPARE(q.w<QToolButton>("SpeedButtonCargaCov")->toolTip(), antes);
    QCOMPARE(q.t->RadioGroupTipoDatos->elementos().size(), 2);
}

void PruebaPrincipal::sinPunteroQuedanLosTextosDisenados() {
    auto raiz = std::make_shared<QTemporaryDir>();
    QDir().mkpath(raiz->path() + QStringLiteral("/Lenguajes"));
    Programa q(raiz);
    QVERIFY(!QFile::exists(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))));
    for (const auto& m : q.p->mensajesError) QVERIFY(m.empty());
    QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariables"));
    // Error boxes then show only the code.
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.cargaSesgo(q.entrada(QStringLiteral("malo.txt"), prueba::tablaSesgo(6)));
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    QVERIFY(q.dialogos.mensajes[0].texto.startsWith(QStringLiteral("7\n\n")));
    // A language file with a short line 2 changes only what its fields name;
    // Windows-1252 text shows as such; line 10 with three names leaves three items.
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/corto.quel")), "x\nUno,Dos,\n");
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\corto.quel");
    QCOMPARE(q.w<QMenu>("Archivo1")->title() + q.w<QMenu>("Cargar1")->title(), QStringLiteral("UnoDos"));
    QCOMPARE(q.w<QMenu>("Exportar1")->title(), QStringLiteral("Exportar Archivo..."));
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/ansi.quel")), "x\nArch\xedvo,\nx\nx\nx\nx\nx\nx\nx\nDegradados,a,b,c,\n");
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\ansi.quel");
    QCOMPARE(q.w<QMenu>("Archivo1")->title(), QStringLiteral("Archívo"));
    QCOMPARE(q.w<quel::TRadioGroup>("RadioGroupColores")->elementos(), QStringList({"a", "b", "c"}));
}

void PruebaPrincipal::registraPrioriEligeCalculado() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.t->RadioGroupTipoPriori->fijaItemIndex(-1);  // as designed at start
    // The prior manager puts a table into the dataset and hands it over.
    q.p->datos.priori = std::make_unique<TImagenN<int>>(16, 2);
    for (int r = 0; r < 16; ++r) q.p->datos.priori->datos[0][r] = r % 4;
    q.p->registraPriori(nullptr, QStringLiteral("C:\\Quel\\PrioriTmp.txt"));
    QCOMPARE(q.t->RadioGroupTipoPriori->itemIndex(), 0);
    QCOMPARE(q.p->control.banderas[2], 1);
    QCOMPARE(q.nodo(7)->childCount(), 3);
    QVERIFY(!q.on("SpeedButtonCargaPriori") && !q.on("PrioriMenu"));
}

void PruebaPrincipal::comandoLargoNoTomaEntrada() {
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
        QTest::keyClick(q.w<QTreeWidget>("TreeViewExplorador"), Qt::Key_Return);
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

void PruebaPrincipal::filtrosDeLosDialogos() {
    const QString f = quel::filtroQt(QStringLiteral("Archivos de texto (*.txt; *.csv)|*.txt;*.csv|Todos|*.*"));
    QCOMPARE(f, QStringLiteral("Archivos de texto (*.txt *.csv);;Todos (*.*)"));
    QCOMPARE(quel::indiceDeFiltroQt(f, QStringLiteral("Todos (*.*)")), 2);
    QCOMPARE(quel::indiceDeFiltroQt(f, QStringLiteral("otro")), 1);
    // An empty filter (no language file) gives none; a lone pattern is kept.
    QCOMPARE(quel::filtroQt(QString()), QString());
    QCOMPARE(quel::filtroQt(QStringLiteral("*.asc")), QStringLiteral("*.asc (*.asc)"));
}

QTEST_MAIN(PruebaPrincipal)
#include "test_mainwindow.moc"
