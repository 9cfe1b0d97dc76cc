#pragma once

#include <string>
#include <string_view>

namespace platform {

// Compares two UTF-8 texts without regard to case, letters compared as the user's language
// compares them ("ñ" equals "Ñ", "é" equals "É"). Invalid UTF-8 bytes compare as themselves.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// ASCII-only case: A to Z become a to z (or the other way), nothing else changes.
char asciiLower(char c);
char asciiUpper(char c);
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

// Whether two texts are equal with A to Z taken as a to z.
bool equalsAsciiNoCase(std::string_view a, std::string_view b);

} // namespace platform
