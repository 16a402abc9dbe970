#include "app/dialogs/mensajeTipoArchivo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "ui/Controles.h"
#include "app/principalMainQuel.h"

using quel::TRadioGroup;

TFormTipoArchivo::TFormTipoArchivo(TFormPrincipal& principal)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinimizeButtonHint),
      principal_(principal) {
    setObjectName(QStringLiteral("TFormTipoArchivo"));
    setWindowTitle(QStringLiteral("Tipo de Archivo"));

    PanelLenguaje = new QFrame(this);
    PanelLenguaje->setObjectName(QStringLiteral("PanelLenguaje"));
    auto* fl = new QHBoxLayout(PanelLenguaje);
    LabelLenguaje = new QLabel(QStringLiteral("Lenguaje: "), PanelLenguaje);
    LabelLenguaje->setObjectName(QStringLiteral("LabelLenguaje"));
    ComboBoxLenguaje = new QComboBox(PanelLenguaje);
    ComboBoxLenguaje->setObjectName(QStringLiteral("ComboBoxLenguaje"));
    ComboBoxLenguaje->addItems({QStringLiteral("English"), QStringLiteral("Español")});
    ComboBoxLenguaje->setCurrentIndex(0);
    fl->addWidget(LabelLenguaje);
    fl->addWidget(ComboBoxLenguaje, 1);

    PanelTipoSesgo = new QFrame(this);
    PanelTipoSesgo->setObjectName(QStringLiteral("PanelTipoSesgo"));
    auto* fs = new QVBoxLayout(PanelTipoSesgo);
    RadioGroupTipoDatos = new TRadioGroup(QStringLiteral("Tipo de Sesgo"), PanelTipoSesgo);
    RadioGroupTipoDatos->setObjectName(QStringLiteral("RadioGroupTipoDatos"));
    RadioGroupTipoDatos->fijaElementos(
        {QStringLiteral("Calculado (Con Archivo)"), QStringLiteral("Uniforme (Sin archivo)")});
    RadioGroupTipoDatos->fijaItemIndex(0);
    fs->addWidget(RadioGroupTipoDatos);

    PanelTipoPriori = new QFrame(this);
    PanelTipoPriori->setObjectName(QStringLiteral("PanelTipoPriori"));
    auto* fp = new QVBoxLayout(PanelTipoPriori);
    RadioGroupTipoPriori = new TRadioGroup(QStringLiteral("Tipo de Priori"), PanelTipoPriori);
    RadioGroupTipoPriori->setObjectName(QStringLiteral("RadioGroupTipoPriori"));
    RadioGroupTipoPriori->fijaElementos(
        {QStringLiteral("Calculado (Con Archivo)"), QStringLiteral("Uniforme (Sin Archivo)")});
    RadioGroupTipoPriori->fijaItemIndex(-1);
    fp->addWidget(RadioGroupTipoPriori);

    // All panels lie on the same spot.
    auto* pila = new QWidget(this);
    pila->setObjectName(QStringLiteral("PanelPaneles"));
    auto* sl = new QStackedLayout(pila);
    sl->setStackingMode(QStackedLayout::StackAll);
    sl->addWidget(PanelLenguaje);
    sl->addWidget(PanelTipoSesgo);
    sl->addWidget(PanelTipoPriori);

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    ButtonCancelar->setObjectName(QStringLiteral("ButtonCancelar"));
    connect(ButtonOK, &QPushButton::clicked, this, &TFormTipoArchivo::ButtonOKClick);
    connect(ButtonCancelar, &QPushButton::clicked, this, &TFormTipoArchivo::ButtonCancelarClick);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(ButtonOK);
    botones->addWidget(ButtonCancelar);
    auto* v = new QVBoxLayout(this);
    v->addWidget(pila, 1);
    v->addLayout(botones);

    PanelLenguaje->setVisible(true);
    PanelTipoSesgo->setVisible(false);
    PanelTipoPriori->setVisible(false);
    // A fixed dialog that grows with the texts of the language in force.
    v->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormTipoArchivo::muestraPanel(QFrame* panel) {
    for (QFrame* p : {PanelLenguaje, PanelTipoSesgo, PanelTipoPriori}) p->setVisible(p == panel);
}

void TFormTipoArchivo::abre(Modo modo) {
    modo_ = modo;
    principal_.setEnabled(false);
    switch (modo) {
        case Modo::Lenguaje:
            // The language in use is the one offered.
            if (const auto idioma = principal_.idiomaEnUso())
                ComboBoxLenguaje->setCurrentIndex(*idioma == quel::lenguaje::Idioma::kIngles ? 0 : 1);
            muestraPanel(PanelLenguaje);
            break;
        case Modo::Sesgo:
            RadioGroupTipoDatos->fijaItemIndex(0);
            muestraPanel(PanelTipoSesgo);
            break;
        case Modo::Priori:
            RadioGroupTipoPriori->fijaItemIndex(0);
            muestraPanel(PanelTipoPriori);
            break;
        case Modo::Ninguno: break;
    }
    show();
    raise();
    activateWindow();
}

void TFormTipoArchivo::ButtonOKClick() {
    const Modo modo = modo_;
    modo_ = Modo::Ninguno;
    switch (modo) {
        case Modo::Lenguaje:
            PanelLenguaje->setVisible(false);
            principal_.eligeLenguaje(ComboBoxLenguaje->currentText());
            hide();
            principal_.setEnabled(true);
            break;
        case Modo::Sesgo: {
            PanelTipoSesgo->setVisible(false);
            hide();
            const int i = RadioGroupTipoDatos->itemIndex();
            principal_.setEnabled(true);
            if (i == 0 || i == 1) principal_.cargaSesgoMapa(this, i);
            break;
        }
        case Modo::Priori: {
            PanelTipoPriori->setVisible(false);
            hide();
            const int i = RadioGroupTipoPriori->itemIndex();
            principal_.setEnabled(true);
            if (i == 0 || i == 1) principal_.cargaPrioriMapa(this, i);
            break;
        }
        case Modo::Ninguno:
            hide();
            principal_.setEnabled(true);
            break;
    }
}

void TFormTipoArchivo::ButtonCancelarClick() {
    modo_ = Modo::Ninguno;
    principal_.setEnabled(true);
    hide();
    for (QFrame* p : {PanelLenguaje, PanelTipoSesgo, PanelTipoPriori}) p->setVisible(false);
}

void TFormTipoArchivo::closeEvent(QCloseEvent* e) {
    // The window manager's close does what Cancel does, so the main window
    // never stays disabled.
    if (isVisible() && modo_ != Modo::Ninguno) ButtonCancelarClick();
    else principal_.setEnabled(true);
    e->accept();
}
