#pragma once
// The dataset of a prediction: everything loaded for one run, and the text
// table machinery (conversion, validation, readers) every load rests on.
#include <filesystem>
#include <memory>
#include <string>

#include "data/ErrorArchivo.h"
#include "data/TImagenN.h"
#include "platform/Progreso.h"

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
constexpr int kMemoria = 13;          // a run would need more memory than it may use
}  // namespace codigos

// Order of the rows with ranks `rango` (0..clases-1) after an exchange sort
// (for i, then every j after it, exchange rows i and j when rank i is
// greater): orden[k] is the original row that ends at k.
std::vector<int> ordenDelIntercambio(const std::vector<int>& rango, int clases);

class cargaArchivo {
public:
    // Type codes of the inputs.
    enum Tipo { kCovariables = 0, kSesgo = 1, kPriori = 2, kSitios = 3 };

    int numCovariables = 0;
    int numEspecies = 0;
    int renglones = 0;   // lines counted by the last validation
    int columnas = 0;    // fields of the last line counted by the last validation
    // Why the last failing load, conversion or validation failed: its code,
    // the user's file (set by the loads), the line of the user's file and
    // what was found there.
    quel::ErrorArchivo error;

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
    // untouched on failure. `progreso` is checked line by line: a cancelled
    // load returns quel::kCodigoCancelado and leaves the dataset as it was.
    // (Overloads, not default arguments: the windows keep pointers to the
    // one-argument loads.)
    int cargaCovariables(const std::filesystem::path& ruta, Progreso& progreso);
    int cargaSesgo(const std::filesystem::path& ruta, Progreso& progreso);
    int cargaSitios(const std::filesystem::path& ruta, Progreso& progreso);
    int cargaPriori(const std::filesystem::path& ruta, Progreso& progreso);
    int cargaCovariables(const std::filesystem::path& ruta) { return cargaCovariables(ruta, progresoNulo()); }
    int cargaSesgo(const std::filesystem::path& ruta) { return cargaSesgo(ruta, progresoNulo()); }
    int cargaSitios(const std::filesystem::path& ruta) { return cargaSitios(ruta, progresoNulo()); }
    int cargaPriori(const std::filesystem::path& ruta) { return cargaPriori(ruta, progresoNulo()); }
    void sesgoUniforme();
    void prioriUniforme();
    void borraDatos(int tipo);
    void borraTodo();

    // Text-table machinery. `nombreTmp` and `nombre` are names inside the
    // working folder unless absolute. Lines of any length are read whole; a
    // carriage return before a line feed is dropped.
    //
    // convierteArchivo: the user's file into the normalised `nombreTmp`
    // (tabs to commas, blanks and carriage returns dropped, each line feed
    // becomes ",\n"), plus "categoriasTmp.txt" (type 0 fills it and counts
    // numCovariables from 0). Returns 0; 2 for a line converting to fewer
    // than 2 characters (a final line break, a last line of one character),
    // a file that cannot be read, temporary files that cannot be written, or
    // a user's file that is itself one of those temporary files; 12 for a
    // covariate table without separator line or with a category line without
    // a number of categories; quel::kCodigoCancelado once `progreso` is
    // cancelled.
    int convierteArchivo(const std::filesystem::path& ruta, const std::filesystem::path& nombreTmp, int tipo,
                         Progreso& progreso = progresoNulo());
    // Validation of a converted file: 0 (sets renglones and columnas), 5
    // (field count), 9 (a value out of range, or a field that must be a
    // finite number and is not), both with error.linea = the user's line; 2
    // for a file that cannot be read or holds no line; 12 for a covariate
    // table whose covariate columns (fields - 3) differ from numCovariables
    // or that has no data line.
    int cuentaRenglones(const std::filesystem::path& nombreTmp, int tipo);
    // Second field of a category line as a whole number (0 when none).
    static int leeCategoria(const std::string& linea);
    // Readers of converted files into grids sized beforehand; fields and rows
    // beyond the grid are ignored. 0, or 2 when the file cannot be read.
    int leeTablaFloat(TImagenN<float>& grid, const std::filesystem::path& nombre);
    int leeCovariables(const std::filesystem::path& nombre, TImagenN<float>& coordenadas,
                       TImagenN<int>& covariables);
    // Covariate names from the user's own file (first field of each of the
    // first numCovariables lines, blanks kept).
    void leeNombres(const std::filesystem::path& ruta, TImagenN<AnsiString>& grid);
    // "SitiosPresenciaTmp.txt" from "SPConEspecieTmp.txt" without the species
    // field. False when a file could not be read or written.
    bool quitaEspecie();
    // Species (first field) of each line of "SPConEspecieTmp.txt".
    void leeEspecies(TImagenN<AnsiString>& grid);
    // Sites sorted by species name, in the order of an exchange sort on the
    // names (see ordenDelIntercambio), and the count of species.
    void ordenaSitios(TImagenN<float>& sitios, TImagenN<AnsiString>& especies);

private:
    // Fills `error` (its file aside) and returns `codigo`.
    int anota(int codigo, int linea, std::string detalle);
    // The end of a load of the user's file `ruta`: on failure names the file
    // in `error`.
    int concluye(int codigo, const std::filesystem::path& ruta);
    // Deletes a working file: 0, or 7 (kBorrado) with `error` filled.
    int borraTmp(const std::string& nombre);
    // `nombre` inside the working folder unless absolute.
    std::filesystem::path resuelve(const std::filesystem::path& nombre) const;
    // Validation of a converted table; `guarda(linea, valores)` receives the
    // values of every line that passes.
    template <class Guarda>
    int revisaTabla(const std::filesystem::path& ruta, int tipo, Progreso& progreso, Guarda&& guarda);
    // Validation and reading of a converted table in one pass.
    template <class Crea, class Guarda>
    int validaYLee(const std::string& nombreTmp, int tipo, Progreso& progreso, Crea&& crea, Guarda&& guarda);
    // Bias, prior and sites: a (rows, fields + extra) grid from a converted file.
    template <class T>
    int cargaColumnas(const std::string& nombreTmp, int tipo, int extra, std::unique_ptr<TImagenN<T>>& nuevo,
                      Progreso& progreso);

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
