// The load, run, clear and manager commands of the main window, with their
// log lines, progress steps and enable rules.
#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <memory>
#include <QTreeWidget>

#include "ui/Controles.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "ui/ProgresoBarra.h"
#include "app/principalMainQuel.h"
#include "engine/asignaSitios.h"
#include "data/ocurrencias.h"
#include "engine/corridaPrediccion.h"
#include "engine/ejecutarQuel.h"

namespace {

void visibles(std::initializer_list<QWidget*> controles, bool on) {
    for (QWidget* w : controles) w->setVisible(on);
}

void habilita(std::initializer_list<QObject*> controles, bool on) {
    for (QObject* o : controles) {
        if (auto* w = qobject_cast<QWidget*>(o)) w->setEnabled(on);
        else if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(on);
    }
}

}  // namespace

namespace quel {
int tipoSesgoElegido(const TFormTipoArchivo* t) { return t ? t->RadioGroupTipoDatos->itemIndex() : 0; }
int tipoPrioriElegido(const TFormTipoArchivo* t) { return t ? t->RadioGroupTipoPriori->itemIndex() : 0; }
}  // namespace quel

void TFormPrincipal::revisaEjecucion() {
    if (!entradasCompletas()) return;
    habilita({SpeedButtonEjecutar, EjecutarMenu, RadioGroupColores, ButtonCambioColor}, true);
    habilitaEvaluar(true);
}

// ---- loads -----------------------------------------------------------------------

std::optional<QString> TFormPrincipal::pideEntrada(std::size_t titulo) {
    quel::PeticionArchivo p;
    p.carpeta = QString::fromStdString(raiz_.mapea("C:\\Quel\\Covariables").string());
    p.filtro = tx(textosDialogo[1]);
    p.titulo = tx(textosDialogo[titulo]);
    const auto elegido = dialogos_.abreArchivo(this, p);
    if (!elegido) {
        agregaLog(tx(mensajesLog[0]));
        return std::nullopt;
    }
    return elegido->ruta;
}

int TFormPrincipal::cargaEntrada(const QString& ruta, int (cargaArchivo::*carga)(const std::filesystem::path&)) {
    muestraProgreso(true);
    paso(-100);
    agregaLog(ruta);
    paso(10);
    int codigo = 0;
    enSegundoPlano([&] { codigo = (datos.*carga)(quel::archivoLocal(ruta)); });
    if (codigo == 0) entradasLeidas_.push_back(quel::archivoLocal(ruta));
    return codigo;
}

void TFormPrincipal::SpeedButtonCargaCovClick() {
    if (!empieza()) return;
    agregaLog(tx(mensajesLog[1]));
    if (const auto ruta = pideEntrada(3)) {
        if (cargaCovariablesPasos(*ruta) != 0) {
            termina();
            return;
        }
    }
    agregaLog(tx(mensajesLog[2]));
    termina();
}

int TFormPrincipal::cargaCovariablesDesde(const QString& ruta) {
    if (!empieza()) return -1;
    const int codigo = cargaCovariablesPasos(ruta);
    if (codigo == 0) agregaLog(tx(mensajesLog[2]));
    termina();
    return codigo;
}

int TFormPrincipal::cargaCovariablesPasos(const QString& ruta) {
    const int codigo = cargaEntrada(ruta, &cargaArchivo::cargaCovariables);
    paso(40);
    if (codigo != 0) {
        muestraError(codigo);
        return codigo;
    }
    control.marca(kBanderaCovariables);
    rutaCovariables = quel::archivoLocal(ruta);
    agregaHijoArbol(sender(), ruta, kArbolCovariables);
    alternaVista(true);
    habilita({SpeedButtonCargaCov, CovsMenu}, false);
    habilita({SpeedButtonCargaSesgo, BiasMenu, SpeedButtonCargaPriori, PrioriMenu, SpeedButtonCargaSites, SitiosMenu,
              MostrarMapa1, ExportImagen},
             true);
    ubicacion = ubicaMapa(*datos.coordenadas, ImageMapa->bitmap().width(), ImageMapa->bitmap().height());
    paso(25);
    columnasMapa = ubicacion.columnasMapa;
    muestraMapaCovariable(0, true);
    paso(25);
    habilitaBorrado(true);
    muestraProgreso(false);
    return 0;
}

void TFormPrincipal::SpeedButtonCargaSesgoClick() {
    if (ocupado_ || !tipoArchivo_) return;
    tipoArchivo_->abre(TFormTipoArchivo::Modo::Sesgo);
}

