#pragma once

// Internal to the platform layer: the code-page conversions that each system does with its own
// converter (codepage_posix.cpp with iconv, codepage_win32.cpp with MultiByteToWideChar), behind the
// rules that codepage.cpp and the code-page tables apply the same way on both.

#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

inline constexpr int Utf8CodePage = 65001;
inline constexpr const char* Replacement = "\xEF\xBF\xBD"; // U+FFFD

// Replaces every ill-formed sequence of a UTF-8 text by U+FFFD.
std::string sanitizeUtf8(std::string_view in);

// What the system's converter does with a code page other than UTF-8.
enum class SystemCodePage
{
    Unsupported, // it cannot convert it
    SingleByte, // one byte a character: converted through the code page's table (CodePageTable)
    MultiByte, // converted whole, by systemToUtf8
};
SystemCodePage systemCodePage(int codePage);

// The UTF-8 text of one byte of a single-byte code page; nothing when the code page leaves the byte
// undefined.
std::optional<std::string> systemByteToUtf8(int codePage, char byte);

// Text of a multi-byte code page other than UTF-8, converted to UTF-8: a byte that the code page
// leaves undefined, a lead byte without its trail byte and an invalid pair each become one U+FFFD,
// and the conversion goes on after that byte. Nothing when the system cannot convert the code page.
std::optional<std::string> systemToUtf8(std::string_view bytes, int codePage);

// Well-formed UTF-8 converted to a code page other than UTF-8, "?" for each character that the code
// page cannot hold. Nothing when the system cannot convert the code page.
std::optional<std::string> systemFromUtf8(std::string_view utf8, int codePage);

} // namespace platform::detail
