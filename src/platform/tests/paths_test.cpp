#include "platform/paths.h"
#include "support/environment.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using support::ScopedEnvironment;

#ifdef _WIN32
constexpr char Separator = '\\';
constexpr const char* ProgramFile = "test_platform.exe";
#else
constexpr char Separator = '/';
constexpr const char* ProgramFile = "test_platform";
#endif

TEST(Paths, programDirectoryIsTheExecutablesFolderWithASeparator)
{
    std::string dir = platform::programDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), Separator);
    EXPECT_TRUE(fs::exists(platform::pathFromUtf8(dir) / ProgramFile)) << dir;
    platform::setProgramDirectoryOverride("/tmp/x");
    EXPECT_EQ(platform::programDirectory(), std::string("/tmp/x") + Separator);
    platform::setProgramDirectoryOverride("/tmp/y/");
    EXPECT_EQ(platform::programDirectory(), "/tmp/y/");
    platform::setProgramDirectoryOverride("");
    EXPECT_EQ(platform::programDirectory(), dir);
}

TEST(Paths, joinPutsOneSeparatorBetween)
{
    EXPECT_EQ(platform::joinPath("/a", "PROF.DBF"), fs::path("/a/PROF.DBF"));
    EXPECT_EQ(platform::joinPath("/a/", "PROF.DBF"), fs::path("/a/PROF.DBF"));
    EXPECT_EQ(platform::pathText(platform::joinPath(platform::pathFromUtf8("Año"), "educación.xml")),
        std::string("Año") + static_cast<char>(fs::path::preferred_separator) + "educación.xml");
}

#ifdef _WIN32

// Windows has drive letters of its own: a directory text is a real folder, c:\mtemp included.
TEST(Paths, directoryTextsAreRealFoldersOnWindows)
{
    ScopedEnvironment drive("EDUCA_DRIVE_C", "C:\\otra");
    EXPECT_EQ(platform::mapDirectory("c:\\mtemp"), fs::path(L"c:\\mtemp"));
    EXPECT_EQ(platform::mapDirectory("D:\\Año 2025\\Horario"), fs::path(L"D:\\A\u00F1o 2025\\Horario"));
}

#else

TEST(Paths, driveLettersMapThroughTheEnvironmentFirst)
{
    ScopedEnvironment drive("EDUCA_DRIVE_C", "/srv/morvanta");
    EXPECT_EQ(platform::mapDirectory("c:\\mtemp"), fs::path("/srv/morvanta/mtemp"));
    EXPECT_EQ(platform::mapDirectory("C:\\mtemp\\sub\\"), fs::path("/srv/morvanta/mtemp/sub/"));
    EXPECT_EQ(platform::mapDirectory("c:"), fs::path("/srv/morvanta"));
}

TEST(Paths, driveLettersFallBackToWinesMapping)
{
    ScopedEnvironment drive("EDUCA_DRIVE_D", std::nullopt);
    {
        ScopedEnvironment prefix("WINEPREFIX", "/opt/wine");
        EXPECT_EQ(platform::mapDirectory("D:\\datos"), fs::path("/opt/wine/dosdevices/d:/datos"));
    }
    ScopedEnvironment prefix("WINEPREFIX", std::nullopt);
    ScopedEnvironment home("HOME", "/home/ana");
    EXPECT_EQ(platform::mapDirectory("d:\\datos"), fs::path("/home/ana/.wine/dosdevices/d:/datos"));
}

TEST(Paths, directoriesWithoutADriveStayAsTheyAre)
{
    EXPECT_EQ(platform::mapDirectory("/var/lib/morvanta/"), fs::path("/var/lib/morvanta/"));
    EXPECT_EQ(platform::mapDirectory("datos\\horarios"), fs::path("datos/horarios"));
}

#endif

// What findFileNoCase answers for a name asked, with asig.dbf and PROF.DBF on disk (and, where the
// file system tells case apart, prof.dbf too).
struct Lookup
{
    const char* asked;
    const char* found; // nullptr: nothing
};

class FindFileNoCase : public ::testing::TestWithParam<Lookup>
{
};

TEST_P(FindFileNoCase, findsTheFileWhateverTheCase)
{
    support::TempFolder dir("educa-paths");
    std::ofstream(dir / "asig.dbf") << "x";
    std::ofstream(dir / "PROF.DBF") << "x";
#ifndef _WIN32
    std::ofstream(dir / "prof.dbf") << "x";
#endif
    const auto found = platform::findFileNoCase(dir.path(), GetParam().asked);
    if (GetParam().found == nullptr) {
        EXPECT_EQ(found, std::nullopt);
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->filename(), fs::path(GetParam().found));
        EXPECT_TRUE(fs::is_regular_file(*found));
    }
    EXPECT_EQ(platform::findFileNoCase(dir / "missing", GetParam().asked), std::nullopt);
}

const Lookup Lookups[] = {
#ifdef _WIN32
    // The file system ignores case and the name comes back as asked.
    {"Asig.DBF", "Asig.DBF"},
    {"prof.dbf", "prof.dbf"},
    {"Prof.Dbf", "Prof.Dbf"},
#else
    // The name comes back as on disk: the exact one when it exists, else the first in name order.
    {"Asig.DBF", "asig.dbf"},
    {"prof.dbf", "prof.dbf"},
    {"Prof.Dbf", "PROF.DBF"},
#endif
    {"AULA.DBF", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Names, FindFileNoCase, ::testing::ValuesIn(Lookups));

} // namespace
