// The explorer's node actions: input tables in the string grid, input files in
// the text viewer, input and result maps, the prediction for one species in a
// window of its own and the map windows.
#include <QAction>
#include <QBrush>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <exception>

#include "ui/Controles.h"
#include "ui/ProgresoBarra.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "engine/ejecutarQuel.h"
#include "render/pintores.h"
#include "render/ubicacionMapa.h"

namespace {

// A value of a single-precision table as the grid shows it: the shortest text
// that reads back as the same value.
QString numero(float v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return QString::fromLatin1(b, static_cast<qsizetype>(r.ptr - b));
}

// Text of a cell of `g`, keeping the cell's look when it has one.
void poneCelda(QTableWidget* g, int r, int c, const QString& t) {
    if (QTableWidgetItem* i = g->item(r, c))
        i->setText(t);
    else
        g->setItem(r, c, new QTableWidgetItem(t));
}

// The grid's size, its fixed row of headers (from column 1) and its fixed columns.
void formaTabla(QTableWidget* g, int renglones, int columnas, int fijas, const QStringList& titulos) {
    const QBrush fondoFijo(QColor(0xF0, 0xF0, 0xF0));
    g->setRowCount(renglones);
    g->setColumnCount(columnas);
    for (int c = 0; c < titulos.size() && c + 1 < columnas; ++c) poneCelda(g, 0, c + 1, titulos[c]);
    for (int c = 0; c < columnas; ++c) {
        if (!g->item(0, c)) poneCelda(g, 0, c, QString());
        g->item(0, c)->setBackground(fondoFijo);
    }
    for (int r = 1; r < renglones; ++r)
        for (int c = 0; c < fijas && c < columnas; ++c) {
            if (!g->item(r, c)) poneCelda(g, r, c, QString());
            g->item(r, c)->setBackground(fondoFijo);
        }
}

// Row number and coordinates of data row r (from 0).
void inicioFila(QTableWidget* g, int r, const TImagenN<float>* xy) {
    poneCelda(g, r + 1, 0, QString::number(r + 1));
    if (xy && xy->columnas >= 2 && r < xy->renglones) {
        poneCelda(g, r + 1, 1, numero(xy->datos[0][static_cast<std::size_t>(r)]));
        poneCelda(g, r + 1, 2, numero(xy->datos[1][static_cast<std::size_t>(r)]));
    }
}

constexpr int kAnchoEtiquetaVentana = 84;

}  // namespace

// ---- node actions ------------------------------------------------------------------

