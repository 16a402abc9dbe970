// The model evaluation of the main window: the command (its settings asked
// through the dialogs, the work in the background with the progress bar and
// Cancel), the evaluation's table in the string grid, and its plots in
// windows of their own, each able to export its picture and the tables.
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "engine/evaluacion.h"
#include "ui/Controles.h"
#include "ui/ProgresoBarra.h"

using quel::enIdioma;

namespace {

// Texts of one kind of plot: its node, its title (after the species) and axes.
struct TextosGraficaVentana {
    const char *nodoEs, *nodoEn, *tituloEs, *tituloEn, *ejeXEs, *ejeXEn, *ejeYEs, *ejeYEn;
    QString nodo() const { return enIdioma(nodoEs, nodoEn); }
};

// Indexed by the plot's state minus kNodoGraficaROC.
const TextosGraficaVentana kTextosGraficas[] = {
    {"Curva ROC", "ROC curve", "%1: curva ROC de los sitios reservados", "%1: ROC curve of the held-out sites",
     "Tasa de falsos positivos", "False positive rate", "Tasa de verdaderos positivos", "True positive rate"},
    {"Curva de Boyce", "Boyce curve", "%1: curva de Boyce", "%1: Boyce curve", "Probabilidad predictiva",
     "Predictive probability", "Predicho / esperado", "Predicted / expected"},
    {"Importancia de las covariables", "Covariate importance", "%1: importancia de las covariables",
     "%1: covariate importance", "Covariable", "Covariate", "Importancia", "Importance"},
    {"Respuesta por categoría", "Response by category", "%1: respuesta por categoría", "%1: response by category",
     "Covariable:categoría", "Covariate:category", "Probabilidad predictiva media", "Mean predictive probability"},
};

// The axes of a chart, every series attached to both.
void ejes(QChart* c, QAbstractAxis* x, QAbstractAxis* y, const TextosGraficaVentana& t) {
    x->setTitleText(enIdioma(t.ejeXEs, t.ejeXEn));
    y->setTitleText(enIdioma(t.ejeYEs, t.ejeYEn));
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : c->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

QValueAxis* eje(double desde, double hasta) {
    auto* e = new QValueAxis;
    e->setRange(desde, hasta);
    return e;
}

// ROC or Boyce: one line per fold (Boyce windows without a ratio left out);
// the ROC has the random model's diagonal too.
void curvas(QChart* c, const EspecieEvaluada& e, bool roc, const TextosGraficaVentana& t) {
    double desde = INFINITY, hasta = -INFINITY, mayor = 1;
    for (const PliegueEvaluado& p : e.pliegues) {
        auto* s = new QLineSeries;
        s->setName(enIdioma("Pliegue %1", "Fold %1").arg(p.pliegue));
        if (roc)
            for (const auto& q : p.roc) s->append(q.falsos, q.verdaderos);
        else
            for (const auto& v : p.boyce) {
                if (!std::isfinite(v.razon)) continue;
                s->append(v.centro, v.razon);
                desde = std::min(desde, v.centro);
                hasta = std::max(hasta, v.centro);
                mayor = std::max(mayor, v.razon);
            }
        c->addSeries(s);
    }
    if (roc) {
        auto* azar = new QLineSeries;
        azar->setName(enIdioma("Azar", "Random"));
        azar->setColor(Qt::gray);
        azar->append(0, 0);
        azar->append(1, 1);
        c->addSeries(azar);
    }
    if (roc || !(desde < hasta)) {
        desde = 0;
        hasta = 1;
    }
    ejes(c, eje(desde, hasta), eje(0, roc ? 1 : mayor), t);
}

// Importance or response: one bar per label (an empty value drawn as 0).
void barras(QChart* c, const QStringList& etiquetas, const std::vector<double>& valores,
            const TextosGraficaVentana& t) {
    auto* conjunto = new QBarSet(enIdioma(t.ejeYEs, t.ejeYEn));
    double mayor = 0;
    for (double v : valores) {
        const double x = std::isfinite(v) ? v : 0;
        conjunto->append(x);
        mayor = std::max(mayor, x);
    }
    auto* serie = new QBarSeries;
    serie->append(conjunto);
    c->addSeries(serie);
    auto* x = new QBarCategoryAxis;
    x->append(etiquetas);
    ejes(c, x, eje(0, mayor > 0 ? mayor : 1), t);
    c->legend()->setVisible(false);
}

}  // namespace

void TFormPrincipal::habilitaEvaluar(bool on) {
    on = on && entradasCompletas();
    SpeedButtonEvaluar->setEnabled(on);
    EvaluarMenu->setEnabled(on);
}

void TFormPrincipal::textosEvaluacion() {
    EvaluarMenu->setText(enIdioma("Evaluar", "Evaluate"));
    SpeedButtonEvaluar->setToolTip(enIdioma("Evaluar el modelo", "Evaluate the model"));
    for (QTreeWidgetItemIterator it(TreeViewExplorador); *it; ++it) {
        const int s = estadoNodo(*it);
        if (s == kNodoEvaluacion)
            (*it)->setText(0, enIdioma("Evaluación", "Evaluation"));
        else if (kNodoGraficaROC <= s && s <= kNodoGraficaRespuesta)
            (*it)->setText(0, kTextosGraficas[s - kNodoGraficaROC].nodo());
    }
}

void TFormPrincipal::quitaNodoEvaluacion() {
    evaluacion_.reset();
    for (int i = TreeViewExplorador->topLevelItemCount() - 1; i >= 0; --i)
        if (estadoNodo(TreeViewExplorador->topLevelItem(i)) == kNodoEvaluacion)
            std::unique_ptr<QTreeWidgetItem>(TreeViewExplorador->takeTopLevelItem(i));
}

void TFormPrincipal::SpeedButtonEvaluarClick() {
    // Every input must be there; the menu twin may outlive a clear.
    if (!entradasCompletas() || !empieza()) return;
    // The species as the tree shows them, each once, and as the dataset holds them.
    QStringList especies;
    std::vector<std::string> nombres;
    if (datos.especies)
        for (const std::string& n : datos.especies->datos[0])
            if (std::find(nombres.begin(), nombres.end(), n) == nombres.end()) {
                nombres.push_back(n);
                especies << tx(n);
            }
    auto eleccion = dialogos_.eligeEvaluacion(this, especies);
    if (!eleccion) {
        termina();
        return;
    }
    OpcionesEvaluacion opciones = std::move(*eleccion);
    if (opciones.prediccion.especie)
        if (const auto i = especies.indexOf(QString::fromStdString(*opciones.prediccion.especie)); i >= 0)
            opciones.prediccion.especie = nombres[static_cast<std::size_t>(i)];
    opciones.prediccion.prioriUniforme = quel::tipoPrioriElegido(tipoArchivo_) != 0;
    opciones.prediccion.covariables = rutaCovariables;
    opciones.prediccion.salida.clear();  // the tables are written on request, from the windows
    agregaLog(enIdioma("Evaluando el modelo...", "Evaluating the model..."));
    muestraProgreso(true);
    paso(-100);
    paso(10);
    auto resumen = std::make_shared<ResumenEvaluacion>();
    quel::ProgresoBarra progreso(ProgressBarMapa, 90);
    {
        quel::CancelaCorrida cancelar(BotonCancelar, progreso);
        habilitaEvaluar(false);
        enSegundoPlano([&] { *resumen = evaluacionDeDatos(opciones, datos, progreso); }, BotonCancelar);
        habilitaEvaluar(true);
    }
    paso(progreso.restante());
    if (!resumen->bien()) {
        // Reported as a run that gave nothing: the shown evaluation stays.
        ResumenPrediccion fallida;
        fallida.fin = resumen->fin;
        fallida.error = resumen->error;
        fallida.causa = resumen->error.detalle;
        terminaCorridaFallida(fallida);
        return;
    }
    quitaNodoEvaluacion();
    evaluacion_ = std::move(resumen);
    agregaHijoArbol(sender(), QString(), kArbolEvaluacion);
    agregaLog(enIdioma("Evaluación terminada en %1 s.", "Evaluation finished in %1 s.")
                  .arg(evaluacion_->segundos, 0, 'f', 1));
    muestraProgreso(false);
    termina();
}

void TFormPrincipal::muestraEvaluacion() {
    if (!evaluacion_) return;
    alternaVista(false);
    QTableWidget* g = StringGridDatos;
    g->clear();
    const QStringList filas = tx(textoEvaluacion(*evaluacion_)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    g->setRowCount(static_cast<int>(filas.size()));
    g->setColumnCount(0);
    for (int r = 0; r < filas.size(); ++r) {
        const QStringList celdas = filas[r].split(QLatin1Char(','));
        g->setColumnCount(std::max(g->columnCount(), static_cast<int>(celdas.size())));
        for (int c = 0; c < celdas.size(); ++c) g->setItem(r, c, new QTableWidgetItem(celdas[c]));
    }
}

void TFormPrincipal::abreGrafica(int estado, int especie) {
    if (!evaluacion_ || especie < 0 || especie >= static_cast<int>(evaluacion_->especies.size()) ||
        estado < kNodoGraficaROC || estado > kNodoGraficaRespuesta)
        return;
    const ResumenEvaluacion& r = *evaluacion_;
    const EspecieEvaluada& e = r.especies[static_cast<std::size_t>(especie)];
    const TextosGraficaVentana& t = kTextosGraficas[estado - kNodoGraficaROC];
    const QString titulo = enIdioma(t.tituloEs, t.tituloEn).arg(tx(e.especie));
    auto* grafica = new QChart;
    grafica->setTitle(titulo);
    QStringList etiquetas;
    for (const std::string& n : r.covariables) etiquetas << tx(n);
    if (estado == kNodoGraficaROC || estado == kNodoGraficaBoyce) {
        curvas(grafica, e, estado == kNodoGraficaROC, t);
    } else if (estado == kNodoGraficaImportancia) {
        barras(grafica, etiquetas, e.importancia, t);
    } else {
        QStringList categorias;
        std::vector<double> medias;
        for (const auto& q : e.respuesta) {
            categorias << etiquetas.value(q.covariable) + QLatin1Char(':') + QString::number(q.categoria);
            medias.push_back(q.media);
        }
        barras(grafica, categorias, medias, t);
    }

    std::erase_if(ventanas_, [](const QPointer<QWidget>& v) { return v.isNull(); });
    auto* v = new QWidget(this, Qt::Window);
    v->setAttribute(Qt::WA_DeleteOnClose);
    v->setObjectName(QStringLiteral("VentanaGrafica"));
    v->setWindowTitle(titulo);
    auto* vista = new QChartView(grafica, v);
    vista->setObjectName(QStringLiteral("VistaGrafica"));
    vista->setRenderHint(QPainter::Antialiasing);
    auto* imagen = new QPushButton(enIdioma("Exportar imagen...", "Export picture..."), v);
    imagen->setObjectName(QStringLiteral("BotonExportaImagen"));
    auto* tablas = new QPushButton(enIdioma("Exportar tablas...", "Export tables..."), v);
    tablas->setObjectName(QStringLiteral("BotonExportaTablas"));
    connect(imagen, &QPushButton::clicked, this, [this, vista, titulo] {
        if (!ocupado_) exportaImagen(vista->grab().toImage(), titulo);
    });
    // The window's own evaluation, even when a later one has replaced it in the explorer.
    connect(tablas, &QPushButton::clicked, this, [this, propia = evaluacion_] { exportaTablasEvaluacion(*propia); });
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(imagen);
    botones->addWidget(tablas);
    auto* l = new QVBoxLayout(v);
    l->addWidget(vista, 1);
    l->addLayout(botones);
    v->resize(800, 600);
    ventanas_.emplace_back(v);
    v->show();
}

void TFormPrincipal::exportaTablasEvaluacion(const ResumenEvaluacion& r) {
    if (ocupado_) return;
    const auto carpeta =
        dialogos_.eligeCarpeta(this, enIdioma("Carpeta de las tablas de la evaluación", "Folder for the evaluation's tables"),
                               QString::fromStdString(raiz_.mapea("C:\\Quel").string()));
    if (!carpeta) return;
    const std::filesystem::path destino = quel::archivoLocal(*carpeta);
    for (const char* nombre : {"evaluation.csv", "folds.csv"})
        if (quel::salidaEsEntrada(dialogos_, this, destino / nombre, entradasLeidas_)) return;
    std::string razon;
    if (escribeEvaluacion(r, destino, razon)) {
        agregaLog(enIdioma("Tablas de la evaluación escritas en %1", "Evaluation tables written to %1").arg(*carpeta));
        return;
    }
    const QString texto = QString::fromStdString(razon);
    dialogos_.mensaje(this, QStringLiteral("ERROR"), texto, quel::IconoMensaje::Error);
    agregaLog(texto);
}
