#pragma once
// Builds a covariate table from the items ticked in the covariate manager's
// list: covariates taken over from an opened covariate table and ESRI ASCII
// grids classified into categories on the way. The window (and the command
// line) fill the items; this class does the work and writes the file.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/TImagenN.h"
#include "data/exportaArchivo.h"
#include "platform/Progreso.h"
#include "platform/RaizDatos.h"

// One item of the manager's list.
struct ItemCovariable {
    std::string nombre;           // the text shown in the list; the covariate's name
    bool marcado = false;         // ticked
    std::filesystem::path ruta;   // grid items: the grid file
    int numClases = 10;           // grid items: the number in the chooser (automatic classes)
    bool manual = false;          // grid items: chooser disabled, one class per whole value
};

// An opened covariate table, in the dataset's layout.
struct TablaCargada {
    TImagenN<float> coordenadas;  // rows x 2
    TImagenN<int> covariables;    // rows x (fields - 2), region flag last
    TImagenN<float> categorias;   // numCovariables x 1
    int numCovariables() const { return categorias.renglones; }
};

class constructorTabla {
public:
    explicit constructorTabla(quel::RaizDatos raiz);

    // Builds the table from `items` and writes it to `ruta`. The first
    // `tabla->numCovariables()` items are the opened table's covariates (none
    // when `tabla` is null), the rest grids. Returns 0; 4 when a grid's header
    // differs from the first classified grid's, or (with opened-table items)
    // its cell count differs from the table's rows; 12 for a malformed or
    // unreadable grid; 9 for a grid that cannot be classified (fewer than one
    // class); 2 when the table file (or the coordinate file under the data
    // root) cannot be written, `rutaError` naming it; quel::kCodigoCancelado
    // when `progreso` was cancelled. Nothing is written to `ruta` unless the
    // result is 0.
    int construyeTabla(const std::filesystem::path& ruta, const std::vector<ItemCovariable>& items,
                       const TablaCargada* tabla = nullptr, Progreso& progreso = progresoNulo());

    // Writes the table built last. The file is `ruta`, with ".txt" appended
    // when `ruta` holds no "." anywhere and agregaExtension is set. False when
    // the file cannot be written, with the reason in `*razon` when given.
    bool escribeTabla(const std::filesystem::path& ruta, std::string* razon = nullptr) const;
    // `ruta` as the table is saved under: ".txt" appended when it has no ".".
    static std::filesystem::path conExtension(const std::filesystem::path& ruta);
    // The windows append ".txt" to a name without a dot; the command line
    // writes under exactly the name given.
    bool agregaExtension = true;

    // The table built last.
    int numSeleccionadas = 0;
    std::vector<std::string> nombresSel;    // names of the ticked items, in list order
    std::vector<float> categoriasSel;       // their numbers of categories
    std::unique_ptr<TImagenN<float>> coordsNuevas;  // rows x 2
    std::unique_ptr<TImagenN<int>> covsNuevas;      // rows x numSeleccionadas
    // Per ticked item: how many cells fell between class intervals (0 for
    // opened-table items).
    std::vector<std::int64_t> celdasEnHueco;

    // Why the last build failed: the grid concerned and the reader's account.
    std::filesystem::path rutaError;
    quel::ErrorGrid error;

    exportaArchivo exportador;
};
