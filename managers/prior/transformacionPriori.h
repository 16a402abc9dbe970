#pragma once
// Turns a base grid (its no-data cells lie outside the study region) and a
// prior grid (a prior class per cell) into the prior-class table: one line
// per base cell, 0 outside the region, 2 where the prior grid has no value,
// otherwise the prior value.
#include <filesystem>
#include <memory>
#include <string>

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
    // that of the grid read last. Returns 0; 3 (nothing written) when the prior
    // grid has fewer cells than the base grid, with kAdvertencia as the reason;
    // 4 when the two grids lie in different coordinate systems (or a ".prj"
    // cannot be read), `errorSistema` saying which; kSinTablas before both
    // grids are loaded; 2 when the file cannot be written.
    int transforma();
    // Saves `transformada` in the same format. ".txt" is appended to a name
    // without any "." unless `exacto`. False when there is nothing to save or
    // the file cannot be written.
    bool guarda(const std::filesystem::path& ruta, bool exacto = false) const;

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
    int carga(const std::filesystem::path& grid, int& celdas, std::unique_ptr<TImagenN<long double>>& tabla);
    std::string texto() const;

    exportaArchivo& ex_;
    std::filesystem::path carpeta_;
};
