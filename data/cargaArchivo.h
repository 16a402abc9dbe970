#pragma once
// The dataset of a prediction: everything loaded for one run, and the text
// table machinery (conversion, validation, readers) every load rests on.
#include <filesystem>
#include <memory>
#include <string>

#include "data/TImagenN.h"

// Return codes shared by the loaders, the engine and the windows.
namespace codigos {
constexpr int kOk = 0;
constexpr int kVacio = 2;             // a piece converted to fewer than 2 characters / unreadable file
constexpr int kRenglonesDifieren = 3; // covariate rows differ from prior or bias rows
constexpr int kEncabezados = 4;       // grids with different headers
constexpr int kCampos = 5;            // wrong number of fields
constexpr int kIndiceBandera = 6;     // controlArchivo flag index above 7
constexpr int kBorrado = 7;           // deleting a temporary file failed
constexpr int kRango = 9;             // value out of range or not a number
constexpr int kCategoria = 11;        // category code out of range
constexpr int kMalformado = 12;       // malformed input file
}  // namespace codigos

class cargaArchivo {
public:
    // Type codes of the inputs.
    enum Tipo { kCovariables = 0, kSesgo = 1, kPriori = 2, kSitios = 3 };

    int numCovariables = 0;
    int numEspecies = 0;
    int renglones = 0;   // lines counted by the last validation
    int columnas = 0;    // fields of the last line counted by the last validation
    int lineaError = 0;  // line of the user's file where the last validation failed

    std::unique_ptr<TImagenN<float>> coordenadas;        // rows x 2 (x, y)
    std::unique_ptr<TImagenN<float>> sesgo;              // rows x 1
    std::unique_ptr<TImagenN<float>> sitios;             // sites x 3 (x, y, nearest row)
    std::unique_ptr<TImagenN<float>> categorias;         // numCovariables x 1
    std::unique_ptr<TImagenN<int>> covariables;          // rows x (fields - 2), region flag last
    std::unique_ptr<TImagenN<int>> priori;               // rows x 2 (file) or rows x 1 (uniform)
    std::unique_ptr<TImagenN<AnsiString>> nombresCovariables;  // numCovariables x 1
    std::unique_ptr<TImagenN<AnsiString>> especies;      // sites x 1

    // Folder of the temporary files of the loads (default: the current directory).
    explicit cargaArchivo(std::filesystem::path carpetaTrabajo = {});
    cargaArchivo(const cargaArchivo&) = delete;
    cargaArchivo& operator=(const cargaArchivo&) = delete;

    const std::filesystem::path& carpetaTrabajo() const { return carpeta_; }
    void fijaCarpetaTrabajo(std::filesystem::path p) { carpeta_ = std::move(p); }
    // `nombre` inside the working folder (a plain name such as "CovariablesTmp.txt").
    std::filesystem::path tmp(const std::string& nombre) const;

    // Loads; each returns 0 or an error code and leaves the grids of its type
    // untouched on failure.
    int cargaCovariables(const std::filesystem::path& ruta);
    int cargaSesgo(const std::filesystem::path& ruta);
    int cargaSitios(const std::filesystem::path& ruta);
    int cargaPriori(const std::filesystem::path& ruta);
    void sesgoUniforme();
    void prioriUniforme();
    void borraDatos(int tipo);
    void borraTodo();

    // Text-table machinery. `nombreTmp` and `nombre` are names inside the
    // working folder unless absolute.
    int convierteArchivo(const std::filesystem::path& ruta, const std::filesystem::path& nombreTmp, int tipo);
    int cuentaRenglones(const std::filesystem::path& nombreTmp, int tipo);
    static int leeCategoria(const std::string& linea);
    int leeTablaFloat(TImagenN<float>& grid, const std::filesystem::path& nombre);
    int leeTablaInt(TImagenN<int>& grid, const std::filesystem::path& nombre);
    int leeCovariables(const std::filesystem::path& nombre, TImagenN<float>& coordenadas,
                       TImagenN<int>& covariables);
    void leeNombres(const std::filesystem::path& ruta, TImagenN<AnsiString>& grid);
    // False when a file could not be read or written.
    bool quitaEspecie();
    void leeEspecies(TImagenN<AnsiString>& grid);
    void ordenaSitios(TImagenN<float>& sitios, TImagenN<AnsiString>& especies);

private:
    // `nombre` inside the working folder unless absolute.
    std::filesystem::path resuelve(const std::filesystem::path& nombre) const;

    std::filesystem::path carpeta_;
};

// Eight load-state flags: 0 covariates, 1 bias, 2 prior, 3 sites, 4 never
// raised, 5 predictive, 6 certainty, 7 prior potential.
class controlArchivo {
public:
    int banderas[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int marca(int indice);
    void limpia(int indice) { if (indice >= 0 && indice < 8) banderas[indice] = 0; }
};
