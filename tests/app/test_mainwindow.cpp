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

#include "app/Controles.h"
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

}  // namespace

class PruebaPrincipal : public QObject {
    Q_OBJECT
private slots:
    void arranqueCreaLaCarpetaYAplicaElEspanol();
    void controlesConNombreTextoYPista();
    void reglasDeHabilitacionPorEtapa();
    void cargasEnCualquierOrden();
    void cancelarNoCambiaNada();
    void sesgoMaloMuestraErrorConRenglon();
    void tablaMalFormadaUsaElMensajeSeis();
    void nombresEnWindows1252();
    void borrarUnoDeCadaTipo();
    void borrarSitiosBajaContador();
    void nodosDelArbolYReglasDeClic();
    void dialogoTipoArchivoTresModos();
    void cambioDeLenguajeYArchivoPuntero();
    void sinPunteroQuedanLosTextosDisenados();
    void registraPrioriEligeCalculado();
    void gestoresSeMuestranYOcultan();
    void comandoLargoNoTomaEntrada();
    void filtrosDeLosDialogos();
    void cargaDesdeRutaYErrorConRenglonDado();
    void descargaDeOcurrenciasComoSitios();
};

void PruebaPrincipal::arranqueCreaLaCarpetaYAplicaElEspanol() {
    Programa q;
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Quel beta 0.9"));
    for (const char* d : {"Lenguajes", "Covariables", "Grids"}) QVERIFY(QDir(q.ruta(QString::fromLatin1(d))).exists());
    QVERIFY(QFile::exists(q.ruta(QStringLiteral("Lenguajes/english.quel"))));
    QVERIFY(QFile::exists(q.ruta(QStringLiteral("Lenguajes/espanol.quel"))));
    QCOMPARE(prueba::lee(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))),
             QByteArray("C:\\Quel\\Lenguajes\\espanol.quel"));
    // The Spanish file is in force: its message tables are filled.
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesLog[0]), QStringLiteral("Carga cancelada."));
    QCOMPARE(q.p->CovsMenu->text(), QStringLiteral("Covariables"));
    // The secondary windows exist, hidden, in their designed names.
    QVERIFY(!q.t->isVisible());
    QCOMPARE(q.app->covManager->objectName(), QStringLiteral("TFormCovManager"));
    QCOMPARE(q.app->prioriManager->objectName(), QStringLiteral("TFormPrioriManager"));
    QCOMPARE(q.app->biasManager->objectName(), QStringLiteral("TFormBiasManager"));
    QCOMPARE(q.app->covManager->windowTitle(), QStringLiteral("Administrador de covariables"));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));

    // A pointer file deleted later is not recreated by the next start.
    QFile::remove(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel")));
    Programa otra(q.carpeta);
    QVERIFY(!QFile::exists(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))));
}

