#pragma once

#include "support/temp_folder.h"

// Builds dBase files byte by byte for tests: the odd and broken files that no writer makes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dbase::testing {

inline std::string le16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string le32(std::uint32_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
        static_cast<char>(v >> 24)};
}

inline std::string be16(std::uint16_t v)
{
    return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
}

inline std::string be32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 8) & 0xFF),
        static_cast<char>(v & 0xFF)};
}

inline std::string be64(std::uint64_t v)
{
    return be32(static_cast<std::uint32_t>(v >> 32)) + be32(static_cast<std::uint32_t>(v));
}

inline std::string le64(std::uint64_t v)
{
    return le32(static_cast<std::uint32_t>(v)) + le32(static_cast<std::uint32_t>(v >> 32));
}

// text padded with blanks (or cut) to width.
inline std::string padded(std::string_view text, std::size_t width, char fill = ' ')
{
    std::string out(text.substr(0, std::min(text.size(), width)));
    out.resize(width, fill);
    return out;
}

// text right-aligned in width, as numbers and memo references are stored.
inline std::string rightAligned(std::string_view text, std::size_t width)
{
    return std::string(width - std::min(width, text.size()), ' ') + std::string(text);
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes)
{
    // A new file rather than a truncated one: ext4 flushes a truncated file to disk when it is closed.
    std::error_code error;
    std::filesystem::remove(path, error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ColumnSpec
{
    std::string name;
    char type;
    unsigned length;
    unsigned decimals = 0;
    std::uint8_t flags = 0;
};

class DbfBuilder
{
public:
    explicit DbfBuilder(std::uint8_t version)
        : m_version(version)
    {
    }

    DbfBuilder& languageDriver(std::uint8_t id)
    {
        m_languageDriver = id;
        return *this;
    }
    // dBase 7 only: the driver name at 32..63.
    DbfBuilder& driverName(std::string name)
    {
        m_driverName = std::move(name);
        return *this;
    }
    DbfBuilder& column(std::string name, char type, unsigned length, unsigned decimals = 0, std::uint8_t flags = 0)
    {
        m_columns.push_back({std::move(name), type, length, decimals, flags});
        return *this;
    }
    // One record: the deletion flag and the fields' bytes, which must fill the record.
    DbfBuilder& record(std::string fields, char flag = ' ')
    {
        m_records.push_back(flag + std::move(fields));
        return *this;
    }
    DbfBuilder& recordCount(std::uint32_t count)
    {
        m_recordCount = count;
        return *this;
    }
    DbfBuilder& recordLength(std::uint16_t length)
    {
        m_recordLength = length;
        return *this;
    }
    DbfBuilder& headerLength(std::uint16_t length)
    {
        m_headerLength = length;
        return *this;
    }
    DbfBuilder& terminator(bool present)
    {
        m_terminator = present;
        return *this;
    }
    // Bytes between the terminator and the first record (VFP backlink, dBase 7 properties, padding).
    DbfBuilder& afterTerminator(std::string bytes)
    {
        m_afterTerminator = std::move(bytes);
        return *this;
    }
    DbfBuilder& headerByte(std::size_t offset, std::uint8_t value)
    {
        m_headerBytes.emplace_back(offset, value);
        return *this;
    }
    DbfBuilder& trailer(std::string bytes)
    {
        m_trailer = std::move(bytes);
        return *this;
    }

    bool level7() const { return (m_version & 0x07) == 4; }

    unsigned fieldsLength() const
    {
        unsigned sum = 1;
        for (const ColumnSpec& c : m_columns)
            sum += c.length;
        return sum;
    }

    std::string build() const
    {
        const std::size_t fixed = level7() ? 68 : 32;
        std::string descriptors;
        unsigned offset = 1;
        for (const ColumnSpec& c : m_columns) {
            std::string d;
            if (level7()) {
                d = padded(c.name, 32, '\0');
                d += c.type;
                d += static_cast<char>(c.length);
                d += static_cast<char>(c.decimals);
                d += std::string(13, '\0');
            } else {
                d = padded(c.name, 11, '\0');
                d += c.type;
                d += le32(offset);
                d += static_cast<char>(c.length & 0xFF);
                d += static_cast<char>(c.decimals);
                d += static_cast<char>(c.flags);
                d += std::string(13, '\0');
            }
            descriptors += d;
            offset += c.length;
        }
        if (m_terminator)
            descriptors += '\x0D';
        descriptors += m_afterTerminator;
        const auto headerLength = m_headerLength.value_or(static_cast<std::uint16_t>(fixed + descriptors.size()));
        const auto recordLength = m_recordLength.value_or(static_cast<std::uint16_t>(fieldsLength()));
        const auto count = m_recordCount.value_or(static_cast<std::uint32_t>(m_records.size()));

        std::string header(fixed, '\0');
        header[0] = static_cast<char>(m_version);
        header[1] = 124; // 2024-05-17
        header[2] = 5;
        header[3] = 17;
        header.replace(4, 4, le32(count));
        header.replace(8, 2, le16(headerLength));
        header.replace(10, 2, le16(recordLength));
        header[29] = static_cast<char>(m_languageDriver);
        if (level7())
            header.replace(32, 32, padded(m_driverName, 32, '\0'));
        for (const auto& [at, value] : m_headerBytes)
            header[at] = static_cast<char>(value);

        std::string file = header + descriptors;
        if (file.size() < headerLength)
            file.resize(headerLength, '\0');
        else
            file.resize(headerLength);
        for (const std::string& r : m_records)
            file += padded(r, recordLength, ' ');
        file += m_trailer;
        return file;
    }

private:
    std::uint8_t m_version;
    std::uint8_t m_languageDriver = 0;
    std::string m_driverName;
    std::vector<ColumnSpec> m_columns;
    std::vector<std::string> m_records;
    std::optional<std::uint32_t> m_recordCount;
    std::optional<std::uint16_t> m_recordLength;
    std::optional<std::uint16_t> m_headerLength;
    bool m_terminator = true;
    std::string m_afterTerminator;
    std::vector<std::pair<std::size_t, std::uint8_t>> m_headerBytes;
    std::string m_trailer = "\x1A";
};

// A dBase III memo file: header block, then each text from its own block, ended by 1A 1A.
inline std::string dbt3(const std::vector<std::string>& memos)
{
    std::string file(512, '\0');
    file.replace(0, 4, le32(static_cast<std::uint32_t>(1 + memos.size() * 2)));
    file[16] = 0x03;
    for (const std::string& memo : memos) {
        std::string block = memo + "\x1A\x1A";
        block.resize((block.size() + 511) / 512 * 512, '\0');
        file += block;
    }
    return file;
}

// A dBase IV-7 memo file with the given block size; each memo in its own run of blocks, with the
// FF FF 08 00 block header and a length that counts those 8 bytes.
inline std::string dbt4(const std::vector<std::string>& memos, std::uint16_t blockSize = 512)
{
    std::string file(blockSize < 512 ? 512 : blockSize, '\0');
    file.replace(8, 8, padded("TABLA", 8, '\0'));
    file.replace(20, 2, le16(blockSize));
    for (const std::string& memo : memos) {
        std::string block
            = std::string("\xFF\xFF\x08\x00", 4) + le32(static_cast<std::uint32_t>(memo.size() + 8)) + memo;
        block.resize((block.size() + blockSize - 1) / blockSize * blockSize, '\0');
        file += block;
    }
    file.replace(0, 4, le32(static_cast<std::uint32_t>(file.size() / blockSize)));
    return file;
}

// A FoxPro memo file: 512-byte header with the block size (BE), then type and length (BE) per memo.
inline std::string fpt(const std::vector<std::pair<std::uint32_t, std::string>>& memos, std::uint16_t blockSize = 64)
{
    std::string file(512, '\0');
    file.replace(6, 2, be16(blockSize));
    for (const auto& [type, data] : memos) {
        std::string block = be32(type) + be32(static_cast<std::uint32_t>(data.size())) + data;
        block.resize((block.size() + blockSize - 1) / blockSize * blockSize, '\0');
        file += block;
    }
    file.replace(0, 4, be32(static_cast<std::uint32_t>(file.size() / blockSize)));
    return file;
}

// A fresh directory under the system's temporary directory, removed with its content at the end.
class TempDir : public support::TempFolder
{
public:
    TempDir()
        : support::TempFolder("test_dbase")
    {
    }
    void write(std::string_view name, std::string_view bytes) const { writeFile(*this / name, bytes); }
};

} // namespace dbase::testing
