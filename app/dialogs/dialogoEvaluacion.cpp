#include "app/dialogs/dialogoEvaluacion.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "ui/Dialogos.h"

namespace m = quel::metricas;

namespace {

// The partitions in the order the list offers them.
constexpr m::Particion kParticiones[] = {m::Particion::kAleatoria, m::Particion::kBloques, m::Particion::kAjedrez,
                                         m::Particion::kJackknife};

QSpinBox* numero(const char* nombre, int minimo, int maximo, int valor) {
    auto* s = new QSpinBox;
    s->setObjectName(QString::fromLatin1(nombre));
    s->setRange(minimo, maximo);
    s->setValue(valor);
    return s;
}

}  // namespace

TDialogoEvaluacion::TDialogoEvaluacion(const QStringList& especies, QWidget* padre) : QDialog(padre) {
    using quel::enIdioma;
    setObjectName(QStringLiteral("DialogoEvaluacion"));
    setWindowTitle(enIdioma("Evaluar el modelo", "Evaluate the model"));
    const OpcionesEvaluacion base;
    ComboParticion = new QComboBox;
    ComboParticion->setObjectName(QStringLiteral("ComboParticion"));
    ComboParticion->addItems({enIdioma("Aleatoria", "Random"), enIdioma("Bloques", "Block"),
                              enIdioma("Tablero de ajedrez", "Checkerboard"), QStringLiteral("Jackknife")});
    SpinPliegues = numero("SpinPliegues", 2, 1000, base.pliegues);
    SpinLadoBloque = numero("SpinLadoBloque", 1, INT_MAX, base.ladoBloque);
    SpinSemilla = numero("SpinSemilla", 0, INT_MAX, static_cast<int>(base.semilla));
    SpinFondo = numero("SpinFondo", 0, INT_MAX, 0);
    SpinFondo->setSpecialValueText(enIdioma("Todas", "All"));
    ComboEspecie = new QComboBox;
    ComboEspecie->setObjectName(QStringLiteral("ComboEspecie"));
    ComboEspecie->addItem(enIdioma("Todas", "All"));
    ComboEspecie->addItems(especies);
    // Folds count for the random partition only, squares for the checkerboard.
    const auto ajusta = [this](int i) {
        SpinPliegues->setEnabled(kParticiones[i] == m::Particion::kAleatoria);
        SpinLadoBloque->setEnabled(kParticiones[i] == m::Particion::kAjedrez);
    };
    connect(ComboParticion, &QComboBox::currentIndexChanged, this, ajusta);
    ajusta(0);

    auto* forma = new QFormLayout;
    const auto fila = [forma](const char* nombre, const QString& texto, QWidget* campo) {
        auto* etiqueta = new QLabel(texto);
        etiqueta->setObjectName(QString::fromLatin1(nombre));
        forma->addRow(etiqueta, campo);
    };
    fila("LabelParticion", enIdioma("Partición", "Partition"), ComboParticion);
    fila("LabelPliegues", enIdioma("Pliegues", "Folds"), SpinPliegues);
    fila("LabelLadoBloque", enIdioma("Celdas por lado del cuadro", "Cells per square side"), SpinLadoBloque);
    fila("LabelSemilla", enIdioma("Semilla", "Seed"), SpinSemilla);
    fila("LabelFondo", enIdioma("Celdas de fondo", "Background cells"), SpinFondo);
    fila("LabelEspecie", enIdioma("Especie", "Species"), ComboEspecie);
    auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    botones->setObjectName(QStringLiteral("BotonesEvaluacion"));
    connect(botones, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* l = new QVBoxLayout(this);
    l->addLayout(forma);
    l->addWidget(botones);
}

OpcionesEvaluacion TDialogoEvaluacion::opciones() const {
    OpcionesEvaluacion o;
    o.particion = kParticiones[std::max(0, ComboParticion->currentIndex())];
    o.pliegues = SpinPliegues->value();
    o.ladoBloque = SpinLadoBloque->value();
    o.semilla = static_cast<std::uint64_t>(SpinSemilla->value());
    o.fondo = SpinFondo->value();
    if (ComboEspecie->currentIndex() > 0) o.prediccion.especie = ComboEspecie->currentText().toStdString();
    return o;
}

std::optional<OpcionesEvaluacion> quel::DialogosReales::eligeEvaluacion(QWidget* padre, const QStringList& especies) {
    TDialogoEvaluacion d(especies, padre);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.opciones();
}
