#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// Sets key=value in [section] of a private profile (ini) file, keeping every other byte of the file.
// Section and key names match without regard to ASCII case and to blanks around them; the first
// matching section and, in it, the first matching key are used. A found key keeps its line up to and
// including "=" and gets the new value; a missing key is added after the last non-blank line of the
// section; a missing section is added at the end of the file (after a blank line); a missing file is
// created. New lines take the file's line ending (CR LF for a new file).
// The new text goes to a temporary file in the same folder, which is flushed to disk and then renamed
// over the old file (whose permissions it keeps), so the old file is either whole or replaced.
// Throws UserError("Unable to write to <path>") when the file cannot be read or written; the old file
// is then untouched and no temporary file is left. Throws std::invalid_argument for an empty section
// or key, a section with "]", a key with "=" or starting with "[" or ";", or any line break or NUL.
void writeProfileString(
    const std::filesystem::path& file, std::string_view section, std::string_view key, std::string_view value);

// The text of an ini file after setting key=value in [section], by the rules of writeProfileString.
std::string withProfileString(
    std::string_view content, std::string_view section, std::string_view key, std::string_view value);

} // namespace platform
