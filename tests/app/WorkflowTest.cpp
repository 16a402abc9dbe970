// The whole desktop workflow from an empty data folder, driven through the real
// windows by object name: the three managers build and hand over the inputs,
// the sites are loaded, the run draws its maps, every export is written and
// read back, and clearing and running again leave one set of results. With
// QUEL_CAPTURAS naming a folder, pictures of the windows are saved there
// (scripts/screenshot runs this under a virtual display).
#include <QComboBox>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include "app/Arranque.h"
#include "ui/Controles.h"
#include "ui/DialogosGuion.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "data/LectorASCII.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/prior/FormPrioriManager.h"
#include "support/ApoyoQt.h"

namespace {

using prueba::lee;
using prueba::muestra;

// Enabled state of the main window's commands, as one string for readable failures.
QString estado(const TFormPrincipal* p) {
    const char* nombres[] = {"SpeedButtonCargaCov", "SpeedButtonCargaSesgo", "SpeedButtonCargaPriori",
                             "SpeedButtonCargaSites", "SpeedButtonEjecutar", "EjecutarMenu",
                             "ExportPredictivaMenu", "ExportCertidumbreMenu", "ExportPotPrioriMenu", "ExportImagen",
                             "SpeedButtonBorraTodos", "SpeedButtonBorraUno", "BorrarUnoMenu",
                             "SpeedButtonProbabilidad", "SpeedButtonCertidumbre", "SpeedButtonPotPriori"};
    QStringList on;
    for (const char* n : nombres) {
        const QString nombre = QString::fromLatin1(n);
        if (auto* a = p->findChild<QAction*>(nombre); a && a->isEnabled()) on << nombre;
        if (auto* w = p->findChild<QWidget*>(nombre); w && w->isEnabled()) on << nombre;
    }
    return on.join(QLatin1Char(' '));
}

// Top nodes of the explorer, by state.
QList<int> nodosSuperiores(const TFormPrincipal* p) {
    QList<int> r;
    const auto* arbol = p->findChild<QTreeWidget*>(QStringLiteral("TreeViewExplorador"));
    for (int i = 0; i < arbol->topLevelItemCount(); ++i) r << TFormPrincipal::estadoNodo(arbol->topLevelItem(i));
    return r;
}

int pintados(const QImage& mapa) {
    int n = 0;
    for (int y = 0; y < mapa.height(); y += 4)
        for (int x = 0; x < mapa.width(); x += 4) n += mapa.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

// The label's whole text lies inside its rectangle, in the font it is drawn in.
bool cabe(const QLabel* l) {
    const auto* fija = qobject_cast<const quel::TEtiquetaFija*>(l);
    const QFont f = fija ? fija->fuenteAjustada() : l->font();
    return QFontMetrics(f).horizontalAdvance(l->text()) <= l->contentsRect().width();
}

}  // namespace

class WorkflowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void flujoCompletoDesdeCarpetaVacia();
    void entregaUltimaHabilitaLaEjecucion_data();
    void entregaUltimaHabilitaLaEjecucion();
    void sitiosFueraDeLaRegionSeInforman();
    void imagenEnElFormatoElegido_data();
    void imagenEnElFormatoElegido();
    void dialogosDeQtEnElIdiomaElegido();

private:
    void arranca();
    // The three managers, as a user drives them, each ending with its hand-over.
    void covariablesDesdeGrids();
    void prioriDesdeGrids();
    void sesgoAjustado();
    void cargaSitios(const QString& ruta);
    void captura(QWidget* w, const char* nombre);
    // A control of the main window, by object name.
    template <class T>
    T* w(const char* nombre) const {
        return p_->findChild<T*>(QString::fromLatin1(nombre));
    }

    QByteArray homeAnterior_;
    bool habiaHome_ = false;
    std::unique_ptr<QTemporaryDir> raiz_;
    quel::DialogosGuion dialogos_;
    std::unique_ptr<quel::Aplicacion> app_;
    TFormPrincipal* p_ = nullptr;
};

void WorkflowTest::init() {
    habiaHome_ = qEnvironmentVariableIsSet("QUEL_HOME");
    homeAnterior_ = qgetenv("QUEL_HOME");
    raiz_ = std::make_unique<QTemporaryDir>();
    QVERIFY(raiz_->isValid());
    qputenv("QUEL_HOME", raiz_->path().toLocal8Bit());
    dialogos_ = quel::DialogosGuion();
    arranca();
}

