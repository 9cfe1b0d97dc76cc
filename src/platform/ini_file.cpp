#include "platform/ini_file.h"

#include "platform/ini_file_system.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/user_error.h"

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view DefaultLineEnding = "\r\n";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
// The system reads a file that starts with a UTF-16 byte-order mark as UTF-16 text.
constexpr std::string_view Utf16LeBom = "\xFF\xFE";
constexpr std::string_view Utf16BeBom = "\xFE\xFF";

// ---------------------------------------------------------------------------------------------
// The text

struct Line
{
    std::string text; // without its ending
    std::string ending; // "\r\n", "\n", "\r", or empty for a last line without one
};

// The system's profile reader ends a line at every carriage return and at every line feed, so a lone
// CR (an old Mac line ending, or a stray one inside a line) starts a new line as LF does.
std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t end = content.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back({std::string(content), ""});
            break;
        }
        const bool crlf = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
        const std::size_t endingLength = crlf ? 2 : 1;
        lines.push_back({std::string(content.substr(0, end)), std::string(content.substr(end, endingLength))});
        content.remove_prefix(end + endingLength);
    }
    return lines;
}

// The blanks that the system's reader strips around lines and names: the C locale's white space and
// the end-of-file mark Ctrl+Z (0x1A) that old editors left behind.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A name as the system compares it: without its blanks, and ending at a NUL byte.
std::string_view nameOf(std::string_view text)
{
    text = trimmed(text);
    return text.substr(0, text.find('\0'));
}

// The text of a line as the profile rules see it (a UTF-8 byte-order mark at the file's start is no
// part of the first line's text).
std::string_view meaningfulText(const std::vector<Line>& lines, std::size_t index)
{
    std::string_view text = lines[index].text;
    if (index == 0 && text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    return trimmed(text);
}

// The section name of a header line "[name]", or nothing for any other line. The name runs to the
// line's last "]"; a line without one is no header but an ordinary line of the section before it.
std::optional<std::string_view> sectionName(std::string_view text)
{
    const std::size_t close = text.rfind(']');
    if (!text.starts_with('[') || close == std::string_view::npos)
        return std::nullopt;
    return nameOf(text.substr(1, close - 1));
}

// The key name of a line inside a section: the text before "=", or the whole line for a key that has
// no value. Blank lines and ";" comments have none.
std::optional<std::string_view> keyName(std::string_view text)
{
    if (text.empty() || text.starts_with(';'))
        return std::nullopt;
    return nameOf(text.substr(0, text.find('=')));
}

bool hasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void checkArguments(std::string_view section, std::string_view key, std::string_view value)
{
    if (section.empty() || key.empty())
        throw std::invalid_argument("ini section and key must not be empty");
    if (hasLineBreakOrNul(section) || hasLineBreakOrNul(key) || hasLineBreakOrNul(value))
        throw std::invalid_argument("ini section, key and value must be single lines");
    if (section.find(']') != std::string_view::npos)
        throw std::invalid_argument("ini section name must not contain ']'");
    // Names are matched without their surrounding blanks, so a key that starts with "[" or ";" after
    // its blanks would be written as a section header or a comment.
    const std::string_view bareKey = trimmed(key);
    if (bareKey.empty() || trimmed(section).empty())
        throw std::invalid_argument("ini section and key must not be blank");
    if (key.find('=') != std::string_view::npos || bareKey.starts_with('[') || bareKey.starts_with(';'))
        throw std::invalid_argument("ini key name must not contain '=' or start with '[' or ';'");
}

std::string joinLines(const std::vector<Line>& lines)
{
    std::string content;
    for (const Line& line : lines) {
        content += line.text;
        content += line.ending;
    }
    return content;
}

// Puts a new line after the given one. A file without a final line ending keeps lacking it.
void insertAfter(std::vector<Line>& lines, std::size_t index, std::string text, std::string_view lineEnding)
{
    Line added {std::move(text), std::string(lineEnding)};
    if (lines[index].ending.empty()) {
        lines[index].ending = lineEnding;
        added.ending.clear();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::move(added));
}

// ---------------------------------------------------------------------------------------------
// The file

UserError writeFailure(const fs::path& file)
{
    return UserError(messages::UnableToWrite + pathText(file));
}

// The file's bytes, or nothing when it does not exist. Throws for any other failure.
std::optional<std::string> readExisting(const fs::path& file)
{
    detail::IniFileBytes bytes = detail::readIniFileBytes(file);
    if (!bytes.readable)
        throw writeFailure(file);
    if (!bytes.exists)
        return std::nullopt;
    return std::move(bytes.content);
}

} // namespace

std::string withProfileString(
    std::string_view content, std::string_view section, std::string_view key, std::string_view value)
{
    checkArguments(section, key, value);
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || key.empty())
        throw std::invalid_argument("ini section and key must not be blank");

    if (content.starts_with(Utf16LeBom) || content.starts_with(Utf16BeBom))
        throw UnsupportedProfileText("ini file in UTF-16");

    std::vector<Line> lines = splitLines(content);
    const std::string lineEnding
        = !lines.empty() && !lines.front().ending.empty() ? lines.front().ending : std::string(DefaultLineEnding);
    const std::string keyLine = std::string(key) + "=" + std::string(value);

    std::optional<std::size_t> header;
    for (std::size_t i = 0; i < lines.size() && !header; ++i) {
        const auto name = sectionName(meaningfulText(lines, i));
        if (name && equalsAsciiNoCase(*name, section))
            header = i;
    }

    if (!header) {
        const std::string headerLine = "[" + std::string(section) + "]";
        if (lines.empty()) {
            lines.push_back({headerLine, lineEnding});
            lines.push_back({keyLine, lineEnding});
            return joinLines(lines);
        }
        std::size_t last = lines.size() - 1;
        if (!meaningfulText(lines, last).empty()) {
            insertAfter(lines, last, "", lineEnding);
            ++last;
        }
        insertAfter(lines, last, headerLine, lineEnding);
        insertAfter(lines, last + 1, keyLine, lineEnding);
        return joinLines(lines);
    }

    std::size_t lastNonBlank = *header;
    for (std::size_t i = *header + 1; i < lines.size(); ++i) {
        const std::string_view text = meaningfulText(lines, i);
        if (sectionName(text))
            break;
        if (!text.empty())
            lastNonBlank = i;
        const auto name = keyName(text);
        if (name && equalsAsciiNoCase(*name, key)) {
            std::string& line = lines[i].text;
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos) {
                line.replace(equals + 1, std::string::npos, value);
            } else {
                // A key written without "=": it gets one.
                while (!line.empty() && isBlank(line.back()))
                    line.pop_back();
                line += "=";
                line += value;
            }
            return joinLines(lines);
        }
    }

    insertAfter(lines, lastNonBlank, keyLine, lineEnding);
    return joinLines(lines);
}

void writeProfileString(const fs::path& file, std::string_view section, std::string_view key, std::string_view value)
{
    checkArguments(section, key, value);
    // Reading follows a symbolic link as the writer does, so the file read is the file replaced.
    const std::optional<std::string> old = readExisting(file);
    if (!detail::setProfileKey(file, old, trimmed(section), trimmed(key), value))
        throw writeFailure(file);
}

} // namespace platform
