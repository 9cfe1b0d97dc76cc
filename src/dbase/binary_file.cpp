#include "dbase/binary_file.h"

#include <limits>

namespace dbase::detail {

bool BinaryFile::open(const std::filesystem::path& path, bool readWrite)
{
    const auto mode = readWrite ? std::ios::in | std::ios::out | std::ios::binary : std::ios::in | std::ios::binary;
    if (m_buffer.open(path, mode) == nullptr)
        return false;
    const auto end = m_buffer.pubseekoff(0, std::ios::end, std::ios::in);
    if (end == std::streampos(std::streamoff(-1))) {
        m_buffer.close();
        return false;
    }
    m_size = static_cast<std::uint64_t>(std::streamoff(end));
    return true;
}

bool BinaryFile::readAt(std::uint64_t offset, char* target, std::size_t count)
{
    if (offset > m_size || count > m_size - offset)
        return false;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max()))
        return false;
    const auto position = m_buffer.pubseekpos(static_cast<std::streamoff>(offset), std::ios::in);
    if (position == std::streampos(std::streamoff(-1)))
        return false;
    std::size_t done = 0;
    while (done < count) {
        const auto got = m_buffer.sgetn(target + done, static_cast<std::streamsize>(count - done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace dbase::detail
