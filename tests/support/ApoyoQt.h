#pragma once
// Helpers shared by the window tests: whole-file reads and writes and the
// bundled samples of the source tree.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <string>

namespace prueba {

inline QByteArray lee(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline void escribe(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(ruta));
    f.write(bytes);
}
inline void escribe(const QString& ruta, const std::string& bytes) { escribe(ruta, QByteArray::fromStdString(bytes)); }
inline void escribe(const QString& ruta, const char* bytes) { escribe(ruta, QByteArray(bytes)); }

// The source tree (samples/, resources/).
inline QString fuentes() {
    const QByteArray e = qgetenv("QUEL_SOURCE");
    return e.isEmpty() ? QStringLiteral(QUEL_SOURCE_DIR) : QString::fromLocal8Bit(e);
}
inline QString muestra(const QString& relativo) { return fuentes() + QStringLiteral("/samples/") + relativo; }

}  // namespace prueba
