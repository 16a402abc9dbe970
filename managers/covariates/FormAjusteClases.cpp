// The covariate manager's cross-validated choice of classes: asks for the
// sites and the class counts, tunes in the background with the window's
// progress bar and Cancel, shows every setting's scores and sets the ticked
// grids' choosers to the best one, ready to be built and saved as usual.
#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <optional>

#include "data/cargaArchivo.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/covariates/ajusteClases.h"
#include "ui/ProgresoBarra.h"

namespace fs = std::filesystem;
using quel::enIdioma;

namespace {

constexpr int kMaximoClases = 63;  // the category choosers' last entry

QString titulo() { return enIdioma("Elegir clases por validación cruzada", "Choose classes by cross-validation"); }

QString esquema(bool cuantiles) {
    return cuantiles ? enIdioma("Frecuencias iguales", "Equal frequency")
                     : enIdioma("Intervalos iguales", "Equal intervals");
}

QString numero(double v) { return QString::fromStdString(quel::metricas::texto(v)); }

// The results in the window's table, the best row marked and in bold.
void muestraResultados(QTableWidget* t, const ResumenAjuste& r) {
    t->clear();
    t->setColumnCount(7);
    t->setHorizontalHeaderLabels({enIdioma("Esquema", "Scheme"), enIdioma("Clases", "Classes"),
                                  enIdioma("AUC de prueba", "Test AUC"), enIdioma("de", "sd"), QStringLiteral("Boyce"),
                                  enIdioma("de", "sd"), enIdioma("Mejor", "Best")});
    t->setRowCount(static_cast<int>(r.resultados.size()));
    for (int i = 0; i < t->rowCount(); ++i) {
        const ResultadoAjuste& a = r.resultados[static_cast<std::size_t>(i)];
        const QStringList celdas{esquema(a.ajuste.cuantiles),   QString::number(a.ajuste.clases),
                                 numero(a.media[kAucPrueba]),   numero(a.desviacion[kAucPrueba]),
                                 numero(a.media[kBoyce]),       numero(a.desviacion[kBoyce]),
                                 i == r.mejor ? QStringLiteral("*") : QString()};
        for (int c = 0; c < celdas.size(); ++c) {
            auto* celda = new QTableWidgetItem(celdas[c]);
            celda->setFlags(celda->flags() & ~Qt::ItemIsEditable);
            QFont f = celda->font();
            f.setBold(i == r.mejor);
            celda->setFont(f);
            t->setItem(i, c, celda);
        }
    }
    t->resizeColumnsToContents();
    t->setVisible(true);
}

// A message under the tuning's title.
void avisa(quel::Dialogos& d, QWidget* padre, const QString& t, quel::IconoMensaje icono) {
    d.mensaje(padre, titulo(), t, icono);
}

// The presence sites file, asked for in the data root.
std::optional<quel::ArchivoElegido> pideSitios(quel::Dialogos& d, QWidget* padre, const quel::RaizDatos& raiz) {
    quel::PeticionArchivo p;
    p.titulo = enIdioma("Sitios de presencia", "Presence sites");
    p.filtro = enIdioma("Sitios (*.txt)|*.txt|Todos|*.*", "Sites (*.txt)|*.txt|All|*.*");
    p.carpeta = quel::rutaTexto(raiz.mapea("C:\\Quel"));
    return d.abreArchivo(padre, p);
}

// The species to tune for: the sites file's only one, else the one the user
// names. Nothing when the user gives up, or when the file cannot be read or
// lacks the species named (both told).
std::optional<std::string> eligeEspecie(quel::Dialogos& d, QWidget* padre, const QTemporaryDir& carpeta,
                                        const fs::path& sitios, const QString& ruta) {
    const std::vector<std::string> especies =
        carpeta.isValid() ? especiesDeSitios(sitios, carpeta.path().toStdString()) : std::vector<std::string>{};
    if (especies.empty()) {
        avisa(d, padre, enIdioma("No se pudieron leer los sitios de %1.", "Cannot read the sites of %1.").arg(ruta),
              quel::IconoMensaje::Error);
        return std::nullopt;
    }
    std::string especie = especies.front();
    if (especies.size() > 1) {
        QStringList nombres;
        for (const std::string& e : especies) nombres << quel::texto(e);
        const auto t = d.pideTexto(padre, titulo(),
                                   enIdioma("Especie (el archivo tiene: %1):", "Species (the file holds: %1):")
                                       .arg(nombres.join(QStringLiteral(", "))),
                                   nombres.front());
        if (!t) return std::nullopt;
        especie = t->trimmed().toStdString();
        if (std::find(especies.begin(), especies.end(), especie) == especies.end()) {
            avisa(d, padre,
                  enIdioma("El archivo no tiene la especie %1.", "The file holds no species %1.").arg(t->trimmed()),
                  quel::IconoMensaje::Error);
            return std::nullopt;
        }
    }
    return especie;
}

// The class counts to try. Nothing when the user gives up or the list is
// refused (with its message).
std::optional<std::vector<int>> pideClases(quel::Dialogos& d, QWidget* padre) {
    const auto respuesta = d.pideTexto(
        padre, titulo(),
        enIdioma("Números de clases a probar, separados por comas (de 1 a 63). Cada uno se prueba con intervalos "
                 "iguales y con frecuencias iguales, con sesgo y priori uniformes, en 5 pliegues aleatorios "
                 "(semilla 1).",
                 "Numbers of classes to try, separated by commas (1 to 63). Each is tried with equal intervals and "
                 "with equal frequency, with uniform bias and prior, on 5 random folds (seed 1)."),
        QStringLiteral("4,6,8,12"));
    if (!respuesta) return std::nullopt;
    std::vector<int> clases;
    if (!leeClases(QString(*respuesta).remove(QLatin1Char(' ')).toStdString(), clases) ||
        *std::max_element(clases.begin(), clases.end()) > kMaximoClases) {
        avisa(d, padre, enIdioma("Lista de clases no válida: %1", "Not a valid list of classes: %1").arg(*respuesta),
              quel::IconoMensaje::Error);
        return std::nullopt;
    }
    return clases;
}

// A tuning that gave no results told: a cancelled one in the log, a load
// failure through the main window's error report, anything else in a
// message. False for any of them.
bool informaFin(quel::ServiciosPrincipal& s, QWidget* padre, const ResumenAjuste& r, const std::string& fallo) {
    if (r.fin == ResumenAjuste::Fin::kCancelada) {
        s.agregaLog(quel::CancelaCorrida::lineaCancelada());
        return false;
    }
    if (fallo.empty() && r.fin == ResumenAjuste::Fin::kCarga && r.error.codigo != codigos::kVacio) {
        s.muestraError(r.error.codigo, r.error.linea);
        return false;
    }
    if (!fallo.empty() || !r.bien()) {
        QString t = QString::fromStdString(fallo.empty() ? r.error.detalle : fallo);
        if (!r.error.archivo.empty()) t = quel::rutaTexto(r.error.archivo) + QStringLiteral(": ") + t;
        s.dialogos().mensaje(padre, QStringLiteral("ERROR"), t, quel::IconoMensaje::Error);
        return false;
    }
    return true;
}

}  // namespace

