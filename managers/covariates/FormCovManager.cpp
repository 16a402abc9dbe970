#include "managers/covariates/FormCovManager.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <system_error>

#include "ui/ProgresoBarra.h"
#include "ui/filtrosRaster.h"
#include "data/cargaArchivo.h"
#include "data/exportaArchivo.h"

namespace fs = std::filesystem;
using quel::texto;

namespace {

constexpr int kRolNombre = Qt::UserRole;  // the item's name as bytes

template <class T>
T* nombra(T* o, const char* nombre) {
    o->setObjectName(QString::fromLatin1(nombre));
    return o;
}

// The list name of a grid file: its name up to the first ".".
std::string nombreDeArchivo(const std::string& archivo) { return archivo.substr(0, archivo.find('.')); }

}  // namespace

TFormCovManager::TFormCovManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre)
    : QMainWindow(padre), constructor(servicios->raiz()), s_(std::move(servicios)) {
    setObjectName(QStringLiteral("TFormCovManager"));
    setWindowTitle(QStringLiteral("Administrador de Covariables"));
    construyeMenus();
    construyeControles();
    construyeAjuste();
    resize(560, 420);
}

TFormCovManager::~TFormCovManager() = default;

fs::path TFormCovManager::rutaCovTemp() const { return s_->raiz().mapea("C:\\Quel\\CovTemp.txt"); }

QString TFormCovManager::textoSinClases(const QString& nombre) {
    return QStringLiteral("La covariable \"%1\" tiene 0 categorias: elija al menos 1 o el modo Manual.").arg(nombre);
}

QString TFormCovManager::textoMenosClases(const QString& nombre, int pedidas, int formadas) {
    return quel::enIdioma("%1: se pidieron %2 clases de frecuencias iguales y se formaron %3 (los valores iguales "
                          "nunca se separan en clases distintas).",
                          "%1: %2 equal-frequency classes asked, %3 formed (equal values are never split "
                          "between classes).")
        .arg(nombre)
        .arg(pedidas)
        .arg(formadas);
}

QStringList TFormCovManager::avisosClases() const {
    QStringList r;
    const auto& c = constructor;
    for (std::size_t k = 0; k < c.clasesPedidas.size() && k < c.categoriasSel.size(); ++k)
        if (c.clasesPedidas[k] > c.categoriasSel[k])
            r << textoMenosClases(texto(c.nombresSel[k]), c.clasesPedidas[k], static_cast<int>(c.categoriasSel[k]));
    return r;
}

// ---- construction ---------------------------------------------------------------

void TFormCovManager::construyeMenus() {
    auto accion = [this](QMenu* menu, const char* nombre, const QString& t, void (TFormCovManager::*h)()) {
        auto* a = nombra(menu->addAction(t), nombre);
        connect(a, &QAction::triggered, this, h);
        return a;
    };
    QMenuBar* barra = menuBar();
    Archivo1 = nombra(barra->addMenu(QStringLiteral("Archivo")), "Archivo1");
    NuevoArchivo1 = accion(Archivo1, "NuevoArchivo1", QStringLiteral("Nuevo Archivo"), &TFormCovManager::NuevoArchivo1Click);
    AbrirArchivo1 =
        accion(Archivo1, "AbrirArchivo1", QStringLiteral("Abrir Archivo..."), &TFormCovManager::AbrirArchivo1Click);
    MenuAbrirFolder = accion(Archivo1, "MenuAbrirFolder", QStringLiteral("Abrir Folder..."),
                             &TFormCovManager::SpeedButtonCargaFolderClick);
    MenuAbrirCov = nombra(Archivo1->addMenu(QStringLiteral("Abrir Covariable...")), "MenuAbrirCov");
    SubASCII = accion(MenuAbrirCov, "SubASCII", QStringLiteral("Formato ASCII (.asc)"),
                      &TFormCovManager::SpeedButtonCargaFileClick);
    MenuGuardar = accion(Archivo1, "MenuGuardar", QStringLiteral("Guardar"), &TFormCovManager::SpeedButtonGuardarClick);
    MenuGuardar->setEnabled(false);
    MenuSalir = accion(Archivo1, "MenuSalir", QStringLiteral("Salir"), &TFormCovManager::SpeedButtonCerrarClick);

    Editar1 = nombra(barra->addMenu(QStringLiteral("Editar")), "Editar1");
    MenuLimpiarlista = accion(Editar1, "MenuLimpiarlista", QStringLiteral("Limpiar lista"),
                              &TFormCovManager::SpeedButtonLimpiarClick);
    MenuLimpiarlista->setEnabled(false);

    Ejecutar1 = nombra(barra->addMenu(QStringLiteral("Ejecutar")), "Ejecutar1");
    MenuCargaCovs = accion(Ejecutar1, "MenuCargaCovs", QStringLiteral("Cargar a principal"),
                           &TFormCovManager::SpeedButtonCargaCovClick);
    MenuSelectTodo = accion(Ejecutar1, "MenuSelectTodo", QStringLiteral("Seleccionar todo"),
                            &TFormCovManager::ButtonAllSelectClick);
    MenuDeselectTodo = accion(Ejecutar1, "MenuDeselectTodo", QStringLiteral("Deseleccionar todo"),
                              &TFormCovManager::ButtonDeselectAllClick);
}

