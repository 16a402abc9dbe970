#include "managers/bias/FormBiasManager.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <exception>

#include "ui/ProgresoBarra.h"
#include "ui/filtrosRaster.h"
#include "render/etiquetas.h"

namespace fs = std::filesystem;
using quel::texto;

namespace {

constexpr int kRolTipo = Qt::UserRole;

template <class T>
T* nombra(T* o, const char* nombre) {
    o->setObjectName(QString::fromLatin1(nombre));
    return o;
}

// A real as typed: the locale's decimal separator, or a point.
bool leeReal(const QString& t, float& valor) {
    const QString limpio = t.trimmed();
    bool ok = false;
    double d = QLocale::system().toDouble(limpio, &ok);
    if (!ok) d = QLocale::c().toDouble(limpio, &ok);
    const float f = static_cast<float>(d);
    if (!ok || !std::isfinite(f)) return false;
    valor = f;
    return true;
}

// The labels of the entry panel for each input.
struct Parametro {
    int tipo;
    const char* titulo;
    const char* etiqueta;
};
constexpr Parametro kParametros[] = {
    {TFormBiasManager::kCiudades, "Introduce para parametro Alfa", "(peso de las ciudades): "},
    {TFormBiasManager::kCarreteras, "Introduce para parametro Beta", "(peso de las carreteras): "},
    {TFormBiasManager::kRiqueza, "Introduce parametro Cota", "(detectabilidad es 1): "},
    {TFormBiasManager::kPresencias, "Introduce parametro n-", "(numero de ausencias): "},
};

const char* grupo(int tipo) {
    switch (tipo) {
        case TFormBiasManager::kCovs: return "Covs";
        case TFormBiasManager::kCiudades: return "Ciudades";
        case TFormBiasManager::kCarreteras: return "Carreteras";
        case TFormBiasManager::kRiqueza: return "Riqueza";
        case TFormBiasManager::kPresencias: return "Presencias";
        default: return "";
    }
}

// Progress of a run on its bar: the distance sums advance it; the fit, which
// tells nothing until it ends, turns it into a busy bar that keeps moving.
class ProgresoAjuste final : public Progreso {
public:
    explicit ProgresoAjuste(QProgressBar* barra) : barra_(barra) {}
    void avanza(int pasos) override { fija(hecho_ + pasos); }
    void fija(int porcentaje) override {
        hecho_ = std::clamp(porcentaje, 0, 100);
        const bool ajustando = hecho_ >= kInicioAjuste;
        QMetaObject::invokeMethod(
            barra_,
            [b = barra_, v = hecho_, ajustando] {
                b->setRange(0, ajustando ? 0 : 100);
                if (!ajustando) b->setValue(v);
            },
            Qt::QueuedConnection);
    }
    // Share of the run before the fit: the distance sums, the richness and the sites.
    static constexpr int kInicioAjuste = 95;
    // The numerical routines' diagnostics go where the program's go.
    void registra(Canal, const std::string& linea) override { std::fprintf(stderr, "%s\n", linea.c_str()); }

private:
    QProgressBar* barra_;
    int hecho_ = 0;
};

QString numero(double v) { return QString::fromStdString(textoEtiqueta(v)); }

}  // namespace

TFormBiasManager::TFormBiasManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre)
    : QMainWindow(padre),
      datos(servicios->carpetaTrabajo()),
      inferencia(servicios->carpetaTrabajo()),
      s_(std::move(servicios)) {
    setObjectName(QStringLiteral("TFormBiasManager"));
    setWindowTitle(QStringLiteral("Administrador de Sesgo"));
    construyeControles();
    resize(760, 520);
}

TFormBiasManager::~TFormBiasManager() = default;

QString TFormBiasManager::textoParametroInvalido(int tipo) {
    switch (tipo) {
        case kCiudades: return QStringLiteral("El parametro Alfa debe ser un numero mayor o igual a 0.");
        case kCarreteras: return QStringLiteral("El parametro Beta debe ser un numero mayor que 0.");
        case kRiqueza: return QStringLiteral("El parametro Cota debe ser un numero mayor que 0.");
        case kPresencias: return QStringLiteral("El parametro n- debe ser un numero entero mayor o igual a 0.");
        default: return {};
    }
}

