#pragma once

// How each system maps a character beyond ASCII to upper case (text_posix.cpp, text_win32.cpp).
namespace platform::detail {

// The upper case of a character from U+0080 to U+10FFFF; the character itself when it has none.
char32_t upperCase(char32_t c);

} // namespace platform::detail
