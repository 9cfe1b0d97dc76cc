#include "platform/paths.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Paths, programDirectoryIsTheExecutablesFolderWithASeparator)
{
    std::string dir = platform::programDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(dir) / "test_platform"));
    platform::setProgramDirectoryOverride("/tmp/x");
    EXPECT_EQ(platform::programDirectory(), "/tmp/x/");
    platform::setProgramDirectoryOverride("");
    EXPECT_EQ(platform::programDirectory(), dir);
}

TEST(Paths, driveLettersMapThroughTheEnvironmentFirst)
{
    ScopedEnv drive("EDUCA_DRIVE_C", "/srv/morvanta");
    EXPECT_EQ(platform::mapDirectory("c:\\mtemp"), fs::path("/srv/morvanta/mtemp"));
    EXPECT_EQ(platform::mapDirectory("C:\\mtemp\\sub\\"), fs::path("/srv/morvanta/mtemp/sub/"));
    EXPECT_EQ(platform::mapDirectory("c:"), fs::path("/srv/morvanta"));
}

TEST(Paths, driveLettersFallBackToWinesMapping)
{
    ScopedEnv drive("EDUCA_DRIVE_D", nullptr);
    {
        ScopedEnv prefix("WINEPREFIX", "/opt/wine");
        EXPECT_EQ(platform::mapDirectory("D:\\datos"), fs::path("/opt/wine/dosdevices/d:/datos"));
    }
    ScopedEnv prefix("WINEPREFIX", nullptr);
    ScopedEnv home("HOME", "/home/ana");
    EXPECT_EQ(platform::mapDirectory("d:\\datos"), fs::path("/home/ana/.wine/dosdevices/d:/datos"));
}

TEST(Paths, directoriesWithoutADriveStayAsTheyAre)
{
    EXPECT_EQ(platform::mapDirectory("/var/lib/morvanta/"), fs::path("/var/lib/morvanta/"));
    EXPECT_EQ(platform::mapDirectory("datos\\horarios"), fs::path("datos/horarios"));
    EXPECT_EQ(platform::joinPath("/a", "PROF.DBF"), fs::path("/a/PROF.DBF"));
    EXPECT_EQ(platform::joinPath("/a/", "PROF.DBF"), fs::path("/a/PROF.DBF"));
}

TEST(Paths, filesAreFoundWithoutRegardToCase)
{
    fs::path dir = fs::temp_directory_path() / "educa-paths-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "asig.dbf") << "x";
    std::ofstream(dir / "PROF.DBF") << "x";
    std::ofstream(dir / "prof.dbf") << "x";

    EXPECT_EQ(platform::findFileNoCase(dir, "Asig.DBF"), dir / "asig.dbf");
    EXPECT_EQ(platform::findFileNoCase(dir, "prof.dbf"), dir / "prof.dbf"); // the exact name wins
    EXPECT_EQ(platform::findFileNoCase(dir, "Prof.Dbf"), dir / "PROF.DBF"); // else the first in name order
    EXPECT_EQ(platform::findFileNoCase(dir, "AULA.DBF"), std::nullopt);
    EXPECT_EQ(platform::findFileNoCase(dir / "missing", "AULA.DBF"), std::nullopt);
    fs::remove_all(dir);
}

} // namespace
