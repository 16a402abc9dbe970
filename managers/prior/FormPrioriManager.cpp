#include "managers/prior/FormPrioriManager.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/Controles.h"
#include "ui/filtrosRaster.h"
#include "data/LectorASCII.h"
#include "data/cargaArchivo.h"
#include "managers/covariates/constructorTabla.h"

namespace fs = std::filesystem;
using quel::texto;

namespace {

constexpr int kRolTipo = Qt::UserRole;      // node kind
constexpr int kRolRuta = Qt::UserRole + 1;  // the file a node stands for

template <class T>
T* nombra(T* o, const char* nombre) {
    o->setObjectName(QString::fromLatin1(nombre));
    return o;
}

// A menu item follows the enabled state of the button it stands for.
class EspejoHabilitado final : public QObject {
public:
    EspejoHabilitado(QToolButton* boton, QAction* accion) : QObject(boton), accion_(accion) {
        boton->installEventFilter(this);
        accion->setEnabled(boton->isEnabled());
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::EnabledChange) accion_->setEnabled(static_cast<QWidget*>(o)->isEnabled());
        return false;
    }

private:
    QAction* accion_;
};

// A class value as the main window's integer prior table holds it.
int comoEntero(long double v) {
    if (!std::isfinite(v) || v <= static_cast<long double>(std::numeric_limits<int>::min()) - 1.0L ||
        v >= static_cast<long double>(std::numeric_limits<int>::max()) + 1.0L)
        return 0;
    return static_cast<int>(v);
}

bool sinDato(long double v, double nodata) { return std::isnan(v) || quel::esSinDato(static_cast<double>(v), nodata); }

}  // namespace

const QString TFormPrioriManager::kTituloGuardado = QStringLiteral("Archivo guardado");
const QString TFormPrioriManager::kTextoGuardado = QStringLiteral("El archivo fue guardado exitosamente");
const QString TFormPrioriManager::kTituloFalla = QStringLiteral("Falla mostrar");
const QString TFormPrioriManager::kTextoFalla = QStringLiteral("No es una opcion que pueda ser mostrada");

TFormPrioriManager::TFormPrioriManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre)
    : QMainWindow(padre),
      exportador(servicios->raiz()),
      transformacion(exportador, servicios->carpetaTrabajo()),
      s_(std::move(servicios)) {
    setObjectName(QStringLiteral("TFormPrioriManager"));
    setWindowTitle(QStringLiteral("Administrador de Informacion a Priori"));
    construyeControles();
    resize(900, 600);
}

TFormPrioriManager::~TFormPrioriManager() = default;

// ---- construction ---------------------------------------------------------------------

