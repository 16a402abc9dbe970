#pragma once
// The fast way in for a large region: the covariate, bias and prior tables
// read straight into a RegionCompacta, in one pass over the file split into
// chunks that worker threads parse at once. Whatever this reader accepts it
// reads to the same values as the text loaders of cargaArchivo; anything it
// is not sure of it hands back to them (kNoRapida), and they report the exact
// error. No temporary files are written.
#include <cstddef>
#include <filesystem>

#include "data/cargaArchivo.h"
#include "data/regionCompacta.h"
#include "platform/Progreso.h"

namespace quel {

enum class FinCargaRegion { kBien, kNoRapida, kCancelada };

// The covariate table at `ruta` into `region` (nombres, categorias, numCovariables, coordenadas,
// codigos, valida; bias and prior left as they are). kNoRapida, with `region`'s covariate part
// left empty, when the file cannot be read or holds anything this reader does not read exactly as
// cargaArchivo::cargaCovariables does (any error the text loader would report, and any form it
// does not handle): the caller then loads the file with cargaArchivo, which reports the exact error.
// `hilos` worker threads (0: every core); the result never depends on it.
FinCargaRegion cargaCovariablesRegion(const std::filesystem::path& ruta, RegionCompacta& region, int hilos,
                                      Progreso& progreso);
// The bias file (one value in [0, 1] per row) into region.sesgo (sesgoUniforme = false), and the prior
// file (classes 0..3 per row) into region.priori (prioriUniforme = false); same rules. On any end but
// kBien the part is left as a fresh region has it (uniform, no values).
FinCargaRegion cargaSesgoRegion(const std::filesystem::path& ruta, RegionCompacta& region, int hilos, Progreso& progreso);
FinCargaRegion cargaPrioriRegion(const std::filesystem::path& ruta, RegionCompacta& region, int hilos, Progreso& progreso);
// The compact form of what a cargaArchivo holds: covariates, and its bias and prior grids unless the
// flags say they are the uniform ones (then sesgoUniforme / prioriUniforme and empty vectors).
RegionCompacta regionDe(const cargaArchivo& datos, bool sesgoUniforme, bool prioriUniforme);

// Bytes of file each worker reads and parses at a time (0: the default, a
// few megabytes). Tests make it tiny so chunk borders fall everywhere.
void fijaBytesTrozoRegion(std::size_t bytes);

}  // namespace quel
