#pragma once
// Helpers of the manager window tests: a stand-in main window that records
// what the managers ask of it, a private data root and working folder per
// test, and the bundled sample grids and files.
#include <array>
#include <type_traits>
#include <vector>

#include "app/ApoyoVentanas.h"
#include "data/lenguaje.h"
#include "managers/covariates/FormServicios.h"

namespace prueba {

// A bundled sample file; the samples test checks that each equals what
// quel-cli makes from the bundled grids, so a window's file that equals it
// equals the command line's.
inline QByteArray referencia(const QString& relativo) { return lee(muestra(relativo)); }

// Answers the next dialog with `respuesta`, then presses `control` (a button
// or a menu item).
template <class Control>
void pulsa(quel::DialogosGuion& dialogos, const QString& respuesta, Control* control) {
    dialogos.responde(respuesta);
    if constexpr (std::is_base_of_v<QAction, Control>) control->trigger();
    else control->click();
}

// How many dialogs `accion` opened.
template <class F>
std::size_t preguntasDe(quel::DialogosGuion& dialogos, F accion) {
    const std::size_t antes = dialogos.preguntas.size();
    accion();
    return dialogos.preguntas.size() - antes;
}

// The main window as the managers see it, recording every request.
class PrincipalFalso final : public quel::ServiciosPrincipal {
public:
    explicit PrincipalFalso(quel::lenguaje::Idioma idioma = quel::lenguaje::Idioma::kEspanol)
        : tablas_(quel::lenguaje::tablasIncluidas(idioma)), raiz_(raizDir.path().toStdString()) {
        raiz_.asegura();
    }

    const quel::lenguaje::TablasMensajes& tablas() const override { return tablas_; }
    quel::Dialogos& dialogos() override { return guion; }
    const quel::RaizDatos& raiz() const override { return raiz_; }
    std::filesystem::path carpetaTrabajo() const override { return trabajoDir.path().toStdString(); }
    void agregaLog(const QString& t) override { log << t; }
    void muestraError(int codigo, int linea) override { errores << QStringLiteral("%1:%2").arg(codigo).arg(linea); }
    void muestraPrincipal() override { ++mostrada; }
    double segundosAbierto() const override { return segundos; }
    bool aceptaCovariables() const override { return acepta; }
    int cargaCovariables(const QString& ruta) override { cargas << ruta; return 0; }
    int cargaSesgo(const QString& ruta) override { cargas << ruta; return 0; }
    int bandera(int i) const override { return banderas[static_cast<std::size_t>(i)]; }
    void registraPriori(std::unique_ptr<TImagenN<int>> p, const QString& ruta) override {
        priori = std::move(p);
        rutaPriori = ruta;
    }
    void enSegundoPlano(const std::function<void()>& trabajo, QWidget* = nullptr) override {
        ++trabajos;
        trabajo();
        if (trasTrabajo) trasTrabajo();
    }
    // Called after each work, while the window still waits for it.
    std::function<void()> trasTrabajo;
    QIcon iconoNodo(int) const override { return {}; }

    QString trabajo(const QString& nombre) const { return trabajoDir.path() + QLatin1Char('/') + nombre; }
    QString enRaiz(const QString& relativo) const { return raizDir.path() + QLatin1Char('/') + relativo; }
    QString tmp(const QString& nombre) const { return scratch.path() + QLatin1Char('/') + nombre; }

    QTemporaryDir raizDir, trabajoDir, scratch;
    quel::DialogosGuion guion;
    QStringList log;
    QStringList errores;  // "code:line" of each error box
    int mostrada = 0;
    double segundos = 0;
    bool acepta = true;
    QStringList cargas;
    std::array<int, 8> banderas{};
    std::unique_ptr<TImagenN<int>> priori;
    QString rutaPriori;
    int trabajos = 0;

private:
    quel::lenguaje::TablasMensajes tablas_;
    quel::RaizDatos raiz_;
};

// A manager window shown over its own stand-in main window.
template <class Ventana>
struct BancoGestor {
    std::shared_ptr<PrincipalFalso> p = std::make_shared<PrincipalFalso>();
    Ventana w{p};
    BancoGestor() { w.show(); }
    quel::DialogosGuion& dlg() { return p->guion; }
};

}  // namespace prueba
