#include "app/logic/host_ini.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(HostIni, outcomeGoesUnderTransformadoresInTheProgramDirectory)
{
    const fs::path dir = fs::temp_directory_path() / "educa_host_ini_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string programDirectory = dir.string() + "/";
    EXPECT_EQ(app::logic::hostIniPath(programDirectory), dir / "Morvanta.ini");

    app::logic::writeOutcome(programDirectory, 1);
    app::logic::writeOutcome(programDirectory, 0);
    std::ifstream in(dir / "Morvanta.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[Transformadores]\r\nTransformado=0\r\n");
    fs::remove_all(dir);
}

} // namespace
