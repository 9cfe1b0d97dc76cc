#include "export/xml_text.h"

#include "platform/codepage_table.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace exporter {

namespace {

bool isXmlChar(char32_t c)
{
    if (c < 0x20)
        return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c <= 0xD7FF)
        return true;
    if (c < 0xE000)
        return false;
    if (c <= 0xFFFD)
        return true;
    return c >= 0x10000 && c <= 0x10FFFF;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// How each byte below 0x80 is written in an attribute value: as it stands (empty), as a reference,
// or refused ("!").
struct AsciiRule
{
    const char* text[128];
    constexpr AsciiRule()
        : text {}
    {
        for (int c = 0; c < 0x20; ++c)
            text[c] = "!";
        text[static_cast<int>('\t')] = "&#9;";
        text[static_cast<int>('\n')] = "&#10;";
        text[static_cast<int>('\r')] = "&#13;";
        text[static_cast<int>('&')] = "&amp;";
        text[static_cast<int>('<')] = "&lt;";
        text[static_cast<int>('"')] = "&quot;";
    }
};
constexpr AsciiRule Ascii;

} // namespace

char* escapeAttributeText(std::string_view utf8, char* out, XmlTextProblem& problem)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            const char* rule = Ascii.text[c];
            if (rule == nullptr) {
                *out++ = static_cast<char>(c);
            } else if (rule[0] == '!') {
                problem = XmlTextProblem {XmlTextProblem::Kind::InvalidCharacter, c, i};
                return nullptr;
            } else {
                const std::size_t length = std::strlen(rule);
                std::memcpy(out, rule, length);
                out += length;
            }
            ++i;
            continue;
        }
        // A sequence of two to four bytes: checked as findXmlTextProblem checks it, then copied.
        const auto found = findXmlTextProblem(utf8.substr(i, std::min<std::size_t>(4, size - i)));
        std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (found && found->offset == 0) {
            problem = *found;
            problem.offset = i;
            return nullptr;
        }
        std::memcpy(out, bytes + i, length);
        out += length;
        i += length;
    }
    return out;
}

const EscapedCodePage& EscapedCodePage::of(const platform::CodePageTable& table)
{
    static std::mutex mutex;
    static std::map<const platform::CodePageTable*, std::unique_ptr<EscapedCodePage>> escaped;
    std::lock_guard lock(mutex);
    auto& slot = escaped[&table];
    if (!slot)
        slot.reset(new EscapedCodePage(table));
    return *slot;
}

EscapedCodePage::EscapedCodePage(const platform::CodePageTable& table)
{
    for (int b = 0; b < 256; ++b) {
        const std::string_view character = table.utf8(static_cast<unsigned char>(b));
        Entry& entry = m_entries[b];
        entry.utf8Length = static_cast<unsigned char>(character.size());
        XmlTextProblem problem;
        char* end = escapeAttributeText(character, entry.bytes, problem);
        if (end == nullptr) {
            entry.refused = true;
            entry.character = problem.character;
        } else {
            entry.length = static_cast<unsigned char>(end - entry.bytes);
        }
    }
}

char* EscapedCodePage::escape(std::string_view bytes, char* out, XmlTextProblem& problem, std::size_t& utf8Offset) const
{
    for (char byte : bytes) {
        const Entry& entry = m_entries[static_cast<unsigned char>(byte)];
        // Every entry is one well-formed character: only one that XML refuses stops the text.
        if (entry.refused) {
            problem = XmlTextProblem {XmlTextProblem::Kind::InvalidCharacter, entry.character, utf8Offset};
            return nullptr;
        }
        std::memcpy(out, entry.bytes, sizeof entry.bytes);
        out += entry.length;
        utf8Offset += entry.utf8Length;
    }
    return out;
}

std::optional<XmlTextProblem> findXmlTextProblem(std::string_view utf8)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t size = utf8.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        char32_t c = 0;
        std::size_t length = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F;
            length = 2;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F;
            length = 3;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07;
            length = 4;
            smallest = 0x10000;
        } else {
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        }
        if (i + length > size)
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        for (std::size_t k = 1; k < length; ++k) {
            if (!isContinuation(bytes[i + k]))
                return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return XmlTextProblem {XmlTextProblem::Kind::InvalidUtf8, 0, i};
        if (!isXmlChar(c))
            return XmlTextProblem {XmlTextProblem::Kind::InvalidCharacter, c, i};
        i += length;
    }
    return std::nullopt;
}

} // namespace exporter
