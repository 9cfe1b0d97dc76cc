#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// Sets key=value in [section] of a private profile (ini) file as the system's profile functions read
// it: a line ends at every CR and every LF; blanks (space, tab, vertical tab, form feed, Ctrl+Z) around
// lines and names do not count; a header is a line "[name]" that starts with "[" and runs to its last
// "]"; a key line is any other line, named by its text before "=". Section and key names match without
// regard to ASCII case; the first matching section and, in it, the first matching key are used.
// On Windows the system's own WritePrivateProfileStringW writes the key into a copy of the file beside
// it, which then replaces the old file whole (keeping its attributes and security settings) once it
// is on the disk and reads, through the system's reader, as the old file with the key set; a copy
// that reads otherwise (cut by a full disk, or other lines read otherwise after the system's rewrite)
// gives way to the text of withProfileString. Where the copy cannot be made or put in the old file's
// place while the old file is still as it was (a protected folder, a program that holds the file
// open for reading and writing), the system writes the key in the file itself. Elsewhere the text
// of withProfileString replaces the old file through a flushed temporary file, whose permissions it
// keeps. Either way the old file is either whole or replaced, and a missing file is created.
// Throws UserError("Unable to write to <path>") when the file cannot be read or written (a read-only
// file and a full disk included); the old file is then untouched and no temporary file is left. Throws
// std::invalid_argument for an empty section or key, a section with "]", a key with "=" or starting
// with "[" or ";", or any line break or NUL.
void writeProfileString(
    const std::filesystem::path& file, std::string_view section, std::string_view key, std::string_view value);

// A file's text that the portable rules do not edit: one the system would read as UTF-16.
class UnsupportedProfileText : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The text of an ini file after setting key=value in [section], by the rules above, keeping every
// other byte: a found key keeps its line up to and including "=" and gets the new value; a missing key
// is added after the last non-blank line of the section; a missing section is added at the end of the
// file (after a blank line). New lines take the file's first line ending (CR LF for a new file).
// Throws UnsupportedProfileText for a text that starts with a UTF-16 byte-order mark, and
// std::invalid_argument as writeProfileString does.
std::string withProfileString(
    std::string_view content, std::string_view section, std::string_view key, std::string_view value);

} // namespace platform