void PruebaPrincipal::controlesConNombreTextoYPista() {
    // Without a language file the designed captions and hints show.
    auto raiz = std::make_shared<QTemporaryDir>();
    QDir().mkpath(raiz->path() + QStringLiteral("/Lenguajes"));
    Programa q(raiz);
    const struct {
        const char* nombre;
        const char* pista;
    } pistas[] = {{"SpeedButtonCargaCov", "Carga covariables (coberturas)"},
                  {"SpeedButtonCargaSesgo", "Carga sesgo"},
                  {"SpeedButtonCargaPriori", "Carga información a priori"},
                  {"SpeedButtonCargaSites", "Carga sitios de presencia"},
                  {"SpeedButtonBorraTodos", "Limpiar pantalla"},
                  {"SpeedButtonBorraUno", "Quitar archivo"},
                  {"SpeedButtonEjecutar", "Ejecutar prediccion"},
                  {"SpeedButtonProbabilidad", "Mapa de prediccion"},
                  {"SpeedButtonCertidumbre", "Mapa de certidumbre"},
                  {"SpeedButtonPotPriori", "Mapa de potencial priori"},
                  {"SpeedButtonCovariables", "Administrador de covariables"}};
    for (const auto& x : pistas) {
        auto* b = q.w<QToolButton>(x.nombre);
        QVERIFY2(b, x.nombre);
        QCOMPARE(b->toolTip(), QString::fromUtf8(x.pista));
    }
    const struct {
        const char* nombre;
        const char* texto;
    } menus[] = {{"CovsMenu", "Covariables"},
                 {"BiasMenu", "Sesgo Espacial"},
                 {"PrioriMenu", "Informacion a Priori"},
                 {"SitiosMenu", "Sitios de Presencia"},
                 {"ExportPredictivaMenu", "Probabilidad predictiva"},
                 {"ExportCertidumbreMenu", "Certidumbre"},
                 {"ExportPotPrioriMenu", "Potencial Priori"},
                 {"ExportImagen", "Exportar Imagen..."},
                 {"Salir", "&Salir"},
                 {"EjecutarMenu", "Ejecutar"},
                 {"BorrarUnoMenu", "Borrar archivo"},
                 {"BorrarTodosMenu", "Borrar todos"},
                 {"AdmonCovsMenu", "Administrador de covariables"},
                 {"AdmonPrioriMenu", "Administrador de info. a priori"},
                 {"CambiarLenguaMenu", "Lenguaje"},
                 {"MostrarMapa1", "Mostrar mapa o  archivo"},
                 {"Realizar1", "Realizar prediccion"},
                 {"MostrarMapas1", "Mostrar Mapas"}};
    for (const auto& x : menus) {
        auto* a = q.w<QAction>(x.nombre);
        QVERIFY2(a, x.nombre);
        QCOMPARE(a->text(), QString::fromUtf8(x.texto));
    }
    for (const char* n : {"TreeViewExplorador", "RadioGroupColores", "ButtonCambioColor", "ImageMapa", "ImageLlave",
                          "LabelMinLlave", "LabelMaxLlave", "StringGridDatos", "PanelProgressBar", "ProgressBarMapa",
                          "EditSesgo", "EditPriori", "EditPredictiva", "EditCertidumbre", "EditPotPriori",
                          "RichEditLog", "LabelLong", "LabelLat", "EditX", "EditY", "ImageRangoColor", "LabelMinimo",
                          "LabelMaximo", "TabSheetExplorador", "TabSheetColor", "TabSheetDatos", "SpeedButtonPriori",
                          "SpeedButtonSesgo", "PopupMenuExplorador"})
        QVERIFY2(q.w(n), n);
    // Hidden or off at start.
    for (const char* n : {"ImageMapa", "ImageLlave", "LabelMinLlave", "LabelMaxLlave", "StringGridDatos",
                          "PanelProgressBar"})
        QVERIFY2(q.w<QWidget>(n)->isHidden(), n);
    for (const char* n : {"EditSesgo", "EditPriori", "EditPredictiva", "EditCertidumbre", "EditPotPriori",
                          "MostrarMapa1", "Realizar1", "MostrarMapas1"})
        QVERIFY2(!q.on(n), n);
    for (const char* n : {"SpeedButtonCovariables", "SpeedButtonPriori", "SpeedButtonSesgo", "AdmonCovsMenu",
                          "AdmonPrioriMenu", "CambiarLenguaMenu", "Salir", "TreeViewExplorador"})
        QVERIFY2(q.on(n), n);
    QCOMPARE(q.p->RadioGroupColores->elementos().size(), 7);
    QCOMPARE(q.p->RadioGroupColores->elementos()[1], QStringLiteral("Café claro - oscuro"));
    QCOMPARE(q.p->ProgressBarMapa->maximum(), 100);
    QCOMPARE(q.p->PageControl->tabText(2), QStringLiteral("Datos Mapa"));
    // No language: the tables are empty, a cancelled load logs an empty line.
    QVERIFY(q.p->mensajesLog[0].empty());
}

