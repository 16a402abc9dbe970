#pragma once
// Helpers of the window tests: a private data root per test, small generated
// inputs, the program started as `quel` starts it, with scripted dialogs.
#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "app/Arranque.h"
#include "ui/Controles.h"
#include "ui/DialogosGuion.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "support/ApoyoQt.h"

namespace prueba {

// Presses a run's Cancel button the moment the run enables it, before the
// work starts: the run then meets its cancel request at its first check.
class PulsaAlHabilitarse : public QObject {
public:
    explicit PulsaAlHabilitarse(QAbstractButton* boton) : boton_(boton) { boton->installEventFilter(this); }
    int pulsaciones = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == boton_ && e->type() == QEvent::EnabledChange && boton_->isEnabled()) {
            ++pulsaciones;
            boton_->click();
        }
        return QObject::eventFilter(o, e);
    }

private:
    QAbstractButton* boton_;
};

// A 4 x 4 region (x 0..3 left to right, y 3..0 top to bottom), two
// covariates, the cell at x 3, y 3 outside the region.
inline std::string tablaCovariables() {
    std::string t = "Suelo,2,\nClima,3,\n**********\nLong,Lat,Suelo,Clima,";
    for (int fila = 0; fila < 4; ++fila) {
        const int y = 3 - fila;
        for (int x = 0; x < 4; ++x) {
            const int suelo = 1 + (x + fila) % 2;
            const int clima = 1 + (x + 2 * fila) % 3;
            const int region = (x == 3 && y == 3) ? 0 : 1;
            t += "\n" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(suelo) + "," +
                 std::to_string(clima) + "," + std::to_string(region) + ",";
        }
    }
    return t;
}

// Bias of row r: (r + 1) / 20; prior class of row r: r % 4 (the last line
// carries its comma: a last line of one character is refused).
inline std::string tablaSesgo(int filaMala = -1) {
    std::string t;
    for (int r = 0; r < 16; ++r) {
        if (r) t += "\n";
        t += r == filaMala ? "1.5" : std::to_string((r + 1) / 20.0).substr(0, 4);
    }
    return t;
}

inline std::string tablaPriori() {
    std::string t;
    for (int r = 0; r < 16; ++r) t += (r ? "\n" : "") + std::to_string(r % 4);
    return t + ",";
}

inline std::string tablaSitios() { return "Lynx,0.4,2.6\nPuma,1.5,1.5\nLynx,2.3,1.4\nPuma,0.6,0.7\nLynx,1.2,2.2"; }

// The program as started by `quel`, over a private data root.
class Programa {
public:
    Programa() : Programa(std::make_shared<QTemporaryDir>()) {}
    // A second start over the same data root.
    explicit Programa(std::shared_ptr<QTemporaryDir> raiz) : carpeta(std::move(raiz)) {
        qputenv("QUEL_HOME", carpeta->path().toLocal8Bit());
        app = std::make_unique<quel::Aplicacion>(quel::RaizDatos(carpeta->path().toStdString()), dialogos);
        p = app->principal.get();
        t = app->tipoArchivo.get();
    }

    QString ruta(const QString& relativo) const { return carpeta->path() + QLatin1Char('/') + relativo; }
    QString entrada(const QString& nombre, const std::string& bytes) {
        const QString r = ruta(QStringLiteral("Covariables/") + nombre);
        escribe(r, bytes);
        return r;
    }

    template <class T = QObject>
    T* w(const char* nombre) const {
        return p->findChild<T*>(QString::fromLatin1(nombre));
    }
    bool on(const char* nombre) const {
        if (auto* a = w<QAction>(nombre)) return a->isEnabled();
        if (auto* x = w<QWidget>(nombre)) return x->isEnabled();
        return false;
    }
    QString log() const { return w<QTextEdit>("RichEditLog")->toPlainText(); }
    QString ultimaLinea() const { return log().section(QLatin1Char('\n'), -1); }

    // The commands as the user gives them, with the file dialog's answer.
    void cargaCovariables(const QString& ruta) {
        dialogos.responde(ruta);
        w<QToolButton>("SpeedButtonCargaCov")->click();
    }
    void cargaSesgo(const QString& ruta) {
        dialogos.responde(ruta);
        w<QToolButton>("SpeedButtonCargaSesgo")->click();
        t->RadioGroupTipoDatos->pulsa(0);
        t->ButtonOK->click();
    }
    void sesgoUniforme() {
        w<QToolButton>("SpeedButtonCargaSesgo")->click();
        t->RadioGroupTipoDatos->pulsa(1);
        t->ButtonOK->click();
    }
    void cargaPriori(const QString& ruta) {
        dialogos.responde(ruta);
        w<QToolButton>("SpeedButtonCargaPriori")->click();
        t->RadioGroupTipoPriori->pulsa(0);
        t->ButtonOK->click();
    }
    void prioriUniforme() {
        w<QToolButton>("SpeedButtonCargaPriori")->click();
        t->RadioGroupTipoPriori->pulsa(1);
        t->ButtonOK->click();
    }
    void cargaSitios(const QString& ruta) {
        dialogos.responde(ruta);
        w<QToolButton>("SpeedButtonCargaSites")->click();
    }
    // Loads the four generated inputs (bias and prior from files).
    void cargaTodo() {
        cargaCovariables(entrada(QStringLiteral("cov.txt"), tablaCovariables()));
        cargaSesgo(entrada(QStringLiteral("sesgo.txt"), tablaSesgo()));
        cargaPriori(entrada(QStringLiteral("priori.txt"), tablaPriori()));
        cargaSitios(entrada(QStringLiteral("sitios.txt"), tablaSitios()));
    }

    // The bundled sample region, loaded through the real commands (bias and
    // prior from their files).
    static QString muestra(const char* nombre) { return prueba::muestra(QString::fromLatin1(nombre)); }
    void cargaMuestras() {
        cargaCovariables(muestra("covariates.txt"));
        cargaSesgo(muestra("bias.txt"));
        cargaPriori(muestra("prior.txt"));
        cargaSitios(muestra("sites.txt"));
    }
    void ejecuta() { w<QToolButton>("SpeedButtonEjecutar")->click(); }

    // The top node whose state is `estado` (or any node with `todos`).
    QTreeWidgetItem* nodo(int estado) const {
        QTreeWidgetItemIterator it(w<QTreeWidget>("TreeViewExplorador"));
        for (; *it; ++it)
            if (TFormPrincipal::estadoNodo(*it) == estado) return *it;
        return nullptr;
    }
    // A click on the node: it becomes the current one and the tree reports the click.
    void selecciona(int estado) const {
        QTreeWidgetItem* n = nodo(estado);
        w<QTreeWidget>("TreeViewExplorador")->setCurrentItem(n);
        if (n) emit w<QTreeWidget>("TreeViewExplorador")->itemClicked(n, 0);
    }

    std::shared_ptr<QTemporaryDir> carpeta;
    quel::DialogosGuion dialogos;
    std::unique_ptr<quel::Aplicacion> app;
    TFormPrincipal* p = nullptr;
    TFormTipoArchivo* t = nullptr;
};

}  // namespace prueba