void WorkflowTest::cleanup() {
    app_.reset();
    raiz_.reset();
    if (habiaHome_)
        qputenv("QUEL_HOME", homeAnterior_);
    else
        qunsetenv("QUEL_HOME");
}

void WorkflowTest::arranca() {
    app_ = std::make_unique<quel::Aplicacion>(quel::RaizDatos::desdeEntorno(), dialogos_);
    p_ = app_->principal.get();
    p_->resize(1280, 860);
    p_->show();
}

void WorkflowTest::captura(QWidget* w, const char* nombre) {
    const QString carpeta = QString::fromLocal8Bit(qgetenv("QUEL_CAPTURAS"));
    if (carpeta.isEmpty()) return;
    QTest::qWait(50);
    QVERIFY(w->grab().save(carpeta + QLatin1Char('/') + QString::fromLatin1(nombre), "PNG"));
}

void WorkflowTest::covariablesDesdeGrids() {
    auto* cov = static_cast<TFormCovManager*>(app_->covManager.get());
    w<QToolButton>("SpeedButtonCovariables")->click();
    QVERIFY(cov->isVisible());
    // The sample's six grids and their classes (0: manual).
    const std::pair<const char*, int> grids[] = {{"elevation.asc", 8}, {"temperature.asc", 8},
                                                 {"precipitation.asc", 6}, {"slope.asc", 5},
                                                 {"landcover.asc", 0}, {"soil.asc", 0}};
    for (const auto& [grid, clases] : grids) {
        dialogos_.responde(muestra(QStringLiteral("grids/") + QString::fromLatin1(grid)));
        cov->SpeedButtonCargaFile->click();
    }
    for (int i = 0; i < 6; ++i) {
        cov->CheckListBoxFiles->setCurrentRow(i);
        cov->CheckListBoxFilesClick();
        auto* combo = cov->findChild<QComboBox*>(QStringLiteral("ComboCategoria%1").arg(i));
        QVERIFY(combo);
        if (grids[i].second > 0)
            combo->setCurrentIndex(grids[i].second);
        else
            cov->ButtonAuto->click();
    }
    QVERIFY(cov->SpeedButtonCargaCov->isEnabled());
    captura(cov, "covariables.png");
    cov->SpeedButtonCargaCov->click();
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));
    QVERIFY(!cov->isVisible() && p_->isVisible());
    QCOMPARE(p_->control.banderas[0], 1);
    // The handed-over table is the command line's, byte for byte.
    QCOMPARE(lee(raiz_->path() + QStringLiteral("/CovTemp.txt")), lee(muestra(QStringLiteral("covariates.txt"))));
}

void WorkflowTest::prioriDesdeGrids() {
    auto* pri = static_cast<TFormPrioriManager*>(app_->prioriManager.get());
    w<QToolButton>("SpeedButtonPriori")->click();
    QVERIFY(pri->isVisible());
    // Opening a manager clears nothing, and says nothing of the kind.
    QVERIFY(!w<QTextEdit>("RichEditLog")->toPlainText().contains(TFormPrincipal::tx(p_->mensajesBorrado[0])));
    dialogos_.responde(muestra(QStringLiteral("grids/base.asc")));
    pri->SpeedButtonCargaASCII->click();
    QCOMPARE(pri->LlaveMapa->clases().size(), std::size_t{2});
    dialogos_.responde(muestra(QStringLiteral("grids/prior.asc")));
    pri->SpeedButtonCargaPrioriASCII->click();
    pri->SpeedButtonTrans->click();
    // The transformed map's key: the four classes with the colours painted.
    const auto& clases = pri->LlaveMapa->clases();
    QCOMPARE(clases.size(), std::size_t{4});
    QCOMPARE(clases[1].color, TFormPrioriManager::kAmbar);
    QVERIFY(pri->SpeedButtonCargaPriori->isEnabled());
    captura(pri, "priori.png");
    pri->SpeedButtonCargaPriori->click();
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));
    QCOMPARE(p_->control.banderas[2], 1);
}

