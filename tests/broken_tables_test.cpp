// Broken and odd tables as the user meets them: each case damages one file of a small school and
// gives either the exact text of the error box (the same line educa-export prints) or the rows
// that the document then holds, the whole document being that of tests/golden/broken/<case>.xml.
// Nothing may crash, hang or write a table.

#include "golden.h"
#include "process.h"
#include "school.h"

#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace robustness {
namespace {

using dbase::testing::be32;
using dbase::testing::dbt3;
using dbase::testing::dbt4;
using dbase::testing::fpt;
using dbase::testing::le32;
using dbase::testing::padded;
using dbase::testing::readFile;
using dbase::testing::rightAligned;
using dbase::testing::TempDir;

struct BrokenCase
{
    const char* name;
    std::function<void(SchoolFiles&)> damage;
    const char* section; // the section whose rows are expected; nullptr when the export fails
    std::string expected; // the rows, or the failure's text with {datos} and {mtemp} for the folders
};

const std::string ProfRows = "ID=1|ABREV=ANA|NOMBRE=Ana Ruiz|DEPART=Ciencias\n"
                             "ID=2|ABREV=LUIS|NOMBRE=Luis Muñoz|DEPART=Letras\n";

std::string asigRow(int id, std::string_view tipo)
{
    return fmt::format(
        "ID={}|ASIG=MAT|AULA=A1|AULA1=|AULA2=|AULA3=|AULA4=|EDIFICIO=B|GRUP=1A|NALUM=25|PROF=ANA|TIPO={}|HORASEM=4\n",
        id, tipo);
}

// Asig.DBF whose TIPO column has another type; the rows hold the given TIPO bytes.
std::string asigWithTipo(std::uint8_t version, char type, unsigned length, const std::vector<std::string>& tipos)
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
        .column("TIPO", type, length)
        .column("NHORAS", 'N', 2);
    for (const auto& tipo : tipos)
        table.record("MAT A1  " + std::string(16, ' ') + "B" + "1A  " + " 25" + "ANA " + tipo + " 4");
    return table.build();
}

std::string memoReference(int block)
{
    return rightAligned(std::to_string(block), 10);
}

// The three teachers with one column added in the middle.
std::string profWithExtraColumn(const char* name, char type, const std::string& values)
{
    return DbfBuilder(0x03)
        .languageDriver(0x02)
        .column("ABREV", 'C', 4)
        .column("NOMBRE", 'C', 20)
        .column(name, type, static_cast<unsigned>(values.size() / 3))
        .column("DEPART", 'C', 20)
        .record("ANA " + padded("Ana Ruiz", 20) + values.substr(0, values.size() / 3) + padded("Ciencias", 20))
        .record(
            "*   " + padded("Sin asignar", 20) + values.substr(values.size() / 3, values.size() / 3) + padded("", 20))
        .record("LUIS" + padded("Luis Mu\xA4oz", 20) + values.substr(2 * values.size() / 3) + padded("Letras", 20))
        .build();
}

void cut(std::optional<std::string>& bytes, std::size_t size)
{
    bytes = bytes->substr(0, size);
}

const std::string NotATable = "El archivo no es una tabla dBase\r\n{datos}/PROF.DBF.";
const std::string HeaderAndSize = "La cabecera de la tabla no concuerda con el tamaño del archivo\r\n{datos}/PROF.DBF.";
const std::string DamagedHeader = "La cabecera de la tabla está dañada\r\n{datos}/PROF.DBF.";
const std::string DamagedMemo = "El archivo de memos está dañado\r\n{datos}/Asig.DBT.";

// PROF.DBF holds fewer rows than its header announces.
std::string cutTable(std::uint32_t announced, const char* present)
{
    return fmt::format(
        "La tabla está incompleta: la cabecera anuncia {} filas y el archivo contiene {}\r\n{{datos}}/PROF.DBF.",
        announced, present);
}

