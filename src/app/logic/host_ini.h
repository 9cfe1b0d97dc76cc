#pragma once

#include <filesystem>
#include <string_view>

namespace app::logic {

// The host program's ini file, in the program directory, and where the outcome goes in it.
inline constexpr std::string_view HostIniFileName = "Morvanta.ini";
inline constexpr std::string_view HostIniSection = "Transformadores";
inline constexpr std::string_view HostIniKey = "Transformado";

// The host ini file's path: the program directory (UTF-8 text ending with its separator, as
// platform::programDirectory() gives it) and the file name.
std::filesystem::path hostIniPath(std::string_view programDirectory);

// Writes the outcome flag as decimal text under "Transformado" in section "Transformadores" of the
// host ini file in the program directory. Throws platform::UserError("Unable to write to <path>")
// when the file cannot be written; the file is then as it was.
void writeOutcome(std::string_view programDirectory, int outcomeFlag);

} // namespace app::logic
