// The explorer over the sample region: the tree's nodes with their states and
// icons after each load and after a run, the click rules, every node action
// (tables, text viewer, maps and captions), Enter, the prediction for one
// species in its own window and the map windows.
#include <QDir>
#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include "ui/Controles.h"
#include "engine/ejecutarQuel.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// "text/state/icon" of every node, depth first, children indented.
QStringList arbol(const Programa& q) {
    QStringList r;
    QTreeWidgetItemIterator it(q.w<QTreeWidget>("TreeViewExplorador"));
    for (; *it; ++it) {
        const QString sangria = (*it)->parent() ? QStringLiteral("  ") : QString();
        r.append(sangria + QStringLiteral("%1/%2/%3")
                               .arg((*it)->text(0))
                               .arg(TFormPrincipal::estadoNodo(*it))
                               .arg(TFormPrincipal::imagenNodo(*it)));
    }
    return r;
}

QStringList fila(const QTableWidget* g, int r) {
    QStringList t;
    for (int c = 0; c < g->columnCount(); ++c) t.append(g->item(r, c) ? g->item(r, c)->text() : QString());
    return t;
}

// The node action as a double click gives it.
void dobleClic(const Programa& q, int estado) {
    q.selecciona(estado);
    QTreeWidgetItem* n = q.nodo(estado);
    QVERIFY(n);
    emit q.w<QTreeWidget>("TreeViewExplorador")->itemDoubleClicked(n, 0);
}

QList<QWidget*> ventanas(const Programa& q, const char* nombre) {
    QList<QWidget*> r;
    for (QWidget* w : q.p->findChildren<QWidget*>(QString::fromLatin1(nombre)))
        if (w->isVisible()) r.append(w);
    return r;
}

QImage imagenDe(QWidget* ventana) { return ventana->findChild<quel::TImagen*>()->bitmap(); }

QString titulo(const Programa& q, std::size_t i) { return TFormPrincipal::tx(q.p->titulosMapa[i]); }

}  // namespace

class PruebaExplorador : public QObject {
    Q_OBJECT
private slots:
    void nodosTrasCadaCargaYTrasEjecutar();
    void reglasDeClic();
    void tablasDeLasEntradas();
    void archivosEnElVisorYMapasDeEntradas();
    void mapasDeResultadosYRedibujoAbsoluto();
    void prediccionDeUnaEspecie();
    void ventanasDeMapasYCierre();
};

void PruebaExplorador::nodosTrasCadaCargaYTrasEjecutar() {
    Programa q;
    const QString cov = Programa::muestra("covariates.txt");
    q.cargaCovariables(cov);
    QStringList esperado{QStringLiteral("Covariables/0/2"), QStringLiteral("  %1/1/9").arg(cov),
                         QStringLiteral("  %1/2/10").arg(cov)};
    const char* nombres[] = {"elevation", "temperature", "precipitation", "slope", "landcover", "soil"};
    for (int k = 0; k < 6; ++k) esperado.append(QStringLiteral("  %1/%2/11").arg(QLatin1String(nombres[k])).arg(22 + k));
    QCOMPARE(arbol(q), esperado);

    const QString sesgo = Programa::muestra("bias.txt");
    q.cargaSesgo(sesgo);
    esperado << QStringLiteral("Sesgo Espacial/3/3") << QStringLiteral("  %1/4/9").arg(sesgo)
             << QStringLiteral("  %1/5/10").arg(sesgo) << QStringLiteral("  %1/6/11").arg(sesgo);
    QCOMPARE(arbol(q), esperado);

    const QString priori = Programa::muestra("prior.txt");
    q.cargaPriori(priori);
    esperado << QStringLiteral("Informacion a Priori/7/4") << QStringLiteral("  %1/8/9").arg(priori)
             << QStringLiteral("  %1/9/10").arg(priori) << QStringLiteral("  %1/10/11").arg(priori);
    QCOMPARE(arbol(q), esperado);

    const QString sitios = Programa::muestra("sites.txt");
    q.cargaSitios(sitios);
    esperado << QStringLiteral("Sitios de Presencia/11/5") << QStringLiteral("  %1/12/9").arg(sitios)
             << QStringLiteral("  %1/13/10").arg(sitios) << QStringLiteral("  %1/14/11").arg(sitios)
             << QStringLiteral("  Brosimum_alicastrum/28/11") << QStringLiteral("  Pinus_oocarpa/29/11")
             << QStringLiteral("  Quercus_magnoliifolia/30/11");
    QCOMPARE(arbol(q), esperado);

    q.ejecuta();
    QCOMPARE(q.p->control.banderas[5], 1);
    esperado << QStringLiteral("Probabilidad predictiva/15/6") << QStringLiteral("  Relativo/16/11")
             << QStringLiteral("  Absoluto/17/11") << QStringLiteral("Certidumbre/18/7")
             << QStringLiteral("  Certidumbre/19/11") << QStringLiteral("Potencial Priori/20/8")
             << QStringLiteral("  Potencial Priori/21/11");
    QCOMPARE(arbol(q), esperado);
}

