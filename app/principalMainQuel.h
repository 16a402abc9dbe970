#pragma once
// The main window `TFormPrincipal`: owner of the dataset, the engine, the
// palette and the map placement; the load, run, clear and manager commands
// with their enable rules, the explorer tree's nodes, the map display and the
// language of the windows.
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialogos.h"
#include "data/TImagenN.h"
#include "data/cargaArchivo.h"
#include "data/lenguaje.h"
#include "platform/RaizDatos.h"
#include "render/paletaColores.h"
#include "render/ubicacionMapa.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTextEdit;
class QTranslator;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TFormTipoArchivo;
class ejecutarQuel;
struct ResumenEvaluacion;
struct ResumenPrediccion;
struct copiaDatos;

namespace quel {
class TImagen;
class TRadioGroup;
class BloqueoEntrada;
}

class TFormPrincipal : public QMainWindow {
    Q_OBJECT
public:
    // `carpetaTrabajo`: private folder of the dataset's temporary files.
    TFormPrincipal(quel::RaizDatos raiz, quel::Dialogos& dialogos, std::filesystem::path carpetaTrabajo,
                   QWidget* padre = nullptr);
    ~TFormPrincipal() override;

    // The secondary windows, created after the main window (start-up order).
    void fijaVentanas(TFormTipoArchivo* tipoArchivo, QWidget* covManager, QWidget* prioriManager,
                      QWidget* biasManager);

    const quel::RaizDatos& raiz() const { return raiz_; }
    // The covariate load is still offered (nothing loaded yet).
    bool aceptaCovariables() const;
    quel::Dialogos& dialogos() { return dialogos_; }

    // ---- operations other windows call ---------------------------------------
    void agregaLog(const QString& texto);
    void muestraError(int codigo);
    // muestraError for a failure of another dataset, whose failing line is given.
    void muestraError(int codigo, int lineaError);
    // The covariate load for a file already chosen (a local path): progress,
    // log, load, tree node, map. Returns the load's code (already reported by
    // muestraError); -1 without loading while another command runs.
    int cargaCovariablesDesde(const QString& ruta);
    void agregaHijoArbol(QObject* sender, const QString& texto, int tipo);
    void cargaSesgoMapa(QObject* sender, int modo);
    // The bias load for a file already chosen (a hand-over): exactly what the
    // load of that file by hand does. 0 when loaded, otherwise -1 (a failure
    // has been reported).
    int cargaSesgoDesde(const QString& ruta);
    void cargaPrioriMapa(QObject* sender, int modo);
    void habilitaBorrado(bool on);
    void alternaVista(bool mapa);
    // Applies a language file given by its logical ("C:\Quel\...") or local path.
    void cambiaLenguaje(const std::string& ruta);
    // Applies the language file named by the pointer file, when there is one.
    void aplicaLenguajeGuardado();
    // The shipped language the pointer file names, if it names one.
    std::optional<quel::lenguaje::Idioma> idiomaEnUso() const;
    // The language dialog's OK: writes the pointer file and applies the file.
    void eligeLenguaje(const QString& textoCombo);
    void registraPriori(QObject* sender, const QString& ruta);
    // A message-table entry (bytes of the language file) as shown.
    static QString tx(const std::string& bytes);
    // A number as shown for reading (keys, values under the mouse).
    static QString etiqueta(double v);

