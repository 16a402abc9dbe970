#include "app/principalMainQuel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <thread>

#include "app/BloqueoEntrada.h"
#include "ui/Controles.h"
#include "ui/ProgresoBarra.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "engine/ejecutarQuel.h"

using quel::TImagen;
using quel::TRadioGroup;

namespace {

// Width of the labels beside the map's key, room for "-0.001234" and "-1.235E-10".
constexpr int kAnchoEtiquetaLlave = 84;

template <class T>
T* nombra(T* w, const char* nombre) {
    w->setObjectName(QString::fromLatin1(nombre));
    return w;
}

// A simple drawn glyph for the tool buttons.
// A read-only text field.
QLineEdit* campoLectura(const char* nombre, bool on) {
    auto* e = nombra(new QLineEdit, nombre);
    e->setReadOnly(true);
    e->setEnabled(on);
    return e;
}

QIcon glifo(const QString& texto, QColor fondo) {
    QPixmap p(24, 24);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(fondo);
    g.setPen(fondo.darker(150));
    g.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
    g.setPen(Qt::white);
    QFont f = g.font();
    f.setBold(true);
    f.setPixelSize(texto.size() > 1 ? 10 : 14);
    g.setFont(f);
    g.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, texto);
    return QIcon(p);
}

}  // namespace

TFormPrincipal::TFormPrincipal(quel::RaizDatos raiz, quel::Dialogos& dialogos,
                               std::filesystem::path carpetaTrabajo, QWidget* padre)
    : QMainWindow(padre),
      datos(std::move(carpetaTrabajo)),
      motor(std::make_unique<ejecutarQuel>()),
      raiz_(std::move(raiz)),
      dialogos_(dialogos),
      bloqueo_(std::make_unique<quel::BloqueoEntrada>()) {
    setObjectName(QStringLiteral("TFormPrincipal"));
    setWindowTitle(QStringLiteral("Quel beta 0.9"));
    construyeMenus();
    construyeControles();
    conecta();
    textosEvaluacion();
    ImageAuxiliar = QImage(105, 105, QImage::Format_RGB32);
    ImageAuxiliar.fill(Qt::white);
    resize(1280, 860);
}

TFormPrincipal::~TFormPrincipal() { bloqueo_->activa(false); }

void TFormPrincipal::fijaVentanas(TFormTipoArchivo* tipoArchivo, QWidget* covManager, QWidget* prioriManager,
                                  QWidget* biasManager) {
    tipoArchivo_ = tipoArchivo;
    covManager_ = covManager;
    prioriManager_ = prioriManager;
    biasManager_ = biasManager;
}

// ---- construction --------------------------------------------------------------