void TFormCovManager::construyeControles() {
    auto* barra = nombra(addToolBar(QStringLiteral("Herramientas")), "ToolBarCovManager");
    barra->setMovable(false);
    barra->setIconSize(QSize(32, 32));
    auto boton = [&](const char* nombre, QStyle::StandardPixmap icono, const QString& pista, bool on,
                     void (TFormCovManager::*h)()) {
        auto* b = nombra(new QToolButton(barra), nombre);
        b->setIcon(style()->standardIcon(icono));
        b->setToolTip(pista);
        b->setEnabled(on);
        barra->addWidget(b);
        connect(b, &QToolButton::clicked, this, h);
        return b;
    };
    SpeedButtonCargaFolder = boton("SpeedButtonCargaFolder", QStyle::SP_DirOpenIcon,
                                   QStringLiteral("Abrir folder con mallas ASCII"), true,
                                   &TFormCovManager::SpeedButtonCargaFolderClick);
    SpeedButtonCargaFile = boton("SpeedButtonCargaFile", QStyle::SP_FileIcon, QStringLiteral("Agregar una malla ASCII"),
                                 true, &TFormCovManager::SpeedButtonCargaFileClick);
    SpeedButtonLimpiar = boton("SpeedButtonLimpiar", QStyle::SP_DialogResetButton, QStringLiteral("Limpiar lista"),
                               false, &TFormCovManager::SpeedButtonLimpiarClick);
    SpeedButtonGuardar = boton("SpeedButtonGuardar", QStyle::SP_DialogSaveButton,
                               QStringLiteral("Guardar tabla de covariables"), false,
                               &TFormCovManager::SpeedButtonGuardarClick);
    SpeedButtonCargaCov = boton("SpeedButtonCargaCov", QStyle::SP_ArrowRight, QStringLiteral("Cargar a principal"),
                                false, &TFormCovManager::SpeedButtonCargaCovClick);
    SpeedButtonCerrar = boton("SpeedButtonCerrar", QStyle::SP_DialogCloseButton, QStringLiteral("Cerrar"), true,
                              &TFormCovManager::SpeedButtonCerrarClick);

    auto* centro = new QWidget(this);
    setCentralWidget(centro);
    auto* caja = new QVBoxLayout(centro);

    auto* fila = new QHBoxLayout;
    LabelNomCov = nombra(new QLabel(QStringLiteral("Nombre Covariable: "), centro), "LabelNomCov");
    LabelCov = nombra(new QLabel(QStringLiteral("..."), centro), "LabelCov");
    fila->addWidget(LabelNomCov);
    fila->addWidget(LabelCov, 1);
    caja->addLayout(fila);

    // The category chooser of the selected grid takes the place of LabelCate.
    filaCategoria_ = new QHBoxLayout;
    LabelCategoria = nombra(new QLabel(QStringLiteral("Categoria Covariable: "), centro), "LabelCategoria");
    LabelCate = nombra(new QLabel(QStringLiteral("..."), centro), "LabelCate");
    filaCategoria_->addWidget(LabelCategoria);
    filaCategoria_->addWidget(LabelCate);
    filaCategoria_->addStretch(1);
    caja->addLayout(filaCategoria_);

    auto* medio = new QHBoxLayout;
    CheckListBoxFiles = nombra(new QListWidget(centro), "CheckListBoxFiles");
    connect(CheckListBoxFiles, &QListWidget::itemSelectionChanged, this, &TFormCovManager::CheckListBoxFilesClick);
    medio->addWidget(CheckListBoxFiles, 1);
    auto* lado = new QVBoxLayout;
    auto pulsador = [&](const char* nombre, const QString& t, bool on, void (TFormCovManager::*h)()) {
        auto* b = nombra(new QPushButton(t, centro), nombre);
        b->setEnabled(on);
        connect(b, &QPushButton::clicked, this, h);
        lado->addWidget(b);
        return b;
    };
    ButtonAllSelect = pulsador("ButtonAllSelect", QStringLiteral("Seleccionar Todo"), false,
                               &TFormCovManager::ButtonAllSelectClick);
    ButtonDeselectAll = pulsador("ButtonDeselectAll", QStringLiteral("Deseleccionar Todo"), false,
                                 &TFormCovManager::ButtonDeselectAllClick);
    ButtonAuto = pulsador("ButtonAuto", QStringLiteral("Automatico"), true, &TFormCovManager::ButtonAutoClick);
    lado->addStretch(1);
    medio->addLayout(lado);
    caja->addLayout(medio, 1);

    PanelBarraProgreso = nombra(new QFrame(centro), "PanelBarraProgreso");
    auto* pb = new QHBoxLayout(PanelBarraProgreso);
    ProgressBarCarga = nombra(new QProgressBar(PanelBarraProgreso), "ProgressBarCarga");
    ProgressBarCarga->setRange(0, 100);
    ProgressBarCarga->setValue(0);
    pb->addWidget(ProgressBarCarga, 1);
    BotonCancelar = nombra(new QPushButton(quel::CancelaCorrida::textoCancelar(), PanelBarraProgreso), "BotonCancelar");
    BotonCancelar->setEnabled(false);
    pb->addWidget(BotonCancelar);
    PanelBarraProgreso->setVisible(false);
    caja->addWidget(PanelBarraProgreso);
}

