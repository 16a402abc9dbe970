#include "managers/bias/corridaSesgo.h"

#include <algorithm>

#include "data/LectorGDAL.h"
#include "data/cargaArchivo.h"
#include "engine/asignaSitios.h"

namespace fs = std::filesystem;

namespace {

// Hands the estimator's error value to the caller; returns its code.
int falla(FalloSesgo* fallo, const quel::ErrorArchivo& error) {
    if (fallo) *fallo = error;
    return error.codigo;
}

// A failure that names no file, line or detail.
int falla(FalloSesgo* fallo, int codigo) { return quel::fallaArchivo(fallo, codigo, 0, {}); }

}  // namespace

int cargaCovariablesSesgo(inferenciaBias& inferencia, cargaArchivo& datos, const fs::path& archivo,
                          FalloSesgo* fallo) {
    const int codigo = inferencia.cargaCovariables(datos, archivo);
    if (codigo != 0) return falla(fallo, inferencia.error());
    inferencia.combinacionesDistintas();
    return 0;
}

int leeSitiosSesgo(cargaArchivo& datos, const fs::path& archivo, std::unique_ptr<TImagenN<float>>& sitios,
                   std::unique_ptr<TImagenN<AnsiString>>& especies, int* linea) {
    if (linea) *linea = 0;
    const fs::path conEspecie = fs::absolute(datos.tmp("SPConEspecieTmp.txt"));
    const fs::path soloSitios = fs::absolute(datos.tmp("SitiosPresenciaTmp.txt"));
    // The species split overwrites this file: never the user's own.
    std::error_code ec;
    if (fs::equivalent(archivo, soloSitios, ec) && !ec) return codigos::kVacio;
    int codigo = datos.convierteArchivo(archivo, conEspecie, cargaArchivo::kSitios);
    if (codigo != 0) return codigo;
    if (!datos.quitaEspecie()) return codigos::kVacio;
    codigo = datos.cuentaRenglones(soloSitios, cargaArchivo::kSitios);
    if (codigo != 0) {
        if (linea) *linea = datos.error.linea;
        return codigo;
    }
    auto nuevos = std::make_unique<TImagenN<float>>(datos.renglones, datos.columnas + 1);
    auto nombres = std::make_unique<TImagenN<AnsiString>>(datos.renglones, 1);
    codigo = datos.leeTablaFloat(*nuevos, soloSitios);
    if (codigo != 0) return codigo;
    datos.leeEspecies(*nombres);
    // The sort counts species into the dataset, whose count belongs to the
    // sites the main window loaded.
    const int especiesPrevias = datos.numEspecies;
    datos.ordenaSitios(*nuevos, *nombres);
    datos.numEspecies = especiesPrevias;
    sitios = std::move(nuevos);
    especies = std::move(nombres);
    return 0;
}

int ejecutaSesgo(inferenciaBias& inferencia, cargaArchivo& datos, const EntradasSesgo& e,
                 std::unique_ptr<TImagenN<float>>& sitios, std::unique_ptr<TImagenN<AnsiString>>& especies,
                 InformeSesgo* informe, FalloSesgo* fallo, Progreso& progreso) {
    if (!inferencia.covariables || !inferencia.coordenadas) return falla(fallo, codigos::kVacio);
    {
        quel::gdal::Sistema region;
        fs::path enFalta;
        std::string detalle;
        if (!quel::gdal::compruebaSistemas({e.ciudades, e.carreteras, e.riqueza}, region, enFalta, detalle))
            return quel::fallaArchivo(fallo, codigos::kEncabezados, 0, detalle, enFalta);
    }
    {
        ProgresoTramo tramo(progreso, 90);
        int codigo = 0;
        try {
            codigo = inferencia.sumaDistancias(datos, e.ciudades, e.carreteras, tramo);
        } catch (const quel::Cancelado&) {
            return falla(fallo, quel::kCodigoCancelado);
        }
        if (codigo != 0) return falla(fallo, inferencia.error());
        tramo.termina();
    }
    int codigo = inferencia.cargaRiqueza(datos, e.riqueza);
    if (codigo != 0) return falla(fallo, inferencia.error());
    inferencia.calculaAbundancia();
    for (const std::string& l : inferencia.tomaDiagnosticos()) progreso.registra(Progreso::Canal::kAviso, l);
    progreso.avanza(3);
    if (progreso.cancelado()) return falla(fallo, quel::kCodigoCancelado);

    int linea = 0;
    codigo = leeSitiosSesgo(datos, e.presencias, sitios, especies, &linea);
    if (codigo != 0) return quel::fallaArchivo(fallo, codigo, linea, {}, e.presencias);
    const int sinAsignar = asignaSitios(*inferencia.covariables, *inferencia.coordenadas, *sitios);
    inferencia.cuentaPresencias(*sitios);
    progreso.avanza(2);

    const float razonInicial = e.alfa / e.beta;
    const float pendienteInicial = 1.0f / e.cota;
    inferencia.estimaSesgo(razonInicial, pendienteInicial, static_cast<float>(sitios->renglones),
                           static_cast<float>(e.ausencias));
    progreso.avanza(5);
    if (informe) {
        informe->sitios = sitios->renglones;
        informe->sinAsignar = sinAsignar;
        informe->avisos = inferencia.avisos();
    }
    return 0;
}
