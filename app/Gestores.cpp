// Manager windows still without their own contents: each is a window with
// its designed name and caption that shows and hides as the main window's
// commands say; closing it brings the main window back.
#include "app/Gestores.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>

#include "app/principalMainQuel.h"

namespace quel {

namespace {

class TFormGestorVacio : public QMainWindow {
public:
    TFormGestorVacio(TFormPrincipal& principal, const char* nombre, const QString& titulo)
        : principal_(principal) {
        setObjectName(QString::fromLatin1(nombre));
        setWindowTitle(titulo);
        auto* l = new QLabel(titulo, this);
        l->setAlignment(Qt::AlignCenter);
        setCentralWidget(l);
        resize(640, 480);
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        principal_.show();
        e->accept();
    }

private:
    TFormPrincipal& principal_;
};

}  // namespace

std::unique_ptr<QWidget> creaGestorCovariables(TFormPrincipal& principal) {
    return std::make_unique<TFormGestorVacio>(principal, "TFormCovManager",
                                              QStringLiteral("Administrador de covariables"));
}

std::unique_ptr<QWidget> creaGestorPriori(TFormPrincipal& principal) {
    return std::make_unique<TFormGestorVacio>(principal, "TFormPrioriManager",
                                              QStringLiteral("Administrador de info. a priori"));
}

std::unique_ptr<QWidget> creaGestorSesgo(TFormPrincipal& principal) {
    return std::make_unique<TFormGestorVacio>(principal, "TFormBiasManager",
                                              QStringLiteral("Administrador de sesgo"));
}

}  // namespace quel