void TFormPrincipal::construyeMenus() {
    auto accion = [this](const char* nombre, const QString& texto, bool on) {
        auto* a = nombra(new QAction(texto, this), nombre);
        a->setEnabled(on);
        return a;
    };
    QMenuBar* barra = menuBar();
    Archivo1 = nombra(barra->addMenu(QStringLiteral("&Archivo")), "Archivo1");
    Cargar1 = nombra(Archivo1->addMenu(QStringLiteral("Cargar")), "Cargar1");
    CovsMenu = accion("CovsMenu", QStringLiteral("Covariables"), true);
    BiasMenu = accion("BiasMenu", QStringLiteral("Sesgo Espacial"), false);
    PrioriMenu = accion("PrioriMenu", QStringLiteral("Informacion a Priori"), false);
    SitiosMenu = accion("SitiosMenu", QStringLiteral("Sitios de Presencia"), false);
    Cargar1->addActions({CovsMenu, BiasMenu, PrioriMenu, SitiosMenu});
    Exportar1 = nombra(Archivo1->addMenu(QStringLiteral("Exportar Archivo...")), "Exportar1");
    ExportPredictivaMenu = accion("ExportPredictivaMenu", QStringLiteral("Probabilidad predictiva"), false);
    ExportCertidumbreMenu = accion("ExportCertidumbreMenu", QStringLiteral("Certidumbre"), false);
    ExportPotPrioriMenu = accion("ExportPotPrioriMenu", QStringLiteral("Potencial Priori"), false);
    Exportar1->addActions({ExportPredictivaMenu, ExportCertidumbreMenu, ExportPotPrioriMenu});
    ExportImagen = accion("ExportImagen", QStringLiteral("Exportar Imagen..."), false);
    Archivo1->addAction(ExportImagen);
    Archivo1->addSeparator();
    Salir = accion("Salir", QStringLiteral("&Salir"), true);
    Archivo1->addAction(Salir);

    Ejecutar1 = nombra(barra->addMenu(QStringLiteral("&Ejecutar")), "Ejecutar1");
    EjecutarMenu = accion("EjecutarMenu", QStringLiteral("Ejecutar"), false);
    BorrarUnoMenu = accion("BorrarUnoMenu", QStringLiteral("Borrar archivo"), false);
    BorrarTodosMenu = accion("BorrarTodosMenu", QStringLiteral("Borrar todos"), false);
    EvaluarMenu = accion("EvaluarMenu", QString(), false);
    Ejecutar1->addActions({EjecutarMenu, EvaluarMenu, BorrarUnoMenu, BorrarTodosMenu});

    Herramientas1 = nombra(barra->addMenu(QStringLiteral("&Herramientas")), "Herramientas1");
    AdmonCovsMenu = accion("AdmonCovsMenu", QStringLiteral("Administrador de covariables"), true);
    AdmonPrioriMenu = accion("AdmonPrioriMenu", QStringLiteral("Administrador de info. a priori"), true);
    Herramientas1->addActions({AdmonCovsMenu, AdmonPrioriMenu});

    Preferencias1 = nombra(barra->addMenu(QStringLiteral("&Preferencias")), "Preferencias1");
    CambiarLenguaMenu = accion("CambiarLenguaMenu", QStringLiteral("Lenguaje"), true);
    Preferencias1->addAction(CambiarLenguaMenu);

    PopupMenuExplorador = nombra(new QMenu(this), "PopupMenuExplorador");
    MostrarMapa1 = accion("MostrarMapa1", QStringLiteral("Mostrar mapa o  archivo"), false);
    Realizar1 = accion("Realizar1", QStringLiteral("Realizar prediccion"), false);
    MostrarMapas1 = accion("MostrarMapas1", QStringLiteral("Mostrar Mapas"), false);
    PopupMenuExplorador->addActions({MostrarMapa1, Realizar1, MostrarMapas1});
}

void TFormPrincipal::construyeControles() {
    construyeBarras();
    auto* vertical = nombra(new QSplitter(Qt::Vertical), "SplitterVertical");
    auto* horizontal = nombra(new QSplitter(Qt::Horizontal), "SplitterHorizontal");
    horizontal->addWidget(construyePestanas());
    horizontal->addWidget(construyeCentro());
    horizontal->setStretchFactor(1, 1);
    vertical->addWidget(horizontal);
    vertical->addWidget(construyeInferior());
    vertical->setStretchFactor(0, 1);
    vertical->setSizes({680, 140});
    setCentralWidget(vertical);
}

