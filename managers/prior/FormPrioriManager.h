#pragma once
// `TFormPrioriManager`, the prior manager: a base grid (its no-data cells lie
// outside the study region) and a prior grid (a prior class per cell) become
// the prior-class table "PrioriTmp.txt"; each is shown as a map and listed in
// the window's tree; the result is saved under a chosen name or handed to the
// main window as the run's prior.
#include <QMainWindow>
#include <array>
#include <memory>

#include "ui/Controles.h"
#include "data/exportaArchivo.h"
#include "managers/covariates/FormServicios.h"
#include "managers/prior/transformacionPriori.h"

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;


class TFormPrioriManager : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormPrioriManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre = nullptr);
    ~TFormPrioriManager() override;

    // Tree node kinds: groups 0 base, 3 prior, 6 transformed; their first
    // child (+1) opens the file, the second (+2) draws the map.
    enum { kBase = 0, kPriori = 3, kTransformada = 6 };

    // Colours of the maps.
    static constexpr QRgb kMarino = 0xFF000080;   // navy: outside, no data, other classes
    static constexpr QRgb kVerde = 0xFF008000;    // base grid cell inside the region
    static constexpr QRgb kVerdeClaro = 0xFF00BF00;  // class 1
    static constexpr QRgb kAmbar = 0xFFFFBF00;    // class 2
    static constexpr QRgb kRojo = 0xFFBF0000;     // class 3
    // Texts of the window's boxes.
    static const QString kTituloGuardado, kTextoGuardado, kTituloFalla, kTextoFalla;

    // ---- state --------------------------------------------------------------------
    exportaArchivo exportador;      // reads the grids
    transformacionPriori transformacion;  // base, priori, transformada and the counts
    // Header (ncols, nrows, ..., no-data) of the base and of the prior grid.
    std::array<double, 6> encabezadoBase{}, encabezadoPriori{};

    // ---- controls -------------------------------------------------------------------
    quel::TImagen* ImageMapa;
    quel::TLlaveClases* LlaveMapa;  // the classes of the map shown and their colours
    QToolBar* ToolBar1;
    QToolButton *SpeedButtonCargaASCII, *SpeedButtonCargaPrioriASCII, *SpeedButtonBorra, *SpeedButtonTrans,
        *SpeedButtonGuarda, *SpeedButtonCargaPriori, *SpeedButtonCerrar;
    QFrame* PanelExplorador;
    QTreeWidget* TreeViewExplorador;
    QMenuBar* MainMenuPriorManager;
    QMenu *Archivo1, *Ejecutar1;
    QAction *CargaASCIIBase1, *CargaASCIIPriori1, *Guardar1, *Salir1, *Ejecutar2, *CargaPrincipal1;

    // ---- window routines --------------------------------------------------------------
    void agregaNodoPriori(int tipo, const QString& archivo);
    // Draws table `tipo` (0 base, 1 prior, 2 transformed) over `imagen`.
    void dibujaMapa(quel::TImagen* imagen, int tipo);
    void limpiaVentana();
    // The key of table `tipo`'s map.
    static std::vector<quel::TLlaveClases::Clase> clasesDe(int tipo);
    QTreeWidgetItem* nodoSeleccionado() const;
    static int tipoNodo(const QTreeWidgetItem* nodo);

public slots:
    void SpeedButtonCargaASCIIClick();
    void SpeedButtonCargaPrioriASCIIClick();
    void SpeedButtonTransClick();
    void SpeedButtonGuardaClick();
    void SpeedButtonCargaPrioriClick();
    void SpeedButtonBorraClick();
    void SpeedButtonCerrarClick();
    void TreeViewExploradorDblClick();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void construyeControles();
    // Loads a grid into the base (true) or the prior table; false when the
    // dialog was cancelled or the grid could not be read.
    bool cargaGrid(bool esBase);
    void llenaMapa(QRgb color);
    void avisoCeldas();

    std::shared_ptr<quel::ServiciosPrincipal> s_;
    std::filesystem::path rutasGrid_[2];  // the base and prior grids loaded
    bool cerrando_ = false;
};

namespace quel {
// The prior manager over the main window `servicios` stands for.
std::unique_ptr<QWidget> creaTFormPrioriManager(std::shared_ptr<ServiciosPrincipal> servicios);
}  // namespace quel
