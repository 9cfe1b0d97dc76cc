#pragma once

#include <filesystem>
#include <string>

// How each system reads an ini file's bytes (ini_file_posix.cpp, ini_file_win32.cpp).
namespace platform::detail {

struct IniFileBytes
{
    bool exists = false; // false: there is no such file (nor its folder)
    bool readable = true; // false: it is there but cannot be read, or is no regular file
    std::string content;
};

IniFileBytes readIniFileBytes(const std::filesystem::path& file);

} // namespace platform::detail