void PruebaPrincipal::reglasDeHabilitacionPorEtapa() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    QCOMPARE(q.p->control.banderas[0], 1);
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaSesgo BiasMenu SpeedButtonCargaPriori PrioriMenu "
                                       "SpeedButtonCargaSites SitiosMenu ExportImagen MostrarMapa1 "
                                       "SpeedButtonBorraTodos BorrarTodosMenu"));
    QVERIFY(q.log().contains(QStringLiteral("Cargando la tabla de covariables...")));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Tabla de covariables cargada."));
    QVERIFY(q.p->PanelProgressBar->isHidden());
    QCOMPARE(q.p->ProgressBarMapa->value(), 100);
    // The first open dialog: the covariate folder, filter and title from the language.
    QCOMPARE(q.dialogos.preguntas.size(), std::size_t{1});
    QCOMPARE(q.dialogos.preguntas[0].peticion.carpeta, q.ruta(QStringLiteral("Covariables")));
    QCOMPARE(q.dialogos.preguntas[0].peticion.titulo, QStringLiteral("Abrir tabla de covariables"));
    QCOMPARE(q.dialogos.preguntas[0].peticion.filtro, TFormPrincipal::tx(q.p->textosDialogo[1]));

    q.cargaSesgo(q.entrada(QStringLiteral("sesgo.txt"), prueba::tablaSesgo()));
    QVERIFY(!q.on("SpeedButtonCargaSesgo") && !q.on("BiasMenu"));
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Sesgo espacial cargado."));
    q.cargaPriori(q.entrada(QStringLiteral("priori.txt"), prueba::tablaPriori()));
    QVERIFY(!q.on("SpeedButtonCargaPriori") && !q.on("PrioriMenu"));
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Información a priori cargada."));
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Sitios de presencia cargados."));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonEjecutar EjecutarMenu RadioGroupColores ButtonCambioColor "
                                       "ExportImagen MostrarMapa1 SpeedButtonBorraTodos "
                                       "BorrarTodosMenu"));

    q.p->SpeedButtonEjecutar->click();
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Predicción terminada."));
    for (int i : {5, 6, 7}) QCOMPARE(q.p->control.banderas[i], 1);
    QCOMPARE(estado(q), QStringLiteral("RadioGroupColores ButtonCambioColor ExportPredictivaMenu "
                                       "ExportCertidumbreMenu ExportPotPrioriMenu ExportImagen MostrarMapa1 "
                                       "SpeedButtonBorraTodos BorrarTodosMenu "
                                       "SpeedButtonCertidumbre SpeedButtonPotPriori"));
    // The result nodes carry the export items' captions.
    QCOMPARE(q.nodo(15)->text(0), QStringLiteral("Probabilidad predictiva"));
    QCOMPARE(q.nodo(18)->text(0), QStringLiteral("Certidumbre"));
    QCOMPARE(q.nodo(20)->text(0), QStringLiteral("Potencial Priori"));

    // A result is no input: neither the button nor its menu twin removes it.
    q.selecciona(15);
    QVERIFY(!q.on("SpeedButtonBorraUno") && !q.on("BorrarUnoMenu"));
    q.p->SpeedButtonBorraUnoClick();
    QVERIFY(!q.on("SpeedButtonEjecutar"));
    QCOMPARE(q.p->control.banderas[5], 1);
    QVERIFY(q.nodo(15));

    q.p->SpeedButtonBorraTodos->click();
    // As at start.
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Se borraron todos los datos y resultados."));
    QCOMPARE(q.p->TreeViewExplorador->topLevelItemCount(), 0);
    QCOMPARE(q.p->contadorNodos, 1);
    for (int b : q.p->control.banderas) QCOMPARE(b, 0);
    QVERIFY(q.p->ImageMapa->isHidden());
    QCOMPARE(q.p->EditPredictiva->text(), QStringLiteral(" "));
    QVERIFY(!q.p->datos.covariables && !q.p->datos.sesgo && !q.p->datos.sitios && !q.p->datos.priori);
    QVERIFY(!q.p->motor->predictiva);
    // The menu twin of the run cannot start a run without inputs.
    q.p->EjecutarMenu->trigger();
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Se borraron todos los datos y resultados."));
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
    connect(q.p->ProgressBarMapa, &QProgressBar::valueChanged, this, [&](int v) { valores.append(v); });
    q.p->EjecutarMenu->trigger();
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
    q.p->CovsMenu->trigger();
    QCOMPARE(q.log(), QStringLiteral("Cargando la tabla de covariables...\nCarga cancelada.\nTabla de covariables cargada."));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));
    QCOMPARE(q.p->TreeViewExplorador->topLevelItemCount(), 0);
    QVERIFY(q.p->PanelProgressBar->isHidden());
}

void PruebaPrincipal::sesgoMaloMuestraErrorConRenglon() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    const int nodos = q.p->TreeViewExplorador->topLevelItemCount();
    const QString malo = q.entrada(QStringLiteral("malo.txt"), prueba::tablaSesgo(3));  // line 4 holds 1.5
    q.cargaSesgo(malo);
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    const auto& m = q.dialogos.mensajes[0];
    QCOMPARE(m.titulo, QStringLiteral("ERROR"));
    QCOMPARE(m.icono, quel::IconoMensaje::Error);
    // The box names the file and line; the log keeps the coded text.
    const QString texto = QStringLiteral("Valor fuera de rango o no numérico en el renglón 4");
    QCOMPARE(m.texto, texto + QStringLiteral("\n\n") + malo + QStringLiteral(":4"));
    QCOMPARE(q.ultimaLinea(), texto);
    QVERIFY(q.p->PanelProgressBar->isHidden());
    // Nothing changed: no flag, no node, the load stays available for a retry.
    QCOMPARE(q.p->control.banderas[1], 0);
    QCOMPARE(q.p->TreeViewExplorador->topLevelItemCount(), nodos);
    QVERIFY(q.on("SpeedButtonCargaSesgo") && q.on("BiasMenu"));
    QVERIFY(q.p->isEnabled());

    // A sites line with two fields: code 5 and its line.
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), "Lynx,1,2\nPuma,3"));
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{2});
    QVERIFY2(q.dialogos.mensajes[1].texto.startsWith(QStringLiteral("Número de campos incorrecto")),
             qPrintable(q.dialogos.mensajes[1].texto));
    // A sites load that fails leaves the earlier state: still loadable.
    QVERIFY(q.on("SpeedButtonCargaSites"));
    // A file ending in a line break: code 2, no line number.
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), "Lynx,1,2\n"));
    QVERIFY(q.dialogos.mensajes.back().texto.startsWith(
        es("Archivo vacío o ilegible; o con salto de línea al final; o último renglón de un carácter.\n\n")));
}

