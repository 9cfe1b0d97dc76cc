#include "dbase/memo_file.h"

#include "dbase/byte_order.h"
#include "dbase/error.h"
#include "dbase/messages.h"
#include "platform/paths.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace dbase::detail {

namespace {

// The FoxPro header fills the first 512 bytes, as does the dBase one with its usual block size.
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kMinimumHeaderSize = 24;
constexpr std::uint32_t kDbt3BlockSize = 512;
// dBase IV-7 header: block size (LE) at 20.
constexpr std::size_t kDbtBlockSizeOffset = 20;
// FoxPro header: block size (BE) at 6.
constexpr std::size_t kFptBlockSizeOffset = 6;
// A dBase IV-7 memo block starts FF FF 08 00, then the length (LE) including these 8 bytes.
constexpr std::array<unsigned char, 4> kDbt4BlockMark {0xFF, 0xFF, 0x08, 0x00};
constexpr std::size_t kBlockHeaderSize = 8;
constexpr char kDbt3End = 0x1A;
constexpr std::uint32_t kFptTextType = 1;

} // namespace

MemoFile::MemoFile(const std::filesystem::path& path, Style expected)
    : m_path(path)
{
    if (!m_file.open(path, false))
        throw Error(MemoNotFound, messages::memoNotFound, platform::pathText(path));
    // Too short to hold the block size of either header: not a memo file.
    if (m_file.size() < kMinimumHeaderSize)
        fail();
    std::array<char, kHeaderSize> header {};
    const auto headerSize = static_cast<std::size_t>(std::min<std::uint64_t>(m_file.size(), header.size()));
    if (!m_file.readAt(0, header.data(), headerSize))
        throw Error(ReadFailure, messages::readFailure, platform::pathText(path));

    // The two headers keep their block size in different places; the other place is zero. A file
    // named .DBT may hold FoxPro data and the other way round, so the content decides.
    const std::uint16_t fptBlockSize = readBe16(header.data() + kFptBlockSizeOffset);
    const std::uint16_t dbtBlockSize = readLe16(header.data() + kDbtBlockSizeOffset);
    if (fptBlockSize != 0 && (dbtBlockSize == 0 || expected == Style::Fpt)) {
        if (m_file.size() < kHeaderSize)
            fail();
        m_style = Style::Fpt;
        m_blockSize = fptBlockSize;
    } else {
        m_style = Style::Dbt;
        // dBase III keeps no block size (512); dBase IV-7 gives it, 0 standing for the default.
        m_blockSize = dbtBlockSize != 0 ? dbtBlockSize : kDbt3BlockSize;
    }
}

void MemoFile::fail() const
{
    throw Error(CorruptMemo, messages::corruptMemo, platform::pathText(m_path));
}

MemoFile::Data MemoFile::read(std::uint64_t block) const
{
    // Block numbers count from the start of the file; the header fills the first 512 bytes.
    if (block == 0 || block > m_file.size() / m_blockSize)
        fail();
    const std::uint64_t start = block * m_blockSize;
    if (start < kHeaderSize && m_style == Style::Fpt)
        fail();
    if (start >= m_file.size())
        fail();
    return m_style == Style::Fpt ? readFpt(start) : readDbt(start);
}

MemoFile::Data MemoFile::readDbt(std::uint64_t start) const
{
    const std::uint64_t available = m_file.size() - start;
    std::array<char, kBlockHeaderSize> head {};
    const std::size_t headSize = static_cast<std::size_t>(std::min<std::uint64_t>(available, head.size()));
    if (!m_file.readAt(start, head.data(), headSize))
        throw Error(ReadFailure, messages::readFailure, platform::pathText(m_path));

    if (headSize == kBlockHeaderSize && std::memcmp(head.data(), kDbt4BlockMark.data(), kDbt4BlockMark.size()) == 0) {
        // dBase IV-7: the stored length counts the 8-byte block header too.
        const std::uint32_t stored = readLe32(head.data() + 4);
        if (stored < kBlockHeaderSize || stored - kBlockHeaderSize > available - kBlockHeaderSize)
            fail();
        Data data;
        data.bytes.resize(stored - kBlockHeaderSize);
        if (!m_file.readAt(start + kBlockHeaderSize, data.bytes.data(), data.bytes.size()))
            throw Error(ReadFailure, messages::readFailure, platform::pathText(m_path));
        return data;
    }

    // dBase III: the text runs over as many blocks as it needs and ends with 0x1A (usually two).
    // Writers disagree on the end mark; the first 0x1A ends the memo, so a memo closed with a single
    // one does not run into the next. Without any mark the memo ends with the file.
    Data data;
    std::array<char, kDbt3BlockSize> chunk {};
    std::uint64_t position = start;
    while (position < m_file.size()) {
        const std::size_t count
            = static_cast<std::size_t>(std::min<std::uint64_t>(m_file.size() - position, chunk.size()));
        if (!m_file.readAt(position, chunk.data(), count))
            throw Error(ReadFailure, messages::readFailure, platform::pathText(m_path));
        const char* begin = chunk.data();
        const char* end = std::find(begin, begin + count, kDbt3End);
        data.bytes.append(begin, end);
        if (end != chunk.data() + count)
            break;
        position += count;
    }
    return data;
}

MemoFile::Data MemoFile::readFpt(std::uint64_t start) const
{
    const std::uint64_t available = m_file.size() - start;
    if (available < kBlockHeaderSize)
        fail();
    std::array<char, kBlockHeaderSize> head {};
    if (!m_file.readAt(start, head.data(), head.size()))
        throw Error(ReadFailure, messages::readFailure, platform::pathText(m_path));
    // FoxPro: type (BE: 0 picture, 1 text, 2 object), then the data length (BE) without the header.
    const std::uint32_t type = readBe32(head.data());
    const std::uint32_t length = readBe32(head.data() + 4);
    if (length > available - kBlockHeaderSize)
        fail();
    Data data;
    data.text = type == kFptTextType;
    data.bytes.resize(length);
    if (!m_file.readAt(start + kBlockHeaderSize, data.bytes.data(), data.bytes.size()))
        throw Error(ReadFailure, messages::readFailure, platform::pathText(m_path));
    return data;
}

} // namespace dbase::detail
