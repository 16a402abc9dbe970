#ifdef QUEL_CON_IMAGENES

#include "cli/png.h"

#include <QtCore/QBuffer>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "cli/comun.h"
#include "engine/evaluacion.h"
#include "platform/EscrituraSegura.h"
#include "render/graficas.h"
#include "render/etiquetas.h"
#include "render/paletaColores.h"
#include "render/pintores.h"
#include "render/ubicacionMapa.h"

namespace cli {
namespace {

// Gradients the main window starts with for the three result maps.
constexpr int degradadoPredictiva = 0;
constexpr int degradadoCertidumbre = 4;
constexpr int degradadoPotPriori = 2;

// Space around the key in the strip right of the map.
constexpr int margenFranja = 10;
constexpr int pixelesTexto = 12;

QtMessageHandler manejadorPrevio = nullptr;

// Start-up notices of the platform (e.g. about XDG_RUNTIME_DIR) would land in the
// command's error output though they say nothing about the run; real failures
// still go through.
void soloMensajesGraves(QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
    if ((tipo == QtCriticalMsg || tipo == QtFatalMsg) && manejadorPrevio)
        manejadorPrevio(tipo, contexto, texto);
}

// Fonts need an application object; a command-line run has none and shows no
// window, so the offscreen platform serves unless the caller chose another.
// The one created here lives until the process ends.
void aseguraAplicacion() {
    if (QGuiApplication::instance()) return;
    const char* plataforma = std::getenv("QT_QPA_PLATFORM");
    if (plataforma == nullptr || *plataforma == '\0') setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Without a runtime folder Qt makes "runtime-USER" in the temporary folder
    // and leaves it there; a folder of this run serves instead and goes with it.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        static CarpetaPrivada carpeta("quel-qt-");
        setenv("XDG_RUNTIME_DIR", carpeta.ruta().c_str(), 1);
    }
    static int argc = 1;
    static char nombre[] = "quel-cli";
    static char* argv[] = {nombre, nullptr};
    manejadorPrevio = qInstallMessageHandler(soloMensajesGraves);
    static std::unique_ptr<QGuiApplication> aplicacion =
        std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(manejadorPrevio);
}

// The map bitmap with the key strip to its right: key centred on the drawing
// area's height, maximum label above it, minimum label below.
QImage componeLamina(const QImage& mapa, const paletaColores& paleta, int degradado,
                     const std::string& textoMin, const std::string& textoMax, int altoDibujo) {
    QFont letra;
    letra.setPixelSize(pixelesTexto);
    const QFontMetrics medidas(letra);
    const QString minimo = QString::fromStdString(textoMin);
    const QString maximo = QString::fromStdString(textoMax);
    const int anchoTexto =
        std::max(medidas.horizontalAdvance(minimo), medidas.horizontalAdvance(maximo));
    const int anchoFranja = 2 * margenFranja + std::max(anchoLlave, anchoTexto);

    QImage lamina(mapa.width() + anchoFranja, mapa.height(), QImage::Format_RGB32);
    lamina.fill(Qt::white);

    QImage llave(anchoLlave, altoLlave, QImage::Format_RGB32);
    llave.fill(Qt::white);
    pintaLlave(paleta, llave, degradado, 1);

    const int xLlave = mapa.width() + margenFranja;
    const int yLlave = std::max(medidas.height() + 4, (altoDibujo - altoLlave) / 2);

    QPainter pintor(&lamina);
    pintor.drawImage(0, 0, mapa);
    pintor.drawImage(xLlave, yLlave, llave);
    pintor.setFont(letra);
    pintor.setPen(Qt::black);
    pintor.drawText(xLlave, yLlave - 4 - medidas.descent(), maximo);
    pintor.drawText(xLlave, yLlave + altoLlave + 4 + medidas.ascent(), minimo);
    pintor.end();
    return lamina;
}

// Encodes the picture in memory and puts it in place through the safe
// writer, so a failed or interrupted run leaves no half-written picture.
bool guarda(const QImage& imagen, const std::filesystem::path& ruta, std::string& error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    std::string razon = "the picture cannot be encoded";
    if (buffer.open(QIODevice::WriteOnly) && imagen.save(&buffer, "PNG") &&
        quel::escribeSeguro(ruta, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                            &razon))
        return true;
    error = "cannot write " + ruta.string() + ": " + razon;
    return false;
}

template <class T>
bool mismasFilas(const TImagenN<T>& grid, int filas) {
    return grid.renglones == filas && grid.columnas >= 1;
}

}  // namespace