void TFormPrincipal::construyeBarras() {
    auto boton = [this](const char* nombre, const QString& hint, const QIcon& icono, bool on) {
        auto* b = nombra(new QToolButton(this), nombre);
        b->setToolTip(hint);
        b->setIcon(icono);
        b->setIconSize(QSize(24, 24));
        b->setAutoRaise(true);
        b->setEnabled(on);
        return b;
    };
    // Tool bar.
    auto* barra = nombra(new QToolBar(this), "ToolBarPrincipal");
    barra->setMovable(false);
    addToolBar(Qt::TopToolBarArea, barra);
    SpeedButtonCargaCov = boton("SpeedButtonCargaCov", QStringLiteral("Carga covariables (coberturas)"),
                                glifo(QStringLiteral("C"), QColor(40, 90, 170)), true);
    SpeedButtonCargaSesgo =
        boton("SpeedButtonCargaSesgo", QStringLiteral("Carga sesgo"), glifo(QStringLiteral("S"), QColor(170, 90, 40)), false);
    SpeedButtonCargaPriori = boton("SpeedButtonCargaPriori", QStringLiteral("Carga información a priori"),
                                   glifo(QStringLiteral("P"), QColor(40, 140, 60)), false);
    SpeedButtonCargaSites = boton("SpeedButtonCargaSites", QStringLiteral("Carga sitios de presencia"),
                                  glifo(QStringLiteral("\u25CF"), QColor(150, 40, 150)), false);
    SpeedButtonBorraTodos = boton("SpeedButtonBorraTodos", QStringLiteral("Limpiar pantalla"),
                                  glifo(QStringLiteral("\u2716\u2716"), QColor(120, 120, 120)), false);
    SpeedButtonBorraUno =
        boton("SpeedButtonBorraUno", QStringLiteral("Quitar archivo"), glifo(QStringLiteral("\u2716"), QColor(150, 60, 60)), false);
    SpeedButtonEjecutar = boton("SpeedButtonEjecutar", QStringLiteral("Ejecutar prediccion"),
                                glifo(QStringLiteral("\u25B6"), QColor(30, 140, 30)), false);
    SpeedButtonEvaluar = boton("SpeedButtonEvaluar", QString(), glifo(QStringLiteral("Ev"), QColor(30, 110, 140)), false);
    SpeedButtonProbabilidad = boton("SpeedButtonProbabilidad", QStringLiteral("Mapa de prediccion"),
                                    glifo(QStringLiteral("Pr"), QColor(200, 60, 30)), false);
    SpeedButtonCertidumbre = boton("SpeedButtonCertidumbre", QStringLiteral("Mapa de certidumbre"),
                                   glifo(QStringLiteral("Ce"), QColor(120, 120, 40)), false);
    SpeedButtonPotPriori = boton("SpeedButtonPotPriori", QStringLiteral("Mapa de potencial priori"),
                                 glifo(QStringLiteral("Po"), QColor(60, 140, 30)), false);
    for (QToolButton* b : {SpeedButtonCargaCov, SpeedButtonCargaSesgo, SpeedButtonCargaPriori, SpeedButtonCargaSites})
        barra->addWidget(b);
    barra->addSeparator();
    for (QToolButton* b : {SpeedButtonBorraTodos, SpeedButtonBorraUno}) barra->addWidget(b);
    barra->addSeparator();
    barra->addWidget(SpeedButtonEjecutar);
    barra->addWidget(SpeedButtonEvaluar);
    barra->addSeparator();
    for (QToolButton* b : {SpeedButtonProbabilidad, SpeedButtonCertidumbre, SpeedButtonPotPriori}) barra->addWidget(b);

    // Side bar: the doors to the managers.
    auto* lado = nombra(new QToolBar(this), "ToolBarGestores");
    lado->setMovable(false);
    addToolBar(Qt::LeftToolBarArea, lado);
    SpeedButtonCovariables = boton("SpeedButtonCovariables", QStringLiteral("Administrador de covariables"),
                                   glifo(QStringLiteral("AC"), QColor(40, 90, 170)), true);
    SpeedButtonPriori = boton("SpeedButtonPriori", QStringLiteral("Administrador de sesgo"),
                              glifo(QStringLiteral("AP"), QColor(40, 140, 60)), true);
    SpeedButtonSesgo = boton("SpeedButtonSesgo", QString(), glifo(QStringLiteral("AS"), QColor(170, 90, 40)), true);
    for (QToolButton* b : {SpeedButtonCovariables, SpeedButtonPriori, SpeedButtonSesgo}) lado->addWidget(b);
}

