// The map display of the main window: input and result maps with their colour
// bar, key and labels, the three map buttons, gradient preview and change, and
// the values under the mouse in the "Datos Mapa" tab.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "ui/Controles.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
#include "render/etiquetas.h"
#include "render/pintores.h"

namespace {

constexpr int kTituloCovariables = 0;
constexpr int kTituloSesgo = 1;
constexpr int kTituloPriori = static_cast<int>(quel::lenguaje::kTituloMapaPriori);
constexpr int kTituloSitios = static_cast<int>(quel::lenguaje::kTituloMapaSitios);
constexpr int kTituloPredictiva = 4;


// Width of a value bar of the "Datos Mapa" tab: 185 pixels times the value,
// truncated and kept inside the bar (NaN and negatives give none).
int anchoBarra(long double v) {
    const long double w = 185 * v;
    if (!(w > 0)) return 0;
    return w >= 185 ? 185 : static_cast<int>(w);
}

}  // namespace

QString TFormPrincipal::etiqueta(double v) { return QString::fromStdString(textoEtiqueta(v)); }

void TFormPrincipal::contornoRegion(QImage& imagen, int gradiente) const {
    if (datos.covariables && empiezaEnBlanco(paleta, gradiente))
        pintaContorno(imagen, *datos.covariables, ubicacion.pixeles, columnasMapa, kColorContorno);
}

const TImagenN<long double>* TFormPrincipal::resultado(int cual) const {
    if (!motor || control.banderas[kBanderaPredictiva + cual] != 1) return nullptr;
    switch (cual) {
        case 0: return motor->predictiva.get();
        case 1: return motor->certidumbre.get();
        case 2: return motor->potPriori.get();
        default: return nullptr;
    }
}

void TFormPrincipal::limpiaMapa() { ImageMapa->llena(qRgb(255, 255, 255)); }

void TFormPrincipal::fijaEtiquetas(const QString& minimo, const QString& maximo, bool colores, bool llave) {
    if (colores) {
        LabelMinimo->setText(minimo);
        LabelMaximo->setText(maximo);
    }
    if (llave) {
        LabelMinLlave->setText(minimo);
        LabelMaxLlave->setText(maximo);
    }
}

void TFormPrincipal::dibujaLlaves(int gradiente) {
    pintaLlave(paleta, ImageRangoColor->bitmap(), gradiente, 0);
    ImageRangoColor->update();
    pintaLlave(paleta, ImageLlave->bitmap(), gradiente, 1);
    ImageLlave->setVisible(true);
    ImageLlave->update();
}

void TFormPrincipal::fijaTitulo(int entrada) { setWindowTitle(tx(titulosMapa[static_cast<std::size_t>(entrada)])); }

void TFormPrincipal::fijaBotonesMapa(QToolButton* apagado) {
    for (QToolButton* b : {SpeedButtonProbabilidad, SpeedButtonCertidumbre, SpeedButtonPotPriori})
        b->setEnabled(b != apagado);
}

void TFormPrincipal::muestraMapaCovariable(int k, bool limpiar) {
    if (!datos.covariables || ubicacion.pixeles.renglones == 0) return;
    if (k < 0 || k + 1 >= datos.covariables->columnas) return;
    alternaVista(true);
    if (limpiar) limpiaMapa();
    pintaRelativo(paleta, ImageMapa->bitmap(), *datos.covariables, k, *datos.covariables, ubicacion.pixeles,
                  gradienteCovariables, columnasMapa, 0);
    contornoRegion(ImageMapa->bitmap(), gradienteCovariables);
    ImageMapa->update();
    fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
    dibujaLlaves(gradienteCovariables);
    fijaTitulo(kTituloCovariables);
    RadioGroupColores->fijaItemIndex(gradienteCovariables);
}