void TFormPrincipal::SpeedButtonCargaPrioriClick() {
    if (ocupado_ || !tipoArchivo_) return;
    tipoArchivo_->abre(TFormTipoArchivo::Modo::Priori);
}

// Bias and prior loads share their road; they differ in texts, dataset calls,
// flag, tree kind, controls and map.
struct TFormPrincipal::CargaTipo {
    int logInicio, logFin, titulo, bandera, tipoArbol;
    const char* uniforme;
    int (cargaArchivo::*carga)(const std::filesystem::path&);
    void (cargaArchivo::*cargaUniforme)();
};

const TFormPrincipal::CargaTipo TFormPrincipal::kCargaSesgo{
    3, 4, 4, kBanderaSesgo, kArbolSesgo, "Sesgo Uniforme", &cargaArchivo::cargaSesgo, &cargaArchivo::sesgoUniforme};
const TFormPrincipal::CargaTipo TFormPrincipal::kCargaPriori{
    5, 6, 5, kBanderaPriori, kArbolPriori, "Priori Uniforme", &cargaArchivo::cargaPriori, &cargaArchivo::prioriUniforme};

void TFormPrincipal::cargaConTipo(QObject* sender, int modo, const CargaTipo& t, const QString& dada) {
    // Bias and prior rows follow the covariate table: nothing to do without it.
    if (!hay(kBanderaCovariables) || !datos.covariables) return;
    if (!empieza()) return;
    if (modo == 0) {
        agregaLog(tx(mensajesLog[static_cast<std::size_t>(t.logInicio)]));
        const auto ruta = dada.isEmpty() ? pideEntrada(static_cast<std::size_t>(t.titulo)) : std::optional(dada);
        if (!ruta) {
            revisaEjecucion();
            termina();
            return;
        }
        const int codigo = cargaEntrada(*ruta, t.carga);
        paso(90);
        if (codigo != 0) {
            muestraError(codigo);
            termina();
            return;
        }
        registraEntrada(sender, *ruta, t, true);
    } else {
        muestraProgreso(true);
        paso(-100);
        paso(10);
        enSegundoPlano([&] { (datos.*t.cargaUniforme)(); });
        paso(90);
        registraEntrada(sender, QString::fromLatin1(t.uniforme), t, false);
    }
    termina();
}

void TFormPrincipal::registraEntrada(QObject* sender, const QString& texto, const CargaTipo& t, bool conArchivo) {
    control.marca(t.bandera);
    agregaHijoArbol(sender, texto, t.tipoArbol);
    if (t.bandera == kBanderaSesgo) {
        habilita({SpeedButtonCargaSesgo, BiasMenu}, false);
        sesgoCalculado_ = conArchivo;
        muestraMapaSesgo();
    } else {
        habilita({SpeedButtonCargaPriori, PrioriMenu}, false);
        prioriCalculado_ = conArchivo;
        muestraMapaPriori();
    }
    habilitaBorrado(true);
    agregaLog(tx(mensajesLog[static_cast<std::size_t>(t.logFin)]));
    muestraProgreso(false);
    revisaEjecucion();
}

void TFormPrincipal::cargaSesgoMapa(QObject* sender, int modo) { cargaConTipo(sender, modo, kCargaSesgo); }

void TFormPrincipal::cargaPrioriMapa(QObject* sender, int modo) { cargaConTipo(sender, modo, kCargaPriori); }

int TFormPrincipal::cargaSesgoDesde(const QString& ruta) {
    if (!tipoArchivo_ || hay(kBanderaSesgo)) return -1;
    // A handed-over file is a computed bias, as the choice dialog's first item.
    tipoArchivo_->RadioGroupTipoDatos->fijaItemIndex(0);
    cargaConTipo(nullptr, 0, kCargaSesgo, ruta);
    return hay(kBanderaSesgo) ? 0 : -1;
}

