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

const char* const kCargasEntrada[] = {"SpeedButtonCargaSesgo", "BiasMenu",    "SpeedButtonCargaPriori",
                                      "PrioriMenu",            "SpeedButtonCargaSites", "SitiosMenu"};

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
    void cargaDesdeRutaYErrorConRenglonDado();
    void descargaDeOcurrenciasComoSitios();
};

void PruebaPrincipal::arranqueCreaLaCarpetaYAplicaElEspanol() {
    Programa q;
    for (const char* d : {"Lenguajes", "Covariables", "Grids"}) QVERIFY(QDir(q.ruta(QString::fromLatin1(d))).exists());
    QVERIFY(QFile::exists(q.ruta(QStringLiteral("Lenguajes/english.quel"))));
    QVERIFY(QFile::exists(q.ruta(QStringLiteral("Lenguajes/espanol.quel"))));
    QCOMPARE(prueba::lee(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))),
             QByteArray("C:\\Quel\\Lenguajes\\espanol.quel"));
    // The Spanish file is in force: its message tables are filled.
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesLog[0]), QStringLiteral("Carga cancelada."));
    QVERIFY(!q.t->isVisible());
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));

    // A pointer file deleted later is not recreated by the next start.
    QFile::remove(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel")));
    Programa otra(q.carpeta);
    QVERIFY(!QFile::exists(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))));
}

// What the workflow test's stages leave out: the first open dialog, a result
// node that cannot be removed, and a clear that releases everything.
void PruebaPrincipal::reglasDeHabilitacionPorEtapa() {
    Programa q;
    q.cargaTodo();
    // The first open dialog: the covariate folder, filter and title from the language.
    QCOMPARE(q.dialogos.preguntas[0].peticion.carpeta, q.ruta(QStringLiteral("Covariables")));
    QCOMPARE(q.dialogos.preguntas[0].peticion.filtro, TFormPrincipal::tx(q.p->textosDialogo[1]));
    q.ejecuta();
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Predicción terminada."));
    // A result is no input: neither the button nor its menu twin removes it.
    q.selecciona(15);
    QVERIFY(!q.on("SpeedButtonBorraUno") && !q.on("BorrarUnoMenu"));
    q.p->SpeedButtonBorraUnoClick();
    QCOMPARE(q.p->control.banderas[5], 1);
    QVERIFY(q.nodo(15));

    q.w<QToolButton>("SpeedButtonBorraTodos")->click();
    QCOMPARE(q.p->contadorNodos, 1);
    for (int b : q.p->control.banderas) QCOMPARE(b, 0);
    QCOMPARE(q.w<QLineEdit>("EditPredictiva")->text(), QStringLiteral(" "));
    QVERIFY(!q.p->datos.covariables && !q.p->datos.sesgo && !q.p->datos.sitios && !q.p->datos.priori);
    QVERIFY(!q.p->motor->predictiva);
    // The menu twin of the run cannot start a run without inputs.
    const QString log = q.log();
    q.w<QAction>("EjecutarMenu")->trigger();
    QCOMPARE(q.log(), log);
}

void PruebaPrincipal::cargasEnCualquierOrden() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    q.prioriUniforme();
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Información a priori cargada."));
    q.sesgoUniforme();
    QVERIFY(q.on("SpeedButtonEjecutar") && q.on("EjecutarMenu") && q.on("RadioGroupColores") &&
            q.on("ButtonCambioColor"));
    // Uniform surfaces have a single map leaf named after them.
    QCOMPARE(q.nodo(3)->childCount(), 1);
    QCOMPARE(q.nodo(6)->text(0), QStringLiteral("Sesgo Uniforme"));
    QCOMPARE(q.nodo(7)->childCount(), 1);
    QCOMPARE(q.nodo(10)->text(0), QStringLiteral("Priori Uniforme"));
    // The uniform prior is what the run is handed.
    QCOMPARE(q.t->RadioGroupTipoPriori->itemIndex(), 1);
    QList<int> valores;
    connect(q.w<QProgressBar>("ProgressBarMapa"), &QProgressBar::valueChanged, this, [&](int v) { valores.append(v); });
    q.w<QAction>("EjecutarMenu")->trigger();
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QCOMPARE(q.p->control.banderas[5], 1);
    // The bar restarts at 0, advances with the engine's own steps and ends at 100.
    QVERIFY(valores.size() > 5);
    QCOMPARE(valores.first(), 0);
    QCOMPARE(valores.last(), 100);
    for (int i = 1; i < valores.size(); ++i) QVERIFY(valores[i] > valores[i - 1]);
    QVERIFY(valores.contains(10) && valores.contains(90));
}

