#pragma once
// Language files: the captions, hints and message tables of the windows in
// English or Spanish, and the pointer file "C:\Quel\Lenguajes\lenguaje.quel"
// that names the language file in force.
//
// A language file is text in the Windows Western code page (Windows-1252);
// the texts here are those bytes, untouched: the windows convert them for
// display (valid UTF-8 as UTF-8, anything else as Windows-1252).
//
// Format of a language file, as translators write it:
// - Lines are numbered from 1; a line break ends each line ("\r\n" counts as
//   one line break, as text-mode reading on Windows does). A last line without
//   a line break is not applied.
// - A line is a list of fields, each followed by a comma: "A,B,C," then the
//   line break. A field cannot hold a comma; empty fields are skipped
//   (consecutive commas count as one). Blanks are kept as written. A last field
//   without its comma keeps the line break at its end, as the format requires
//   the comma. A NUL byte ends the line's content.
// - The meaning of a line depends only on its number (see `ArchivoLenguaje`).
//   Lines 1, 6, 8, 11, 13, 15, 17, 19, 21, 26, 29 and every line after 30 are
//   notes for the translator and are not read. A missing line changes nothing;
//   a line with fewer fields than listed changes only what its fields name;
//   extra fields beyond a table are ignored.
//
// Which field feeds which window text is the table `kDestinos` below, plus
// the list rules written at lines 10, 12 and 14. Apply the lines in
// increasing order: line 12 and line 14 copy captions set by lines 5 and 4.
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RaizDatos.h"

