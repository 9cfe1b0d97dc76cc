#pragma once

#include "dbase/table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbase::detail {

// One column descriptor as the file gives it.
struct ColumnDescriptor
{
    std::string name; // raw bytes in the table's code page: cut at the first NUL, blanks trimmed
    char type = 0; // the type letter
    unsigned offset = 0; // in the record, counting the deletion flag byte (the first column is at 1)
    unsigned length = 0;
    unsigned decimals = 0;
    std::uint8_t flags = 0; // Visual FoxPro column flags (0 in other families)
};

// What the table header says, checked against itself and against the file's size.
struct TableLayout
{
    std::uint8_t version = 0;
    Format format = Format::DBase3;
    std::uint32_t recordCount = 0; // as the header announces it; the file holds at least as many
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::uint8_t languageDriverId = 0; // byte 29
    std::string languageDriverName; // dBase 7: the driver name at 32..63, else empty
    std::vector<ColumnDescriptor> columns;
};

// Records are read in blocks of whole records, as many as fit in this many bytes (at least one).
inline constexpr std::size_t ReadBlockBytes = 1 << 20;

// Visual FoxPro column flags.
inline constexpr std::uint8_t SystemColumn = 0x01;
inline constexpr std::uint8_t NullableColumn = 0x02;
inline constexpr std::uint8_t BinaryColumn = 0x04;

// The size of the fixed header, which is enough to learn the header length: 32 bytes, 68 in dBase 7.
std::size_t fixedHeaderSize(std::uint8_t versionByte);

// Reads the header. header holds the file's first bytes: at least the whole header when the file
// is that long. Throws Error with the path text as context: NotATable for a file that is no dBase
// table (unknown version byte, impossible sizes, no columns), CorruptHeader when the header
// contradicts the file's size or the record length, TableEncrypted for an encrypted dBase table,
// TableTruncated when the file holds fewer complete records than the header announces.
TableLayout parseLayout(std::string_view header, std::uint64_t fileSize, const std::string& pathText);

} // namespace dbase::detail