void PruebaExplorador::reglasDeClic() {
    Programa q;
    q.cargaMuestras();
    // (borra uno, mostrar mapa, mostrar mapas, realizar) per state.
    auto reglas = [&](int s) {
        q.selecciona(s);
        return QStringLiteral("%1%2%3%4")
            .arg(q.on("SpeedButtonBorraUno"))
            .arg(q.on("MostrarMapa1"))
            .arg(q.on("MostrarMapas1"))
            .arg(q.on("Realizar1"));
    };
    QCOMPARE(reglas(0), QStringLiteral("1010"));
    for (int s : {3, 7, 11}) QCOMPARE(reglas(s), QStringLiteral("1000"));
    for (int s : {1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14}) QCOMPARE(reglas(s), QStringLiteral("0100"));
    QCOMPARE(reglas(22), QStringLiteral("0110"));
    QCOMPARE(reglas(27), QStringLiteral("0110"));
    // A species node before a run: no prediction for it.
    QCOMPARE(reglas(28), QStringLiteral("0100"));
    q.ejecuta();
    QCOMPARE(reglas(28), QStringLiteral("0101"));
    QCOMPARE(reglas(30), QStringLiteral("0101"));
    for (int s : {15, 18, 20}) QCOMPARE(reglas(s), QStringLiteral("0010"));
    for (int s : {16, 17, 19, 21}) QCOMPARE(reglas(s), QStringLiteral("0110"));
    // The pop-up menu's "Mostrar mapa o  archivo" is the node action.
    q.selecciona(1);
    q.w<QAction>("MostrarMapa1")->trigger();
    QVERIFY(q.w<QTableWidget>("StringGridDatos")->isVisibleTo(q.p));
    q.selecciona(6);
    q.w<QAction>("MostrarMapa1")->trigger();
    QVERIFY(q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p));
    // Without a selected node the commands do nothing.
    q.w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(nullptr);
    const QImage antes = q.w<quel::TImagen>("ImageMapa")->bitmap();
    q.w<QAction>("MostrarMapa1")->trigger();
    q.w<QAction>("MostrarMapas1")->trigger();
    q.w<QAction>("Realizar1")->trigger();
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), antes);
    QVERIFY(ventanas(q, "VentanaCovariable").isEmpty());
    QVERIFY(ventanas(q, "VentanaEspecie").isEmpty());
}

void PruebaExplorador::tablasDeLasEntradas() {
    Programa q;
    q.cargaMuestras();
    QTableWidget* g = q.w<QTableWidget>("StringGridDatos");

    // The covariate table: every covariate column and the region flag.
    dobleClic(q, 1);
    QVERIFY(g->isVisibleTo(q.p));
    QVERIFY(!q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p));
    QCOMPARE(g->rowCount(), 2700 + 1);
    QCOMPARE(fila(g, 0), QStringList({"", "Longitud", "Latitud", "Cov. [1]", "Cov. [2]", "Cov. [3]", "Cov. [4]",
                                      "Cov. [5]", "Cov. [6]", QStringLiteral("Región")}));
    QCOMPARE(fila(g, 1), QStringList({"1", "-105.6", "20.3", "0", "0", "0", "0", "0", "0", "0"}));
    QCOMPARE(fila(g, 6), QStringList({"6", "-105.475", "20.3", "1", "8", "1", "1", "1", "1", "1"}));

    // Enter does what a double click does: back to the map, then the bias table by Enter.
    dobleClic(q, 6);
    QVERIFY(!g->isVisibleTo(q.p));
    q.selecciona(4);
    QTest::keyClick(q.w<QTreeWidget>("TreeViewExplorador"), Qt::Key_Return);
    QVERIFY(g->isVisibleTo(q.p));
    QCOMPARE(g->rowCount(), 2700 + 1);
    QCOMPARE(fila(g, 0), QStringList({"", "Longitud", "Latitud", "Sesgo"}));
    QCOMPARE(fila(g, 1), QStringList({"1", "-105.6", "20.3", "0.0176789"}));

    dobleClic(q, 8);
    QCOMPARE(fila(g, 0), QStringList({"", "Longitud", "Latitud", "A Priori"}));
    QCOMPARE(fila(g, 1), QStringList({"1", "-105.6", "20.3", "0"}));

    // Sites, sorted by species: the first rows are Brosimum's.
    dobleClic(q, 12);
    QCOMPARE(g->rowCount(), q.p->datos.sitios->renglones + 1);
    QCOMPARE(g->columnCount(), 3);
    QCOMPARE(fila(g, 0), QStringList({"", "Longitud", "Latitud"}));
    const QStringList primera = fila(g, 1);
    QCOMPARE(primera[0], QStringLiteral("1"));
    const QByteArray archivo = prueba::lee(Programa::muestra("sites.txt"));
    QVERIFY2(archivo.contains("Brosimum_alicastrum," + primera[1].toLatin1() + "," + primera[2].toLatin1()),
             qPrintable(primera.join(QLatin1Char(' '))));
    QVERIFY(q.dialogos.mensajes.empty());
}

