// The explorer over the sample region: the tree's nodes with their states and
// icons after the loads and a run, the click rules, every node action
// (tables, text viewer, maps and captions), Enter, and the prediction for one
// species in its own window.
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

// "text/state/icon" of every node, depth first, children indented.
QStringList arbol(const Programa& q) {
    QStringList r;
    for (QTreeWidgetItemIterator it(q.arbol()); *it; ++it)
        r.append(QStringLiteral("%1%2/%3/%4")
                     .arg((*it)->parent() ? QStringLiteral("  ") : QString(), (*it)->text(0))
                     .arg(TFormPrincipal::estadoNodo(*it))
                     .arg(TFormPrincipal::imagenNodo(*it)));
    return r;
}

// Row r of the table view, cells joined by spaces.
QString fila(const Programa& q, int r) {
    const auto* g = q.w<QTableWidget>("StringGridDatos");
    QStringList t;
    for (int c = 0; c < g->columnCount(); ++c) t.append(g->item(r, c) ? g->item(r, c)->text() : QString());
    return t.join(QLatin1Char(' '));
}

// The node action as a double click gives it.
void dobleClic(const Programa& q, int estado) {
    q.selecciona(estado);
    QVERIFY(q.nodo(estado));
    emit q.arbol()->itemDoubleClicked(q.nodo(estado), 0);
}

QList<QWidget*> ventanas(const Programa& q, const char* nombre) {
    QList<QWidget*> r;
    for (QWidget* w : q.p->findChildren<QWidget*>(QString::fromLatin1(nombre)))
        if (w->isVisible()) r.append(w);
    return r;
}

QImage imagenDe(QWidget* ventana) { return ventana->findChild<quel::TImagen*>()->bitmap(); }
QString titulo(const Programa& q, std::size_t i) { return TFormPrincipal::tx(q.p->titulosMapa[i]); }
bool tablaVisible(const Programa& q) { return q.w<QTableWidget>("StringGridDatos")->isVisibleTo(q.p); }

}  // namespace

class PruebaExplorador : public QObject {
    Q_OBJECT
private slots:
    void nodosTrasLasCargasYTrasEjecutar() {
        Programa q;
        q.cargaMuestras();
        q.ejecuta();
        QStringList esperado{QStringLiteral("Covariables/0/2")};
        const auto archivo = [&](const char* nombre, int estado) {
            for (int i = 0; i < (estado == 1 ? 2 : 3); ++i)
                esperado << QStringLiteral("  %1/%2/%3").arg(Programa::muestra(nombre)).arg(estado + i).arg(9 + i);
        };
        archivo("covariates.txt", 1);
        const char* nombres[] = {"elevation", "temperature", "precipitation", "slope", "landcover", "soil"};
        for (int k = 0; k < 6; ++k) esperado << QStringLiteral("  %1/%2/11").arg(QLatin1String(nombres[k])).arg(22 + k);
        esperado << QStringLiteral("Sesgo Espacial/3/3");
        archivo("bias.txt", 4);
        esperado << QStringLiteral("Informacion a Priori/7/4");
        archivo("prior.txt", 8);
        esperado << QStringLiteral("Sitios de Presencia/11/5");
        archivo("sites.txt", 12);
        esperado << QStringLiteral("  Brosimum_alicastrum/28/11") << QStringLiteral("  Pinus_oocarpa/29/11")
                 << QStringLiteral("  Quercus_magnoliifolia/30/11") << QStringLiteral("Probabilidad predictiva/15/6")
                 << QStringLiteral("  Relativo/16/11") << QStringLiteral("  Absoluto/17/11") << QStringLiteral("Certidumbre/18/7")
                 << QStringLiteral("  Certidumbre/19/11") << QStringLiteral("Potencial Priori/20/8") << QStringLiteral("  Potencial Priori/21/11");
        QCOMPARE(arbol(q), esperado);
    }

