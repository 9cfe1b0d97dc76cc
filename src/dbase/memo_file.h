#pragma once

#include "dbase/binary_file.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace dbase::detail {

// The memo file beside a table: dBase III .DBT (text ended by 0x1A), dBase IV-7 .DBT (blocks with a
// length header) or FoxPro .FPT. The layout is taken from the file's content where the extension
// or the table's version byte say otherwise.
class MemoFile
{
public:
    enum class Style
    {
        Dbt, // dBase III or IV-7; each block shows which
        Fpt,
    };

    struct Data
    {
        std::string bytes;
        bool text = true; // false for FoxPro picture and object memos: their bytes are not recoded
    };

    // Opens the memo file. expected is what the table's version byte announces. Throws Error:
    // MemoNotFound when it cannot be opened, CorruptMemo when its header is not a memo header.
    MemoFile(const std::filesystem::path& path, Style expected);

    Style style() const { return m_style; }
    std::uint32_t blockSize() const { return m_blockSize; }

    // The memo stored at the block number (not 0). Throws Error CorruptMemo when the block lies
    // outside the file or its length runs past the end, ReadFailure when reading fails.
    Data read(std::uint64_t block) const;

private:
    Data readDbt(std::uint64_t start) const;
    Data readFpt(std::uint64_t start) const;
    [[noreturn]] void fail() const;

    std::filesystem::path m_path;
    mutable BinaryFile m_file;
    Style m_style = Style::Dbt;
    std::uint32_t m_blockSize = 512;
};

} // namespace dbase::detail
