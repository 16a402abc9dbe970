#pragma once
// Every modal question the windows ask (file dialogs, message boxes, the
// folder dialog) and the launch of the text viewer go through this one
// interface, so that window tests can answer them from a script and never
// block on a real modal dialog.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <vector>

class QWidget;
struct OpcionesEvaluacion;

namespace quel {

enum class IconoMensaje { Ninguno, Informacion, Advertencia, Error, Pregunta };

// A file dialog as the windows describe it. `filtro` uses the program's own
// filter notation "Description|*.ext|Description 2|*.a;*.b"; `indiceFiltro`
// is 1-based as in that notation.
struct PeticionArchivo {
    QString titulo;
    QString filtro;
    QString carpeta;      // initial folder, already mapped to this machine; may be empty
    QString nombre;       // proposed file name (save dialogs)
    int indiceFiltro = 1;
};

struct ArchivoElegido {
    QString ruta;
    int indiceFiltro = 1;  // 1-based entry of the filter the user chose
};

class Dialogos {
public:
    virtual ~Dialogos() = default;
    // Each returns nothing when the user cancels.
    virtual std::optional<ArchivoElegido> abreArchivo(QWidget* padre, const PeticionArchivo& p) = 0;
    virtual std::optional<ArchivoElegido> guardaArchivo(QWidget* padre, const PeticionArchivo& p) = 0;
    virtual std::optional<ArchivoElegido> guardaImagen(QWidget* padre, const PeticionArchivo& p) = 0;
    virtual std::optional<QString> eligeCarpeta(QWidget* padre, const QString& titulo,
                                                const QString& carpeta) = 0;
    // A modal box with a caption, a text and an icon; returns when dismissed.
    virtual void mensaje(QWidget* padre, const QString& titulo, const QString& texto, IconoMensaje icono) = 0;
    // Opens a text file in the desktop's text viewer, without waiting for it.
    virtual void abreEditor(const QString& ruta) = 0;
    // The settings of a model evaluation (partition, folds, seed, background,
    // one of `especies` or all of them); the inputs are the caller's.
    virtual std::optional<OpcionesEvaluacion> eligeEvaluacion(QWidget* padre, const QStringList& especies) = 0;
    // One line of text, `inicial` proposed; nothing when the user cancels.
    virtual std::optional<QString> pideTexto(QWidget* padre, const QString& titulo, const QString& etiqueta,
                                             const QString& inicial) = 0;
};

// The real dialogs of the desktop.
class DialogosReales final : public Dialogos {
public:
    std::optional<ArchivoElegido> abreArchivo(QWidget* padre, const PeticionArchivo& p) override;
    std::optional<ArchivoElegido> guardaArchivo(QWidget* padre, const PeticionArchivo& p) override;
    std::optional<ArchivoElegido> guardaImagen(QWidget* padre, const PeticionArchivo& p) override;
    std::optional<QString> eligeCarpeta(QWidget* padre, const QString& titulo, const QString& carpeta) override;
    void mensaje(QWidget* padre, const QString& titulo, const QString& texto, IconoMensaje icono) override;
    void abreEditor(const QString& ruta) override;
    // Defined beside its dialog (app/dialogs/dialogoEvaluacion.cpp).
    std::optional<OpcionesEvaluacion> eligeEvaluacion(QWidget* padre, const QStringList& especies) override;
    std::optional<QString> pideTexto(QWidget* padre, const QString& titulo, const QString& etiqueta,
                                     const QString& inicial) override;
};

// A save never replaces a file the work was read from: true, after an error
// box naming both files, when `salida` is one of `entradas` (through a link
// or another spelling of the path included).
bool salidaEsEntrada(Dialogos& d, QWidget* padre, const std::filesystem::path& salida,
                     const std::vector<std::filesystem::path>& entradas);

// "Text|*.txt|All|*.*" -> the toolkit's "Text (*.txt);;All (*.*)" and back.
QString filtroQt(const QString& filtro);
int indiceDeFiltroQt(const QString& filtro, const QString& elegido);

// Texts of the main window that its language files hold no entry for: the
// Spanish one, or the English one while the English language file is in use.
void fijaIngles(bool ingles);
QString enIdioma(const char* es, const char* en);

}  // namespace quel