QWidget* TFormPrincipal::construyePestanas() {
    // Left: the three tabs.
    PageControl = nombra(new QTabWidget, "PageControl");
    TabSheetExplorador = nombra(new QWidget, "TabSheetExplorador");
    TabSheetColor = nombra(new QWidget, "TabSheetColor");
    TabSheetDatos = nombra(new QWidget, "TabSheetDatos");
    PageControl->addTab(TabSheetExplorador, QStringLiteral("Explorador"));
    PageControl->addTab(TabSheetColor, QStringLiteral("Colores"));
    PageControl->addTab(TabSheetDatos, QStringLiteral("Datos Mapa"));
    PageControl->setMinimumWidth(280);

    TreeViewExplorador = nombra(new QTreeWidget(TabSheetExplorador), "TreeViewExplorador");
    TreeViewExplorador->setHeaderHidden(true);
    TreeViewExplorador->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* le = new QVBoxLayout(TabSheetExplorador);
    le->setContentsMargins(2, 2, 2, 2);
    le->addWidget(TreeViewExplorador);

    ImageRangoColor = nombra(new TImagen(anchoRangoColor, altoRangoColor, false), "ImageRangoColor");
    // Only the painted part of the bar (its first columns and rows) shows.
    ImageRangoColor->setFixedSize(altoRangoColor - 122, 24);
    // The two labels share the bar's width: whatever their texts, nothing moves.
    const int anchoBarraColor = altoRangoColor - 122;
    LabelMinimo = nombra(new quel::TEtiquetaFija(QStringLiteral("Min"), anchoBarraColor / 2), "LabelMinimo");
    LabelMaximo = nombra(new quel::TEtiquetaFija(QStringLiteral("Max"), anchoBarraColor - anchoBarraColor / 2),
                         "LabelMaximo");
    LabelMaximo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RadioGroupColores = nombra(new TRadioGroup(QStringLiteral("Degradados")), "RadioGroupColores");
    RadioGroupColores->fijaElementos({QStringLiteral("Azul - Rojo"), QStringLiteral("Café claro - oscuro"),
                                      QStringLiteral("Verde - Rojo"), QStringLiteral("Negro - Rojo"),
                                      QStringLiteral("Rojo - Amarillo"), QStringLiteral("Blanco - Verde"),
                                      QStringLiteral("Rojo - Azul")});
    RadioGroupColores->setEnabled(false);
    ButtonCambioColor = nombra(new QPushButton(QStringLiteral("Cambiar")), "ButtonCambioColor");
    ButtonCambioColor->setEnabled(false);
    auto* lc = new QGridLayout(TabSheetColor);
    lc->addWidget(ImageRangoColor, 0, 0, 1, 2, Qt::AlignLeft);
    lc->addWidget(LabelMinimo, 1, 0, Qt::AlignLeft);
    lc->addWidget(LabelMaximo, 1, 1, Qt::AlignLeft);
    lc->setColumnStretch(2, 1);
    lc->addWidget(RadioGroupColores, 2, 0, 1, 2);
    lc->addWidget(ButtonCambioColor, 3, 0, 1, 2);
    lc->setRowStretch(4, 1);
    construyeDatosMapa();
    return PageControl;
}

void TFormPrincipal::construyeDatosMapa() {
    auto barraDatos = [](const char* nombre) {
        auto* i = nombra(new TImagen(185, 25, false), nombre);
        i->llena(qRgb(0x4B, 0x4B, 0x4B));
        return i;
    };
    const auto edit = campoLectura;
    LabelSesgo = nombra(new QLabel(QStringLiteral("Sesgo Espacial")), "LabelSesgo");
    LabelPriori = nombra(new QLabel(QStringLiteral("Informacion a Priori")), "LabelPriori");
    LabelPredictiva = nombra(new QLabel(QStringLiteral("Probabilidad predictiva")), "LabelPredictiva");
    LabelCertidumbre = nombra(new QLabel(QStringLiteral("Certidumbre")), "LabelCertidumbre");
    LabelPotPriori = nombra(new QLabel(QStringLiteral("Potencial Priori")), "LabelPotPriori");
    ImageSesgo = barraDatos("ImageSesgo");
    ImagePriori = barraDatos("ImagePriori");
    ImagePredictiva = barraDatos("ImagePredictiva");
    ImageCertidumbre = barraDatos("ImageCertidumbre");
    ImagePotPriori = barraDatos("ImagePotPriori");
    EditSesgo = edit("EditSesgo", false);
    EditPriori = edit("EditPriori", false);
    EditPredictiva = edit("EditPredictiva", false);
    EditCertidumbre = edit("EditCertidumbre", false);
    EditPotPriori = edit("EditPotPriori", false);
    auto* ld = new QVBoxLayout(TabSheetDatos);
    const std::initializer_list<std::tuple<QLabel*, TImagen*, QLineEdit*>> filas = {
        {LabelSesgo, ImageSesgo, EditSesgo},
        {LabelPriori, ImagePriori, EditPriori},
        {LabelPredictiva, ImagePredictiva, EditPredictiva},
        {LabelCertidumbre, ImageCertidumbre, EditCertidumbre},
        {LabelPotPriori, ImagePotPriori, EditPotPriori}};
    for (const auto& [l, i, e] : filas) {
        ld->addWidget(l);
        ld->addWidget(i);
        ld->addWidget(e);
        ld->addSpacing(6);
    }
    ld->addStretch(1);
}

