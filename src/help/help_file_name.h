#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace help {

// The compiled-help test: true when the text from the name's last "." to its end is ".chm", ASCII
// letters compared without regard to case. "EDUCA.CHM" passes; "EDUCA.chm " and "EDUCA" do not.
bool isCompiledHelpName(std::string_view name);

// True when the name has a directory part: it contains "\" or ":" (on Linux also "/", where a path
// such as "/opt/ayuda/EDUCA.chm" would otherwise be put behind the program directory).
bool hasDirectoryPart(std::string_view name);

// The help file that the engine is given: a name without a directory part gets the program
// directory in front of it ("EDUCA.chm" becomes "<program directory>EDUCA.chm"); a name with one
// ("D:\Ayuda\EDUCA.chm", "D:EDUCA.chm") and the empty name are answered unchanged.
std::string resolveHelpFile(std::string_view name, std::string_view programDirectory);

// The help file's path (UTF-8) in an ANSI code page, for the engine's narrow entry; nothing when a
// character of it has no place in that code page ("D:\Año 2025\EDUCA.chm" in code page 1251), where
// the narrow entry would get "?" and find no file.
std::optional<std::string> ansiHelpFile(std::string_view file, int codePage);

// Where a help file text lies on this system. On Windows the text is the path. Elsewhere it is mapped
// as the table directories are (backslashes become slashes, a drive letter "X:" goes to
// EDUCA_DRIVE_X or Wine's dosdevices), and the file name is found without regard to case when the
// exact spelling does not exist.
std::filesystem::path localHelpFilePath(std::string_view file);

} // namespace help