QString TFormBiasManager::textoSesgoFuera(const QString& detalle) {
    return QStringLiteral("El sesgo ajustado no es una probabilidad (%1); no se puede guardar.").arg(detalle);
}

// ---- construction ----------------------------------------------------------------------

void TFormBiasManager::construyeControles() {
    ToolBar1 = nombra(addToolBar(QStringLiteral("ToolBarHerramientas")), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    auto boton = [&](const char* nombre, QStyle::StandardPixmap icono, const QString& pista, bool on,
                     void (TFormBiasManager::*h)()) {
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
    SpeedButtonCargaCovs = boton("SpeedButtonCargaCovs", QStyle::SP_DirOpenIcon,
                                 QStringLiteral("Carga tabla de covariables"), true,
                                 &TFormBiasManager::SpeedButtonCargaCovsClick);
    separador("Splitter1");
    SpeedButtonCiudades = boton("SpeedButtonCiudades", QStyle::SP_ComputerIcon, QStringLiteral("Carga ciudades"),
                                false, &TFormBiasManager::SpeedButtonCiudadesClick);
    SpeedButtonCarreteras = boton("SpeedButtonCarreteras", QStyle::SP_DriveNetIcon, QStringLiteral("Carga carreteras"),
                                  false, &TFormBiasManager::SpeedButtonCarreterasClick);
    SpeedButtonRiqueza = boton("SpeedButtonRiqueza", QStyle::SP_DriveHDIcon, QStringLiteral("Carga riqueza"), false,
                               &TFormBiasManager::SpeedButtonRiquezaClick);
    SpeedButtonPresencias = boton("SpeedButtonPresencias", QStyle::SP_FileIcon, QStringLiteral("Carga presencias"),
                                  false, &TFormBiasManager::SpeedButtonPresenciasClick);
    SpeedButtonBorrar = boton("SpeedButtonBorrar", QStyle::SP_TrashIcon, QStringLiteral("Borrar"), false,
                              &TFormBiasManager::SpeedButtonBorrarClick);
    separador("Splitter2");
    SpeedButtonEjecutar = boton("SpeedButtonEjecutar", QStyle::SP_MediaPlay, QStringLiteral("Ejecutar"), false,
                                &TFormBiasManager::SpeedButtonEjecutarClick);
    SpeedButtonGuardar = boton("SpeedButtonGuardar", QStyle::SP_DialogSaveButton, QStringLiteral("Guardar sesgo"),
                               true, &TFormBiasManager::SpeedButtonGuardarClick);
    SpeedButtonCargaPrincipal =
        boton("SpeedButtonCargaPrincipal", QStyle::SP_ArrowRight, QStringLiteral("Carga en principal"), false,
              &TFormBiasManager::SpeedButtonCargaPrincipalClick);
    separador("Splitter3");
    SpeedButtonCerrar = boton("SpeedButtonCerrar", QStyle::SP_DialogCloseButton, QStringLiteral("Cerrar"), true,
                              &TFormBiasManager::SpeedButtonCerrarClick);

    auto* centro = nombra(new QSplitter(Qt::Horizontal, this), "SplitterCentro");
    auto* izquierda = new QWidget(centro);
    auto* caja = new QVBoxLayout(izquierda);

    PanelDatos = nombra(new QFrame(izquierda), "PanelDatos");
    PanelDatos->setFrameShape(QFrame::StyledPanel);
    auto* rejilla = new QGridLayout(PanelDatos);
    LabelTitulo = nombra(new QLabel(QStringLiteral("Introducir parametro Alfa"), PanelDatos), "LabelTitulo");
    LabelTipo = nombra(new QLabel(QStringLiteral("(peso de las ciudades) :"), PanelDatos), "LabelTipo");
    EditDato = nombra(new QLineEdit(PanelDatos), "EditDato");
    ButtonOk = nombra(new QPushButton(QStringLiteral("Ok"), PanelDatos), "ButtonOk");
    ButtonCancel = nombra(new QPushButton(QStringLiteral("Cancelar"), PanelDatos), "ButtonCancel");
    Button1 = nombra(new QPushButton(QStringLiteral("Button1"), PanelDatos), "Button1");
    Button1->setVisible(false);
    rejilla->addWidget(LabelTitulo, 0, 0, 1, 3);
    rejilla->addWidget(LabelTipo, 1, 0);
    rejilla->addWidget(EditDato, 1, 1, 1, 2);
    rejilla->addWidget(ButtonOk, 2, 1);
    rejilla->addWidget(ButtonCancel, 2, 2);
    connect(ButtonOk, &QPushButton::clicked, this, &TFormBiasManager::ButtonOkClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormBiasManager::ButtonCancelClick);
    connect(EditDato, &QLineEdit::returnPressed, this, &TFormBiasManager::ButtonOkClick);
    PanelDatos->setVisible(false);
    caja->addWidget(PanelDatos);

    PanelBarraProgreso = nombra(new QFrame(izquierda), "PanelBarraProgreso");
    auto* pb = new QHBoxLayout(PanelBarraProgreso);
    ProgressBarSesgo = nombra(new QProgressBar(PanelBarraProgreso), "ProgressBarSesgo");
    ProgressBarSesgo->setRange(0, 100);
    ProgressBarSesgo->setValue(0);
    pb->addWidget(ProgressBarSesgo, 1);
    BotonCancelar = nombra(new QPushButton(quel::CancelaCorrida::textoCancelar(), PanelBarraProgreso), "BotonCancelar");
    BotonCancelar->setEnabled(false);
    pb->addWidget(BotonCancelar);
    PanelBarraProgreso->setVisible(false);
    caja->addWidget(PanelBarraProgreso);
    RichEditLog = nombra(new QTextEdit(izquierda), "RichEditLog");
    RichEditLog->setReadOnly(true);
    caja->addWidget(RichEditLog, 1);

    PanelArbol = nombra(new QFrame(centro), "PanelArbol");
    auto* cajaArbol = new QVBoxLayout(PanelArbol);
    cajaArbol->setContentsMargins(0, 0, 0, 0);
    TreeViewExplorador = nombra(new QTreeWidget(PanelArbol), "TreeViewExplorador");
    TreeViewExplorador->setHeaderHidden(true);
    cajaArbol->addWidget(TreeViewExplorador);
    connect(TreeViewExplorador, &QTreeWidget::itemSelectionChanged, this, &TFormBiasManager::TreeViewExploradorClick);

    centro->addWidget(izquierda);
    centro->addWidget(PanelArbol);
    centro->setStretchFactor(0, 1);
    setCentralWidget(centro);
}

// ---- tree and shared rules ----------------------------------------------------------------

int TFormBiasManager::tipoNodo(const QTreeWidgetItem* n) { return n ? n->data(0, kRolTipo).toInt() : -1; }

void TFormBiasManager::agregaNodoArbol(int tipo, const QString& archivo) {
    auto* top = new QTreeWidgetItem(TreeViewExplorador, QStringList(QString::fromLatin1(grupo(tipo))));
    top->setData(0, kRolTipo, tipo);
    top->setIcon(0, s_->iconoNodo(2));
    auto* hijo = new QTreeWidgetItem(top, QStringList(archivo));
    hijo->setData(0, kRolTipo, tipo + 1);
    hijo->setIcon(0, s_->iconoNodo(10));
    top->setExpanded(true);
}

QToolButton* TFormBiasManager::botonDe(int tipo) const {
    switch (tipo) {
        case kCiudades: return SpeedButtonCiudades;
        case kCarreteras: return SpeedButtonCarreteras;
        case kRiqueza: return SpeedButtonRiqueza;
        case kPresencias: return SpeedButtonPresencias;
        default: return nullptr;
    }
}

void TFormBiasManager::revisaListo() {
    bool listo = true;
    for (QToolButton* b : {SpeedButtonCargaCovs, SpeedButtonCiudades, SpeedButtonCarreteras, SpeedButtonRiqueza,
                           SpeedButtonPresencias})
        if (b->isEnabled()) listo = false;
    SpeedButtonEjecutar->setEnabled(listo);
    SpeedButtonGuardar->setEnabled(listo);
}

void TFormBiasManager::falla(const FalloSesgo& f) {
    s_->muestraError(f.codigo, f.linea);
    if (!f.detalle.empty())
        s_->agregaLog(quel::rutaTexto(f.archivo) + QStringLiteral(": ") + QString::fromStdString(f.detalle));
}

// ---- commands ----------------------------------------------------------------------------------

void TFormBiasManager::SpeedButtonCargaCovsClick() {
    quel::PeticionArchivo p;
    p.filtro = texto(s_->tablas().textosDialogo[1]);
    const auto elegido = s_->dialogos().abreArchivo(this, p);
    if (!elegido) return;
    const fs::path ruta = quel::rutaLocal(elegido->ruta);
    FalloSesgo fallo;
    int codigo = 0;
    s_->enSegundoPlano([&] { codigo = cargaCovariablesSesgo(inferencia, datos, ruta, &fallo); });
    if (codigo != 0) {
        falla(fallo);
        return;
    }
    rutaCovs_ = ruta;
    // A fit of earlier covariates no longer matches these.
    corridaCompleta = false;
    SpeedButtonCargaCovs->setEnabled(false);
    for (QToolButton* b : {SpeedButtonCiudades, SpeedButtonCarreteras, SpeedButtonRiqueza, SpeedButtonPresencias})
        b->setEnabled(true);
    agregaNodoArbol(kCovs, elegido->ruta);
}

void TFormBiasManager::eligeEntrada(int tipo) {
    quel::PeticionArchivo p;
    p.filtro = tipo == kPresencias ? texto(s_->tablas().textosDialogo[1])
                                   : quel::conGeoTIFF(texto(s_->tablas().textosDialogo[2]));
    const auto elegido = s_->dialogos().abreArchivo(this, p);
    if (!elegido) return;
    archivoElegido_ = elegido->ruta;
    PanelDatos->setVisible(true);
    tipoDato = tipo;
    for (const Parametro& par : kParametros) {
        if (par.tipo != tipo) continue;
        LabelTitulo->setText(QString::fromLatin1(par.titulo));
        LabelTipo->setText(QString::fromLatin1(par.etiqueta));
    }
    EditDato->setFocus();
}

void TFormBiasManager::SpeedButtonCiudadesClick() { eligeEntrada(kCiudades); }
void TFormBiasManager::SpeedButtonCarreterasClick() { eligeEntrada(kCarreteras); }
void TFormBiasManager::SpeedButtonRiquezaClick() { eligeEntrada(kRiqueza); }
void TFormBiasManager::SpeedButtonPresenciasClick() { eligeEntrada(kPresencias); }

void TFormBiasManager::ButtonOkClick() {
    QToolButton* boton = botonDe(tipoDato);
    if (!boton || PanelDatos->isHidden()) return;
    // The parameter is checked before anything is stored.
    float real = 0;
    int entero = 0;
    bool bien = false;
    if (tipoDato == kPresencias) {
        entero = QLocale::c().toInt(EditDato->text().trimmed(), &bien);
        bien = bien && entero >= 0;
    } else if (leeReal(EditDato->text(), real)) {
        bien = tipoDato == kCiudades ? real >= 0.0f : real > 0.0f && std::isfinite(1.0f / real);
    }
    if (!bien) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"), textoParametroInvalido(tipoDato),
                               quel::IconoMensaje::Error);
        return;
    }
    boton->setEnabled(false);
    const fs::path archivo = quel::rutaLocal(archivoElegido_);
    switch (tipoDato) {
        case kCiudades:
            entradas.ciudades = archivo;
            entradas.alfa = real;
            EditDato->clear();
            break;
        case kCarreteras:
            entradas.carreteras = archivo;
            entradas.beta = real;
            EditDato->clear();
            break;
        case kRiqueza:
            entradas.riqueza = archivo;
            entradas.cota = real;
            pendiente = 1.0f / real;
            EditDato->clear();
            break;
        default:  // presences: the text stays
            entradas.presencias = archivo;
            entradas.ausencias = entero;
            SpeedButtonEjecutar->setEnabled(true);
            break;
    }
    PanelDatos->setVisible(false);
    agregaNodoArbol(tipoDato, archivoElegido_);
    revisaListo();
}

