#include "ui/Dialogos.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>
#include <atomic>

#include "platform/EscrituraSegura.h"

namespace quel {

namespace {

// Pairs (description, patterns) of a filter in the program's notation.
QList<QPair<QString, QString>> entradas(const QString& filtro) {
    QList<QPair<QString, QString>> r;
    const QStringList partes = filtro.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < partes.size(); i += 2) r.append({partes[i], partes[i + 1]});
    if (partes.size() % 2 == 1 && !partes.last().isEmpty()) r.append({partes.last(), partes.last()});
    return r;
}

// "Text (*.txt; *.csv)" + "*.txt;*.csv" -> "Text (*.txt *.csv)": the toolkit
// reads the patterns from the last parentheses, so a description that already
// shows them in parentheses has them replaced rather than repeated.
QString entradaQt(const QPair<QString, QString>& e) {
    QString patrones = e.second;
    patrones.replace(QLatin1Char(';'), QLatin1Char(' '));
    patrones = patrones.simplified();
    QString desc = e.first.trimmed();
    const qsizetype abre = desc.lastIndexOf(QLatin1Char('('));
    if (desc.endsWith(QLatin1Char(')')) && abre >= 0) desc = desc.left(abre).trimmed();
    const QString sufijo = QLatin1Char('(') + patrones + QLatin1Char(')');
    return desc.isEmpty() ? sufijo : desc + QLatin1Char(' ') + sufijo;
}

std::optional<ArchivoElegido> archivo(QWidget* padre, const PeticionArchivo& p, bool guardar) {
    const QString filtro = filtroQt(p.filtro);
    const QStringList lista = filtro.split(QStringLiteral(";;"));
    QString elegido;
    if (p.indiceFiltro >= 1 && p.indiceFiltro <= lista.size()) elegido = lista[p.indiceFiltro - 1];
    QString inicio = p.carpeta;
    if (!p.nombre.isEmpty()) inicio = inicio.isEmpty() ? p.nombre : inicio + QLatin1Char('/') + p.nombre;
    const QString ruta = guardar ? QFileDialog::getSaveFileName(padre, p.titulo, inicio, filtro, &elegido)
                                 : QFileDialog::getOpenFileName(padre, p.titulo, inicio, filtro, &elegido);
    if (ruta.isEmpty()) return std::nullopt;
    return ArchivoElegido{ruta, indiceDeFiltroQt(filtro, elegido)};
}

}  // namespace

QString filtroQt(const QString& filtro) {
    QStringList r;
    for (const auto& e : entradas(filtro)) r.append(entradaQt(e));
    return r.join(QStringLiteral(";;"));
}

int indiceDeFiltroQt(const QString& filtro, const QString& elegido) {
    const QStringList lista = filtro.split(QStringLiteral(";;"));
    const int i = static_cast<int>(lista.indexOf(elegido));
    return i < 0 ? 1 : i + 1;
}

std::optional<ArchivoElegido> DialogosReales::abreArchivo(QWidget* padre, const PeticionArchivo& p) {
    return archivo(padre, p, false);
}

std::optional<ArchivoElegido> DialogosReales::guardaArchivo(QWidget* padre, const PeticionArchivo& p) {
    return archivo(padre, p, true);
}

std::optional<ArchivoElegido> DialogosReales::guardaImagen(QWidget* padre, const PeticionArchivo& p) {
    return archivo(padre, p, true);
}

std::optional<QString> DialogosReales::eligeCarpeta(QWidget* padre, const QString& titulo,
                                                    const QString& carpeta) {
    const QString r = QFileDialog::getExistingDirectory(padre, titulo, carpeta);
    if (r.isEmpty()) return std::nullopt;
    return r;
}

void DialogosReales::mensaje(QWidget* padre, const QString& titulo, const QString& texto, IconoMensaje icono) {
    QMessageBox::Icon i = QMessageBox::NoIcon;
    switch (icono) {
        case IconoMensaje::Informacion: i = QMessageBox::Information; break;
        case IconoMensaje::Advertencia: i = QMessageBox::Warning; break;
        case IconoMensaje::Error: i = QMessageBox::Critical; break;
        case IconoMensaje::Pregunta: i = QMessageBox::Question; break;
        case IconoMensaje::Ninguno: break;
    }
    QMessageBox caja(i, titulo, texto, QMessageBox::Ok, padre);
    caja.exec();
}

void DialogosReales::abreEditor(const QString& ruta) {
    // The desktop's own viewer for text files; the path is handed over whole.
    QDesktopServices::openUrl(QUrl::fromLocalFile(ruta));
}

std::optional<QString> DialogosReales::pideTexto(QWidget* padre, const QString& titulo, const QString& etiqueta,
                                                 const QString& inicial) {
    bool aceptado = false;
    QString t = QInputDialog::getText(padre, titulo, etiqueta, QLineEdit::Normal, inicial, &aceptado);
    if (!aceptado) return std::nullopt;
    return t;
}

namespace {
std::atomic<bool> gIngles{false};
}

void fijaIngles(bool ingles) { gIngles = ingles; }

QString enIdioma(const char* es, const char* en) { return QString::fromUtf8(gIngles ? en : es); }

bool salidaEsEntrada(Dialogos& d, QWidget* padre, const std::filesystem::path& salida,
                     const std::vector<std::filesystem::path>& entradas) {
    for (const auto& e : entradas) {
        if (e.empty() || !mismoArchivo(salida, e)) continue;
        d.mensaje(padre, QStringLiteral("ERROR"),
                  enIdioma("El archivo %1 es el dato de entrada %2; elija otro nombre.",
                           "The file %1 is the input %2; choose another name.")
                      .arg(QString::fromStdString(salida.string()), QString::fromStdString(e.string())),
                  IconoMensaje::Error);
        return true;
    }
    return false;
}

}  // namespace quel
