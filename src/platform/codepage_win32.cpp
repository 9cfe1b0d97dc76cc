// Code pages on Windows: MultiByteToWideChar and WideCharToMultiByte convert, GetACP and GetOEMCP
// name the system's code pages.
//
// Windows decodes some bytes that a code page leaves undefined: 0x81 of code page 1252 becomes U+0081,
// a lone lead byte of code page 932 becomes U+30FB. Such bytes become U+FFFD here, as with iconv on
// POSIX systems, so that a table reads the same on both.

#include "platform/codepage.h"
#include "platform/codepage_system.h"
#include "platform/wide_text.h"

#include <windows.h>

namespace platform {

namespace detail {

namespace {

// The ANSI code pages of Windows and its double-byte code pages (932's and 949's byte 0x80, for
// example) leave their undefined bytes to the C1 controls (U+0080 to U+009F), which none of them
// defines as a character. The ISO 8859 pages do define them.
bool leavesUndefinedBytesToC1(int codePage)
{
    return codePage == 874 || (codePage >= 1250 && codePage <= 1258) || codePage == 932 || codePage == 936
        || codePage == 949 || codePage == 950;
}

// The bytes decoded, or nothing when any of them is not part of a valid character.
std::optional<std::string> decodeStrict(int codePage, const char* bytes, int size)
{
    const int length = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, bytes, size, wide.data(), length)
        != length)
        return std::nullopt;
    if (leavesUndefinedBytesToC1(codePage)) {
        for (wchar_t c : wide) {
            if (c >= 0x80 && c <= 0x9F)
                return std::nullopt;
        }
    }
    return narrow(wide);
}

} // namespace

SystemCodePage systemCodePage(int codePage)
{
    CPINFO info {};
    if (!IsValidCodePage(static_cast<UINT>(codePage)) || !GetCPInfo(static_cast<UINT>(codePage), &info))
        return SystemCodePage::Unsupported;
    return info.MaxCharSize == 1 ? SystemCodePage::SingleByte : SystemCodePage::MultiByte;
}

std::optional<std::string> systemByteToUtf8(int codePage, char byte)
{
    return decodeStrict(codePage, &byte, 1);
}

std::optional<std::string> systemToUtf8(std::string_view bytes, int codePage)
{
    // Double-byte: the whole text at once when it is valid, else character by character, where a lead
    // byte without a valid trail byte becomes U+FFFD and the conversion goes on after it.
    if (std::optional<std::string> whole = decodeStrict(codePage, bytes.data(), static_cast<int>(bytes.size())))
        return whole;
    std::string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const int size = IsDBCSLeadByteEx(static_cast<UINT>(codePage), byte) ? 2 : 1;
        std::optional<std::string> character;
        if (i + static_cast<std::size_t>(size) <= bytes.size())
            character = decodeStrict(codePage, bytes.data() + i, size);
        if (character) {
            out += *character;
            i += static_cast<std::size_t>(size);
        } else {
            out += Replacement;
            ++i;
        }
    }
    return out;
}

std::optional<std::string> systemFromUtf8(std::string_view utf8, int codePage)
{
    if (systemCodePage(codePage) == SystemCodePage::Unsupported)
        return std::nullopt;
    const std::wstring wide = widen(utf8);
    if (wide.empty())
        return std::string();
    // No best fit: a character that the code page lacks becomes "?", not a look-alike letter.
    const auto convert = [&](DWORD flags, const char* fallback, char* out, int size) {
        return WideCharToMultiByte(static_cast<UINT>(codePage), flags, wide.data(), static_cast<int>(wide.size()), out,
            size, fallback, nullptr);
    };
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char* fallback = "?";
    int length = convert(flags, fallback, nullptr, 0);
    if (length <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        // Some code pages take neither flags nor a fallback character.
        flags = 0;
        fallback = nullptr;
        length = convert(flags, fallback, nullptr, 0);
    }
    if (length <= 0)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(length), '\0');
    convert(flags, fallback, out.data(), length);
    return out;
}

} // namespace detail

int ansiCodePage()
{
    return static_cast<int>(GetACP());
}

int oemCodePage()
{
    return static_cast<int>(GetOEMCP());
}

} // namespace platform