    // Runs `trabajo` away from the window's thread while the window keeps
    // painting and takes no input (but to `abierto`, a run's Cancel button,
    // when given); returns when it has finished.
    void enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto = nullptr);
    bool ocupado() const { return ocupado_; }

    // ---- state (names of the design) ------------------------------------------
    // The message tables, filled from the language file (bytes as written).
    quel::lenguaje::TablasMensajes tablas;
    std::array<std::string, 7>& textosDialogo = tablas.textosDialogo;
    std::array<std::string, 11>& titulosMapa = tablas.titulosMapa;
    std::array<std::string, 12>& mensajesLog = tablas.mensajesLog;
    std::array<std::string, 12>& mensajesBorrado = tablas.mensajesBorrado;
    std::array<std::string, 5>& mensajesExporta = tablas.mensajesExporta;
    std::array<std::string, 8>& mensajesError = tablas.mensajesError;
    std::array<std::string, 5>& mensajesCovManager = tablas.mensajesCovManager;
    cargaArchivo datos;
    controlArchivo control;
    std::unique_ptr<ejecutarQuel> motor;
    paletaColores paleta;
    std::unique_ptr<TImagenN<float>> sitiosMapa;  // copy of the site coordinates
    std::filesystem::path rutaCovariables;        // the covariate table loaded last (its .prj: the region's system)
    UbicacionMapa ubicacion;                      // pixel grid of the map placement
    int columnasMapa = 0;
    int contadorNodos = 1;
    int gradienteCovariables = 0, gradienteSesgo = 1, gradientePriori = 7, gradientePredictiva = 0,
        gradienteCertidumbre = 4, gradientePotPriori = 2;
    double tiempoInicioGestor = 0;  // seconds, when a manager was opened

    QImage ImageAuxiliar;  // never shown: the picture export's copy of the map

    // Colour of the region's outline on maps whose gradient starts at white.
    static constexpr QRgb kColorContorno = 0xFF6E6E6E;

    // States of the explorer tree's nodes. An input's top node s has its
    // table (s + 1), file (s + 2) and map (s + 3) leaves (the covariates no
    // map leaf); a result's top node its map leaves. Name nodes (covariates,
    // then species) count on from kNodoNombres + 1.
    enum EstadoNodo : int {
        kNodoCovariables = 0, kNodoCovariablesTabla = 1, kNodoCovariablesArchivo = 2,
        kNodoSesgo = 3, kNodoSesgoTabla = 4, kNodoSesgoArchivo = 5, kNodoSesgoMapa = 6,
        kNodoPriori = 7, kNodoPrioriTabla = 8, kNodoPrioriArchivo = 9, kNodoPrioriMapa = 10,
        kNodoSitios = 11, kNodoSitiosTabla = 12, kNodoSitiosArchivo = 13, kNodoSitiosMapa = 14,
        kNodoPredictiva = 15, kNodoPredictivaRelativa = 16, kNodoPredictivaAbsoluta = 17,
        kNodoCertidumbre = 18, kNodoCertidumbreMapa = 19,
        kNodoPotPriori = 20, kNodoPotPrioriMapa = 21,
        kNodoNombres = 21,
        // An evaluation's node (its table), its species' nodes and their
        // plots, far above the name nodes.
        kNodoEvaluacion = 1 << 30, kNodoEvaluacionEspecie, kNodoGraficaROC, kNodoGraficaBoyce,
        kNodoGraficaImportancia, kNodoGraficaRespuesta,
    };
    // What `agregaHijoArbol` adds (the icon of its top node).
    enum TipoNodo : int {
        kArbolCovariables = 2, kArbolSesgo = 3, kArbolPriori = 4, kArbolSitios = 5,
        kArbolPredictiva = 7, kArbolCertidumbre = 8, kArbolPotPriori = 9,
        kArbolEvaluacion = 10,  // the evaluation in `evaluacion_`
    };
    // Indices of `control.banderas`: an input loaded, a result in the engine.
    enum Bandera : int {
        kBanderaCovariables = 0, kBanderaSesgo = 1, kBanderaPriori = 2, kBanderaSitios = 3,
        kBanderaPredictiva = 5, kBanderaCertidumbre = 6, kBanderaPotPriori = 7,
    };
    bool hay(Bandera b) const { return control.banderas[b] == 1; }
    // The four inputs are loaded.
    bool entradasCompletas() const {
        return hay(kBanderaCovariables) && hay(kBanderaSesgo) && hay(kBanderaPriori) && hay(kBanderaSitios);
    }

    // Icon list of the tree (indexes 0..11).
    static QIcon iconoNodo(int indice);
    static int estadoNodo(const QTreeWidgetItem* nodo);
    static int imagenNodo(const QTreeWidgetItem* nodo);

public slots:
    // ---- load ----
    void SpeedButtonCargaCovClick();
    void SpeedButtonCargaSesgoClick();
    void SpeedButtonCargaPrioriClick();
    void SpeedButtonCargaSitesClick();
    // ---- run ----
    void SpeedButtonEjecutarClick();
    // Asks the settings, evaluates the model in the background and shows the
    // evaluation's node in the explorer.
    void SpeedButtonEvaluarClick();
    // ---- clear ----
    void SpeedButtonBorraUnoClick();
    void SpeedButtonBorraTodosClick();
    // ---- managers, language and exit ----
    void SpeedButtonCovariablesClick();
    void SpeedButtonPrioriClick();
    void SpeedButtonSesgoClick();
    void CambiarLenguaMenuClick();
    void SalirClick();
    // ---- maps ----
    void SpeedButtonProbabilidadClick();
    void SpeedButtonCertidumbreClick();
    void SpeedButtonPotPrioriClick();
    void RadioGroupColoresClick(int indice);
    void ButtonCambioColorClick();
    void ImageMapaMouseMove(int x, int y);
    // Map drawings of the inputs (shown by the loads and the explorer).
    // `limpiar`: clear the map to white first (the loads do; the explorer's
    // covariate nodes draw over the map).
    void muestraMapaCovariable(int k, bool limpiar = true);
    void muestraMapaSesgo();
    void muestraMapaPriori();
    void muestraMapaSitios(int especie);
    // 0 predictive (absolute), 1 certainty (absolute), 2 prior potential
    // (relative); `escala` 0 relative or 1 absolute instead of the map's own.
    void muestraMapaResultado(int cual, int escala = -1);
    // ---- tree (explorer) ----
    void TreeViewExploradorClick();
    // Double click, Enter and "Mostrar mapa o  archivo": the selected node's action.
    void TreeViewExploradorDblClick();
    void Realizar1Click();
    void MostrarMapas1Click();
    // Shows one input as a table in StringGridDatos: the table leaf's state
    // (kNodoCovariablesTabla, kNodoSesgoTabla, kNodoPrioriTabla, kNodoSitiosTabla).
    void muestraArchivo(QObject* sender, int tipo);
    // ---- export ----
    void ExportPredictivaMenuClick();
    void ExportCertidumbreMenuClick();
    void ExportPotPrioriMenuClick();
    void ExportImagenClick();
    // Asks for a picture file (BMP, JPEG or PNG) and writes `imagen` into it;
    // a failure is reported. `titulo`: the dialog's title.
    void exportaImagen(const QImage& imagen, const QString& titulo);

