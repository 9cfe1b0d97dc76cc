#include "help/help_file_name.h"
#include "support/environment.h"
#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

struct CompiledHelpCase
{
    const char* name;
    bool passes;
};

void PrintTo(const CompiledHelpCase& c, std::ostream* out)
{
    *out << "'" << c.name << "'";
}

class CompiledHelpTest : public testing::TestWithParam<CompiledHelpCase>
{
};

TEST_P(CompiledHelpTest, lastExtensionDecides)
{
    EXPECT_EQ(help::isCompiledHelpName(GetParam().name), GetParam().passes) << "'" << GetParam().name << "'";
}

INSTANTIATE_TEST_SUITE_P(Names, CompiledHelpTest,
    testing::Values(CompiledHelpCase {"EDUCA.chm", true}, CompiledHelpCase {"EDUCA.CHM", true},
        CompiledHelpCase {"EDUCA.cHm", true}, CompiledHelpCase {"EDUCA.chm ", false}, CompiledHelpCase {"EDUCA", false},
        CompiledHelpCase {"", false}, CompiledHelpCase {"EDUCA.hlp", false}, CompiledHelpCase {"EDUCA.chm.bak", false},
        CompiledHelpCase {"EDUCA.chmx", false}, CompiledHelpCase {".chm", true},
        CompiledHelpCase {"D:\\Ayuda\\EDUCA.chm", true}, CompiledHelpCase {"D:\\Ayuda.chm\\EDUCA", false}));

struct ResolveCase
{
    const char* name;
    const char* expected; // "@" stands for the program directory
};

void PrintTo(const ResolveCase& c, std::ostream* out)
{
    *out << "'" << c.name << "'";
}

class ResolveTest : public testing::TestWithParam<ResolveCase>
{
};

TEST_P(ResolveTest, bareNamesGoBehindTheProgramDirectory)
{
    const std::string directory = "/opt/educa/bin/";
    std::string expected = GetParam().expected;
    if (const auto at = expected.find('@'); at != std::string::npos)
        expected.replace(at, 1, directory);
    EXPECT_EQ(help::resolveHelpFile(GetParam().name, directory), expected);
}

const ResolveCase ResolveCases[] = {
    {"EDUCA.chm", "@EDUCA.chm"},
    {"EDUCA.CHM", "@EDUCA.CHM"},
    {"", ""},
    {"D:\\Ayuda\\EDUCA.chm", "D:\\Ayuda\\EDUCA.chm"},
    {"D:EDUCA.chm", "D:EDUCA.chm"},
    {"Ayuda\\EDUCA.chm", "Ayuda\\EDUCA.chm"},
#ifndef _WIN32
    {"/usr/share/educa/EDUCA.chm", "/usr/share/educa/EDUCA.chm"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Names, ResolveTest, testing::ValuesIn(ResolveCases));

struct AnsiPathCase
{
    const char* name;
    std::string file; // UTF-8
    int codePage;
    std::optional<std::string> ansi; // nothing: the code page cannot hold the path
};

void PrintTo(const AnsiPathCase& c, std::ostream* out)
{
    *out << c.name;
}

class AnsiHelpFileTest : public testing::TestWithParam<AnsiPathCase>
{
};

// The narrow engine entry gets the path in the ANSI code page only when every character has its place
// there; otherwise nothing, so that the path goes to the wide entry instead of arriving with "?".
TEST_P(AnsiHelpFileTest, onlyAPathTheCodePageHolds)
{
    EXPECT_EQ(help::ansiHelpFile(GetParam().file, GetParam().codePage), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(CodePages, AnsiHelpFileTest,
    testing::Values(AnsiPathCase {"ascii", "C:\\Ayuda\\EDUCA.chm", 1252, "C:\\Ayuda\\EDUCA.chm"},
        AnsiPathCase {"spanishIn1252", "D:\\Año 2025\\EDUCA.chm", 1252, "D:\\A\xF1o 2025\\EDUCA.chm"},
        AnsiPathCase {"spanishIn1251", "D:\\Año 2025\\EDUCA.chm", 1251, std::nullopt},
        AnsiPathCase {"cyrillicIn1251", "D:\\Год\\EDUCA.chm", 1251, "D:\\\xC3\xEE\xE4\\EDUCA.chm"},
        AnsiPathCase {"cyrillicIn1252", "D:\\Год\\EDUCA.chm", 1252, std::nullopt},
        AnsiPathCase {"japaneseIn932", "D:\\あ\\EDUCA.chm", 932, "D:\\\x82\xA0\\EDUCA.chm"},
        // A look-alike letter is no place: "Ā" would become "A" or "?".
        AnsiPathCase {"lookAlikeIn1252", "D:\\Ā\\EDUCA.chm", 1252, std::nullopt},
        AnsiPathCase {"anyInUtf8", "D:\\Год Año\\EDUCA.chm", 65001, "D:\\Год Año\\EDUCA.chm"}),
    [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
class LocalHelpFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir / "Ayuda");
        std::ofstream(m_dir / "Ayuda" / "educa.chm") << "x";
        m_drive.emplace("EDUCA_DRIVE_D", m_dir.string());
    }
    void TearDown() override { m_drive.reset(); }
    support::TempFolder m_temp {"educa-help-path"};
    std::filesystem::path m_dir = m_temp.path();
    std::optional<support::ScopedEnvironment> m_drive;
};

TEST_F(LocalHelpFileTest, driveTextMapsLikeTableDirectoriesAndCaseIsIgnored)
{
    EXPECT_EQ(help::localHelpFilePath("D:\\Ayuda\\EDUCA.chm"), m_dir / "Ayuda" / "educa.chm");
    EXPECT_EQ(help::localHelpFilePath((m_dir / "Ayuda" / "EDUCA.CHM").string()), m_dir / "Ayuda" / "educa.chm");
}

TEST_F(LocalHelpFileTest, missingFileKeepsItsPath)
{
    EXPECT_EQ(help::localHelpFilePath("D:\\Otra\\EDUCA.chm"), m_dir / "Otra" / "EDUCA.chm");
}
#endif

} // namespace
