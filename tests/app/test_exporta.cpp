// Export of the result surfaces by the save dialog's filter entry, with the
// extension rules on dots, and of the map as a Windows bitmap.
#include <charconv>

#include "ui/filtrosRaster.h"
#include "data/exportaArchivo.h"
#include "ApoyoVentanas.h"

using prueba::Programa;

namespace {

template <class T>
std::string g6(T v) {
    char b[64];
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::general, 6);
    return std::string(b, r.ptr);
}

// The comma-separated table of a surface, built here from the window's data.
QByteArray tablaEsperada(const Programa& q, const TImagenN<long double>& v, const char* titulo) {
    std::string t = "Longitud, Latitud," + std::string(titulo) + ",\n";
    const TImagenN<float>& xy = *q.p->datos.coordenadas;
    for (int r = 0; r < xy.renglones; ++r)
        t += g6(xy.datos[0][r]) + "," + g6(xy.datos[1][r]) + "," + g6(v.datos[0][r]) + "\n";
    return QByteArray::fromStdString(t);
}

QByteArray mallaEsperada(const Programa& q, const TImagenN<long double>& v) {
    const QString ref = q.ruta(QStringLiteral("referencia.asc"));
    if (!exportaArchivo::exportaGrid(ref.toStdString(), *q.p->datos.coordenadas, v)) return {};
    const QByteArray b = prueba::lee(ref);
    QFile::remove(ref);
    return b;
}

// Files of a folder, for "nothing else was written".
QStringList archivos(const QString& carpeta) { return QDir(carpeta).entryList(QDir::Files, QDir::Name); }

}  // namespace

