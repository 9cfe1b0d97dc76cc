#pragma once

#include "export/exchange_document.h"
#include "timetable/table_component.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace exporter {

// What the export run does through the window (or through whatever stands in for it).
class ExportUi
{
public:
    virtual ~ExportUi() = default;
    // Shows the save dialog "Guardar Archivo XML"; the confirmed file's full path (UTF-8), or nothing
    // when the user cancels.
    virtual std::optional<std::string> askSaveFileName() = 0;
    // Shows a plain message and returns when it has been closed.
    virtual void showInfo(const std::string& text) = 0;
    // Hides the export button BImportar.
    virtual void hideExportButton() = 0;
    // Sets the application-wide mouse cursor to the default cursor.
    virtual void setDefaultCursor() = 0;
    // Closes the main window (in host mode this writes the outcome and ends the program).
    virtual void closeMainWindow() = 0;
};

// State that outlives one export run; the caller owns it.
// The argument count that means host mode: the command word and the host window handle.
inline constexpr std::int32_t HostArgumentCount = 2;

struct AppState
{
    // 0 or 1; the run sets 1 on success and 0 when it ends without a file name in host mode.
    std::int32_t outcomeFlag = 0;
    // 2 in host mode (set at start-up); the run only reads it.
    std::int32_t savedArgumentCount = 0;
    // The file name last confirmed in the save dialog; never cleared.
    std::string rememberedFileName;
};

inline constexpr std::size_t SectionCount = 6;

// The six sections, in the order they are written.
inline constexpr std::array<const char*, SectionCount> SectionNames
    = {"ASIGT", "NOMASIGT", "PROFT", "GRUPT", "AULAT", "SOLUCT"};

// How a run ended without a failure (failures are thrown).
enum class ExportEnding
{
    Success, // the document was saved
    NoFileName, // the dialog was cancelled and no file name was ever confirmed
};

struct ExportSummary
{
    ExportEnding ending = ExportEnding::NoFileName;
    // Row elements written per section, in the order of SectionNames.
    std::array<int, SectionCount> rowCounts {};
};

struct ExportOptions
{
    // The directory of Asig.DBF, NOMASG, PROF, GRUP and AULA; the program directory when absent.
    std::optional<std::string> dataDirectory;
    // The clock read for the document's `fecha`.
    LocalClock clock = platform::localTimeNow;
};

// The export run (the logic of BImportarClick). Asks for the file name, writes the six sections from
// the tables into a new exchange document, saves it under the remembered file name, and reports the
// outcome through the UI and the state. The first failure ends the run as a platform::UserError:
// nothing is written, the table being read stays open and the others are closed, and the state keeps
// its outcome flag; a later run rereads every table from its first row.
ExportSummary runExport(
    timetable::TimetableTables& tables, AppState& state, ExportUi& ui, const ExportOptions& options = {});

} // namespace exporter
