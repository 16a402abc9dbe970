// The prior manager driven by object name over a stand-in main window: the
// grid loads with their maps and tree groups, the cell-count warning, the
// transform, the save against the command line's file, the hand-over to the
// main window and the close, and delete.
#include "ApoyoGestores.h"
#include "managers/prior/FormPrioriManager.h"

using prueba::activo;

namespace {

QString estado(TFormPrioriManager& w) {
    return prueba::activos(&w, {"SpeedButtonCargaASCII", "SpeedButtonCargaPrioriASCII", "SpeedButtonBorra",
                                "SpeedButtonTrans", "SpeedButtonGuarda", "SpeedButtonCargaPriori", "SpeedButtonCerrar",
                                "CargaPrincipal1"});
}

// Colour of the map at the centre of cell i of a 60 x 45 grid drawn on the
// 640 x 480 map (cells of 10 x 10 pixels).
QRgb celda(TFormPrioriManager& w, int i) { return w.ImageMapa->bitmap().pixel(i % 60 * 10 + 5, i / 60 * 10 + 5); }

// Cell values of a sample grid, row by row from the top.
std::vector<int> valores(const char* nombre) {
    std::vector<int> v;
    const QList<QByteArray> lineas = prueba::lee(prueba::grid(nombre)).split('\n');
    for (int i = 6; i < lineas.size(); ++i)
        for (const QByteArray& t : lineas[i].split(' '))
            if (!t.isEmpty()) v.push_back(t.toInt());
    return v;
}

// The first cell of a sample grid holding `valor` (and, with `base`, inside the base region).
int primera(const char* nombre, int valor, bool enRegion = false) {
    const std::vector<int> v = valores(nombre), base = valores("base.asc");
    for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] == valor && (!enRegion || base[i] == 1)) return static_cast<int>(i);
    return -1;
}

struct Banco : prueba::BancoGestor<TFormPrioriManager> {
    QTreeWidget* arbol() { return w.TreeViewExplorador; }
    QTreeWidgetItem* nodo(int grupo, int hijo = -1) {
        QTreeWidgetItem* g = arbol()->topLevelItem(grupo);
        return hijo < 0 ? g : g->child(hijo);
    }
    void base(const QString& ruta = prueba::grid("base.asc")) { prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaASCII); }
    void priori(const QString& ruta = prueba::grid("prior.asc")) { prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaPrioriASCII); }
    void transforma() {
        base();
        priori();
        w.SpeedButtonTrans->click();
    }
    void selecciona(QTreeWidgetItem* n) {
        arbol()->clearSelection();
        n->setSelected(true);
        arbol()->setCurrentItem(n);
    }
    // A grid of `ncols` x 2 cells all holding `valor`.
    QString pequeno(const char* nombre, int ncols, int valor) {
        const QByteArray fila = QByteArray::number(valor).append(' ').repeated(ncols);
        prueba::escribe(p->tmp(QLatin1String(nombre)), "ncols " + QByteArray::number(ncols) +
                                                           "\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n" + fila + "\n" + fila);
        return p->tmp(QLatin1String(nombre));
    }
};

}  // namespace

class PruebaPrioriManager : public QObject {
    Q_OBJECT
private slots:
    void cargasConMapaYGrupos() {
        Banco b;
        b.base();
        QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaPrioriASCII SpeedButtonBorra SpeedButtonTrans SpeedButtonCerrar"));
        QCOMPARE(b.arbol()->topLevelItemCount(), 1);
        QCOMPARE(b.nodo(0)->text(0), QStringLiteral("ASCII Base"));
        QCOMPARE(b.nodo(0)->childCount(), 2);
        for (int i = 0; i < 3; ++i) QCOMPARE(TFormPrioriManager::tipoNodo(i ? b.nodo(0, i - 1) : b.nodo(0)), i);
        QCOMPARE(b.nodo(0, 1)->text(0), prueba::grid("base.asc"));
        // Base map: navy outside the region, green inside; the mask file is gone.
        QCOMPARE(celda(b.w, primera("base.asc", -9999)), TFormPrioriManager::kMarino);
        QCOMPARE(celda(b.w, primera("base.asc", 1)), TFormPrioriManager::kVerde);
        QVERIFY(!QFile::exists(b.p->enRaiz(QStringLiteral("Grids/MascaraTmp.txt"))));

        b.priori();
        QVERIFY(b.dlg().mensajes.empty());  // same cells: no warning
        QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonBorra SpeedButtonTrans SpeedButtonCerrar"));
        QCOMPARE(TFormPrioriManager::tipoNodo(b.nodo(1, 1)), 5);
        QCOMPARE(celda(b.w, primera("prior.asc", 1)), TFormPrioriManager::kVerdeClaro);
        QCOMPARE(celda(b.w, primera("prior.asc", 3)), TFormPrioriManager::kRojo);
        QCOMPARE(celda(b.w, primera("prior.asc", -9999)), TFormPrioriManager::kMarino);
    }