void TFormPrioriManager::construyeControles() {
    ToolBar1 = nombra(addToolBar(QStringLiteral("ToolBarHerramientas")), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    auto boton = [&](const char* nombre, QStyle::StandardPixmap icono, const QString& pista, bool on,
                     void (TFormPrioriManager::*h)()) {
        auto* b = nombra(new QToolButton(ToolBar1), nombre);
        b->setIcon(style()->standardIcon(icono));
        b->setToolTip(pista);
        b->setFixedSize(42, 42);
        b->setEnabled(on);
        ToolBar1->addWidget(b);
        connect(b, &QToolButton::clicked, this, h);
        return b;
    };
    auto separador = [&](const char* nombre) { nombra(ToolBar1->addSeparator(), nombre); };
    SpeedButtonCargaASCII = boton("SpeedButtonCargaASCII", QStyle::SP_DirOpenIcon,
                                  QStringLiteral("Carga ASCII base"), true, &TFormPrioriManager::SpeedButtonCargaASCIIClick);
    SpeedButtonCargaPrioriASCII =
        boton("SpeedButtonCargaPrioriASCII", QStyle::SP_FileDialogStart, QStringLiteral("Carga ASCII priori"), true,
              &TFormPrioriManager::SpeedButtonCargaPrioriASCIIClick);
    SpeedButtonBorra = boton("SpeedButtonBorra", QStyle::SP_TrashIcon, QStringLiteral("Borrar"), false,
                             &TFormPrioriManager::SpeedButtonBorraClick);
    separador("Splitter1");
    SpeedButtonTrans = boton("SpeedButtonTrans", QStyle::SP_MediaPlay, QStringLiteral("Transformar"), true,
                             &TFormPrioriManager::SpeedButtonTransClick);
    SpeedButtonGuarda = boton("SpeedButtonGuarda", QStyle::SP_DialogSaveButton, QStringLiteral("Guardar"), false,
                              &TFormPrioriManager::SpeedButtonGuardaClick);
    separador("Splitter2");
    SpeedButtonCargaPriori = boton("SpeedButtonCargaPriori", QStyle::SP_ArrowRight,
                                   QStringLiteral("Carga en principal"), false,
                                   &TFormPrioriManager::SpeedButtonCargaPrioriClick);
    separador("Splitter3");
    SpeedButtonCerrar = boton("SpeedButtonCerrar", QStyle::SP_DialogCloseButton, QStringLiteral("Cerrar"), true,
                              &TFormPrioriManager::SpeedButtonCerrarClick);

    // The menu items do what their buttons do, when their buttons can.
    MainMenuPriorManager = nombra(menuBar(), "MainMenuPriorManager");
    auto item = [&](QMenu* menu, const char* nombre, const QString& t, QToolButton* b) {
        auto* a = nombra(menu->addAction(t), nombre);
        connect(a, &QAction::triggered, b, &QToolButton::click);
        new EspejoHabilitado(b, a);
        return a;
    };
    Archivo1 = nombra(MainMenuPriorManager->addMenu(QStringLiteral("Archivo")), "Archivo1");
    CargaASCIIBase1 = item(Archivo1, "CargaASCIIBase1", QStringLiteral("Carga ASCII Base..."), SpeedButtonCargaASCII);
    CargaASCIIPriori1 =
        item(Archivo1, "CargaASCIIPriori1", QStringLiteral("Carga ASCII Priori..."), SpeedButtonCargaPrioriASCII);
    Guardar1 = item(Archivo1, "Guardar1", QStringLiteral("Guardar..."), SpeedButtonGuarda);
    Salir1 = item(Archivo1, "Salir1", QStringLiteral("Salir"), SpeedButtonCerrar);
    Ejecutar1 = nombra(MainMenuPriorManager->addMenu(QStringLiteral("Ejecutar")), "Ejecutar1");
    Ejecutar2 = item(Ejecutar1, "Ejecutar2", QStringLiteral("Ejecutar"), SpeedButtonTrans);
    CargaPrincipal1 = item(Ejecutar1, "CargaPrincipal1", QStringLiteral("Carga en principal"), SpeedButtonCargaPriori);

    auto* centro = nombra(new QSplitter(Qt::Horizontal, this), "SplitterCentro");
    auto* vista = nombra(new QWidget(centro), "PanelMapa");
    ImageMapa = nombra(new quel::TImagen(640, 480, true, vista), "ImageMapa");
    ImageMapa->llena(qRgb(255, 255, 255));
    LlaveMapa = nombra(new quel::TLlaveClases(vista), "LlaveMapa");
    LlaveMapa->setFixedWidth(190);
    auto* filaMapa = new QHBoxLayout(vista);
    filaMapa->setContentsMargins(0, 0, 0, 0);
    filaMapa->addWidget(ImageMapa, 1);
    filaMapa->addWidget(LlaveMapa);
    PanelExplorador = nombra(new QFrame(centro), "PanelExplorador");
    auto* caja = new QVBoxLayout(PanelExplorador);
    caja->setContentsMargins(0, 0, 0, 0);
    TreeViewExplorador = nombra(new QTreeWidget(PanelExplorador), "TreeViewExplorador");
    TreeViewExplorador->setHeaderHidden(true);
    caja->addWidget(TreeViewExplorador);
    connect(TreeViewExplorador, &QTreeWidget::itemDoubleClicked, this, &TFormPrioriManager::TreeViewExploradorDblClick);
    centro->addWidget(vista);
    centro->addWidget(PanelExplorador);
    centro->setStretchFactor(0, 1);
    setCentralWidget(centro);
}

// ---- window routines -----------------------------------------------------------------------

int TFormPrioriManager::tipoNodo(const QTreeWidgetItem* n) { return n ? n->data(0, kRolTipo).toInt() : -1; }

void TFormPrioriManager::agregaNodoPriori(int tipo, const QString& archivo) {
    static const char* const grupos[] = {"ASCII Base", "ASCII Priori", "Informacion a Priori"};
    static const QStyle::StandardPixmap iconos[] = {QStyle::SP_DriveHDIcon, QStyle::SP_DirIcon,
                                                    QStyle::SP_FileDialogDetailedView};
    if (tipo < 0 || tipo > 2) return;
    const int k = tipo * 3;
    const QString ruta =
        tipo == 2 ? quel::rutaTexto(transformacion.rutaTemporal()) : archivo;
    auto* grupo = new QTreeWidgetItem(TreeViewExplorador, QStringList(QString::fromLatin1(grupos[tipo])));
    grupo->setData(0, kRolTipo, k);
    grupo->setIcon(0, style()->standardIcon(iconos[tipo]));
    const QStyle::StandardPixmap hijos[] = {QStyle::SP_FileIcon, QStyle::SP_DesktopIcon};
    for (int h = 1; h <= 2; ++h) {
        auto* n = new QTreeWidgetItem(grupo, QStringList(archivo));
        n->setData(0, kRolTipo, k + h);
        n->setData(0, kRolRuta, ruta);
        n->setIcon(0, style()->standardIcon(hijos[h - 1]));
    }
    grupo->setExpanded(true);
}

void TFormPrioriManager::llenaMapa(QRgb color) {
    LlaveMapa->fijaClases({});
    ImageMapa->llena(color);
    ImageMapa->update();
}

void TFormPrioriManager::dibujaMapa(quel::TImagen* imagen, int tipo) {
    const TImagenN<long double>* tabla = tipo == 0   ? transformacion.base.get()
                                         : tipo == 1 ? transformacion.priori.get()
                                                     : transformacion.transformada.get();
    if (!tabla || tabla->columnas < 1) return;
    // The transformed table has the base grid's cells.
    const auto& enc = tipo == 1 ? encabezadoPriori : encabezadoBase;
    const int ncols = static_cast<int>(enc[0]);
    const int nrows = static_cast<int>(enc[1]);
    if (ncols < 1 || nrows < 1) return;
    QImage& img = imagen->bitmap();
    const int w = std::max(1, img.width() / ncols);
    const int h = std::max(1, img.height() / nrows);
    auto color = [&](long double v) -> QRgb {
        if (tipo == 0) return sinDato(v, enc[5]) ? kMarino : kVerde;
        if (v == 1) return kVerdeClaro;
        if (v == 3) return kRojo;
        if (v == 2 && tipo == 2) return kAmbar;
        return kMarino;
    };
    // Cell (c, r) fills its own square; the last column and the last row
    // reach the picture's right and bottom edges.
    QPainter g(&img);
    int c = 0;
    int r = 0;
    for (const long double v : tabla->datos[0]) {
        if (r >= nrows) break;
        const int x = c * w;
        const int y = r * h;
        const int ancho = c == ncols - 1 ? std::max(w, img.width() - x) : w;
        const int alto = r == nrows - 1 ? std::max(h, img.height() - y) : h;
        g.fillRect(x, y, ancho, alto, QColor::fromRgb(color(v)));
        if (++c == ncols) {
            c = 0;
            ++r;
        }
    }
    g.end();
    imagen->update();
    if (imagen == ImageMapa) LlaveMapa->fijaClases(clasesDe(tipo));
}

std::vector<quel::TLlaveClases::Clase> TFormPrioriManager::clasesDe(int tipo) {
    switch (tipo) {
        case 0:
            return {{kVerde, QStringLiteral("Dentro de la región")},
                    {kMarino, QStringLiteral("Sin datos: fuera de la región")}};
        case 1:
            return {{kVerdeClaro, QStringLiteral("1: presencia probable")},
                    {kRojo, QStringLiteral("3: ausencia probable")},
                    {kMarino, QStringLiteral("Sin datos u otro valor")}};
        default:
            return {{kVerdeClaro, QStringLiteral("1: presencia probable")},
                    {kAmbar, QStringLiteral("2: desconocido")},
                    {kRojo, QStringLiteral("3: ausencia probable")},
                    {kMarino, QStringLiteral("0: fuera de la región")}};
    }
}

void TFormPrioriManager::limpiaVentana() {
    transformacion.base.reset();
    transformacion.priori.reset();
    transformacion.transformada.reset();
    transformacion.celdasBase = 0;
    transformacion.celdasPriori = 0;
    llenaMapa(qRgb(255, 255, 255));
    TreeViewExplorador->clear();
    for (QToolButton* b : {SpeedButtonCargaASCII, SpeedButtonCargaPrioriASCII, SpeedButtonTrans}) b->setEnabled(true);
    for (QToolButton* b : {SpeedButtonBorra, SpeedButtonGuarda, SpeedButtonCargaPriori}) b->setEnabled(false);
}

QTreeWidgetItem* TFormPrioriManager::nodoSeleccionado() const {
    const auto seleccion = TreeViewExplorador->selectedItems();
    if (!seleccion.isEmpty()) return seleccion.first();
    return nullptr;
}

// ---- commands -----------------------------------------------------------------------------------

void TFormPrioriManager::avisoCeldas() {
    s_->dialogos().mensaje(this, QStringLiteral("WARNING"), QString::fromLatin1(transformacionPriori::kAdvertencia),
                           quel::IconoMensaje::Advertencia);
}

bool TFormPrioriManager::cargaGrid(bool esBase) {
    quel::PeticionArchivo p;
    p.carpeta = quel::rutaTexto(s_->raiz().mapea("C:\\Quel\\Grids"));
    p.filtro = quel::conGeoTIFF(texto(s_->tablas().textosDialogo[2]));
    const auto elegido = s_->dialogos().abreArchivo(this, p);
    if (!elegido) return false;
    const fs::path ruta = quel::rutaLocal(elegido->ruta);
    int codigo = 0;
    s_->enSegundoPlano(
        [&] { codigo = esBase ? transformacion.cargaBase(ruta) : transformacion.cargaPriori(ruta); });
    if (codigo != 0) {
        s_->muestraError(codigo, exportador.error().linea);
        return false;
    }
    (esBase ? encabezadoBase : encabezadoPriori) = exportador.encabezado;
    rutasGrid_[esBase ? 0 : 1] = ruta;
    // Both grids must cover the same cells; a mismatch is told at once.
    if (transformacion.celdasDifieren()) avisoCeldas();
    (esBase ? SpeedButtonCargaASCII : SpeedButtonCargaPrioriASCII)->setEnabled(false);
    SpeedButtonBorra->setEnabled(true);
    agregaNodoPriori(esBase ? 0 : 1, elegido->ruta);
    llenaMapa(kMarino);
    dibujaMapa(ImageMapa, esBase ? 0 : 1);
    return true;
}

void TFormPrioriManager::SpeedButtonCargaASCIIClick() { cargaGrid(true); }

void TFormPrioriManager::SpeedButtonCargaPrioriASCIIClick() { cargaGrid(false); }

void TFormPrioriManager::SpeedButtonTransClick() {
    if (!transformacion.base || !transformacion.priori) return;
    const int codigo = transformacion.transforma();
    if (codigo == codigos::kRenglonesDifieren) {
        avisoCeldas();
        return;
    }
    if (codigo != 0) {
        s_->muestraError(codigo, 0);
        return;
    }
    SpeedButtonTrans->setEnabled(false);
    SpeedButtonGuarda->setEnabled(true);
    if (s_->bandera(2) == 0 && s_->bandera(0) == 1) SpeedButtonCargaPriori->setEnabled(true);
    agregaNodoPriori(2, QStringLiteral("PrioriTmp.txt"));
    dibujaMapa(ImageMapa, 2);
}

void TFormPrioriManager::SpeedButtonGuardaClick() {
    if (!transformacion.transformada) return;
    quel::PeticionArchivo p;
    p.filtro = texto(s_->tablas().textosDialogo[1]);
    const auto elegido = s_->dialogos().guardaArchivo(this, p);
    if (!elegido) return;
    if (quel::salidaEsEntrada(s_->dialogos(), this, constructorTabla::conExtension(quel::rutaLocal(elegido->ruta)),
                              {rutasGrid_[0], rutasGrid_[1]}))
        return;
    if (transformacion.guarda(quel::rutaLocal(elegido->ruta)))
        s_->dialogos().mensaje(this, kTituloGuardado, kTextoGuardado, quel::IconoMensaje::Informacion);
    else
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"),
                               QStringLiteral("No se pudo guardar el archivo %1").arg(elegido->ruta),
                               quel::IconoMensaje::Error);
}

