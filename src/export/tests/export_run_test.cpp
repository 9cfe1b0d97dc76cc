#include "export/export_run.h"
#include "platform/regional.h"
#include "platform/user_error.h"
#include "support/environment.h"
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace exporter {
namespace {

using test::copyFixture;
using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

const std::string SchoolDocument
    = R"(<?xml version="1.0" encoding="UTF-8"?>)"
      R"(<SERVICIO autor="MORVANTA" fecha="08/12/2025 9:05:07" modulo="HORARIOS">)"
      R"(<ASIGT>)"
      R"(<ASIGF ID="1" ASIG="MAT1" AULA="101" AULA1="" AULA2="" AULA3="" AULA4="" EDIFICIO="A" GRUP="1EA" NALUM="28" PROF="IMG" TIPO="O" HORASEM="4"/>)"
      R"(<ASIGF ID="2" ASIG="TEC1" AULA="TTE" AULA1="101" AULA2="" AULA3="" AULA4="" EDIFICIO="B" GRUP="1EA" NALUM="28" PROF="BIE" TIPO="O" HORASEM="2,5"/>)"
      R"(<ASIGF ID="3" ASIG="EFI1" AULA="GIM" AULA1="PIS" AULA2="101" AULA3="" AULA4="" EDIFICIO="G" GRUP="1EA" NALUM="" PROF="a*" TIPO="O" HORASEM=""/>)"
      R"(</ASIGT>)"
      R"(<NOMASIGT>)"
      R"(<NOMASIGF ID="1" ABREV="MAT1" NOMBRE="Matemáticas 1º ESO" ACTIV="1"/>)"
      R"(<NOMASIGF ID="2" ABREV="EDU" NOMBRE="Educación &amp; &quot;Ciudadanía&quot; &lt;Ñandú>" ACTIV=""/>)"
      R"(<NOMASIGF ID="3" ABREV="TEA" NOMBRE="Taller&#9;de teatro&#13;&#10;segunda línea" ACTIV="0"/>)"
      R"(<NOMASIGF ID="4" ABREV="" NOMBRE="" ACTIV=""/>)"
      R"(<NOMASIGF ID="5" ABREV="*" NOMBRE="Asignatura con asterisco" ACTIV="1"/>)"
      R"(</NOMASIGT>)"
      R"(<PROFT>)"
      R"(<PROFF ID="1" ABREV="IMG" NOMBRE="Muñoz Goñi, Íñigo" DEPART="Matemáticas"/>)"
      R"(<PROFF ID="2" ABREV=" *" NOMBRE="Espacio delante" DEPART="Inglés"/>)"
      R"(<PROFF ID="3" ABREV="a*" NOMBRE="Asterisco detrás" DEPART="Música"/>)"
      R"(<PROFF ID="4" ABREV="BIE" NOMBRE="Ibáñez Echeverría, Begoña" DEPART="Lengua Castellana y Literatura"/>)"
      R"(<PROFF ID="5" ABREV="**" NOMBRE="Dos asteriscos" DEPART="Inglés"/>)"
      R"(</PROFT>)"
      R"(<GRUPT>)"
      R"(<GRUPF ID="1" ABREV="1EA" CURSO="1" GRUPO="A" MAXALUM="30" NIVEL="ESO" TURNO="M" DESCRIP="1º ESO A"/>)"
      R"(<GRUPF ID="2" ABREV="1EB" CURSO="1" GRUPO="B" MAXALUM="0" NIVEL="ESO" TURNO="M" DESCRIP="1º ESO B"/>)"
      R"(<GRUPF ID="3" ABREV="NEG" CURSO="2" GRUPO="C" MAXALUM="-5" NIVEL="BACH" TURNO="T" DESCRIP="Grupo de prueba"/>)"
      R"(<GRUPF ID="4" ABREV="HALF" CURSO="2" GRUPO="D" MAXALUM="24" NIVEL="ESO" TURNO="M" DESCRIP=""/>)"
      R"(<GRUPF ID="5" ABREV="BLNK" CURSO="2" GRUPO="E" MAXALUM="0" NIVEL="ESO" TURNO="M" DESCRIP=""/>)"
      R"(<GRUPF ID="6" ABREV="*" CURSO="1" GRUPO="F" MAXALUM="20" NIVEL="BACH" TURNO="T" DESCRIP="Grupo con asterisco"/>)"
      R"(</GRUPT>)"
      R"(<AULAT>)"
      R"(<AULAF ID="1" ABREV="101" NOMBRE="Aula 101" EDIFICIO="A" MAXALUM="30"/>)"
      R"(<AULAF ID="2" ABREV="LFQ" NOMBRE="Laboratorio de Física y Química" EDIFICIO="B" MAXALUM="24"/>)"
      R"(<AULAF ID="3" ABREV="*B" NOMBRE="Aula B" EDIFICIO="B" MAXALUM="20"/>)"
      R"(</AULAT>)"
      R"(<SOLUCT>)"
      R"(<SOLUCF ASIG="MAT1" AULA="101" CODGRUPO="1EA" CURSO="1" DIA="1" GRUPO="A" HORA="1" NIVEL="ESO" PROF="IMG" SESIONES="4" TAREA="CL" TURNO="M"/>)"
      R"(<SOLUCF ASIG="*" AULA="*" CODGRUPO="1EA" CURSO="1" DIA="1" GRUPO="A" HORA="2" NIVEL="ESO" PROF="*" SESIONES="0" TAREA="" TURNO="M"/>)"
      R"(</SOLUCT>)"
      R"(</SERVICIO>)";

const std::string EmptyDocument = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                                  R"(<SERVICIO autor="MORVANTA" fecha="08/12/2025 9:05:07" modulo="HORARIOS">)"
                                  R"(<ASIGT/><NOMASIGT/><PROFT/><GRUPT/><AULAT/><SOLUCT/></SERVICIO>)";

// A school database copied to a temporary folder: datos/ with the five tables read from the program
// directory, mtemp/ with SOLUC, and out/ for the document.
class ExportRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::setRegionalSettings(test::spanishSettings());
        useFixture("school");
        fs::create_directory(out());
    }

    void useFixture(const std::string& name)
    {
        fs::remove_all(datos());
        copyFixture(name, dir, "datos");
        fs::remove_all(mtemp());
        if (fs::exists(datos() / "mtemp")) {
            fs::rename(datos() / "mtemp", mtemp());
        } else {
            fs::create_directory(mtemp());
            fs::copy_file(datos() / "SOLUC.DBF", mtemp() / "SOLUC.DBF");
        }
    }

    // Puts one of the odd tables in place of a table of the database.
    void replaceTable(const std::string& oddName, const std::string& tableFile)
    {
        fs::copy_file(test::fixture("odd/" + oddName), datos() / tableFile, fs::copy_options::overwrite_existing);
    }

    fs::path datos() const { return dir / "datos"; }
    fs::path mtemp() const { return dir / "mtemp"; }
    fs::path out() const { return dir / "out"; }
    std::string outputFile() const { return platform::pathText(out() / "educa.xml"); }

    RowCounts run(const std::string& output = {})
    {
        if (!tables.wwTableSoluc.active())
            tables.wwTableSoluc.setDatabaseName(platform::pathText(mtemp()));
        ExportOptions options;
        options.dataDirectory = platform::pathText(datos()) + "/";
        options.clock = test::fixedMoment;
        return exportDocument(tables, platform::pathFromUtf8(output.empty() ? outputFile() : output), options);
    }

    std::string runFailure(const std::string& output = {})
    {
        try {
            run(output);
        } catch (const platform::UserError& e) {
            return e.what();
        }
        ADD_FAILURE() << "the run did not fail";
        return {};
    }

    std::vector<bool> activeTables() const
    {
        return {tables.wwTableASIGT.active(), tables.wwTableNomAsg.active(), tables.wwTableProfesor.active(),
            tables.wwTableGrupos.active(), tables.wwTableAulas.active(), tables.wwTableSoluc.active()};
    }

    TempDir dir;
    timetable::TimetableTables tables;
};

