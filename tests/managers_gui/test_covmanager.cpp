// The covariate manager driven by object name over a stand-in main window:
// the list (folder rule, single files, opened tables), the choosers and
// ButtonAuto, the enable rules after each step, save and "Cargar a
// principal" against the command line's table, refusals, and the close; and,
// wired to the real main window, that the managers never touch its dataset.
#include "ApoyoGestores.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"

using prueba::activo;

namespace {

QString estado(TFormCovManager& w) {
    return prueba::activos(&w, {"SpeedButtonCargaFolder", "SpeedButtonCargaFile", "SpeedButtonLimpiar",
                                "SpeedButtonGuardar", "SpeedButtonCargaCov", "SpeedButtonCerrar", "ButtonAllSelect",
                                "ButtonDeselectAll", "ButtonAuto", "NuevoArchivo1", "AbrirArchivo1", "MenuGuardar",
                                "MenuLimpiarlista", "MenuCargaCovs"});
}

struct Banco : prueba::BancoGestor<TFormCovManager> {
    QListWidget* lista() { return w.CheckListBoxFiles; }
    // Adds one grid with the single-file command, then sets its classes
    // (0 = manual).
    void agrega(const QString& ruta, int clases = 10) {
        prueba::pulsa(dlg(), ruta, w.SpeedButtonCargaFile);
        lista()->setCurrentRow(lista()->count() - 1);
        if (clases == 0) w.ButtonAuto->click();
        else w.combos.back()->setCurrentIndex(clases);
    }
    void agrega(std::initializer_list<const char*> grids) {
        for (const char* g : grids) agrega(prueba::grid(g));
    }
    void agregaMuestra() {
        for (const auto& [archivo, clases] : prueba::kCovariablesMuestra) agrega(prueba::grid(archivo), clases);
    }
    // A copy of the slope grid with `de` replaced by `a`.
    QString slopeCambiado(const QByteArray& de, const QByteArray& a) {
        const QString ruta = p->tmp(QStringLiteral("otro.asc"));
        prueba::escribe(ruta, prueba::lee(prueba::grid("slope.asc")).replace(de, a));
        return ruta;
    }
    std::size_t guarda(const QString& ruta) {
        return prueba::preguntasDe(dlg(), [&] { prueba::pulsa(dlg(), ruta, w.SpeedButtonGuardar); });
    }
};

// What the main window's dataset holds.
QString contadores(const cargaArchivo& d) {
    return QStringLiteral("%1 %2 %3 %4 %5").arg(d.numCovariables).arg(d.numEspecies).arg(d.renglones).arg(d.columnas).arg(d.error.linea);
}

}  // namespace

class PruebaCovManager : public QObject {
    Q_OBJECT
private slots:
    void folderSoloExtensionAscExacta() {
        Banco b;
        QTemporaryDir d;
        for (const char* n : {"a.asc", "b.ASC", "c.x.asc", "d.asc.bak"})
            QFile::copy(prueba::grid("slope.asc"), d.path() + QLatin1Char('/') + QLatin1String(n));
        QDir(d.path()).mkdir(QStringLiteral("e.asc"));
        prueba::pulsa(b.dlg(), d.path(), b.w.SpeedButtonCargaFolder);
        QCOMPARE(b.lista()->count(), 1);
        QCOMPARE(b.lista()->item(0)->text(), QStringLiteral("a"));
        QCOMPARE(b.lista()->item(0)->checkState(), Qt::Unchecked);
        // One item: no save, and no hand-over yet (that needs two).
        QVERIFY(!activo(&b.w, "SpeedButtonGuardar") && !activo(&b.w, "SpeedButtonCargaCov") && activo(&b.w, "MenuGuardar"));
        // The sample folder (by the menu): eleven grids, sorted; now hand-over and save are on.
        prueba::pulsa(b.dlg(), prueba::muestra(QStringLiteral("grids")), b.w.MenuAbrirFolder);
        QCOMPARE(b.w.numArchivos, 12);
        QCOMPARE(b.lista()->item(1)->text(), QStringLiteral("base"));
        QCOMPARE(b.lista()->item(11)->text(), QStringLiteral("temperature"));
        QVERIFY(activo(&b.w, "SpeedButtonGuardar") && activo(&b.w, "SpeedButtonCargaCov"));
        b.w.MenuSelectTodo->trigger();
        for (int i = 0; i < b.lista()->count(); ++i) QCOMPARE(b.lista()->item(i)->checkState(), Qt::Checked);
        // A cancelled folder dialog changes nothing.
        b.dlg().cancela();
        b.w.SpeedButtonCargaFolder->click();
        QCOMPARE(b.w.numArchivos, 12);
    }