void PruebaPrincipal::cancelarNoCambiaNada() {
    Programa q;
    q.dialogos.cancela();
    q.w<QAction>("CovsMenu")->trigger();
    QCOMPARE(q.log(), QStringLiteral("Cargando la tabla de covariables...\nCarga cancelada.\nTabla de covariables cargada."));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));
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
    QVERIFY(q.dialogos.mensajes.empty());
    QVERIFY(!q.on("BotonCancelar"));
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
    QTest::newRow("bias out of range") << 1 << QByteArray::fromStdString(prueba::tablaSesgo(3))
                                       << QStringLiteral("Valor fuera de rango o no numérico en el renglón 4")
                                       << QStringLiteral(":4");
    QTest::newRow("sites, two fields") << 3 << QByteArray("Lynx,1,2\nPuma,3")
                                       << QStringLiteral("Número de campos incorrecto en el renglón 2")
                                       << QStringLiteral(":2");
    QTest::newRow("sites, final break")
        << 3 << QByteArray("Lynx,1,2\n")
        << es("Archivo vacío o ilegible; o con salto de línea al final; o último renglón de un carácter.")
        << QStringLiteral(":2");
    QTest::newRow("table without separator")
        << 0 << QByteArray("Suelo,2,\nClima,3,")
        << es("Archivo mal formado (categorías o separador de la tabla; encabezado o valores de la malla ASCII).")
        << QString();
    QTest::newRow("table, short line") << 0 << QByteArray::fromStdString(covariablesCortas())
                                       << QStringLiteral("Número de campos incorrecto en el renglón 6")
                                       << QStringLiteral(":6");
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
    const auto& m = q.dialogos.mensajes[0];
    QCOMPARE(m.titulo, QStringLiteral("ERROR"));
    QCOMPARE(m.icono, quel::IconoMensaje::Error);
    // The box names the file and line; the log keeps the coded text.
    QCOMPARE(m.texto, texto + QStringLiteral("\n\n") + ruta + linea);
    QCOMPARE(q.ultimaLinea(), texto);
    QVERIFY(q.w<QFrame>("PanelProgressBar")->isHidden());
    QCOMPARE(q.p->control.banderas[static_cast<std::size_t>(tipo)], 0);
    QCOMPARE(q.w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), nodos);
    QCOMPARE(estado(q), antes);
    QVERIFY(q.p->isEnabled() && !q.p->ocupado());
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
    QCOMPARE(q.nodo(11)->child(3)->text(0), QStringLiteral("Española"));
    QCOMPARE(q.nodo(11)->child(4)->text(0), QStringLiteral("Niña"));
    QCOMPARE(q.p->contadorNodos, 4);
    q.selecciona(11);
    q.w<QToolButton>("SpeedButtonBorraUno")->click();
    QCOMPARE(q.p->contadorNodos, 2);
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.nodo(23)->text(0), QStringLiteral("Lynx"));
    QCOMPARE(q.nodo(24)->text(0), QStringLiteral("Puma"));
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
        const char* log;
    } casos[] = {{3, "SpeedButtonCargaSesgo", 1, "Sesgo espacial borrado."},
                 {7, "SpeedButtonCargaPriori", 2, "Información a priori borrada."}};
    for (const auto& c : casos) {
        q.selecciona(c.estado);
        q.w<QToolButton>("SpeedButtonBorraUno")->click();
        QVERIFY(!q.nodo(c.estado));
        QCOMPARE(q.ultimaLinea(), es(c.log));
        QVERIFY2(q.on(c.boton), c.boton);
        QCOMPARE(q.p->control.banderas[c.bandera], 0);
        // An input is missing: results released, the run off.
        for (int i : {5, 6, 7}) QCOMPARE(q.p->control.banderas[i], 0);
        QVERIFY(!q.p->motor->predictiva);
        QVERIFY(!q.on("SpeedButtonEjecutar") && !q.on("EjecutarMenu") && !q.on("SpeedButtonCertidumbre"));
        QVERIFY(!q.on("ExportImagen") && q.w<quel::TImagen>("ImageMapa")->isHidden());
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
                                       "Brosimum_alicastrum\t-105.0178\t19.9041\n"
                                       "Brosimum_alicastrum\t\t19.9\n"
                                       "Quercus_magnoliifolia\t-104.5647\t19.7314\n"
                                       "Quercus_magnoliifolia\t0\t0\n");
    q.cargaSitios(descarga);
    QVERIFY(q.dialogos.mensajes.empty());
    QCOMPARE(q.p->control.banderas[3], 1);
    QCOMPARE(q.p->datos.sitios->renglones, 2);
    QCOMPARE(q.p->datos.numEspecies, 2);
    const QString log = q.log();
    QVERIFY(log.contains(QStringLiteral("Brosimum_alicastrum: 1 kept, 1 without coordinates, 0 outside the region\n"
                                        "Quercus_magnoliifolia: 1 kept, 0 without coordinates, 1 outside the region\n"
                                        "sites kept: 2")));
    // The tree names the user's file, not the converted one.
    QCOMPARE(q.nodo(11)->child(0)->text(0), descarga);
}

