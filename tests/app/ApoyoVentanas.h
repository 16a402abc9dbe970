#pragma once
// Helpers of the window tests: a private data root per test, small generated
// inputs, the program started as `quel` starts it, with scripted dialogs.
#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <utility>
#include <string>

#include "app/Arranque.h"
#include "ui/Controles.h"
#include "ui/DialogosGuion.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
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

// Enabled state of named controls (buttons or menu items) of a window.
inline bool activo(QObject* ventana, const char* nombre) {
    QObject* o = ventana->findChild<QObject*>(QString::fromLatin1(nombre));
    if (auto* a = qobject_cast<QAction*>(o)) return a->isEnabled();
    if (auto* w = qobject_cast<QWidget*>(o)) return w->isEnabled();
    qWarning("no control named %s", nombre);
    return false;
}

// The names among `nombres` that are enabled, in order, as one string.
inline QString activos(QObject* ventana, std::initializer_list<const char*> nombres) {
    QStringList on;
    for (const char* n : nombres)
        if (activo(ventana, n)) on << QString::fromLatin1(n);
    return on.join(QLatin1Char(' '));
}

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
    for (int r = 0; r < 16; ++r) t += (r ? "\n" : "") + (r == filaMala ? std::string("1.5") : std::to_string((r + 1) / 20.0).substr(0, 4));
    return t;
}

inline std::string tablaPriori() {
    std::string t;
    for (int r = 0; r < 16; ++r) t += (r ? "\n" : "") + std::to_string(r % 4);
    return t + ",";
}

inline std::string tablaSitios() { return "Lynx,0.4,2.6\nPuma,1.5,1.5\nLynx,2.3,1.4\nPuma,0.6,0.7\nLynx,1.2,2.2"; }

inline QString grid(const char* nombre) { return muestra(QStringLiteral("grids/") + QLatin1String(nombre)); }

// The sample covariate table's grids and classes (0: manual), in its column order.
inline constexpr std::pair<const char*, int> kCovariablesMuestra[] = {
    {"elevation.asc", 8}, {"temperature.asc", 8}, {"precipitation.asc", 6}, {"slope.asc", 5}, {"landcover.asc", 0}, {"soil.asc", 0}};

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
    bool on(const char* nombre) const { return activo(p, nombre); }
    QString log() const { return w<QTextEdit>("RichEditLog")->toPlainText(); }
    QString ultimaLinea() const { return log().section(QLatin1Char('\n'), -1); }
    QTreeWidget* arbol() const { return w<QTreeWidget>("TreeViewExplorador"); }
    const QImage& mapa() const { return w<quel::TImagen>("ImageMapa")->bitmap(); }

    // The commands as the user gives them, with the file dialog's answer; a
    // bias or prior load without a file is the uniform one.
    void pulsa(const char* boton, const QString& ruta) {
        if (!ruta.isEmpty()) dialogos.responde(ruta);
        w<QToolButton>(boton)->click();
    }
    void cargaCovariables(const QString& ruta) { pulsa("SpeedButtonCargaCov", ruta); }
    void cargaSitios(const QString& ruta) { pulsa("SpeedButtonCargaSites", ruta); }
    void cargaSesgo(const QString& ruta = {}) { cargaConTipo("SpeedButtonCargaSesgo", t->RadioGroupTipoDatos, ruta); }
    void cargaPriori(const QString& ruta = {}) { cargaConTipo("SpeedButtonCargaPriori", t->RadioGroupTipoPriori, ruta); }
    void cargaConTipo(const char* boton, quel::TRadioGroup* tipo, const QString& ruta) {
        pulsa(boton, ruta);
        tipo->pulsa(ruta.isEmpty() ? 1 : 0);
        t->ButtonOK->click();
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

    // The first node whose state is `estado`.
    QTreeWidgetItem* nodo(int estado) const {
        for (QTreeWidgetItemIterator it(arbol()); *it; ++it)
            if (TFormPrincipal::estadoNodo(*it) == estado) return *it;
        return nullptr;
    }
    // A click on the node: it becomes the current one and the tree reports the click.
    void selecciona(int estado) const {
        arbol()->setCurrentItem(nodo(estado));
        if (nodo(estado)) emit arbol()->itemClicked(nodo(estado), 0);
    }

    std::shared_ptr<QTemporaryDir> carpeta;
    quel::DialogosGuion dialogos;
    std::unique_ptr<quel::Aplicacion> app;
    TFormPrincipal* p = nullptr;
    TFormTipoArchivo* t = nullptr;
};

}  // namespace prueba