    void masDeCuarentaElementosYRutasLargas() {
        Banco b;
        const QString carpeta = b.p->tmp(QString(120, QLatin1Char('c')));
        QVERIFY(QDir().mkpath(carpeta));
        for (int i = 0; i < 45; ++i)
            QVERIFY(QFile::copy(prueba::grid("slope.asc"), carpeta + QStringLiteral("/g%1.asc").arg(i, 2, 10, QLatin1Char('0'))));
        prueba::pulsa(b.dlg(), carpeta, b.w.SpeedButtonCargaFolder);
        QCOMPARE(b.w.combos.size(), std::size_t(45));
        b.lista()->setCurrentRow(44);
        QVERIFY(b.w.combos[44]->isVisible());
        b.w.combos[44]->setCurrentIndex(3);
        b.w.ButtonAllSelect->click();
        b.guarda(carpeta + QStringLiteral("/tabla.txt"));
        QVERIFY(b.p->errores.empty());
        const QList<QByteArray> lineas = prueba::lee(carpeta + QStringLiteral("/tabla.txt")).split('\n');
        QCOMPARE(lineas.size(), 45 + 2 + 2700);
        QCOMPARE(lineas[44], QByteArray("g44,3,"));
        QCOMPARE(lineas[46].count(','), 2 + 45);
    }

    // Fewer than three ticked grids, or a ticked automatic grid with no classes:
    // a box, no save dialog.
    void guardarRechazado() {
        Banco b;
        b.agrega({"slope.asc", "soil.asc"});
        QVERIFY(!activo(&b.w, "SpeedButtonGuardar") && activo(&b.w, "MenuGuardar"));
        QCOMPARE(prueba::preguntasDe(b.dlg(), [&] { b.w.MenuGuardar->trigger(); }), 0u);
        QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
        b.agrega({"elevation.asc"});
        b.lista()->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(prueba::preguntasDe(b.dlg(), [&] { b.w.SpeedButtonGuardar->click(); }), 0u);
        QCOMPARE(b.dlg().mensajes.size(), std::size_t(2));
        // Manual mode: its chooser at 0 does not count; an automatic one does.
        b.lista()->item(0)->setCheckState(Qt::Checked);
        b.lista()->setCurrentRow(0);
        b.w.ButtonAuto->click();
        b.w.combos[0]->setCurrentIndex(0);
        b.w.combos[2]->setCurrentIndex(0);
        QCOMPARE(prueba::preguntasDe(b.dlg(), [&] { b.w.SpeedButtonGuardar->click(); }), 0u);
        QCOMPARE(b.dlg().mensajes.back().texto, TFormCovManager::textoSinClases(QStringLiteral("elevation")));
    }

    void guardarIgualQueLineaDeComandos() {
        Banco b;
        b.agregaMuestra();
        QCOMPARE(b.guarda(b.p->tmp(QStringLiteral("tabla.txt"))), 1u);
        QVERIFY(b.p->errores.empty());
        QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
        QCOMPARE(b.dlg().mensajes[0].icono, quel::IconoMensaje::Informacion);
        QVERIFY(prueba::lee(b.p->tmp(QStringLiteral("tabla.txt"))) == prueba::referencia(QStringLiteral("covariates.txt")));
        QCOMPARE(b.lista()->count(), 6);  // the list stays
    }

    // Each grid's scheme chooser sits beside its class chooser, is off in manual
    // mode, and equal-frequency classes reach the table; a grid that got fewer
    // classes than asked is named in the success box and the log.
    void esquemaDeFrecuenciasIguales() {
        Banco b;
        b.agrega(prueba::grid("elevation.asc"), 8);
        b.agrega(prueba::grid("landcover.asc"), 20);
        auto* esquema = b.w.findChild<QComboBox*>(QStringLiteral("ComboEsquema1"));
        QVERIFY(esquema && esquema->isVisible() && !b.w.esquemas[0]->isVisible());
        esquema->setCurrentIndex(1);
        b.w.esquemas[0]->setCurrentIndex(1);
        b.agrega(prueba::grid("soil.asc"), 0);
        QVERIFY(!b.w.esquemas[2]->isEnabled());
        b.w.esquemas[2]->setCurrentIndex(1);  // manual classes take no scheme
        b.guarda(b.p->tmp(QStringLiteral("t.txt")));
        QVERIFY(b.p->errores.empty());
        QVERIFY(prueba::lee(b.p->tmp(QStringLiteral("t.txt"))).startsWith("elevation,8,\nlandcover,6,\nsoil,5,\n"));
        const QString aviso = TFormCovManager::textoMenosClases(QStringLiteral("landcover"), 20, 6);
        QVERIFY(b.dlg().mensajes.back().texto.endsWith(QLatin1Char('\n') + aviso));
        QCOMPARE(b.p->log, QStringList{aviso});
    }

