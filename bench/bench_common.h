#pragma once

// What the benchmarks share: a minimal dBase III writer, a temporary folder, timing, `cat` of the
// same files as the floor, and the peak memory of the process.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

struct Column
{
    std::string name;
    char type; // 'C', 'N' or 'M'
    int length;
    int decimals = 0;
};

// Writes a dBase III table (language driver 0x02, code page 850) row by row; the record count is
// given in advance and the end mark written at the end.
class TableWriter
{
public:
    TableWriter(const fs::path& path, std::uint8_t version, const std::vector<Column>& columns, std::uint32_t rows)
        : m_out(path, std::ios::binary)
    {
        m_recordLength = 1;
        for (const auto& column : columns)
            m_recordLength += static_cast<std::size_t>(column.length);
        const std::size_t headerLength = 32 + 32 * columns.size() + 1;
        std::string header(headerLength, '\0');
        header[0] = static_cast<char>(version);
        header[1] = 125;
        header[2] = 12;
        header[3] = 8;
        for (int i = 0; i < 4; ++i)
            header[4 + static_cast<std::size_t>(i)] = static_cast<char>((rows >> (8 * i)) & 0xFF);
        header[8] = static_cast<char>(headerLength & 0xFF);
        header[9] = static_cast<char>(headerLength >> 8);
        header[10] = static_cast<char>(m_recordLength & 0xFF);
        header[11] = static_cast<char>(m_recordLength >> 8);
        header[29] = 0x02;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::size_t at = 32 + 32 * i;
            header.replace(at, std::min<std::size_t>(columns[i].name.size(), 10), columns[i].name.substr(0, 10));
            header[at + 11] = columns[i].type;
            header[at + 16] = static_cast<char>(columns[i].length);
            header[at + 17] = static_cast<char>(columns[i].decimals);
        }
        header[headerLength - 1] = 0x0D;
        m_out.write(header.data(), static_cast<std::streamsize>(header.size()));
    }
    ~TableWriter() { m_out.put(0x1A); }
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    std::size_t recordLength() const { return m_recordLength; }

    // One record: the deletion flag and the fields, padded with blanks or cut to the record length.
    void record(std::string_view bytes)
    {
        m_record.assign(bytes.substr(0, std::min(bytes.size(), m_recordLength)));
        m_record.resize(m_recordLength, ' ');
        m_out.write(m_record.data(), static_cast<std::streamsize>(m_record.size()));
    }

private:
    std::ofstream m_out;
    std::size_t m_recordLength = 0;
    std::string m_record;
};

// A new folder under the system's temporary folder, removed at the end; or the given folder, kept.
class TemporaryFolder
{
public:
    explicit TemporaryFolder(const fs::path& given)
    {
        if (!given.empty()) {
            m_path = given;
            fs::create_directories(m_path);
            return;
        }
        std::string pattern = (fs::temp_directory_path() / "educa-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::exit(1);
        m_path = pattern;
        m_remove = true;
    }
    ~TemporaryFolder()
    {
        std::error_code ec;
        if (m_remove)
            fs::remove_all(m_path, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    bool m_remove = false;
};

// The shortest of count runs of work, in seconds.
template <typename Work> double bestOf(int count, Work&& work)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// `cat` of the files to /dev/null (process start included).
inline void catFiles(const std::vector<fs::path>& files)
{
    std::string command = "cat";
    for (const auto& file : files)
        command += " '" + file.string() + "'";
    command += " > /dev/null";
    if (std::system(command.c_str()) != 0)
        std::exit(1);
}

// The process's peak resident memory so far (ru_maxrss), in MB of 10^6 bytes.
inline double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0 / 1e6;
}

} // namespace bench
