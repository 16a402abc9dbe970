#pragma once
// Builds a covariate table from the items ticked in the covariate manager's
// list: covariates taken over from an opened covariate table and ESRI ASCII
// grids classified into categories on the way. The window (and the command
// line) fill the items; this class does the work and writes the file.
//
// The grids are read twice, never held whole: once each for its header and
// the range (or the values) its classes need, then all together a block of
// rows at a time, each block classified and written before the next is read.
// Its memory grows with the grids' width and number, not with their rows.
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
    bool cuantiles = false;       // grid items, automatic: classes of equal frequency, not equal intervals
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
    // class); 2 when the table file cannot be written, `rutaError` naming
    // it; quel::kCodigoCancelado
    // when `progreso` was cancelled. Nothing is written to `ruta` unless the
    // result is 0.
    int construyeTabla(const std::filesystem::path& ruta, const std::vector<ItemCovariable>& items,
                       const TablaCargada* tabla = nullptr, Progreso& progreso = progresoNulo());

    // `ruta` as the table is saved under: ".txt" appended when it has no ".".
    static std::filesystem::path conExtension(const std::filesystem::path& ruta);
    // The windows append ".txt" to a name without a dot; the command line
    // writes under exactly the name given.
    bool agregaExtension = true;
    // Grid rows read and written at a time; 0 for blocks of a few million
    // cells of all grids together. The table is the same whatever the block.
    int renglonesPorBloque = 0;

    // The table built last (its rows go straight to the file).
    int numSeleccionadas = 0;
    std::vector<std::string> nombresSel;    // names of the ticked items, in list order
    std::vector<float> categoriasSel;       // their numbers of categories
    // Per ticked item: how many cells fell between class intervals (0 for
    // opened-table items).
    std::vector<std::int64_t> celdasEnHueco;
    // Per ticked item: the equal-frequency classes asked for (0 for other
    // items); categoriasSel holds how many were formed.
    std::vector<int> clasesPedidas;

    // Why the last build failed: the grid concerned and the reader's account.
    std::filesystem::path rutaError;
    quel::ErrorGrid error;

    // Names the working files under the data root (none is left behind).
    exportaArchivo exportador;
};
