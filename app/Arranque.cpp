#include "app/Arranque.h"

#include <QDir>
#include <QWidget>

#include "app/Gestores.h"
#include "app/dialogs/mensajeTipoArchivo.h"
#include "app/principalMainQuel.h"
#include "data/lenguaje.h"

namespace quel {

namespace {
QString plantillaTemporal() { return QDir::tempPath() + QStringLiteral("/quel-XXXXXX"); }
}  // namespace

Aplicacion::Aplicacion(RaizDatos raiz, Dialogos& dialogos) : carpetaTrabajo(plantillaTemporal()) {
    // First start: the data root, the shipped language files and the pointer
    // file naming the Spanish one.
    lenguaje::iniciaLenguajes(raiz);
    const std::filesystem::path trabajo =
        carpetaTrabajo.isValid() ? std::filesystem::path(QFile::encodeName(carpetaTrabajo.path()).toStdString())
                                 : std::filesystem::temp_directory_path();
    principal = std::make_unique<TFormPrincipal>(std::move(raiz), dialogos, trabajo);
    tipoArchivo = std::make_unique<TFormTipoArchivo>(*principal);
    covManager = creaGestorCovariables(*principal);
    prioriManager = creaGestorPriori(*principal);
    principal->fijaVentanas(tipoArchivo.get(), covManager.get(), prioriManager.get(), nullptr);
    // The prior manager's construction applies the language in force, so every
    // window shows it before the first one appears.
    principal->aplicaLenguajeGuardado();
    biasManager = creaGestorSesgo(*principal);
    principal->fijaVentanas(tipoArchivo.get(), covManager.get(), prioriManager.get(), biasManager.get());
}

Aplicacion::~Aplicacion() {
    biasManager.reset();
    prioriManager.reset();
    covManager.reset();
    tipoArchivo.reset();
    principal.reset();
}

}  // namespace quel