signals:
    // Emitted when a command has finished and its results are in place.
    void comandoTerminado();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    // ---- controls (tests find them by object name) -------------------------------------------------------------
    QMenu *Archivo1, *Cargar1, *Exportar1, *Ejecutar1, *Herramientas1, *Preferencias1, *PopupMenuExplorador;
    QAction *CovsMenu, *BiasMenu, *PrioriMenu, *SitiosMenu, *ExportPredictivaMenu, *ExportCertidumbreMenu,
        *ExportPotPrioriMenu, *ExportImagen, *Salir, *EjecutarMenu, *BorrarUnoMenu, *BorrarTodosMenu,
        *AdmonCovsMenu, *AdmonPrioriMenu, *CambiarLenguaMenu, *MostrarMapa1, *Realizar1, *MostrarMapas1,
        *EvaluarMenu;
    QToolButton *SpeedButtonCargaCov, *SpeedButtonCargaSesgo, *SpeedButtonCargaPriori, *SpeedButtonCargaSites,
        *SpeedButtonBorraTodos, *SpeedButtonBorraUno, *SpeedButtonEjecutar, *SpeedButtonProbabilidad,
        *SpeedButtonCertidumbre, *SpeedButtonPotPriori, *SpeedButtonCovariables, *SpeedButtonPriori,
        *SpeedButtonSesgo, *SpeedButtonEvaluar;
    QTabWidget* PageControl;
    QWidget *TabSheetExplorador, *TabSheetColor, *TabSheetDatos;
    QTreeWidget* TreeViewExplorador;
    quel::TRadioGroup* RadioGroupColores;
    QPushButton* ButtonCambioColor;
    quel::TImagen *ImageRangoColor, *ImageMapa, *ImageLlave, *ImageSesgo, *ImagePriori, *ImagePredictiva,
        *ImageCertidumbre, *ImagePotPriori;
    QLabel *LabelMinimo, *LabelMaximo, *LabelMinLlave, *LabelMaxLlave, *LabelSesgo, *LabelPriori,
        *LabelPredictiva, *LabelCertidumbre, *LabelPotPriori, *LabelLong, *LabelLat;
    QLineEdit *EditSesgo, *EditPriori, *EditPredictiva, *EditCertidumbre, *EditPotPriori, *EditX, *EditY;
    QTableWidget* StringGridDatos;
    QFrame* PanelProgressBar;
    QProgressBar* ProgressBarMapa;
    QPushButton* BotonCancelar;  // stops the run under way
    QTextEdit* RichEditLog;

    // Asks for an input file with dialog title entry `titulo`; a cancel is logged.
    std::optional<QString> pideEntrada(std::size_t titulo);
    // Shows the progress from 0, logs the file and runs the load off the window's thread.
    int cargaEntrada(const QString& ruta, int (cargaArchivo::*carga)(const std::filesystem::path&));
    std::vector<std::filesystem::path> entradasLeidas_;  // files loaded, which exports may not replace
    struct CargaTipo;
    static const CargaTipo kCargaSesgo, kCargaPriori;
    // `dada`: the file to load without asking (a hand-over), empty to ask.
    void cargaConTipo(QObject* sender, int modo, const CargaTipo& t, const QString& dada = QString());
    // After a bias or prior load: flag, tree node, controls, map, log and the run's rule.
    void registraEntrada(QObject* sender, const QString& texto, const CargaTipo& t, bool conArchivo);
    // The end of a run that gave no results: its error box or its
    // cancellation line; nothing loaded or shown changes.
    void terminaCorridaFallida(const ResumenPrediccion& resumen);
    // A run's results in place: flags, exports, map and tree nodes.
    void publicaResultados();
    // The clear of one input's top node `s` (the covariates take every input).
    void borraEntrada(EstadoNodo s);
    // Results released: their flags, values, buttons, exports and tree nodes.
    void borraResultados();
    void quitaNodosResultado();
    // ---- evaluation ----
    // The evaluation command offered (the four inputs loaded) or not.
    void habilitaEvaluar(bool on);
    // Captions of the command and of the evaluation's nodes in the language in force.
    void textosEvaluacion();
    void quitaNodoEvaluacion();
    // The evaluation's table (evaluation.csv's rows) in StringGridDatos.
    void muestraEvaluacion();
    // A window with one plot (a kNodoGrafica* state) of species `especie`.
    void abreGrafica(int estado, int especie);
    // Asks for a folder and writes the tables of `r` there.
    void exportaTablasEvaluacion(const ResumenEvaluacion& r);
    void construyeMenus();
    void construyeControles();
    // Parts of the window: tool and manager bars, the left tabs (with the
    // map data tab), the centre (map, key, table, progress) and the bottom (log, coordinates).
    void construyeBarras();
    QWidget* construyePestanas();
    void construyeDatosMapa();
    QWidget* construyeCentro();
    QWidget* construyeInferior();
    void conecta();
    void aplicaLenguaje(const quel::lenguaje::ArchivoLenguaje& archivo);

    // Progress bar steps (StepBy semantics, clamped to 0..100).
    void paso(int n);
    void muestraProgreso(bool on);
    // Logs, per species, the loaded sites a run leaves out (outside the
    // region or on no-data cells) and the species left with none.
    void informaDescartes();
    // Run-enabling check shared by the bias, prior and sites loads.
    void revisaEjecucion();
    // A command's frame: refuses to start while another command runs.
    bool empieza();
    void termina();

    // Steps of the covariate load after its file dialog.
    int cargaCovariablesPasos(const QString& ruta);
    // Explorer actions and windows.
    void repitePrediccionAbsoluta();
    // Runs an engine of a view's own off the window's thread with the progress
    // bar; `codigo` is the run's code, -1 when it threw.
    void corre(ejecutarQuel& motorPropio, const copiaDatos& copia, int tipoPriori, int& codigo);
    // A window owned by this one, with one stretched image of the map's size
    // plus `margen`, cleared to white; it stays until the user closes it.
    quel::TImagen* nuevaVentanaMapa(const QString& titulo, int izquierda, int arriba, int margen,
                                    const char* nombre);
    // The key of a map window: its gradient and labels, and the region's outline when needed.
    void llaveVentana(quel::TImagen* mapa, int gradiente, const QString& minimo, const QString& maximo);
    void exportaSuperficie(int cual, std::size_t filtro);

    // Maps.
    // Outlines the region on a map whose gradient starts at white.
    void contornoRegion(QImage& imagen, int gradiente) const;
    void limpiaMapa();
    void fijaEtiquetas(const QString& minimo, const QString& maximo, bool colores, bool llave);
    void dibujaLlaves(int gradiente);
    void fijaTitulo(int entrada);
    void fijaBotonesMapa(QToolButton* apagado);
    // Draw one map into ImageMapa (no clearing); false when its data is missing.
    bool dibujaSesgo(bool relativo);
    bool dibujaPriori(bool relativo);
    bool dibujaResultado(int cual, bool absoluto, int gradiente);
    const TImagenN<long double>* resultado(int cual) const;
    void reiniciaBarras();
    void dibujaBarra(quel::TImagen* img, QRgb colorToolkit, int ancho);

    quel::RaizDatos raiz_;
    quel::Dialogos& dialogos_;
    TFormTipoArchivo* tipoArchivo_ = nullptr;
    QWidget* covManager_ = nullptr;
    QWidget* prioriManager_ = nullptr;
    QWidget* biasManager_ = nullptr;
    std::unique_ptr<quel::BloqueoEntrada> bloqueo_;
    bool ocupado_ = false;
    bool sesgoCalculado_ = true;  // kind of the bias on the map (file or uniform)
    bool prioriCalculado_ = true;
    std::vector<QPointer<QWidget>> ventanas_;
    std::shared_ptr<const ResumenEvaluacion> evaluacion_;  // the evaluation the explorer shows
    std::unique_ptr<QTranslator> traductorQt_;  // Qt's own texts in the language in force  // species and map windows still open
};

// Index of the choice dialog's kind groups, read by the tree and the run.
namespace quel {
int tipoSesgoElegido(const TFormTipoArchivo* t);
int tipoPrioriElegido(const TFormTipoArchivo* t);
}