std::vector<BrokenCase> brokenCases()
{
    const std::string prof = profTable().build();
    return {
        // ---- the table file itself
        {"zeroBytes", [](SchoolFiles& f) { f["datos/PROF.DBF"] = ""; }, nullptr, NotATable},
        {"headerCutBeforeItsLengths", [](SchoolFiles& f) { cut(f["datos/PROF.DBF"], 9); }, nullptr, NotATable},
        {"headerCutInsideTheColumns", [](SchoolFiles& f) { cut(f["datos/PROF.DBF"], 80); }, nullptr, HeaderAndSize},
        {"lastRecordCutShort", [prof](SchoolFiles& f) { f["datos/PROF.DBF"] = prof.substr(0, prof.size() - 6); },
            nullptr, cutTable(3, "2 filas")},
        {"headerLengthPastTheEnd",
            [](SchoolFiles& f) {
                // 4000 in a file of 260 bytes
                f["datos/PROF.DBF"] = profTable().headerByte(8, 0xA0).headerByte(9, 0x0F).build();
            },
            nullptr, HeaderAndSize},
        {"recordLengthZero", [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable(false).recordLength(0).build(); },
            nullptr, NotATable},
        {"recordShorterThanItsColumns",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable(false).recordLength(30).build(); }, nullptr,
            DamagedHeader},
        {"columnWiderThanTheRecord",
            [prof](SchoolFiles& f) {
                std::string bytes = prof;
                bytes[32 + 32 + 16] = static_cast<char>(250); // NOMBRE: 250 characters in a 45-byte record
                f["datos/PROF.DBF"] = bytes;
            },
            nullptr, DamagedHeader},
        {"columnOffsetPastTheRecord",
            [prof](SchoolFiles& f) {
                std::string bytes = prof;
                bytes.replace(32 + 2 * 32 + 12, 4, le32(0xFFFFFFF0u)); // DEPART's stored offset
                f["datos/PROF.DBF"] = bytes;
            },
            "PROFT", ProfRows},
        {"descriptorsWithoutTerminator",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().terminator(false).build(); }, "PROFT", ProfRows},
        {"recordCountAllOnes",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().recordCount(0xFFFFFFFFu).build(); }, nullptr,
            cutTable(4294967295u, "3 filas")},
        {"recordCountAboveTheRecordsWithoutEndMark",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().recordCount(7).trailer("").build(); }, nullptr,
            cutTable(7, "3 filas")},
        {"endMarkWhereARecordStarts",
            [prof](SchoolFiles& f) {
                std::string bytes = prof;
                bytes[32 + 3 * 32 + 1 + 45] = 0x1A; // the placeholder's deletion flag
                f["datos/PROF.DBF"] = bytes;
            },
            nullptr, cutTable(3, "1 fila")},
        {"recordsPastTheAnnouncedCountAreLeftOut",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().recordCount(1).build(); }, "PROFT",
            "ID=1|ABREV=ANA|NOMBRE=Ana Ruiz|DEPART=Ciencias\n"},
        {"unknownLanguageDriverReadsTheOemCodePage",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().languageDriver(0xEE).build(); }, "PROFT", ProfRows},
        {"folderNamedLikeTheTable", [](SchoolFiles& f) { f["datos/PROF.DBF"] = std::nullopt; }, nullptr, NotATable},
        {"notADbaseTableAtAll",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = "ABREV;NOMBRE;DEPART\r\nANA;Ana Ruiz;Ciencias\r\n"; }, nullptr,
            NotATable},
        {"dBaseIIFile", [prof](SchoolFiles& f) { f["datos/PROF.DBF"] = "\x02" + prof.substr(1); }, nullptr, NotATable},
        {"noColumns", [](SchoolFiles& f) { f["datos/PROF.DBF"] = DbfBuilder(0x03).record("").build(); }, nullptr,
            NotATable},
        {"encrypted", [](SchoolFiles& f) { f["datos/PROF.DBF"] = profTable().headerByte(15, 1).build(); }, nullptr,
            "La tabla está cifrada\r\n{datos}/PROF.DBF."},
        {"duplicateColumnNamesReadTheFirst",
            [](SchoolFiles& f) { f["datos/PROF.DBF"] = profWithExtraColumn("NOMBRE", 'C', "OtroOtroOtro"); }, "PROFT",
            ProfRows},
        {"blankColumnName", [](SchoolFiles& f) { f["datos/PROF.DBF"] = profWithExtraColumn("   ", 'C', "xyzxyzxyz"); },
            "PROFT", ProfRows},
        {"emptyColumnName", [](SchoolFiles& f) { f["datos/PROF.DBF"] = profWithExtraColumn("", 'C', "xyzxyzxyz"); },
            "PROFT", ProfRows},
        {"deletedRowsAreLeftOut",
            [](SchoolFiles& f) {
                f["datos/PROF.DBF"] = profTable(false)
                                          .record("ANA " + padded("Ana Ruiz", 20) + padded("Ciencias", 20), '*')
                                          .record("LUIS" + padded("Luis Mu\xA4oz", 20) + padded("Letras", 20))
                                          .build();
            },
            "PROFT", "ID=1|ABREV=LUIS|NOMBRE=Luis Muñoz|DEPART=Letras\n"},
        {"nulInsideATextEndsIt",
            [](SchoolFiles& f) {
                f["datos/PROF.DBF"] = profTable(false)
                                          .record("ANA " + padded(std::string("Ana\0basura", 11), 20) + padded("C", 20))
                                          .build();
            },
            "PROFT", "ID=1|ABREV=ANA|NOMBRE=Ana|DEPART=C\n"},
        {"controlCharacterInAText",
            [](SchoolFiles& f) {
                f["datos/PROF.DBF"] = profTable(false).record("ANA " + padded("Ana\x01", 20) + padded("C", 20)).build();
            },
            nullptr,
            "wwTableProfesor: El campo 'NOMBRE' de la fila 1 de la tabla PROF contiene el carácter U+0001, que no se "
            "puede escribir en XML."},

        // ---- values
        {"numericOfAsterisksIsBlank",
            [](SchoolFiles& f) {
                f["datos/GRUP.DBF"] = grupTable(false).record("1A  1  A***ESO  M" + padded("Primero A", 20)).build();
            },
            "GRUPT", "ID=1|ABREV=1A|CURSO=1|GRUPO=A|MAXALUM=0|NIVEL=ESO|TURNO=M|DESCRIP=Primero A\n"},
        {"numericOfAsterisksGivesAnEmptyText",
            [](SchoolFiles& f) {
                f["datos/NOMASG.DBF"] = nomasgTable(false).record("MAT " + padded("Mates", 20) + "*****").build();
            },
            "NOMASIGT", "ID=1|ABREV=MAT|NOMBRE=Mates|ACTIV=\n"},
        {"numericOfGarbageIsBlank",
            [](SchoolFiles& f) {
                f["datos/AULA.DBF"] = aulaTable(false)
                                          .record("A1  " + padded("Aula 1", 20) + "B" + "1x5")
                                          .record("A2  " + padded("Aula 2", 20) + "B" + " 2 ")
                                          .build();
            },
            "AULAT",
            "ID=1|ABREV=A1|NOMBRE=Aula 1|EDIFICIO=B|MAXALUM=0\nID=2|ABREV=A2|NOMBRE=Aula 2|EDIFICIO=B|MAXALUM=2\n"},
        {"datesOfZerosAndBlanks",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x03, 'D', 8, {"00000000", "        ", "20240517", "20240230"});
            },
            "ASIGT", asigRow(1, "") + asigRow(2, "") + asigRow(3, "5/17/24") + asigRow(4, "")},
        {"dateColumnWiderThanEight",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x03, 'D', 10, {"20180101  ", "20180101xx", "          "});
            },
            "ASIGT", asigRow(1, "1/1/18") + asigRow(2, "") + asigRow(3, "")},
        {"logicalOfQuestionMark",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x03, 'L', 1, {"?", "T", "n", "x"});
            },
            "ASIGT", asigRow(1, "") + asigRow(2, "Verdadero") + asigRow(3, "Falso") + asigRow(4, "")},

        // ---- memo files
        {"memoRead",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x83, 'M', 10, {memoReference(1), memoReference(0)});
                f["datos/Asig.DBT"] = dbt3({"Teor\xA1"
                                            "a"});
            },
            "ASIGT", asigRow(1, "Teoría") + asigRow(2, "")},
        {"memoOfGarbageInADoubleByteCodePage",
            [](SchoolFiles& f) {
                std::string table = asigWithTipo(0x83, 'M', 10, {memoReference(1)});
                table[29] = 0x4E; // code page 949
                f["datos/Asig.DBF"] = table;
                f["datos/Asig.DBT"] = dbt3({std::string(30000, '\x80')});
            },
            "ASIGT",
            asigRow(1,
                [] {
                    std::string replaced;
                    for (int i = 0; i < 30000; ++i)
                        replaced += "\uFFFD";
                    return replaced;
                }())},
        {"memoBlockPastTheEnd",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x83, 'M', 10, {memoReference(99)});
                f["datos/Asig.DBT"] = dbt3({"uno"});
            },
            nullptr, DamagedMemo},
        {"memoLengthPastTheEnd",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x8B, 'M', 10, {memoReference(1)});
                std::string memo = dbt4({"uno"});
                memo.replace(512 + 4, 4, le32(100000));
                f["datos/Asig.DBT"] = memo;
            },
            nullptr, DamagedMemo},
        {"memoFileMissing",
            [](SchoolFiles& f) { f["datos/Asig.DBF"] = asigWithTipo(0x83, 'M', 10, {memoReference(1)}); }, nullptr,
            "No se encuentra el archivo de memos\r\n{datos}/Asig.DBT."},
        {"memoFileOfZeroBytes",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x83, 'M', 10, {memoReference(1)});
                f["datos/Asig.DBT"] = "";
            },
            nullptr, DamagedMemo},
        {"memoColumnOfTheWrongWidthIsNoField",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0x83, 'M', 4, {"   1"});
                f["datos/Asig.DBT"] = dbt3({"uno"});
            },
            nullptr, "wwTableASIGT: No se encuentra el campo 'TIPO'"}, // no period after a quote
        {"pictureMemoInATextColumn",
            [](SchoolFiles& f) {
                f["datos/Asig.DBF"] = asigWithTipo(0xF5, 'M', 10, {memoReference(8)});
                f["datos/Asig.FPT"] = fpt({{0, "\xFF\xD8\xFF\xE0"}});
            },
            nullptr,
            "wwTableASIGT: El campo 'TIPO' de la fila 1 de la tabla Asig.DBF contiene bytes que no forman texto UTF-8 "
            "válido."},

        // ---- SOLUC and its folder
        {"solucMissing", [](SchoolFiles& f) { f.erase("mtemp/SOLUC.DBF"); }, nullptr,
            "No se encuentra la tabla\r\n{mtemp}/SOLUC.DBF."},
    };
}