void TFormBiasManager::ButtonCancelClick() { PanelDatos->setVisible(false); }

void TFormBiasManager::SpeedButtonEjecutarClick() {
    if (!inferencia.covariables || !inferencia.coordenadas) return;
    if (!std::isfinite(entradas.alfa / entradas.beta)) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"), textoParametroInvalido(kCarreteras),
                               quel::IconoMensaje::Error);
        return;
    }
    // A cancelled run gives back the window as it was.
    const bool completaAntes = corridaCompleta;
    const bool entregaAntes = SpeedButtonCargaPrincipal->isEnabled();
    corridaCompleta = false;
    SpeedButtonEjecutar->setEnabled(false);
    SpeedButtonCargaPrincipal->setEnabled(false);
    ProgressBarSesgo->setRange(0, 100);
    ProgressBarSesgo->setValue(0);
    PanelBarraProgreso->setVisible(true);
    anota(QStringLiteral("Calculando las distancias y ajustando el sesgo..."));
    ProgresoAjuste progreso(ProgressBarSesgo);
    FalloSesgo fallo;
    InformeSesgo informe;
    int codigo = 0;
    std::string excepcion;
    {
        quel::CancelaCorrida cancelar(BotonCancelar, progreso);
        s_->enSegundoPlano(
            [&] {
                try {
                    codigo = ejecutaSesgo(inferencia, datos, entradas, sitios, especies, &informe, &fallo, progreso);
                } catch (const std::exception& e) {
                    excepcion = e.what();
                }
            },
            BotonCancelar);
    }
    // Reports still queued for the bar must not outlive the run.
    QCoreApplication::removePostedEvents(ProgressBarSesgo, QEvent::MetaCall);
    ProgressBarSesgo->setRange(0, 100);
    ProgressBarSesgo->setValue(100);
    PanelBarraProgreso->setVisible(false);
    SpeedButtonEjecutar->setEnabled(true);
    if (!excepcion.empty()) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"), QString::fromStdString(excepcion),
                               quel::IconoMensaje::Error);
        return;
    }
    if (codigo == quel::kCodigoCancelado) {
        corridaCompleta = completaAntes;
        SpeedButtonCargaPrincipal->setEnabled(entregaAntes);
        anota(quel::CancelaCorrida::lineaCancelada());
        return;
    }
    if (codigo != 0) {
        falla(fallo);
        return;
    }
    // What the user should check (a cities or roads grid far from the region).
    for (const std::string& aviso : inferencia.avisos()) s_->agregaLog(QString::fromStdString(aviso));
    // A fit that ran away is not a bias: it is told and never saved.
    const std::string fuera = inferencia.sesgoFueraDeRango();
    if (!fuera.empty()) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"), textoSesgoFuera(QString::fromStdString(fuera)),
                               quel::IconoMensaje::Error);
        return;
    }
    corridaCompleta = true;
    informaAjuste(informe);
    SpeedButtonCargaPrincipal->setEnabled(s_->bandera(0) == 1 && s_->bandera(1) == 0);
}

