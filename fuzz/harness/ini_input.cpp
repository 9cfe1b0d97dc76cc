#include "harness.h"
#include "platform/ini_file.h"
#include "platform/user_error.h"

#include <fmt/format.h>
#include <stdexcept>
#include <typeinfo>

namespace fuzzing {

namespace {

// The blanks of the system's profile reader: the C locale's white space and Ctrl+Z.
bool isProfileBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isProfileBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isProfileBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A name as the system compares it: without blanks, up to a NUL byte.
std::string_view nameOf(std::string_view text)
{
    text = trimBlanks(text);
    return text.substr(0, text.find('\0'));
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The lines of a text as the system's profile reader sees them: every CR, LF or CR LF ends one.
std::vector<std::string_view> lineTexts(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return lines;
}

// Reads a key the way the system's profile reader does: the first section of that name (a line that
// starts with "[" and holds a "]", named up to its last "]"), in it the first line whose text before
// "=" is the key; the value is what follows the "=".
std::optional<std::string> readKey(std::string_view content, std::string_view section, std::string_view key)
{
    bool inSection = false;
    bool first = true;
    for (std::string_view line : lineTexts(content)) {
        if (first && line.starts_with("\xEF\xBB\xBF"))
            line.remove_prefix(3);
        first = false;
        line = trimBlanks(line);
        if (line.starts_with('[') && line.rfind(']') != std::string_view::npos) {
            if (inSection)
                return std::nullopt;
            inSection = sameIgnoringAsciiCase(nameOf(line.substr(1, line.rfind(']') - 1)), section);
            continue;
        }
        if (!inSection || line.empty() || line.starts_with(';'))
            continue;
        const auto equals = line.find('=');
        if (sameIgnoringAsciiCase(nameOf(line.substr(0, equals)), key))
            return equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1));
    }
    return std::nullopt;
}

// Either one line was rewritten in its place (the key's) and all others stand as they were, or
// lines were only added, so that the old lines are all there in their order.
bool keepsOtherLines(std::string_view before, std::string_view after)
{
    const auto old = lineTexts(before);
    const auto now = lineTexts(after);
    if (old.size() == now.size()) {
        int changed = 0;
        for (std::size_t i = 0; i < old.size(); ++i)
            changed += old[i] != now[i] ? 1 : 0;
        return changed <= 1;
    }
    std::size_t j = 0;
    for (const auto& line : old) {
        while (j < now.size() && now[j] != line)
            ++j;
        if (j == now.size())
            return false;
        ++j;
    }
    return true;
}

} // namespace

std::optional<std::string> checkIniInput(std::string_view input, const std::filesystem::path& scratch)
{
    const auto parts = splitParts(input, 4);
    if (parts.size() < 4)
        return std::nullopt;
    const std::string_view section = parts[0];
    const std::string_view key = parts[1];
    const std::string_view value = parts[2];
    const std::string_view content = parts[3];

    std::string updated;
    try {
        updated = platform::withProfileString(content, section, key, value);
    } catch (const std::invalid_argument&) {
        return std::nullopt; // names the profile rules refuse
    } catch (const platform::UnsupportedProfileText&) {
        return std::nullopt; // a UTF-16 file, which only the system's functions edit
    } catch (const std::exception& other) {
        return fmt::format("unexpected exception {}: {}", typeid(other).name(), other.what());
    }

    const auto readBack = readKey(updated, trimBlanks(section), trimBlanks(key));
    if (!readBack)
        return "the key cannot be read back";
    if (trimBlanks(*readBack) != trimBlanks(value))
        return fmt::format("the key reads back as '{}'", *readBack);
    if (!keepsOtherLines(content, updated))
        return "other lines of the file changed";
    if (platform::withProfileString(updated, section, key, value) != updated)
        return "writing the same key again changed the file";

    // The same on a file: the file ends up with that text, and nothing else is left in its folder.
    const auto folder = scratch / "ini";
    resetFolder(folder);
    const auto file = folder / "Morvanta.ini";
    writeWholeFile(file, content);
    try {
        platform::writeProfileString(file, section, key, value);
    } catch (const platform::UserError& failure) {
        return fmt::format("writing the file failed: {}", failure.what());
    } catch (const std::exception& other) {
        return fmt::format("unexpected exception {}: {}", typeid(other).name(), other.what());
    }
    if (readWholeFile(file) != updated)
        return "the file holds another text than the one computed";
    if (folderNames(folder) != std::vector<std::string> {"Morvanta.ini"})
        return "files were left beside the ini file";
    return std::nullopt;
}

} // namespace fuzzing
