// Applying a language file to the main window, the choice dialog, the
// covariate manager and the prior manager's caption, and to the message tables.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTranslator>

#include "ui/Controles.h"
#include "ui/ProgresoBarra.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"

namespace {

namespace lg = quel::lenguaje;

// Sets the caption (or hint) of the control named `nombre` inside `raiz`;
// controls the window does not have are skipped.
void fija(QObject* raiz, const QString& nombre, lg::Propiedad propiedad, const QString& texto) {
    if (!raiz) return;
    QObject* o = raiz->objectName() == nombre ? raiz : raiz->findChild<QObject*>(nombre);
    if (!o) return;
    if (propiedad == lg::Propiedad::kPista) {
        if (auto* a = qobject_cast<QAction*>(o)) a->setToolTip(texto);
        else if (auto* w = qobject_cast<QWidget*>(o)) w->setToolTip(texto);
        return;
    }
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(texto);
    } else if (auto* m = qobject_cast<QMenu*>(o)) {
        m->setTitle(texto);
    } else if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->setText(texto);
    } else if (auto* l = qobject_cast<QLabel*>(o)) {
        l->setText(texto);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        g->setTitle(texto);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
        // A tab page: its caption is the tab's text.
        auto* pila = qobject_cast<QStackedWidget*>(w->parentWidget());
        auto* pestanas = pila ? qobject_cast<QTabWidget*>(pila->parentWidget()) : nullptr;
        if (pestanas && pestanas->indexOf(w) >= 0) pestanas->setTabText(pestanas->indexOf(w), texto);
        else if (w->isWindow()) w->setWindowTitle(texto);
    }
}

QStringList desde(const lg::Campos& campos, std::size_t primero) {
    QStringList r;
    for (std::size_t i = primero; i < campos.size(); ++i) r.append(quel::textoDeBytes(campos[i]));
    return r;
}

// Replaces a radio group's items, keeping the selection when it still exists.
void reemplazaElementos(quel::TRadioGroup* g, const QStringList& elementos) {
    const int antes = g->itemIndex();
    g->fijaElementos(elementos);
    g->fijaItemIndex(antes < elementos.size() ? antes : -1);
}

}  // namespace

void TFormPrincipal::aplicaLenguaje(const lg::ArchivoLenguaje& archivo) {
    for (const lg::Destino& d : lg::kDestinos) {
        const auto& campos = lg::campos(archivo, d.linea);
        if (!campos || d.campo >= campos->size()) continue;
        QObject* raiz = d.ventana == lg::Ventana::kPrincipal     ? static_cast<QObject*>(this)
                        : d.ventana == lg::Ventana::kTipoArchivo ? static_cast<QObject*>(tipoArchivo_)
                                                                 : static_cast<QObject*>(covManager_);
        fija(raiz, QString::fromLatin1(d.control.data(), static_cast<qsizetype>(d.control.size())), d.propiedad,
             tx((*campos)[d.campo]));
    }
    if (archivo.gradientes) reemplazaElementos(RadioGroupColores, desde(*archivo.gradientes, lg::kPrimerGradiente));
    if (archivo.tipoArchivo && tipoArchivo_) {
        tipoArchivo_->LabelLenguaje->setText(CambiarLenguaMenu->text());
        const QStringList opciones = desde(*archivo.tipoArchivo, lg::kPrimeraOpcionTipo);
        // The run and the tree read these selections: a new language must not
        // lose them.
        reemplazaElementos(tipoArchivo_->RadioGroupTipoDatos, opciones);
        reemplazaElementos(tipoArchivo_->RadioGroupTipoPriori, opciones);
    }
    if (archivo.covManager) {
        if (covManager_) covManager_->setWindowTitle(AdmonCovsMenu->text());
        if (prioriManager_) prioriManager_->setWindowTitle(AdmonPrioriMenu->text());
    }
    lg::aplicaTablas(archivo, tablas);
}

void TFormPrincipal::cambiaLenguaje(const std::string& ruta) {
    const auto archivo = lg::leeArchivoLenguaje(raiz_.mapea(ruta));
    if (!archivo) return;
    aplicaLenguaje(*archivo);
    quel::fijaIngles(ruta == lg::rutaLogica(lg::Idioma::kIngles));
    BotonCancelar->setText(quel::CancelaCorrida::textoCancelar());
    textosEvaluacion();
    // Qt's own dialogs and buttons speak the chosen language too.
    if (traductorQt_) QCoreApplication::removeTranslator(traductorQt_.get());
    traductorQt_.reset();
    if (ruta == lg::rutaLogica(lg::Idioma::kEspanol)) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(t.get()))
            traductorQt_ = std::move(t);
    }
}

std::optional<lg::Idioma> TFormPrincipal::idiomaEnUso() const {
    const auto ruta = lg::leePuntero(raiz_);
    for (lg::Idioma i : {lg::Idioma::kIngles, lg::Idioma::kEspanol})
        if (ruta && *ruta == lg::rutaLogica(i)) return i;
    return std::nullopt;
}

void TFormPrincipal::aplicaLenguajeGuardado() {
    if (const auto ruta = lg::leePuntero(raiz_)) cambiaLenguaje(*ruta);
}

void TFormPrincipal::eligeLenguaje(const QString& textoCombo) {
    if (const auto ruta = lg::eligeLenguaje(raiz_, textoCombo.toStdString())) cambiaLenguaje(*ruta);
}
