// The three managers wired to the real main window (as the desktop program
// starts it, with scripted dialogs): "Cargar a principal" loads the covariate
// table and shows its map, the prior hand-over raises flag 2 and draws the
// prior map, the bias file loads as a bias, the managers never touch the main
// window's dataset, the language reaches the covariate manager, and the long
// bias run shows its progress while the windows keep painting.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "ApoyoGestores.h"
#include "app/Arranque.h"
#include "app/Controles.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/prior/FormPrioriManager.h"

using quel::AdaptadorPrincipal;

namespace {

// The program as `quel` starts it over a private data root, with the
// managers of this folder in place of the start-up's.
struct Programa {
    QTemporaryDir raiz;
    quel::DialogosGuion dialogos;
    std::unique_ptr<quel::Aplicacion> app;
    TFormPrincipal* p = nullptr;
    std::shared_ptr<AdaptadorPrincipal> adaptador;
    std::unique_ptr<TFormCovManager> cov;
    std::unique_ptr<TFormPrioriManager> priori;
    std::unique_ptr<TFormBiasManager> sesgo;

    Programa() {
        qputenv("QUEL_HOME", raiz.path().toLocal8Bit());
        app = std::make_unique<quel::Aplicacion>(quel::RaizDatos(raiz.path().toStdString()), dialogos);
        p = app->principal.get();
        adaptador = std::make_shared<AdaptadorPrincipal>(*p);
        cov = std::make_unique<TFormCovManager>(adaptador);
        priori = std::make_unique<TFormPrioriManager>(adaptador);
        sesgo = std::make_unique<TFormBiasManager>(adaptador);
        p->fijaVentanas(app->tipoArchivo.get(), cov.get(), priori.get(), sesgo.get());
        p->aplicaLenguajeGuardado();
        p->show();
    }
    ~Programa() {
        // The managers go before the main window they point at.
        p->fijaVentanas(app->tipoArchivo.get(), nullptr, nullptr, nullptr);
        sesgo.reset();
        priori.reset();
        cov.reset();
    }
    QString log() const { return p->RichEditLog->toPlainText(); }
    QStringList lineas() const { return log().split(QLatin1Char('\n')); }
    QTreeWidgetItem* nodo(int estado) const {
        for (int i = 0; i < p->TreeViewExplorador->topLevelItemCount(); ++i)
            if (TFormPrincipal::estadoNodo(p->TreeViewExplorador->topLevelItem(i)) == estado)
                return p->TreeViewExplorador->topLevelItem(i);
        return nullptr;
    }
    // The elapsed time the managers will see when they close.
    void tiempo(double segundos) {
        adaptador->reloj = [this, segundos] { return p->tiempoInicioGestor + segundos; };
    }
    // The main window's own covariate load.
    void cargaCovariables(const QString& ruta) {
        dialogos.responde(ruta);
        p->SpeedButtonCargaCov->click();
    }
    void cargaSesgo(const QString& ruta) {
        dialogos.responde(ruta);
        p->SpeedButtonCargaSesgo->click();
        app->tipoArchivo->RadioGroupTipoDatos->pulsa(0);
        app->tipoArchivo->ButtonOK->click();
    }
    void cargaSitios(const QString& ruta) {
        dialogos.responde(ruta);
        p->SpeedButtonCargaSites->click();
    }
};

// Pixels of the map that are not white.
int pintados(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
}

struct Contadores {
    int numCovariables, numEspecies, renglones, columnas, lineaError;
    bool operator==(const Contadores&) const = default;
};
Contadores contadores(const cargaArchivo& d) {
    return {d.numCovariables, d.numEspecies, d.renglones, d.columnas, d.lineaError};
}

}  // namespace

class PruebaGestoresPrincipal : public QObject {
    Q_OBJECT
private slots:
    void cargarAPrincipalMuestraElMapaDeCovariables();
    void abrirTablaEnElGestorNoTocaElConjuntoPrincipal();
    void lenguajeLlegaAlGestorDeCovariables();
    void prioriEnPrincipalLevantaBandera2YDibuja();
    void sesgoGuardadoCargaComoSesgoYCorre();
    void cerrarDesdeLaBarraVuelveLaPrincipal();
};