void PruebaExplorador::archivosEnElVisorYMapasDeEntradas() {
    Programa q;
    q.cargaMuestras();
    for (int s : {2, 5, 9, 13}) dobleClic(q, s);
    QCOMPARE(q.dialogos.editados,
             QStringList({Programa::muestra("covariates.txt"), Programa::muestra("bias.txt"),
                          Programa::muestra("prior.txt"), Programa::muestra("sites.txt")}));

    // Each map action shows its map, with its caption, each a different picture.
    QList<QImage> vistas;
    const struct {
        int estado;
        std::size_t titulo;
    } mapas[] = {{6, 1}, {10, 2}, {14, 3}, {22, 0}, {23, 0}, {28, 3}};
    for (const auto& m : mapas) {
        dobleClic(q, 1);  // from the table view
        dobleClic(q, m.estado);
        QVERIFY(q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p));
        QVERIFY(!q.w<QTableWidget>("StringGridDatos")->isVisibleTo(q.p));
        QCOMPARE(q.p->windowTitle(), titulo(q, m.titulo));
        for (const QImage& v : vistas) QVERIFY2(v != q.w<quel::TImagen>("ImageMapa")->bitmap(), qPrintable(QString::number(m.estado)));
        vistas.append(q.w<quel::TImagen>("ImageMapa")->bitmap());
    }
    // The bias map is the command's own map.
    q.w<QToolButton>("SpeedButtonCargaSesgo")->setEnabled(false);
    dobleClic(q, 6);
    const QImage sesgo = q.w<quel::TImagen>("ImageMapa")->bitmap();
    q.p->muestraMapaSesgo();
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), sesgo);
    // The covariate node draws covariate 1 (temperature), as its command does.
    dobleClic(q, 23);
    const QImage temperatura = q.w<quel::TImagen>("ImageMapa")->bitmap();
    q.p->muestraMapaCovariable(1, true);
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), temperatura);
    // Top nodes do nothing.
    for (int s : {0, 3, 7, 11}) {
        dobleClic(q, s);
        QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), temperatura);
    }
}

void PruebaExplorador::mapasDeResultadosYRedibujoAbsoluto() {
    Programa q;
    q.cargaMuestras();
    q.ejecuta();
    const std::vector<long double> predictiva = q.p->motor->predictiva->datos[0];
    q.w<QToolButton>("SpeedButtonProbabilidad")->click();
    const QImage absoluto = q.w<quel::TImagen>("ImageMapa")->bitmap();

    dobleClic(q, 16);
    QCOMPARE(q.p->windowTitle(), titulo(q, 4));
    QVERIFY(q.w<quel::TImagen>("ImageMapa")->bitmap() != absoluto);
    QVERIFY(q.w<QLabel>("LabelMaxLlave")->text() != QStringLiteral("1"));

    // The absolute map after repeating the prediction: the same results.
    dobleClic(q, 17);
    QCOMPARE(q.p->windowTitle(), titulo(q, 4));
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), absoluto);
    QVERIFY(q.p->motor->predictiva->datos[0] == predictiva);
    QCOMPARE(q.p->datos.sitios->renglones, q.p->sitiosMapa->renglones);

    // 19 and 21 are the certainty and prior-potential buttons.
    dobleClic(q, 19);
    const QImage certidumbre = q.w<quel::TImagen>("ImageMapa")->bitmap();
    QCOMPARE(q.p->windowTitle(), titulo(q, 5));
    q.p->SpeedButtonCertidumbreClick();
    QCOMPARE(q.w<quel::TImagen>("ImageMapa")->bitmap(), certidumbre);
    dobleClic(q, 21);
    QCOMPARE(q.p->windowTitle(), titulo(q, 6));
    QVERIFY(q.w<quel::TImagen>("ImageMapa")->bitmap() != certidumbre);
}

