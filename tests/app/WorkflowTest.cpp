// The whole desktop workflow from an empty data folder, driven through the real
// windows by object name: the three managers build and hand over the inputs,
// the sites are loaded, the run draws its maps, every export is written and
// read back, and clearing and running again leave one set of results. With
// QUEL_CAPTURAS naming a folder, pictures of the windows are saved there
// (scripts/screenshot runs this under a virtual display).
#include "data/LectorASCII.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/prior/FormPrioriManager.h"
#include "ApoyoVentanas.h"

namespace {

using prueba::lee;
using prueba::muestra;

// Enabled state of the main window's commands, as one string for readable failures.
QString estado(const prueba::Programa& q) {
    return prueba::activos(q.p, {"SpeedButtonCargaCov", "SpeedButtonCargaSesgo", "SpeedButtonCargaPriori", "SpeedButtonCargaSites",
                                 "SpeedButtonEjecutar", "EjecutarMenu", "ExportPredictivaMenu", "ExportCertidumbreMenu",
                                 "ExportPotPrioriMenu", "ExportImagen", "SpeedButtonBorraTodos", "SpeedButtonBorraUno",
                                 "BorrarUnoMenu", "SpeedButtonProbabilidad", "SpeedButtonCertidumbre", "SpeedButtonPotPriori"});
}

// Top nodes of the explorer, by state.
QList<int> nodosSuperiores(const prueba::Programa& q) {
    QList<int> r;
    const auto* arbol = q.arbol();
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
    return QFontMetrics(fija ? fija->fuenteAjustada() : l->font()).horizontalAdvance(l->text()) <= l->contentsRect().width();
}

const QString kTrasCovariables =
    QStringLiteral("SpeedButtonCargaSesgo SpeedButtonCargaPriori SpeedButtonCargaSites ExportImagen SpeedButtonBorraTodos");
const QString kListo = QStringLiteral("SpeedButtonEjecutar EjecutarMenu ExportImagen SpeedButtonBorraTodos");
const QList<int> kConResultados{0, 7, 3, 11, 15, 18, 20};

}  // namespace

class WorkflowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        q_ = std::make_unique<prueba::Programa>();
        q_->p->resize(1280, 860);
        q_->p->show();
    }
    void cleanup() { q_.reset(); }

    void flujoCompletoDesdeCarpetaVacia() {
        if (!QFile::exists(muestra(QStringLiteral("grids/elevation.asc")))) QSKIP("the sample region is not in this tree");
        prueba::Programa& q = *q_;
        QVERIFY(QDir(q.ruta(QStringLiteral("Lenguajes"))).exists());
        QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov"));

        covariablesDesdeGrids();
        if (QTest::currentTestFailed()) return;
        QCOMPARE(estado(q), kTrasCovariables);
        prioriDesdeGrids();
        if (QTest::currentTestFailed()) return;
        QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaSesgo SpeedButtonCargaSites ExportImagen SpeedButtonBorraTodos"));
        // The prior's gradient starts at white: the region is outlined.
        const QImage& priori = q.mapa();
        int contorno = 0;
        for (int y = 0; y < priori.height(); ++y)
            for (int x = 0; x < priori.width(); ++x) contorno += priori.pixel(x, y) == TFormPrincipal::kColorContorno;
        QVERIFY2(contorno > 200, qPrintable(QString::number(contorno)));
        sesgoAjustado();
        if (QTest::currentTestFailed()) return;
        QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaSites ExportImagen SpeedButtonBorraTodos"));
        cargaSitios();
        // Every sample site lies in the region: nothing is reported dropped.
        QVERIFY(!q.log().contains(QStringLiteral("descartados")));
        QCOMPARE(estado(q), kListo);
        // The sites map shows the key of the covariate under the sites, not the prior's.
        QCOMPARE(q.w<QLabel>("LabelMaxLlave")->text(), TFormPrincipal::etiqueta(q.p->paleta.maximo));

        q.ejecuta();
        sinCajas(q.log());
        QCOMPARE(nodosSuperiores(q), kConResultados);
        QCOMPARE(estado(q), QStringLiteral("ExportPredictivaMenu ExportCertidumbreMenu ExportPotPrioriMenu ExportImagen "
                                           "SpeedButtonBorraTodos SpeedButtonCertidumbre SpeedButtonPotPriori"));

        // The three maps: painted, keyed with readable labels, the map's size fixed.
        QTest::qWait(20);
        const QSize tamMapa = q.w<quel::TImagen>("ImageMapa")->size();
        const QList<QLabel*> rotulos{q.w<QLabel>("LabelMinLlave"), q.w<QLabel>("LabelMaxLlave"), q.w<QLabel>("LabelMinimo"), q.w<QLabel>("LabelMaximo")};
        const std::pair<const char*, const char*> mapas[] = {{"SpeedButtonCertidumbre", "principal-certidumbre.png"},
                                                             {"SpeedButtonPotPriori", "principal-potencial.png"},
                                                             {"SpeedButtonProbabilidad", "principal.png"}};
        for (const auto& [boton, archivo] : mapas) {
            q.w<QToolButton>(boton)->click();
            QTest::qWait(20);
            QVERIFY(pintados(q.mapa()) > 1000);
            QVERIFY(q.w<quel::TImagen>("ImageLlave")->isVisible());
            for (QLabel* l : rotulos) QVERIFY2(cabe(l) && l->text().size() <= 9, qPrintable(l->objectName() + QStringLiteral(": ") + l->text()));
            QCOMPARE(q.w<quel::TImagen>("ImageMapa")->size(), tamMapa);
            captura(q.p, archivo);
        }
        q.w<QTabWidget>("PageControl")->setCurrentWidget(q.w<QWidget>("TabSheetColor"));
        captura(q.p, "principal-colores.png");
        q.w<QTabWidget>("PageControl")->setCurrentWidget(q.w<QWidget>("TabSheetExplorador"));
        // Labels of any length neither move the map nor get clipped.
        for (QLabel* l : rotulos) l->setText(QStringLiteral("-3.21521110890899E-15"));
        QTest::qWait(20);
        QCOMPARE(q.w<quel::TImagen>("ImageMapa")->size(), tamMapa);
        for (QLabel* l : rotulos) QVERIFY2(cabe(l), qPrintable(l->objectName()));
        q.w<QToolButton>("SpeedButtonCertidumbre")->click();

        // The map windows carry a key too.
        q.arbol()->setCurrentItem(q.arbol()->topLevelItem(4));
        q.w<QAction>("MostrarMapas1")->trigger();
        const auto ventanas = q.p->findChildren<QWidget*>(QStringLiteral("VentanaResultado"));
        QCOMPARE(ventanas.size(), 4);
        for (QWidget* v : ventanas) {
            QVERIFY(pintados(v->findChild<quel::TImagen*>(QStringLiteral("ImageLlave"))->bitmap()) > 10);
            QVERIFY(!v->findChild<QLabel*>(QStringLiteral("LabelMaxLlave"))->text().isEmpty());
            v->close();
        }

        // Every export is written from these results (byte for byte: test_exporta, which runs the same inputs).
        q.dialogos.responde(q.ruta(QStringLiteral("predictiva")), 3);
        q.w<QAction>("ExportPredictivaMenu")->trigger();
        quel::GridASCII grid;
        QCOMPARE(quel::leeGridASCII(q.ruta(QStringLiteral("predictiva.asc")).toStdString(), grid), 0);
        QCOMPARE(static_cast<int>(grid.encabezado.ncols * grid.encabezado.nrows), q.p->datos.coordenadas->renglones);
        sinCajas(q.log());

        // Removing the sites takes the results with them; loading them again and
        // running leaves one set of result nodes.
        q.arbol()->setCurrentItem(q.arbol()->topLevelItem(3));
        QVERIFY(q.on("SpeedButtonBorraUno") && q.on("BorrarUnoMenu"));
        q.w<QToolButton>("SpeedButtonBorraUno")->click();
        QCOMPARE(nodosSuperiores(q), (QList<int>{0, 7, 3}));
        QVERIFY(!q.on("ExportPredictivaMenu") && !q.on("ExportImagen"));
        cargaSitios();
        q.ejecuta();
        QCOMPARE(nodosSuperiores(q), kConResultados);

        // Clearing everything leaves nothing enabled but the covariate load.
        q.w<QToolButton>("SpeedButtonBorraTodos")->click();
        QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov"));
        QCOMPARE(q.arbol()->topLevelItemCount(), 0);

        // Once more by hand with the handed-over files: one set of results again.
        q.cargaCovariables(q.ruta(QStringLiteral("CovTemp.txt")));
        QCOMPARE(estado(q), kTrasCovariables);
        q.cargaSesgo(muestra(QStringLiteral("bias.txt")));
        q.cargaPriori(muestra(QStringLiteral("prior.txt")));
        cargaSitios();
        QCOMPARE(estado(q), kListo);
        q.ejecuta();
        QCOMPARE(nodosSuperiores(q), (QList<int>{0, 3, 7, 11, 15, 18, 20}));

        // Removing the covariates removes everything: "Quitar archivo" goes off.
        q.arbol()->setCurrentItem(q.arbol()->topLevelItem(0));
        q.w<QToolButton>("SpeedButtonBorraUno")->click();
        QCOMPARE(q.arbol()->topLevelItemCount(), 0);
        QCOMPARE(estado(q), QStringLiteral("SpeedButtonCargaCov"));
        sinCajas(q.log());
    }

    void sitiosFueraDeLaRegionSeInforman() {
        if (!QFile::exists(muestra(QStringLiteral("covariates.txt")))) QSKIP("the sample region is not in this tree");
        q_->cargaCovariables(muestra(QStringLiteral("covariates.txt")));
        // One lynx far away and one in the sea (no data, south-west corner), a
        // puma only far away, a fox in the region.
        q_->cargaSitios(q_->entrada(QStringLiteral("sitios.txt"), "Lynx,250,3\nLynx,-105.59,19.21\nLynx,-105.0,19.8\nPuma,-10,60\nZorro,-105.0,19.8"));
        const QString log = q_->log();
        for (const char* t : {"Lynx: 1 de 3 sitios descartados por estar fuera de la región: (250, 3)",
                              "Lynx: 1 de 3 sitios en celdas sin datos; cuentan en la celda de la región más cercana: (-105.59, 19.21)",
                              "Advertencia: Puma no tiene ningún sitio en la región"})
            QVERIFY2(log.contains(QString::fromUtf8(t)), qPrintable(log));
        QVERIFY(!log.contains(QStringLiteral("Zorro")));
    }

    // The map picture in the format of the chosen filter entry, the extension
    // added unless the name has one.
    void imagenEnElFormatoElegido() {
        if (!QImageReader::supportedImageFormats().contains("jpeg")) QSKIP("no JPEG plugin");
        if (!QFile::exists(muestra(QStringLiteral("covariates.txt")))) QSKIP("the sample region is not in this tree");
        q_->cargaCovariables(muestra(QStringLiteral("covariates.txt")));
        const struct {
            int entrada;
            const char *nombre, *escrito, *magia;
        } casos[] = {{1, "mapa.jpg", "mapa.jpg.bmp", "BM"}, {2, "foto", "foto.jpg", "\xFF\xD8\xFF"},
                     {2, "otra.JPEG", "otra.JPEG", "\xFF\xD8\xFF"}, {3, "dibujo", "dibujo.png", "\x89PNG"}};
        for (const auto& c : casos) {
            q_->dialogos.responde(q_->ruta(QLatin1String(c.nombre)), c.entrada);
            q_->w<QAction>("ExportImagen")->trigger();
            QVERIFY2(lee(q_->ruta(QLatin1String(c.escrito))).startsWith(c.magia), c.escrito);
        }
        QCOMPARE(QDir(q_->carpeta->path()).entryList(QDir::Files, QDir::Name), QStringList({"dibujo.png", "foto.jpg", "mapa.jpg.bmp", "otra.JPEG"}));
    }

