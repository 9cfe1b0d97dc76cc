#include "help/qt/html_text.h"

#include "platform/codepage.h"
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace help::qt {

namespace {

constexpr int Windows1252 = 1252;
constexpr int Utf8 = 65001;
// Only the head of a page is searched for its charset.
constexpr std::size_t CharsetSearchLength = 4096;

bool isCharsetChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.' || c == ':';
}

bool hasNonAscii(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// The code page of a charset name; nothing for one this reader does not know. ISO-8859-1 and ASCII are
// read as windows-1252, as browsers read them.
std::optional<int> codePageOfCharset(const std::string& charset)
{
    if (charset == "utf-8" || charset == "utf8")
        return Utf8;
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" || charset == "ascii"
        || charset == "iso8859-1")
        return Windows1252;
    if (charset == "iso-8859-15")
        return 28605;
    if (charset == "iso-8859-2")
        return 28592;
    for (std::string_view prefix : {"windows-", "cp", "x-cp"}) {
        if (charset.starts_with(prefix)) {
            const std::string digits = charset.substr(prefix.size());
            if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return std::stoi(digits);
        }
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Named references of HTML 4 that help texts in Spanish and their sitemaps use.
constexpr std::array<std::pair<std::string_view, std::uint32_t>, 44> NamedEntities {{
    {"amp", '&'},
    {"lt", '<'},
    {"gt", '>'},
    {"quot", '"'},
    {"apos", '\''},
    {"nbsp", 0xA0},
    {"iexcl", 0xA1},
    {"copy", 0xA9},
    {"laquo", 0xAB},
    {"reg", 0xAE},
    {"deg", 0xB0},
    {"middot", 0xB7},
    {"ordm", 0xBA},
    {"ordf", 0xAA},
    {"raquo", 0xBB},
    {"iquest", 0xBF},
    {"Aacute", 0xC1},
    {"Eacute", 0xC9},
    {"Iacute", 0xCD},
    {"Ntilde", 0xD1},
    {"Oacute", 0xD3},
    {"Uacute", 0xDA},
    {"Uuml", 0xDC},
    {"aacute", 0xE1},
    {"eacute", 0xE9},
    {"iacute", 0xED},
    {"ntilde", 0xF1},
    {"oacute", 0xF3},
    {"uacute", 0xFA},
    {"uuml", 0xFC},
    {"Agrave", 0xC0},
    {"Egrave", 0xC8},
    {"agrave", 0xE0},
    {"egrave", 0xE8},
    {"ccedil", 0xE7},
    {"Ccedil", 0xC7},
    {"euro", 0x20AC},
    {"ndash", 0x2013},
    {"mdash", 0x2014},
    {"hellip", 0x2026},
    {"lsquo", 0x2018},
    {"rsquo", 0x2019},
    {"ldquo", 0x201C},
    {"rdquo", 0x201D},
}};

std::optional<std::uint32_t> parseReference(std::string_view body)
{
    if (body.empty())
        return std::nullopt;
    if (body.front() == '#') {
        std::string_view digits = body.substr(1);
        int base = 10;
        if (!digits.empty() && (digits.front() == 'x' || digits.front() == 'X')) {
            base = 16;
            digits.remove_prefix(1);
        }
        if (digits.empty() || digits.size() > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
        }
        // No NUL, no surrogates, nothing beyond Unicode.
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
            return std::nullopt;
        return value;
    }
    for (const auto& [name, value] : NamedEntities) {
        if (name == body)
            return value;
    }
    return std::nullopt;
}

} // namespace

std::string declaredCharset(std::string_view html)
{
    const std::string head = platform::asciiLower(html.substr(0, CharsetSearchLength));
    std::size_t at = head.find("charset");
    while (at != std::string::npos) {
        std::size_t pos = at + 7;
        while (pos < head.size() && (head[pos] == ' ' || head[pos] == '\t'))
            ++pos;
        if (pos < head.size() && head[pos] == '=') {
            ++pos;
            while (pos < head.size() && (head[pos] == ' ' || head[pos] == '"' || head[pos] == '\''))
                ++pos;
            std::size_t end = pos;
            while (end < head.size() && isCharsetChar(head[end]))
                ++end;
            if (end > pos)
                return head.substr(pos, end - pos);
        }
        at = head.find("charset", at + 7);
    }
    return {};
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t length;
        std::uint32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string htmlToUtf8(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return std::string(bytes.substr(3));
    if (auto codePage = codePageOfCharset(declaredCharset(bytes))) {
        if (*codePage == Utf8)
            return std::string(bytes);
        if (platform::isCodePageSupported(*codePage))
            return platform::toUtf8(bytes, *codePage);
    }
    if (hasNonAscii(bytes) && isValidUtf8(bytes))
        return std::string(bytes);
    return platform::toUtf8(bytes, Windows1252);
}

std::string decodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '&') {
            const std::size_t semicolon = text.find(';', i + 1);
            // References are short; a lone "&" is plain text.
            if (semicolon != std::string_view::npos && semicolon - i <= 12) {
                if (auto cp = parseReference(text.substr(i + 1, semicolon - i - 1))) {
                    appendUtf8(out, *cp);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}

} // namespace help::qt