namespace quel::lenguaje {

// ---- files -------------------------------------------------------------------

// Logical paths (map them with RaizDatos::mapea). Each is 30 characters.
inline constexpr std::string_view kRutaPuntero = "C:\\Quel\\Lenguajes\\lenguaje.quel";
inline constexpr std::string_view kRutaIngles = "C:\\Quel\\Lenguajes\\english.quel";
inline constexpr std::string_view kRutaEspanol = "C:\\Quel\\Lenguajes\\espanol.quel";

// The two languages shipped with the program.
enum class Idioma { kIngles, kEspanol };

// "C:\Quel\Lenguajes\english.quel" or "...\espanol.quel".
std::string_view rutaLogica(Idioma idioma);
// The bytes of the shipped file ("english.quel" / "espanol.quel"), built into
// the program.
std::string_view textoIncluido(Idioma idioma);

// ---- reading a language file -------------------------------------------------

using Campos = std::vector<std::string>;

// The content of a language file, line by line. A member is empty (nullopt)
// when its line is missing; otherwise it holds the fields present, in order,
// at most as many as the line's list names (lines 10 and 12 keep all).
struct ArchivoLenguaje {
    // Line 2, main window menu (12): 0 Archivo1, 1 Cargar1, 2 Exportar1,
    // 3 ExportImagen, 4 Salir, 5 CovsMenu, 6 BiasMenu, 7 PrioriMenu,
    // 8 SitiosMenu, 9 ExportPredictivaMenu, 10 ExportCertidumbreMenu,
    // 11 ExportPotPrioriMenu; the "Datos Mapa" labels reuse 6, 7, 9, 10, 11.
    std::optional<Campos> menuPrincipal;
    // Line 3 (4): 0 Ejecutar1, 1 EjecutarMenu, 2 BorrarUnoMenu, 3 BorrarTodosMenu.
    std::optional<Campos> menuEjecutar;
    // Line 4 (3): 0 Herramientas1, 1 AdmonCovsMenu, 2 AdmonPrioriMenu.
    std::optional<Campos> menuHerramientas;
    // Line 5 (2): 0 Preferencias1, 1 CambiarLenguaMenu.
    std::optional<Campos> menuPreferencias;
    // Line 7, explorer pop-up (3): 0 MostrarMapa1, 1 Realizar1, 2 MostrarMapas1.
    std::optional<Campos> menuExplorador;
    // Line 9, tabs (3): 0 TabSheetExplorador, 1 TabSheetColor, 2 TabSheetDatos.
    std::optional<Campos> pestanas;
    // Line 10: 0 title of RadioGroupColores; when the line is present the
    // group's items are cleared and fields 1.. are added in order (the seven
    // gradient names, index 0 "Azul - Rojo" first).
    std::optional<Campos> gradientes;
    // Line 12, choice dialog: LabelLenguaje takes the current caption of
    // CambiarLenguaMenu; 0 title of RadioGroupTipoDatos, 1 title of
    // RadioGroupTipoPriori; both groups' items are cleared and fields 2.. are
    // added to both (computed first, uniform second).
    std::optional<Campos> tipoArchivo;
    // Line 14, covariate manager (16). When the line is present, the covariate
    // manager's window caption takes the current caption of AdmonCovsMenu and
    // the prior manager's that of AdmonPrioriMenu. Fields: 0 Archivo1,
    // 1 NuevoArchivo1, 2 AbrirArchivo1, 3 MenuAbrirFolder, 4 MenuAbrirCov,
    // 5 SubASCII, 6 MenuGuardar, 7 MenuSalir, 8 Editar1, 9 MenuLimpiarlista,
    // 10 Ejecutar1, 11 MenuCargaCovs, 12 MenuSelectTodo (and ButtonAllSelect),
    // 13 MenuDeselectTodo (and ButtonDeselectAll), 14 LabelNomCov,
    // 15 LabelCategoria.
    std::optional<Campos> covManager;
    // Line 16 (3): 0 choice dialog ButtonOK, 1 choice dialog ButtonCancelar,
    // 2 main window ButtonCambioColor.
    std::optional<Campos> botones;
    // Lines 18, 20, 22, 23, 24, 25, 30: the message tables (see TablasMensajes).
    std::optional<Campos> textosDialogo;
    std::optional<Campos> titulosMapa;
    std::optional<Campos> mensajesLog;
    std::optional<Campos> mensajesBorrado;
    std::optional<Campos> mensajesError;
    std::optional<Campos> mensajesCovManager;
    std::optional<Campos> mensajesExporta;
    // Line 27, main window hints (13): 0 SpeedButtonCargaCov,
    // 1 SpeedButtonCargaSesgo, 2 SpeedButtonCargaPriori, 3 SpeedButtonCargaSites,
    // 4 SpeedButtonBorraTodos, 5 SpeedButtonBorraUno, 6 SpeedButtonEjecutar,
    // 7 SpeedButtonProbabilidad, 8 SpeedButtonCertidumbre, 9 SpeedButtonPotPriori,
    // 10 SpeedButtonCovariables, 11 SpeedButtonPriori, 12 SpeedButtonSesgo.
    std::optional<Campos> pistasPrincipal;
    // Line 28, covariate manager hints (6): 0 SpeedButtonCargaFolder,
    // 1 SpeedButtonCargaFile, 2 SpeedButtonLimpiar, 3 SpeedButtonGuardar,
    // 4 SpeedButtonCargaCov, 5 SpeedButtonCerrar.
    std::optional<Campos> pistasCovManager;
};

// First field of the item lists of lines 10 and 12.
inline constexpr std::size_t kPrimerGradiente = 1;
inline constexpr std::size_t kPrimeraOpcionTipo = 2;

// Reads the bytes of a language file. Never fails: what is not there is absent.
ArchivoLenguaje leeLenguaje(std::string_view bytes);
// Reads a language file from disk; nullopt when it cannot be opened or read
// (then nothing is to change).
std::optional<ArchivoLenguaje> leeArchivoLenguaje(const std::filesystem::path& ruta);

// ---- where each field goes ---------------------------------------------------

enum class Ventana { kPrincipal, kTipoArchivo, kCovManager };
enum class Propiedad { kTexto, kPista };  // caption/title/text, or hint (tool tip)

// Field `campo` of line `linea` sets property `propiedad` of the control named
// `control` (its object name) in window `ventana`.
struct Destino {
    int linea;
    std::size_t campo;
    Ventana ventana;
    std::string_view control;
    Propiedad propiedad;
};

// Every caption and hint a language file sets, in line and field order. Not
// listed here: the item lists of lines 10 and 12, LabelLenguaje (line 12) and
// the two manager window captions (line 14), described at those lines above.
inline constexpr auto kDestinos = std::to_array<Destino>({
    {2, 0, Ventana::kPrincipal, "Archivo1", Propiedad::kTexto},
    {2, 1, Ventana::kPrincipal, "Cargar1", Propiedad::kTexto},
    {2, 2, Ventana::kPrincipal, "Exportar1", Propiedad::kTexto},
    {2, 3, Ventana::kPrincipal, "ExportImagen", Propiedad::kTexto},
    {2, 4, Ventana::kPrincipal, "Salir", Propiedad::kTexto},
    {2, 5, Ventana::kPrincipal, "CovsMenu", Propiedad::kTexto},
    {2, 6, Ventana::kPrincipal, "BiasMenu", Propiedad::kTexto},
    {2, 6, Ventana::kPrincipal, "LabelSesgo", Propiedad::kTexto},
    {2, 7, Ventana::kPrincipal, "PrioriMenu", Propiedad::kTexto},
    {2, 7, Ventana::kPrincipal, "LabelPriori", Propiedad::kTexto},
    {2, 8, Ventana::kPrincipal, "SitiosMenu", Propiedad::kTexto},
    {2, 9, Ventana::kPrincipal, "ExportPredictivaMenu", Propiedad::kTexto},
    {2, 9, Ventana::kPrincipal, "LabelPredictiva", Propiedad::kTexto},
    {2, 10, Ventana::kPrincipal, "ExportCertidumbreMenu", Propiedad::kTexto},
    {2, 10, Ventana::kPrincipal, "LabelCertidumbre", Propiedad::kTexto},
    {2, 11, Ventana::kPrincipal, "ExportPotPrioriMenu", Propiedad::kTexto},
    {2, 11, Ventana::kPrincipal, "LabelPotPriori", Propiedad::kTexto},
    {3, 0, Ventana::kPrincipal, "Ejecutar1", Propiedad::kTexto},
    {3, 1, Ventana::kPrincipal, "EjecutarMenu", Propiedad::kTexto},
    {3, 2, Ventana::kPrincipal, "BorrarUnoMenu", Propiedad::kTexto},
    {3, 3, Ventana::kPrincipal, "BorrarTodosMenu", Propiedad::kTexto},
    {4, 0, Ventana::kPrincipal, "Herramientas1", Propiedad::kTexto},
    {4, 1, Ventana::kPrincipal, "AdmonCovsMenu", Propiedad::kTexto},
    {4, 2, Ventana::kPrincipal, "AdmonPrioriMenu", Propiedad::kTexto},
    {5, 0, Ventana::kPrincipal, "Preferencias1", Propiedad::kTexto},
    {5, 1, Ventana::kPrincipal, "CambiarLenguaMenu", Propiedad::kTexto},
    {7, 0, Ventana::kPrincipal, "MostrarMapa1", Propiedad::kTexto},
    {7, 1, Ventana::kPrincipal, "Realizar1", Propiedad::kTexto},
    {7, 2, Ventana::kPrincipal, "MostrarMapas1", Propiedad::kTexto},
    {9, 0, Ventana::kPrincipal, "TabSheetExplorador", Propiedad::kTexto},
    {9, 1, Ventana::kPrincipal, "TabSheetColor", Propiedad::kTexto},
    {9, 2, Ventana::kPrincipal, "TabSheetDatos", Propiedad::kTexto},
    {10, 0, Ventana::kPrincipal, "RadioGroupColores", Propiedad::kTexto},
    {12, 0, Ventana::kTipoArchivo, "RadioGroupTipoDatos", Propiedad::kTexto},
    {12, 1, Ventana::kTipoArchivo, "RadioGroupTipoPriori", Propiedad::kTexto},
    {14, 0, Ventana::kCovManager, "Archivo1", Propiedad::kTexto},
    {14, 1, Ventana::kCovManager, "NuevoArchivo1", Propiedad::kTexto},
    {14, 2, Ventana::kCovManager, "AbrirArchivo1", Propiedad::kTexto},
    {14, 3, Ventana::kCovManager, "MenuAbrirFolder", Propiedad::kTexto},
    {14, 4, Ventana::kCovManager, "MenuAbrirCov", Propiedad::kTexto},
    {14, 5, Ventana::kCovManager, "SubASCII", Propiedad::kTexto},
    {14, 6, Ventana::kCovManager, "MenuGuardar", Propiedad::kTexto},
    {14, 7, Ventana::kCovManager, "MenuSalir", Propiedad::kTexto},
    {14, 8, Ventana::kCovManager, "Editar1", Propiedad::kTexto},
    {14, 9, Ventana::kCovManager, "MenuLimpiarlista", Propiedad::kTexto},
    {14, 10, Ventana::kCovManager, "Ejecutar1", Propiedad::kTexto},
    {14, 11, Ventana::kCovManager, "MenuCargaCovs", Propiedad::kTexto},
    {14, 12, Ventana::kCovManager, "MenuSelectTodo", Propiedad::kTexto},
    {14, 12, Ventana::kCovManager, "ButtonAllSelect", Propiedad::kTexto},
    {14, 13, Ventana::kCovManager, "MenuDeselectTodo", Propiedad::kTexto},
    {14, 13, Ventana::kCovManager, "ButtonDeselectAll", Propiedad::kTexto},
    {14, 14, Ventana::kCovManager, "LabelNomCov", Propiedad::kTexto},
    {14, 15, Ventana::kCovManager, "LabelCategoria", Propiedad::kTexto},
    {16, 0, Ventana::kTipoArchivo, "ButtonOK", Propiedad::kTexto},
    {16, 1, Ventana::kTipoArchivo, "ButtonCancelar", Propiedad::kTexto},
    {16, 2, Ventana::kPrincipal, "ButtonCambioColor", Propiedad::kTexto},
    {27, 0, Ventana::kPrincipal, "SpeedButtonCargaCov", Propiedad::kPista},
    {27, 1, Ventana::kPrincipal, "SpeedButtonCargaSesgo", Propiedad::kPista},
    {27, 2, Ventana::kPrincipal, "SpeedButtonCargaPriori", Propiedad::kPista},
    {27, 3, Ventana::kPrincipal, "SpeedButtonCargaSites", Propiedad::kPista},
    {27, 4, Ventana::kPrincipal, "SpeedButtonBorraTodos", Propiedad::kPista},
    {27, 5, Ventana::kPrincipal, "SpeedButtonBorraUno", Propiedad::kPista},
    {27, 6, Ventana::kPrincipal, "SpeedButtonEjecutar", Propiedad::kPista},
    {27, 7, Ventana::kPrincipal, "SpeedButtonProbabilidad", Propiedad::kPista},
    {27, 8, Ventana::kPrincipal, "SpeedButtonCertidumbre", Propiedad::kPista},
    {27, 9, Ventana::kPrincipal, "SpeedButtonPotPriori", Propiedad::kPista},
    {27, 10, Ventana::kPrincipal, "SpeedButtonCovariables", Propiedad::kPista},
    {27, 11, Ventana::kPrincipal, "SpeedButtonPriori", Propiedad::kPista},
    {27, 12, Ventana::kPrincipal, "SpeedButtonSesgo", Propiedad::kPista},
    {28, 0, Ventana::kCovManager, "SpeedButtonCargaFolder", Propiedad::kPista},
    {28, 1, Ventana::kCovManager, "SpeedButtonCargaFile", Propiedad::kPista},
    {28, 2, Ventana::kCovManager, "SpeedButtonLimpiar", Propiedad::kPista},
    {28, 3, Ventana::kCovManager, "SpeedButtonGuardar", Propiedad::kPista},
    {28, 4, Ventana::kCovManager, "SpeedButtonCargaCov", Propiedad::kPista},
    {28, 5, Ventana::kCovManager, "SpeedButtonCerrar", Propiedad::kPista},
});

// The fields of line `linea` (nullopt when the line is missing or carries no
// captions of its own).
const std::optional<Campos>& campos(const ArchivoLenguaje& archivo, int linea);

// ---- message tables of the main window ---------------------------------------

// All entries start empty; applying a file changes only the entries whose
// field is present.
struct TablasMensajes {
    // Line 18. 0 filter of the predictive export's save dialog; 1 filter of
    // every input open dialog and of the certainty and prior-potential exports'
    // save dialogs; 2 filter of the ASCII grid open dialogs (covariate, bias and
    // prior managers); 3, 4, 5, 6 titles of the covariate, bias, prior and sites
    // open dialogs. A filter is "Description|patterns|Description|patterns...",
    // patterns of one entry separated by ";". The export filters list text,
    // spreadsheet and ASCII grid in that order (the export picks the format by
    // the chosen entry's position).
    std::array<std::string, 7> textosDialogo;
    // Line 20. Caption of the map shown: 0 covariates, 1 bias,
    // kTituloMapaPriori prior, kTituloMapaSitios sites, 4 predictive,
    // 5 certainty, 6 prior potential; 7 to 10 not used.
    std::array<std::string, 11> titulosMapa;
    // Line 22. 0 load cancelled; 1/2 covariate load start/end; 3/4 bias;
    // 5/6 prior; 7/8 sites; 9/10 run start/end; 11 covariate manager opened.
    std::array<std::string, 12> mensajesLog;
    // Line 23. 0 covariates cleared (also logged when the prior manager
    // opens); 1 bias, 2 prior, 3 sites cleared; 4 all cleared; 5 and 6 the
    // formats of the time spent in the covariate or prior manager (see
    // textoTiempo); 7 the text of error code 13, 8 and 9 those of codes 5
    // and 9 when no line is known; 10 and 11 not used.
    std::array<std::string, 12> mensajesBorrado;
    // Line 24. Texts of the error codes, by entry: 0 code 2, 1 code 5,
    // 2 code 7, 3 code 9, 4 code 3, 5 code 11, 6 code 12, 7 code 4 (see
    // textoCajaError). Formats with one integer (the failing line number).
    std::array<std::string, 8> mensajesError;
    // Line 25. Covariate manager's save command: 1 caption and 2 text of its
    // information box, 3 caption and 4 text of its warning box; 0 not used.
    std::array<std::string, 5> mensajesCovManager;
    // Line 30. Title line of the exported tables: 0 and 1 the first two
    // titles, 2, 3, 4 the value column of the predictive, certainty and
    // prior-potential exports.
    std::array<std::string, 5> mensajesExporta;
};

// The one assignment of the prior-map and sites-map captions, used by the
// loads, the prior hand-over and the explorer alike; the shipped files are
// written to match.
inline constexpr std::size_t kTituloMapaPriori = 2;
inline constexpr std::size_t kTituloMapaSitios = 3;

// Copies the fields present in `archivo` into the tables.
void aplicaTablas(const ArchivoLenguaje& archivo, TablasMensajes& tablas);
// The tables of a shipped language, as applying its file gives them.
TablasMensajes tablasIncluidas(Idioma idioma);

// ---- message texts -----------------------------------------------------------

// Entry of mensajesError for an error code (nullopt: the code has no text,
// and the window reports nothing for it).
std::optional<std::size_t> entradaError(int codigo);
// Codes whose text is followed by the failing line number (5 and 9).
bool llevaLinea(int codigo);
// The entry for `codigo` filled with the line number (see rellenaEntero).
std::optional<std::string> textoCodigo(const TablasMensajes& tablas, int codigo, int lineaError);
// The text of the error box and its log line: textoCodigo followed, for codes
// 5 and 9, by the line number in decimal. Fill it when the error is shown, with
// the line of the error value (ErrorArchivo::linea). Without a line
// (lineaError < 1) codes 5 and 9 take their texts without a number (line 23),
// so no message shows a line 0.
std::optional<std::string> textoCajaError(const TablasMensajes& tablas, int codigo, int lineaError);
// The log line written when the covariate or prior manager closes:
// mensajesBorrado[5] with the seconds below 60, else mensajesBorrado[6] with
// the minutes (segundos * (1/60)).
std::string textoTiempo(const TablasMensajes& tablas, double segundos);

// Safe stand-ins for printf over a text that comes from a language file. "%%"
// gives "%"; the first conversion of the kind named (integer: d or i; real: f,
// F, e, E, g, G, optionally written with l) with optional flags "-+ #0", width
// and precision (digits only, each at most kMaxAnchoConversion) is filled with
// the value; every other "%" sequence, a second conversion included, is kept
// as written.
inline constexpr int kMaxAnchoConversion = 500;
std::string rellenaEntero(std::string_view formato, long long valor);
std::string rellenaReal(std::string_view formato, double valor);

// ---- the pointer file --------------------------------------------------------

// The path named by the pointer file: its whole content up to the first byte
// 255 or NUL, without a trailing line break; nullopt when the file is missing
// or unreadable.
std::optional<std::string> leePuntero(const RaizDatos& raiz);
// Creates or truncates the pointer file and writes exactly `contenido`.
bool escribePuntero(const RaizDatos& raiz, std::string_view contenido);
// The language dialog's OK: truncates the pointer file and, when the combo
// text is exactly "English" or "Español" (UTF-8 or Windows-1252), writes that
// language's logical path and returns it for applying; any other text leaves
// the pointer file empty and returns nullopt.
std::optional<std::string> eligeLenguaje(const RaizDatos& raiz, std::string_view textoCombo);
// The language file named by the pointer file, read (nullopt when either file
// is missing or unreadable: the designed captions stay).
std::optional<ArchivoLenguaje> lenguajeEnVigor(const RaizDatos& raiz);

// ---- installation ------------------------------------------------------------

// Writes each shipped language file into <root>/Lenguajes when it is missing;
// an existing file (a translator's edit) is left alone. Returns true when both
// files are there afterwards.
bool instalaLenguajes(const RaizDatos& raiz);
// Start-up: creates the data root (RaizDatos::asegura), installs the language
// files and, when this call created the "Lenguajes" folder, writes the pointer
// file naming the Spanish file. A pointer file deleted later is not recreated.
// Returns true on that first start. Failures leave the designed captions in
// force and are not reported.
bool iniciaLenguajes(const RaizDatos& raiz);

}  // namespace quel::lenguaje
