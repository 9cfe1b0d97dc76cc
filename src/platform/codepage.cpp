#include "platform/codepage.h"

#include "platform/codepage_system.h"

#include <string>

namespace platform {

namespace detail {

// Replaces every ill-formed sequence of a UTF-8 text by U+FFFD.
std::string sanitizeUtf8(std::string_view in)
{
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        auto b = static_cast<unsigned char>(in[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
        bool ok = extra > 0 && in.size() - i > static_cast<std::size_t>(extra);
        char32_t c = b & (0x3F >> extra);
        for (int k = 1; ok && k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(in[i + k]);
            if ((cb & 0xC0) != 0x80)
                ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (ok) {
            static constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
            if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
                ok = false;
        }
        if (ok) {
            out.append(in.substr(i, extra + 1));
            i += extra + 1;
        } else {
            out += Replacement;
            ++i;
        }
    }
    return out;
}

} // namespace detail

int codePageForLanguageDriver(std::uint8_t id)
{
    // Language driver byte -> code page, as dBase, FoxPro and Visual FoxPro write it.
    switch (id) {
    case 0x01:
        return 437;
    case 0x02:
        return 850;
    case 0x03:
        return 1252;
    case 0x04:
        return 10000;
    case 0x08:
        return 865;
    case 0x09:
        return 437;
    case 0x0A:
        return 850;
    case 0x0B:
        return 437;
    case 0x0C:
        return 850;
    case 0x0D:
        return 437;
    case 0x0E:
        return 850;
    case 0x0F:
        return 437;
    case 0x10:
        return 850;
    case 0x11:
        return 437;
    case 0x12:
        return 850;
    case 0x13:
        return 932;
    case 0x14:
        return 850;
    case 0x15:
        return 437;
    case 0x16:
        return 850;
    case 0x17:
        return 865;
    case 0x18:
        return 437;
    case 0x19:
        return 437;
    case 0x1A:
        return 850;
    case 0x1B:
        return 437;
    case 0x1C:
        return 863;
    case 0x1D:
        return 850;
    case 0x1F:
        return 852;
    case 0x22:
        return 852;
    case 0x23:
        return 852;
    case 0x24:
        return 860;
    case 0x25:
        return 850;
    case 0x26:
        return 866;
    case 0x37:
        return 850;
    case 0x40:
        return 852;
    case 0x4D:
        return 936;
    case 0x4E:
        return 949;
    case 0x4F:
        return 950;
    case 0x50:
        return 874;
    case 0x57:
        return 1252;
    case 0x58:
        return 1252;
    case 0x59:
        return 1252;
    case 0x64:
        return 852;
    case 0x65:
        return 866;
    case 0x66:
        return 865;
    case 0x67:
        return 861;
    case 0x6A:
        return 737;
    case 0x6B:
        return 857;
    case 0x6C:
        return 863;
    case 0x78:
        return 950;
    case 0x79:
        return 949;
    case 0x7A:
        return 936;
    case 0x7B:
        return 932;
    case 0x7C:
        return 874;
    case 0x7D:
        return 1255;
    case 0x7E:
        return 1256;
    case 0x86:
        return 737;
    case 0x87:
        return 852;
    case 0x88:
        return 857;
    case 0x96:
        return 10007;
    case 0x97:
        return 10029;
    case 0x98:
        return 10006;
    case 0xC8:
        return 1250;
    case 0xC9:
        return 1251;
    case 0xCA:
        return 1254;
    case 0xCB:
        return 1253;
    case 0xCC:
        return 1257;
    default:
        return 0;
    }
}

int codePageForDriverName(std::string_view name)
{
    std::string upper;
    for (char c : name) {
        if (c == '\0')
            break;
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    while (!upper.empty() && upper.back() == ' ')
        upper.pop_back();
    if (upper.empty())
        return 0;
    if (upper == "DBHEBREW")
        return 862;
    if (upper == "DB437GR0")
        return 737;
    if (upper.find("WIN") != std::string::npos)
        return 1252;
    // "DB" + code page + locale + digit (DB850ES0), "BGDB868", FoxPro-style names with the code page in them.
    std::size_t i = upper.find_first_of("0123456789");
    while (i != std::string::npos) {
        std::size_t j = i;
        while (j < upper.size() && upper[j] >= '0' && upper[j] <= '9')
            ++j;
        if (j - i == 3 || j - i == 4)
            return std::stoi(upper.substr(i, j - i));
        i = upper.find_first_of("0123456789", j);
    }
    return 0;
}

bool isCodePageSupported(int codePage)
{
    return codePage == detail::Utf8CodePage || detail::systemSupports(codePage);
}

std::string toUtf8(std::string_view bytes, int codePage)
{
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return std::string(bytes);
    if (codePage == detail::Utf8CodePage)
        return detail::sanitizeUtf8(bytes);
    std::optional<std::string> converted = detail::systemToUtf8(bytes, codePage);
    return converted ? std::move(*converted) : detail::sanitizeUtf8(bytes);
}

std::string fromUtf8(std::string_view utf8, int codePage)
{
    std::string valid = detail::sanitizeUtf8(utf8);
    if (codePage == detail::Utf8CodePage)
        return valid;
    std::optional<std::string> converted = detail::systemFromUtf8(valid, codePage);
    return converted ? std::move(*converted) : valid;
}

} // namespace platform