void PruebaPrincipal::tablaMalFormadaUsaElMensajeSeis() {
    Programa q;
    // Category lines without the separator: the malformed-file code.
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), "Suelo,2,\nClima,3,"));
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    QVERIFY(q.dialogos.mensajes[0].texto.startsWith(TFormPrincipal::tx(q.p->mensajesError[6]) + QStringLiteral("\n\n")));
    QCOMPARE(q.ultimaLinea(), TFormPrincipal::tx(q.p->mensajesError[6]));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));
    QCOMPARE(q.p->control.banderas[0], 0);
}

void PruebaPrincipal::nombresEnWindows1252() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    // Species names in the Windows code page and in UTF-8 both show right.
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), "Espa\xf1ola,0.4,2.6\nNi\xc3\xb1" "a,1.5,1.5"));
    QVERIFY2(q.dialogos.mensajes.empty(), qPrintable(q.log()));
    const QTreeWidgetItem* sitios = q.nodo(11);
    QCOMPARE(sitios->child(3)->text(0), QStringLiteral("Española"));
    QCOMPARE(sitios->child(4)->text(0), QStringLiteral("Niña"));
}

void PruebaPrincipal::borrarUnoDeCadaTipo() {
    Programa q;
    q.cargaTodo();
    q.p->SpeedButtonEjecutar->click();
    QCOMPARE(q.p->control.banderas[5], 1);

    struct Caso {
        int estado;
        const char* boton;
        const char* menu;
        int bandera;
        const char* log;
    } casos[] = {{3, "SpeedButtonCargaSesgo", "BiasMenu", 1, "Sesgo espacial borrado."},
                 {7, "SpeedButtonCargaPriori", "PrioriMenu", 2, "Información a priori borrada."},
                 {11, "SpeedButtonCargaSites", "SitiosMenu", 3, "Sitios de presencia borrados."}};
    for (const Caso& c : casos) {
        q.selecciona(c.estado);
        QVERIFY(q.on("SpeedButtonBorraUno"));
        q.p->SpeedButtonBorraUno->click();
        QVERIFY(!q.nodo(c.estado));
        QCOMPARE(q.ultimaLinea(), es(c.log));
        QVERIFY2(q.on(c.boton) && q.on(c.menu), c.boton);
        QCOMPARE(q.p->control.banderas[c.bandera], 0);
        // An input is missing: results released, the run off.
        for (int i : {5, 6, 7}) QCOMPARE(q.p->control.banderas[i], 0);
        QVERIFY(!q.p->motor->predictiva);
        QVERIFY(!q.on("SpeedButtonEjecutar") && !q.on("EjecutarMenu"));
        QVERIFY(!q.on("SpeedButtonProbabilidad") && !q.on("SpeedButtonCertidumbre"));
        QVERIFY(!q.on("ExportImagen"));
        QVERIFY(q.p->ImageMapa->isHidden());
        QCOMPARE(q.p->EditSesgo->text(), QStringLiteral(" "));
        QVERIFY(q.on("SpeedButtonBorraTodos"));
    }
    QVERIFY(!q.p->datos.sesgo && !q.p->datos.priori && !q.p->datos.sitios);

    // The covariate node takes everything with it.
    q.sesgoUniforme();
    q.selecciona(0);
    q.p->SpeedButtonBorraUno->click();
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Covariables borradas."));
    QCOMPARE(q.p->TreeViewExplorador->topLevelItemCount(), 0);
    QCOMPARE(q.p->contadorNodos, 1);
    for (int i = 0; i < 8; ++i) QCOMPARE(q.p->control.banderas[i], 0);
    QVERIFY(!q.p->datos.covariables && !q.p->datos.sesgo);
    // Nothing is left to export or clear.
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov CovsMenu"));
}

void PruebaPrincipal::borrarSitiosBajaContador() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    QCOMPARE(q.p->contadorNodos, 3);  // two covariate names
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.p->datos.numEspecies, 2);
    QCOMPARE(q.p->contadorNodos, 5);
    q.selecciona(11);
    q.p->SpeedButtonBorraUno->click();
    QCOMPARE(q.p->contadorNodos, 3);
    QVERIFY(q.on("SpeedButtonCargaSites") && q.on("SitiosMenu"));
    // Loading them again numbers the species nodes as before.
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QCOMPARE(q.nodo(24)->text(0), QStringLiteral("Lynx"));
    QCOMPARE(q.nodo(25)->text(0), QStringLiteral("Puma"));
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

