#pragma once
// While a long command runs, the application takes no input at all: this
// filter, installed on the application object, swallows every user input
// event (keys, mouse, wheel, touch, context menus, closing a window) and lets
// painting, timers and posted calls through.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quel {

class BloqueoEntrada : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void activa(bool on);
    bool activo() const { return activo_; }
    // The one widget (with its children) that still takes input while the
    // filter is active, such as a run's Cancel button; null for none.
    void permite(QWidget* w) { permitido_ = w; }
    QWidget* permitido() const { return permitido_; }
    // Input events swallowed since the filter was created (for tests).
    int descartados() const { return descartados_; }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    bool activo_ = false;
    QPointer<QWidget> permitido_;
    int descartados_ = 0;
};

// True for the kinds of events a user produces.
bool esEntradaDeUsuario(int tipoEvento);

}  // namespace quel
