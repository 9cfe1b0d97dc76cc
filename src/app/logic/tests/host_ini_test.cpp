#include "app/logic/host_ini.h"
#include "platform/paths.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TEST(HostIni, outcomeGoesUnderTransformadoresInTheProgramDirectory)
{
    const support::TempFolder temp("educa-host-ini");
    const fs::path& dir = temp.path();
    const std::string programDirectory = platform::pathText(dir) + static_cast<char>(fs::path::preferred_separator);
    EXPECT_EQ(app::logic::hostIniPath(programDirectory), dir / "Morvanta.ini");

    app::logic::writeOutcome(programDirectory, 1);
    app::logic::writeOutcome(programDirectory, 0);
    std::ifstream in(dir / "Morvanta.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[Transformadores]\r\nTransformado=0\r\n");
}

} // namespace
