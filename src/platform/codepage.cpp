#include "platform/codepage.h"

#include "platform/codepage_system.h"
#include "platform/codepage_table.h"
#include "platform/text.h"

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

namespace {

// Language driver byte -> code page, as dBase, FoxPro and Visual FoxPro write it; bytes not listed
// stand for no code page.
struct LanguageDriver
{
    std::uint8_t id;
    int codePage;
    const char* description;
};

constexpr LanguageDriver LanguageDrivers[] = {
    {0x01, 437, "US MS-DOS"},
    {0x02, 850, "International MS-DOS"},
    {0x03, 1252, "Windows ANSI"},
    {0x04, 10000, "Standard Macintosh"},
    {0x08, 865, "Danish OEM"},
    {0x09, 437, "Dutch OEM"},
    {0x0A, 850, "Dutch OEM (2nd)"},
    {0x0B, 437, "Finnish OEM"},
    {0x0C, 850, "Finnish OEM (2nd)"},
    {0x0D, 437, "French OEM"},
    {0x0E, 850, "French OEM (2nd)"},
    {0x0F, 437, "German OEM"},
    {0x10, 850, "German OEM (2nd)"},
    {0x11, 437, "Italian OEM"},
    {0x12, 850, "Italian OEM (2nd)"},
    {0x13, 932, "Japanese Shift-JIS"},
    {0x14, 850, "Spanish OEM (2nd)"},
    {0x15, 437, "Swedish OEM"},
    {0x16, 850, "Swedish OEM (2nd)"},
    {0x17, 865, "Norwegian OEM"},
    {0x18, 437, "Spanish OEM"},
    {0x19, 437, "English OEM (GB)"},
    {0x1A, 850, "English OEM (GB) (2nd)"},
    {0x1B, 437, "English OEM (US)"},
    {0x1C, 863, "French OEM (Canada)"},
    {0x1D, 850, "French OEM (Canada) (2nd)"},
    {0x1F, 852, "Czech OEM"},
    {0x22, 852, "Hungarian OEM"},
    {0x23, 852, "Polish OEM"},
    {0x24, 860, "Portuguese OEM"},
    {0x25, 850, "Portuguese/Brazil OEM (2nd)"},
    {0x26, 866, "Russian OEM"},
    {0x37, 850, "English OEM (US) (2nd)"},
    {0x40, 852, "Romanian OEM"},
    {0x4D, 936, "Chinese GBK (PRC)"},
    {0x4E, 949, "Korean"},
    {0x4F, 950, "Chinese Big5 (Taiwan)"},
    {0x50, 874, "Thai"},
    {0x57, 1252, "\"ANSI\" / current ANSI"},
    {0x58, 1252, "Western European ANSI"},
    {0x59, 1252, "Spanish ANSI"},
    {0x64, 852, "Eastern European MS-DOS"},
    {0x65, 866, "Russian MS-DOS"},
    {0x66, 865, "Nordic MS-DOS"},
    {0x67, 861, "Icelandic MS-DOS"},
    {0x6A, 737, "Greek MS-DOS (437G)"},
    {0x6B, 857, "Turkish MS-DOS"},
    {0x6C, 863, "French-Canadian MS-DOS"},
    {0x78, 950, "Traditional Chinese Windows"},
    {0x79, 949, "Korean Windows"},
    {0x7A, 936, "Simplified Chinese Windows"},
    {0x7B, 932, "Japanese Windows"},
    {0x7C, 874, "Thai Windows"},
    {0x7D, 1255, "Hebrew Windows"},
    {0x7E, 1256, "Arabic Windows"},
    {0x86, 737, "Greek OEM"},
    {0x87, 852, "Slovenian OEM"},
    {0x88, 857, "Turkish OEM"},
    {0x96, 10007, "Russian Macintosh"},
    {0x97, 10029, "Macintosh Eastern Europe"},
    {0x98, 10006, "Greek Macintosh"},
    {0xC8, 1250, "Eastern European Windows"},
    {0xC9, 1251, "Russian Windows"},
    {0xCA, 1254, "Turkish Windows"},
    {0xCB, 1253, "Greek Windows"},
    {0xCC, 1257, "Baltic Windows"},
};

} // namespace

int codePageForLanguageDriver(std::uint8_t id)
{
    for (const LanguageDriver& driver : LanguageDrivers) {
        if (driver.id == id)
            return driver.codePage;
    }
    return 0;
}

int codePageForDriverName(std::string_view name)
{
    std::string upper;
    for (char c : name) {
        if (c == '\0')
            break;
        upper += asciiUpper(c);
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

bool isMultiByteCodePage(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361
        || codePage == detail::Utf8CodePage;
}

bool isCodePageSupported(int codePage)
{
    return codePage == detail::Utf8CodePage || detail::systemCodePage(codePage) != detail::SystemCodePage::Unsupported;
}

std::string toUtf8(std::string_view bytes, int codePage)
{
    if (CodePageTable::isAscii(bytes))
        return std::string(bytes);
    if (codePage == detail::Utf8CodePage)
        return detail::sanitizeUtf8(bytes);
    std::string out;
    if (const CodePageTable* table = CodePageTable::forCodePage(codePage)) {
        table->appendUtf8(bytes, out);
        return out;
    }
    switch (detail::systemCodePage(codePage)) {
    case detail::SystemCodePage::SingleByte:
        for (char byte : bytes)
            out += detail::systemByteToUtf8(codePage, byte).value_or(detail::Replacement);
        return out;
    case detail::SystemCodePage::MultiByte:
        if (std::optional<std::string> converted = detail::systemToUtf8(bytes, codePage))
            return std::move(*converted);
        break;
    case detail::SystemCodePage::Unsupported:
        break;
    }
    return detail::sanitizeUtf8(bytes);
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