// ---- shared steps -------------------------------------------------------------------

void TFormCovManager::habilitaControles(bool on) {
    if (on) {
        for (QWidget* w : {static_cast<QWidget*>(SpeedButtonCargaFile), static_cast<QWidget*>(SpeedButtonLimpiar),
                           static_cast<QWidget*>(ButtonAllSelect), static_cast<QWidget*>(ButtonDeselectAll)})
            w->setEnabled(true);
        MenuGuardar->setEnabled(true);
        MenuLimpiarlista->setEnabled(true);
        if (numArchivos >= 3 || numCargadas >= 3) SpeedButtonGuardar->setEnabled(true);
        return;
    }
    for (QWidget* w : {static_cast<QWidget*>(SpeedButtonGuardar), static_cast<QWidget*>(SpeedButtonLimpiar),
                       static_cast<QWidget*>(SpeedButtonCargaFile), static_cast<QWidget*>(SpeedButtonCargaCov),
                       static_cast<QWidget*>(ButtonAllSelect), static_cast<QWidget*>(ButtonDeselectAll)})
        w->setEnabled(false);
    MenuGuardar->setEnabled(false);
    MenuLimpiarlista->setEnabled(false);
}

void TFormCovManager::vaciaLista() {
    CheckListBoxFiles->clear();
    combos.clear();  // the choosers of the list go with it
    esquemas.clear();
    rutas.clear();
    actual = 0;
    LabelCov->setText(QStringLiteral("..."));
    LabelCate->setText(QStringLiteral("..."));
    LabelCate->setVisible(true);
}

