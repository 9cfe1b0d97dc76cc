#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {
class CodePageTable;
}

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

// Attribute values as the document writes them: "&", "<" and the quotation mark as "&amp;", "&lt;"
// and "&quot;", tab, line feed and carriage return as "&#9;", "&#10;" and "&#13;", every other
// character as it stands. One byte of text becomes at most this many bytes.
inline constexpr std::size_t MaxEscapedBytesPerByte = 6;

// Writes the escaped UTF-8 text to out, which has room for MaxEscapedBytesPerByte bytes per byte of
// text, and answers the end of what it wrote; nullptr when XML cannot carry the text, with the first
// problem (as findXmlTextProblem gives it) in problem.
char* escapeAttributeText(std::string_view utf8, char* out, XmlTextProblem& problem);

// The escaped text of each byte of a single-byte code page, for texts converted and escaped in one
// pass: the same as converting with the code page's table and escaping with escapeAttributeText.
class EscapedCodePage
{
public:
    // escape() may write up to this many bytes past the end of its text (the room it is given holds
    // them too); they are no part of the text.
    static constexpr std::size_t CopySlack = 8;

    // The escaped table of a code page table, made on first use and kept for the rest of the run.
    static const EscapedCodePage& of(const platform::CodePageTable& table);

    // Writes the bytes' text, converted and escaped, to out (room for MaxEscapedBytesPerByte bytes per
    // byte and CopySlack more), and answers the end of what it wrote; nullptr when XML cannot carry the text, with the
    // first problem in problem. utf8Offset, the offset of the bytes' text in a longer text, moves on
    // by the length of their UTF-8 text. The caller decides the rule for texts of ASCII alone, which
    // toUtf8 leaves as they are (CodePageTable::isAscii): such a text goes to escapeAttributeText.
    char* escape(std::string_view bytes, char* out, XmlTextProblem& problem, std::size_t& utf8Offset) const;

private:
    explicit EscapedCodePage(const platform::CodePageTable& table);

    struct Entry
    {
        char bytes[CopySlack] = {}; // copied whole, the first length of them counting
        unsigned char length = 0;
        unsigned char utf8Length = 0; // of the character before escaping
        bool refused = false; // XML cannot carry the character
        char32_t character = 0;
    };
    Entry m_entries[256];
};

} // namespace exporter
