#pragma once
// Small controls the windows are built from: a radio group with an item
// index (-1 = no selection) and an image control that holds a bitmap of a
// fixed size and shows it stretched or at its natural size.
#include <QButtonGroup>
#include <QGroupBox>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <QLabel>
#include <filesystem>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace quel {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& titulo, QWidget* padre = nullptr);
    void fijaElementos(const QStringList& elementos);
    QStringList elementos() const;
    int itemIndex() const;
    void fijaItemIndex(int i);  // -1 clears the selection
    // Acts as a user click on item i (tests and keyboard).
    void pulsa(int i);

signals:
    void pulsado(int indice);  // a click by the user on an item

private:
    QButtonGroup grupo_;
    QVBoxLayout* caja_;
};

class TImagen : public QWidget {
    Q_OBJECT
public:
    TImagen(int ancho, int alto, bool estira, QWidget* padre = nullptr);
    QImage& bitmap() { return bitmap_; }
    const QImage& bitmap() const { return bitmap_; }
    void llena(QRgb color);
    bool estira() const { return estira_; }
    QSize sizeHint() const override;

signals:
    void movido(int x, int y);  // mouse position in control pixels

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QImage bitmap_;
    bool estira_;
};

// A label of a fixed width whose text is never clipped: a text wider than the
// label is drawn in a smaller font, so the label (and its neighbours) never
// move or grow whatever the text.
class TEtiquetaFija : public QLabel {
    Q_OBJECT
public:
    TEtiquetaFija(const QString& texto, int ancho, QWidget* padre = nullptr);
    // The font the current text is drawn in.
    QFont fuenteAjustada() const;

protected:
    void paintEvent(QPaintEvent*) override;
};

// A key of classes: one coloured square and its caption per class, in order.
class TLlaveClases : public QWidget {
    Q_OBJECT
public:
    explicit TLlaveClases(QWidget* padre = nullptr);
    struct Clase {
        QRgb color;
        QString texto;
    };
    void fijaClases(const std::vector<Clase>& clases);
    const std::vector<Clase>& clases() const { return clases_; }

private:
    QVBoxLayout* caja_;
    std::vector<Clase> clases_;
};

// Text of a file (bytes) as shown in the windows: UTF-8 when valid, else
// Windows-1252.
QString textoDeBytes(const std::string& bytes);

// A path as the windows hold it, as the file system's own.
std::filesystem::path archivoLocal(const QString& ruta);

}  // namespace quel
