#pragma once
// Turns a base grid (its no-data cells lie outside the study region) and a
// prior grid (a prior class per cell) into the prior-class table: one line
// per base cell, 0 outside the region, 2 where the prior grid has no value,
// otherwise the prior value.
#include <filesystem>
#include <memory>
#include <string>

#include "data/ErrorArchivo.h"
#include "data/LectorASCII.h"
#include "data/TImagenN.h"
#include "data/exportaArchivo.h"

class transformacionPriori {
public:
    // The refusal shown when the prior grid has fewer cells than the base grid.
    static constexpr const char* kAdvertencia = "WARNING: Los renglones del ASCII y del Priori no coinciden";
    // Returned by transforma when the base or the prior grid is missing.
    static constexpr int kSinTablas = -1;

    // `exportador` reads the grids (the window passes the covariate manager's,
    // whose header the window then shows); "PrioriTmp.txt" is written in
    // `carpetaTrabajo`.
    transformacionPriori(exportaArchivo& exportador, std::filesystem::path carpetaTrabajo);

    // Load the base or the prior grid through the mask conversion. Return 0,
    // or 12 for a malformed or unreadable grid (see exportador().error()); the
    // previous table then stays.
    int cargaBase(const std::filesystem::path& grid);
    int cargaPriori(const std::filesystem::path& grid);
    // Both grids are loaded and their cell counts differ.
    bool celdasDifieren() const { return base && priori && celdasBase != celdasPriori; }

    // Writes "PrioriTmp.txt" and fills `transformada`. N, the no-data value, is
    // that of the grid read last. Returns 0; 4 (nothing written, `error`
    // names both grids and what differs) when the grids do not line up: ncols
    // and nrows must be equal, the cell sizes so close that the grids drift
    // apart by less than a hundredth of a cell over their extent, the
    // lower-left corners within a hundredth of a cell; kSinTablas before both
    // grids are loaded; 2 when the file cannot be written. Classes other than
    // 0..3 are copied as they are and counted (clasesFuera). 4 also when the
    // two grids lie in different coordinate systems (or a ".prj" cannot be
    // read), `error` and `errorSistema` saying which.
    int transforma();
    // Why the last transforma failed.
    quel::ErrorArchivo error;
    // Cells of `transformada` whose class is not 0, 1, 2 or 3 (a prediction
    // refuses such a file), the first of them (from 0; -1 when none) and its
    // value.
    long long clasesFuera = 0;
    long long primeraFuera = -1;
    long double valorFuera = 0;
    // Saves `transformada` in the same format. ".txt" is appended to a name
    // without any "." unless `exacto`. False when there is nothing to save or
    // the file cannot be written, with the reason in `*razon` when given.
    bool guarda(const std::filesystem::path& ruta, bool exacto = false, std::string* razon = nullptr) const;

    std::filesystem::path rutaTemporal() const { return carpeta_ / "PrioriTmp.txt"; }
    exportaArchivo& exportador() const { return ex_; }

    int celdasBase = 0;
    int celdasPriori = 0;
    // Cell values in file order (a "nan"/"null" cell holds NaN).
    std::unique_ptr<TImagenN<long double>> base;
    std::unique_ptr<TImagenN<long double>> priori;
    std::unique_ptr<TImagenN<long double>> transformada;
    // The grids loaded last, and why transforma refused their coordinate systems.
    std::filesystem::path rutaBase, rutaPriori;
    std::string errorSistema;

private:
    struct Fuente {
        std::filesystem::path ruta;
        quel::EncabezadoASCII encabezado;
    };
    int carga(const std::filesystem::path& grid, int& celdas, std::unique_ptr<TImagenN<long double>>& tabla,
              Fuente& fuente);
    // Empty when the grids line up, else what differs.
    std::string desalineacion() const;
    std::string texto() const;

    exportaArchivo& ex_;
    std::filesystem::path carpeta_;
    Fuente fuenteBase_, fuentePriori_;
};
