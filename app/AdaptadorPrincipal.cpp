#include "app/AdaptadorPrincipal.h"

#include <QDateTime>

#include "app/principalMainQuel.h"

namespace quel {

AdaptadorPrincipal::AdaptadorPrincipal(TFormPrincipal& principal)
    : reloj([] { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }), p_(principal) {}

const lenguaje::TablasMensajes& AdaptadorPrincipal::tablas() const { return p_.tablas; }
Dialogos& AdaptadorPrincipal::dialogos() { return p_.dialogos(); }
const RaizDatos& AdaptadorPrincipal::raiz() const { return p_.raiz(); }
std::filesystem::path AdaptadorPrincipal::carpetaTrabajo() const { return p_.datos.carpetaTrabajo(); }
void AdaptadorPrincipal::agregaLog(const QString& t) { p_.agregaLog(t); }
void AdaptadorPrincipal::muestraError(int codigo, int linea) { p_.muestraError(codigo, linea); }
void AdaptadorPrincipal::muestraPrincipal() { p_.show(); }
double AdaptadorPrincipal::segundosAbierto() const { return reloj() - p_.tiempoInicioGestor; }
bool AdaptadorPrincipal::aceptaCovariables() const { return p_.aceptaCovariables(); }
int AdaptadorPrincipal::cargaCovariables(const QString& ruta) { return p_.cargaCovariablesDesde(ruta); }
int AdaptadorPrincipal::cargaSesgo(const QString& ruta) { return p_.cargaSesgoDesde(ruta); }
int AdaptadorPrincipal::bandera(int i) const { return i >= 0 && i < 8 ? p_.control.banderas[i] : 0; }

void AdaptadorPrincipal::registraPriori(std::unique_ptr<TImagenN<int>> priori, const QString& ruta) {
    p_.datos.priori = std::move(priori);
    p_.registraPriori(nullptr, ruta);
}

void AdaptadorPrincipal::enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto) {
    p_.enSegundoPlano(trabajo, abierto);
}

QIcon AdaptadorPrincipal::iconoNodo(int indice) const { return TFormPrincipal::iconoNodo(indice); }

}  // namespace quel