void PruebaPrincipal::nodosDelArbolYReglasDeClic() {
    Programa q;
    // Two equal consecutive names give one node.
    std::string tabla = prueba::tablaCovariables();
    tabla.replace(tabla.find("Clima,3,"), 8, "Suelo,3,");
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), tabla));
    QTreeWidgetItem* cov = q.nodo(0);
    QVERIFY(cov);
    QCOMPARE(cov->text(0), QStringLiteral("Covariables"));
    QCOMPARE(TFormPrincipal::imagenNodo(cov), 2);
    QCOMPARE(cov->childCount(), 3);
    const QString ruta = q.ruta(QStringLiteral("Covariables/cov.txt"));
    QCOMPARE(cov->child(0)->text(0), ruta);
    QCOMPARE(TFormPrincipal::estadoNodo(cov->child(0)), 1);
    QCOMPARE(TFormPrincipal::imagenNodo(cov->child(0)), 9);
    QCOMPARE(TFormPrincipal::estadoNodo(cov->child(1)), 2);
    QCOMPARE(TFormPrincipal::imagenNodo(cov->child(1)), 10);
    QCOMPARE(cov->child(2)->text(0), QStringLiteral("Suelo"));
    QCOMPARE(TFormPrincipal::estadoNodo(cov->child(2)), 22);
    QCOMPARE(TFormPrincipal::imagenNodo(cov->child(2)), 11);
    QCOMPARE(q.p->contadorNodos, 2);

    q.cargaSesgo(q.entrada(QStringLiteral("sesgo.txt"), prueba::tablaSesgo()));
    QTreeWidgetItem* sesgo = q.nodo(3);
    QCOMPARE(sesgo->text(0), QStringLiteral("Sesgo Espacial"));
    QCOMPARE(TFormPrincipal::imagenNodo(sesgo), 3);
    QCOMPARE(sesgo->childCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(TFormPrincipal::estadoNodo(sesgo->child(i)), 4 + i);
        QCOMPARE(TFormPrincipal::imagenNodo(sesgo->child(i)), 9 + i);
    }
    q.cargaPriori(q.entrada(QStringLiteral("priori.txt"), prueba::tablaPriori()));
    QVERIFY2(q.nodo(7), qPrintable(q.log()));
    QCOMPARE(TFormPrincipal::imagenNodo(q.nodo(7)), 4);
    QCOMPARE(TFormPrincipal::estadoNodo(q.nodo(7)->child(2)), 10);
    q.cargaSitios(q.entrada(QStringLiteral("sitios.txt"), prueba::tablaSitios()));
    QTreeWidgetItem* sitios = q.nodo(11);
    QCOMPARE(TFormPrincipal::imagenNodo(sitios), 5);
    QCOMPARE(sitios->childCount(), 5);
    QCOMPARE(sitios->child(3)->text(0), QStringLiteral("Lynx"));
    QCOMPARE(TFormPrincipal::estadoNodo(sitios->child(3)), 23);
    QCOMPARE(sitios->child(4)->text(0), QStringLiteral("Puma"));
    QCOMPARE(TFormPrincipal::estadoNodo(sitios->child(4)), 24);

    // Click rules. The data has 2 covariates (the second named like the first
    // but counted), so state 22, 23 are covariate names and 24.. species.
    q.selecciona(3);
    QVERIFY(q.on("SpeedButtonBorraUno") && !q.on("MostrarMapa1") && !q.on("MostrarMapas1") && !q.on("Realizar1"));
    q.selecciona(6);
    QVERIFY(!q.on("SpeedButtonBorraUno") && q.on("MostrarMapa1") && !q.on("MostrarMapas1"));
    q.selecciona(0);
    QVERIFY(q.on("SpeedButtonBorraUno") && !q.on("MostrarMapa1") && q.on("MostrarMapas1"));
    q.selecciona(22);
    QVERIFY(!q.on("SpeedButtonBorraUno") && q.on("MostrarMapa1") && q.on("MostrarMapas1") && !q.on("Realizar1"));
    q.selecciona(24);  // a species before a run
    QVERIFY(!q.on("MostrarMapas1") && !q.on("Realizar1"));

    q.p->SpeedButtonEjecutar->click();
    QCOMPARE(q.p->control.banderas[5], 1);
    QTreeWidgetItem* pred = q.nodo(15);
    QCOMPARE(TFormPrincipal::imagenNodo(pred), 6);
    QCOMPARE(pred->child(0)->text(0), QStringLiteral("Relativo"));
    QCOMPARE(TFormPrincipal::estadoNodo(pred->child(1)), 17);
    QCOMPARE(pred->child(1)->text(0), QStringLiteral("Absoluto"));
    QCOMPARE(TFormPrincipal::imagenNodo(q.nodo(18)), 7);
    QCOMPARE(q.nodo(19)->text(0), QStringLiteral("Certidumbre"));
    QCOMPARE(TFormPrincipal::imagenNodo(q.nodo(20)), 8);
    QCOMPARE(TFormPrincipal::estadoNodo(q.nodo(20)->child(0)), 21);
    q.selecciona(24);
    QVERIFY(q.on("Realizar1") && q.on("MostrarMapa1"));
    for (int s : {15, 18, 20}) {
        q.selecciona(s);
        QVERIFY(!q.on("MostrarMapa1") && q.on("MostrarMapas1") && !q.on("SpeedButtonBorraUno"));
    }
    q.selecciona(16);
    QVERIFY(q.on("MostrarMapa1") && q.on("MostrarMapas1"));
}