    // A grid that cannot be read: the error report, nothing written, the file
    // named in the log (grids that differ: cargarAPrincipalSinMarcadosOSinAceptar).
    void gridIlegibleVaAlReporteDeError() {
        Banco b;
        const QString otro = b.slopeCambiado("ncols         60", "ncols         60\nsin sentido   1");
        b.agrega({"slope.asc", "soil.asc"});
        b.agrega(otro);
        b.guarda(b.p->tmp(QStringLiteral("t.txt")));
        QCOMPARE(b.p->errores.value(0).section(QLatin1Char(':'), 0, 0), QStringLiteral("12"));
        QVERIFY(!QFile::exists(b.p->tmp(QStringLiteral("t.txt"))));
        QVERIFY2(!b.p->log.filter(otro).isEmpty(), qPrintable(b.p->log.join(QLatin1Char('\n'))));
    }

    void abrirTablaExistente() {
        Banco b;
        b.agregaMuestra();
        const QString tabla = b.p->tmp(QStringLiteral("tabla.txt"));
        b.guarda(tabla);
        b.w.SpeedButtonLimpiar->click();

        prueba::pulsa(b.dlg(), tabla, b.w.AbrirArchivo1);
        QVERIFY(b.p->errores.empty());
        QCOMPARE(b.w.numCargadas, 6);
        QCOMPARE(b.w.numArchivos, 6);
        QVERIFY(!activo(&b.w, "AbrirArchivo1"));
        // An opened covariate shows its number of classes; ButtonAuto is off.
        b.lista()->setCurrentRow(4);
        QCOMPARE(b.w.LabelCov->text(), QStringLiteral("landcover"));
        QCOMPARE(b.w.LabelCate->text(), QStringLiteral("7"));
        QVERIFY(!b.w.ButtonAuto->isEnabled());
        b.agrega(prueba::grid("soil.asc"), 0);  // a grid beside them has its mode again
        QVERIFY(b.w.ButtonAuto->isEnabled());
        // A new list brings back the open command.
        b.w.NuevoArchivo1->trigger();
        QVERIFY(activo(&b.w, "AbrirArchivo1") && !activo(&b.w, "NuevoArchivo1"));
        QCOMPARE(b.lista()->count(), 0);
    }

    void cargarAPrincipalSinMarcadosOSinAceptar() {
        Banco b;
        prueba::pulsa(b.dlg(), prueba::muestra(QStringLiteral("grids")), b.w.SpeedButtonCargaFolder);
        // Nothing ticked: the warning, nothing built, the window stays.
        b.w.SpeedButtonCargaCov->click();
        QCOMPARE(b.dlg().mensajes.size(), std::size_t(1));
        QVERIFY(!QFile::exists(b.p->enRaiz(QStringLiteral("CovTemp.txt"))));
        // A failing build is reported and leaves the window as it was.
        for (int i : {2, 4, 8}) b.lista()->item(i)->setCheckState(Qt::Checked);  // elevation, precipitation, slope
        b.agrega(b.slopeCambiado("ncols         60", "ncols         59"));
        b.w.SpeedButtonCargaCov->click();
        QCOMPARE(b.p->errores.size(), 1);
        QCOMPARE(b.lista()->count(), 12);
        // The menu twin does nothing while the main window takes no covariates.
        b.lista()->item(11)->setCheckState(Qt::Unchecked);
        b.p->acepta = false;
        b.w.MenuCargaCovs->trigger();
        QVERIFY(b.p->cargas.isEmpty() && b.w.isVisible());
        b.p->acepta = true;
        b.w.MenuCargaCovs->trigger();
        // The table handed over stays on disk; the window closes as its close command does.
        QCOMPARE(b.p->cargas, QStringList{b.p->enRaiz(QStringLiteral("CovTemp.txt"))});
        QVERIFY(QFile::exists(b.p->cargas[0]));
        QVERIFY(!b.w.isVisible() && !activo(&b.w, "SpeedButtonCargaCov"));
        QCOMPARE(b.p->mostrada, 1);
        QCOMPARE(b.lista()->count(), 0);
    }