void TFormPrincipal::SpeedButtonCargaSitesClick() {
    if (!empieza()) return;
    agregaLog(tx(mensajesLog[7]));
    if (const auto ruta = pideEntrada(6)) {
        // An occurrence download is first turned into a sites file in the
        // working folder; its report goes to the log.
        quel::ocurrencias::Region region;
        const bool conRegion = datos.coordenadas && datos.covariables &&
                               region.lee(*datos.coordenadas, *datos.covariables);
        const auto convertido = datos.tmp("SitiosDescargaTmp.txt");
        std::vector<std::string> informe;
        std::string error;
        const auto preparacion = quel::ocurrencias::preparaSitios(quel::archivoLocal(*ruta), convertido,
                                                                  conRegion ? &region : nullptr, informe, error);
        for (const auto& l : informe) agregaLog(QString::fromStdString(l));
        if (preparacion == quel::ocurrencias::Preparacion::kFallo) {
            dialogos_.mensaje(this, QStringLiteral("ERROR"), QString::fromStdString(error), quel::IconoMensaje::Error);
            agregaLog(QString::fromStdString(error));
            termina();
            return;
        }
        const QString aCargar = preparacion == quel::ocurrencias::Preparacion::kConvertida
                                    ? QString::fromStdString(convertido.string())
                                    : *ruta;
        const int codigo = cargaEntrada(aCargar, &cargaArchivo::cargaSitios);
        paso(40);
        if (codigo != 0) {
            muestraError(codigo);
            termina();
            return;
        }
        // The window keeps its own copy of the site coordinates for the maps.
        const TImagenN<float>& s = *datos.sitios;
        sitiosMapa = std::make_unique<TImagenN<float>>(s.renglones, s.columnas);
        for (int c = 0; c + 1 < s.columnas; ++c) sitiosMapa->datos[c] = s.datos[c];
        paso(10);
        control.marca(kBanderaSitios);
        informaDescartes();
        agregaHijoArbol(sender(), *ruta, kArbolSitios);
        habilita({SpeedButtonCargaSites, SitiosMenu}, false);
        alternaVista(true);
        muestraMapaSitios(0);
        paso(40);
        habilitaBorrado(true);
        muestraProgreso(false);
    }
    agregaLog(tx(mensajesLog[8]));
    revisaEjecucion();
    termina();
}

void TFormPrincipal::informaDescartes() {
    if (!datos.covariables || !datos.coordenadas || !datos.sitios) return;
    const auto lugares = ubicaSitios(*datos.covariables, *datos.coordenadas, *datos.sitios);
    const auto lista = [](const std::vector<std::pair<float, float>>& primeros) {
        QStringList l;
        for (const auto& [x, y] : primeros)
            l << QStringLiteral("(%1, %2)").arg(QString::number(x, 'g', 7), QString::number(y, 'g', 7));
        return l.join(QStringLiteral(", "));
    };
    for (const DescarteEspecie& d : resumeDescartes(lugares, *datos.sitios, datos.especies.get())) {
        const QString especie = tx(d.especie);
        if (d.fuera > 0)
            agregaLog(quel::enIdioma("%1: %2 de %3 sitios descartados por estar fuera de la región: %4",
                                     "%1: %2 of %3 sites left out as outside the region: %4")
                          .arg(especie)
                          .arg(d.fuera)
                          .arg(d.sitios)
                          .arg(lista(d.primerosFuera)));
        if (d.sinDato > 0)
            agregaLog(quel::enIdioma("%1: %2 de %3 sitios en celdas sin datos; cuentan en la celda de la región más "
                                     "cercana: %4",
                                     "%1: %2 of %3 sites lie on no-data cells and count in the nearest region cell: %4")
                          .arg(especie)
                          .arg(d.sinDato)
                          .arg(d.sitios)
                          .arg(lista(d.primerosSinDato)));
        if (d.fuera == d.sitios)
            agregaLog(quel::enIdioma("Advertencia: %1 no tiene ningún sitio en la región; sus mapas muestran solo la "
                                     "información a priori.",
                                     "Warning: %1 has no site in the region; its maps show the prior alone.")
                          .arg(especie));
    }
}

void TFormPrincipal::registraPriori(QObject* sender, const QString& ruta) {
    if (!tipoArchivo_ || !datos.priori || !hay(kBanderaCovariables)) return;
    if (!empieza()) return;
    // The handed-over table holds classes: the run must use them.
    tipoArchivo_->RadioGroupTipoPriori->fijaItemIndex(0);
    agregaLog(tx(mensajesLog[static_cast<std::size_t>(kCargaPriori.logInicio)]));
    agregaLog(ruta);
    registraEntrada(sender, ruta, kCargaPriori, true);
    termina();
}

// ---- run ---------------------------------------------------------------------------

