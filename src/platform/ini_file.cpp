#include "platform/ini_file.h"

#include "platform/atomic_file.h"
#include "platform/ini_file_system.h"
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

constexpr std::string_view UnableToWrite = "Unable to write to ";
constexpr std::string_view DefaultLineEnding = "\r\n";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// ---------------------------------------------------------------------------------------------
// The text

struct Line
{
    std::string text; // without its ending
    std::string ending; // "\r\n", "\n", or empty for a last line without one
};

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        if (newline == std::string_view::npos) {
            lines.push_back({std::string(content), ""});
            break;
        }
        const bool crlf = newline > 0 && content[newline - 1] == '\r';
        const std::size_t textLength = crlf ? newline - 1 : newline;
        lines.push_back({std::string(content.substr(0, textLength)), crlf ? "\r\n" : "\n"});
        content.remove_prefix(newline + 1);
    }
    return lines;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
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

// The section name of a header line "[name]", or nothing for any other line. A header without its
// closing bracket runs to the end of the line.
std::optional<std::string_view> sectionName(std::string_view text)
{
    if (!text.starts_with('['))
        return std::nullopt;
    text.remove_prefix(1);
    return trimmed(text.substr(0, text.find(']')));
}

// The key name of a line inside a section: the text before "=", or the whole line for a key that has
// no value. Blank lines and ";" comments have none.
std::optional<std::string_view> keyName(std::string_view text)
{
    if (text.empty() || text.starts_with(';'))
        return std::nullopt;
    return trimmed(text.substr(0, text.find('=')));
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
    return UserError(std::string(UnableToWrite) + pathText(file));
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
    // Reading follows a symbolic link as the writer does, so the file read is the file replaced.
    const std::optional<std::string> old = readExisting(file);
    const std::string content = withProfileString(old.value_or(std::string()), section, key, value);
    try {
        writeFileAtomically(file, content);
    } catch (const FileWriteError&) {
        throw writeFailure(file);
    }
}

} // namespace platform
