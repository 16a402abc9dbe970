// Export of the three result surfaces (comma-separated table under a text or a
// spreadsheet name, ESRI ASCII grid with its .prj, or GeoTIFF) and of the map
// on screen as a bitmap.
#include <QAction>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>
#include <vector>

#include "ui/Controles.h"
#include "ui/filtrosRaster.h"
#include "app/principalMainQuel.h"
#include "data/exportaArchivo.h"
#include "data/salidaGDAL.h"
#include "data/tablaResultados.h"
#include "engine/ejecutarQuel.h"

namespace {

QString sinAceleradores(QString t) {
    t.remove(QLatin1Char('&'));
    return t;
}

}  // namespace

void TFormPrincipal::exportaSuperficie(int cual, std::size_t filtro) {
    if (ocupado_ || !resultado(cual) || !datos.coordenadas) return;
    QAction* menus[3] = {ExportPredictivaMenu, ExportCertidumbreMenu, ExportPotPrioriMenu};
    quel::PeticionArchivo p;
    p.titulo = sinAceleradores(menus[cual]->text());
    p.filtro = quel::conGeoTIFF(tx(textosDialogo[filtro]));
    const auto elegido = dialogos_.guardaArchivo(this, p);
    if (!elegido) return;
    // The results are read after the dialog: a clear may have released them.
    const TImagenN<long double>* valores = resultado(cual);
    if (!valores || !datos.coordenadas) return;
    QString ruta = elegido->ruta;
    // An extension is added only when the whole path holds no dot.
    const bool conPunto = ruta.contains(QLatin1Char('.'));
    const int formato = elegido->indiceFiltro;
    const bool tabla = formato == 1 || formato == 2;
    if (!conPunto)
        ruta += tabla ? (formato == 1 ? QStringLiteral(".txt") : QStringLiteral(".xls"))
                      : (formato == 4 ? QStringLiteral(".tif") : QStringLiteral(".asc"));
    // No format may write over a file this session read.
    const auto local = quel::archivoLocal(ruta);
    if (quel::salidaEsEntrada(dialogos_, this, local, entradasLeidas_)) return;
    bool escrito = false;
    if (tabla) {
        const tablaResultados::Titulos titulos{mensajesExporta[0], mensajesExporta[1],
                                               mensajesExporta[static_cast<std::size_t>(2 + cual)]};
        escrito = tablaResultados::escribe(local, titulos, *datos.coordenadas, *valores);
    } else if (formato == 4) {
        escrito = quel::gdal::exportaGeoTIFF(local, *datos.coordenadas, *valores,
                                             quel::gdal::sistemaDeTabla(rutaCovariables));
    } else {
        escrito = exportaArchivo::exportaGrid(local, *datos.coordenadas, *valores) &&
                  quel::gdal::escribePrj(local, quel::gdal::sistemaDeTabla(rutaCovariables));
    }
    if (!escrito) {
        const QString texto = QStringLiteral("No se pudo escribir el archivo ") + ruta;
        dialogos_.mensaje(this, QStringLiteral("ERROR"), texto, quel::IconoMensaje::Error);
        agregaLog(texto);
    }
}

void TFormPrincipal::ExportPredictivaMenuClick() { exportaSuperficie(0, 0); }
void TFormPrincipal::ExportCertidumbreMenuClick() { exportaSuperficie(1, 1); }
void TFormPrincipal::ExportPotPrioriMenuClick() { exportaSuperficie(2, 1); }

void TFormPrincipal::ExportImagenClick() {
    if (ocupado_ || !hay(kBanderaCovariables) || ImageMapa->isHidden()) return;
    const QImage& mapa = ImageMapa->bitmap();
    ImageAuxiliar = mapa.copy(0, 0, mapa.width(), mapa.height()).convertToFormat(QImage::Format_RGB32);
    exportaImagen(ImageAuxiliar, sinAceleradores(ExportImagen->text()));
}

void TFormPrincipal::exportaImagen(const QImage& imagen, const QString& titulo) {
    // The picture formats offered, bitmap first (the default); each entry is
    // written in its own format under its own extension.
    struct Formato {
        const char* nombre;
        const char* descripcion;
        QStringList extensiones;
    };
    std::vector<Formato> formatos{{"BMP", "Mapa de bits (*.bmp)", {QStringLiteral("bmp")}}};
    const QList<QByteArray> disponibles = QImageWriter::supportedImageFormats();
    if (disponibles.contains("jpeg"))
        formatos.push_back({"JPEG", "JPEG (*.jpg;*.jpeg)", {QStringLiteral("jpg"), QStringLiteral("jpeg")}});
    if (disponibles.contains("png")) formatos.push_back({"PNG", "PNG (*.png)", {QStringLiteral("png")}});
    quel::PeticionArchivo p;
    p.titulo = titulo;
    QStringList filtro;
    for (const Formato& f : formatos)
        filtro << QString::fromLatin1(f.descripcion) << QStringLiteral("*.") + f.extensiones.join(QStringLiteral(";*."));
    p.filtro = filtro.join(QLatin1Char('|'));
    const auto elegido = dialogos_.guardaImagen(this, p);
    if (!elegido) return;
    const Formato& f = formatos[static_cast<std::size_t>(
        std::clamp(elegido->indiceFiltro, 1, static_cast<int>(formatos.size())) - 1)];
    QString ruta = elegido->ruta;
    const QString sufijo = QFileInfo(ruta).suffix().toLower();
    if (!f.extensiones.contains(sufijo)) ruta += QLatin1Char('.') + f.extensiones.first();
    // Written beside its destination and renamed into place when complete.
    QSaveFile archivo(ruta);
    bool escrito = archivo.open(QIODevice::WriteOnly);
    if (escrito) {
        QImageWriter escritor(&archivo, f.nombre);
        escrito = escritor.write(imagen) && archivo.commit();
    }
    if (!escrito) {
        const QString texto = QStringLiteral("No se pudo escribir el archivo ") + ruta;
        dialogos_.mensaje(this, QStringLiteral("ERROR"), texto, quel::IconoMensaje::Error);
        agregaLog(texto);
    }
}
