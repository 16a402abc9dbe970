// The prior manager driven by object name over a stand-in main window: the
// grid loads with their maps and tree groups, the cell-count warning, the
// transform, the save against the command line's file, the hand-over to the
// main window, delete, double-click and close.
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "ApoyoGestores.h"
#include "ui/Controles.h"
#include "managers/prior/FormPrioriManager.h"

using prueba::activo;
using prueba::PrincipalFalso;
using quel::DialogosGuion;

namespace {

QString estado(TFormPrioriManager& w) {
    return prueba::activos(&w, {"SpeedButtonCargaASCII", "SpeedButtonCargaPrioriASCII", "SpeedButtonBorra",
                                "SpeedButtonTrans", "SpeedButtonGuarda", "SpeedButtonCargaPriori",
                                "SpeedButtonCerrar"});
}

QString menus(TFormPrioriManager& w) {
    return prueba::activos(&w, {"CargaASCIIBase1", "CargaASCIIPriori1", "Guardar1", "Salir1", "Ejecutar2",
                                "CargaPrincipal1"});
}

// Colour of the map at the centre of grid cell (c, r) of a 60 x 45 grid
// drawn on the 640 x 480 map (cells of 10 x 10 pixels).
QRgb celda(TFormPrioriManager& w, int c, int r) { return w.ImageMapa->bitmap().pixel(c * 10 + 5, r * 10 + 5); }

// Cell values of a sample grid, row by row from the top.
std::vector<int> valores(const char* nombre) {
    std::vector<int> v;
    const QList<QByteArray> lineas = prueba::lee(prueba::grid(nombre)).split('\n');
    for (int i = 6; i < lineas.size(); ++i)
        for (const QByteArray& t : lineas[i].split(' '))
            if (!t.isEmpty()) v.push_back(t.toInt());
    return v;
}

// The first cell (index) whose value satisfies `cumple`.
template <class F>
int primera(const std::vector<int>& v, F cumple) {
    for (std::size_t i = 0; i < v.size(); ++i)
        if (cumple(v[i])) return static_cast<int>(i);
    return -1;
}

// The first cell inside the base region where the prior grid has no value.
int celdaSinPriori() {
    const std::vector<int> base = valores("base.asc"), priori = valores("prior.asc");
    for (std::size_t i = 0; i < base.size(); ++i)
        if (base[i] == 1 && priori[i] == -9999) return static_cast<int>(i);
    return -1;
}

struct Banco {
    std::shared_ptr<PrincipalFalso> p = std::make_shared<PrincipalFalso>();
    TFormPrioriManager w{p};
    Banco() { w.show(); }
    DialogosGuion& dlg() { return p->guion; }
    QTreeWidget* arbol() { return w.TreeViewExplorador; }
    void base(const QString& ruta = prueba::grid("base.asc")) { prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaASCII); }
    void priori(const QString& ruta = prueba::grid("prior.asc")) {
        prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaPrioriASCII);
    }
    void selecciona(QTreeWidgetItem* n) {
        arbol()->clearSelection();
        n->setSelected(true);
        arbol()->setCurrentItem(n);
    }
};

// A small grid of `ncols` x `nrows` cells all holding `valor`.
QByteArray gridPequeno(int ncols, int nrows, int valor) {
    QByteArray g = "ncols " + QByteArray::number(ncols) + "\nnrows " + QByteArray::number(nrows) +
                   "\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n";
    for (int r = 0; r < nrows; ++r) {
        for (int c = 0; c < ncols; ++c) g += QByteArray::number(valor) + ' ';
        if (r + 1 < nrows) g += '\n';
    }
    return g;
}

}  // namespace

class PruebaPrioriManager : public QObject {
    Q_OBJECT
private slots:
    void sinTablasNadaSeHace();
    void cargasConMapaYGrupos();
    void transformarYGuardarComoLaLineaDeComandos();
    void cargaEnPrincipal();
    void celdasDistintasAvisan();
    void gridMalformadoVaAlReporteDeError();
    void borrarGrupos();
    void nuncaGuardaSobreUnGrid();
    void dobleClic();
    void cerrarConTiempoYDesdeLaBarra();
};

