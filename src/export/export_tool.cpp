#include "export/export_tool.h"

#include "export/export_run.h"
#include "export/failure_text.h"
#include "export/messages.h"
#include "platform/paths.h"
#include "platform/user_error.h"

#include <filesystem>
#include <fmt/format.h>
#include <ostream>

#ifndef EDUCA_VERSION
#define EDUCA_VERSION "0"
#endif

namespace exporter {

namespace {

ToolRequest wrong(std::string problem)
{
    ToolRequest request;
    request.action = ToolRequest::Action::WrongArguments;
    request.problem = std::move(problem);
    return request;
}

// Directory texts for the table layer: absolute, so that no relative text is taken for anything else.
std::string directoryText(const std::string& given)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(platform::pathFromUtf8(given), ec);
    return ec ? given : platform::pathText(absolute);
}

} // namespace

ToolRequest parseToolArguments(std::span<const std::string_view> arguments)
{
    ToolRequest request;
    std::optional<std::string> output;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--ayuda" || argument == "--help") {
            ToolRequest help;
            help.action = ToolRequest::Action::Help;
            return help;
        }
        if (argument == "--version") {
            ToolRequest version;
            version.action = ToolRequest::Action::Version;
            return version;
        }

        std::string_view name = argument;
        std::optional<std::string_view> attached;
        if (argument.starts_with("--")) {
            if (const auto equals = argument.find('='); equals != std::string_view::npos) {
                name = argument.substr(0, equals);
                attached = argument.substr(equals + 1);
            }
        }

        std::optional<std::string>* slot = nullptr;
        if (name == "--datos" || name == "-d")
            slot = &request.dataDirectory;
        else if (name == "--soluc" || name == "-s")
            slot = &request.solucDirectory;
        else if (name == "--salida" || name == "-o")
            slot = &output;
        else if (argument.starts_with("-") && argument.size() > 1)
            return wrong(fmt::format(fmt::runtime(messages::UnknownOption), argument));
        else
            return wrong(fmt::format(fmt::runtime(messages::UnexpectedArgument), argument));

        if (slot->has_value())
            return wrong(fmt::format(fmt::runtime(messages::RepeatedOption), name));
        std::string_view value;
        if (attached) {
            value = *attached;
        } else {
            if (i + 1 >= arguments.size())
                return wrong(fmt::format(fmt::runtime(messages::MissingValue), name));
            value = arguments[++i];
        }
        if (value.empty())
            return wrong(fmt::format(fmt::runtime(messages::EmptyValue), name));
        *slot = std::string(value);
    }

    if (!output)
        return wrong(messages::MissingOutput);
    request.output = std::move(*output);
    request.action = ToolRequest::Action::Export;
    return request;
}

std::string sectionSummaryLine(std::string_view section, std::size_t rows)
{
    if (rows == 1)
        return fmt::format(fmt::runtime(messages::SectionOneRow), section);
    return fmt::format(fmt::runtime(messages::SectionRows), section, rows);
}

int runExportTool(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err)
{
    const auto request = parseToolArguments(arguments);
    switch (request.action) {
    case ToolRequest::Action::WrongArguments:
        err << request.problem << '\n' << messages::Usage << '\n' << messages::HelpHint << '\n';
        return 2;
    case ToolRequest::Action::Help:
        out << messages::Usage << "\n\n" << messages::Help << '\n';
        return 0;
    case ToolRequest::Action::Version:
        out << "educa-export " << EDUCA_VERSION << '\n';
        return 0;
    case ToolRequest::Action::Export:
        break;
    }

    RowCounts rowCounts {};
    try {
        timetable::TimetableTables tables;
        if (request.solucDirectory)
            tables.wwTableSoluc.setDatabaseName(directoryText(*request.solucDirectory));
        ExportOptions options;
        if (request.dataDirectory)
            options.dataDirectory = directoryText(*request.dataDirectory);
        rowCounts = exportDocument(tables, platform::pathFromUtf8(request.output), options);
    } catch (const platform::SilentAbort&) {
        return 1;
    } catch (const std::exception& failure) {
        out.flush();
        err << errorBoxText(failure.what()) << '\n';
        return 1;
    }

    out << messages::Finished << '\n';
    for (std::size_t i = 0; i < SectionCount; ++i)
        out << sectionSummaryLine(SectionNames[i], rowCounts[i]) << '\n';
    return 0;
}

} // namespace exporter