    void reglasDeClic() {
        Programa q;
        q.cargaMuestras();
        // (borra uno, mostrar mapa, mostrar mapas, realizar) per state.
        auto reglas = [&](std::initializer_list<int> estados, const char* esperado) {
            for (int s : estados) {
                q.selecciona(s);
                const QString r = QStringLiteral("%1%2%3%4").arg(q.on("SpeedButtonBorraUno")).arg(q.on("MostrarMapa1")).arg(q.on("MostrarMapas1")).arg(q.on("Realizar1"));
                QVERIFY2(r == QLatin1String(esperado), qPrintable(QString::number(s) + QLatin1Char(' ') + r));
            }
        };
        reglas({0}, "1010");
        reglas({3, 7, 11}, "1000");
        reglas({1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 28}, "0100");  // a species before a run: no prediction
        reglas({22, 27}, "0110");
        q.ejecuta();
        reglas({28, 30}, "0101");
        reglas({15, 18, 20}, "0010");
        reglas({16, 17, 19, 21}, "0110");
        // The pop-up menu's "Mostrar mapa o  archivo" is the node action.
        q.selecciona(1);
        q.w<QAction>("MostrarMapa1")->trigger();
        QVERIFY(tablaVisible(q));
        q.selecciona(6);
        q.w<QAction>("MostrarMapa1")->trigger();
        QVERIFY(q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p));
        // Without a selected node the commands do nothing.
        q.arbol()->setCurrentItem(nullptr);
        const QImage antes = q.mapa();
        for (const char* a : {"MostrarMapa1", "MostrarMapas1", "Realizar1"}) q.w<QAction>(a)->trigger();
        QCOMPARE(q.mapa(), antes);
        QVERIFY(ventanas(q, "VentanaCovariable").isEmpty() && ventanas(q, "VentanaEspecie").isEmpty());
    }

    void accionesDeLosNodosDeEntrada() {
        Programa q;
        q.cargaMuestras();
        // The covariate table: every covariate column and the region flag.
        dobleClic(q, 1);
        QVERIFY(tablaVisible(q) && !q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p));
        QCOMPARE(q.w<QTableWidget>("StringGridDatos")->rowCount(), 2700 + 1);
        QCOMPARE(fila(q, 0), QStringLiteral(" Longitud Latitud Cov. [1] Cov. [2] Cov. [3] Cov. [4] Cov. [5] Cov. [6] Región"));
        QCOMPARE(fila(q, 6), QStringLiteral("6 -105.475 20.3 1 8 1 1 1 1 1"));
        // Enter does what a double click does: back to the map, then the bias table by Enter.
        dobleClic(q, 6);
        QVERIFY(!tablaVisible(q));
        q.selecciona(4);
        QTest::keyClick(q.arbol(), Qt::Key_Return);
        QVERIFY(tablaVisible(q));
        QCOMPARE(fila(q, 0) + QLatin1Char('|') + fila(q, 1), QStringLiteral(" Longitud Latitud Sesgo|1 -105.6 20.3 0.0176789"));
        dobleClic(q, 8);
        QCOMPARE(fila(q, 0) + QLatin1Char('|') + fila(q, 1), QStringLiteral(" Longitud Latitud A Priori|1 -105.6 20.3 0"));
        // Sites, sorted by species: the first rows are Brosimum's.
        dobleClic(q, 12);
        QCOMPARE(q.w<QTableWidget>("StringGridDatos")->rowCount(), q.p->datos.sitios->renglones + 1);
        QCOMPARE(fila(q, 0), QStringLiteral(" Longitud Latitud"));
        const QStringList primera = fila(q, 1).split(QLatin1Char(' '));
        QCOMPARE(primera[0], QStringLiteral("1"));
        QVERIFY2(prueba::lee(Programa::muestra("sites.txt")).contains("Brosimum_alicastrum," + primera[1].toLatin1() + "," + primera[2].toLatin1()),
                 qPrintable(primera.join(QLatin1Char(' '))));
        QVERIFY(q.dialogos.mensajes.empty());
        // The file nodes open the text viewer.
        for (int s : {2, 5, 9, 13}) dobleClic(q, s);
        QCOMPARE(q.dialogos.editados, QStringList({Programa::muestra("covariates.txt"), Programa::muestra("bias.txt"),
                                                   Programa::muestra("prior.txt"), Programa::muestra("sites.txt")}));
        // Each map action shows its map, with its caption, each a different picture.
        QList<QImage> vistas;
        const std::pair<int, std::size_t> mapas[] = {{6, 1}, {10, 2}, {14, 3}, {22, 0}, {23, 0}, {28, 3}};
        for (const auto& [estado, t] : mapas) {
            dobleClic(q, 1);  // from the table view
            dobleClic(q, estado);
            QVERIFY(q.w<quel::TImagen>("ImageMapa")->isVisibleTo(q.p) && !tablaVisible(q));
            QCOMPARE(q.p->windowTitle(), titulo(q, t));
            QVERIFY2(!vistas.contains(q.mapa()), qPrintable(QString::number(estado)));
            vistas.append(q.mapa());
        }
        // The bias map is the command's own map, and the covariate node draws
        // covariate 1 (temperature), as its command does.
        q.w<QToolButton>("SpeedButtonCargaSesgo")->setEnabled(false);
        dobleClic(q, 6);
        QImage delNodo = q.mapa();
        q.p->muestraMapaSesgo();
        QCOMPARE(q.mapa(), delNodo);
        dobleClic(q, 23);
        delNodo = q.mapa();
        q.p->muestraMapaCovariable(1, true);
        QCOMPARE(q.mapa(), delNodo);
        // Top nodes do nothing.
        for (int s : {0, 3, 7, 11}) {
            dobleClic(q, s);
            QCOMPARE(q.mapa(), delNodo);
        }
    }

    void prediccionDeUnaEspecie() {
        Programa q;
        q.cargaMuestras();
        q.ejecuta();
        const std::vector<long double> predictiva = q.p->motor->predictiva->datos[0];
        const int sitios = q.p->datos.sitios->renglones;
        // The all-sites map in a window of the same size.
        q.selecciona(15);
        q.w<QAction>("MostrarMapas1")->trigger();
        const QImage todas = imagenDe(ventanas(q, "VentanaResultado").value(1));
        // Each species its own window and map; the main results, their dataset
        // and the main map stay those of all species.
        QList<QImage> propias;
        const std::pair<int, const char*> especies[] = {{29, "Pinus_oocarpa"}, {28, "Brosimum_alicastrum"}};
        for (const auto& [estado, nombre] : especies) {
            q.selecciona(estado);
            q.w<QAction>("Realizar1")->trigger();
            const QList<QWidget*> v = ventanas(q, "VentanaEspecie");
            QCOMPARE(v.size(), propias.size() + 1);
            QCOMPARE(v.last()->windowTitle(), QLatin1String(nombre));
            const QImage propia = imagenDe(v.last());
            QVERIFY(propia.size() == q.mapa().size() + QSize(10, 10) && propia.size() == todas.size());
            QVERIFY(propia != todas && !propias.contains(propia));
            propias << propia;
        }
        QVERIFY(q.p->motor->predictiva->datos[0] == predictiva);
        QCOMPARE(q.p->datos.sitios->renglones, sitios);
        QCOMPARE(q.p->windowTitle(), titulo(q, 4));
    }
};

QTEST_MAIN(PruebaExplorador)
#include "test_explorador.moc"