void TFormCovManager::liberaTablas() {
    tablaCargada.reset();
    nombresCargados.clear();
}

void TFormCovManager::agregaGrid(const fs::path& ruta, const QString& nombre, bool marcado) {
    auto combo = std::make_unique<QComboBox>(centralWidget());
    combo->setObjectName(QStringLiteral("ComboCategoria%1").arg(combos.size()));
    for (int i = 0; i <= 63; ++i) combo->addItem(QString::number(i));
    combo->setCurrentIndex(10);
    combo->setFixedWidth(70);
    combo->setVisible(false);
    filaCategoria_->insertWidget(filaCategoria_->count() - 1, combo.get());
    auto esquema = std::make_unique<QComboBox>(centralWidget());
    esquema->setObjectName(QStringLiteral("ComboEsquema%1").arg(esquemas.size()));
    esquema->addItems({quel::enIdioma("Intervalos iguales", "Equal intervals"),
                       quel::enIdioma("Frecuencias iguales", "Equal frequency")});
    esquema->setVisible(false);
    filaCategoria_->insertWidget(filaCategoria_->count() - 1, esquema.get());
    combos.push_back(std::move(combo));
    esquemas.push_back(std::move(esquema));
    rutas.resize(static_cast<std::size_t>(numArchivos) + 1);
    rutas[static_cast<std::size_t>(numArchivos)] = ruta;
    auto* item = new QListWidgetItem(nombre, CheckListBoxFiles);
    item->setData(kRolNombre, QByteArray::fromStdString(nombreDeArchivo(ruta.filename().string())));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(marcado ? Qt::Checked : Qt::Unchecked);
    ++numArchivos;
}

int TFormCovManager::cuentaMarcados() const {
    int n = 0;
    for (int i = 0; i < numArchivos && i < CheckListBoxFiles->count(); ++i)
        if (CheckListBoxFiles->item(i)->checkState() == Qt::Checked) ++n;
    return n;
}

std::vector<ItemCovariable> TFormCovManager::items() const {
    std::vector<ItemCovariable> r;
    for (int i = 0; i < numArchivos && i < CheckListBoxFiles->count(); ++i) {
        const QListWidgetItem* it = CheckListBoxFiles->item(i);
        ItemCovariable c;
        c.nombre = it->data(kRolNombre).toByteArray().toStdString();
        c.marcado = it->checkState() == Qt::Checked;
        if (i >= numCargadas) {
            const QComboBox* combo = combos[static_cast<std::size_t>(i - numCargadas)].get();
            c.ruta = rutas[static_cast<std::size_t>(i)];
            c.numClases = combo->currentText().toInt();
            c.manual = !combo->isEnabled();
            c.cuantiles = esquemas[static_cast<std::size_t>(i - numCargadas)]->currentIndex() == 1;
        }
        r.push_back(std::move(c));
    }
    return r;
}

bool TFormCovManager::clasesValidas() {
    for (int i = numCargadas; i < numArchivos; ++i) {
        const QComboBox* combo = combos[static_cast<std::size_t>(i - numCargadas)].get();
        const QListWidgetItem* it = CheckListBoxFiles->item(i);
        if (it->checkState() == Qt::Checked && combo->isEnabled() && combo->currentText().toInt() < 1) {
            s_->dialogos().mensaje(this, texto(s_->tablas().mensajesCovManager[3]), textoSinClases(it->text()),
                                   quel::IconoMensaje::Advertencia);
            return false;
        }
    }
    return true;
}

