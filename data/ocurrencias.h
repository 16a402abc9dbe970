#pragma once
// Presence records from occurrence downloads (a delimited file with a header
// line, as occurrence databases hand them out) turned into the program's
// sites file: one "species,x,y" line per kept record.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/geometriaTabla.h"

namespace quel::ocurrencias {

struct Opciones {
    std::string columnaEspecie = "species";
    std::string columnaX = "decimalLongitude";
    std::string columnaY = "decimalLatitude";
    std::vector<std::string> especies;  // keep only these (empty: every species)
    bool unoPorCelda = false;           // keep one record per species and region cell
};

// The study region, to drop records outside it and to find their cells.
struct Region {
    GeometriaTabla geometria;
    std::vector<std::uint8_t> dentro;  // per table row: 1 inside the region
    // From a covariate table's coordinates and covariates (region flag last).
    // False when the coordinates hold no complete grid.
    bool lee(const TImagenN<float>& coordenadas, const TImagenN<int>& covariables);
};

// What happened to the records of one species.
struct Conteo {
    std::string especie;
    std::int64_t conservados = 0;
    std::int64_t sinCoordenadas = 0;  // empty or unparsable coordinates
    std::int64_t fueraRegion = 0;
    std::int64_t duplicados = 0;      // a kept record of the species lies in the same cell
    std::int64_t nombreNoValido = 0;  // the name holds a comma, a tab or a line break
};

struct Resultado {
    std::vector<Conteo> especies;  // in order of first appearance
    std::int64_t sinEspecie = 0;   // records whose species is empty
    std::int64_t otras = 0;        // records of species not asked for
    std::int64_t conservados = 0;
    std::string sitios;            // the sites file: lines without a final line break
    bool conRegion = false;
    bool unoPorCelda = false;

    // The report, one line per species, then the records dropped without a species.
    std::vector<std::string> informe() const;
};

struct Error {
    int linea = 0;  // line of the file, from 1 (0 when none)
    std::string detalle;
};

// Whether the text's header line names the three columns of `opciones`.
bool esDescarga(std::string_view texto, const Opciones& opciones);

// Reads a download (UTF-8, an optional byte-order mark, fields separated by
// tabs or commas as the header line shows, fields in double quotes may hold
// separators, quotes doubled and line breaks). False with `error` filled when
// the header lacks a column or a quote is never closed.
bool convierte(std::string_view texto, const Opciones& opciones, const Region* region, Resultado& resultado,
               Error& error);

// The main window's site loading: a chosen file that is a download (with the
// default columns) is converted into the sites file `destino`, records
// outside `region` (when given) dropped, and `informe` gets the report.
enum class Preparacion { kNoEsDescarga, kConvertida, kFallo };
Preparacion preparaSitios(const std::filesystem::path& archivo, const std::filesystem::path& destino,
                          const Region* region, std::vector<std::string>& informe, std::string& error);

}  // namespace quel::ocurrencias
