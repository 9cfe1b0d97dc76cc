#include "platform/codepage_table.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "support/environment.h"
#include "support/temp_folder.h"
#include "timetable/table_component.h"
#include "timetable/value_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using timetable::TableComponent;
using timetable::TableType;

namespace {

const fs::path Fixtures = FIXTURE_DIR;

// A plain dBase III table built byte by byte, for what the independent writer will not write
// (repeated column names, values with leading blanks).
struct Column
{
    std::string name;
    char type;
    unsigned length;
};

void writeTable(const fs::path& path, const std::vector<Column>& columns, const std::vector<std::string>& records)
{
    unsigned recordLength = 1;
    for (const auto& c : columns)
        recordLength += c.length;
    unsigned headerLength = 32 + 32 * static_cast<unsigned>(columns.size()) + 1;
    std::string bytes(headerLength, '\0');
    bytes[0] = 0x03;
    bytes[4] = static_cast<char>(records.size());
    bytes[8] = static_cast<char>(headerLength & 0xFF);
    bytes[9] = static_cast<char>(headerLength >> 8);
    bytes[10] = static_cast<char>(recordLength & 0xFF);
    bytes[11] = static_cast<char>(recordLength >> 8);
    bytes[29] = 0x02; // code page 850
    for (std::size_t i = 0; i < columns.size(); ++i) {
        bytes.replace(32 + 32 * i, columns[i].name.size(), columns[i].name);
        bytes[32 + 32 * i + 11] = columns[i].type;
        bytes[32 + 32 * i + 16] = static_cast<char>(columns[i].length);
    }
    bytes.back() = 0x0D;
    for (const auto& r : records) {
        std::string record = " " + r;
        record.resize(recordLength, ' ');
        bytes += record;
    }
    bytes += '\x1A';
    std::ofstream(path, std::ios::binary) << bytes;
}

class TableComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::copy(Fixtures, m_dir, fs::copy_options::recursive);
        platform::RegionalSettings spanish;
        spanish.decimalSeparator = ",";
        spanish.shortDate = "dd/MM/yyyy";
        spanish.dateSeparator = "/";
        platform::setRegionalSettings(spanish);
    }
    std::string dir(const char* sub) const
    {
        return platform::pathText(m_dir / sub) + static_cast<char>(fs::path::preferred_separator);
    }

    support::TempFolder m_temp {"educa-tables"};
    const fs::path& m_dir = m_temp.path();
};

std::string failureText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const platform::UserError& e) {
        return e.what();
    }
    return "(no failure)";
}

TEST_F(TableComponentTest, walksLiveRowsInFileOrderWithTextConverted)
{
    TableComponent prof("wwTableProfesor", "PROF", TableType::ttDBase, true);
    prof.setDatabaseName(dir("escuela"));
    prof.open();
    EXPECT_EQ(prof.driverName(), "DBASE");
    std::vector<std::string> seen;
    for (prof.first(); !prof.eof(); prof.next())
        seen.push_back(prof.fieldByName("ABREV").asString() + "|" + prof.fieldByName("NOMBRE").asString() + "|"
            + prof.fieldByName("DEPART").asString());
    // The fourth record is marked deleted and is not delivered.
    EXPECT_EQ(seen,
        (std::vector<std::string> {"AMI|Ana Martínez Ibáñez|Matemáticas", "*|Baja temporal|", "X*|José Ñúñez|Lengua",
            "IGO|Íñigo Goñi|Educación Física"}));
}

TEST_F(TableComponentTest, fieldsAreFoundWhateverTheCaseAndMissingOnesNameTheComponent)
{
    TableComponent nom("wwTableNomAsg", "NOMASG", TableType::ttDBase, true);
    nom.setDatabaseName(dir("escuela")); // on disk as nomasg.dbf
    nom.open();
    nom.first();
    EXPECT_EQ(nom.fieldByName("abrev").asString(), "MAT");
    EXPECT_EQ(failureText([&] { nom.fieldByName("ACTIV"); }), "wwTableNomAsg: No se encuentra el campo 'ACTIV'");
    EXPECT_TRUE(nom.active()); // the failure leaves the table open
    nom.next();
    EXPECT_EQ(nom.fieldByName("Nombre").asString(), "Lengua castellana");
}

