#pragma once
// `TFormCovManager`, the covariate manager: lists ESRI ASCII grids (a whole
// folder or single files) and the covariates of an opened covariate table,
// lets the user tick them and choose each grid's classes, and builds a new
// covariate table from the ticked items, saved under a chosen name or handed
// straight to the main window through "C:\Quel\CovTemp.txt".
//
// The window reads tables with a dataset of its own: opening a table here
// never touches the main window's dataset or its counters.
#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "managers/covariates/FormServicios.h"
#include "managers/covariates/constructorTabla.h"

class QAction;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QTableWidget;
class QPushButton;
class QToolButton;
struct OpcionesAjuste;
struct ResumenAjuste;

class TFormCovManager : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormCovManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre = nullptr);
    ~TFormCovManager() override;

    // ---- state (names of the design) -------------------------------------------
    int numCargadas = 0;       // items from the opened table (the first ones)
    int numArchivos = 0;       // items in the list
    int numSeleccionadas = 0;  // ticked items, counted by the save and the build
    int actual = 0;            // grid index (item - numCargadas) of the chooser shown
    // One category chooser per grid item (entries 0..63, "10" at first); enabled
    // means automatic classes with that number, disabled manual classes.
    std::vector<std::unique_ptr<QComboBox>> combos;
    // One class scheme chooser per grid item, shown beside its category
    // chooser: entry 0 equal intervals, 1 equal frequency (automatic mode).
    std::vector<std::unique_ptr<QComboBox>> esquemas;
    std::vector<std::filesystem::path> rutas;  // per item: the grid file (empty for opened covariates)
    // The opened covariate table, and its covariate names.
    std::unique_ptr<TablaCargada> tablaCargada;
    std::vector<std::string> nombresCargados;
    // Builds and writes the new table (the builder classifies each grid as it streams it).
    constructorTabla constructor;

    // ---- controls ---------------------------------------------------------------
    QToolButton *SpeedButtonCargaFolder, *SpeedButtonCargaFile, *SpeedButtonLimpiar, *SpeedButtonGuardar,
        *SpeedButtonCargaCov, *SpeedButtonCerrar;
    QLabel *LabelNomCov, *LabelCov, *LabelCategoria, *LabelCate;
    QListWidget* CheckListBoxFiles;
    QPushButton *ButtonAllSelect, *ButtonDeselectAll, *ButtonAuto;
    QFrame* PanelBarraProgreso;
    QProgressBar* ProgressBarCarga;
    QPushButton* BotonCancelar;  // stops the build under way
    QToolButton* SpeedButtonAjusteClases;
    QAction* MenuAjusteClases;
    // The settings the last cross-validated choice of classes tried, the best marked.
    QTableWidget* TablaAjuste;
    QMenu *Archivo1, *MenuAbrirCov, *Editar1, *Ejecutar1;
    QAction *NuevoArchivo1, *AbrirArchivo1, *MenuAbrirFolder, *SubASCII, *MenuGuardar, *MenuSalir, *MenuLimpiarlista,
        *MenuCargaCovs, *MenuSelectTodo, *MenuDeselectTodo;

    // Path the table is handed to the main window through.
    std::filesystem::path rutaCovTemp() const;
    // A text the window shows when a ticked grid is set to 0 automatic classes.
    static QString textoSinClases(const QString& nombre);
    // The note on a grid that got fewer equal-frequency classes than asked.
    static QString textoMenosClases(const QString& nombre, int pedidas, int formadas);

public slots:
    void SpeedButtonCargaFolderClick();
    void SpeedButtonCargaFileClick();
    void AbrirArchivo1Click();
    void NuevoArchivo1Click();
    void SpeedButtonLimpiarClick();
    void CheckListBoxFilesClick();
    void ButtonAutoClick();
    void ButtonAllSelectClick();
    void ButtonDeselectAllClick();
    void SpeedButtonGuardarClick();
    void SpeedButtonCargaCovClick();
    void SpeedButtonCerrarClick();
    // Builds and cross-validates a table for each scheme and class count
    // asked for, shows the results and sets the grids' choosers to the best.
    void AjusteClasesClick();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void construyeMenus();
    void construyeControles();
    // The cross-validated choice of classes: its button, menu item and results table.
    void construyeAjuste();
    // Tunes with `a` off the window's thread, the progress bar and Cancel
    // shown; an exception's text goes to `fallo`.
    ResumenAjuste ajustaEnSegundoPlano(const OpcionesAjuste& a, std::string& fallo);
    // A tuning's results in the table and its best setting on the ticked
    // automatic grids of `lista`, told in the log.
    void aplicaMejor(const ResumenAjuste& r, const std::vector<ItemCovariable>& lista);
    void habilitaControles(bool on);
    void vaciaLista();
    void liberaTablas();
    void agregaGrid(const std::filesystem::path& ruta, const QString& nombre, bool marcado);
    int cuentaMarcados() const;
    // The list as the builder takes it.
    std::vector<ItemCovariable> items() const;
    // A ticked grid in automatic mode with 0 classes: refused with a message.
    bool clasesValidas();
    // Builds the table into `ruta` off the window's thread with the progress
    // shown; a failing code goes to the main window's error report.
    int construye(const std::filesystem::path& ruta);
    void muestraProgreso(bool on);
    void avisoPocos();
    // One textoMenosClases per grid of the table built last that got fewer classes.
    QStringList avisosClases() const;

    std::shared_ptr<quel::ServiciosPrincipal> s_;
    QHBoxLayout* filaCategoria_ = nullptr;
    bool cerrando_ = false;
};

namespace quel {
// The covariate manager over the main window `servicios` stands for.
std::unique_ptr<QWidget> creaTFormCovManager(std::shared_ptr<ServiciosPrincipal> servicios);
}  // namespace quel
