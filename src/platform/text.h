#pragma once

#include <string>
#include <string_view>

namespace platform {

// Compares two UTF-8 texts without regard to case, letters compared as the user's language
// compares them ("ñ" equals "Ñ", "é" equals "É"). Invalid UTF-8 bytes compare as themselves.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// ASCII-only lower case (A to Z become a to z, nothing else changes).
std::string asciiLower(std::string_view text);

} // namespace platform