TEST_F(ExportRunTest, writesTheWholeSchoolDocument)
{
    EXPECT_EQ(run(), (RowCounts {3, 5, 5, 6, 3, 2}));
    EXPECT_EQ(readFile(outputFile()), SchoolDocument);
    EXPECT_EQ(activeTables(), std::vector<bool>(6, false));
    EXPECT_EQ(folderEntries(out()), std::vector<std::string> {"educa.xml"});
}

TEST_F(ExportRunTest, replacesAnExistingFile)
{
    writeFile(outputFile(), "documento anterior");
    run();
    EXPECT_EQ(readFile(outputFile()), SchoolDocument);
}

TEST_F(ExportRunTest, emptyTablesGiveAllSixSectionsInOrder)
{
    useFixture("empty");
    EXPECT_EQ(run(), (RowCounts {}));
    EXPECT_EQ(readFile(outputFile()), EmptyDocument);
}

TEST_F(ExportRunTest, placeholderOnlyTableIsNeverAskedForTheFieldsOfItsRows)
{
    replaceTable("PROF_ONLYSTAR.DBF", "PROF.DBF");
    EXPECT_EQ(run()[2], 0);
    const auto text = readFile(outputFile());
    EXPECT_NE(text.find("</NOMASIGT><PROFT/><GRUPT>"), std::string::npos) << text;
}