void PruebaGestoresPrincipal::cargarAPrincipalMuestraElMapaDeCovariables() {
    Programa q;
    q.p->SpeedButtonCovariables->click();
    QVERIFY(q.cov->isVisible());
    QVERIFY(!q.p->isVisible());
    QCOMPARE(q.lineas().last(), TFormPrincipal::tx(q.p->mensajesLog[11]));
    q.tiempo(90);
    for (const auto& g : prueba::kCovariablesMuestra) {
        prueba::pulsa(q.dialogos, prueba::grid(g.archivo), q.cov->SpeedButtonCargaFile);
        q.cov->CheckListBoxFiles->setCurrentRow(q.cov->CheckListBoxFiles->count() - 1);
        if (g.clases == 0) q.cov->ButtonAuto->click();
        else q.cov->combos.back()->setCurrentIndex(g.clases);
    }
    QVERIFY(q.cov->SpeedButtonCargaCov->isEnabled());  // the main window takes covariates
    q.cov->SpeedButtonCargaCov->click();

    QVERIFY(!q.cov->isVisible());
    QVERIFY(q.p->isVisible());
    const QString covTemp = q.raiz.path() + QStringLiteral("/CovTemp.txt");
    QVERIFY(QFile::exists(covTemp));
    QCOMPARE(q.p->control.banderas[0], 1);
    QCOMPARE(q.p->datos.numCovariables, 6);
    QCOMPARE(q.p->datos.coordenadas->renglones, 2700);
    QTreeWidgetItem* n = q.nodo(0);
    QVERIFY(n);
    QCOMPARE(n->child(0)->text(0), covTemp);
    // The covariate map is shown.
    QVERIFY(q.p->ImageMapa->isVisible());
    QVERIFY(pintados(q.p->ImageMapa->bitmap()) > 10000);
    QCOMPARE(q.p->windowTitle(), TFormPrincipal::tx(q.p->titulosMapa[0]));
    // The log: the time in the manager, then the load's lines.
    const QStringList l = q.lineas();
    const int i = static_cast<int>(l.indexOf(QStringLiteral("Tiempo en el administrador: 1.5 minutos.")));
    QVERIFY2(i >= 0, qPrintable(q.log()));
    QCOMPARE(l.value(i + 1), covTemp);
    QCOMPARE(l.last(), TFormPrincipal::tx(q.p->mensajesLog[2]));
    // Opened again, the manager no longer offers the hand-over.
    q.p->SpeedButtonCovariables->click();
    prueba::pulsa(q.dialogos, prueba::muestra(QStringLiteral("grids")), q.cov->SpeedButtonCargaFolder);
    QVERIFY(!q.cov->SpeedButtonCargaCov->isEnabled());
    q.tiempo(30);
    q.cov->SpeedButtonCerrar->click();
    QCOMPARE(q.lineas().last(), QStringLiteral("Tiempo en el administrador: 30.0 segundos."));
}

void PruebaGestoresPrincipal::abrirTablaEnElGestorNoTocaElConjuntoPrincipal() {
    Programa q;
    const QString tabla = prueba::muestra(QStringLiteral("covariates.txt"));
    QVERIFY(!tabla.isEmpty());
    const Contadores antes = contadores(q.p->datos);
    q.p->SpeedButtonCovariables->click();
    prueba::pulsa(q.dialogos, tabla, q.cov->AbrirArchivo1);
    QCOMPARE(q.cov->numCargadas, 6);
    QVERIFY(contadores(q.p->datos) == antes);
    QVERIFY(!q.p->datos.covariables);
    // A bad table: the main window's error box, with the manager's line.
    const QString mala = q.raiz.path() + QStringLiteral("/mala.txt");
    prueba::escribe(mala, "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n1,2,1,1,1,\n1,2,1,");
    q.cov->NuevoArchivo1->trigger();
    prueba::pulsa(q.dialogos, prueba::grid("slope.asc"), q.cov->SpeedButtonCargaFile);
    prueba::pulsa(q.dialogos, mala, q.cov->AbrirArchivo1);
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t(1));
    QCOMPARE(q.dialogos.mensajes.back().titulo, QStringLiteral("ERROR"));
    QVERIFY2(q.dialogos.mensajes.back().texto.endsWith(QStringLiteral("6")), qPrintable(q.dialogos.mensajes.back().texto));
    QVERIFY(contadores(q.p->datos) == antes);
    QCOMPARE(q.cov->numArchivos, 1);  // the list as it was
}