void PruebaPrincipal::dialogoTipoArchivoTresModos() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    TFormTipoArchivo* t = q.t;

    // Language mode.
    q.w<QAction>("CambiarLenguaMenu")->trigger();
    QVERIFY(t->isVisible() && !q.p->isEnabled());
    QVERIFY(t->PanelLenguaje->isVisible() && !t->PanelTipoSesgo->isVisible() && !t->PanelTipoPriori->isVisible());
    t->ButtonCancelar->click();
    QVERIFY(!t->isVisible() && q.p->isEnabled());

    // Bias mode: "Calculado (Con Archivo)" selected; Cancel loads nothing.
    t->RadioGroupTipoDatos->fijaItemIndex(1);
    q.w<QToolButton>("SpeedButtonCargaSesgo")->click();
    QVERIFY(t->isVisible() && !q.p->isEnabled());
    QVERIFY(t->PanelTipoSesgo->isVisible() && !t->PanelLenguaje->isVisible() && !t->PanelTipoPriori->isVisible());
    QCOMPARE(t->RadioGroupTipoDatos->itemIndex(), 0);
    t->ButtonCancelar->click();
    QVERIFY(q.p->isEnabled());
    QCOMPARE(q.p->control.banderas[1], 0);
    QVERIFY(q.on("SpeedButtonCargaSesgo"));
    QVERIFY(q.dialogos.preguntas.size() == 1);  // no file dialog opened

    // Closing the dialog from the title bar acts as Cancel.
    q.w<QAction>("PrioriMenu")->trigger();
    QVERIFY(t->PanelTipoPriori->isVisible());
    QCOMPARE(t->RadioGroupTipoPriori->itemIndex(), 0);
    t->close();
    QVERIFY(q.p->isEnabled() && !t->isVisible());

    // Prior mode, OK with the uniform choice: the load runs without a file dialog.
    q.w<QToolButton>("SpeedButtonCargaPriori")->click();
    t->RadioGroupTipoPriori->pulsa(1);
    t->ButtonOK->click();
    QVERIFY(q.p->isEnabled() && !t->isVisible());
    QCOMPARE(q.p->control.banderas[2], 1);
    QVERIFY(q.dialogos.preguntas.size() == 1);
    QVERIFY(!q.on("SpeedButtonCargaPriori"));
}