#ifndef _WIN32
// (On Windows c:\mtemp is the real folder, tested in the table layer.)
TEST_F(ExportRunTest, solucIsReadFromItsOwnFixedDirectory)
{
    // "c:\mtemp" maps through drive C's folder; the program directory holds a decoy SOLUC.DBF.
    TempDir driveC;
    fs::create_directory(driveC / "mtemp");
    fs::copy_file(mtemp() / "SOLUC.DBF", driveC / "mtemp" / "SOLUC.DBF");
    ExportOptions options;
    options.dataDirectory = datos().string() + "/";
    options.clock = test::fixedMoment;
    EXPECT_EQ(tables.wwTableSoluc.databaseName(), "c:\\mtemp");
    {
        support::ScopedEnvironment drive("EDUCA_DRIVE_C", driveC.path().string());
        exportDocument(tables, out() / "educa.xml", options);
    }
    EXPECT_EQ(readFile(outputFile()), SchoolDocument);
    EXPECT_EQ(tables.wwTableSoluc.databaseName(), "c:\\mtemp");
}
#endif

// After a failed export into a missing folder, the same tables export there once it exists.
TEST_F(ExportRunTest, aFailedExportLeavesTheTablesReadyForTheNext)
{
    const auto target = platform::pathText(out() / "nueva" / "educa.xml");
    const auto failure = runFailure(target);
    EXPECT_NE(failure.find("No se puede escribir el archivo '" + target + "'"), std::string::npos) << failure;
    fs::create_directory(out() / "nueva");
    run(target);
    EXPECT_EQ(readFile(target), SchoolDocument);
}

struct FailureCase
{
    const char* name;
    const char* oddTable; // replaces tableFile; nullptr: tableFile is removed
    const char* tableFile; // nullptr: the document cannot be saved
    const char* expected; // the failure's text, or a part of it when partial is set
    bool partial;
    std::vector<bool> openAfter; // which tables the failure leaves open
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExportRunFailureTest : public ExportRunTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ExportRunFailureTest, writesNothingAndLeavesTheExistingFileAlone)
{
    const auto& c = GetParam();
    std::string target = outputFile();
    if (c.tableFile == nullptr)
        target = platform::pathText(out() / "falta" / "educa.xml");
    else if (c.oddTable == nullptr)
        fs::remove(datos() / c.tableFile);
    else
        replaceTable(c.oddTable, c.tableFile);
    writeFile(outputFile(), "documento anterior\n");

    const auto failure = runFailure(target);
    if (c.partial)
        EXPECT_NE(failure.find(c.expected), std::string::npos) << failure;
    else
        EXPECT_EQ(failure, c.expected);
    EXPECT_EQ(readFile(outputFile()), "documento anterior\n");
    EXPECT_EQ(folderEntries(out()), std::vector<std::string> {"educa.xml"});
    EXPECT_EQ(activeTables(), c.openAfter);
}