QWidget* TFormPrincipal::construyeCentro() {
    // Centre: the map with its key, the string grid and the progress panel.
    auto* centro = nombra(new QWidget, "PanelCentro");
    ImageMapa = nombra(new TImagen(anchoMapa, altoMapa, true), "ImageMapa");
    ImageMapa->setMinimumSize(400, 300);
    ImageMapa->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    ImageLlave = nombra(new TImagen(anchoLlave, altoLlave, false), "ImageLlave");
    // The key's column has a fixed width: the map keeps its size whatever the labels.
    LabelMinLlave = nombra(new quel::TEtiquetaFija(QStringLiteral("Min"), kAnchoEtiquetaLlave), "LabelMinLlave");
    LabelMaxLlave = nombra(new quel::TEtiquetaFija(QStringLiteral("Max"), kAnchoEtiquetaLlave), "LabelMaxLlave");
    StringGridDatos = nombra(new QTableWidget, "StringGridDatos");
    StringGridDatos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridDatos->verticalHeader()->setVisible(false);
    StringGridDatos->horizontalHeader()->setVisible(false);
    PanelProgressBar = nombra(new QFrame, "PanelProgressBar");
    PanelProgressBar->setFrameShape(QFrame::StyledPanel);
    ProgressBarMapa = nombra(new QProgressBar(PanelProgressBar), "ProgressBarMapa");
    ProgressBarMapa->setRange(0, 100);
    ProgressBarMapa->setValue(0);
    // Enabled only while a run can be stopped.
    BotonCancelar = nombra(new QPushButton(quel::CancelaCorrida::textoCancelar(), PanelProgressBar), "BotonCancelar");
    BotonCancelar->setEnabled(false);
    auto* lp = new QHBoxLayout(PanelProgressBar);
    lp->addWidget(ProgressBarMapa, 1);
    lp->addWidget(BotonCancelar);
    auto* llave = new QVBoxLayout;
    llave->addWidget(LabelMaxLlave);
    llave->addWidget(ImageLlave);
    llave->addWidget(LabelMinLlave);
    llave->addStretch(1);
    auto* columnaLlave = nombra(new QWidget, "PanelLlave");
    columnaLlave->setFixedWidth(kAnchoEtiquetaLlave);
    columnaLlave->setLayout(llave);
    llave->setContentsMargins(0, 0, 0, 0);
    auto* vistas = new QHBoxLayout;
    vistas->addWidget(ImageMapa, 1);
    vistas->addWidget(StringGridDatos, 1);
    vistas->addWidget(columnaLlave);
    auto* lcen = new QVBoxLayout(centro);
    lcen->addLayout(vistas, 1);
    lcen->addWidget(PanelProgressBar);
    for (QWidget* w : {static_cast<QWidget*>(ImageMapa), static_cast<QWidget*>(ImageLlave),
                       static_cast<QWidget*>(LabelMinLlave), static_cast<QWidget*>(LabelMaxLlave),
                       static_cast<QWidget*>(StringGridDatos), static_cast<QWidget*>(PanelProgressBar)})
        w->setVisible(false);
    return centro;
}

QWidget* TFormPrincipal::construyeInferior() {
    // Bottom: the log and the coordinates under the mouse.
    auto* abajo = nombra(new QWidget, "PanelInferior");
    RichEditLog = nombra(new QTextEdit, "RichEditLog");
    RichEditLog->setReadOnly(true);
    LabelLong = nombra(new QLabel(QStringLiteral("Long: ")), "LabelLong");
    LabelLat = nombra(new QLabel(QStringLiteral("Lat: ")), "LabelLat");
    EditX = campoLectura("EditX", true);
    EditY = campoLectura("EditY", true);
    auto* coords = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(LabelLong), static_cast<QWidget*>(EditX),
                       static_cast<QWidget*>(LabelLat), static_cast<QWidget*>(EditY)})
        coords->addWidget(w);
    coords->addStretch(1);
    auto* lab = new QHBoxLayout(abajo);
    lab->setContentsMargins(0, 0, 0, 0);
    lab->addWidget(RichEditLog, 1);
    lab->addLayout(coords);
    return abajo;
}

