#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The running program's directory, ending with the path separator ("/" on Linux, "\" on Windows).
std::string programDirectory();

// Overrides programDirectory() (for tests and for tools that read their tables elsewhere).
// An empty text removes the override.
void setProgramDirectoryOverride(const std::string& directory);

// Turns a directory text of the timetable database into a path of this system.
// On Windows the text is used as it is. Elsewhere backslashes become slashes and a leading drive
// letter "X:" maps to the directory in the environment variable EDUCA_DRIVE_X when it is set, else
// to $WINEPREFIX/dosdevices/x: (WINEPREFIX defaulting to ~/.wine).
std::filesystem::path mapDirectory(std::string_view directoryText);

// A path from UTF-8 text (on Windows through UTF-16, never the ANSI code page).
std::filesystem::path pathFromUtf8(std::string_view text);

// Joins a directory and a file name, putting a separator between them where the directory lacks one.
std::filesystem::path joinPath(const std::filesystem::path& directory, std::string_view fileName);

// Finds a file in a directory without regard to the case of its name. Where the file system cares
// about case, prefers the exact name when it exists, else the first matching entry in name order,
// spelled as on disk; on Windows the file system ignores case itself and the name comes back as
// asked. Answers nothing when no entry matches.
std::optional<std::filesystem::path> findFileNoCase(const std::filesystem::path& directory, std::string_view fileName);

// A path as UTF-8 text, for messages.
std::string pathText(const std::filesystem::path& path);

} // namespace platform