void PrintTo(const BrokenCase& c, std::ostream* out)
{
    *out << c.name;
}

class BrokenTable : public ::testing::TestWithParam<BrokenCase>
{
};

std::string withFolders(std::string text, const fs::path& root)
{
    for (const auto& [mark, folder] : {std::pair {"{datos}", "datos"}, std::pair {"{mtemp}", "mtemp"}}) {
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark))
            text.replace(at, std::string_view(mark).size(), (root / folder).string());
    }
    return text;
}

TEST_P(BrokenTable, givesItsOutcomeInTheRunAndInTheTool)
{
    const BrokenCase& c = GetParam();
    TempDir dir;
    SchoolFiles files = smallSchool();
    c.damage(files);
    writeSchool(files, dir.path());
    const std::string expected = withFolders(c.expected, dir.path());
    const auto output = dir / "salida" / "educa.xml";

    const ExportOutcome run = exportInProcess(dir.path());
    const ProgramResult tool = exportWithTool(dir.path());
    EXPECT_FALSE(tool.timedOut);
    if (c.section == nullptr) {
        EXPECT_TRUE(run.failed);
        EXPECT_EQ(run.failureText, expected);
        EXPECT_EQ(tool.exitCode, 1);
        EXPECT_EQ(tool.err, expected + "\n");
        EXPECT_FALSE(fs::exists(output));
    } else {
        ASSERT_FALSE(run.failed) << run.failureText;
        EXPECT_EQ(sectionRows(run.document, c.section), expected);
        EXPECT_TRUE(golden::matches(std::string("broken/") + c.name + ".xml", run.document));
        EXPECT_EQ(tool.exitCode, 0) << tool.err;
        EXPECT_EQ(sectionRows(readFile(output), c.section), expected);
        EXPECT_TRUE(golden::matchesApartFromFecha(std::string("broken/") + c.name + ".xml", readFile(output)));
    }
    EXPECT_EQ(fs::directory_iterator(dir / "salida") == fs::directory_iterator(), c.section == nullptr);
    for (const auto& [name, bytes] : files) {
        if (bytes) {
            EXPECT_EQ(readFile(dir / name), *bytes) << name << " changed";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, BrokenTable, ::testing::ValuesIn(brokenCases()),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

// A folder that does not exist gives the engine's text naming it.
TEST(BrokenTableFolder, missingSolucFolderIsNamed)
{
    TempDir dir;
    writeSchool(smallSchool(), dir.path());
    fs::remove_all(dir / "mtemp");
    const std::string expected = "No se encuentra el directorio\r\n" + (dir / "mtemp").string() + ".";
    EXPECT_EQ(exportInProcess(dir.path()).failureText, expected);
    EXPECT_EQ(exportWithTool(dir.path()).err, expected + "\n");
}

// A table the user may not read: as root the check runs as an unprivileged user, whom the
// permission bits stop. Asig.DBF (opened for reading and writing) and PROF (for reading only).
TEST(BrokenTableFolder, unreadableTableIsNamed)
{
    for (const char* name : {"Asig.DBF", "PROF.DBF"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        writeSchool(smallSchool(), dir.path());
        ::chmod((dir / "datos" / name).c_str(), 0);
        RunOptions options;
        if (::geteuid() == 0)
            options.asUser = NobodyId;
        const ProgramResult tool = exportWithTool(dir.path(), options);
        EXPECT_EQ(tool.exitCode, 1);
        EXPECT_EQ(tool.err, "No se tiene permiso para abrir el archivo\r\n" + (dir / "datos" / name).string() + ".\n");
        EXPECT_FALSE(fs::exists(dir / "salida" / "educa.xml"));
    }
}

} // namespace
} // namespace robustness