void TFormCovManager::construyeAjuste() {
    MenuAjusteClases = Ejecutar1->addAction(titulo());
    MenuAjusteClases->setObjectName(QStringLiteral("MenuAjusteClases"));
    connect(MenuAjusteClases, &QAction::triggered, this, &TFormCovManager::AjusteClasesClick);
    auto* barra = findChild<QToolBar*>(QStringLiteral("ToolBarCovManager"));
    SpeedButtonAjusteClases = new QToolButton(barra);
    SpeedButtonAjusteClases->setObjectName(QStringLiteral("SpeedButtonAjusteClases"));
    SpeedButtonAjusteClases->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    SpeedButtonAjusteClases->setToolTip(titulo());
    barra->addWidget(SpeedButtonAjusteClases);
    connect(SpeedButtonAjusteClases, &QToolButton::clicked, this, &TFormCovManager::AjusteClasesClick);
    TablaAjuste = new QTableWidget(centralWidget());
    TablaAjuste->setObjectName(QStringLiteral("TablaAjuste"));
    TablaAjuste->verticalHeader()->setVisible(false);
    TablaAjuste->setVisible(false);
    auto* caja = static_cast<QVBoxLayout*>(centralWidget()->layout());
    caja->insertWidget(caja->indexOf(PanelBarraProgreso), TablaAjuste);
}