bool TFormPrincipal::eventFilter(QObject* obj, QEvent* e) {
    // Enter on the tree does what a double click does.
    if (obj == TreeViewExplorador && e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(e)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            TreeViewExploradorDblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

void TFormPrincipal::TreeViewExploradorDblClick() {
    if (ocupado_) return;
    QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n) return;
    const int s = estadoNodo(n);
    switch (s) {
        case kNodoCovariablesTabla:
        case kNodoSesgoTabla:
        case kNodoPrioriTabla:
        case kNodoSitiosTabla: muestraArchivo(sender(), s); return;
        case kNodoCovariablesArchivo:
        case kNodoSesgoArchivo:
        case kNodoPrioriArchivo:
        case kNodoSitiosArchivo: dialogos_.abreEditor(n->text(0)); return;
        case kNodoSesgoMapa: muestraMapaSesgo(); return;
        case kNodoPrioriMapa: muestraMapaPriori(); return;
        case kNodoSitiosMapa: muestraMapaSitios(0); return;
        case kNodoPredictivaRelativa: muestraMapaResultado(0, 0); return;
        case kNodoPredictivaAbsoluta: repitePrediccionAbsoluta(); return;
        case kNodoCertidumbreMapa: SpeedButtonCertidumbreClick(); return;
        case kNodoPotPrioriMapa: SpeedButtonPotPrioriClick(); return;
        case kNodoEvaluacion: muestraEvaluacion(); return;
        case kNodoGraficaROC:
        case kNodoGraficaBoyce:
        case kNodoGraficaImportancia:
        case kNodoGraficaRespuesta: {
            // A plot's parent is its species' node, the evaluation's child.
            QTreeWidgetItem* especie = n->parent();
            if (especie && especie->parent()) abreGrafica(s, especie->parent()->indexOfChild(especie));
            return;
        }
        default: break;
    }
    const int k = datos.numCovariables;
    const int especie = s - kNodoNombres - k;
    if (kNodoNombres < s && s - kNodoNombres <= k)
        muestraMapaCovariable(s - kNodoNombres - 1, false);
    else if (kNodoNombres < s && 0 < especie && especie <= datos.numEspecies)
        muestraMapaSitios(especie);
}

void TFormPrincipal::corre(ejecutarQuel& motorPropio, const copiaDatos& copia, int tipoPriori, int& codigo) {
    muestraProgreso(true);
    paso(-100);
    quel::ProgresoBarra progreso(ProgressBarMapa, 100);
    enSegundoPlano([&] {
        try {
            codigo = motorPropio.ejecuta(copia, tipoPriori, progreso);
        } catch (const std::exception&) {
            codigo = -1;
        }
    });
    muestraProgreso(false);
}

void TFormPrincipal::repitePrediccionAbsoluta() {
    if (!resultado(0) || !sitiosMapa || !entradasCompletas()) return;
    if (!empieza()) return;
    // The dataset's sites grid again from the window's copy of the sites.
    auto sitios = std::make_unique<TImagenN<float>>(sitiosMapa->renglones, 3);
    for (int c = 0; c < std::min(3, sitiosMapa->columnas); ++c) sitios->datos[c] = sitiosMapa->datos[c];
    datos.sitios = std::move(sitios);
    const int tipoPriori = quel::tipoPrioriElegido(tipoArchivo_);
    // The repeated run fills an engine of its own; its results replace the
    // shown ones only when it succeeds (a failure is not reported).
    auto nuevo = std::make_unique<ejecutarQuel>();
    int codigo = -1;
    corre(*nuevo, copiaDatos::de(datos), tipoPriori, codigo);
    if (codigo == 0) motor = std::move(nuevo);
    muestraMapaResultado(0, 1);
    termina();
}

// ---- tables --------------------------------------------------------------------------

void TFormPrincipal::muestraArchivo(QObject* /*sender*/, int tipo) {
    QTableWidget* g = StringGridDatos;
    alternaVista(false);
    g->clear();
    const QString lon = QStringLiteral("Longitud"), lat = QStringLiteral("Latitud");
    const TImagenN<float>* xy = datos.coordenadas.get();
    switch (tipo) {
        case kNodoCovariablesTabla: {
            if (!datos.covariables) break;
            const TImagenN<int>& cov = *datos.covariables;
            // Every covariate column and the region flag, each with its header.
            QStringList titulos{lon, lat};
            for (int k = 1; k < cov.columnas; ++k) titulos.append(QStringLiteral("Cov. [%1]").arg(k));
            titulos.append(QStringLiteral("Región"));
            formaTabla(g, cov.renglones + 1, cov.columnas + 3, 3, titulos);
            for (int r = 0; r < cov.renglones; ++r) {
                inicioFila(g, r, xy);
                for (int j = 0; j < cov.columnas; ++j) poneCelda(g, r + 1, j + 3, QString::number(cov.datos[j][r]));
            }
            break;
        }
        case kNodoSesgoTabla:
        case kNodoPrioriTabla: {
            const bool sesgo = tipo == kNodoSesgoTabla;
            const int filas = sesgo ? (datos.sesgo ? datos.sesgo->renglones : 0)
                                    : (datos.priori ? datos.priori->renglones : 0);
            formaTabla(g, filas + 1, 4, 3, {lon, lat, sesgo ? QStringLiteral("Sesgo") : QStringLiteral("A Priori")});
            if (!xy) {
                g->setRowCount(1);
                dialogos_.mensaje(this, QStringLiteral("WARNING"),
                                  QStringLiteral("Debe primero cargarse el archivo que contiene las covariables"),
                                  quel::IconoMensaje::Advertencia);
                break;
            }
            for (int r = 0; r < filas; ++r) {
                inicioFila(g, r, xy);
                poneCelda(g, r + 1, 3,
                      sesgo ? numero(datos.sesgo->datos[0][r]) : QString::number(datos.priori->datos[0][r]));
            }
            break;
        }
        case kNodoSitiosTabla: {
            if (!sitiosMapa) break;
            formaTabla(g, sitiosMapa->renglones + 1, 3, 0, {lon, lat});
            for (int r = 0; r < sitiosMapa->renglones; ++r) inicioFila(g, r, sitiosMapa.get());
            break;
        }
        default: break;
    }
}

// ---- windows -------------------------------------------------------------------------

quel::TImagen* TFormPrincipal::nuevaVentanaMapa(const QString& titulo, int izquierda, int arriba, int margen,
                                                const char* nombre) {
    std::erase_if(ventanas_, [](const QPointer<QWidget>& v) { return v.isNull(); });
    auto* v = new QWidget(this, Qt::Window);
    v->setAttribute(Qt::WA_DeleteOnClose);
    v->setObjectName(QString::fromLatin1(nombre));
    v->setWindowTitle(titulo);
    const QSize tam = ImageMapa->bitmap().size() + QSize(margen, margen);
    auto* img = new quel::TImagen(tam.width(), tam.height(), true, v);
    img->setObjectName(QStringLiteral("ImageVentana"));
    img->llena(qRgb(255, 255, 255));
    // The key beside the map: the gradient's bar between its two labels.
    auto* columna = new QWidget(v);
    columna->setObjectName(QStringLiteral("PanelLlave"));
    auto* lc = new QVBoxLayout(columna);
    lc->setContentsMargins(4, 4, 4, 4);
    auto* maximo = new quel::TEtiquetaFija(QString(), kAnchoEtiquetaVentana, columna);
    maximo->setObjectName(QStringLiteral("LabelMaxLlave"));
    auto* llave = new quel::TImagen(anchoLlave, altoLlave, false, columna);
    llave->setObjectName(QStringLiteral("ImageLlave"));
    auto* minimo = new quel::TEtiquetaFija(QString(), kAnchoEtiquetaVentana, columna);
    minimo->setObjectName(QStringLiteral("LabelMinLlave"));
    lc->addWidget(maximo);
    lc->addWidget(llave);
    lc->addWidget(minimo);
    lc->addStretch(1);
    auto* l = new QHBoxLayout(v);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(img, 1);
    l->addWidget(columna);
    v->resize(tam + QSize(kAnchoEtiquetaVentana + 8, 0));
    v->move(izquierda, arriba);
    ventanas_.emplace_back(v);
    return img;
}

void TFormPrincipal::llaveVentana(quel::TImagen* mapa, int gradiente, const QString& minimo, const QString& maximo) {
    QWidget* v = mapa->window();
    contornoRegion(mapa->bitmap(), gradiente);
    if (auto* llave = v->findChild<quel::TImagen*>(QStringLiteral("ImageLlave"))) {
        pintaLlave(paleta, llave->bitmap(), gradiente, 1);
        llave->update();
    }
    if (auto* l = v->findChild<QLabel*>(QStringLiteral("LabelMinLlave"))) l->setText(minimo);
    if (auto* l = v->findChild<QLabel*>(QStringLiteral("LabelMaxLlave"))) l->setText(maximo);
}

void TFormPrincipal::Realizar1Click() {
    if (ocupado_) return;
    QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n) return;
    const int s = estadoNodo(n);
    const int especie = s - kNodoNombres - datos.numCovariables;
    if (!(kNodoNombres < s && 0 < especie && especie <= datos.numEspecies)) return;
    if (!hay(kBanderaPredictiva) || !entradasCompletas() || !sitiosMapa || !datos.especies ||
        !datos.covariables || ubicacion.pixeles.renglones == 0)
        return;
    const QString nombre = n->text(0);
    // The species' own sites, in site order, for an engine of its own: the
    // dataset, the main results and their maps stay those of all species.
    const std::vector<std::string>& especies = datos.especies->datos[0];
    const int total = std::min(static_cast<int>(especies.size()), sitiosMapa->renglones);
    std::vector<int> propias;
    for (int i = 0; i < total; ++i)
        if (quel::textoDeBytes(especies[static_cast<std::size_t>(i)]) == nombre) propias.push_back(i);
    auto sitios = std::make_unique<TImagenN<float>>(static_cast<int>(propias.size()), 3);
    auto nombres = std::make_unique<TImagenN<AnsiString>>(static_cast<int>(propias.size()), 1);
    for (std::size_t j = 0; j < propias.size(); ++j) {
        sitios->datos[0][j] = sitiosMapa->datos[0][static_cast<std::size_t>(propias[j])];
        sitios->datos[1][j] = sitiosMapa->datos[1][static_cast<std::size_t>(propias[j])];
        nombres->datos[0][j] = especies[static_cast<std::size_t>(propias[j])];
    }
    if (!empieza()) return;
    copiaDatos copia = copiaDatos::de(datos);
    copia.sitios = sitios.get();
    copia.especies = nombres.get();
    copia.numEspecies = 1;
    const int tipoPriori = quel::tipoPrioriElegido(tipoArchivo_);
    ejecutarQuel propio;
    // A failure of this run is not reported: the window shows what there is.
    int codigo = -1;
    corre(propio, copia, tipoPriori, codigo);
    quel::TImagen* img = nuevaVentanaMapa(nombre, 600, 0, 10, "VentanaEspecie");
    if (propio.predictiva && propio.predictiva->renglones >= datos.covariables->renglones)
        pintaAbsoluto(paleta, img->bitmap(), *propio.predictiva, 0, *datos.covariables, ubicacion.pixeles,
                      gradientePredictiva, columnasMapa);
    llaveVentana(img, gradientePredictiva, QStringLiteral("0"), QStringLiteral("1"));
    img->window()->show();
    termina();
}

