#pragma once

// Internal to the platform layer: the code-page conversions that each system does with its own
// converter (codepage_posix.cpp with iconv, codepage_win32.cpp with MultiByteToWideChar), behind the
// rules that codepage.cpp applies the same way on both.

#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

inline constexpr int Utf8CodePage = 65001;
inline constexpr const char* Replacement = "\xEF\xBF\xBD"; // U+FFFD

// Replaces every ill-formed sequence of a UTF-8 text by U+FFFD.
std::string sanitizeUtf8(std::string_view in);

// Text of a code page other than UTF-8, converted to UTF-8: a byte that the code page leaves
// undefined, a lead byte without its trail byte and an invalid pair each become one U+FFFD, and the
// conversion goes on after that byte. Nothing when the system cannot convert the code page.
std::optional<std::string> systemToUtf8(std::string_view bytes, int codePage);

// Well-formed UTF-8 converted to a code page other than UTF-8, "?" for each character that the code
// page cannot hold. Nothing when the system cannot convert the code page.
std::optional<std::string> systemFromUtf8(std::string_view utf8, int codePage);

// True when the system can convert the code page (not asked for UTF-8).
bool systemSupports(int codePage);

} // namespace platform::detail
