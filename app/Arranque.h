#pragma once
// Start-up of the desktop program: the data root and its language files, the
// private working folder, and the windows in their order of creation (main
// window, choice dialog, covariate, prior and bias managers). The windows
// live as long as this object and are released in reverse order.
#include <QTemporaryDir>
#include <memory>

#include "ui/Dialogos.h"
#include "platform/RaizDatos.h"

class QWidget;
class TFormPrincipal;
class TFormTipoArchivo;

namespace quel {

class Aplicacion {
public:
    Aplicacion(RaizDatos raiz, Dialogos& dialogos);
    ~Aplicacion();
    Aplicacion(const Aplicacion&) = delete;
    Aplicacion& operator=(const Aplicacion&) = delete;

    QTemporaryDir carpetaTrabajo;  // the dataset's temporary files
    std::unique_ptr<TFormPrincipal> principal;
    std::unique_ptr<TFormTipoArchivo> tipoArchivo;
    std::unique_ptr<QWidget> covManager;
    std::unique_ptr<QWidget> prioriManager;
    std::unique_ptr<QWidget> biasManager;
};

}  // namespace quel
