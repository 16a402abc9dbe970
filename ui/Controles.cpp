#include "ui/Controles.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>
#include <memory>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace quel {

TRadioGroup::TRadioGroup(const QString& titulo, QWidget* padre) : QGroupBox(titulo, padre) {
    caja_ = new QVBoxLayout(this);
    caja_->setSpacing(2);
    grupo_.setExclusive(true);
    connect(&grupo_, &QButtonGroup::idClicked, this, &TRadioGroup::pulsado);
}

void TRadioGroup::fijaElementos(const QStringList& elementos) {
    for (QAbstractButton* b : grupo_.buttons()) {
        grupo_.removeButton(b);
        delete b;
    }
    int i = 0;
    for (const QString& t : elementos) {
        auto* b = new QRadioButton(t, this);
        b->setObjectName(objectName() + QStringLiteral("_%1").arg(i));
        grupo_.addButton(b, i++);
        caja_->addWidget(b);
    }
}

QStringList TRadioGroup::elementos() const {
    QStringList r;
    for (int i = 0; i < grupo_.buttons().size(); ++i) r.append(grupo_.button(i)->text());
    return r;
}

int TRadioGroup::itemIndex() const { return grupo_.checkedId(); }

void TRadioGroup::fijaItemIndex(int i) {
    if (i >= 0 && grupo_.button(i)) {
        grupo_.button(i)->setChecked(true);
        return;
    }
    grupo_.setExclusive(false);
    for (QAbstractButton* b : grupo_.buttons()) b->setChecked(false);
    grupo_.setExclusive(true);
}

void TRadioGroup::pulsa(int i) {
    if (QAbstractButton* b = grupo_.button(i)) b->click();
}

TImagen::TImagen(int ancho, int alto, bool estira, QWidget* padre)
    : QWidget(padre), bitmap_(ancho, alto, QImage::Format_RGB32), estira_(estira) {
    bitmap_.fill(Qt::white);
    setMouseTracking(true);
    if (!estira_) setFixedSize(ancho, alto);
}

void TImagen::llena(QRgb color) {
    bitmap_.fill(color);
    update();
}

QSize TImagen::sizeHint() const { return bitmap_.size(); }

void TImagen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (estira_) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(rect(), bitmap_);
    } else {
        p.drawImage(QPoint(0, 0), bitmap_);
    }
}

void TImagen::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit movido(p.x(), p.y());
}

TEtiquetaFija::TEtiquetaFija(const QString& texto, int ancho, QWidget* padre) : QLabel(texto, padre) {
    setFixedWidth(ancho);
    setWordWrap(false);
}

QFont TEtiquetaFija::fuenteAjustada() const {
    QFont f = font();
    const int disponible = contentsRect().width() - 2 * margin();
    if (QFontMetrics(f).horizontalAdvance(text()) <= disponible || f.pointSizeF() <= 0) return f;
    for (qreal puntos = f.pointSizeF(); puntos > 4; puntos -= 0.5) {
        f.setPointSizeF(puntos);
        if (QFontMetrics(f).horizontalAdvance(text()) <= disponible) return f;
    }
    return f;
}

void TEtiquetaFija::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(fuenteAjustada());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(contentsRect().adjusted(margin(), margin(), -margin(), -margin()), static_cast<int>(alignment()),
               text());
}

TLlaveClases::TLlaveClases(QWidget* padre) : QWidget(padre) {
    caja_ = new QVBoxLayout(this);
    caja_->setContentsMargins(4, 4, 4, 4);
    caja_->setSpacing(3);
}

void TLlaveClases::fijaClases(const std::vector<Clase>& clases) {
    if (clases.size() == clases_.size() &&
        std::equal(clases.begin(), clases.end(), clases_.begin(),
                   [](const Clase& a, const Clase& b) { return a.color == b.color && a.texto == b.texto; }))
        return;
    clases_ = clases;
    while (caja_->count() > 0) {
        const std::unique_ptr<QLayoutItem> item(caja_->takeAt(0));
        const std::unique_ptr<QWidget> fila(item->widget());
    }
    for (std::size_t i = 0; i < clases_.size(); ++i) {
        QPixmap cuadro(14, 14);
        cuadro.fill(QColor::fromRgb(clases_[i].color));
        QPainter g(&cuadro);
        g.setPen(Qt::black);
        g.drawRect(0, 0, 13, 13);
        g.end();
        auto* fila = new QWidget(this);
        fila->setObjectName(objectName() + QStringLiteral("_%1").arg(i));
        auto* h = new QHBoxLayout(fila);
        h->setContentsMargins(0, 0, 0, 0);
        auto* muestra = new QLabel(fila);
        muestra->setObjectName(QStringLiteral("Color"));
        muestra->setPixmap(cuadro);
        auto* texto = new QLabel(clases_[i].texto, fila);
        texto->setObjectName(QStringLiteral("Texto"));
        h->addWidget(muestra);
        h->addWidget(texto, 1);
        caja_->addWidget(fila);
    }
    caja_->addStretch(1);
}

QString textoDeBytes(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString r = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return r;
    // Windows-1252: Latin-1 except 0x80..0x9F.
    static const char16_t alto[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString w;
    w.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        w.append(QChar(b >= 0x80 && b < 0xA0 ? alto[b - 0x80] : char16_t(b)));
    }
    return w;
}

}  // namespace quel

namespace quel {

std::filesystem::path archivoLocal(const QString& ruta) {
    return std::filesystem::path(QFile::encodeName(ruta).toStdString());
}

}  // namespace quel
