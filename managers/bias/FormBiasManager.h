#pragma once
// `TFormBiasManager`, the bias manager: the user loads a covariate table, then
// a cities grid (weight Alfa), a roads grid (weight Beta), a species-richness
// grid (bound Cota) and a presence file (number of absences n-), each
// parameter typed into a small entry panel; the run fits the sampling-bias
// surface (`inferenciaBias`) and the save writes it as a bias file, one value
// per covariate-table row, or hands it to the main window. Its texts are
// fixed Spanish strings.
//
// The window reads the covariate table and the sites with a dataset of its
// own: nothing here changes the main window's dataset.
#include <QMainWindow>
#include <memory>

#include "data/TImagenN.h"
#include "data/cargaArchivo.h"
#include "managers/bias/corridaSesgo.h"
#include "managers/bias/inferenciaBias.h"
#include "managers/covariates/FormServicios.h"

class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTextEdit;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class TFormBiasManager : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormBiasManager(std::shared_ptr<quel::ServiciosPrincipal> servicios, QWidget* padre = nullptr);
    ~TFormBiasManager() override;

    // Kinds of the tree's group nodes (the file-name child is kind + 1), and
    // the values of `tipoDato`.
    enum { kCovs = 0, kCiudades = 2, kCarreteras = 4, kRiqueza = 6, kPresencias = 8 };

    // ---- state ----------------------------------------------------------------------
    // The four file names and the parameters as typed (alfa, beta, cota, ausencias).
    EntradasSesgo entradas;
    float pendiente = 0;  // 1 / cota
    int tipoDato = 0;     // which parameter the entry panel collects
    std::unique_ptr<TImagenN<float>> sitios;         // sites x 3: x, y, assigned row
    std::unique_ptr<TImagenN<AnsiString>> especies;  // sites x 1
    cargaArchivo datos;                              // this window's own dataset
    inferenciaBias inferencia;
    bool corridaCompleta = false;  // a run has fitted the bias of the loaded covariates

    // ---- controls ----------------------------------------------------------------------
    QToolBar* ToolBar1;
    QToolButton *SpeedButtonCargaCovs, *SpeedButtonCiudades, *SpeedButtonCarreteras, *SpeedButtonRiqueza,
        *SpeedButtonPresencias, *SpeedButtonBorrar, *SpeedButtonEjecutar, *SpeedButtonGuardar,
        *SpeedButtonCargaPrincipal, *SpeedButtonCerrar;
    QFrame* PanelDatos;
    QLabel *LabelTitulo, *LabelTipo;
    QLineEdit* EditDato;
    QPushButton *ButtonOk, *ButtonCancel, *Button1;
    QFrame* PanelArbol;
    QTreeWidget* TreeViewExplorador;
    QFrame* PanelBarraProgreso;
    QProgressBar* ProgressBarSesgo;
    QPushButton* BotonCancelar;  // stops the run under way
    QTextEdit* RichEditLog;  // what the runs found

    void agregaNodoArbol(int tipo, const QString& archivo);
    static int tipoNodo(const QTreeWidgetItem* nodo);
    // The text of the box that refuses the parameter of `tipoDato`.
    static QString textoParametroInvalido(int tipoDato);
    // The text of the box that tells a fitted bias outside [0, 1].
    static QString textoSesgoFuera(const QString& detalle);

public slots:
    void SpeedButtonCargaCovsClick();
    void SpeedButtonCiudadesClick();
    void SpeedButtonCarreterasClick();
    void SpeedButtonRiquezaClick();
    void SpeedButtonPresenciasClick();
    void ButtonOkClick();
    void ButtonCancelClick();
    void SpeedButtonEjecutarClick();
    void SpeedButtonGuardarClick();
    // Hands the fitted bias to the main window as its bias file.
    void SpeedButtonCargaPrincipalClick();
    void TreeViewExploradorClick();
    void SpeedButtonBorrarClick();
    void SpeedButtonCerrarClick();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void construyeControles();
    // Asks for an input file and opens the entry panel for it.
    void eligeEntrada(int tipo);
    void revisaListo();
    QToolButton* botonDe(int tipo) const;
    void falla(const FalloSesgo& f);
    // A line in this window's log and in the main window's.
    void anota(const QString& texto);
    void informaAjuste(const InformeSesgo& informe);

    std::shared_ptr<quel::ServiciosPrincipal> s_;
    QString archivoElegido_;  // the file chosen for the pending parameter
    std::filesystem::path rutaCovs_;  // the covariate table loaded
    bool cerrando_ = false;
};

namespace quel {
// The bias manager over the main window `servicios` stands for.
std::unique_ptr<QWidget> creaTFormBiasManager(std::shared_ptr<ServiciosPrincipal> servicios);
}  // namespace quel