private:

    // The three managers, as a user drives them, each ending with its hand-over.
    void covariablesDesdeGrids() {
        auto* cov = static_cast<TFormCovManager*>(q_->app->covManager.get());
        q_->w<QToolButton>("SpeedButtonCovariables")->click();
        QVERIFY(cov->isVisible());
        for (int i = 0; i < 6; ++i) {
            const auto [grid, clases] = prueba::kCovariablesMuestra[i];
            q_->dialogos.responde(prueba::grid(grid));
            cov->SpeedButtonCargaFile->click();
            cov->CheckListBoxFiles->setCurrentRow(i);
            cov->CheckListBoxFilesClick();
            auto* combo = cov->findChild<QComboBox*>(QStringLiteral("ComboCategoria%1").arg(i));
            QVERIFY(combo);
            if (clases > 0) combo->setCurrentIndex(clases);
            else cov->ButtonAuto->click();
        }
        QVERIFY(cov->SpeedButtonCargaCov->isEnabled());
        captura(cov, "covariables.png");
        cov->SpeedButtonCargaCov->click();
        sinCajas(q_->log());
        QVERIFY(!cov->isVisible() && q_->p->isVisible());
        QCOMPARE(q_->p->control.banderas[0], 1);
        // The handed-over table is the command line's, byte for byte.
        QCOMPARE(lee(q_->ruta(QStringLiteral("CovTemp.txt"))), lee(muestra(QStringLiteral("covariates.txt"))));
    }

    void prioriDesdeGrids() {
        auto* pri = static_cast<TFormPrioriManager*>(q_->app->prioriManager.get());
        q_->w<QToolButton>("SpeedButtonPriori")->click();
        QVERIFY(pri->isVisible());
        // Opening a manager clears nothing, and says nothing of the kind.
        QVERIFY(!q_->log().contains(TFormPrincipal::tx(q_->p->mensajesBorrado[0])));
        q_->dialogos.responde(muestra(QStringLiteral("grids/base.asc")));
        pri->SpeedButtonCargaASCII->click();
        QCOMPARE(pri->LlaveMapa->clases().size(), std::size_t{2});
        q_->dialogos.responde(muestra(QStringLiteral("grids/prior.asc")));
        pri->SpeedButtonCargaPrioriASCII->click();
        pri->SpeedButtonTrans->click();
        // The transformed map's key: the four classes with the colours painted.
        QCOMPARE(pri->LlaveMapa->clases().size(), std::size_t{4});
        QCOMPARE(pri->LlaveMapa->clases()[1].color, TFormPrioriManager::kAmbar);
        QVERIFY(pri->SpeedButtonCargaPriori->isEnabled());
        captura(pri, "priori.png");
        pri->SpeedButtonCargaPriori->click();
        sinCajas(q_->log());
        QCOMPARE(q_->p->control.banderas[2], 1);
    }

    void sesgoAjustado() {
        auto* ses = static_cast<TFormBiasManager*>(q_->app->biasManager.get());
        q_->w<QToolButton>("SpeedButtonSesgo")->click();
        QVERIFY(ses->isVisible());
        q_->dialogos.responde(q_->ruta(QStringLiteral("CovTemp.txt")));
        ses->SpeedButtonCargaCovs->click();
        const std::tuple<QToolButton*, const char*, const char*> entradas[] = {
            {ses->SpeedButtonCiudades, "grids/cities.asc", "1"}, {ses->SpeedButtonCarreteras, "grids/roads.asc", "2"},
            {ses->SpeedButtonRiqueza, "grids/richness.asc", "10000"}, {ses->SpeedButtonPresencias, "sites.txt", "200"}};
        for (const auto& [boton, archivo, parametro] : entradas) {
            q_->dialogos.responde(muestra(QString::fromLatin1(archivo)));
            boton->click();
            ses->EditDato->setText(QString::fromLatin1(parametro));
            ses->ButtonOk->click();
        }
        QVERIFY(ses->SpeedButtonEjecutar->isEnabled() && !ses->SpeedButtonCargaPrincipal->isEnabled());
        ses->SpeedButtonEjecutar->click();
        const QString log = ses->RichEditLog->toPlainText();
        sinCajas(log);
        QVERIFY(ses->PanelBarraProgreso->isHidden());
        // The fit's figures, as the command line prints them (4 digits on screen).
        for (const char* t : {"peso de las ciudades frente a las carreteras 33.97", "Evaluaciones: 250, iteraciones: ",
                              "sin cumplir la prueba de convergencia"})
            QVERIFY2(log.contains(QString::fromUtf8(t)), qPrintable(log));
        QVERIFY(q_->log().contains(QStringLiteral("Evaluaciones: 250")));
        captura(ses, "sesgo.png");
        QVERIFY(ses->SpeedButtonCargaPrincipal->isEnabled());
        ses->SpeedButtonCargaPrincipal->click();
        sinCajas(q_->log());
        QVERIFY(!ses->isVisible() && q_->p->isVisible());
        QCOMPARE(q_->p->control.banderas[1], 1);
        // The handed-over file is the one the command line writes.
        QCOMPARE(lee(QString::fromStdString((q_->p->datos.carpetaTrabajo() / "SesgoTmp.txt").string())), lee(muestra(QStringLiteral("bias.txt"))));
    }

    void cargaSitios() {
        q_->cargaSitios(muestra(QStringLiteral("sites.txt")));
        QCOMPARE(q_->p->control.banderas[3], 1);
    }
    // No box was shown.
    void sinCajas(const QString& log) { QVERIFY2(q_->dialogos.mensajes.empty(), qPrintable(log)); }
    void captura(QWidget* w, const char* nombre) {
        const QString carpeta = QString::fromLocal8Bit(qgetenv("QUEL_CAPTURAS"));
        if (carpeta.isEmpty()) return;
        QTest::qWait(50);
        QVERIFY(w->grab().save(carpeta + QLatin1Char('/') + QString::fromLatin1(nombre), "PNG"));
    }
    std::unique_ptr<prueba::Programa> q_;
};

QTEST_MAIN(WorkflowTest)
#include "WorkflowTest.moc"