void TFormCovManager::AjusteClasesClick() {
    quel::Dialogos& d = s_->dialogos();
    const std::vector<ItemCovariable> lista = items();
    if (std::none_of(lista.begin() + numCargadas, lista.end(),
                     [](const ItemCovariable& c) { return c.marcado && !c.manual; })) {
        avisa(d, this,
              enIdioma("Marque al menos una malla en modo automático.", "Tick at least one grid in automatic mode."),
              quel::IconoMensaje::Advertencia);
        return;
    }
    const auto elegido = pideSitios(d, this, s_->raiz());
    if (!elegido) return;
    QTemporaryDir carpeta;
    const fs::path sitios = quel::rutaLocal(elegido->ruta);
    const std::optional<std::string> especie = eligeEspecie(d, this, carpeta, sitios, elegido->ruta);
    if (!especie) return;
    const std::optional<std::vector<int>> clases = pideClases(d, this);
    if (!clases) return;

    OpcionesAjuste a;
    a.items = lista;
    a.tabla = numCargadas > 0 ? tablaCargada.get() : nullptr;
    a.ajustes = combinaAjustes({false, true}, *clases);
    a.evaluacion.prediccion.sitios = sitios;
    a.evaluacion.prediccion.especie = *especie;
    a.trabajo = carpeta.path().toStdString();
    std::string fallo;
    const ResumenAjuste r = ajustaEnSegundoPlano(a, fallo);
    if (!informaFin(*s_, this, r, fallo)) return;
    aplicaMejor(r, lista);
}

ResumenAjuste TFormCovManager::ajustaEnSegundoPlano(const OpcionesAjuste& a, std::string& fallo) {
    muestraProgreso(true);
    quel::ProgresoEnBarra progreso(ProgressBarCarga);
    ResumenAjuste r;
    {
        quel::CancelaCorrida cancelar(BotonCancelar, progreso);
        s_->enSegundoPlano(
            [&] {
                try {
                    r = ajustaClases(a, progreso);
                } catch (const std::exception& e) {
                    fallo = e.what();
                }
            },
            BotonCancelar);
    }
    muestraProgreso(false);
    return r;
}

void TFormCovManager::aplicaMejor(const ResumenAjuste& r, const std::vector<ItemCovariable>& lista) {
    muestraResultados(TablaAjuste, r);
    const ClasesProbadas& mejor = r.resultados[static_cast<std::size_t>(r.mejor)].ajuste;
    for (int i = numCargadas; i < numArchivos; ++i) {
        const std::size_t g = static_cast<std::size_t>(i - numCargadas);
        if (!lista[static_cast<std::size_t>(i)].marcado || lista[static_cast<std::size_t>(i)].manual) continue;
        combos[g]->setCurrentIndex(mejor.clases);
        esquemas[g]->setCurrentIndex(mejor.cuantiles ? 1 : 0);
    }
    s_->agregaLog(enIdioma("Mejor: %1, %2 clases (AUC de prueba media %3).", "Best: %1, %2 classes (mean test AUC %3).")
                      .arg(esquema(mejor.cuantiles))
                      .arg(mejor.clases)
                      .arg(numero(r.resultados[static_cast<std::size_t>(r.mejor)].media[kAucPrueba])));
}