void PruebaPrioriManager::sinTablasNadaSeHace() {
    Banco b;
    b.w.SpeedButtonTrans->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QVERIFY(!QFile::exists(b.p->trabajo(QStringLiteral("PrioriTmp.txt"))));
    QVERIFY(activo(&b.w, "SpeedButtonTrans"));
    b.base();
    b.w.Ejecutar2->trigger();  // the prior grid is still missing
    QCOMPARE(b.arbol()->topLevelItemCount(), 1);
    QVERIFY(!QFile::exists(b.p->trabajo(QStringLiteral("PrioriTmp.txt"))));
    const auto preguntas = b.dlg().preguntas.size();
    b.w.SpeedButtonGuardaClick();
    b.p->banderas[0] = 1;
    b.w.SpeedButtonCargaPrioriClick();
    QCOMPARE(b.dlg().preguntas.size(), preguntas);
    QVERIFY(!b.p->priori);
    QVERIFY(b.w.isVisible());
}

void PruebaPrioriManager::cargasConMapaYGrupos() {
    Banco b;
    const std::vector<int> base = valores("base.asc");
    const std::vector<int> priori = valores("prior.asc");
    QCOMPARE(base.size(), std::size_t(2700));
    b.base();
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaPrioriASCII SpeedButtonBorra SpeedButtonTrans "
                                         "SpeedButtonCerrar"));
    QVERIFY(b.dlg().mensajes.empty());
    QCOMPARE(b.arbol()->topLevelItemCount(), 1);
    QTreeWidgetItem* g = b.arbol()->topLevelItem(0);
    QCOMPARE(g->text(0), QStringLiteral("ASCII Base"));
    QCOMPARE(TFormPrioriManager::tipoNodo(g), 0);
    QCOMPARE(g->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(g->child(i)->text(0), prueba::grid("base.asc"));
        QCOMPARE(TFormPrioriManager::tipoNodo(g->child(i)), i + 1);
    }
    // Base map: navy outside the region, green inside; the mask file is gone.
    const int fuera = primera(base, [](int v) { return v == -9999; });
    const int dentro = primera(base, [](int v) { return v == 1; });
    QCOMPARE(celda(b.w, fuera % 60, fuera / 60), TFormPrioriManager::kMarino);
    QCOMPARE(celda(b.w, dentro % 60, dentro / 60), TFormPrioriManager::kVerde);
    QVERIFY(!QFile::exists(b.p->enRaiz(QStringLiteral("Grids/MascaraTmp.txt"))));

    b.priori();
    QVERIFY(b.dlg().mensajes.empty());  // same cells: no warning
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonBorra SpeedButtonTrans SpeedButtonCerrar"));
    QCOMPARE(b.arbol()->topLevelItem(1)->text(0), QStringLiteral("ASCII Priori"));
    QCOMPARE(TFormPrioriManager::tipoNodo(b.arbol()->topLevelItem(1)->child(1)), 5);
    const int uno = primera(priori, [](int v) { return v == 1; });
    const int tres = primera(priori, [](int v) { return v == 3; });
    const int sinDato = primera(priori, [](int v) { return v == -9999; });
    QCOMPARE(celda(b.w, uno % 60, uno / 60), TFormPrioriManager::kVerdeClaro);
    QCOMPARE(celda(b.w, tres % 60, tres / 60), TFormPrioriManager::kRojo);
    QCOMPARE(celda(b.w, sinDato % 60, sinDato / 60), TFormPrioriManager::kMarino);
}

void PruebaPrioriManager::transformarYGuardarComoLaLineaDeComandos() {
    Banco b;
    b.base();
    b.priori();
    b.w.SpeedButtonTrans->click();
    const QString tmp = b.p->trabajo(QStringLiteral("PrioriTmp.txt"));
    QVERIFY(QFile::exists(tmp));
    // Covariates not loaded in the main window: no hand-over.
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonBorra SpeedButtonGuarda SpeedButtonCerrar"));
    QCOMPARE(menus(b.w), QStringLiteral("Guardar1 Salir1"));
    QTreeWidgetItem* g = b.arbol()->topLevelItem(2);
    QCOMPARE(g->text(0), QStringLiteral("Informacion a Priori"));
    QCOMPARE(g->child(0)->text(0), QStringLiteral("PrioriTmp.txt"));
    QCOMPARE(TFormPrioriManager::tipoNodo(g->child(1)), 8);
    // Transformed map: class 2 where the region has no prior, 0 outside.
    const int clase2 = celdaSinPriori();
    QVERIFY(clase2 >= 0);
    QCOMPARE(celda(b.w, clase2 % 60, clase2 / 60), TFormPrioriManager::kAmbar);
    const QByteArray t = prueba::lee(tmp);
    QCOMPARE(t.split('\n').size(), 2700);
    QVERIFY(!t.endsWith('\n'));
    QCOMPARE(t.split('\n')[clase2], QByteArray("2,"));

    // Save: a name without a dot gets ".txt"; the box tells the success.
    const QString sinPunto = b.p->scratch.path() + QStringLiteral("/priori");
    prueba::pulsa(b.dlg(), sinPunto, b.w.SpeedButtonGuarda);
    QCOMPARE(prueba::lee(sinPunto + QStringLiteral(".txt")), t);
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.dlg().mensajes[0].icono, quel::IconoMensaje::Informacion);
    // A name with a dot is kept; the menu item saves too.
    const QString conPunto = b.p->scratch.path() + QStringLiteral("/priori.dat");
    prueba::pulsa(b.dlg(), conPunto, b.w.Guardar1);
    QCOMPARE(prueba::lee(conPunto), t);
    // A file that cannot be written is not reported as saved.
    prueba::pulsa(b.dlg(), b.p->scratch.path() + QStringLiteral("/no/existe/priori.txt"), b.w.SpeedButtonGuarda);
    QCOMPARE(b.dlg().mensajes.back().titulo, QStringLiteral("ERROR"));

    QVERIFY(t == prueba::referencia(QStringLiteral("prior.txt")));
}

