#pragma once
// What the covariate, prior and bias manager windows need from the main
// window, as one small interface: its message tables and dialogs, its log and
// error report, the moment it opened the manager, its covariate load, its
// prior hand-over and its way of running long work while the windows keep
// painting. The program implements it over its main window; tests drive the
// managers with a stand-in.
#include <QIcon>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ui/Dialogos.h"
#include "data/TImagenN.h"
#include "data/lenguaje.h"
#include "platform/Progreso.h"
#include "platform/RaizDatos.h"

class QProgressBar;
class QWidget;

namespace quel {

class ServiciosPrincipal {
public:
    virtual ~ServiciosPrincipal() = default;

    // The message tables of the language in force (textosDialogo,
    // mensajesBorrado, mensajesCovManager ...).
    virtual const lenguaje::TablasMensajes& tablas() const = 0;
    virtual Dialogos& dialogos() = 0;
    virtual const RaizDatos& raiz() const = 0;
    // Folder of the working files shared with the main window's dataset
    // ("PrioriTmp.txt", "CovariablesTmp.txt", "SitiosPresenciaTmp.txt" ...).
    virtual std::filesystem::path carpetaTrabajo() const = 0;

    virtual void agregaLog(const QString& texto) = 0;
    // The main window's error report for a load or build code: the error box
    // and its log line. `lineaError` is the failing line of the manager's own
    // dataset (shown after the text of codes 5 and 9).
    virtual void muestraError(int codigo, int lineaError) = 0;
    // Shows the main window again (a manager closes).
    virtual void muestraPrincipal() = 0;
    // Seconds since the main window opened the manager now closing.
    virtual double segundosAbierto() const = 0;

    // The main window still takes a covariate table (its own covariate load
    // button is enabled).
    virtual bool aceptaCovariables() const = 0;
    // The main window's covariate load after its file dialog, with `ruta` (a
    // "C:\Quel\..." path or a local one): log, load, flag, tree node, map.
    // Returns the load's code (already reported by the main window).
    virtual int cargaCovariables(const QString& ruta) = 0;
    // The main window's bias load of the file `ruta`, as loading it by hand
    // does. Returns 0 when loaded (a failure is already reported).
    virtual int cargaSesgo(const QString& ruta) = 0;
    // One of the main window's eight input flags.
    virtual int bandera(int indice) const = 0;
    // Puts `priori` (rows x 1 classes) into the main window's dataset and
    // registers it as the run's prior (flag 2, tree node, prior map). `ruta`
    // names the table's file in the tree.
    virtual void registraPriori(std::unique_ptr<TImagenN<int>> priori, const QString& ruta) = 0;

    // Runs `trabajo` off the windows' thread and returns when it has ended;
    // meanwhile the windows keep painting and take no input but to
    // `abierto` (a run's Cancel button) when given.
    virtual void enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto = nullptr) = 0;
    // An icon of the main window's tree image list.
    virtual QIcon iconoNodo(int indice) const = 0;
};

// ---- small pieces the three windows share -------------------------------------

// A message-table entry (bytes of the language file) as shown.
QString texto(const std::string& bytes);
// Local path of a path the dialogs return.
std::filesystem::path rutaLocal(const QString& ruta);
QString rutaTexto(const std::filesystem::path& ruta);

// The elapsed-time log line of a closing manager (mensajesBorrado[5] with the
// seconds below 60, else mensajesBorrado[6] with the minutes).
QString lineaTiempo(const ServiciosPrincipal& s, double segundos);

// A progress bar fed by core work running on another thread: every report is
// handed to the bar's thread.
class ProgresoEnBarra final : public Progreso {
public:
    explicit ProgresoEnBarra(QProgressBar* barra) : barra_(barra) {}
    void avanza(int pasos) override;
    void fija(int porcentaje) override;

private:
    QProgressBar* barra_;
};

}  // namespace quel
