#include "platform/codepage_table.h"

#include "platform/codepage.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

namespace {

// The characters of a well-formed UTF-8 text, each as its bytes; nothing when the text is not
// well-formed.
std::optional<std::vector<std::string_view>> characters(std::string_view utf8)
{
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (length == 0 || length > utf8.size() - i)
            return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80)
                return std::nullopt;
        }
        result.push_back(utf8.substr(i, length));
        i += length;
    }
    return result;
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
    if (isMultiByteCodePage(codePage) || !isCodePageSupported(codePage))
        return nullptr;

    // All 256 bytes in one text: a code page read byte by byte gives 256 characters, the n-th being
    // byte n's. Each byte above 0x7F alone must give the same (a text of bytes below 0x80 alone is
    // left as it is, see isAscii).
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[static_cast<std::size_t>(b)] = static_cast<char>(b);
    const std::string converted = toUtf8(all, codePage);
    const auto split = characters(converted);
    if (!split || split->size() != 256)
        return nullptr;
    auto table = std::unique_ptr<CodePageTable>(new CodePageTable(codePage));
    for (std::size_t b = 0; b < 256; ++b) {
        const std::string_view character = (*split)[b];
        if (b >= 0x80 && toUtf8(std::string(1, static_cast<char>(b)), codePage) != character)
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