    void transformarYGuardarComoLaLineaDeComandos() {
        Banco b;
        b.transforma();
        // Covariates not loaded in the main window: no hand-over.
        QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonBorra SpeedButtonGuarda SpeedButtonCerrar"));
        QCOMPARE(b.nodo(2, 0)->text(0), QStringLiteral("PrioriTmp.txt"));
        QCOMPARE(TFormPrioriManager::tipoNodo(b.nodo(2, 1)), 8);
        // Transformed map: class 2 where the region has no prior.
        const int clase2 = primera("prior.asc", -9999, true);
        QCOMPARE(celda(b.w, clase2), TFormPrioriManager::kAmbar);
        const QByteArray t = prueba::lee(b.p->trabajo(QStringLiteral("PrioriTmp.txt")));
        QVERIFY(t == prueba::referencia(QStringLiteral("prior.txt")));

        // Save: a name without a dot gets ".txt"; the box tells the success.
        prueba::pulsa(b.dlg(), b.p->tmp(QStringLiteral("priori")), b.w.SpeedButtonGuarda);
        QCOMPARE(prueba::lee(b.p->tmp(QStringLiteral("priori.txt"))), t);
        QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
        QCOMPARE(b.dlg().mensajes[0].icono, quel::IconoMensaje::Informacion);
        // A name with a dot is kept; the menu item saves too.
        prueba::pulsa(b.dlg(), b.p->tmp(QStringLiteral("priori.dat")), b.w.Guardar1);
        QCOMPARE(prueba::lee(b.p->tmp(QStringLiteral("priori.dat"))), t);
        // A file that cannot be written is not reported as saved.
        prueba::pulsa(b.dlg(), b.p->tmp(QStringLiteral("no/existe/priori.txt")), b.w.SpeedButtonGuarda);
        QCOMPARE(b.dlg().mensajes.back().icono, quel::IconoMensaje::Error);
    }

    void cargaEnPrincipal() {
        Banco b;
        b.p->banderas[0] = 1;
        b.transforma();
        QVERIFY(activo(&b.w, "SpeedButtonCargaPriori") && activo(&b.w, "CargaPrincipal1"));
        const QList<QByteArray> lineas = prueba::lee(b.p->trabajo(QStringLiteral("PrioriTmp.txt"))).split('\n');
        b.w.CargaPrincipal1->trigger();
        QVERIFY(b.p->priori);
        QCOMPARE(b.p->priori->renglones, 2700);
        QCOMPARE(b.p->priori->columnas, 1);
        for (int i = 0; i < 2700; ++i) QCOMPARE(b.p->priori->datos[0][static_cast<std::size_t>(i)], lineas[i].chopped(1).toInt());
        QCOMPARE(b.p->rutaPriori, b.p->trabajo(QStringLiteral("PrioriTmp.txt")));
        // The window closes as its close command does: a time line, tree and tables released.
        QVERIFY(!b.w.isVisible() && !b.w.transformacion.priori);
        QCOMPARE(b.p->mostrada, 1);
        QCOMPARE(b.p->log.size(), 1);
        QCOMPARE(b.arbol()->topLevelItemCount(), 0);
        // With a prior already in the main window, no hand-over is offered.
        b.w.show();
        b.p->banderas[2] = 1;
        b.transforma();
        QVERIFY(!activo(&b.w, "SpeedButtonCargaPriori"));
        // Classes a prediction refuses (5 here) are not handed over: the error
        // names the line of the first one.
        Banco c;
        c.p->banderas[0] = 1;
        c.base(c.pequeno("b.asc", 3, 1));
        c.priori(c.pequeno("p.asc", 3, 5));
        c.w.SpeedButtonTrans->click();
        c.w.CargaPrincipal1->trigger();
        QVERIFY(!c.p->priori);
        QCOMPARE(c.p->errores, QStringList{QStringLiteral("9:1")});
    }

    void borrarGrupos() {
        Banco b;
        b.base();
        b.priori();
        // A child node is no group: nothing happens.
        b.selecciona(b.nodo(1, 0));
        b.w.SpeedButtonBorra->click();
        QCOMPARE(b.arbol()->topLevelItemCount(), 2);
        // The prior group: its table goes, the map turns navy, load and transform come back;
        // the base group resets the window.
        b.w.SpeedButtonTrans->setEnabled(false);
        const std::pair<QRgb, const char*> pasos[] = {
            {TFormPrioriManager::kMarino, "SpeedButtonCargaPrioriASCII SpeedButtonBorra SpeedButtonTrans SpeedButtonCerrar"},
            {qRgb(255, 255, 255), "SpeedButtonCargaASCII SpeedButtonCargaPrioriASCII SpeedButtonTrans SpeedButtonCerrar"}};
        for (const auto& [centro, activos] : pasos) {
            b.selecciona(b.nodo(b.arbol()->topLevelItemCount() - 1));
            b.w.SpeedButtonBorra->click();
            QCOMPARE(b.w.ImageMapa->bitmap().pixel(320, 240), centro);
            QCOMPARE(estado(b.w), QLatin1String(activos));
        }
        QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(PruebaPrioriManager)
#include "test_priorimanager.moc"
