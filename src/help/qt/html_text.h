#pragma once

#include <string>
#include <string_view>

namespace help::qt {

// The charset that an HTML text declares in its head ("charset=..." in a meta element), in lower
// case; empty when it declares none.
std::string declaredCharset(std::string_view html);

// An HTML page or sitemap of a compiled help file as UTF-8. A declared UTF-8 charset, or a UTF-8 byte
// order mark, is taken as it is; a declared 8-bit charset is converted from its code page. Older help
// files often declare nothing and are in windows-1252: undeclared text is taken as UTF-8 only when it
// is valid UTF-8 with bytes beyond ASCII, else converted from windows-1252.
std::string htmlToUtf8(std::string_view bytes);

// Replaces character references (&amp; &oacute; &#241; &#xF1;) by their UTF-8 characters; a reference
// that names no known character is left as it is.
std::string decodeEntities(std::string_view text);

// True when the bytes form valid UTF-8.
bool isValidUtf8(std::string_view bytes);

} // namespace help::qt
