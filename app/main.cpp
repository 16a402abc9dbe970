// quel: the desktop program.
#include <QApplication>

#include "app/Arranque.h"
#include "ui/Dialogos.h"
#include "app/principalMainQuel.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Project Quel"));
    quel::DialogosReales dialogos;
    quel::Aplicacion quel(quel::RaizDatos::desdeEntorno(), dialogos);
    quel.principal->show();
    return app.exec();
}
