// Export of the three result surfaces (comma-separated table under a text or a
// spreadsheet name, ESRI ASCII grid with its .prj, or GeoTIFF) and of the map
// on screen as a bitmap.
#include <QAction>
#include <QImageWriter>

#include "app/Controles.h"
#include "app/filtrosRaster.h"
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
    bool escrito = false;
    if (elegido->indiceFiltro == 1 || elegido->indiceFiltro == 2) {
        if (!conPunto) ruta += elegido->indiceFiltro == 1 ? QStringLiteral(".txt") : QStringLiteral(".xls");
        const tablaResultados::Titulos titulos{mensajesExporta[0], mensajesExporta[1],
                                               mensajesExporta[static_cast<std::size_t>(2 + cual)]};
        escrito = tablaResultados::escribe(quel::archivoLocal(ruta), titulos, *datos.coordenadas, *valores);
    } else if (elegido->indiceFiltro == 4) {
        if (!conPunto) ruta += QStringLiteral(".tif");
        escrito = quel::gdal::exportaGeoTIFF(quel::archivoLocal(ruta), *datos.coordenadas, *valores,
                                             quel::gdal::sistemaDeTabla(rutaCovariables));
    } else {
        if (!conPunto) ruta += QStringLiteral(".asc");
        const auto local = quel::archivoLocal(ruta);
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
    if (ocupado_ || control.banderas[0] != 1) return;
    quel::PeticionArchivo p;
    p.titulo = sinAceleradores(ExportImagen->text());
    // The picture formats offered: the bitmap, and JPEG when the image
    // plugins provide it. The file written is a bitmap whatever the choice.
    p.filtro = QStringLiteral("Mapa de bits (*.bmp)|*.bmp");
    if (QImageWriter::supportedImageFormats().contains("jpeg"))
        p.filtro += QStringLiteral("|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg");
    const auto elegido = dialogos_.guardaImagen(this, p);
    if (!elegido) return;
    const QImage& mapa = ImageMapa->bitmap();
    ImageAuxiliar = mapa.copy(0, 0, mapa.width(), mapa.height()).convertToFormat(QImage::Format_RGB32);
    QString ruta = elegido->ruta;
    if (!ruta.endsWith(QLatin1Char('p'))) ruta += QStringLiteral(".bmp");
    if (!ImageAuxiliar.save(ruta, "BMP")) {
        const QString texto = QStringLiteral("No se pudo escribir el archivo ") + ruta;
        dialogos_.mensaje(this, QStringLiteral("ERROR"), texto, quel::IconoMensaje::Error);
        agregaLog(texto);
    }
}