void WorkflowTest::sesgoAjustado() {
    auto* ses = static_cast<TFormBiasManager*>(app_->biasManager.get());
    w<QToolButton>("SpeedButtonSesgo")->click();
    QVERIFY(ses->isVisible());
    dialogos_.responde(raiz_->path() + QStringLiteral("/CovTemp.txt"));
    ses->SpeedButtonCargaCovs->click();
    const struct {
        QToolButton* boton;
        const char* archivo;
        const char* parametro;
    } entradas[] = {{ses->SpeedButtonCiudades, "grids/cities.asc", "1"},
                    {ses->SpeedButtonCarreteras, "grids/roads.asc", "2"},
                    {ses->SpeedButtonRiqueza, "grids/richness.asc", "10000"},
                    {ses->SpeedButtonPresencias, "sites.txt", "200"}};
    for (const auto& e : entradas) {
        dialogos_.responde(muestra(QString::fromLatin1(e.archivo)));
        e.boton->click();
        ses->EditDato->setText(QString::fromLatin1(e.parametro));
        ses->ButtonOk->click();
    }
    QVERIFY(ses->SpeedButtonEjecutar->isEnabled());
    QVERIFY(!ses->SpeedButtonCargaPrincipal->isEnabled());
    ses->SpeedButtonEjecutar->click();
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(ses->RichEditLog->toPlainText()));
    QVERIFY(ses->PanelBarraProgreso->isHidden());
    // The fit's figures, as the command line prints them (4 digits on screen).
    const QString log = ses->RichEditLog->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("peso de las ciudades frente a las carreteras 33.97")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Evaluaciones: 250, iteraciones: ")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("sin cumplir la prueba de convergencia")), qPrintable(log));
    QVERIFY(w<QTextEdit>("RichEditLog")->toPlainText().contains(QStringLiteral("Evaluaciones: 250")));
    captura(ses, "sesgo.png");
    QVERIFY(ses->SpeedButtonCargaPrincipal->isEnabled());
    ses->SpeedButtonCargaPrincipal->click();
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));
    QVERIFY(!ses->isVisible() && p_->isVisible());
    QCOMPARE(p_->control.banderas[1], 1);
    // The handed-over file is the one the command line writes.
    QCOMPARE(lee(QString::fromStdString((p_->datos.carpetaTrabajo() / "SesgoTmp.txt").string())),
             lee(muestra(QStringLiteral("bias.txt"))));
}

void WorkflowTest::cargaSitios(const QString& ruta) {
    dialogos_.responde(ruta);
    w<QToolButton>("SpeedButtonCargaSites")->click();
    QCOMPARE(p_->control.banderas[3], 1);
}