void TFormPrincipal::SpeedButtonEjecutarClick() {
    // Every input must be there; the menu twin may outlive a clear.
    if (!entradasCompletas() || !empieza()) return;
    agregaLog(tx(mensajesLog[9]));
    muestraProgreso(true);
    paso(-100);
    paso(10);
    OpcionesPrediccion opciones;
    opciones.prioriUniforme = quel::tipoPrioriElegido(tipoArchivo_) != 0;
    opciones.covariables = rutaCovariables;
    // The run fills an engine of its own: the shown results are replaced only
    // when it has succeeded.
    ResumenPrediccion resumen;
    // The engine's points fill 80 of the bar, as they always have.
    quel::ProgresoBarra progreso(ProgressBarMapa, 80, kPuntosMotorPrediccion);
    {
        quel::CancelaCorrida cancelar(BotonCancelar, progreso);
        habilitaEvaluar(false);
        enSegundoPlano([&] { resumen = prediccionDeDatos(opciones, datos, *motor, progreso); }, BotonCancelar);
        habilitaEvaluar(true);
    }
    paso(progreso.restante());
    if (!resumen.bien()) {
        terminaCorridaFallida(resumen);
        return;
    }
    publicaResultados();
    paso(10);
    muestraProgreso(false);
    termina();
}

void TFormPrincipal::terminaCorridaFallida(const ResumenPrediccion& resumen) {
    using Fin = ResumenPrediccion::Fin;
    if (resumen.fin == Fin::kMotor) {
        muestraError(resumen.error.codigo);
    } else {
        const QString texto = resumen.fin == Fin::kCancelada ? quel::CancelaCorrida::lineaCancelada()
                                                              : QString::fromLocal8Bit(resumen.causa);
        // A numerical failure of the run is reported like a load error.
        if (resumen.fin != Fin::kCancelada)
            dialogos_.mensaje(this, QStringLiteral("ERROR"), texto, quel::IconoMensaje::Error);
        agregaLog(texto);
        muestraProgreso(false);
    }
    termina();
}

void TFormPrincipal::publicaResultados() {
    habilita({SpeedButtonEjecutar, EjecutarMenu}, false);
    habilita({ExportPredictivaMenu, ExportCertidumbreMenu, ExportPotPrioriMenu}, true);
    agregaLog(tx(mensajesLog[10]));
    for (Bandera b : {kBanderaPredictiva, kBanderaCertidumbre, kBanderaPotPriori}) control.marca(b);
    muestraMapaResultado(0);
    // The nodes of earlier results go: the tree holds one set, this run's.
    quitaNodosResultado();
    agregaHijoArbol(sender(), ExportPredictivaMenu->text(), kArbolPredictiva);
    agregaHijoArbol(sender(), ExportCertidumbreMenu->text(), kArbolCertidumbre);
    agregaHijoArbol(sender(), ExportPotPrioriMenu->text(), kArbolPotPriori);
}

// ---- clear -------------------------------------------------------------------------

void TFormPrincipal::quitaNodosResultado() {
    for (int i = TreeViewExplorador->topLevelItemCount() - 1; i >= 0; --i) {
        const int s = estadoNodo(TreeViewExplorador->topLevelItem(i));
        if (s == kNodoPredictiva || s == kNodoCertidumbre || s == kNodoPotPriori) std::unique_ptr<QTreeWidgetItem>(TreeViewExplorador->takeTopLevelItem(i));
    }
}

void TFormPrincipal::borraResultados() {
    motor->borraResultados();
    for (Bandera b : {kBanderaPredictiva, kBanderaCertidumbre, kBanderaPotPriori}) control.limpia(b);
    for (QLineEdit* e : {EditSesgo, EditPriori, EditPredictiva, EditCertidumbre, EditPotPriori})
        e->setText(QStringLiteral(" "));
    // No result is left to show or export, and its nodes go.
    habilita({SpeedButtonProbabilidad, SpeedButtonCertidumbre, SpeedButtonPotPriori, ExportPredictivaMenu,
              ExportCertidumbreMenu, ExportPotPrioriMenu},
             false);
    quitaNodosResultado();
    quitaNodoEvaluacion();
}

void TFormPrincipal::SpeedButtonBorraUnoClick() {
    if (ocupado_) return;
    QTreeWidgetItem* nodo = TreeViewExplorador->currentItem();
    const int s = estadoNodo(nodo);
    // Only an input's top node can be removed.
    if (s != kNodoCovariables && s != kNodoSesgo && s != kNodoPriori && s != kNodoSitios) return;
    if (!empieza()) return;
    std::unique_ptr<QTreeWidgetItem>(TreeViewExplorador->takeTopLevelItem(TreeViewExplorador->indexOfTopLevelItem(nodo)));
    visibles({ImageMapa, ImageLlave, LabelMinLlave, LabelMaxLlave, StringGridDatos}, false);
    ExportImagen->setEnabled(false);
    SpeedButtonEjecutar->setEnabled(true);
    borraEntrada(static_cast<EstadoNodo>(s));
    if (!entradasCompletas()) {
        borraResultados();
        habilita({SpeedButtonEjecutar, EjecutarMenu}, false);
        habilitaEvaluar(false);
    }
    // Clearing is offered while something is left to clear.
    habilitaBorrado(TreeViewExplorador->topLevelItemCount() > 0);
    TreeViewExploradorClick();
    termina();
}

