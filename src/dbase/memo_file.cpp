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
constexpr std::size_t HeaderSize = 512;
constexpr std::size_t MinimumHeaderSize = 24;
constexpr std::uint32_t Dbt3BlockSize = 512;
// dBase IV-7 header: block size (LE) at 20.
constexpr std::size_t DbtBlockSizeOffset = 20;
// FoxPro header: block size (BE) at 6.
constexpr std::size_t FptBlockSizeOffset = 6;
// A dBase IV-7 memo block starts FF FF 08 00, then the length (LE) including these 8 bytes.
constexpr std::array<unsigned char, 4> Dbt4BlockMark {0xFF, 0xFF, 0x08, 0x00};
constexpr std::size_t BlockHeaderSize = 8;
constexpr char Dbt3End = 0x1A;
constexpr std::uint32_t FptTextType = 1;

} // namespace

MemoFile::MemoFile(const std::filesystem::path& path, Style expected)
    : m_path(path)
{
    if (!m_file.open(path, false))
        throw Error(MemoNotFound, messages::MemoNotFound, platform::pathText(path));
    // Too short to hold the block size of either header: not a memo file.
    if (m_file.size() < MinimumHeaderSize)
        fail();
    std::array<char, HeaderSize> header {};
    const auto headerSize = static_cast<std::size_t>(std::min<std::uint64_t>(m_file.size(), header.size()));
    if (!m_file.readAt(0, header.data(), headerSize))
        throw Error(ReadFailure, messages::ReadFailure, platform::pathText(path));

    // The two headers keep their block size in different places; the other place is zero. A file
    // named .DBT may hold FoxPro data and the other way round, so the content decides.
    const std::uint16_t fptBlockSize = readBe16(header.data() + FptBlockSizeOffset);
    const std::uint16_t dbtBlockSize = readLe16(header.data() + DbtBlockSizeOffset);
    if (fptBlockSize != 0 && (dbtBlockSize == 0 || expected == Style::Fpt)) {
        if (m_file.size() < HeaderSize)
            fail();
        m_style = Style::Fpt;
        m_blockSize = fptBlockSize;
    } else {
        m_style = Style::Dbt;
        // dBase III keeps no block size (512); dBase IV-7 gives it, 0 standing for the default.
        m_blockSize = dbtBlockSize != 0 ? dbtBlockSize : Dbt3BlockSize;
    }
}

void MemoFile::fail() const
{
    throw Error(CorruptMemo, messages::CorruptMemo, platform::pathText(m_path));
}

MemoFile::Data MemoFile::read(std::uint64_t block) const
{
    // Block numbers count from the start of the file; the header fills the first 512 bytes.
    if (block == 0 || block > m_file.size() / m_blockSize)
        fail();
    const std::uint64_t start = block * m_blockSize;
    if (start < HeaderSize && m_style == Style::Fpt)
        fail();
    if (start >= m_file.size())
        fail();
    return m_style == Style::Fpt ? readFpt(start) : readDbt(start);
}

std::string_view MemoFile::bytesFrom(std::uint64_t offset, std::size_t count) const
{
    if (offset >= m_file.size())
        return {};
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_file.size() - offset));
    if (offset < m_windowStart || offset - m_windowStart + count > m_windowSize) {
        // Reading on from the window, or a little past it, is reading in file order.
        const std::uint64_t windowEnd = m_windowStart + m_windowSize;
        const bool inOrder = m_windowSize == 0 || (offset >= m_windowStart && offset <= windowEnd + WindowBytes);
        const std::size_t wanted = std::max(count, inOrder ? WindowBytes : SeekBytes);
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, m_file.size() - offset));
        if (m_window.size() < size)
            m_window.resize(size);
        m_windowSize = 0;
        if (!m_file.readAt(offset, m_window.data(), size))
            throw Error(ReadFailure, messages::ReadFailure, platform::pathText(m_path));
        m_windowStart = offset;
        m_windowSize = size;
    }
    return std::string_view(m_window.data() + (offset - m_windowStart), m_windowSize - (offset - m_windowStart));
}

MemoFile::Data MemoFile::readDbt(std::uint64_t start) const
{
    const std::uint64_t available = m_file.size() - start;
    const std::string_view head = bytesFrom(start, BlockHeaderSize).substr(0, BlockHeaderSize);

    if (head.size() == BlockHeaderSize && std::memcmp(head.data(), Dbt4BlockMark.data(), Dbt4BlockMark.size()) == 0) {
        // dBase IV-7: the stored length counts the 8-byte block header too.
        const std::uint32_t stored = readLe32(head.data() + 4);
        if (stored < BlockHeaderSize || stored - BlockHeaderSize > available - BlockHeaderSize)
            fail();
        const std::size_t length = stored - BlockHeaderSize;
        return Data {bytesFrom(start + BlockHeaderSize, length).substr(0, length), true};
    }

    // dBase III: the text runs over as many blocks as it needs and ends with 0x1A (usually two).
    // Writers disagree on the end mark; the first 0x1A ends the memo, so a memo closed with a single
    // one does not run into the next. Without any mark the memo ends with the file.
    std::string_view piece = bytesFrom(start, 1);
    auto end = piece.find(Dbt3End);
    if (end != std::string_view::npos)
        return Data {piece.substr(0, end), true};
    m_longText.assign(piece);
    for (std::uint64_t position = start + piece.size(); position < m_file.size(); position += piece.size()) {
        piece = bytesFrom(position, 1);
        end = piece.find(Dbt3End);
        m_longText.append(piece.substr(0, end));
        if (end != std::string_view::npos)
            break;
    }
    return Data {m_longText, true};
}

MemoFile::Data MemoFile::readFpt(std::uint64_t start) const
{
    const std::uint64_t available = m_file.size() - start;
    if (available < BlockHeaderSize)
        fail();
    const std::string_view head = bytesFrom(start, BlockHeaderSize);
    // FoxPro: type (BE: 0 picture, 1 text, 2 object), then the data length (BE) without the header.
    const std::uint32_t type = readBe32(head.data());
    const std::uint32_t length = readBe32(head.data() + 4);
    if (length > available - BlockHeaderSize)
        fail();
    return Data {bytesFrom(start + BlockHeaderSize, length).substr(0, length), type == FptTextType};
}

} // namespace dbase::detail
