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
    const auto avisa = [&](const QString& t, quel::IconoMensaje icono) { d.mensaje(this, titulo(), t, icono); };
    const std::vector<ItemCovariable> lista = items();
    if (std::none_of(lista.begin() + numCargadas, lista.end(),
                     [](const ItemCovariable& c) { return c.marcado && !c.manual; })) {
        avisa(enIdioma("Marque al menos una malla en modo automático.", "Tick at least one grid in automatic mode."),
              quel::IconoMensaje::Advertencia);
        return;
    }
    quel::PeticionArchivo p;
    p.titulo = enIdioma("Sitios de presencia", "Presence sites");
    p.filtro = enIdioma("Sitios (*.txt)|*.txt|Todos|*.*", "Sites (*.txt)|*.txt|All|*.*");
    p.carpeta = quel::rutaTexto(s_->raiz().mapea("C:\\Quel"));
    const auto elegido = d.abreArchivo(this, p);
    if (!elegido) return;
    QTemporaryDir carpeta;
    const fs::path sitios = quel::rutaLocal(elegido->ruta);
    const std::vector<std::string> especies =
        carpeta.isValid() ? especiesDeSitios(sitios, carpeta.path().toStdString()) : std::vector<std::string>{};
    if (especies.empty()) {
        avisa(enIdioma("No se pudieron leer los sitios de %1.", "Cannot read the sites of %1.").arg(elegido->ruta),
              quel::IconoMensaje::Error);
        return;
    }
    std::string especie = especies.front();
    if (especies.size() > 1) {
        QStringList nombres;
        for (const std::string& e : especies) nombres << quel::texto(e);
        const auto t = d.pideTexto(this, titulo(),
                                   enIdioma("Especie (el archivo tiene: %1):", "Species (the file holds: %1):")
                                       .arg(nombres.join(QStringLiteral(", "))),
                                   nombres.front());
        if (!t) return;
        especie = t->trimmed().toStdString();
        if (std::find(especies.begin(), especies.end(), especie) == especies.end()) {
            avisa(enIdioma("El archivo no tiene la especie %1.", "The file holds no species %1.").arg(t->trimmed()),
                  quel::IconoMensaje::Error);
            return;
        }
    }
    const auto respuesta = d.pideTexto(
        this, titulo(),
        enIdioma("Números de clases a probar, separados por comas (de 1 a 63). Cada uno se prueba con intervalos "
                 "iguales y con frecuencias iguales, con sesgo y priori uniformes, en 5 pliegues aleatorios "
                 "(semilla 1).",
                 "Numbers of classes to try, separated by commas (1 to 63). Each is tried with equal intervals and "
                 "with equal frequency, with uniform bias and prior, on 5 random folds (seed 1)."),
        QStringLiteral("4,6,8,12"));
    if (!respuesta) return;
    std::vector<int> clases;
    if (!leeClases(QString(*respuesta).remove(QLatin1Char(' ')).toStdString(), clases) ||
        *std::max_element(clases.begin(), clases.end()) > kMaximoClases) {
        avisa(enIdioma("Lista de clases no válida: %1", "Not a valid list of classes: %1").arg(*respuesta),
              quel::IconoMensaje::Error);
        return;
    }

    OpcionesAjuste a;
    a.items = lista;
    a.tabla = numCargadas > 0 ? tablaCargada.get() : nullptr;
    a.ajustes = combinaAjustes({false, true}, clases);
    a.evaluacion.prediccion.sitios = sitios;
    a.evaluacion.prediccion.especie = especie;
    a.trabajo = carpeta.path().toStdString();
    muestraProgreso(true);
    quel::ProgresoEnBarra progreso(ProgressBarCarga);
    ResumenAjuste r;
    std::string fallo;
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
    if (r.fin == ResumenAjuste::Fin::kCancelada) {
        s_->agregaLog(quel::CancelaCorrida::lineaCancelada());
        return;
    }
    if (fallo.empty() && r.fin == ResumenAjuste::Fin::kCarga && r.error.codigo != codigos::kVacio) {
        s_->muestraError(r.error.codigo, r.error.linea);
        return;
    }
    if (!fallo.empty() || !r.bien()) {
        QString t = QString::fromStdString(fallo.empty() ? r.error.detalle : fallo);
        if (!r.error.archivo.empty()) t = quel::rutaTexto(r.error.archivo) + QStringLiteral(": ") + t;
        d.mensaje(this, QStringLiteral("ERROR"), t, quel::IconoMensaje::Error);
        return;
    }
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
