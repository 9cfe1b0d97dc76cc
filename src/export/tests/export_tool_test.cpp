#include "export/export_tool.h"
#include "export/failure_text.h"
#include "golden.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace exporter {
namespace {

using test::copyFixture;
using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

// --- The argument reader -------------------------------------------------------------------------

struct ArgumentsCase
{
    std::vector<std::string_view> arguments;
    ToolRequest::Action action;
    std::string dataDirectory; // "" when absent
    std::string solucDirectory;
    std::string output;
    std::string problem;
};

class ParseToolArgumentsTest : public ::testing::TestWithParam<ArgumentsCase>
{
};

TEST_P(ParseToolArgumentsTest, readsOptions)
{
    const auto& c = GetParam();
    const auto request = parseToolArguments(c.arguments);
    EXPECT_EQ(request.action, c.action);
    EXPECT_EQ(request.dataDirectory.value_or(""), c.dataDirectory);
    EXPECT_EQ(request.solucDirectory.value_or(""), c.solucDirectory);
    EXPECT_EQ(request.output, c.output);
    EXPECT_EQ(request.problem, c.problem);
}

using Action = ToolRequest::Action;

INSTANTIATE_TEST_SUITE_P(CommandLine, ParseToolArgumentsTest,
    ::testing::Values(ArgumentsCase {{"--salida", "a.xml"}, Action::Export, "", "", "a.xml", ""},
        ArgumentsCase {{"-o", "a.xml", "-d", "datos", "-s", "mtemp"}, Action::Export, "datos", "mtemp", "a.xml", ""},
        ArgumentsCase {
            {"--datos=/x y", "--soluc", "-raro", "--salida=b.xml"}, Action::Export, "/x y", "-raro", "b.xml", ""},
        ArgumentsCase {{"--ayuda"}, Action::Help, "", "", "", ""},
        ArgumentsCase {{"-o", "a.xml", "--help"}, Action::Help, "", "", "", ""},
        ArgumentsCase {{"--version", "--bogus"}, Action::Version, "", "", "", ""},
        ArgumentsCase {{}, Action::WrongArguments, "", "", "", "Falta la opción --salida"},
        ArgumentsCase {{"--datos", "d"}, Action::WrongArguments, "", "", "", "Falta la opción --salida"},
        ArgumentsCase {{"--salida"}, Action::WrongArguments, "", "", "", "Falta el valor de la opción '--salida'"},
        ArgumentsCase {
            {"--salida="}, Action::WrongArguments, "", "", "", "La opción '--salida' no admite un valor vacío"},
        ArgumentsCase {{"-o", "a", "--salida", "b"}, Action::WrongArguments, "", "", "",
            "La opción '--salida' se ha indicado más de una vez"},
        ArgumentsCase {{"-x"}, Action::WrongArguments, "", "", "", "Opción desconocida: '-x'"},
        ArgumentsCase {{"--salida", "a", "--datos=d", "--otro=1"}, Action::WrongArguments, "", "", "",
            "Opción desconocida: '--otro=1'"},
        ArgumentsCase {{"a.xml"}, Action::WrongArguments, "", "", "", "Argumento no esperado: 'a.xml'"},
        ArgumentsCase {{"-o", "a.xml", "-"}, Action::WrongArguments, "", "", "", "Argumento no esperado: '-'"}));

struct SummaryCase
{
    std::size_t rows;
    std::string_view line;
};

class SectionSummaryTest : public ::testing::TestWithParam<SummaryCase>
{
};

TEST_P(SectionSummaryTest, countsRowsInSpanish)
{
    EXPECT_EQ(sectionSummaryLine("AULAT", GetParam().rows), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(RowCounts, SectionSummaryTest,
    ::testing::Values(SummaryCase {0, "AULAT: 0 filas"}, SummaryCase {1, "AULAT: 1 fila"},
        SummaryCase {2, "AULAT: 2 filas"}, SummaryCase {920, "AULAT: 920 filas"}));

// --- The built program ---------------------------------------------------------------------------

using support::ProgramResult;

class ExportToolProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        copyFixture("school", dir, "datos");
        fs::rename(dir / "datos" / "mtemp", dir / "mtemp");
        fs::create_directory(dir / "out");
    }

    // Runs educa-export, on POSIX systems in the C locale (so "." is the decimal separator and
    // system texts are the untranslated ones this process also gets). Under Wine the locale stays the
    // test's own UTF-8 one (Wine needs it for file names), whose regional settings also give ".".
    ProgramResult runProgram(const std::vector<std::string>& arguments)
    {
#ifdef _WIN32
        const std::vector<std::pair<std::string, std::optional<std::string>>> environment;
#else
        const std::vector<std::pair<std::string, std::optional<std::string>>> environment {
            {"LC_ALL", "C"}, {"LANG", "C"}};
#endif
        return support::runProgram(EDUCA_EXPORT_PATH, arguments, environment, dir.path());
    }

    std::string output() const
    {
        return platform::pathText(dir / "out" / "educa.xml");
    }
    std::vector<std::string> exportArguments() const
    {
        return {"--datos", platform::pathText(dir / "datos"), "-s", platform::pathText(dir / "mtemp"), "-o", output()};
    }

    TempDir dir;
};

TEST_F(ExportToolProgramTest, successPrintsTheMessageAndOneLinePerSection)
{
    const auto result = runProgram(exportArguments());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
        "Proceso finalizado\n"
        "ASIGT: 3 filas\n"
        "NOMASIGT: 5 filas\n"
        "PROFT: 5 filas\n"
        "GRUPT: 6 filas\n"
        "AULAT: 3 filas\n"
        "SOLUCT: 2 filas\n");
    EXPECT_EQ(result.err, "");
    const auto text = readFile(output());
    EXPECT_EQ(text.rfind(R"(<?xml version="1.0" encoding="UTF-8"?><SERVICIO autor="MORVANTA" fecha=")", 0), 0u);
    // The C locale's decimal separator, and SOLUC from --soluc rather than the decoy beside the data.
    EXPECT_NE(text.find(R"(HORASEM="2.5")"), std::string::npos);
    EXPECT_NE(text.find(R"(<SOLUCF ASIG="MAT1")"), std::string::npos);
    EXPECT_EQ(text.find("DECO"), std::string::npos);
    EXPECT_EQ(folderEntries(dir / "out"), std::vector<std::string> {"educa.xml"});
}

TEST_F(ExportToolProgramTest, failureGivesTheErrorBoxTextAndLeavesTheFileAlone)
{
    fs::copy_file(
        test::fixture("odd/NOMASG_NOACTIV.DBF"), dir / "datos" / "NOMASG.DBF", fs::copy_options::overwrite_existing);
    writeFile(output(), "documento anterior\n");
    const auto result = runProgram(exportArguments());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    // The text ends with a quote, which comes before ".": no period is added.
    EXPECT_EQ(result.err, "wwTableNomAsg: No se encuentra el campo 'ACTIV'\n");
    EXPECT_EQ(readFile(output()), "documento anterior\n");
    EXPECT_EQ(folderEntries(dir / "out"), std::vector<std::string> {"educa.xml"});
}

TEST_F(ExportToolProgramTest, unwritableOutputFailsWithTheSystemText)
{
    const auto target = platform::pathText(dir / "out" / "falta" / "educa.xml");
    auto arguments = exportArguments();
    arguments.back() = target;
    const auto result = runProgram(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
        errorBoxText("No se puede escribir el archivo '" + target + "': " + test::missingFolderText()) + "\n");
    EXPECT_TRUE(folderEntries(dir / "out").empty());
}

TEST_F(ExportToolProgramTest, exportsTheSampleSchool)
{
    const fs::path sample = EDUCA_SAMPLE_DIR;
    const auto result
        = runProgram({"-d", (sample / "datos").string(), "-s", (sample / "mtemp").string(), "-o", output()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    // Three teachers and two rooms of the sample are placeholders ("*").
    EXPECT_EQ(result.out,
        "Proceso finalizado\n"
        "ASIGT: 355 filas\n"
        "NOMASIGT: 152 filas\n"
        "PROFT: 60 filas\n"
        "GRUPT: 30 filas\n"
        "AULAT: 38 filas\n"
        "SOLUCT: 920 filas\n");
    const auto text = readFile(output());
    EXPECT_NE(text.find(R"(NOMBRE="Aula 101")"), std::string::npos);
    EXPECT_NE(text.find("ñ"), std::string::npos);
    EXPECT_EQ(text.find(R"(ABREV="*")"), std::string::npos);
    EXPECT_TRUE(golden::matchesApartFromFecha("sample.xml", text));
}

// Folder and file names beyond ASCII arrive whole (on Windows the program takes its arguments in
// UTF-16), and the messages name them in UTF-8.
TEST_F(ExportToolProgramTest, namesBeyondAsciiArriveWhole)
{
    const fs::path datos = dir / "Año 2025" / "Horario";
    fs::create_directories(datos.parent_path());
    fs::rename(dir / "datos", datos);
    const std::string output = platform::pathText(dir / "out" / platform::pathFromUtf8("educación.xml"));
    const auto result = runProgram(
        {"--datos", platform::pathText(datos), "-s", platform::pathText(dir / "mtemp"), "--salida=" + output});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("Proceso finalizado\n", 0), 0u) << result.out;
    EXPECT_EQ(folderEntries(dir / "out"), std::vector<std::string> {"educación.xml"});

    fs::remove(datos / "PROF.DBF");
    const auto failure
        = runProgram({"-d", platform::pathText(datos), "-s", platform::pathText(dir / "mtemp"), "-o", output});
    EXPECT_EQ(failure.exitCode, 1);
    EXPECT_NE(failure.err.find(platform::pathText(datos)), std::string::npos) << failure.err;
}

TEST_F(ExportToolProgramTest, wrongArgumentsExitWithTwoAndTheUsage)
{
    const auto result = runProgram({"-x", "-o", (dir / "out" / "educa.xml").string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
        "Opción desconocida: '-x'\n"
        "Uso: educa-export [--datos DIRECTORIO] [--soluc DIRECTORIO] --salida FICHERO\n"
        "Use --ayuda para ver las opciones.\n");
    EXPECT_TRUE(folderEntries(dir / "out").empty());
}

TEST_F(ExportToolProgramTest, helpAndVersionGoToStandardOutput)
{
    const auto help = runProgram({"--ayuda"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Uso: educa-export", 0), 0u);
    EXPECT_NE(help.out.find("--soluc DIRECTORIO"), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(runProgram({"--help"}).out, help.out);

    const auto version = runProgram({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("educa-export ") + EDUCA_VERSION_TEXT + "\n");
}

} // namespace
} // namespace exporter
