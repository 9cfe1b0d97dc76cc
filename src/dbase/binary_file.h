#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace dbase::detail {

// A file read at explicit offsets. Opened for reading, or for reading and writing (the engine
// never writes; the mode only asks the system whether writing would be allowed).
class BinaryFile
{
public:
    // Answers false when the system refuses to open the file in that mode.
    bool open(const std::filesystem::path& path, bool readWrite);
    bool isOpen() const { return m_buffer.is_open(); }
    // The file's size in bytes when it was opened.
    std::uint64_t size() const { return m_size; }
    // Reads exactly count bytes at offset; false when the file holds fewer or the read fails.
    bool readAt(std::uint64_t offset, char* target, std::size_t count);

private:
    std::filebuf m_buffer;
    std::uint64_t m_size = 0;
};

} // namespace dbase::detail
