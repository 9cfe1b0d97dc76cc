#include "school.h"

#include "export/failure_text.h"
#include "platform/regional.h"
#include "platform/user_error.h"

#include <cstdlib>
#include <pugixml.hpp>

namespace robustness {

using dbase::testing::padded;
using dbase::testing::rightAligned;

namespace {

std::string c4(std::string_view text)
{
    return padded(text, 4);
}

} // namespace

DbfBuilder asigTable(std::uint8_t version, bool rows)
{
    DbfBuilder table(version);
    table.languageDriver(0x02)
        .column("ASIG", 'C', 4)
        .column("AULA0", 'C', 4)
        .column("AULA1", 'C', 4)
        .column("AULA2", 'C', 4)
        .column("AULA3", 'C', 4)
        .column("AULA4", 'C', 4)
        .column("EDIFICIO", 'C', 1)
        .column("GRUP", 'C', 4)
        .column("NALUM", 'N', 3)
        .column("PROF", 'C', 4)
        .column("TIPO", 'C', 2)
        .column("NHORAS", 'N', 2);
    if (rows)
        table.record("MAT A1  " + std::string(16, ' ') + "B" + "1A  " + " 25" + "ANA " + "T " + " 4");
    return table;
}

DbfBuilder nomasgTable(bool rows)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02).column("ABREV", 'C', 4).column("NOMBRE", 'C', 20).column("ACTIV", 'N', 5, 1);
    if (rows)
        table.record("MAT " + padded("Matem\xA0ticas", 20) + "  1.5");
    return table;
}

DbfBuilder profTable(bool rows)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02).column("ABREV", 'C', 4).column("NOMBRE", 'C', 20).column("DEPART", 'C', 20);
    if (rows) {
        table.record("ANA " + padded("Ana Ruiz", 20) + padded("Ciencias", 20))
            .record("*   " + padded("Sin asignar", 20) + padded("", 20))
            .record("LUIS" + padded("Luis Mu\xA4oz", 20) + padded("Letras", 20));
    }
    return table;
}

DbfBuilder grupTable(bool rows)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02)
        .column("ABREV", 'C', 4)
        .column("CURSO", 'C', 3)
        .column("GRUPO", 'C', 1)
        .column("MAXALUM", 'N', 3)
        .column("NIVEL", 'C', 5)
        .column("TURNO", 'C', 1)
        .column("DESCRIP", 'C', 20);
    if (rows)
        table.record("1A  " + padded("1", 3) + "A" + " 25" + "ESO  " + "M" + padded("Primero A", 20));
    return table;
}

DbfBuilder aulaTable(bool rows)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02)
        .column("ABREV", 'C', 4)
        .column("NOMBRE", 'C', 20)
        .column("EDIFICIO", 'C', 1)
        .column("MAXALUM", 'N', 3);
    if (rows)
        table.record("A1  " + padded("Aula 1", 20) + "B" + " 30");
    return table;
}

DbfBuilder solucTable(bool rows)
{
    DbfBuilder table(0x03);
    table.languageDriver(0x02);
    for (const char* name :
        {"ASIG", "AULA", "CODGRUPO", "CURSO", "DIA", "GRUPO", "HORA", "NIVEL", "PROF", "SESIONES", "TAREA", "TURNO"})
        table.column(name, 'C', 4);
    if (rows) {
        table.record(c4("MAT") + c4("A1") + c4("1A") + c4("1") + c4("1") + c4("A") + c4("1") + c4("ESO") + c4("ANA")
            + c4("1") + c4("CLA") + c4("M"));
    }
    return table;
}

SchoolFiles smallSchool()
{
    return {
        {"datos/Asig.DBF", asigTable().build()},
        {"datos/NOMASG.DBF", nomasgTable().build()},
        {"datos/PROF.DBF", profTable().build()},
        {"datos/GRUP.DBF", grupTable().build()},
        {"datos/AULA.DBF", aulaTable().build()},
        {"mtemp/SOLUC.DBF", solucTable().build()},
    };
}

void writeSchool(const SchoolFiles& files, const fs::path& root)
{
    for (const char* folder : {"datos", "mtemp", "salida"})
        fs::create_directories(root / folder);
    for (const auto& [name, bytes] : files) {
        if (bytes)
            dbase::testing::writeFile(root / name, *bytes);
        else
            fs::create_directories(root / name);
    }
    for (const char* folder : {"salida"})
        fs::permissions(root / folder, fs::perms::all);
}

void useCLocaleSettings()
{
    platform::RegionalSettings settings;
    settings.decimalSeparator = ".";
    platform::setRegionalSettings(settings);
}

ExportOutcome exportInProcess(const fs::path& root)
{
    useCLocaleSettings();
    timetable::TimetableTables tables;
    tables.wwTableSoluc.setDatabaseName((root / "mtemp").string());
    exporter::ExportOptions options;
    options.dataDirectory = (root / "datos").string() + "/";
    options.clock = [] { return platform::LocalTime {2025, 12, 8, 9, 5, 7}; };
    ExportOutcome outcome;
    try {
        exporter::exportDocument(tables, root / "salida" / "educa.xml", options);
        outcome.document = dbase::testing::readFile(root / "salida" / "educa.xml");
    } catch (const platform::UserError& failure) {
        outcome.failed = true;
        outcome.failureText = exporter::errorBoxText(failure.what());
    }
    return outcome;
}

ProgramResult exportWithTool(const fs::path& root, const RunOptions& options)
{
    return runProgram(exportProgram(),
        {"--datos", (root / "datos").string(), "--soluc", (root / "mtemp").string(), "--salida",
            (root / "salida" / "educa.xml").string()},
        options);
}

std::string sectionRows(const std::string& document, const char* section)
{
    pugi::xml_document parsed;
    if (!parsed.load_buffer(document.data(), document.size()))
        return "(documento ilegible)";
    std::string rows;
    for (const auto row : parsed.child("SERVICIO").child(section).children()) {
        std::string line;
        for (const auto attribute : row.attributes()) {
            if (!line.empty())
                line += "|";
            line += std::string(attribute.name()) + "=" + attribute.value();
        }
        rows += line + "\n";
    }
    return rows;
}

} // namespace robustness