void TFormPrioriManager::SpeedButtonCargaPrioriClick() {
    if (!transformacion.transformada || s_->bandera(2) != 0 || s_->bandera(0) != 1) return;
    // A prediction refuses classes other than 0..3: the line of the first one.
    if (transformacion.clasesFuera > 0) {
        s_->muestraError(codigos::kRango, static_cast<int>(transformacion.primeraFuera + 1));
        return;
    }
    const auto& t = transformacion.transformada->datos[0];
    auto tabla = std::make_unique<TImagenN<int>>(transformacion.celdasBase, 1);
    for (std::size_t i = 0; i < t.size() && i < tabla->datos[0].size(); ++i) tabla->datos[0][i] = comoEntero(t[i]);
    s_->registraPriori(std::move(tabla), quel::rutaTexto(transformacion.rutaTemporal()));
    SpeedButtonCerrarClick();
}

void TFormPrioriManager::SpeedButtonBorraClick() {
    QTreeWidgetItem* n = nodoSeleccionado();
    switch (tipoNodo(n)) {
        case kBase: limpiaVentana(); break;
        case kPriori:
            transformacion.priori.reset();
            llenaMapa(kMarino);
            // The group node goes with its children.
            std::unique_ptr<QTreeWidgetItem>(TreeViewExplorador->takeTopLevelItem(
                TreeViewExplorador->indexOfTopLevelItem(n)));
            SpeedButtonCargaPrioriASCII->setEnabled(true);
            SpeedButtonTrans->setEnabled(true);
            break;
        default: break;
    }
}