void WorkflowTest::flujoCompletoDesdeCarpetaVacia() {
    if (!QFile::exists(muestra(QStringLiteral("grids/elevation.asc")))) QSKIP("the sample region is not in this tree");
    QVERIFY(QDir(raiz_->path()).exists(QStringLiteral("Lenguajes")));
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonCargaCov"));

    covariablesDesdeGrids();
    if (QTest::currentTestFailed()) return;
    const QString trasCovariables = QStringLiteral("SpeedButtonCargaSesgo SpeedButtonCargaPriori "
                                                   "SpeedButtonCargaSites ExportImagen SpeedButtonBorraTodos");
    QCOMPARE(estado(p_), trasCovariables);
    prioriDesdeGrids();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonCargaSesgo SpeedButtonCargaSites ExportImagen "
                                        "SpeedButtonBorraTodos"));
    // The prior's gradient starts at white: the region is outlined.
    const QImage& priori = w<quel::TImagen>("ImageMapa")->bitmap();
    int contorno = 0;
    for (int y = 0; y < priori.height(); ++y)
        for (int x = 0; x < priori.width(); ++x) contorno += priori.pixel(x, y) == TFormPrincipal::kColorContorno;
    QVERIFY2(contorno > 200, qPrintable(QString::number(contorno)));
    sesgoAjustado();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonCargaSites ExportImagen SpeedButtonBorraTodos"));
    cargaSitios(muestra(QStringLiteral("sites.txt")));
    // Every sample site lies in the region: nothing is reported dropped.
    QVERIFY(!w<QTextEdit>("RichEditLog")->toPlainText().contains(QStringLiteral("descartados")));
    const QString listo = QStringLiteral("SpeedButtonEjecutar EjecutarMenu ExportImagen SpeedButtonBorraTodos");
    QCOMPARE(estado(p_), listo);
    // The sites map shows the key of the covariate under the sites, not the prior's.
    QCOMPARE(w<QLabel>("LabelMaxLlave")->text(), TFormPrincipal::etiqueta(p_->paleta.maximo));

    w<QToolButton>("SpeedButtonEjecutar")->click();
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));
    QCOMPARE(nodosSuperiores(p_), (QList<int>{0, 7, 3, 11, 15, 18, 20}));
    QCOMPARE(estado(p_), QStringLiteral("ExportPredictivaMenu ExportCertidumbreMenu ExportPotPrioriMenu ExportImagen "
                                        "SpeedButtonBorraTodos SpeedButtonCertidumbre SpeedButtonPotPriori"));

    // The three maps: painted, keyed with readable labels, the map's size fixed.
    QTest::qWait(20);
    const QSize tamMapa = w<quel::TImagen>("ImageMapa")->size();
    const struct {
        QToolButton* boton;
        const char* captura;
    } mapas[] = {{w<QToolButton>("SpeedButtonCertidumbre"), "principal-certidumbre.png"},
                 {w<QToolButton>("SpeedButtonPotPriori"), "principal-potencial.png"},
                 {w<QToolButton>("SpeedButtonProbabilidad"), "principal.png"}};
    for (const auto& m : mapas) {
        m.boton->click();
        QTest::qWait(20);
        QVERIFY(pintados(w<quel::TImagen>("ImageMapa")->bitmap()) > 1000);
        QVERIFY(w<quel::TImagen>("ImageLlave")->isVisible());
        for (QLabel* l : {w<QLabel>("LabelMinLlave"), w<QLabel>("LabelMaxLlave"), w<QLabel>("LabelMinimo"), w<QLabel>("LabelMaximo")}) {
            QVERIFY2(cabe(l), qPrintable(l->objectName() + QStringLiteral(": ") + l->text()));
            QVERIFY2(l->text().size() <= 9, qPrintable(l->text()));
        }
        QCOMPARE(w<quel::TImagen>("ImageMapa")->size(), tamMapa);
        captura(p_, m.captura);
    }
    w<QTabWidget>("PageControl")->setCurrentWidget(w<QWidget>("TabSheetColor"));
    captura(p_, "principal-colores.png");
    w<QTabWidget>("PageControl")->setCurrentWidget(w<QWidget>("TabSheetExplorador"));
    // Labels of any length neither move the map nor get clipped.
    for (QLabel* l : {w<QLabel>("LabelMinLlave"), w<QLabel>("LabelMaxLlave"), w<QLabel>("LabelMinimo"), w<QLabel>("LabelMaximo")})
        l->setText(QStringLiteral("-3.21521110890899E-15"));
    QTest::qWait(20);
    QCOMPARE(w<quel::TImagen>("ImageMapa")->size(), tamMapa);
    for (QLabel* l : {w<QLabel>("LabelMinLlave"), w<QLabel>("LabelMaxLlave"), w<QLabel>("LabelMinimo"), w<QLabel>("LabelMaximo")})
        QVERIFY2(cabe(l), qPrintable(l->objectName()));
    w<QToolButton>("SpeedButtonCertidumbre")->click();

    // The map windows carry a key too.
    w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(w<QTreeWidget>("TreeViewExplorador")->topLevelItem(4));
    w<QAction>("MostrarMapas1")->trigger();
    const auto ventanas = p_->findChildren<QWidget*>(QStringLiteral("VentanaResultado"));
    QCOMPARE(ventanas.size(), 4);
    for (QWidget* v : ventanas) {
        QVERIFY(pintados(v->findChild<quel::TImagen*>(QStringLiteral("ImageLlave"))->bitmap()) > 10);
        QVERIFY(!v->findChild<QLabel*>(QStringLiteral("LabelMaxLlave"))->text().isEmpty());
        v->close();
    }

    // Every export is written from these results (byte for byte: test_exporta, which runs the same inputs).
    dialogos_.responde(raiz_->path() + QStringLiteral("/predictiva"), 3);
    w<QAction>("ExportPredictivaMenu")->trigger();
    quel::GridASCII grid;
    QCOMPARE(quel::leeGridASCII((raiz_->path() + QStringLiteral("/predictiva.asc")).toStdString(), grid), 0);
    QCOMPARE(static_cast<int>(grid.encabezado.ncols * grid.encabezado.nrows), p_->datos.coordenadas->renglones);
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));

    // Removing the sites takes the results with them; loading them again and
    // running leaves one set of result nodes.
    w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(w<QTreeWidget>("TreeViewExplorador")->topLevelItem(3));
    QVERIFY(w<QToolButton>("SpeedButtonBorraUno")->isEnabled() && w<QAction>("BorrarUnoMenu")->isEnabled());
    w<QToolButton>("SpeedButtonBorraUno")->click();
    QCOMPARE(nodosSuperiores(p_), (QList<int>{0, 7, 3}));
    QVERIFY(!w<QAction>("ExportPredictivaMenu")->isEnabled() && !w<QAction>("ExportImagen")->isEnabled());
    cargaSitios(muestra(QStringLiteral("sites.txt")));
    w<QToolButton>("SpeedButtonEjecutar")->click();
    QCOMPARE(nodosSuperiores(p_), (QList<int>{0, 7, 3, 11, 15, 18, 20}));

    // Clearing everything leaves nothing enabled but the covariate load.
    w<QToolButton>("SpeedButtonBorraTodos")->click();
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonCargaCov"));
    QCOMPARE(w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), 0);

    // Once more by hand with the handed-over files: one set of results again.
    dialogos_.responde(raiz_->path() + QStringLiteral("/CovTemp.txt"));
    w<QToolButton>("SpeedButtonCargaCov")->click();
    QCOMPARE(estado(p_), trasCovariables);
    dialogos_.responde(muestra(QStringLiteral("bias.txt")));
    w<QToolButton>("SpeedButtonCargaSesgo")->click();
    app_->tipoArchivo->ButtonOK->click();
    dialogos_.responde(muestra(QStringLiteral("prior.txt")));
    w<QToolButton>("SpeedButtonCargaPriori")->click();
    app_->tipoArchivo->ButtonOK->click();
    cargaSitios(muestra(QStringLiteral("sites.txt")));
    QCOMPARE(estado(p_), listo);
    w<QToolButton>("SpeedButtonEjecutar")->click();
    QCOMPARE(nodosSuperiores(p_), (QList<int>{0, 3, 7, 11, 15, 18, 20}));

    // Removing the covariates removes everything: "Quitar archivo" goes off.
    w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(w<QTreeWidget>("TreeViewExplorador")->topLevelItem(0));
    w<QToolButton>("SpeedButtonBorraUno")->click();
    QCOMPARE(w<QTreeWidget>("TreeViewExplorador")->topLevelItemCount(), 0);
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonCargaCov"));
    QVERIFY2(dialogos_.mensajes.empty(), qPrintable(w<QTextEdit>("RichEditLog")->toPlainText()));
}