bool TFormPrincipal::dibujaSesgo(bool relativo) {
    if (!datos.covariables || !datos.sesgo || ubicacion.pixeles.renglones == 0) return false;
    if (relativo)
        pintaRelativo(paleta, ImageMapa->bitmap(), *datos.sesgo, 0, *datos.covariables, ubicacion.pixeles,
                      gradienteSesgo, columnasMapa, 1);
    else
        pintaUniforme(paleta, ImageMapa->bitmap(), *datos.covariables, ubicacion.pixeles, gradienteSesgo,
                      columnasMapa);
    contornoRegion(ImageMapa->bitmap(), gradienteSesgo);
    ImageMapa->update();
    return true;
}

bool TFormPrincipal::dibujaPriori(bool relativo) {
    if (!datos.covariables || !datos.priori || ubicacion.pixeles.renglones == 0) return false;
    if (relativo)
        pintaRelativo(paleta, ImageMapa->bitmap(), *datos.priori, 0, *datos.covariables, ubicacion.pixeles,
                      gradientePriori, columnasMapa, 2);
    else
        pintaUniforme(paleta, ImageMapa->bitmap(), *datos.covariables, ubicacion.pixeles, gradientePriori,
                      columnasMapa);
    contornoRegion(ImageMapa->bitmap(), gradientePriori);
    ImageMapa->update();
    return true;
}

void TFormPrincipal::muestraMapaSesgo() {
    alternaVista(true);
    limpiaMapa();
    if (!dibujaSesgo(sesgoCalculado_)) return;
    if (sesgoCalculado_)
        fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
    else
        fijaEtiquetas(QStringLiteral("Min"), QStringLiteral("Max"), true, true);
    dibujaLlaves(gradienteSesgo);
    fijaTitulo(kTituloSesgo);
    RadioGroupColores->fijaItemIndex(gradienteSesgo);
}

void TFormPrincipal::muestraMapaPriori() {
    alternaVista(true);
    limpiaMapa();
    if (!dibujaPriori(prioriCalculado_)) return;
    if (!prioriCalculado_) fijaEtiquetas(QStringLiteral("Min"), QStringLiteral("Max"), true, false);
    fijaEtiquetas(QStringLiteral("Ausencia"), QStringLiteral("Presencia"), false, true);
    dibujaLlaves(gradientePriori);
    fijaTitulo(kTituloPriori);
    RadioGroupColores->fijaItemIndex(gradientePriori);
}

void TFormPrincipal::muestraMapaSitios(int especie) {
    if (!datos.covariables || !datos.coordenadas || !datos.especies || !sitiosMapa ||
        ubicacion.pixeles.renglones == 0)
        return;
    alternaVista(true);
    limpiaMapa();
    pintaRelativo(paleta, ImageMapa->bitmap(), *datos.covariables, 0, *datos.covariables, ubicacion.pixeles,
                  gradienteCovariables, columnasMapa, 0);
    contornoRegion(ImageMapa->bitmap(), gradienteCovariables);
    // The key is the one of the covariate under the sites.
    fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
    dibujaLlaves(gradienteCovariables);
    RadioGroupColores->fijaItemIndex(gradienteCovariables);
    pintaSitios(ubicacion.pixeles, *datos.coordenadas, *sitiosMapa, *datos.especies, ImageMapa->bitmap(), especie,
                datos.numEspecies);
    ImageMapa->update();
    fijaTitulo(kTituloSitios);
}

bool TFormPrincipal::dibujaResultado(int cual, bool absoluto, int gradiente) {
    const TImagenN<long double>* r = resultado(cual);
    if (!r || !datos.covariables || ubicacion.pixeles.renglones == 0) return false;
    if (absoluto)
        pintaAbsoluto(paleta, ImageMapa->bitmap(), *r, 0, *datos.covariables, ubicacion.pixeles, gradiente,
                      columnasMapa);
    else
        pintaRelativo(paleta, ImageMapa->bitmap(), *r, 0, *datos.covariables, ubicacion.pixeles, gradiente,
                      columnasMapa, 0);
    contornoRegion(ImageMapa->bitmap(), gradiente);
    ImageMapa->update();
    return true;
}

