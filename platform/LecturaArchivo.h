#pragma once
// Reading a whole file into memory, with the reason when it cannot be read.
#include <filesystem>
#include <string>

namespace quel {

enum class Lectura { kBien, kCarpeta, kNoAbre, kNoLee };

// The whole file into `texto`. On failure `*errorSistema` (when given) holds
// the system's error number (0 for a folder).
Lectura leeArchivo(const std::filesystem::path& ruta, std::string& texto, int* errorSistema = nullptr);

}  // namespace quel