void TFormPrincipal::MostrarMapas1Click() {
    if (ocupado_) return;
    QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n || !datos.covariables || ubicacion.pixeles.renglones == 0) return;
    const int s = estadoNodo(n);
    const int k = datos.numCovariables;
    const TImagenN<int>& cov = *datos.covariables;
    if (s == kNodoCovariables || (kNodoNombres < s && s <= kNodoNombres + k)) {
        // One window per covariate, each with the covariate gradient.
        const TImagenN<AnsiString>* nombres = datos.nombresCovariables.get();
        for (int i = 0; i < k && i + 1 < cov.columnas; ++i) {
            QString titulo;
            if (nombres && nombres->columnas > 0 && i < nombres->renglones)
                titulo = quel::textoDeBytes(nombres->datos[0][static_cast<std::size_t>(i)]);
            quel::TImagen* img = nuevaVentanaMapa(titulo, 0, 30 * i, 10, "VentanaCovariable");
            pintaRelativo(paleta, img->bitmap(), cov, i, cov, ubicacion.pixeles, gradienteCovariables, columnasMapa, 0);
            llaveVentana(img, gradienteCovariables, etiqueta(paleta.minimo), etiqueta(paleta.maximo));
            img->window()->show();
        }
        pintaLlave(paleta, ImageRangoColor->bitmap(), gradienteCovariables, 0);
        ImageRangoColor->update();
    } else if (kNodoPredictiva <= s && s <= kNodoPotPrioriMapa) {
        // The four result maps.
        struct Ventana {
            int cual;
            bool absoluto;
            int gradiente;
            QAction* menu;
        };
        const Ventana ventanas[4] = {{0, false, gradientePredictiva, ExportPredictivaMenu},
                                     {0, true, gradientePredictiva, ExportPredictivaMenu},
                                     {1, false, gradienteCertidumbre, ExportCertidumbreMenu},
                                     {2, false, gradientePotPriori, ExportPotPrioriMenu}};
        if (!resultado(0) || !resultado(1) || !resultado(2)) return;
        for (int i = 0; i < 4; ++i) {
            const Ventana& v = ventanas[i];
            const TImagenN<long double>* r = resultado(v.cual);
            quel::TImagen* img = nuevaVentanaMapa(v.menu->text(), 300, 30 * i, 10, "VentanaResultado");
            if (v.absoluto) {
                pintaAbsoluto(paleta, img->bitmap(), *r, 0, cov, ubicacion.pixeles, v.gradiente, columnasMapa);
                llaveVentana(img, v.gradiente, QStringLiteral("0"), QStringLiteral("1"));
            } else {
                pintaRelativo(paleta, img->bitmap(), *r, 0, cov, ubicacion.pixeles, v.gradiente, columnasMapa, 0);
                llaveVentana(img, v.gradiente, etiqueta(paleta.minimo), etiqueta(paleta.maximo));
            }
            img->window()->show();
        }
    }
}