void PruebaPrincipal::cambioDeLenguajeYArchivoPuntero() {
    Programa q;
    const QString puntero = q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"));
    q.w<QAction>("CambiarLenguaMenu")->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(0);  // English
    q.t->ButtonOK->click();
    QCOMPARE(prueba::lee(puntero), QByteArray("C:\\Quel\\Lenguajes\\english.quel"));
    QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariates"));
    QCOMPARE(q.t->LabelLenguaje->text(), q.w<QAction>("CambiarLenguaMenu")->text());
    QCOMPARE(q.app->covManager->windowTitle(), q.w<QAction>("AdmonCovsMenu")->text());
    // The log speaks the new language.
    q.dialogos.cancela();
    q.w<QAction>("CovsMenu")->trigger();
    QVERIFY(q.log().contains(QStringLiteral("Load cancelled.")));
    // So do the texts the language files hold no entry for.
    QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("en"));
    QCOMPARE(q.w<QPushButton>("BotonCancelar")->text(), QStringLiteral("Cancel"));

    // Back to Spanish: the pointer file holds exactly the 30 bytes of its path.
    q.w<QAction>("CambiarLenguaMenu")->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(1);
    q.t->ButtonOK->click();
    QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("es"));
    const QByteArray bytes = prueba::lee(puntero);
    QCOMPARE(bytes, QByteArray("C:\\Quel\\Lenguajes\\espanol.quel"));
    QCOMPARE(bytes.size(), 30);
    QCOMPARE(q.w<QAction>("CovsMenu")->text(), QStringLiteral("Covariables"));
    QVERIFY(!q.t->PanelLenguaje->isVisible());
    QVERIFY(q.p->isEnabled());

    // Applying a language twice gives what applying it once gives.
    const QString antes = q.w<QToolButton>("SpeedButtonCargaCov")->toolTip();
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\espanol.quel");
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
    // Error boxes then show only the line number for codes 5 and 9.
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.cargaSesgo(q.entrada(QStringLiteral("malo.txt"), prueba::tablaSesgo(6)));
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    QVERIFY(q.dialogos.mensajes[0].texto.startsWith(QStringLiteral("7\n\n")));
    // A language file with a short line 2 changes only what its fields name.
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/corto.quel")), "x\nUno,Dos,\n");
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\corto.quel");
    QCOMPARE(q.w<QMenu>("Archivo1")->title(), QStringLiteral("Uno"));
    QCOMPARE(q.w<QMenu>("Cargar1")->title(), QStringLiteral("Dos"));
    QCOMPARE(q.w<QMenu>("Exportar1")->title(), QStringLiteral("Exportar Archivo..."));
    // Windows-1252 text shows as such; line 10 with three names leaves three items.
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/ansi.quel")),
                    "x\nArch\xedvo,\nx\nx\nx\nx\nx\nx\nx\nDegradados,a,b,c,\n");
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
    int pintadas = 0;
    int pulsados = 0;
    connect(q.w<QToolButton>("SpeedButtonCargaCov"), &QToolButton::clicked, this, [&] { ++pulsados; });
    // Only the button given as open (a run's Cancel) still takes a click.
    auto* cancelar = q.w<QPushButton>("BotonCancelar");
    cancelar->setEnabled(true);
    q.w<QFrame>("PanelProgressBar")->setVisible(true);
    int cancelados = 0;
    connect(cancelar, &QPushButton::clicked, this, [&] { ++cancelados; });
    QTimer::singleShot(30, this, [&] {
        // A click, a key, a mouse move over the map and closing the window,
        // while the core works: all swallowed.
        QTest::mouseClick(q.w<QToolButton>("SpeedButtonCargaCov"), Qt::LeftButton);
        QTest::mouseClick(cancelar, Qt::LeftButton);
        QTest::keyClick(q.w<QTreeWidget>("TreeViewExplorador"), Qt::Key_Return);
        QMouseEvent mueve(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(q.w<quel::TImagen>("ImageMapa"), &mueve);
        q.p->close();
        // A command started by a posted call is refused while the other runs.
        q.p->SpeedButtonCargaCovClick();
    });
    QTimer pinta;
    connect(&pinta, &QTimer::timeout, this, [&] {
        ++pintadas;
        q.w<QProgressBar>("ProgressBarMapa")->setValue(pintadas);
    });
    pinta.start(10);
    q.p->enSegundoPlano([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }, cancelar);
    pinta.stop();
    QCOMPARE(pulsados, 0);
    QCOMPARE(cancelados, 1);
    QVERIFY(q.p->isVisible());
    QVERIFY(pintadas >= 5);  // the window's own timers and painting went on
    QVERIFY(q.dialogos.preguntas.empty());
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

void PruebaPrincipal::cargaDesdeRutaYErrorConRenglonDado() {
    // A bad table handed over: its code, nothing loaded (the good one: the
    // workflow test; the box: cargaFallidaNoCambiaNada).
    Programa otra;
    QCOMPARE(otra.p->cargaCovariablesDesde(otra.entrada(QStringLiteral("mala.txt"), covariablesCortas())), 5);
    QCOMPARE(otra.p->control.banderas[0], 0);
    QVERIFY(!otra.p->ocupado());

    // The error of another dataset, with that dataset's failing line.
    otra.dialogos.mensajes.clear();
    otra.p->muestraError(9, 42);
    QCOMPARE(otra.dialogos.mensajes.size(), std::size_t{1});
    QCOMPARE(otra.dialogos.mensajes[0].titulo, QStringLiteral("ERROR"));
    QCOMPARE(otra.dialogos.mensajes[0].texto, QStringLiteral("Valor fuera de rango o no numérico en el renglón 42"));
    QCOMPARE(otra.ultimaLinea(), otra.dialogos.mensajes[0].texto);
    QVERIFY(otra.w<QFrame>("PanelProgressBar")->isHidden());
}

QTEST_MAIN(PruebaPrincipal)
#include "test_mainwindow.moc"
