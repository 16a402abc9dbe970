#include "managers/covariates/FormServicios.h"

#include <QFile>
#include <QProgressBar>
#include <algorithm>

#include "ui/Controles.h"

namespace quel {

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