void PruebaExplorador::prediccionDeUnaEspecie() {
    Programa q;
    q.cargaMuestras();
    q.ejecuta();
    const std::vector<long double> predictiva = q.p->motor->predictiva->datos[0];
    const int sitios = q.p->datos.sitios->renglones;
    // The all-sites map in a window of the same size.
    q.selecciona(15);
    q.w<QAction>("MostrarMapas1")->trigger();
    const QList<QWidget*> resultados = ventanas(q, "VentanaResultado");
    QCOMPARE(resultados.size(), 4);
    const QImage todas = imagenDe(resultados[1]);

    q.selecciona(29);
    q.w<QAction>("Realizar1")->trigger();
    const QList<QWidget*> especie = ventanas(q, "VentanaEspecie");
    QCOMPARE(especie.size(), 1);
    QCOMPARE(especie[0]->windowTitle(), QStringLiteral("Pinus_oocarpa"));
    const QImage propia = imagenDe(especie[0]);
    QCOMPARE(propia.size(), q.w<quel::TImagen>("ImageMapa")->bitmap().size() + QSize(10, 10));
    QCOMPARE(propia.size(), todas.size());
    QVERIFY(propia != todas);
    // The main results, their dataset and the main map stay those of all species.
    QVERIFY(q.p->motor->predictiva->datos[0] == predictiva);
    QCOMPARE(q.p->datos.sitios->renglones, sitios);
    QCOMPARE(q.p->windowTitle(), titulo(q, 4));

    // Another species, another window and another map.
    q.selecciona(28);
    q.w<QAction>("Realizar1")->trigger();
    const QList<QWidget*> dos = ventanas(q, "VentanaEspecie");
    QCOMPARE(dos.size(), 2);
    QVERIFY(imagenDe(dos[1]) != propia);
    QCOMPARE(dos[1]->windowTitle(), QStringLiteral("Brosimum_alicastrum"));
}

void PruebaExplorador::ventanasDeMapasYCierre() {
    Programa q;
    q.cargaMuestras();
    q.p->show();
    q.selecciona(24);
    q.w<QAction>("MostrarMapas1")->trigger();
    const QList<QWidget*> covs = ventanas(q, "VentanaCovariable");
    QCOMPARE(covs.size(), 6);
    const char* nombres[] = {"elevation", "temperature", "precipitation", "slope", "landcover", "soil"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(covs[i]->windowTitle(), QString::fromLatin1(nombres[i]));
        // Covariate i's map, the one its node shows.
        q.p->muestraMapaCovariable(i, true);
        QImage esperado = q.w<quel::TImagen>("ImageMapa")->bitmap();
        QImage ventana = imagenDe(covs[i]).copy(0, 0, esperado.width(), esperado.height());
        QCOMPARE(ventana, esperado);
    }
    // Result windows only after a run.
    q.selecciona(20);
    QVERIFY(!q.nodo(20));
    q.ejecuta();
    q.selecciona(18);
    q.w<QAction>("MostrarMapas1")->trigger();
    const QList<QWidget*> res = ventanas(q, "VentanaResultado");
    QCOMPARE(res.size(), 4);
    const QStringList titulos{"Probabilidad predictiva", "Probabilidad predictiva", "Certidumbre", "Potencial Priori"};
    for (int i = 0; i < 4; ++i) QCOMPARE(res[i]->windowTitle(), titulos[i]);
    // They stay until closed; closing the main window closes them.
    QCOMPARE(ventanas(q, "VentanaCovariable").size(), 6);
    covs[0]->close();
    QCOMPARE(ventanas(q, "VentanaCovariable").size(), 5);
    q.p->close();
    QVERIFY(ventanas(q, "VentanaCovariable").isEmpty());
    QVERIFY(ventanas(q, "VentanaResultado").isEmpty());
}

QTEST_MAIN(PruebaExplorador)
#include "test_explorador.moc"