void TFormPrincipal::muestraMapaResultado(int cual, int escala) {
    struct Mapa {
        bool absoluto;
        int* gradiente;
        int titulo;
        QToolButton* boton;
    };
    const Mapa mapas[3] = {{true, &gradientePredictiva, kTituloPredictiva, SpeedButtonProbabilidad},
                           {true, &gradienteCertidumbre, 5, SpeedButtonCertidumbre},
                           {false, &gradientePotPriori, 6, SpeedButtonPotPriori}};
    if (cual < 0 || cual > 2 || !resultado(cual)) return;
    Mapa m = mapas[cual];
    if (escala == 0 || escala == 1) m.absoluto = escala == 1;
    alternaVista(true);
    limpiaMapa();
    dibujaResultado(cual, m.absoluto, *m.gradiente);
    if (m.absoluto)
        fijaEtiquetas(QStringLiteral("0"), QStringLiteral("1"), true, true);
    else
        fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
    dibujaLlaves(*m.gradiente);
    fijaTitulo(m.titulo);
    RadioGroupColores->fijaItemIndex(*m.gradiente);
    fijaBotonesMapa(m.boton);
}

void TFormPrincipal::SpeedButtonProbabilidadClick() {
    if (!ocupado_) muestraMapaResultado(0);
}
void TFormPrincipal::SpeedButtonCertidumbreClick() {
    if (!ocupado_) muestraMapaResultado(1);
}
void TFormPrincipal::SpeedButtonPotPrioriClick() {
    if (!ocupado_) muestraMapaResultado(2);
}

void TFormPrincipal::RadioGroupColoresClick(int indice) {
    if (ocupado_) return;
    pintaLlave(paleta, ImageRangoColor->bitmap(), indice, 0);
    ImageRangoColor->update();
}

void TFormPrincipal::ButtonCambioColorClick() {
    if (ocupado_) return;
    QTreeWidgetItem* nodo = TreeViewExplorador->currentItem();
    const int s = nodo ? estadoNodo(nodo) : -1;
    if (s != kNodoSesgoMapa && s != kNodoPrioriMapa && s != kNodoPredictivaRelativa && s != kNodoPredictivaAbsoluta &&
        s != kNodoCertidumbre && s != kNodoPotPriori) {
        dialogos_.mensaje(this, QStringLiteral("Cambiar Colores"),
                          QStringLiteral("Debes de seleccionar un mapa del explorador"),
                          quel::IconoMensaje::Informacion);
        return;
    }
    const int g = RadioGroupColores->itemIndex();
    if (g < 0) return;
    alternaVista(true);
    switch (s) {
        case kNodoSesgoMapa:
            gradienteSesgo = g;
            limpiaMapa();
            if (dibujaSesgo(true)) {
                fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
                dibujaLlaves(g);
            }
            break;
        case kNodoPrioriMapa:
            gradientePriori = g;
            limpiaMapa();
            if (dibujaPriori(true)) {
                fijaEtiquetas(QStringLiteral("Ausencia"), QStringLiteral("Presencia"), false, true);
                dibujaLlaves(g);
            }
            break;
        default: {
            const int cual = s <= kNodoPredictivaAbsoluta ? 0 : (s == kNodoCertidumbre ? 1 : 2);
            const bool absoluto = s == kNodoPredictivaAbsoluta;
            int& gradiente = cual == 0 ? gradientePredictiva : (cual == 1 ? gradienteCertidumbre : gradientePotPriori);
            gradiente = g;
            limpiaMapa();
            if (dibujaResultado(cual, absoluto, g)) {
                if (absoluto)
                    fijaEtiquetas(QStringLiteral("0"), QStringLiteral("1"), true, true);
                else
                    fijaEtiquetas(etiqueta(paleta.minimo), etiqueta(paleta.maximo), true, true);
                dibujaLlaves(g);
            }
            break;
        }
    }
}

