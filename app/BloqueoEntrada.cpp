#include "app/BloqueoEntrada.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace quel {

bool esEntradaDeUsuario(int t) {
    switch (static_cast<QEvent::Type>(t)) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::HoverEnter:
        case QEvent::HoverLeave:
        case QEvent::HoverMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
        case QEvent::Gesture:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

void BloqueoEntrada::activa(bool on) {
    if (on == activo_) return;
    activo_ = on;
    if (on)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool BloqueoEntrada::eventFilter(QObject* obj, QEvent* e) {
    if (activo_ && esEntradaDeUsuario(e->type())) {
        if (auto* w = qobject_cast<QWidget*>(obj);
            w && permitido_ && e->type() != QEvent::Close && (w == permitido_ || permitido_->isAncestorOf(w)))
            return QObject::eventFilter(obj, e);
        if (e->type() == QEvent::Close) {
            // Only windows are closed by the user; other close events pass.
            auto* w = qobject_cast<QWidget*>(obj);
            if (!w || !w->isWindow()) return QObject::eventFilter(obj, e);
            e->ignore();
        }
        ++descartados_;
        return true;
    }
    return QObject::eventFilter(obj, e);
}

}  // namespace quel
