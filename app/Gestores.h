#pragma once
// The three manager windows as the main window sees them: created once at
// start-up (covariates, prior, bias, in this order), shown by the main
// window's commands and hidden again when they close, which brings the main
// window back.
#include <memory>

class QWidget;
class TFormPrincipal;

namespace quel {

std::unique_ptr<QWidget> creaGestorCovariables(TFormPrincipal& principal);
std::unique_ptr<QWidget> creaGestorPriori(TFormPrincipal& principal);
std::unique_ptr<QWidget> creaGestorSesgo(TFormPrincipal& principal);

}  // namespace quel
