#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The UTF-8 text of each of the 256 bytes of a single-byte code page, taken once from the system's
// converter: toUtf8 converts the code page's text through it, byte by byte, without a call of the
// system's converter per text, and so may anyone else who has the table.
class CodePageTable
{
public:
    // The table of a code page, made on first use and kept for the rest of the run; nullptr for a code
    // page whose text is not converted byte by byte: UTF-8, the double-byte code pages, one the system
    // cannot convert, or one whose bytes the system does not turn into one character each.
    static const CodePageTable* forCodePage(int codePage);

    int codePage() const { return m_codePage; }

    // The UTF-8 text of one byte: one character (U+FFFD for a byte that has none in the code page).
    std::string_view utf8(unsigned char byte) const
    {
        const Entry& entry = m_entries[byte];
        return {entry.bytes.data(), entry.length};
    }

    // Whether the bytes are all below 0x80: such a text is its own UTF-8 text, as toUtf8 leaves it,
    // whatever the table gives for those bytes.
    static bool isAscii(std::string_view bytes);

    // Whether every byte below 0x80 stands for the ASCII character of its own code, as in most code
    // pages: then any text, ASCII alone or not, may be converted through the table.
    bool keepsAscii() const { return m_keepsAscii; }

    // Appends the bytes' UTF-8 text to out: the text toUtf8(bytes, codePage()) gives.
    void appendUtf8(std::string_view bytes, std::string& out) const;

private:
    struct Entry
    {
        std::array<char, 4> bytes {};
        std::uint8_t length = 0;
    };

    explicit CodePageTable(int codePage)
        : m_codePage(codePage)
    {
    }

    int m_codePage;
    bool m_keepsAscii = true;
    std::array<Entry, 256> m_entries {};
};

} // namespace platform
