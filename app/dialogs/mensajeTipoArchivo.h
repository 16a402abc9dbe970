#pragma once
// The choice dialog `TFormTipoArchivo`: a small modeless window with one
// panel per question (language, kind of bias, kind of prior). It is created
// once at start-up and only shown and hidden; while it is shown the main
// window is disabled, and every way out enables it again.
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TFormPrincipal;

namespace quel {
class TRadioGroup;
}

class TFormTipoArchivo : public QWidget {
    Q_OBJECT
public:
    enum class Modo { Ninguno, Lenguaje, Sesgo, Priori };

    explicit TFormTipoArchivo(TFormPrincipal& principal);

    // Opens the dialog in one mode: disables the main window, shows the
    // mode's panel (the kind panels with "Calculado (Con Archivo)" selected).
    void abre(Modo modo);
    Modo modo() const { return modo_; }

    QFrame* PanelLenguaje;
    QLabel* LabelLenguaje;
    QComboBox* ComboBoxLenguaje;
    QFrame* PanelTipoSesgo;
    quel::TRadioGroup* RadioGroupTipoDatos;
    QFrame* PanelTipoPriori;
    quel::TRadioGroup* RadioGroupTipoPriori;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancelar;

public slots:
    void ButtonOKClick();
    void ButtonCancelarClick();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void muestraPanel(QFrame* panel);
    TFormPrincipal& principal_;
    Modo modo_ = Modo::Ninguno;
};
