#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace exporter {

// Why a text cannot go into an XML 1.0 document.
struct XmlTextProblem
{
    enum class Kind
    {
        InvalidUtf8, // bytes that are not well-formed UTF-8 (overlong forms and surrogates included)
        InvalidCharacter, // a character outside XML 1.0's Char production, such as U+0001 or U+FFFF
    };
    Kind kind;
    char32_t character = 0; // the refused character (InvalidCharacter only)
    std::size_t offset = 0; // byte offset of the problem in the text
};

// The first problem that keeps a UTF-8 text out of an XML 1.0 attribute value, or nothing when the
// text can be written. Tab, line feed and carriage return are allowed (they are written as
// character references); other control characters, U+FFFE and U+FFFF are not.
std::optional<XmlTextProblem> findXmlTextProblem(std::string_view utf8);

} // namespace exporter