void PruebaPrincipal::dialogoTipoArchivoTresModos() {
    Programa q;
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    TFormTipoArchivo* t = q.t;
    QCOMPARE(t->windowTitle(), QStringLiteral("Tipo de Archivo"));
    QCOMPARE(t->ComboBoxLenguaje->count(), 2);
    QCOMPARE(t->ComboBoxLenguaje->currentText(), QStringLiteral("English"));
    QCOMPARE(t->ComboBoxLenguaje->itemText(1), QStringLiteral("Español"));

    // Language mode.
    q.p->CambiarLenguaMenu->trigger();
    QVERIFY(t->isVisible() && !q.p->isEnabled());
    QVERIFY(t->PanelLenguaje->isVisible() && !t->PanelTipoSesgo->isVisible() && !t->PanelTipoPriori->isVisible());
    t->ButtonCancelar->click();
    QVERIFY(!t->isVisible() && q.p->isEnabled());

    // Bias mode: "Calculado (Con Archivo)" selected; Cancel loads nothing.
    t->RadioGroupTipoDatos->fijaItemIndex(1);
    q.p->SpeedButtonCargaSesgo->click();
    QVERIFY(t->isVisible() && !q.p->isEnabled());
    QVERIFY(t->PanelTipoSesgo->isVisible() && !t->PanelLenguaje->isVisible() && !t->PanelTipoPriori->isVisible());
    QCOMPARE(t->RadioGroupTipoDatos->itemIndex(), 0);
    QCOMPARE(t->RadioGroupTipoDatos->title(), QStringLiteral("Tipo de Sesgo"));
    QCOMPARE(t->RadioGroupTipoDatos->elementos(),
             QStringList({QStringLiteral("Calculado (Con Archivo)"), QStringLiteral("Uniforme (Sin Archivo)")}));
    t->ButtonCancelar->click();
    QVERIFY(q.p->isEnabled());
    QCOMPARE(q.p->control.banderas[1], 0);
    QVERIFY(q.on("SpeedButtonCargaSesgo"));
    QVERIFY(q.dialogos.preguntas.size() == 1);  // no file dialog opened

    // Closing the dialog from the title bar acts as Cancel.
    q.p->PrioriMenu->trigger();
    QVERIFY(t->PanelTipoPriori->isVisible());
    QCOMPARE(t->RadioGroupTipoPriori->itemIndex(), 0);
    t->close();
    QVERIFY(q.p->isEnabled() && !t->isVisible());

    // Prior mode, OK with the uniform choice: the load runs without a file dialog.
    q.p->SpeedButtonCargaPriori->click();
    t->RadioGroupTipoPriori->pulsa(1);
    t->ButtonOK->click();
    QVERIFY(q.p->isEnabled() && !t->isVisible());
    QCOMPARE(q.p->control.banderas[2], 1);
    QVERIFY(q.dialogos.preguntas.size() == 1);
    QVERIFY(!q.on("SpeedButtonCargaPriori"));

    // Bias mode, OK with a file: the open dialog has the bias title.
    q.cargaSesgo(q.entrada(QStringLiteral("sesgo.txt"), prueba::tablaSesgo()));
    QCOMPARE(q.dialogos.preguntas.back().peticion.titulo, QStringLiteral("Abrir archivo de sesgo espacial"));
    QCOMPARE(q.p->control.banderas[1], 1);
}