void TFormPrincipal::conecta() {
    auto par = [this](QToolButton* b, QAction* a, void (TFormPrincipal::*f)()) {
        if (b) connect(b, &QToolButton::clicked, this, f);
        if (a) connect(a, &QAction::triggered, this, f);
    };
    par(SpeedButtonCargaCov, CovsMenu, &TFormPrincipal::SpeedButtonCargaCovClick);
    par(SpeedButtonCargaSesgo, BiasMenu, &TFormPrincipal::SpeedButtonCargaSesgoClick);
    par(SpeedButtonCargaPriori, PrioriMenu, &TFormPrincipal::SpeedButtonCargaPrioriClick);
    par(SpeedButtonCargaSites, SitiosMenu, &TFormPrincipal::SpeedButtonCargaSitesClick);
    par(SpeedButtonEjecutar, EjecutarMenu, &TFormPrincipal::SpeedButtonEjecutarClick);
    par(SpeedButtonEvaluar, EvaluarMenu, &TFormPrincipal::SpeedButtonEvaluarClick);
    par(SpeedButtonBorraUno, BorrarUnoMenu, &TFormPrincipal::SpeedButtonBorraUnoClick);
    par(SpeedButtonBorraTodos, BorrarTodosMenu, &TFormPrincipal::SpeedButtonBorraTodosClick);
    par(SpeedButtonCovariables, AdmonCovsMenu, &TFormPrincipal::SpeedButtonCovariablesClick);
    par(SpeedButtonPriori, AdmonPrioriMenu, &TFormPrincipal::SpeedButtonPrioriClick);
    par(SpeedButtonSesgo, nullptr, &TFormPrincipal::SpeedButtonSesgoClick);
    par(SpeedButtonProbabilidad, nullptr, &TFormPrincipal::SpeedButtonProbabilidadClick);
    par(SpeedButtonCertidumbre, nullptr, &TFormPrincipal::SpeedButtonCertidumbreClick);
    par(SpeedButtonPotPriori, nullptr, &TFormPrincipal::SpeedButtonPotPrioriClick);
    par(nullptr, CambiarLenguaMenu, &TFormPrincipal::CambiarLenguaMenuClick);
    par(nullptr, Salir, &TFormPrincipal::SalirClick);
    connect(RadioGroupColores, &TRadioGroup::pulsado, this, &TFormPrincipal::RadioGroupColoresClick);
    connect(ButtonCambioColor, &QPushButton::clicked, this, &TFormPrincipal::ButtonCambioColorClick);
    connect(ImageMapa, &TImagen::movido, this, &TFormPrincipal::ImageMapaMouseMove);
    connect(TreeViewExplorador, &QTreeWidget::itemSelectionChanged, this, &TFormPrincipal::TreeViewExploradorClick);
    // A click on the node already selected applies the rules again (a run may
    // have changed them since).
    connect(TreeViewExplorador, &QTreeWidget::itemClicked, this, &TFormPrincipal::TreeViewExploradorClick);
    connect(TreeViewExplorador, &QTreeWidget::itemDoubleClicked, this, &TFormPrincipal::TreeViewExploradorDblClick);
    TreeViewExplorador->installEventFilter(this);
    connect(MostrarMapa1, &QAction::triggered, this, &TFormPrincipal::TreeViewExploradorDblClick);
    connect(Realizar1, &QAction::triggered, this, &TFormPrincipal::Realizar1Click);
    connect(MostrarMapas1, &QAction::triggered, this, &TFormPrincipal::MostrarMapas1Click);
    connect(ExportPredictivaMenu, &QAction::triggered, this, &TFormPrincipal::ExportPredictivaMenuClick);
    connect(ExportCertidumbreMenu, &QAction::triggered, this, &TFormPrincipal::ExportCertidumbreMenuClick);
    connect(ExportPotPrioriMenu, &QAction::triggered, this, &TFormPrincipal::ExportPotPrioriMenuClick);
    connect(ExportImagen, &QAction::triggered, this, &TFormPrincipal::ExportImagenClick);
    connect(TreeViewExplorador, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (ocupado_) return;
        PopupMenuExplorador->popup(TreeViewExplorador->viewport()->mapToGlobal(p));
    });
}

// ---- small operations ------------------------------------------------------------

void TFormPrincipal::agregaLog(const QString& texto) { RichEditLog->append(texto); }