void PruebaGestoresPrincipal::lenguajeLlegaAlGestorDeCovariables() {
    Programa q;
    q.p->eligeLenguaje(QStringLiteral("English"));
    namespace lg = quel::lenguaje;
    const lg::ArchivoLenguaje en = lg::leeLenguaje(lg::textoIncluido(lg::Idioma::kIngles));
    QVERIFY(en.covManager && en.pistasCovManager);
    const auto& c = *en.covManager;
    QCOMPARE(q.cov->Archivo1->title(), quel::texto(c[0]));
    QCOMPARE(q.cov->LabelNomCov->text(), quel::texto(c[14]));
    QCOMPARE(q.cov->windowTitle(), q.p->AdmonCovsMenu->text());
    QCOMPARE(q.priori->windowTitle(), q.p->AdmonPrioriMenu->text());
    // The bias manager keeps its fixed Spanish texts.
    QCOMPARE(q.sesgo->windowTitle(), QStringLiteral("Administrador de Sesgo"));
    // The manager's boxes and log lines use the tables in force.
    q.p->SpeedButtonCovariables->click();
    prueba::pulsa(q.dialogos, prueba::grid("slope.asc"), q.cov->SpeedButtonCargaFile);
    q.cov->MenuGuardar->trigger();
    QCOMPARE(q.dialogos.mensajes.size(), std::size_t(1));
    QCOMPARE(q.dialogos.mensajes.back().texto, TFormPrincipal::tx(q.p->mensajesCovManager[4]));
    QCOMPARE(q.dialogos.mensajes.back().texto,
             quel::texto(lg::tablasIncluidas(lg::Idioma::kIngles).mensajesCovManager[4]));
}

void PruebaGestoresPrincipal::prioriEnPrincipalLevantaBandera2YDibuja() {
    Programa q;
    const QString tabla = prueba::muestra(QStringLiteral("covariates.txt"));
    q.cargaCovariables(tabla);
    QCOMPARE(q.p->control.banderas[0], 1);
    q.p->SpeedButtonPriori->click();
    QVERIFY(q.priori->isVisible());
    QVERIFY(!q.p->isVisible());
    q.tiempo(20);
    prueba::pulsa(q.dialogos, prueba::grid("base.asc"), q.priori->SpeedButtonCargaASCII);
    prueba::pulsa(q.dialogos, prueba::grid("prior.asc"), q.priori->SpeedButtonCargaPrioriASCII);
    q.priori->SpeedButtonTrans->click();
    QVERIFY(q.priori->SpeedButtonCargaPriori->isEnabled());
    const QByteArray clases = prueba::lee(QString::fromStdString((q.p->datos.carpetaTrabajo() / "PrioriTmp.txt").string()));
    QCOMPARE(clases.count('\n'), 2699);
    q.priori->SpeedButtonCargaPriori->click();

    QVERIFY(!q.priori->isVisible());
    QVERIFY(q.p->isVisible());
    QCOMPARE(q.p->control.banderas[2], 1);
    QVERIFY(q.nodo(7));
    QVERIFY(q.p->datos.priori);
    QCOMPARE(q.p->datos.priori->renglones, 2700);
    const QList<QByteArray> l = clases.split('\n');
    for (int i = 0; i < 2700; ++i) QCOMPARE(q.p->datos.priori->datos[0][static_cast<std::size_t>(i)], l[i].chopped(1).toInt());
    // The prior map is shown with its caption.
    QVERIFY(q.p->ImageMapa->isVisible());
    QVERIFY(pintados(q.p->ImageMapa->bitmap()) > 10000);
    QCOMPARE(q.p->windowTitle(), TFormPrincipal::tx(q.p->titulosMapa[quel::lenguaje::kTituloMapaPriori]));
    QVERIFY(q.lineas().contains(QStringLiteral("Tiempo en el administrador: 20.0 segundos.")));
}