TEST_F(TableComponentTest, directoryAndOpenRulesOfAnOpenTable)
{
    TableComponent prof("wwTableProfesor", "PROF", TableType::ttDBase, true);
    prof.setDatabaseName(dir("escuela"));
    prof.open();
    prof.first();
    prof.next();
    // Same directory and a second open change nothing: the position is kept.
    prof.setDatabaseName(dir("escuela"));
    prof.open();
    EXPECT_EQ(prof.fieldByName("ABREV").asString(), "*");
    EXPECT_EQ(failureText([&] { prof.setDatabaseName(dir("vacia")); }),
        "wwTableProfesor: No se puede realizar esta operación en una fuente de datos abierta");
    EXPECT_EQ(prof.databaseName(), dir("escuela"));
    // Moving to the first row rewinds.
    prof.first();
    EXPECT_EQ(prof.fieldByName("ABREV").asString(), "AMI");
    prof.close();
    prof.close();
    EXPECT_FALSE(prof.active());
    EXPECT_EQ(failureText([&] { prof.first(); }),
        "wwTableProfesor: No se puede realizar esta operación en una fuente de datos cerrada");
    EXPECT_EQ(failureText([&] { prof.next(); }),
        "wwTableProfesor: No se puede realizar esta operación en una fuente de datos cerrada");
    prof.setDatabaseName(dir("vacia")); // taken while closed
    EXPECT_EQ(prof.databaseName(), dir("vacia"));
}

TEST_F(TableComponentTest, emptyTableIsPastItsLastRowAndReadsBlank)
{
    TableComponent grup("wwTableGrupos", "GRUP", TableType::ttDBase, true);
    grup.setDatabaseName(dir("vacia"));
    grup.open();
    grup.first();
    EXPECT_TRUE(grup.eof());
    EXPECT_EQ(grup.fieldByName("ABREV").asString(), "");
    EXPECT_EQ(grup.fieldByName("MAXALUM").asInteger(), 0);
    grup.next();
    EXPECT_TRUE(grup.eof());
}

TEST_F(TableComponentTest, movingPastTheLastRowKeepsTheLastRowCurrent)
{
    TableComponent nom("wwTableNomAsg", "NOMASG", TableType::ttDBase, true);
    nom.setDatabaseName(dir("escuela"));
    nom.open();
    nom.first();
    nom.next();
    EXPECT_FALSE(nom.eof());
    nom.next();
    EXPECT_TRUE(nom.eof());
    nom.next();
    EXPECT_TRUE(nom.eof());
    EXPECT_EQ(nom.fieldByName("ABREV").asString(), "LEN");
}

TEST_F(TableComponentTest, asigTakesTheFoxProDriverWhenAMemoOrIndexLiesBeside)
{
    TableComponent asig("wwTableASIGT", "Asig.DBF", TableType::ttDefault, false);
    asig.setDatabaseName(dir("escuela"));
    asig.open();
    EXPECT_EQ(asig.driverName(), "DBASE");
    EXPECT_FALSE(asig.openedReadOnly());
    asig.close();

    asig.setDatabaseName(dir("foxpro"));
    asig.open();
    EXPECT_EQ(asig.driverName(), "FOXPRO");
    asig.first();
    EXPECT_EQ(asig.fieldByName("NOTA").asString(), "Nota de Matemáticas");
    EXPECT_EQ(asig.fieldByName("NHORAS").asString(), "4");
    asig.close();

    std::ofstream(m_dir / "escuela" / "asig.cdx") << "";
    asig.setDatabaseName(dir("escuela"));
    asig.open();
    EXPECT_EQ(asig.driverName(), "FOXPRO");
}

TEST_F(TableComponentTest, missingTableGivesTheEngineTextAndStaysClosed)
{
    TableComponent aula("wwTableAulas", "AULA", TableType::ttDBase, true);
    aula.setDatabaseName(dir("vacia"));
    std::string text = failureText([&] { aula.open(); });
    EXPECT_NE(text.find("AULA.DBF"), std::string::npos) << text;
    EXPECT_EQ(text.find("wwTableAulas"), std::string::npos) << text;
    EXPECT_FALSE(aula.active());

    aula.setDatabaseName((m_dir / "no-existe").string());
    text = failureText([&] { aula.open(); });
    EXPECT_NE(text.find("no-existe"), std::string::npos) << text;
}