void PruebaPrioriManager::cargaEnPrincipal() {
    Banco b;
    b.p->banderas[0] = 1;
    b.p->segundos = 90;
    b.base();
    b.priori();
    b.w.SpeedButtonTrans->click();
    QVERIFY(activo(&b.w, "SpeedButtonCargaPriori"));
    QVERIFY(activo(&b.w, "CargaPrincipal1"));
    const QList<QByteArray> lineas = prueba::lee(b.p->trabajo(QStringLiteral("PrioriTmp.txt"))).split('\n');
    b.w.CargaPrincipal1->trigger();
    QVERIFY(b.p->priori);
    QCOMPARE(b.p->priori->renglones, 2700);
    QCOMPARE(b.p->priori->columnas, 1);
    for (int i = 0; i < 2700; ++i) QCOMPARE(b.p->priori->datos[0][static_cast<std::size_t>(i)], lineas[i].chopped(1).toInt());
    QCOMPARE(b.p->rutaPriori, b.p->trabajo(QStringLiteral("PrioriTmp.txt")));
    // The window closes as its close command does.
    QVERIFY(!b.w.isVisible());
    QCOMPARE(b.p->mostrada, 1);
    QCOMPARE(b.p->log, QStringList{QStringLiteral("Tiempo en el administrador: 1.5 minutos.")});
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    // With a prior already in the main window, no hand-over is offered.
    b.w.show();
    b.p->banderas[2] = 1;
    b.base();
    b.priori();
    b.w.SpeedButtonTrans->click();
    QVERIFY(!activo(&b.w, "SpeedButtonCargaPriori"));
    // Classes a prediction refuses (5 here) are not handed over: the error
    // names the line of the first one.
    Banco c;
    c.p->banderas[0] = 1;
    const QString base = c.p->scratch.path() + QStringLiteral("/b.asc"), cinco = c.p->scratch.path() + QStringLiteral("/p.asc");
    prueba::escribe(base, gridPequeno(3, 2, 1));
    prueba::escribe(cinco, gridPequeno(3, 2, 5));
    c.base(base);
    c.priori(cinco);
    c.w.SpeedButtonTrans->click();
    c.w.CargaPrincipal1->trigger();
    QVERIFY(!c.p->priori);
    QCOMPARE(c.p->errores.size(), std::size_t(1));
    QCOMPARE(c.p->errores[0].codigo, 9);
    QCOMPARE(c.p->errores[0].linea, 1);
}

void PruebaPrioriManager::celdasDistintasAvisan() {
    Banco b;
    const QString chico = b.p->scratch.path() + QStringLiteral("/chico.asc");
    prueba::escribe(chico, gridPequeno(3, 2, 1));
    b.base();
    b.priori(chico);
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.dlg().mensajes[0].titulo, QStringLiteral("WARNING"));
    QCOMPARE(b.dlg().mensajes[0].texto, QStringLiteral("WARNING: Los renglones del ASCII y del Priori no coinciden"));
    QCOMPARE(b.arbol()->topLevelItemCount(), 2);  // the load goes on
    // Grids that do not line up are refused with the headers' error, nothing written.
    b.w.SpeedButtonTrans->click();
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.p->errores.size(), std::size_t(1));
    QCOMPARE(b.p->errores[0].codigo, 4);
    QVERIFY(!QFile::exists(b.p->trabajo(QStringLiteral("PrioriTmp.txt"))));
    QVERIFY(!activo(&b.w, "SpeedButtonGuarda"));
}

