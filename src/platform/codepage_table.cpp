#include "platform/codepage_table.h"

#include "platform/codepage.h"
#include "platform/codepage_system.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// Whether a text is one character of UTF-8, as a byte's text of a single-byte code page is.
bool isOneCharacter(std::string_view utf8)
{
    const auto lead = static_cast<unsigned char>(utf8.empty() ? 0x80 : utf8[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || length != utf8.size())
        return false;
    return std::all_of(
        utf8.begin() + 1, utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

} // namespace

bool CodePageTable::isAscii(std::string_view bytes)
{
    unsigned char any = 0;
    for (char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

void CodePageTable::appendUtf8(std::string_view bytes, std::string& out) const
{
    if (!m_keepsAscii && isAscii(bytes)) {
        out.append(bytes);
        return;
    }
    // Room for the longest characters first, then each byte's character copied in its place.
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * 4);
    char* place = out.data() + start;
    for (char c : bytes) {
        const Entry& entry = m_entries[static_cast<unsigned char>(c)];
        std::memcpy(place, entry.bytes.data(), entry.bytes.size());
        place += entry.length;
    }
    out.resize(static_cast<std::size_t>(place - out.data()));
}

const CodePageTable* CodePageTable::forCodePage(int codePage)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePageTable>> tables;
    std::lock_guard lock(mutex);
    if (const auto found = tables.find(codePage); found != tables.end())
        return found->second.get();
    auto& slot = tables[codePage];
    if (isMultiByteCodePage(codePage) || detail::systemCodePage(codePage) != detail::SystemCodePage::SingleByte)
        return nullptr;

    // Each byte's character as the system's converter gives it, U+FFFD for a byte that has none. A code
    // page with a byte that gives anything but one character has no table (toUtf8 converts such a
    // code page's text byte by byte through the system).
    auto table = std::unique_ptr<CodePageTable>(new CodePageTable(codePage));
    for (std::size_t b = 0; b < 256; ++b) {
        const std::string character
            = detail::systemByteToUtf8(codePage, static_cast<char>(b)).value_or(detail::Replacement);
        if (!isOneCharacter(character))
            return nullptr;
        Entry& entry = table->m_entries[b];
        std::copy(character.begin(), character.end(), entry.bytes.begin());
        entry.length = static_cast<std::uint8_t>(character.size());
        if (b < 0x80 && (character.size() != 1 || character[0] != static_cast<char>(b)))
            table->m_keepsAscii = false;
    }
    slot = std::move(table);
    return slot.get();
}

} // namespace platform
