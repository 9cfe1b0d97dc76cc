#include "export/export_run.h"
#include "export/xml_text.h"
#include "harness.h"
#include "platform/regional.h"
#include "platform/user_error.h"

#include <array>
#include <fmt/format.h>
#include <pugixml.hpp>
#include <typeinfo>

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 5> DataTables = {"Asig.DBF", "NOMASG.DBF", "PROF.DBF", "GRUP.DBF", "AULA.DBF"};
constexpr std::size_t SolucPart = 5;
constexpr std::size_t MemoPart = 6;
constexpr std::size_t PartCount = 7;

struct RunResult
{
    bool succeeded = false;
    std::string failure; // the failure's text when the run failed
    exporter::RowCounts rowCounts {};
    std::optional<std::string> document; // the output file's bytes after the run
};

void useFixedSettings()
{
    static const bool done = [] {
        platform::RegionalSettings s;
        s.decimalSeparator = ",";
        s.shortDate = "dd/MM/yyyy";
        s.dateSeparator = "/";
        s.timeSeparator = ":";
        s.clock24 = 1;
        s.hourLeadingZero = 0;
        platform::setRegionalSettings(s);
        return true;
    }();
    (void)done;
}

// The document's shape: SERVICIO with the six sections in order, each with as many rows as the
// run reported, numbered 1, 2, 3 ... in the first five.
std::optional<std::string> checkDocument(const std::string& bytes, const exporter::RowCounts& rowCounts)
{
    pugi::xml_document document;
    const auto parsed = document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration);
    if (!parsed)
        return fmt::format("the saved document does not parse: {}", parsed.description());
    const auto root = document.child("SERVICIO");
    if (!root)
        return "the saved document has no SERVICIO";
    std::size_t index = 0;
    for (const auto section : root.children()) {
        if (index >= exporter::SectionCount || std::string_view(section.name()) != exporter::SectionNames[index])
            return fmt::format("unexpected section {} at position {}", section.name(), index);
        int rows = 0;
        for (const auto row : section.children()) {
            ++rows;
            if (index < 5 && row.attribute("ID").as_int() != rows)
                return fmt::format("row {} of {} has ID {}", rows, section.name(), row.attribute("ID").value());
        }
        if (rows != rowCounts[index])
            return fmt::format("{} holds {} rows, the run reported {}", section.name(), rows, rowCounts[index]);
        ++index;
    }
    if (index != exporter::SectionCount)
        return fmt::format("the document has {} sections", index);
    return std::nullopt;
}

} // namespace

std::optional<std::string> checkExportInput(std::string_view input, const fs::path& scratch)
{
    if (input.empty())
        return std::nullopt;
    useFixedSettings();
    const auto flags = static_cast<unsigned char>(input[0]);
    const auto parts = splitParts(input.substr(1), PartCount);

    const auto data = scratch / "datos";
    const auto mtemp = scratch / "mtemp";
    const auto out = scratch / "salida";
    resetFolder(data);
    resetFolder(mtemp);
    resetFolder(out);
    std::vector<std::pair<fs::path, std::string_view>> written;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        fs::path path;
        if (i < DataTables.size())
            path = data / DataTables[i];
        else if (i == SolucPart)
            path = mtemp / "SOLUC.DBF";
        else if (i == MemoPart)
            path = data / ((flags & 1) != 0 ? "Asig.FPT" : "Asig.DBT");
        writeWholeFile(path, parts[i]);
        written.emplace_back(path, parts[i]);
    }
    const auto dataNames = folderNames(data);
    const auto mtempNames = folderNames(mtemp);
    const auto output = out / "educa.xml";

    timetable::TimetableTables tables;
    tables.wwTableSoluc.setDatabaseName(mtemp.string());
    exporter::ExportOptions options;
    options.dataDirectory = data.string() + "/";
    options.clock = [] { return platform::LocalTime {2025, 12, 8, 9, 5, 7}; };

    // Two runs with the same tables: after a failure the tables are read again from
    // their first rows, so the second run must end as the first did.
    std::array<RunResult, 2> results;
    for (auto& result : results) {
        try {
            result.rowCounts = exporter::exportDocument(tables, output, options);
            result.succeeded = true;
        } catch (const platform::UserError& failure) {
            result.failure = failure.what();
        } catch (const std::exception& other) {
            return fmt::format("unexpected exception {}: {}", typeid(other).name(), other.what());
        }
        result.document = readWholeFile(output);

        if (result.succeeded) {
            if (!result.document)
                return "a successful run left no document";
            if (auto problem = checkDocument(*result.document, result.rowCounts))
                return problem;
        } else {
            if (result.failure.empty())
                return "a failure without a text";
            const auto bad = exporter::findXmlTextProblem(result.failure);
            if (bad && bad->kind == exporter::XmlTextProblem::Kind::InvalidUtf8)
                return "a failure text that is not UTF-8: " + result.failure;
        }
        // Only the document may appear in the output folder; a failed first run leaves it empty.
        const auto outNames = folderNames(out);
        const bool expectDocument = results[0].succeeded;
        if (outNames.size() != (expectDocument ? 1u : 0u))
            return fmt::format("the output folder holds {} files", outNames.size());
    }
    if (results[0].succeeded != results[1].succeeded || results[0].failure != results[1].failure)
        return fmt::format("the second run ended otherwise: '{}' then '{}'", results[0].failure, results[1].failure);
    if (results[0].document != results[1].document)
        return "the second run wrote another document";

    // The tables are never written.
    for (const auto& [path, bytes] : written) {
        if (readWholeFile(path) != std::string(bytes))
            return "the export changed " + path.filename().string();
    }
    if (folderNames(data) != dataNames || folderNames(mtemp) != mtempNames)
        return "the export added or removed files beside the tables";
    return std::nullopt;
}

} // namespace fuzzing
