#include "app/logic/host_ini.h"

#include "platform/ini_file.h"
#include "platform/paths.h"

#include <string>

namespace app::logic {

std::filesystem::path hostIniPath(std::string_view programDirectory)
{
    // The directory text is UTF-8; a char8_t source makes the path read it so on every system.
    const std::u8string directory(programDirectory.begin(), programDirectory.end());
    return platform::joinPath(std::filesystem::path(directory), HostIniFileName);
}

void writeOutcome(std::string_view programDirectory, int outcomeFlag)
{
    platform::writeProfileString(
        hostIniPath(programDirectory), HostIniSection, HostIniKey, std::to_string(outcomeFlag));
}

} // namespace app::logic
