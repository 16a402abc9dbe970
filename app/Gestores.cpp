// The three manager windows the main window creates at start-up.
#include "app/Gestores.h"

#include "app/AdaptadorPrincipal.h"
#include "app/principalMainQuel.h"
#include "managers/bias/FormBiasManager.h"
#include "managers/covariates/FormCovManager.h"
#include "managers/prior/FormPrioriManager.h"

namespace quel {

std::unique_ptr<QWidget> creaGestorCovariables(TFormPrincipal& principal) {
    return creaTFormCovManager(std::make_shared<AdaptadorPrincipal>(principal));
}

std::unique_ptr<QWidget> creaGestorPriori(TFormPrincipal& principal) {
    return creaTFormPrioriManager(std::make_shared<AdaptadorPrincipal>(principal));
}

std::unique_ptr<QWidget> creaGestorSesgo(TFormPrincipal& principal) {
    return creaTFormBiasManager(std::make_shared<AdaptadorPrincipal>(principal));
}

}  // namespace quel
