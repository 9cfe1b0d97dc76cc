#include "export/export_run.h"

#include "export/messages.h"
#include "export/xml_text.h"
#include "platform/codepage_table.h"
#include "platform/paths.h"
#include "platform/user_error.h"

#include <fmt/format.h>
#include <span>
#include <vector>

namespace exporter {

namespace {

using timetable::TableComponent;
using timetable::TimetableTables;

enum class Source
{
    RowNumber, // the section's row counter
    Text, // the field read as text
    Integer, // the field read as an integer
};

struct AttributeMapping
{
    std::string_view attribute;
    const char* field;
    Source source;
};

struct SectionLayout
{
    const char* section;
    const char* row;
    TableComponent TimetableTables::*table;
    bool readsDataDirectory; // SOLUC keeps the directory of its own component
    bool leavesOutStarRows; // teacher and room rows whose ABREV is "*" are placeholders
    std::span<const AttributeMapping> attributes;
};

constexpr AttributeMapping AsigAttributes[] = {
    {"ID", nullptr, Source::RowNumber},
    {"ASIG", "ASIG", Source::Text},
    {"AULA", "AULA0", Source::Text},
    {"AULA1", "AULA1", Source::Text},
    {"AULA2", "AULA2", Source::Text},
    {"AULA3", "AULA3", Source::Text},
    {"AULA4", "AULA4", Source::Text},
    {"EDIFICIO", "EDIFICIO", Source::Text},
    {"GRUP", "GRUP", Source::Text},
    {"NALUM", "NALUM", Source::Text},
    {"PROF", "PROF", Source::Text},
    {"TIPO", "TIPO", Source::Text},
    {"HORASEM", "NHORAS", Source::Text},
};

constexpr AttributeMapping NomAsigAttributes[] = {
    {"ID", nullptr, Source::RowNumber},
    {"ABREV", "ABREV", Source::Text},
    {"NOMBRE", "NOMBRE", Source::Text},
    {"ACTIV", "ACTIV", Source::Text},
};

constexpr AttributeMapping ProfAttributes[] = {
    {"ID", nullptr, Source::RowNumber},
    {"ABREV", "ABREV", Source::Text},
    {"NOMBRE", "NOMBRE", Source::Text},
    {"DEPART", "DEPART", Source::Text},
};

constexpr AttributeMapping GrupAttributes[] = {
    {"ID", nullptr, Source::RowNumber},
    {"ABREV", "ABREV", Source::Text},
    {"CURSO", "CURSO", Source::Text},
    {"GRUPO", "GRUPO", Source::Text},
    {"MAXALUM", "MAXALUM", Source::Integer},
    {"NIVEL", "NIVEL", Source::Text},
    {"TURNO", "TURNO", Source::Text},
    {"DESCRIP", "DESCRIP", Source::Text},
};

constexpr AttributeMapping AulaAttributes[] = {
    {"ID", nullptr, Source::RowNumber},
    {"ABREV", "ABREV", Source::Text},
    {"NOMBRE", "NOMBRE", Source::Text},
    {"EDIFICIO", "EDIFICIO", Source::Text},
    {"MAXALUM", "MAXALUM", Source::Integer},
};

constexpr AttributeMapping SolucAttributes[] = {
    {"ASIG", "ASIG", Source::Text},
    {"AULA", "AULA", Source::Text},
    {"CODGRUPO", "CODGRUPO", Source::Text},
    {"CURSO", "CURSO", Source::Text},
    {"DIA", "DIA", Source::Text},
    {"GRUPO", "GRUPO", Source::Text},
    {"HORA", "HORA", Source::Text},
    {"NIVEL", "NIVEL", Source::Text},
    {"PROF", "PROF", Source::Text},
    {"SESIONES", "SESIONES", Source::Text},
    {"TAREA", "TAREA", Source::Text},
    {"TURNO", "TURNO", Source::Text},
};

const SectionLayout Sections[SectionCount] = {
    {SectionNames[0], "ASIGF", &TimetableTables::wwTableASIGT, true, false, AsigAttributes},
    {SectionNames[1], "NOMASIGF", &TimetableTables::wwTableNomAsg, true, false, NomAsigAttributes},
    {SectionNames[2], "PROFF", &TimetableTables::wwTableProfesor, true, true, ProfAttributes},
    {SectionNames[3], "GRUPF", &TimetableTables::wwTableGrupos, true, false, GrupAttributes},
    {SectionNames[4], "AULAF", &TimetableTables::wwTableAulas, true, true, AulaAttributes},
    {SectionNames[5], "SOLUCF", &TimetableTables::wwTableSoluc, false, false, SolucAttributes},
};

// A table value that XML cannot carry fails here, where the table, the row and the field are known.
[[noreturn]] void failFieldText(
    const TableComponent& table, const char* field, int tableRow, const XmlTextProblem& problem)
{
    if (problem.kind == XmlTextProblem::Kind::InvalidUtf8)
        throw platform::UserError(
            fmt::format(fmt::runtime(messages::FieldInvalidUtf8), table.name(), field, tableRow, table.tableName()));
    throw platform::UserError(fmt::format(fmt::runtime(messages::FieldInvalidCharacter), table.name(), field, tableRow,
        table.tableName(), static_cast<std::uint32_t>(problem.character)));
}

// Whether a field's text is exactly "*".
bool isStar(const timetable::TextPiece& text, std::string& scratch)
{
    if (text.codePage == nullptr || platform::CodePageTable::isAscii(text.bytes))
        return text.bytes == "*";
    scratch.clear();
    text.codePage->appendUtf8(text.bytes, scratch);
    return scratch == "*";
}

// Writes one section; answers the number of row elements written.
int writeSection(
    ExchangeDocument& document, TableComponent& table, const SectionLayout& layout, const std::string& dataDirectory)
{
    document.openSection(layout.section);
    if (layout.readsDataDirectory)
        table.setDatabaseName(dataDirectory);
    table.open();
    table.first();

    // Each field is looked up by its name when a row first needs it, and kept: the fields of an open
    // table do not change. (A table without rows is never asked for them.)
    std::vector<timetable::Field*> fields(layout.attributes.size(), nullptr);
    timetable::Field* abrev = nullptr;
    auto field = [&table](timetable::Field*& slot, const char* name) -> timetable::Field& {
        if (slot == nullptr)
            slot = &table.fieldByName(name);
        return *slot;
    };
    std::string scratch;

    std::int32_t rowCounter = 0;
    int tableRow = 0; // position among all rows of the table, for messages
    int written = 0;
    while (!table.eof()) {
        ++tableRow;
        // Only an ABREV of exactly "*" marks a placeholder; the table layer has already dropped the
        // blanks that fill the column, while " *" or "a*" are real abbreviations.
        if (layout.leavesOutStarRows && isStar(field(abrev, "ABREV").text(scratch), scratch)) {
            table.next();
            continue;
        }
        ++rowCounter;
        auto row = document.addRow(layout.row);
        for (std::size_t i = 0; i < layout.attributes.size(); ++i) {
            const AttributeMapping& mapping = layout.attributes[i];
            switch (mapping.source) {
            case Source::RowNumber:
                row.set(mapping.attribute, rowCounter);
                break;
            case Source::Text: {
                const auto text = field(fields[i], mapping.field).text(scratch);
                if (const auto problem = row.trySet(mapping.attribute, text))
                    failFieldText(table, mapping.field, tableRow, *problem);
                break;
            }
            case Source::Integer:
                row.set(mapping.attribute, field(fields[i], mapping.field).asInteger());
                break;
            }
        }
        ++written;
        table.next();
    }
    table.close();
    return written;
}

} // namespace

RowCounts exportDocument(TimetableTables& tables, const std::filesystem::path& output, const ExportOptions& options)
{
    ExchangeDocument document(options.clock);
    document.start();
    RowCounts rowCounts {};
    const std::string dataDirectory = options.dataDirectory ? *options.dataDirectory : platform::programDirectory();
    for (std::size_t i = 0; i < SectionCount; ++i)
        rowCounts[i] = writeSection(document, tables.*Sections[i].table, Sections[i], dataDirectory);
    document.save(output);
    return rowCounts;
}

} // namespace exporter