void TFormCovManager::muestraProgreso(bool on) {
    if (on) ProgressBarCarga->setValue(0);
    if (on) BotonCancelar->setText(quel::CancelaCorrida::textoCancelar());
    PanelBarraProgreso->setVisible(on);
}

void TFormCovManager::avisoPocos() {
    const auto& t = s_->tablas();
    s_->dialogos().mensaje(this, texto(t.mensajesCovManager[3]), texto(t.mensajesCovManager[4]),
                           quel::IconoMensaje::Advertencia);
}

int TFormCovManager::construye(const fs::path& ruta) {
    muestraProgreso(true);
    const std::vector<ItemCovariable> lista = items();
    const TablaCargada* tabla = numCargadas > 0 ? tablaCargada.get() : nullptr;
    quel::ProgresoEnBarra progreso(ProgressBarCarga);
    int codigo = 0;
    std::string fallo;
    {
        quel::CancelaCorrida cancelar(BotonCancelar, progreso);
        s_->enSegundoPlano(
            [&] {
                try {
                    codigo = constructor.construyeTabla(ruta, lista, tabla, progreso);
                } catch (const std::exception& e) {
                    fallo = e.what();
                }
            },
            BotonCancelar);
    }
    numSeleccionadas = constructor.numSeleccionadas;
    if (codigo == quel::kCodigoCancelado) {
        s_->agregaLog(quel::CancelaCorrida::lineaCancelada());
        return codigo;
    }
    if (!fallo.empty()) {
        s_->dialogos().mensaje(this, QStringLiteral("ERROR"), QString::fromStdString(fallo), quel::IconoMensaje::Error);
        return codigos::kVacio;
    }
    if (codigo == 0)
        for (const QString& aviso : avisosClases()) s_->agregaLog(aviso);
    if (codigo != 0) {
        s_->muestraError(codigo, constructor.error.linea);
        // The box tells what went wrong; the log names the file.
        if (!constructor.rutaError.empty()) {
            QString linea = quel::rutaTexto(constructor.rutaError);
            if (!constructor.error.detalle.empty())
                linea += QStringLiteral(": ") + QString::fromStdString(constructor.error.detalle);
            s_->agregaLog(linea);
        }
    }
    return codigo;
}

// ---- commands -------------------------------------------------------------------------

void TFormCovManager::SpeedButtonCargaFolderClick() {
    const auto carpeta =
        s_->dialogos().eligeCarpeta(this, windowTitle(), quel::rutaTexto(s_->raiz().mapea("C:\\Quel")));
    if (!carpeta) return;
    const fs::path local = quel::rutaLocal(*carpeta);
    std::vector<std::string> archivos;
    std::error_code ec;
    for (fs::directory_iterator it(local, ec), fin; !ec && it != fin; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string nombre = it->path().filename().string();
        const auto punto = nombre.find('.');
        // Only names whose text from the first "." onward is exactly ".asc".
        if (punto != std::string::npos && nombre.compare(punto, std::string::npos, ".asc") == 0)
            archivos.push_back(nombre);
    }
    std::sort(archivos.begin(), archivos.end());
    for (const std::string& a : archivos)
        agregaGrid(local / a, quel::rutaTexto(fs::path(nombreDeArchivo(a))), false);
    habilitaControles(true);
    if (s_->aceptaCovariables() && numArchivos >= 2) SpeedButtonCargaCov->setEnabled(true);
}

void TFormCovManager::SpeedButtonCargaFileClick() {
    quel::PeticionArchivo p;
    p.carpeta = quel::rutaTexto(s_->raiz().mapea("C:\\Quel\\Grids"));
    p.filtro = quel::conGeoTIFF(texto(s_->tablas().textosDialogo[2]));
    const auto elegido = s_->dialogos().abreArchivo(this, p);
    if (!elegido) return;
    const fs::path ruta = quel::rutaLocal(elegido->ruta);
    agregaGrid(ruta, quel::rutaTexto(fs::path(nombreDeArchivo(ruta.filename().string()))), true);
    habilitaControles(true);
    if (s_->aceptaCovariables() && numArchivos >= 3) SpeedButtonCargaCov->setEnabled(true);
}

