#include "managers/covariates/FormServicios.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QProgressBar>
#include <QToolButton>
#include <algorithm>
#include <concepts>

#include "app/Controles.h"
#include "app/principalMainQuel.h"
#include "render/ubicacionMapa.h"

namespace quel {

namespace {

// The main window's covariate load after its file dialog (log, load, flag,
// tree node, map). A main window that offers it as one call does it itself;
// otherwise the steps are taken through its public members.
template <class P>
int cargaEnPrincipal(P& p, const QString& ruta) {
    if constexpr (requires { { p.cargaCovariablesDesde(ruta) } -> std::convertible_to<int>; }) {
        return p.cargaCovariablesDesde(ruta);
    } else {
        p.agregaLog(ruta);
        int codigo = 0;
        const std::filesystem::path local = rutaLocal(ruta);
        p.enSegundoPlano([&] { codigo = p.datos.cargaCovariables(local); });
        if (codigo != 0) {
            p.muestraError(codigo);
            return codigo;
        }
        p.control.marca(0);
        p.agregaHijoArbol(nullptr, ruta, 2);
        p.alternaVista(true);
        p.SpeedButtonCargaCov->setEnabled(false);
        p.CovsMenu->setEnabled(false);
        for (QToolButton* b : {p.SpeedButtonCargaSesgo, p.SpeedButtonCargaPriori, p.SpeedButtonCargaSites})
            b->setEnabled(true);
        for (QAction* a : {p.BiasMenu, p.PrioriMenu, p.SitiosMenu, p.MostrarMapa1, p.ExportImagen})
            a->setEnabled(true);
        p.ubicacion = ubicaMapa(*p.datos.coordenadas, p.ImageMapa->bitmap().width(), p.ImageMapa->bitmap().height());
        p.columnasMapa = p.ubicacion.columnasMapa;
        p.muestraMapaCovariable(0, true);
        p.habilitaBorrado(true);
        p.agregaLog(P::tx(p.mensajesLog[2]));
        return 0;
    }
}

// The main window's error report with the manager's own failing line, when
// the main window offers it; otherwise the same box and log line built here.
template <class P>
void errorEnPrincipal(P& p, int codigo, int linea) {
    if constexpr (requires { p.muestraError(codigo, linea); }) {
        p.muestraError(codigo, linea);
    } else if (const auto t = lenguaje::textoCajaError(p.tablas, codigo, linea)) {
        p.dialogos().mensaje(nullptr, QStringLiteral("ERROR"), P::tx(*t), IconoMensaje::Error);
        p.agregaLog(P::tx(*t));
    }
}

}  // namespace

AdaptadorPrincipal::AdaptadorPrincipal(TFormPrincipal& principal)
    : reloj([] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }), p_(principal) {}

const lenguaje::TablasMensajes& AdaptadorPrincipal::tablas() const { return p_.tablas; }
Dialogos& AdaptadorPrincipal::dialogos() { return p_.dialogos(); }
const RaizDatos& AdaptadorPrincipal::raiz() const { return p_.raiz(); }
std::filesystem::path AdaptadorPrincipal::carpetaTrabajo() const { return p_.datos.carpetaTrabajo(); }
void AdaptadorPrincipal::agregaLog(const QString& t) { p_.agregaLog(t); }
void AdaptadorPrincipal::muestraError(int codigo, int linea) { errorEnPrincipal(p_, codigo, linea); }
void AdaptadorPrincipal::muestraPrincipal() { p_.show(); }
double AdaptadorPrincipal::segundosAbierto() const { return reloj() - p_.tiempoInicioGestor; }
bool AdaptadorPrincipal::aceptaCovariables() const { return p_.SpeedButtonCargaCov->isEnabled(); }
int AdaptadorPrincipal::cargaCovariables(const QString& ruta) { return cargaEnPrincipal(p_, ruta); }

int AdaptadorPrincipal::cargaSesgo(const QString& ruta) { return p_.cargaSesgoDesde(ruta); }

int AdaptadorPrincipal::bandera(int i) const { return i >= 0 && i < 8 ? p_.control.banderas[i] : 0; }

void AdaptadorPrincipal::registraPriori(std::unique_ptr<TImagenN<int>> priori, const QString& ruta) {
    p_.datos.priori = std::move(priori);
    p_.registraPriori(nullptr, ruta);
}

void AdaptadorPrincipal::enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto) {
    p_.enSegundoPlano(trabajo, abierto);
}
QIcon AdaptadorPrincipal::iconoNodo(int indice) const { return TFormPrincipal::iconoNodo(indice); }

// ---- shared pieces ------------------------------------------------------------------

QString texto(const std::string& bytes) { return textoDeBytes(bytes); }

std::filesystem::path rutaLocal(const QString& ruta) {
    return std::filesystem::path(QFile::encodeName(ruta).toStdString());
}

QString rutaTexto(const std::filesystem::path& ruta) { return QFile::decodeName(QByteArray::fromStdString(ruta.string())); }

QString lineaTiempo(const ServiciosPrincipal& s, double segundos) {
    return texto(lenguaje::textoTiempo(s.tablas(), segundos));
}

void ProgresoEnBarra::avanza(int pasos) {
    QMetaObject::invokeMethod(
        barra_, [b = barra_, pasos] { b->setValue(std::clamp(b->value() + pasos, 0, 100)); }, Qt::QueuedConnection);
}

void ProgresoEnBarra::fija(int porcentaje) {
    QMetaObject::invokeMethod(
        barra_, [b = barra_, porcentaje] { b->setValue(std::clamp(porcentaje, 0, 100)); }, Qt::QueuedConnection);
}

}  // namespace quel