#ifdef _WIN32

// c:\mtemp is a real folder on Windows. The test makes it only where it is missing, and removes it again.
TEST_F(TableComponentTest, solucIsReadFromTheRealMtempFolder)
{
    const fs::path mtemp = L"c:\\mtemp";
    if (fs::exists(mtemp))
        GTEST_SKIP() << "c:\\mtemp exists already; the test leaves it alone";
    fs::create_directories(mtemp);
    writeTable(mtemp / "SOLUC.DBF", {{"ASIG", 'C', 8}}, {"DESDE C"});
    writeTable(m_dir / "escuela" / "SOLUC.DBF", {{"ASIG", 'C', 8}}, {"NO"});
    std::string read;
    {
        support::ScopedEnvironment drive("EDUCA_DRIVE_C", platform::pathText(m_dir));
        timetable::TimetableTables tables;
        EXPECT_EQ(tables.wwTableSoluc.databaseName(), "c:\\mtemp");
        tables.wwTableSoluc.open();
        tables.wwTableSoluc.first();
        read = tables.wwTableSoluc.fieldByName("ASIG").asString();
    }
    support::removeAll(mtemp);
    EXPECT_EQ(read, "DESDE C");
}

#else

TEST_F(TableComponentTest, solucIsReadFromItsOwnMappedDirectory)
{
    fs::create_directories(m_dir / "c" / "mtemp");
    writeTable(m_dir / "c" / "mtemp" / "SOLUC.DBF", {{"ASIG", 'C', 8}}, {"DESDE C"});
    writeTable(m_dir / "escuela" / "SOLUC.DBF", {{"ASIG", 'C', 8}}, {"NO"});
    support::ScopedEnvironment drive("EDUCA_DRIVE_C", (m_dir / "c").string());
    timetable::TimetableTables tables;
    EXPECT_EQ(tables.wwTableSoluc.databaseName(), "c:\\mtemp");
    tables.wwTableSoluc.open();
    tables.wwTableSoluc.first();
    EXPECT_EQ(tables.wwTableSoluc.fieldByName("ASIG").asString(), "DESDE C");
}

#endif

TEST_F(TableComponentTest, repeatedColumnNamesGetNumberedFields)
{
    writeTable(
        m_dir / "DUP.DBF", {{"NAME", 'C', 3}, {"NAME", 'C', 3}, {"NAME_1", 'C', 3}, {"name", 'C', 3}}, {"a  b  c  d"});
    TableComponent t("wwTableDup", "DUP", TableType::ttDBase, true, m_dir.string());
    t.open();
    std::vector<std::string> names;
    for (const auto& f : t.fields())
        names.push_back(f->name());
    EXPECT_EQ(names, (std::vector<std::string> {"NAME", "NAME_1", "NAME_1_1", "name_2"}));
    t.first();
    EXPECT_EQ(t.fieldByName("name").asString(), "a");
    EXPECT_EQ(t.fieldByName("NAME_1").asString(), "b");
}

TEST_F(TableComponentTest, integerReadings)
{
    TableComponent aula("wwTableAulas", "AULA", TableType::ttDBase, true, dir("escuela"));
    aula.open();
    std::vector<std::int32_t> maxalum;
    std::vector<std::string> libre;
    for (aula.first(); !aula.eof(); aula.next()) {
        maxalum.push_back(aula.fieldByName("MAXALUM").asInteger());
        libre.push_back(aula.fieldByName("LIBRE").asString());
    }
    EXPECT_EQ(maxalum, (std::vector<std::int32_t> {26, 24, -2, 0})); // halves go to the even neighbour
    EXPECT_EQ(libre, (std::vector<std::string> {"Verdadero", "Falso", "", "Verdadero"}));
    aula.first();
    EXPECT_EQ(aula.fieldByName("MAXALUM").asString(), "25,5");
    EXPECT_EQ(failureText([&] { aula.fieldByName("LIBRE").asInteger(); }),
        "No se puede acceder el campo 'LIBRE' como tipo Integer");

    TableComponent grup("wwTableGrupos", "GRUP", TableType::ttDBase, true, dir("escuela"));
    grup.open();
    grup.first();
    EXPECT_EQ(grup.fieldByName("MAXALUM").asInteger(), 25);
    EXPECT_EQ(grup.fieldByName("FECHA").asString(), "08/12/2025");
    grup.next();
    EXPECT_EQ(failureText([&] { grup.fieldByName("MAXALUM").asInteger(); }), "'25,5' no es un valor entero válido");
    EXPECT_EQ(grup.fieldByName("FECHA").asString(), "");
    EXPECT_EQ(failureText([&] { grup.fieldByName("FECHA").asInteger(); }),
        "No se puede acceder el campo 'FECHA' como tipo Integer");
    grup.next();
    EXPECT_EQ(grup.fieldByName("MAXALUM").asInteger(), 26);
}