INSTANTIATE_TEST_SUITE_P(Failures, ExportRunFailureTest,
    ::testing::Values(
        FailureCase {"missingField", "NOMASG_NOACTIV.DBF", "NOMASG.DBF",
            "wwTableNomAsg: No se encuentra el campo 'ACTIV'", false, {false, true, false, false, false, false}},
        FailureCase {"missingTable", nullptr, "AULA.DBF", "No se encuentra la tabla", true,
            {false, false, false, false, false, false}},
        FailureCase {"notAnInteger", "GRUP_BADMAX.DBF", "GRUP.DBF", "'x' no es un valor entero válido", false,
            {false, false, false, true, false, false}},
        FailureCase {"controlCharacter", "PROF_CONTROL.DBF", "PROF.DBF",
            "wwTableProfesor: El campo 'NOMBRE' de la fila 3 de la tabla PROF contiene el carácter U+0001, "
            "que no se puede escribir en XML",
            false, {false, false, true, false, false, false}},
        FailureCase {"unwritableFolder", nullptr, nullptr, "No se puede escribir el archivo '", true,
            {false, false, false, false, false, false}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(ExportRunTest, nextRunRereadsTheTableLeftOpenFromItsFirstRow)
{
    replaceTable("GRUP_BADMAX.DBF", "GRUP.DBF");
    const auto first = runFailure();
    EXPECT_EQ(first, "'x' no es un valor entero válido");
    ASSERT_TRUE(tables.wwTableGrupos.active());
    // Past the bad row: a run that went on from here would find only good rows.
    tables.wwTableGrupos.next();
    ASSERT_FALSE(tables.wwTableGrupos.eof());
    EXPECT_EQ(tables.wwTableGrupos.fieldByName("ABREV").asString(), "1EC");

    EXPECT_EQ(runFailure(), first);
    EXPECT_FALSE(fs::exists(outputFile()));
}

#ifndef _WIN32
// (Python and lxml are Linux programs: the Windows build checks the same document against the Linux
// one instead, byte for byte.)
TEST_F(ExportRunTest, independentXmlReaderGivesTheTableTextsBack)
{
    if (std::system("/usr/bin/python3 -c 'import lxml.etree' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "/usr/bin/python3 with lxml is not available";
    run();

    // Every attribute as "element index attribute hex-of-UTF-8-value", one per line.
    const auto script = dir / "dump.py";
    writeFile(script,
        "import sys, lxml.etree as et\n"
        "root = et.parse(sys.argv[1]).getroot()\n"
        "for section in root:\n"
        "    for i, row in enumerate(section):\n"
        "        for k, v in row.attrib.items():\n"
        "            print(row.tag, i + 1, k, v.encode('utf-8').hex())\n");
    const auto dump = dir / "dump.txt";
    const auto command = "/usr/bin/python3 '" + script.string() + "' '" + outputFile() + "' > '" + dump.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::map<std::string, std::string> values;
    std::istringstream lines(readFile(dump));
    std::string tag, index, name, hex;
    while (lines >> tag >> index >> name) {
        std::getline(lines, hex);
        hex = hex.empty() ? hex : hex.substr(1);
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        values[tag + " " + index + " " + name] = bytes;
    }
    EXPECT_EQ(values["NOMASIGF 2 NOMBRE"], "Educación & \"Ciudadanía\" <Ñandú>");
    EXPECT_EQ(values["NOMASIGF 3 NOMBRE"], "Taller\tde teatro\r\nsegunda línea");
    EXPECT_EQ(values["NOMASIGF 4 NOMBRE"], "");
    EXPECT_EQ(values["PROFF 1 NOMBRE"], "Muñoz Goñi, Íñigo");
    EXPECT_EQ(values["PROFF 2 ABREV"], " *");
    EXPECT_EQ(values["AULAF 2 NOMBRE"], "Laboratorio de Física y Química");
    EXPECT_EQ(values["GRUPF 3 MAXALUM"], "-5");
    EXPECT_EQ(values["NOMASIGF 5 ABREV"], "*");
    EXPECT_EQ(values["GRUPF 6 ABREV"], "*");
    EXPECT_EQ(values.size(), 3u * 13 + 5u * 4 + 5u * 4 + 6u * 8 + 3u * 5 + 2u * 12);
}

#endif

} // namespace
} // namespace exporter
