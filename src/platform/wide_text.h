#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

// UTF-16 text of the Windows calls, to and from the UTF-8 that the program holds.
namespace platform {

// UTF-8 to UTF-16; an ill-formed sequence becomes U+FFFD.
std::wstring widen(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view wide);

} // namespace platform

#endif