bool escribeMapasPNG(const std::filesystem::path& carpeta, const TImagenN<float>& coordenadas,
                     const TImagenN<int>& covariables, const TImagenN<long double>& predictiva,
                     const TImagenN<long double>& certidumbre,
                     const TImagenN<long double>& potPriori, std::string& error) {
    const int filas = coordenadas.renglones;
    if (coordenadas.columnas < 2 || !mismasFilas(covariables, filas) ||
        !mismasFilas(predictiva, filas) || !mismasFilas(certidumbre, filas) ||
        !mismasFilas(potPriori, filas)) {
        error = "map pictures: the coordinate, covariate and result grids do not match";
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(carpeta, ec)) {
        error = "map pictures: " + carpeta.string() + " is not a folder";
        return false;
    }
    aseguraAplicacion();

    struct Lamina {
        const char* archivo;
        const TImagenN<long double>& valores;
        int degradado;
        bool absoluto;
    };
    const Lamina laminas[] = {
        {"predictive.png", predictiva, degradadoPredictiva, true},
        {"certainty.png", certidumbre, degradadoCertidumbre, true},
        {"prior_potential.png", potPriori, degradadoPotPriori, false},
    };

    paletaColores paleta;
    const UbicacionMapa u = ubicaMapa(coordenadas, anchoMapa, altoMapa);
    QImage mapa(anchoMapa, altoMapa, QImage::Format_RGB32);
    for (const Lamina& l : laminas) {
        mapa.fill(Qt::white);
        std::string minimo = "0", maximo = "1";
        if (l.absoluto) {
            pintaAbsoluto(paleta, mapa, l.valores, 0, covariables, u.pixeles, l.degradado,
                          u.columnasMapa);
        } else {
            pintaRelativo(paleta, mapa, l.valores, 0, covariables, u.pixeles, l.degradado,
                          u.columnasMapa);
            minimo = textoEtiqueta(paleta.minimo);
            maximo = textoEtiqueta(paleta.maximo);
        }
        if (!guarda(componeLamina(mapa, paleta, l.degradado, minimo, maximo, u.altoDibujo),
                    carpeta / l.archivo, error))
            return false;
    }
    return true;
}

bool escribeGraficasPNG(const std::filesystem::path& carpeta, const ResumenEvaluacion& evaluacion,
                        std::string& error) {
    aseguraAplicacion();
    QImage imagen(800, 600, QImage::Format_RGB32);
    for (const EspecieEvaluada& e : evaluacion.especies) {
        const std::string n = nombreEnArchivo(e.especie) + ".png";
        std::vector<CurvaGrafica> roc, boyce;
        double mayor = 1;
        for (const PliegueEvaluado& p : e.pliegues) {
            CurvaGrafica& r = roc.emplace_back();
            for (const auto& q : p.roc) {
                r.x.push_back(q.falsos);
                r.y.push_back(q.verdaderos);
            }
            CurvaGrafica& b = boyce.emplace_back();
            for (const auto& v : p.boyce) {
                b.x.push_back(v.centro);
                b.y.push_back(v.razon);
                if (std::isfinite(v.razon)) mayor = std::max(mayor, v.razon);
            }
        }
        double desde = INFINITY, hasta = -INFINITY;
        for (const CurvaGrafica& b : boyce)
            if (!b.x.empty()) {
                desde = std::min(desde, b.x.front());
                hasta = std::max(hasta, b.x.back());
            }
        if (!(desde < hasta)) {
            desde = 0;
            hasta = 1;
        }
        pintaCurvas(imagen, roc, {e.especie + ": ROC of the held-out sites", "false positive rate", "true positive rate"},
                    0, 1, 0, 1, true);
        if (!guarda(imagen, carpeta / ("roc_" + n), error)) return false;
        pintaCurvas(imagen, boyce, {e.especie + ": Boyce curve", "predictive probability", "predicted / expected"},
                    desde, hasta, 0, mayor, false);
        if (!guarda(imagen, carpeta / ("boyce_" + n), error)) return false;
        pintaBarras(imagen, evaluacion.covariables, e.importancia,
                    {e.especie + ": covariate importance", "covariate", "importance"});
        if (!guarda(imagen, carpeta / ("importance_" + n), error)) return false;
        std::vector<std::string> etiquetas;
        std::vector<double> medias;
        for (const auto& q : e.respuesta) {
            etiquetas.push_back(evaluacion.covariables[static_cast<std::size_t>(q.covariable)] + ":" +
                                std::to_string(q.categoria));
            medias.push_back(q.media);
        }
        pintaBarras(imagen, etiquetas, medias,
                    {e.especie + ": response by category", "covariate:category", "mean predictive probability"});
        if (!guarda(imagen, carpeta / ("response_" + n), error)) return false;
    }
    return true;
}

}  // namespace cli

#endif  // QUEL_CON_IMAGENES