void PruebaPrincipal::cambioDeLenguajeYArchivoPuntero() {
    Programa q;
    const QString puntero = q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"));
    q.p->CambiarLenguaMenu->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(0);  // English
    q.t->ButtonOK->click();
    QCOMPARE(prueba::lee(puntero), QByteArray("C:\\Quel\\Lenguajes\\english.quel"));
    QCOMPARE(q.p->CovsMenu->text(), QStringLiteral("Covariates"));
    QCOMPARE(q.p->Archivo1->title(), QStringLiteral("File"));
    QCOMPARE(q.p->SpeedButtonEjecutar->toolTip().isEmpty(), false);
    QCOMPARE(q.p->PageControl->tabText(0) == QStringLiteral("Explorador"), false);
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesLog[0]), QStringLiteral("Load cancelled."));
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesBorrado[4]), QStringLiteral("All inputs and results removed."));
    QCOMPARE(q.t->LabelLenguaje->text(), q.p->CambiarLenguaMenu->text());
    QCOMPARE(q.app->covManager->windowTitle(), q.p->AdmonCovsMenu->text());
    QCOMPARE(q.app->prioriManager->windowTitle(), q.p->AdmonPrioriMenu->text());
    QCOMPARE(q.p->RadioGroupColores->elementos().size(), 7);
    // The log speaks the new language.
    q.dialogos.cancela();
    q.p->CovsMenu->trigger();
    QVERIFY(q.log().contains(QStringLiteral("Load cancelled.")));
    // So do the texts the language files hold no entry for.
    QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("en"));

    // The choice survives a restart.
    {
        Programa otra(q.carpeta);
        QCOMPARE(otra.p->CovsMenu->text(), QStringLiteral("Covariates"));
    }

    // Back to Spanish: the pointer file holds exactly the 30 bytes of its path.
    q.p->CambiarLenguaMenu->trigger();
    q.t->ComboBoxLenguaje->setCurrentIndex(1);
    q.t->ButtonOK->click();
    QCOMPARE(quel::enIdioma("es", "en"), QStringLiteral("es"));
    const QByteArray bytes = prueba::lee(puntero);
    QCOMPARE(bytes, QByteArray("C:\\Quel\\Lenguajes\\espanol.quel"));
    QCOMPARE(bytes.size(), 30);
    QCOMPARE(q.p->CovsMenu->text(), QStringLiteral("Covariables"));
    QCOMPARE(TFormPrincipal::tx(q.p->mensajesLog[0]), QStringLiteral("Carga cancelada."));
    QVERIFY(!q.t->PanelLenguaje->isVisible());
    QVERIFY(q.p->isEnabled());

    // Applying a language twice gives what applying it once gives.
    const QString antes = q.p->SpeedButtonCargaCov->toolTip();
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\espanol.quel");
    QCOMPARE(q.p->SpeedButtonCargaCov->toolTip(), antes);
    QCOMPARE(q.t->RadioGroupTipoDatos->elementos().size(), 2);
}

void PruebaPrincipal::sinPunteroQuedanLosTextosDisenados() {
    auto raiz = std::make_shared<QTemporaryDir>();
    QDir().mkpath(raiz->path() + QStringLiteral("/Lenguajes"));
    Programa q(raiz);
    QVERIFY(!QFile::exists(q.ruta(QStringLiteral("Lenguajes/lenguaje.quel"))));
    for (const auto& m : q.p->mensajesError) QVERIFY(m.empty());
    QCOMPARE(q.p->CovsMenu->text(), QStringLiteral("Covariables"));
    // Error boxes then show only the line number for codes 5 and 9.
    q.cargaCovariables(q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables()));
    q.cargaSesgo(q.entrada(QStringLiteral("malo.txt"), prueba::tablaSesgo(6)));
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t{1});
    QVERIFY(q.dialogos.mensajes[0].texto.startsWith(QStringLiteral("7\n\n")));
    // A language file with a short line 2 changes only what its fields name.
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/corto.quel")), "x\nUno,Dos,\n");
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\corto.quel");
    QCOMPARE(q.p->Archivo1->title(), QStringLiteral("Uno"));
    QCOMPARE(q.p->Cargar1->title(), QStringLiteral("Dos"));
    QCOMPARE(q.p->Exportar1->title(), QStringLiteral("Exportar Archivo..."));
    // Windows-1252 text shows as such; line 10 with three names leaves three items.
    prueba::escribe(q.ruta(QStringLiteral("Lenguajes/ansi.quel")),
                    "x\nArch\xedvo,\nx\nx\nx\nx\nx\nx\nx\nDegradados,a,b,c,\n");
    q.p->cambiaLenguaje("C:\\Quel\\Lenguajes\\ansi.quel");
    QCOMPARE(q.p->Archivo1->title(), QStringLiteral("Archívo"));
    QCOMPARE(q.p->RadioGroupColores->elementos(), QStringList({"a", "b", "c"}));
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
    QCOMPARE(q.p->windowTitle(), QStringLiteral("Mapa de información a priori"));
    QCOMPARE(q.p->LabelMaxLlave->text(), QStringLiteral("Presencia"));
    QVERIFY(q.on("SpeedButtonBorraTodos"));
}

void PruebaPrincipal::gestoresSeMuestranYOcultan() {
    Programa q;
    q.p->show();
    q.p->SpeedButtonCovariables->click();
    QVERIFY(q.app->covManager->isVisible() && !q.p->isVisible());
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Administrador de covariables abierto."));
    q.app->covManager->close();
    QVERIFY(q.p->isVisible());
    q.p->AdmonPrioriMenu->trigger();
    QVERIFY(q.app->prioriManager->isVisible() && !q.p->isVisible());
    QCOMPARE(q.ultimaLinea(), QStringLiteral("Administrador de info. a priori"));
    q.app->prioriManager->close();
    q.p->SpeedButtonSesgo->click();
    QVERIFY(q.app->biasManager->isVisible() && !q.p->isVisible());
    q.app->biasManager->close();
    QVERIFY(q.p->isVisible());
    // Same window objects every time.
    QWidget* antes = q.app->covManager.get();
    q.p->SpeedButtonCovariables->click();
    QCOMPARE(q.app->covManager.get(), antes);
    q.app->covManager->close();
    q.p->close();
}

