#include "platform/text.h"

#include "platform/text_system.h"

#include <string>

namespace platform {

namespace {

// Decodes one UTF-8 character at i; an ill-formed byte comes back as itself, marked above U+10FFFF.
char32_t nextChar(std::string_view s, std::size_t& i)
{
    auto b = static_cast<unsigned char>(s[i]);
    int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
    if (b < 0x80 || extra == 0 || s.size() - i <= static_cast<std::size_t>(extra)) {
        ++i;
        return b < 0x80 ? b : 0x110000 + b;
    }
    char32_t c = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto cb = static_cast<unsigned char>(s[i + k]);
        if ((cb & 0xC0) != 0x80) {
            ++i;
            return 0x110000 + b;
        }
        c = (c << 6) | (cb & 0x3F);
    }
    i += extra + 1;
    return c;
}

char32_t upper(char32_t c)
{
    if (c >= 0x110000)
        return c;
    if (c < 0x80)
        return static_cast<char32_t>(asciiUpper(static_cast<char>(c)));
    return detail::upperCase(c);
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (upper(nextChar(a, i)) != upper(nextChar(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiUpper(c);
    return out;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

} // namespace platform