void TFormPrioriManager::SpeedButtonCerrarClick() {
    limpiaVentana();
    const float t = static_cast<float>(s_->segundosAbierto());
    s_->agregaLog(quel::lineaTiempo(*s_, static_cast<double>(t)));
    s_->muestraPrincipal();
    cerrando_ = true;
    hide();
    cerrando_ = false;
}

void TFormPrioriManager::TreeViewExploradorDblClick() {
    QTreeWidgetItem* n = nodoSeleccionado();
    if (!n) n = TreeViewExplorador->currentItem();
    const int k = tipoNodo(n);
    if (k == 1 || k == 4 || k == 7) {
        s_->dialogos().abreEditor(n->data(0, kRolRuta).toString());
    } else if (k == 2 || k == 5 || k == 8) {
        dibujaMapa(ImageMapa, k / 3);
    } else {
        s_->dialogos().mensaje(this, kTituloFalla, kTextoFalla, quel::IconoMensaje::Informacion);
    }
}

void TFormPrioriManager::closeEvent(QCloseEvent* e) {
    if (!cerrando_ && isVisible()) SpeedButtonCerrarClick();
    e->accept();
}

namespace quel {
std::unique_ptr<QWidget> creaTFormPrioriManager(std::shared_ptr<ServiciosPrincipal> servicios) {
    return std::make_unique<TFormPrioriManager>(std::move(servicios));
}
}  // namespace quel
