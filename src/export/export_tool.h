#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace exporter {

// What the command line of educa-export asks for.
struct ToolRequest
{
    enum class Action
    {
        Export,
        Help,
        Version,
        WrongArguments, // `problem` says what is wrong
    };
    Action action = Action::WrongArguments;
    std::optional<std::string> dataDirectory; // --datos, -d
    std::optional<std::string> solucDirectory; // --soluc, -s
    std::string output; // --salida, -o
    std::string problem;
};

// Reads the arguments (without the program name): options with a separate value ("--datos DIR",
// "-d DIR") or an attached one ("--datos=DIR"), --ayuda/--help and --version. --salida is required
// for an export; an option given twice, an unknown option, a missing or empty value and any other
// argument are wrong.
ToolRequest parseToolArguments(std::span<const std::string_view> arguments);

// The line of the summary for one section: "ASIGT: 355 filas", "ASIGT: 1 fila", "ASIGT: 0 filas".
std::string sectionSummaryLine(std::string_view section, std::size_t rows);

// The whole command-line tool: parses the arguments, runs the export and reports. Exit codes: 0 after
// a finished export ("Proceso finalizado" and one line per section with its row count on out), or
// after help or version; 1 when the export fails (the failure's text as the error box shows it, on
// err); 2 for wrong arguments (the problem and the usage text on err).
int runExportTool(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err);

} // namespace exporter