    void construccionCanceladaNoEscribeNiEntrega() {
        Banco b;
        b.agregaMuestra();
        prueba::PulsaAlHabilitarse pulsa(b.w.findChild<QPushButton*>(QStringLiteral("BotonCancelar")));
        b.guarda(b.p->tmp(QStringLiteral("tabla.txt")));
        b.w.SpeedButtonCargaCov->click();
        QCOMPARE(pulsa.pulsaciones, 2);
        QVERIFY(!QFile::exists(b.p->tmp(QStringLiteral("tabla.txt"))));
        QVERIFY(!QFile::exists(b.p->enRaiz(QStringLiteral("CovTemp.txt"))));
        QVERIFY(b.p->cargas.isEmpty() && b.p->errores.empty() && b.dlg().mensajes.empty());
        QCOMPARE(b.p->log, QStringList(2, QStringLiteral("Ejecución cancelada.")));
        QVERIFY(b.w.isVisible() && !activo(&b.w, "BotonCancelar"));
        QCOMPARE(b.lista()->count(), 6);
    }

    // Clearing, a new list, and the close (by button or menu item: the main
    // window back, the list emptied, a time line each).
    void limpiarNuevoArchivoYCerrar() {
        Banco b;
        const QString inicial = QStringLiteral("SpeedButtonCargaFolder SpeedButtonCargaFile SpeedButtonCerrar ButtonAuto "
                                               "NuevoArchivo1 AbrirArchivo1 MenuCargaCovs");
        QCOMPARE(estado(b.w), inicial);
        b.agrega({"slope.asc", "soil.asc", "landcover.asc"});
        b.w.MenuLimpiarlista->trigger();
        QCOMPARE(b.lista()->count(), 0);
        QCOMPARE(estado(b.w), QString(inicial).remove(QStringLiteral(" SpeedButtonCargaFile")));
        b.w.NuevoArchivo1->trigger();
        QVERIFY(activo(&b.w, "SpeedButtonCargaFile") && !activo(&b.w, "NuevoArchivo1"));
        prueba::pulsa(b.dlg(), prueba::grid("slope.asc"), b.w.SubASCII);
        QCOMPARE(b.lista()->count(), 1);
        b.w.SpeedButtonCerrar->click();
        QVERIFY(!b.w.isVisible() && activo(&b.w, "NuevoArchivo1"));
        QCOMPARE(b.lista()->count(), 0);
        b.w.show();
        b.w.MenuSalir->trigger();
        QVERIFY(!b.w.isVisible());
        QCOMPARE(b.p->log.size(), 2);
        QCOMPARE(b.p->mostrada, 2);
    }

    // The manager opens a table, or refuses a bad one with the main window's
    // box and its line, and the bias manager reads one, all in their own datasets.
    void conLaPrincipalNoTocaSuConjunto() {
        prueba::Programa q;
        auto* cov = static_cast<TFormCovManager*>(q.app->covManager.get());
        auto* sesgo = static_cast<TFormBiasManager*>(q.app->biasManager.get());
        const QString tabla = prueba::muestra(QStringLiteral("covariates.txt")), antes = contadores(q.p->datos);
        q.w<QToolButton>("SpeedButtonCovariables")->click();
        prueba::pulsa(q.dialogos, tabla, cov->AbrirArchivo1);
        QCOMPARE(cov->numCargadas, 6);
        QCOMPARE(contadores(q.p->datos), antes);
        QVERIFY(!q.p->datos.covariables);
        cov->close();
        q.w<QToolButton>("SpeedButtonSesgo")->click();
        prueba::pulsa(q.dialogos, tabla, sesgo->SpeedButtonCargaCovs);
        QVERIFY(sesgo->SpeedButtonCiudades->isEnabled());
        QCOMPARE(contadores(q.p->datos), antes);
        sesgo->close();
        q.w<QToolButton>("SpeedButtonCovariables")->click();
        prueba::escribe(q.ruta(QStringLiteral("mala.txt")), "a,2,\nb,2,\n**********\nLong,Lat,a,b,\n1,2,1,1,1,\n1,2,1,");
        cov->NuevoArchivo1->trigger();
        prueba::pulsa(q.dialogos, prueba::grid("slope.asc"), cov->SpeedButtonCargaFile);
        prueba::pulsa(q.dialogos, q.ruta(QStringLiteral("mala.txt")), cov->AbrirArchivo1);
        QCOMPARE(q.dialogos.mensajes.size(), std::size_t(1));
        QVERIFY2(q.dialogos.mensajes.back().texto.endsWith(QStringLiteral("6")), qPrintable(q.dialogos.mensajes.back().texto));
        QCOMPARE(contadores(q.p->datos), antes);
        QCOMPARE(cov->numArchivos, 1);  // the list as it was
    }
};

QTEST_MAIN(PruebaCovManager)
#include "test_covmanager.moc"