void TFormCovManager::AbrirArchivo1Click() {
    const bool nuevoAntes = NuevoArchivo1->isEnabled();
    const bool abrirAntes = AbrirArchivo1->isEnabled();
    NuevoArchivo1->setEnabled(true);
    AbrirArchivo1->setEnabled(false);
    quel::PeticionArchivo p;
    p.filtro = texto(s_->tablas().textosDialogo[1]);
    const auto elegido = s_->dialogos().abreArchivo(this, p);
    if (!elegido) return;

    // Read with a dataset of this window's own; the list changes only when
    // the whole table has been read.
    muestraProgreso(true);
    cargaArchivo lector(s_->carpetaTrabajo());
    const fs::path ruta = quel::rutaLocal(elegido->ruta);
    int codigo = 0;
    s_->enSegundoPlano([&] { codigo = lector.cargaCovariables(ruta); });
    if (codigo != 0 && codigo != codigos::kBorrado) {
        muestraProgreso(false);
        NuevoArchivo1->setEnabled(nuevoAntes);
        AbrirArchivo1->setEnabled(abrirAntes);
        s_->muestraError(codigo, lector.error.linea);
        return;
    }
    vaciaLista();
    auto tabla = std::make_unique<TablaCargada>();
    tabla->coordenadas = std::move(*lector.coordenadas);
    tabla->covariables = std::move(*lector.covariables);
    tabla->categorias = std::move(*lector.categorias);
    tablaCargada = std::move(tabla);
    nombresCargados = lector.nombresCovariables->datos[0];
    numCargadas = tablaCargada->numCovariables();
    numArchivos = numCargadas;
    rutas.assign(static_cast<std::size_t>(numArchivos), fs::path());
    for (const std::string& n : nombresCargados) {
        auto* item = new QListWidgetItem(texto(n), CheckListBoxFiles);
        item->setData(kRolNombre, QByteArray::fromStdString(n));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    ProgressBarCarga->setValue(100);
    muestraProgreso(false);
    habilitaControles(true);
    if (s_->aceptaCovariables() && numArchivos >= 2) SpeedButtonCargaCov->setEnabled(true);
}

void TFormCovManager::NuevoArchivo1Click() {
    vaciaLista();
    SpeedButtonCargaFile->setEnabled(true);
    NuevoArchivo1->setEnabled(false);
    AbrirArchivo1->setEnabled(true);
    numArchivos = 0;
    numCargadas = 0;
}

void TFormCovManager::SpeedButtonLimpiarClick() {
    numArchivos = 0;
    numCargadas = 0;
    vaciaLista();
    habilitaControles(false);
}

void TFormCovManager::CheckListBoxFilesClick() {
    const int i = CheckListBoxFiles->currentRow();
    if (i < 0 || i >= numArchivos) return;
    QComboBox* anterior =
        actual >= 0 && static_cast<std::size_t>(actual) < combos.size() ? combos[static_cast<std::size_t>(actual)].get()
                                                                       : nullptr;
    QComboBox* esquemaAnterior = anterior ? esquemas[static_cast<std::size_t>(actual)].get() : nullptr;
    if (esquemaAnterior) esquemaAnterior->setVisible(false);
    LabelCov->setText(CheckListBoxFiles->item(i)->text());
    if (i < numCargadas) {
        ButtonAuto->setEnabled(false);
        if (anterior) anterior->setVisible(false);
        QString n;
        if (tablaCargada) {
            std::string s;
            quel::formato::numero(s, tablaCargada->categorias.datos[0][static_cast<std::size_t>(i)]);
            n = QString::fromStdString(s);
        }
        LabelCate->setText(n);
        LabelCate->setVisible(true);
        return;
    }
    QComboBox* combo = combos[static_cast<std::size_t>(i - numCargadas)].get();
    ButtonAuto->setEnabled(true);
    ButtonAuto->setText(combo->isEnabled() ? QStringLiteral("Automatic") : QStringLiteral("Manual"));
    if (anterior) anterior->setVisible(false);
    LabelCate->setVisible(false);
    combo->setVisible(true);
    esquemas[static_cast<std::size_t>(i - numCargadas)]->setVisible(true);
    actual = i - numCargadas;
}

void TFormCovManager::ButtonAutoClick() {
    const int i = CheckListBoxFiles->currentRow();
    if (i < numCargadas || i >= numArchivos) return;
    QComboBox* combo = combos[static_cast<std::size_t>(i - numCargadas)].get();
    combo->setEnabled(!combo->isEnabled());
    esquemas[static_cast<std::size_t>(i - numCargadas)]->setEnabled(combo->isEnabled());  // no scheme when manual
    ButtonAuto->setText(combo->isEnabled() ? QStringLiteral("Automatic") : QStringLiteral("Manual"));
}

void TFormCovManager::ButtonAllSelectClick() {
    for (int i = 0; i < numArchivos && i < CheckListBoxFiles->count(); ++i)
        CheckListBoxFiles->item(i)->setCheckState(Qt::Checked);
}

void TFormCovManager::ButtonDeselectAllClick() {
    for (int i = 0; i < numArchivos && i < CheckListBoxFiles->count(); ++i)
        CheckListBoxFiles->item(i)->setCheckState(Qt::Unchecked);
}

void TFormCovManager::SpeedButtonGuardarClick() {
    quel::PeticionArchivo p;
    p.filtro = texto(s_->tablas().textosDialogo[1]);
    numSeleccionadas = cuentaMarcados();
    if (numSeleccionadas < 3) {
        avisoPocos();
        return;
    }
    if (!clasesValidas()) return;
    if (const auto elegido = s_->dialogos().guardaArchivo(this, p)) {
        if (quel::salidaEsEntrada(s_->dialogos(), this, constructorTabla::conExtension(quel::rutaLocal(elegido->ruta)),
                                  rutas))
            return;
        if (construye(quel::rutaLocal(elegido->ruta)) == 0) {
            const auto& t = s_->tablas();
            QStringList textos{texto(t.mensajesCovManager[2])};
            textos << avisosClases();
            s_->dialogos().mensaje(this, texto(t.mensajesCovManager[1]), textos.join(QLatin1Char('\n')),
                                   quel::IconoMensaje::Informacion);
        }
    }
    muestraProgreso(false);
}

void TFormCovManager::SpeedButtonCargaCovClick() {
    // The menu twin stays enabled: the main window must still take a table.
    if (!s_->aceptaCovariables()) return;
    if (cuentaMarcados() == 0) {
        avisoPocos();
        return;
    }
    if (!clasesValidas()) return;
    const fs::path ruta = rutaCovTemp();
    const int codigo = construye(ruta);
    muestraProgreso(false);
    if (codigo != 0) return;
    SpeedButtonCerrarClick();
    SpeedButtonCargaCov->setEnabled(false);
    s_->cargaCovariables(quel::rutaTexto(ruta));
}

void TFormCovManager::SpeedButtonCerrarClick() {
    liberaTablas();
    vaciaLista();
    NuevoArchivo1->setEnabled(true);
    SpeedButtonLimpiarClick();
    s_->agregaLog(quel::lineaTiempo(*s_, s_->segundosAbierto()));
    s_->muestraPrincipal();
    cerrando_ = true;
    hide();
    cerrando_ = false;
}

void TFormCovManager::closeEvent(QCloseEvent* e) {
    // The title bar's close is the close command: the main window comes back.
    if (!cerrando_ && isVisible()) SpeedButtonCerrarClick();
    e->accept();
}

namespace quel {
std::unique_ptr<QWidget> creaTFormCovManager(std::shared_ptr<ServiciosPrincipal> servicios) {
    return std::make_unique<TFormCovManager>(std::move(servicios));
}
}  // namespace quel
