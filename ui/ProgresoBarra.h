#pragma once
#include <QAbstractButton>
#include <QMetaObject>
#include <QProgressBar>
#include <algorithm>
#include <cstdio>
#include <string>

#include "ui/Dialogos.h"
#include "platform/Progreso.h"

namespace quel {

// The window's progress bar as the core's progress sink: the `total` points
// the core reports fill the share `tope` of the bar the command gives it;
// steps reported from the worker thread are posted to the window's thread.
class ProgresoBarra final : public Progreso {
public:
    ProgresoBarra(QProgressBar* barra, int tope, int total = 100) : barra_(barra), tope_(tope), total_(total) {}
    void avanza(int pasos) override {
        if (pasos <= 0) return;
        acumulado_ = std::min(total_, acumulado_ + pasos);
        const int nuevo = acumulado_ * tope_ / total_ - dados_;
        if (nuevo <= 0) return;
        dados_ += nuevo;
        QMetaObject::invokeMethod(barra_, [b = barra_, nuevo] { b->setValue(std::min(100, b->value() + nuevo)); },
                                  Qt::QueuedConnection);
    }
    int restante() const { return tope_ - dados_; }
    // The run's log goes where the program's output goes.
    void registra(Canal canal, const std::string& linea) override {
        std::FILE* f = canal == Canal::kSalida ? stdout : stderr;
        std::fprintf(f, "%s\n", linea.c_str());
        std::fflush(f);
    }

private:
    QProgressBar* barra_;
    int tope_;
    int total_;
    int acumulado_ = 0;
    int dados_ = 0;
};

// A window's Cancel button bound to one run while this object lives: enabled,
// captioned in the language in force, and a press asks `progreso` to stop.
class CancelaCorrida {
public:
    CancelaCorrida(QAbstractButton* boton, Progreso& progreso) : boton_(boton) {
        boton_->setText(textoCancelar());
        conexion_ = QObject::connect(boton_, &QAbstractButton::clicked, boton_, [&progreso] { progreso.cancela(); });
        boton_->setEnabled(true);
    }
    ~CancelaCorrida() {
        QObject::disconnect(conexion_);
        boton_->setEnabled(false);
    }
    CancelaCorrida(const CancelaCorrida&) = delete;
    CancelaCorrida& operator=(const CancelaCorrida&) = delete;

    static QString textoCancelar() { return enIdioma("Cancelar", "Cancel"); }
    // The log line of a run stopped on request.
    static QString lineaCancelada() { return enIdioma("Ejecución cancelada.", "Run cancelled."); }

private:
    QAbstractButton* boton_;
    QMetaObject::Connection conexion_;
};

}  // namespace quel