void TFormPrincipal::habilitaBorrado(bool on) {
    SpeedButtonBorraTodos->setEnabled(on);
    BorrarTodosMenu->setEnabled(on);
    // Removing one input needs an input's node selected, as its button does.
    BorrarUnoMenu->setEnabled(on && SpeedButtonBorraUno->isEnabled());
}

void TFormPrincipal::alternaVista(bool mapa) {
    // The picture export saves the map: offered while a map is shown.
    ExportImagen->setEnabled(mapa && hay(kBanderaCovariables));
    ImageMapa->setVisible(mapa);
    ImageLlave->setVisible(mapa);
    LabelMinLlave->setVisible(mapa);
    LabelMaxLlave->setVisible(mapa);
    StringGridDatos->setVisible(!mapa);
}

void TFormPrincipal::paso(int n) {
    ProgressBarMapa->setValue(std::clamp(ProgressBarMapa->value() + n, 0, 100));
    ProgressBarMapa->repaint();
}

void TFormPrincipal::muestraProgreso(bool on) {
    PanelProgressBar->setVisible(on);
    if (on) PanelProgressBar->repaint();
}

QString TFormPrincipal::tx(const std::string& bytes) { return quel::textoDeBytes(bytes); }

void TFormPrincipal::muestraError(int codigo) { muestraError(codigo, datos.error.linea); }

void TFormPrincipal::muestraError(int codigo, int lineaError) {
    // The load's own account (its file, line and what it found) goes to the
    // log before the box's text, as the bias manager logs its grids' errors.
    const quel::ErrorArchivo& e = datos.error;
    if (e.codigo == codigo && !e.archivo.empty() && !e.detalle.empty())
        agregaLog(QString::fromStdString(e.archivo.string()) +
                  (e.linea > 0 ? QStringLiteral(":%1").arg(e.linea) : QString()) + QStringLiteral(": ") +
                  QString::fromStdString(e.detalle));
    if (const auto texto = quel::lenguaje::textoCajaError(tablas, codigo, lineaError)) {
        // The box names the file (and line) the text speaks of.
        QString donde;
        if (e.codigo == codigo && !e.archivo.empty())
            donde = QStringLiteral("\n\n") + QString::fromStdString(e.archivo.string()) +
                    (e.linea > 0 ? QStringLiteral(":%1").arg(e.linea) : QString());
        dialogos_.mensaje(this, QStringLiteral("ERROR"), tx(*texto) + donde, quel::IconoMensaje::Error);
        agregaLog(tx(*texto));
    }
    muestraProgreso(false);
}

bool TFormPrincipal::aceptaCovariables() const { return SpeedButtonCargaCov->isEnabled(); }

bool TFormPrincipal::empieza() {
    if (ocupado_) return false;
    ocupado_ = true;
    return true;
}

void TFormPrincipal::termina() {
    ocupado_ = false;
    emit comandoTerminado();
}

void TFormPrincipal::enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto) {
    QEventLoop bucle;
    std::exception_ptr fallo;
    const bool yaActivo = bloqueo_->activo();
    const bool yaOcupado = ocupado_;
    QWidget* const yaPermitido = bloqueo_->permitido();
    ocupado_ = true;
    if (abierto) bloqueo_->permite(abierto);
    bloqueo_->activa(true);
    std::thread hilo([&] {
        try {
            trabajo();
        } catch (...) {
            fallo = std::current_exception();
        }
        QMetaObject::invokeMethod(&bucle, "quit", Qt::QueuedConnection);
    });
    bucle.exec();
    hilo.join();
    if (!yaActivo) bloqueo_->activa(false);
    bloqueo_->permite(yaPermitido);
    ocupado_ = yaOcupado;
    if (fallo) std::rethrow_exception(fallo);
}

void TFormPrincipal::closeEvent(QCloseEvent* e) {
    if (ocupado_) {
        e->ignore();
        return;
    }
    // Closing the main window ends the program: the secondary windows go too.
    for (QWidget* w : {static_cast<QWidget*>(tipoArchivo_), covManager_, prioriManager_, biasManager_})
        if (w) w->hide();
    // The species and map windows opened from the explorer close with it.
    for (const QPointer<QWidget>& v : ventanas_)
        if (v) v->close();
    ventanas_.clear();
    e->accept();
}

void TFormPrincipal::SalirClick() {
    if (ocupado_) return;
    close();
}