void TFormBiasManager::anota(const QString& texto) {
    RichEditLog->append(texto);
    s_->agregaLog(texto);
}

void TFormBiasManager::informaAjuste(const InformeSesgo& informe) {
    const AjusteSesgo& a = inferencia.ajuste();
    anota(QStringLiteral("Sesgo ajustado: peso de las ciudades frente a las carreteras %1, pendiente de "
                         "detectabilidad %2.")
              .arg(numero(a.peso), numero(a.pendiente)));
    anota(QStringLiteral("Evaluaciones: %1, iteraciones: %2; %3")
              .arg(a.simplex.evaluaciones)
              .arg(a.simplex.iteraciones)
              .arg(a.simplex.convergio
                       ? QStringLiteral("el ajuste cumplió su prueba de convergencia.")
                       : QStringLiteral("el ajuste se detuvo en su límite sin cumplir la prueba de convergencia.")));
    QString sitiosTexto = QStringLiteral("Combinaciones: %1; sitios de presencia: %2")
                              .arg(inferencia.combinaciones ? inferencia.combinaciones->renglones : 0)
                              .arg(informe.sitios);
    if (informe.sinAsignar > 0)
        sitiosTexto += QStringLiteral(" (%1 sin celda de la región a su alcance, no cuentan)").arg(informe.sinAsignar);
    anota(sitiosTexto + QLatin1Char('.'));
}

