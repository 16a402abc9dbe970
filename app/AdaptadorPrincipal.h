#pragma once
// The main window as the managers see it: the one implementation of their
// interface in the program. The clock is injectable.
#include <functional>

#include "managers/covariates/FormServicios.h"

class TFormPrincipal;

namespace quel {

class AdaptadorPrincipal final : public ServiciosPrincipal {
public:
    explicit AdaptadorPrincipal(TFormPrincipal& principal);

    const lenguaje::TablasMensajes& tablas() const override;
    Dialogos& dialogos() override;
    const RaizDatos& raiz() const override;
    std::filesystem::path carpetaTrabajo() const override;
    void agregaLog(const QString& texto) override;
    void muestraError(int codigo, int lineaError) override;
    void muestraPrincipal() override;
    double segundosAbierto() const override;
    bool aceptaCovariables() const override;
    int cargaCovariables(const QString& ruta) override;
    int cargaSesgo(const QString& ruta) override;
    int bandera(int indice) const override;
    void registraPriori(std::unique_ptr<TImagenN<int>> priori, const QString& ruta) override;
    void enSegundoPlano(const std::function<void()>& trabajo, QWidget* abierto = nullptr) override;
    QIcon iconoNodo(int indice) const override;

    // Wall-clock seconds (by default the system clock, in the unit of the
    // main window's `tiempoInicioGestor`).
    std::function<double()> reloj;

private:
    TFormPrincipal& p_;
};

}  // namespace quel