void TFormPrincipal::borraEntrada(EstadoNodo s) {
    switch (s) {
        case kNodoCovariables:
            agregaLog(tx(mensajesBorrado[0]));
            habilita({SpeedButtonCargaCov, CovsMenu}, true);
            control.limpia(kBanderaCovariables);
            datos.borraDatos(0);
            habilita({SpeedButtonCargaSesgo, BiasMenu, SpeedButtonCargaPriori, PrioriMenu, SpeedButtonCargaSites,
                      SitiosMenu, MostrarMapa1, SpeedButtonProbabilidad, SpeedButtonCertidumbre,
                      SpeedButtonPotPriori, RadioGroupColores, ButtonCambioColor},
                     false);
            visibles({ImageLlave, LabelMinLlave, LabelMaxLlave}, false);
            TreeViewExplorador->clear();
            // The other inputs follow the covariate table's rows: they go too.
            for (Bandera b : {kBanderaSesgo, kBanderaPriori, kBanderaSitios}) {
                control.limpia(b);
                datos.borraDatos(b);
            }
            sitiosMapa.reset();
            contadorNodos = 1;
            break;
        case kNodoSesgo:
            agregaLog(tx(mensajesBorrado[1]));
            habilita({SpeedButtonCargaSesgo, BiasMenu}, true);
            control.limpia(kBanderaSesgo);
            datos.borraDatos(kBanderaSesgo);
            break;
        case kNodoPriori:
            agregaLog(tx(mensajesBorrado[2]));
            habilita({SpeedButtonCargaPriori, PrioriMenu}, true);
            control.limpia(kBanderaPriori);
            datos.borraDatos(kBanderaPriori);
            break;
        case kNodoSitios:
            agregaLog(tx(mensajesBorrado[3]));
            habilita({SpeedButtonCargaSites, SitiosMenu}, true);
            control.limpia(kBanderaSitios);
            datos.borraDatos(kBanderaSitios);
            sitiosMapa.reset();
            contadorNodos -= datos.numEspecies;
            break;
        default: break;
    }
}

void TFormPrincipal::SpeedButtonBorraTodosClick() {
    if (!empieza()) return;
    datos.borraTodo();
    sitiosMapa.reset();
    habilita({SpeedButtonCargaCov, CovsMenu}, true);
    habilita({SpeedButtonCargaSesgo, BiasMenu, SpeedButtonCargaPriori, PrioriMenu, SpeedButtonCargaSites, SitiosMenu,
              SpeedButtonProbabilidad, SpeedButtonCertidumbre, SpeedButtonPotPriori, SpeedButtonEjecutar,
              EjecutarMenu, RadioGroupColores, ButtonCambioColor},
             false);
    habilitaEvaluar(false);
    StringGridDatos->setVisible(false);
    ImageMapa->setVisible(false);
    habilita({ExportImagen, MostrarMapa1}, false);
    visibles({ImageLlave, LabelMinLlave,
                       LabelMaxLlave}, false);
    TreeViewExplorador->clear();
    for (QLineEdit* e : {EditSesgo, EditPriori, EditPredictiva, EditCertidumbre, EditPotPriori})
        e->setText(QStringLiteral(" "));
    for (int& b : control.banderas) b = 0;
    contadorNodos = 1;
    habilitaBorrado(false);
    borraResultados();
    agregaLog(tx(mensajesBorrado[4]));
    TreeViewExploradorClick();
    termina();
}

// ---- managers and language ----------------------------------------------------------

void TFormPrincipal::SpeedButtonCovariablesClick() {
    if (ocupado_ || !covManager_) return;
    covManager_->show();
    hide();
    tiempoInicioGestor = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    agregaLog(tx(mensajesLog[11]));
}

void TFormPrincipal::SpeedButtonPrioriClick() {
    if (ocupado_ || !prioriManager_) return;
    tiempoInicioGestor = static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    prioriManager_->show();
    hide();
    QString nombre = AdmonPrioriMenu->text();
    agregaLog(nombre.remove(QLatin1Char('&')));
}

void TFormPrincipal::SpeedButtonSesgoClick() {
    if (ocupado_ || !biasManager_) return;
    biasManager_->show();
    hide();
}

void TFormPrincipal::CambiarLenguaMenuClick() {
    if (ocupado_ || !tipoArchivo_) return;
    tipoArchivo_->abre(TFormTipoArchivo::Modo::Lenguaje);
}
