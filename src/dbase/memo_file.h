#pragma once

#include "dbase/binary_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dbase::detail {

// The memo file beside a table: dBase III .DBT (text ended by 0x1A), dBase IV-7 .DBT (blocks with a
// length header) or FoxPro .FPT. The layout is taken from the file's content where the extension
// or the table's version byte say otherwise.
class MemoFile
{
public:
    // Memos are read through a window of at least this many bytes of the file: memos that follow each
    // other in the file, as writers mostly store them, come from one read.
    static constexpr std::size_t WindowBytes = 64 * 1024;
    // A read that jumps backwards or far ahead (memos stored in another order than the rows) takes
    // only this much, or count when that is more: the next memo is then rarely in the same window.
    static constexpr std::size_t SeekBytes = 512;

    enum class Style
    {
        Dbt, // dBase III or IV-7; each block shows which
        Fpt,
    };

    struct Data
    {
        std::string_view bytes; // valid until the next read
        bool text = true; // false for FoxPro picture and object memos: their bytes are not recoded
    };

    // Opens the memo file. expected is what the table's version byte announces. Throws Error:
    // MemoNotFound when it cannot be opened, CorruptMemo when its header is not a memo header.
    MemoFile(const std::filesystem::path& path, Style expected);

    Style style() const { return m_style; }
    std::uint32_t blockSize() const { return m_blockSize; }

    // The memo stored at the block number (not 0), its bytes valid until the next read. Throws Error
    // CorruptMemo when the block lies outside the file or its length runs past the end, ReadFailure
    // when reading fails.
    Data read(std::uint64_t block) const;

private:
    Data readDbt(std::uint64_t start) const;
    Data readFpt(std::uint64_t start) const;
    // The file's bytes from offset on, as many as the window of the file held in memory has from
    // there: at least count of them, fewer only where the file ends first. The window is read anew
    // (WindowBytes, or SeekBytes after a jump; count when that is more) when it does not hold them; the
    // view stays valid until the next call.
    std::string_view bytesFrom(std::uint64_t offset, std::size_t count) const;
    [[noreturn]] void fail() const;

    std::filesystem::path m_path;
    mutable BinaryFile m_file;
    Style m_style = Style::Dbt;
    std::uint32_t m_blockSize = 512;
    mutable std::string m_longText; // a dBase III memo that runs over more than one window
    mutable std::vector<char> m_window;
    mutable std::uint64_t m_windowStart = 0;
    mutable std::size_t m_windowSize = 0;
};

} // namespace dbase::detail