void WorkflowTest::entregaUltimaHabilitaLaEjecucion_data() {
    QTest::addColumn<bool>("prioriUltima");
    QTest::newRow("priori del administrador") << true;
    QTest::newRow("sesgo del administrador") << false;
}

void WorkflowTest::entregaUltimaHabilitaLaEjecucion() {
    if (!QFile::exists(muestra(QStringLiteral("grids/prior.asc")))) QSKIP("the sample region is not in this tree");
    QFETCH(bool, prioriUltima);
    dialogos_.responde(muestra(QStringLiteral("covariates.txt")));
    w<QToolButton>("SpeedButtonCargaCov")->click();
    QVERIFY(QFile::copy(muestra(QStringLiteral("covariates.txt")), raiz_->path() + QStringLiteral("/CovTemp.txt")));
    cargaSitios(muestra(QStringLiteral("sites.txt")));
    // The other input by hand, then the hand-over: the run can start, as after
    // loading the same file by hand.
    dialogos_.responde(muestra(prioriUltima ? QStringLiteral("bias.txt") : QStringLiteral("prior.txt")));
    (prioriUltima ? w<QToolButton>("SpeedButtonCargaSesgo") : w<QToolButton>("SpeedButtonCargaPriori"))->click();
    app_->tipoArchivo->ButtonOK->click();
    QVERIFY(!w<QToolButton>("SpeedButtonEjecutar")->isEnabled());
    if (prioriUltima)
        prioriDesdeGrids();
    else
        sesgoAjustado();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(estado(p_), QStringLiteral("SpeedButtonEjecutar EjecutarMenu ExportImagen SpeedButtonBorraTodos"));
    const QString log = w<QTextEdit>("RichEditLog")->toPlainText();
    QVERIFY(log.contains(TFormPrincipal::tx(p_->mensajesLog[prioriUltima ? 6 : 4])));
}

