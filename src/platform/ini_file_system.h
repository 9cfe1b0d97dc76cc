#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// How each system reads and edits an ini file (ini_file_posix.cpp, ini_file_win32.cpp).
namespace platform::detail {

struct IniFileBytes
{
    bool exists = false; // false: there is no such file (nor its folder)
    bool readable = true; // false: it is there but cannot be read, or is no regular file
    std::string content;
};

IniFileBytes readIniFileBytes(const std::filesystem::path& file);

// Sets key=value in the file whose bytes were `old` (nothing: no such file), with names already
// checked and trimmed. False when the file cannot be written; the old file is then as it was.
bool setProfileKey(const std::filesystem::path& file, const std::optional<std::string>& old, std::string_view section,
    std::string_view key, std::string_view value);

} // namespace platform::detail
