#pragma once
// The settings of a model evaluation, asked in a small modal dialog: how the
// sites are split (partition, folds, checkerboard squares), the seed, the
// background cells and the species. The real dialogs show it; tests answer
// through their scripted dialogs instead.
#include <QDialog>

#include "engine/evaluacion.h"

class QComboBox;
class QSpinBox;

class TDialogoEvaluacion : public QDialog {
    Q_OBJECT
public:
    // `especies`: the species offered besides "all".
    TDialogoEvaluacion(const QStringList& especies, QWidget* padre = nullptr);
    // The settings as chosen (inputs left to the caller).
    OpcionesEvaluacion opciones() const;

    QComboBox *ComboParticion, *ComboEspecie;
    QSpinBox *SpinPliegues, *SpinLadoBloque, *SpinSemilla, *SpinFondo;
};