// ---- values under the mouse -----------------------------------------------------------

void TFormPrincipal::reiniciaBarras() {
    for (quel::TImagen* i : {ImageSesgo, ImagePriori, ImagePredictiva, ImageCertidumbre, ImagePotPriori}) {
        i->bitmap().fill(colorQtDeToolkit(0x646464));
        i->llena(colorQtDeToolkit(0x4B4B4B));
    }
}

void TFormPrincipal::dibujaBarra(quel::TImagen* img, QRgb colorToolkit, int ancho) {
    QImage& b = img->bitmap();
    b.fill(colorQtDeToolkit(0x646464));
    ancho = std::clamp(ancho, 0, b.width());
    const QRgb c = colorQtDeToolkit(colorToolkit);
    for (int y = 0; y < std::min(25, b.height()); ++y)
        for (int x = 0; x < ancho; ++x) b.setPixel(x, y, c);
    img->update();
}

void TFormPrincipal::ImageMapaMouseMove(int x, int y) {
    if (ocupado_ || !hay(kBanderaCovariables) || !datos.covariables || !datos.coordenadas) return;
    const int anchoControl = std::max(1, ImageMapa->width());
    const int altoControl = std::max(1, ImageMapa->height());
    const long long px = static_cast<long long>(x) * ImageMapa->bitmap().width() / anchoControl;
    const long long py = static_cast<long long>(y) * ImageMapa->bitmap().height() / altoControl;
    reiniciaBarras();
    const TImagenN<float>& pix = ubicacion.pixeles;
    const TImagenN<int>& cov = *datos.covariables;
    const int filas = std::min(pix.renglones, cov.renglones);
    const int bandera = cov.columnas - 1;
    if (bandera < 0 || columnasMapa < 1) return;
    auto enRango = [](const auto* g, int i) { return g && g->columnas > 0 && i < g->renglones; };
    for (int i = 0; i + columnasMapa < filas; ++i) {
        if (cov.datos[bandera][i] != 1) continue;
        if (!(pix.datos[0][i] <= px && px <= pix.datos[0][i + 1] && pix.datos[1][i] <= py &&
              py <= pix.datos[1][i + columnasMapa]))
            continue;
        if (enRango(datos.coordenadas.get(), i)) {
            EditX->setText(QString::asprintf("%0.7f", static_cast<double>(datos.coordenadas->datos[0][i])));
            EditY->setText(QString::asprintf("%0.7f", static_cast<double>(datos.coordenadas->datos[1][i])));
        }
        if (hay(kBanderaSesgo) && enRango(datos.sesgo.get(), i)) {
            const float v = datos.sesgo->datos[0][i];
            dibujaBarra(ImageSesgo, 0xFF0000, anchoBarra(v));
            EditSesgo->setText(etiqueta(v));
        }
        if (hay(kBanderaPriori) && enRango(datos.priori.get(), i)) {
            const int clase = datos.priori->datos[0][i];
            dibujaBarra(ImagePriori, 0xFF0033, clase == 0 ? 0 : 185 / clase);
            EditPriori->setText(QString::asprintf("%d", clase));
        }
        const struct {
            int cual;
            quel::TImagen* img;
            QRgb color;
            QLineEdit* edit;
        } resultados[3] = {{0, ImagePredictiva, 204, EditPredictiva},
                           {1, ImageCertidumbre, 13260, EditCertidumbre},
                           {2, ImagePotPriori, 26316, EditPotPriori}};
        for (const auto& r : resultados) {
            const TImagenN<long double>* g = resultado(r.cual);
            if (!enRango(g, i)) continue;
            const long double v = g->datos[0][i];
            dibujaBarra(r.img, r.color, anchoBarra(v));
            r.edit->setText(etiqueta(static_cast<double>(v)));
        }
    }
}
