#pragma once
// Scripted dialogs for window tests: answers are queued beforehand, every
// question is recorded, nothing ever blocks.
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "engine/evaluacion.h"
#include "ui/Dialogos.h"

namespace quel {

class DialogosGuion final : public Dialogos {
public:
    struct Mensaje {
        QString titulo;
        QString texto;
        IconoMensaje icono;
    };
    enum class Tipo { Abrir, Guardar, GuardarImagen, Carpeta };
    struct Pregunta {
        Tipo tipo;
        PeticionArchivo peticion;
    };

    // Next answers, consumed in order by any file or folder dialog. An empty
    // optional (or an empty queue) means the user cancelled.
    void responde(const QString& ruta, int indiceFiltro = 1) { respuestas.push_back(ArchivoElegido{ruta, indiceFiltro}); }
    void cancela() { respuestas.push_back(std::nullopt); }

    std::optional<ArchivoElegido> abreArchivo(QWidget*, const PeticionArchivo& p) override {
        return siguiente(Tipo::Abrir, p);
    }
    std::optional<ArchivoElegido> guardaArchivo(QWidget*, const PeticionArchivo& p) override {
        return siguiente(Tipo::Guardar, p);
    }
    std::optional<ArchivoElegido> guardaImagen(QWidget*, const PeticionArchivo& p) override {
        return siguiente(Tipo::GuardarImagen, p);
    }
    std::optional<QString> eligeCarpeta(QWidget*, const QString& titulo, const QString& carpeta) override {
        PeticionArchivo p;
        p.titulo = titulo;
        p.carpeta = carpeta;
        auto r = siguiente(Tipo::Carpeta, p);
        if (!r) return std::nullopt;
        return r->ruta;
    }
    void mensaje(QWidget*, const QString& titulo, const QString& texto, IconoMensaje icono) override {
        mensajes.push_back({titulo, texto, icono});
    }
    void abreEditor(const QString& ruta) override { editados.append(ruta); }
    // The next queued settings (none queued: the user cancelled); the species offered are kept.
    std::optional<OpcionesEvaluacion> eligeEvaluacion(QWidget*, const QStringList& especies) override {
        especiesOfrecidas = especies;
        return saca(evaluaciones);
    }
    // Text questions take their answers from `textos` (an empty queue: cancelled).
    std::optional<QString> pideTexto(QWidget*, const QString&, const QString& etiqueta, const QString&) override {
        etiquetas.append(etiqueta);
        return saca(textos);
    }

    std::deque<std::optional<ArchivoElegido>> respuestas;
    std::vector<Pregunta> preguntas;
    std::vector<Mensaje> mensajes;
    QStringList editados;
    std::deque<std::optional<OpcionesEvaluacion>> evaluaciones;
    QStringList especiesOfrecidas;
    std::deque<std::optional<QString>> textos;
    QStringList etiquetas;

private:
    std::optional<ArchivoElegido> siguiente(Tipo t, const PeticionArchivo& p) {
        preguntas.push_back({t, p});
        return saca(respuestas);
    }
    template <class T>
    static std::optional<T> saca(std::deque<std::optional<T>>& cola) {
        std::optional<T> r;
        if (!cola.empty()) {
            r.swap(cola.front());
            cola.pop_front();
        }
        return r;
    }
};

}  // namespace quel