void PruebaPrincipal::comandoLargoNoTomaEntrada() {
    Programa q;
    q.p->show();
    QVERIFY(QTest::qWaitForWindowExposed(q.p));
    int pintadas = 0;
    int pulsados = 0;
    connect(q.p->SpeedButtonCargaCov, &QToolButton::clicked, this, [&] { ++pulsados; });
    QTimer::singleShot(30, this, [&] {
        // A click, a key, a mouse move over the map and closing the window,
        // while the core works: all swallowed.
        QTest::mouseClick(q.p->SpeedButtonCargaCov, Qt::LeftButton);
        QTest::keyClick(q.p->TreeViewExplorador, Qt::Key_Return);
        QMouseEvent mueve(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(q.p->ImageMapa, &mueve);
        q.p->close();
        // A command started by a posted call is refused while the other runs.
        q.p->SpeedButtonCargaCovClick();
    });
    QTimer pinta;
    connect(&pinta, &QTimer::timeout, this, [&] {
        ++pintadas;
        q.p->ProgressBarMapa->setValue(pintadas);
    });
    pinta.start(10);
    q.p->enSegundoPlano([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
    pinta.stop();
    QCOMPARE(pulsados, 0);
    QVERIFY(q.p->isVisible());
    QVERIFY(pintadas >= 5);  // the window's own timers and painting went on
    QVERIFY(q.dialogos.preguntas.empty());
    // Afterwards input works again.
    q.dialogos.cancela();
    QTest::mouseClick(q.p->SpeedButtonCargaCov, Qt::LeftButton);
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
    // The covariate load of a file already chosen, as the covariate manager
    // hands its table over: no dialog, the whole load.
    Programa q;
    const QString cov = q.entrada(QStringLiteral("cov.txt"), prueba::tablaCovariables());
    QCOMPARE(q.p->cargaCovariablesDesde(cov), 0);
    QVERIFY(q.dialogos.preguntas.empty());
    QVERIFY(q.log().contains(cov));
    QCOMPARE(q.ultimaLinea(), TFormPrincipal::tx(q.p->mensajesLog[2]));
    QCOMPARE(q.p->control.banderas[0], 1);
    QVERIFY(q.nodo(0) && q.nodo(1) && q.nodo(22) && q.nodo(23));
    QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaSesgo BiasMenu SpeedButtonCargaPriori PrioriMenu "
                                       "SpeedButtonCargaSites SitiosMenu ExportImagen MostrarMapa1 "
                                       "SpeedButtonBorraTodos BorrarTodosMenu"));
    QVERIFY(q.p->PanelProgressBar->isHidden());
    QVERIFY(!q.p->ocupado());
    QCOMPARE(q.p->windowTitle(), TFormPrincipal::tx(q.p->titulosMapa[0]));

    // A bad table: its code, reported once with its line, nothing loaded.
    Programa otra;
    std::string mala = prueba::tablaCovariables();
    mala.replace(mala.find("\n0,3,1,1,1,"), 11, "\n0,3,1,1,");
    const QString ruta = otra.entrada(QStringLiteral("mala.txt"), mala);
    QCOMPARE(otra.p->cargaCovariablesDesde(ruta), 5);
    QCOMPARE(otra.dialogos.mensajes.size(), std::size_t{1});
    // The short first data line matches the header's count; the next one differs (line 6).
    QCOMPARE(otra.dialogos.mensajes[0].texto,
             QString::fromUtf8("Número de campos incorrecto en el renglón 6\n\n") + ruta + QStringLiteral(":6"));
    QCOMPARE(otra.p->control.banderas[0], 0);
    QVERIFY(otra.on("SpeedButtonCargaCov"));
    QVERIFY(!otra.p->ocupado());

    // The error of another dataset, with that dataset's failing line.
    otra.dialogos.mensajes.clear();
    otra.p->muestraError(9, 42);
    QCOMPARE(otra.dialogos.mensajes.size(), std::size_t{1});
    QCOMPARE(otra.dialogos.mensajes[0].titulo, QStringLiteral("ERROR"));
    QCOMPARE(otra.dialogos.mensajes[0].texto, QStringLiteral("Valor fuera de rango o no numérico en el renglón 42"));
    QCOMPARE(otra.ultimaLinea(), otra.dialogos.mensajes[0].texto);
    QVERIFY(otra.p->PanelProgressBar->isHidden());
}

QTEST_MAIN(PruebaPrincipal)
#include "test_mainwindow.moc"
