#include "data/cargaArchivo.h"