void WorkflowTest::sitiosFueraDeLaRegionSeInforman() {
    if (!QFile::exists(muestra(QStringLiteral("covariates.txt")))) QSKIP("the sample region is not in this tree");
    dialogos_.responde(muestra(QStringLiteral("covariates.txt")));
    w<QToolButton>("SpeedButtonCargaCov")->click();
    // One lynx far away and one in the sea (no data, south-west corner), a
    // puma only far away, a fox in the region.
    const QString sitios = raiz_->path() + QStringLiteral("/sitios.txt");
    QFile f(sitios);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Lynx,250,3\nLynx,-105.59,19.21\nLynx,-105.0,19.8\nPuma,-10,60\nZorro,-105.0,19.8");
    f.close();
    cargaSitios(sitios);
    const QString log = w<QTextEdit>("RichEditLog")->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("Lynx: 1 de 3 sitios descartados por estar fuera de la región: (250, 3)")),
             qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Lynx: 1 de 3 sitios en celdas sin datos; cuentan en la celda de la región "
                                         "más cercana: (-105.59, 19.21)")),
             qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("Advertencia: Puma no tiene ningún sitio en la región")));
    QVERIFY(!log.contains(QStringLiteral("Zorro")));
}

void WorkflowTest::imagenEnElFormatoElegido_data() {
    QTest::addColumn<int>("entrada");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("escrito");
    QTest::addColumn<QByteArray>("magia");
    QTest::newRow("bmp") << 1 << "mapa" << "mapa.bmp" << QByteArray("BM");
    QTest::newRow("bmp tras .jpg") << 1 << "mapa.jpg" << "mapa.jpg.bmp" << QByteArray("BM");
    QTest::newRow("jpeg") << 2 << "foto" << "foto.jpg" << QByteArray("\xFF\xD8\xFF");
    QTest::newRow("jpeg con .JPEG") << 2 << "foto.JPEG" << "foto.JPEG" << QByteArray("\xFF\xD8\xFF");
    QTest::newRow("png") << 3 << "dibujo" << "dibujo.png" << QByteArray("\x89PNG");
}

void WorkflowTest::imagenEnElFormatoElegido() {
    if (!QImageReader::supportedImageFormats().contains("jpeg")) QSKIP("no JPEG plugin");
    if (!QFile::exists(muestra(QStringLiteral("covariates.txt")))) QSKIP("the sample region is not in this tree");
    QFETCH(int, entrada);
    QFETCH(QString, nombre);
    QFETCH(QString, escrito);
    QFETCH(QByteArray, magia);
    dialogos_.responde(muestra(QStringLiteral("covariates.txt")));
    w<QToolButton>("SpeedButtonCargaCov")->click();
    dialogos_.responde(raiz_->path() + QLatin1Char('/') + nombre, entrada);
    w<QAction>("ExportImagen")->trigger();
    QCOMPARE(dialogos_.preguntas.back().peticion.filtro,
             QStringLiteral("Mapa de bits (*.bmp)|*.bmp|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png"));
    QCOMPARE(QDir(raiz_->path()).entryList({QStringLiteral("*.*")}, QDir::Files).filter(nombre.section('.', 0, 0)),
             QStringList{escrito});
    QVERIFY(lee(raiz_->path() + QLatin1Char('/') + escrito).startsWith(magia));
}

void WorkflowTest::dialogosDeQtEnElIdiomaElegido() {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_es.qm")))
        QSKIP("Qt's Spanish translations are not installed");
    auto* t = app_->tipoArchivo.get();
    // First start: Spanish in force, offered by the dialog, and Qt's own buttons in it.
    p_->CambiarLenguaMenuClick();
    QCOMPARE(t->ComboBoxLenguaje->currentText(), QStringLiteral("Español"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    t->ComboBoxLenguaje->setCurrentIndex(0);
    t->ButtonOK->click();
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    // The next start offers the language chosen.
    app_.reset();
    arranca();
    app_->principal->CambiarLenguaMenuClick();
    QCOMPARE(app_->tipoArchivo->ComboBoxLenguaje->currentText(), QStringLiteral("English"));
    app_->tipoArchivo->ButtonCancelar->click();
}

QTEST_MAIN(WorkflowTest)
#include "WorkflowTest.moc"
