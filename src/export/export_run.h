#pragma once

#include "export/exchange_document.h"
#include "timetable/table_component.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace exporter {

inline constexpr std::size_t SectionCount = 6;

// The six sections, in the order they are written.
inline constexpr std::array<const char*, SectionCount> SectionNames
    = {"ASIGT", "NOMASIGT", "PROFT", "GRUPT", "AULAT", "SOLUCT"};

// Row elements written per section, in the order of SectionNames.
using RowCounts = std::array<int, SectionCount>;

struct ExportOptions
{
    // The directory of Asig.DBF, NOMASG, PROF, GRUP and AULA; the program directory when absent.
    std::optional<std::string> dataDirectory;
    // The clock read for the document's `fecha`.
    LocalClock clock = platform::localTimeNow;
};

// The export: writes the six sections from the tables into a new exchange document and saves it as
// `output` (replacing a file of that name). The first failure ends it as a platform::UserError:
// nothing is written, the table being read stays open and the others are closed; a later export
// rereads every table from its first row.
RowCounts exportDocument(
    timetable::TimetableTables& tables, const std::filesystem::path& output, const ExportOptions& options = {});

} // namespace exporter