void TFormBiasManager::SpeedButtonCargaPrincipalClick() {
    if (!corridaCompleta || s_->bandera(0) != 1 || s_->bandera(1) != 0) return;
    const fs::path ruta = s_->carpetaTrabajo() / "SesgoTmp.txt";
    if (inferencia.guardaSesgo(ruta) != 0) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"),
                               QStringLiteral("No se pudo guardar el archivo %1").arg(quel::rutaTexto(ruta)),
                               quel::IconoMensaje::Error);
        return;
    }
    SpeedButtonCerrarClick();
    s_->cargaSesgo(quel::rutaTexto(ruta));
}

void TFormBiasManager::SpeedButtonGuardarClick() {
    if (!corridaCompleta) return;
    const auto elegido = s_->dialogos().guardaArchivo(this, quel::PeticionArchivo{});
    if (!elegido) return;
    if (quel::salidaEsEntrada(s_->dialogos(), this, quel::rutaLocal(elegido->ruta),
                              {rutaCovs_, entradas.ciudades, entradas.carreteras, entradas.riqueza,
                               entradas.presencias}))
        return;
    const int codigo = inferencia.guardaSesgo(quel::rutaLocal(elegido->ruta));
    if (codigo == codigos::kRango)
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"),
                               textoSesgoFuera(QString::fromStdString(inferencia.sesgoFueraDeRango())),
                               quel::IconoMensaje::Error);
    else if (codigo != 0)
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"),
                               QStringLiteral("No se pudo guardar el archivo %1").arg(elegido->ruta),
                               quel::IconoMensaje::Error);
}