void PruebaGestoresPrincipal::sesgoGuardadoCargaComoSesgoYCorre() {
    Programa q;
    const QString tabla = prueba::muestra(QStringLiteral("covariates.txt"));
    q.cargaCovariables(tabla);
    const Contadores antes = contadores(q.p->datos);
    q.p->SpeedButtonSesgo->click();
    QVERIFY(q.sesgo->isVisible());
    QVERIFY(!q.p->isVisible());
    auto entrada = [&](QToolButton* b, const QString& archivo, const char* parametro) {
        q.dialogos.responde(archivo);
        b->click();
        q.sesgo->EditDato->setText(QString::fromLatin1(parametro));
        q.sesgo->ButtonOk->click();
    };
    prueba::pulsa(q.dialogos, tabla, q.sesgo->SpeedButtonCargaCovs);
    entrada(q.sesgo->SpeedButtonCiudades, prueba::grid("cities.asc"), "1");
    entrada(q.sesgo->SpeedButtonCarreteras, prueba::grid("roads.asc"), "2");
    entrada(q.sesgo->SpeedButtonRiqueza, prueba::grid("richness.asc"), "10000");
    entrada(q.sesgo->SpeedButtonPresencias, prueba::muestra(QStringLiteral("sites.txt")), "200");
    QVERIFY(q.sesgo->SpeedButtonEjecutar->isEnabled());

    // While the run works, the window paints its progress.
    int vistas = 0;
    QTimer muestreo;
    connect(&muestreo, &QTimer::timeout, [&] {
        if (q.sesgo->PanelBarraProgreso->isVisible()) ++vistas;
    });
    muestreo.start(1);
    q.sesgo->SpeedButtonEjecutar->click();
    muestreo.stop();
    QVERIFY(q.sesgo->corridaCompleta);
    QVERIFY(vistas > 0);
    QVERIFY(q.sesgo->PanelBarraProgreso->isHidden());
    // The manager's own dataset did the reading.
    QVERIFY(contadores(q.p->datos) == antes);

    const QString salida = q.raiz.path() + QStringLiteral("/Covariables/sesgo.txt");
    prueba::pulsa(q.dialogos, salida, q.sesgo->SpeedButtonGuardar);
    QVERIFY(QFile::exists(salida));
    q.sesgo->SpeedButtonCerrar->click();
    QVERIFY(q.p->isVisible());
    QVERIFY(!q.sesgo->isVisible());

    // The main window loads it as a bias, and with a prior and the sites it runs.
    const auto mensajes = q.dialogos.mensajes.size();
    q.cargaSesgo(salida);
    QCOMPARE(q.dialogos.mensajes.size(), mensajes);
    QCOMPARE(q.p->control.banderas[1], 1);
    QVERIFY(q.p->datos.sesgo);
    QCOMPARE(q.p->datos.sesgo->renglones, 2700);
    q.cargaSitios(prueba::muestra(QStringLiteral("sites.txt")));
    QCOMPARE(q.p->control.banderas[3], 1);
    q.p->SpeedButtonPriori->click();
    prueba::pulsa(q.dialogos, prueba::grid("base.asc"), q.priori->SpeedButtonCargaASCII);
    prueba::pulsa(q.dialogos, prueba::grid("prior.asc"), q.priori->SpeedButtonCargaPrioriASCII);
    q.priori->SpeedButtonTrans->click();
    q.priori->SpeedButtonCargaPriori->click();
    // The prior of a manager counts for the run like a prior file.
    QCOMPARE(q.p->control.banderas[2], 1);
    q.p->SpeedButtonEjecutarClick();
    QCOMPARE(q.dialogos.mensajes.size(), mensajes);
    QCOMPARE(q.p->control.banderas[5], 1);
}

void PruebaGestoresPrincipal::cerrarDesdeLaBarraVuelveLaPrincipal() {
    Programa q;
    for (QWidget* w : {static_cast<QWidget*>(q.cov.get()), static_cast<QWidget*>(q.priori.get()),
                       static_cast<QWidget*>(q.sesgo.get())}) {
        QToolButton* abre = w == q.cov.get()      ? q.p->SpeedButtonCovariables
                            : w == q.priori.get() ? q.p->SpeedButtonPriori
                                                  : q.p->SpeedButtonSesgo;
        abre->click();
        QVERIFY(w->isVisible());
        QVERIFY(!q.p->isVisible());
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
        QVERIFY(q.p->isVisible());
    }
}

QTEST_MAIN(PruebaGestoresPrincipal)
#include "test_gestores_principal.moc"