TEST_F(TableComponentTest, leadingBlanksStayAndTrailingOnesGo)
{
    writeTable(m_dir / "PROF.DBF", {{"ABREV", 'C', 4}, {"MAXALUM", 'C', 4}}, {"*    25 ", " *  x"});
    TableComponent prof("wwTableProfesor", "PROF", TableType::ttDBase, true, m_dir.string());
    prof.open();
    prof.first();
    EXPECT_EQ(prof.fieldByName("ABREV").asString(), "*");
    EXPECT_EQ(prof.fieldByName("MAXALUM").asInteger(), 25);
    prof.next();
    EXPECT_EQ(prof.fieldByName("ABREV").asString(), " *");
    EXPECT_EQ(failureText([&] { prof.fieldByName("MAXALUM").asInteger(); }), "'x' no es un valor entero válido");
}

// The text a field hands on without a copy is the text of its value, for every column of every row
// of tables of each family, kind and code page, under two sets of regional settings.
TEST_F(TableComponentTest, textWithoutACopyIsTheTextOfTheValue)
{
    const fs::path engineFixtures = DBASE_FIXTURE_DIR;
    const std::vector<std::pair<fs::path, std::string>> tables = {{engineFixtures, "db3_850.dbf"},
        {engineFixtures, "fp_850.dbf"}, {engineFixtures, "vfp_1252.dbf"}, {engineFixtures, "clp_1252.dbf"},
        {engineFixtures, "minus.dbf"}, {engineFixtures, "Asig.DBF"}, {m_dir / "escuela", "AULA.DBF"},
        {m_dir / "escuela", "GRUP.DBF"}, {m_dir / "escuela", "PROF.DBF"}, {m_dir / "foxpro", "Asig.DBF"}};
    platform::RegionalSettings wordy;
    wordy.decimalSeparator = "\xD9\xAB";
    wordy.shortDate = "dddd d 'de' mmmm 'de' yyyy";
    wordy.clock24 = 0;
    std::string scratch;
    int values = 0;
    for (const auto& settings : {platform::regionalSettings(), wordy}) {
        platform::setRegionalSettings(settings);
        for (const auto& [folder, name] : tables) {
            SCOPED_TRACE(name);
            TableComponent table("wwTabla", name, TableType::ttDefault, true, folder.string());
            table.open();
            for (table.first(); !table.eof(); table.next()) {
                for (const auto& field : table.fields()) {
                    const timetable::TextPiece piece = field->text(scratch);
                    std::string text(piece.bytes);
                    if (piece.codePage != nullptr) {
                        text.clear();
                        piece.codePage->appendUtf8(piece.bytes, text);
                    }
                    EXPECT_EQ(text, timetable::valueText(field->value(), field->kind(), settings)) << field->name();
                    EXPECT_EQ(field->asString(), text) << field->name();
                    ++values;
                }
            }
        }
    }
    EXPECT_GT(values, 200);
}

TEST(EngineFailureText, joinsTrimmedDistinctTextsWithCrLf)
{
    dbase::Error error(
        0x2102, {{"  No se encuentra la tabla\r\n", "/datos/PROF.DBF "}, {"No se encuentra la tabla", ""}});
    EXPECT_EQ(timetable::engineFailureText(error), "No se encuentra la tabla\r\n/datos/PROF.DBF");
    EXPECT_EQ(timetable::engineFailureText(dbase::Error(0x2b0c, {{" ", "\t"}})), "Error BDE $2B0C");
}

} // namespace