void TFormBiasManager::TreeViewExploradorClick() {
    const QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n) return;
    const int k = tipoNodo(n);
    SpeedButtonBorrar->setEnabled(k == kCovs || k == kCiudades || k == kCarreteras || k == kRiqueza ||
                                  k == kPresencias);
}

void TFormBiasManager::SpeedButtonBorrarClick() {
    QTreeWidgetItem* n = TreeViewExplorador->currentItem();
    if (!n) return;
    const int k = tipoNodo(n);
    // The node goes with its child.
    if (QTreeWidgetItem* padre = n->parent())
        std::unique_ptr<QTreeWidgetItem>(padre->takeChild(padre->indexOfChild(n)));
    else
        std::unique_ptr<QTreeWidgetItem>(TreeViewExplorador->takeTopLevelItem(TreeViewExplorador->indexOfTopLevelItem(n)));
    if (k == kCovs) {
        SpeedButtonCargaCovs->setEnabled(true);
        for (QToolButton* b : {SpeedButtonCiudades, SpeedButtonCarreteras, SpeedButtonRiqueza, SpeedButtonPresencias})
            b->setEnabled(false);
        TreeViewExplorador->clear();
    } else if (QToolButton* b = botonDe(k)) {
        b->setEnabled(true);
    }
}

void TFormBiasManager::SpeedButtonCerrarClick() {
    SpeedButtonCargaPrincipal->setEnabled(false);
    SpeedButtonCargaCovs->setEnabled(true);
    for (QToolButton* b : {SpeedButtonCiudades, SpeedButtonCarreteras, SpeedButtonRiqueza, SpeedButtonPresencias})
        b->setEnabled(false);
    TreeViewExplorador->clear();
    revisaListo();
    // A pending parameter would otherwise outlive the inputs it belongs to.
    PanelDatos->setVisible(false);
    s_->muestraPrincipal();
    cerrando_ = true;
    hide();
    cerrando_ = false;
}

void TFormBiasManager::closeEvent(QCloseEvent* e) {
    if (!cerrando_ && isVisible()) SpeedButtonCerrarClick();
    e->accept();
}

namespace quel {
std::unique_ptr<QWidget> creaTFormBiasManager(std::shared_ptr<ServiciosPrincipal> servicios) {
    return std::make_unique<TFormBiasManager>(std::move(servicios));
}
}  // namespace quel
