#pragma once

#include <cstddef>
#include <cstdint>

// Explicit little- and big-endian reads from raw bytes; callers check the bounds first.
namespace dbase::detail {

inline std::uint8_t byteAt(const char* p, std::size_t i)
{
    return static_cast<std::uint8_t>(p[i]);
}

inline std::uint16_t readLe16(const char* p)
{
    return static_cast<std::uint16_t>(byteAt(p, 0) | (byteAt(p, 1) << 8));
}

inline std::uint32_t readLe32(const char* p)
{
    return static_cast<std::uint32_t>(byteAt(p, 0)) | (static_cast<std::uint32_t>(byteAt(p, 1)) << 8)
        | (static_cast<std::uint32_t>(byteAt(p, 2)) << 16) | (static_cast<std::uint32_t>(byteAt(p, 3)) << 24);
}

inline std::uint64_t readLe64(const char* p)
{
    return static_cast<std::uint64_t>(readLe32(p)) | (static_cast<std::uint64_t>(readLe32(p + 4)) << 32);
}

inline std::uint16_t readBe16(const char* p)
{
    return static_cast<std::uint16_t>((byteAt(p, 0) << 8) | byteAt(p, 1));
}

inline std::uint32_t readBe32(const char* p)
{
    return (static_cast<std::uint32_t>(byteAt(p, 0)) << 24) | (static_cast<std::uint32_t>(byteAt(p, 1)) << 16)
        | (static_cast<std::uint32_t>(byteAt(p, 2)) << 8) | static_cast<std::uint32_t>(byteAt(p, 3));
}

inline std::uint64_t readBe64(const char* p)
{
    return (static_cast<std::uint64_t>(readBe32(p)) << 32) | static_cast<std::uint64_t>(readBe32(p + 4));
}

} // namespace dbase::detail