class PruebaExporta : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        q_ = std::make_unique<Programa>();
        // The extension rules look for a dot anywhere in the path.
        if (q_->carpeta->path().contains(QLatin1Char('.'))) QSKIP("the temporary folder's path holds a dot");
        q_->cargaMuestras();
        q_->ejecuta();
        QCOMPARE(q_->p->control.banderas[5], 1);
        salida_ = q_->ruta(QStringLiteral("salida"));
        QVERIFY(QDir().mkpath(salida_));
    }

    void superficiesPorEntradaDelFiltro() {
        Programa& q = *q_;
        const ejecutarQuel& m = *q.p->motor;
        const struct {
            const char* menu;
            const TImagenN<long double>* valores;
            const char* titulo;
            std::size_t filtro;
            const char* nombre;
        } casos[] = {{"ExportPredictivaMenu", m.predictiva.get(), "Probabilidad predictiva", 0, "pred"},
                     {"ExportCertidumbreMenu", m.certidumbre.get(), "Certidumbre", 1, "cert"},
                     {"ExportPotPrioriMenu", m.potPriori.get(), "Potencial a priori", 1, "pot"}};
        for (const auto& c : casos) {
            const QString base = salida_ + QLatin1Char('/') + QLatin1String(c.nombre);
            const QByteArray tabla = tablaEsperada(q, *c.valores, c.titulo), malla = mallaEsperada(q, *c.valores);
            QVERIFY(!malla.isEmpty());
            for (int entrada : {1, 2, 3, 4}) {
                q.dialogos.preguntas.clear();
                QVERIFY(exporta(c.menu, base, entrada).empty());
                QCOMPARE(q.dialogos.preguntas.size(), std::size_t{1});
                QVERIFY(q.dialogos.preguntas[0].tipo == quel::DialogosGuion::Tipo::Guardar);
                QCOMPARE(q.dialogos.preguntas[0].peticion.filtro, quel::conGeoTIFF(TFormPrincipal::tx(q.p->textosDialogo[c.filtro])));
                const QByteArray escrito = prueba::lee(base + QLatin1String(std::array{".txt", ".xls", ".asc", ".tif"}[entrada - 1]));
                // The GeoTIFF's content is checked by the command line's tests.
                if (entrada == 4) QVERIFY(escrito.startsWith("II*"));
                else QCOMPARE(escrito, entrada == 3 ? malla : tabla);
            }
            QVERIFY(!QFile::exists(base));
        }
        // Outside the study region the grid holds NODATA; the table holds 0.
        QVERIFY(prueba::lee(salida_ + QStringLiteral("/cert.asc")).contains("-9999 "));
        QVERIFY(prueba::lee(salida_ + QStringLiteral("/cert.txt")).contains("\n-105.6,20.3,0\n"));
    }

    void puntosEnElNombreYEnLaCarpeta() {
        Programa& q = *q_;
        const TImagenN<long double>& pred = *q.p->motor->predictiva;
        const QByteArray tabla = tablaEsperada(q, pred, "Probabilidad predictiva"), malla = mallaEsperada(q, pred);
        // A name with its own dot is used as it is, whatever the entry.
        exporta("ExportPredictivaMenu", salida_ + QStringLiteral("/resultado.dat"), 1);
        QCOMPARE(prueba::lee(salida_ + QStringLiteral("/resultado.dat")), tabla);
        exporta("ExportPredictivaMenu", salida_ + QStringLiteral("/malla.txt"), 3);
        QCOMPARE(prueba::lee(salida_ + QStringLiteral("/malla.txt")), malla);
        QVERIFY(!QFile::exists(salida_ + QStringLiteral("/malla.txt.asc")));
        // A folder whose name holds a dot: no extension is added to a bare name.
        const QString punto = q.ruta(QStringLiteral("datos.v2"));
        QVERIFY(QDir().mkpath(punto));
        for (int entrada : {1, 2, 3}) {
            exporta("ExportPredictivaMenu", punto + QStringLiteral("/mapa%1").arg(entrada), entrada);
            QCOMPARE(prueba::lee(punto + QStringLiteral("/mapa%1").arg(entrada)), entrada == 3 ? malla : tabla);
        }
        QCOMPARE(archivos(punto), QStringList({"mapa1", "mapa2", "mapa3"}));
    }

    // Cancel writes nothing; a file that cannot be written gets a box naming it;
    // an export never replaces a loaded input, named directly or through a link.
    void cancelarArchivoImposibleYEntradas() {
        Programa& q = *q_;
        const QStringList antes = archivos(salida_);
        q.dialogos.cancela();
        q.w<QAction>("ExportCertidumbreMenu")->trigger();
        QCOMPARE(archivos(salida_), antes);
        QVERIFY(q.dialogos.mensajes.empty());
        const QString imposible = q.ruta(QStringLiteral("noexiste/sub/cert"));
        for (const auto& [entrada, ext] : {std::pair{1, ".txt"}, std::pair{3, ".asc"}}) {
            const auto cajas = exporta("ExportCertidumbreMenu", imposible, entrada);
            QCOMPARE(cajas.size(), std::size_t{1});
            QVERIFY(cajas[0].icono == quel::IconoMensaje::Error && cajas[0].texto.contains(imposible + QLatin1String(ext)));
        }
        const QString sitios = Programa::muestra("sites.txt");
        const QByteArray original = prueba::lee(sitios);
        const QString enlace = q.ruta(QStringLiteral("enlace.txt"));
        QVERIFY(QFile::link(sitios, enlace));
        for (int entrada : {1, 3, 4}) {
            const auto cajas = exporta("ExportPredictivaMenu", enlace, entrada);
            QCOMPARE(cajas.size(), std::size_t{1});
            QCOMPARE(cajas[0].texto, QStringLiteral("El archivo %1 es el dato de entrada %2; elija otro nombre.")
                                         .arg(enlace, QString::fromStdString(quel::archivoLocal(sitios).string())));
            QCOMPARE(prueba::lee(sitios), original);
        }
    }

    void imagenEsMapaDeBits() {
        Programa& q = *q_;
        q.w<QToolButton>("SpeedButtonProbabilidad")->click();
        const QImage mapa = q.mapa().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(mapa.size(), QSize(800, 600));
        for (const auto& [elegido, escrito] : {std::pair{"mapa", "mapa.bmp"}, std::pair{"otro.bmP", "otro.bmP"}}) {
            q.dialogos.preguntas.clear();
            exporta("ExportImagen", salida_ + QLatin1Char('/') + QLatin1String(elegido), 1);
            QVERIFY(q.dialogos.preguntas.size() == 1 && q.dialogos.preguntas[0].tipo == quel::DialogosGuion::Tipo::GuardarImagen);
            const QByteArray b = prueba::lee(salida_ + QLatin1Char('/') + QLatin1String(escrito));
            QVERIFY2(b.startsWith("BM"), escrito);
            QImage leida;
            QVERIFY(leida.loadFromData(b, "BMP"));
            QCOMPARE(leida.convertToFormat(QImage::Format_RGB32), mapa);
        }
        QCOMPARE(q.p->ImageAuxiliar.size(), mapa.size());
        // A picture that cannot be written: a box naming the file.
        const auto cajas = exporta("ExportImagen", q.ruta(QStringLiteral("noexiste/imagen")), 1);
        QVERIFY(cajas.size() == 1 && cajas[0].texto.contains(q.ruta(QStringLiteral("noexiste/imagen.bmp"))));
        // After a clear there is no result: the commands ask nothing and write nothing.
        q.w<QToolButton>("SpeedButtonBorraTodos")->click();
        const QStringList antes = archivos(salida_);
        q.dialogos.preguntas.clear();
        q.dialogos.responde(salida_ + QStringLiteral("/tarde"), 1);
        q.p->ExportPredictivaMenuClick();
        q.p->ExportCertidumbreMenuClick();
        q.p->ExportPotPrioriMenuClick();
        q.p->ExportImagenClick();
        QVERIFY(q.dialogos.preguntas.empty());
        QCOMPARE(archivos(salida_), antes);
    }

private:
    // Answers the save dialog with `ruta` and entry `entrada`, runs the
    // export `menu`; the boxes it showed.
    std::vector<quel::DialogosGuion::Mensaje> exporta(const char* menu, const QString& ruta, int entrada) {
        q_->dialogos.mensajes.clear();
        q_->dialogos.responde(ruta, entrada);
        q_->w<QAction>(menu)->trigger();
        return std::exchange(q_->dialogos.mensajes, {});
    }
    std::unique_ptr<Programa> q_;
    QString salida_;
};

QTEST_MAIN(PruebaExporta)
#include "test_exporta.moc"