void PruebaPrioriManager::gridMalformadoVaAlReporteDeError() {
    Banco b;
    const QString malo = b.p->scratch.path() + QStringLiteral("/malo.asc");
    prueba::escribe(malo, "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\nNODATA_value -9999\n1 2\n3 x");
    b.base(malo);
    QCOMPARE(b.p->errores.size(), std::size_t(1));
    QCOMPARE(b.p->errores[0].codigo, 12);
    QCOMPARE(b.p->errores[0].linea, 8);
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QVERIFY(activo(&b.w, "SpeedButtonCargaASCII"));
}

void PruebaPrioriManager::borrarGrupos() {
    Banco b;
    b.base();
    b.priori();
    // A child node is no group: nothing happens.
    b.selecciona(b.arbol()->topLevelItem(1)->child(0));
    b.w.SpeedButtonBorra->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 2);
    // The prior group: its table goes, the map turns navy, load and transform come back.
    b.w.SpeedButtonTrans->setEnabled(false);
    b.selecciona(b.arbol()->topLevelItem(1));
    b.w.SpeedButtonBorra->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 1);
    QCOMPARE(b.w.ImageMapa->bitmap().pixel(320, 240), TFormPrioriManager::kMarino);
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaPrioriASCII SpeedButtonBorra SpeedButtonTrans "
                                         "SpeedButtonCerrar"));
    // The base group resets the window.
    b.selecciona(b.arbol()->topLevelItem(0));
    b.w.SpeedButtonBorra->click();
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QCOMPARE(b.w.ImageMapa->bitmap().pixel(320, 240), qRgb(255, 255, 255));
    QCOMPARE(estado(b.w), QStringLiteral("SpeedButtonCargaASCII SpeedButtonCargaPrioriASCII SpeedButtonTrans "
                                         "SpeedButtonCerrar"));
}

void PruebaPrioriManager::dobleClic() {
    Banco b;
    b.base();
    b.priori();
    b.w.SpeedButtonTrans->click();
    b.selecciona(b.arbol()->topLevelItem(0));
    b.w.TreeViewExploradorDblClick();
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    b.selecciona(b.arbol()->topLevelItem(1)->child(0));
    b.w.TreeViewExploradorDblClick();
    b.selecciona(b.arbol()->topLevelItem(2)->child(0));
    b.w.TreeViewExploradorDblClick();
    QCOMPARE(b.dlg().editados,
             (QStringList{prueba::grid("prior.asc"), b.p->trabajo(QStringLiteral("PrioriTmp.txt"))}));
    // The map leaf of the base redraws the base map over the transformed one.
    const int clase2 = celdaSinPriori();
    QCOMPARE(celda(b.w, clase2 % 60, clase2 / 60), TFormPrioriManager::kAmbar);
    QTreeWidgetItem* mapaBase = b.arbol()->topLevelItem(0)->child(1);
    b.selecciona(mapaBase);
    b.w.TreeViewExploradorDblClick();
    QCOMPARE(celda(b.w, clase2 % 60, clase2 / 60), TFormPrioriManager::kVerde);
}

void PruebaPrioriManager::cerrarConTiempoYDesdeLaBarra() {
    Banco b;
    b.base();
    b.p->segundos = 42.0;
    b.w.SpeedButtonCerrar->click();
    QCOMPARE(b.p->log, QStringList{QStringLiteral("Tiempo en el administrador: 42.0 segundos.")});
    QCOMPARE(b.arbol()->topLevelItemCount(), 0);
    QVERIFY(!b.w.isVisible());
    b.w.show();
    b.priori();
    b.p->segundos = 3600;
    QVERIFY(b.w.close());
    QCOMPARE(b.p->log.last(), QStringLiteral("Tiempo en el administrador: 60.0 minutos."));
    QCOMPARE(b.p->mostrada, 2);
    QVERIFY(!b.w.transformacion.priori);
}

// The prior file never replaces the base or the prior grid it was made from.
void PruebaPrioriManager::nuncaGuardaSobreUnGrid() {
    Banco b;
    const QString base = b.p->scratch.path() + QStringLiteral("/base.asc");
    QVERIFY(QFile::copy(prueba::grid("base.asc"), base));
    b.base(base);
    b.priori();
    b.w.SpeedButtonTrans->click();
    const QByteArray antes = prueba::lee(base);
    prueba::pulsa(b.dlg(), b.p->scratch.path() + QStringLiteral("/./base.asc"), b.w.SpeedButtonGuarda);
    QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
    QCOMPARE(b.dlg().mensajes[0].titulo, QStringLiteral("ERROR"));
    QVERIFY(b.dlg().mensajes[0].texto.contains(QStringLiteral(" es el dato de entrada ")));
    QCOMPARE(prueba::lee(base), antes);
}

QTEST_MAIN(PruebaPrioriManager)
#include "test_priorimanager.moc"
