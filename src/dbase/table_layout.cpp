#include "dbase/table_layout.h"

#include "dbase/byte_order.h"
#include "dbase/error.h"
#include "dbase/messages.h"

#include <algorithm>

namespace dbase::detail {

namespace {

// Main header.
constexpr std::size_t VersionOffset = 0;
constexpr std::size_t RecordCountOffset = 4;
constexpr std::size_t HeaderLengthOffset = 8;
constexpr std::size_t RecordLengthOffset = 10;
constexpr std::size_t EncryptedOffset = 15;
constexpr std::size_t LanguageDriverOffset = 29;
constexpr std::size_t HeaderSize = 32;
// dBase 7 adds the language driver name and 4 reserved bytes.
constexpr std::size_t DriverNameOffset = 32;
constexpr std::size_t DriverNameSize = 32;
constexpr std::size_t Level7HeaderSize = 68;

// 32-byte column descriptor.
constexpr std::size_t DescriptorSize = 32;
constexpr std::size_t NameSize = 11;
constexpr std::size_t TypeOffset = 11;
constexpr std::size_t LengthOffset = 16;
constexpr std::size_t DecimalsOffset = 17;
constexpr std::size_t FlagsOffset = 18;
// 48-byte column descriptor of dBase 7.
constexpr std::size_t Level7DescriptorSize = 48;
constexpr std::size_t Level7NameSize = 32;
constexpr std::size_t Level7TypeOffset = 32;
constexpr std::size_t Level7LengthOffset = 33;
constexpr std::size_t Level7DecimalsOffset = 34;

constexpr char HeaderTerminator = 0x0D;

struct VersionInfo
{
    std::uint8_t byte;
    Format format;
};

// The version bytes this engine reads. 0x02 (dBase II, or FoxBASE in some lists) has a header of
// its own and is not read; nor are SIx tables (0xE5) with their .SMT memos.
constexpr VersionInfo Versions[] = {
    {0x03, Format::DBase3}, // dBase III+, FoxBASE+, FoxPro and Clipper without memo, dBase IV/5
    {0x83, Format::DBase3}, // with a dBase III .DBT
    {0x07, Format::DBase3}, // Visual Objects
    {0x87, Format::DBase3}, // Visual Objects with a dBase III .DBT
    {0x05, Format::DBase4}, // dBase 5 in some lists
    {0x43, Format::DBase4}, // dBase IV SQL table
    {0x63, Format::DBase4}, // dBase IV SQL system file
    {0x7B, Format::DBase4}, // dBase IV with memo
    {0x8B, Format::DBase4}, // dBase IV and 5 with a dBase IV .DBT
    {0x8E, Format::DBase4}, // dBase IV with SQL table
    {0xCB, Format::DBase4}, // dBase IV SQL table with memo
    {0x04, Format::DBase7}, // level 7
    {0x8C, Format::DBase7}, // level 7 with .DBT
    {0xF5, Format::FoxPro}, // FoxPro 2.x with .FPT
    {0xFB, Format::FoxPro}, // FoxBASE
    {0x30, Format::VisualFoxPro}, // Visual FoxPro
    {0x31, Format::VisualFoxPro}, // with an autoincrement column
    {0x32, Format::VisualFoxPro}, // with varchar or varbinary columns
};

const VersionInfo* findVersion(std::uint8_t byte)
{
    for (const VersionInfo& info : Versions) {
        if (info.byte == byte)
            return &info;
    }
    return nullptr;
}

[[noreturn]] void fail(std::uint16_t code, const char* message, const std::string& pathText)
{
    throw Error(code, message, pathText);
}

// Names may carry garbage after the first NUL (old schemas, Clipper) or blank padding.
std::string columnName(std::string_view raw)
{
    const auto nul = raw.find('\0');
    if (nul != std::string_view::npos)
        raw = raw.substr(0, nul);
    const auto first = raw.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = raw.find_last_not_of(' ');
    return std::string(raw.substr(first, last - first + 1));
}

// Clipper, FoxPro and Harbour store character columns longer than 255 with the high byte of the
// length in the decimals byte; Excel writes a non-zero decimals byte on short character columns.
// The long reading is taken only when it reconciles with the record length and the plain one
// does not.
void applyLongCharacterLengths(std::vector<ColumnDescriptor>& columns, std::uint32_t recordLength)
{
    std::uint64_t plain = 1;
    std::uint64_t extended = 1;
    bool anyLong = false;
    for (const ColumnDescriptor& column : columns) {
        plain += column.length;
        if (column.type == 'C' && column.decimals != 0) {
            extended += column.length + 256u * column.decimals;
            anyLong = true;
        } else {
            extended += column.length;
        }
    }
    if (!anyLong || plain == recordLength || extended != recordLength)
        return;
    for (ColumnDescriptor& column : columns) {
        if (column.type == 'C' && column.decimals != 0) {
            column.length += 256u * column.decimals;
            column.decimals = 0;
        }
    }
}

} // namespace

std::size_t fixedHeaderSize(std::uint8_t versionByte)
{
    const VersionInfo* info = findVersion(versionByte);
    return info != nullptr && info->format == Format::DBase7 ? Level7HeaderSize : HeaderSize;
}

TableLayout parseLayout(std::string_view header, std::uint64_t fileSize, const std::string& pathText)
{
    if (header.empty())
        fail(NotATable, messages::NotATable, pathText);
    const VersionInfo* version = findVersion(byteAt(header.data(), VersionOffset));
    if (version == nullptr)
        fail(NotATable, messages::NotATable, pathText);
    const bool level7 = version->format == Format::DBase7;
    const std::size_t fixedSize = level7 ? Level7HeaderSize : HeaderSize;
    if (header.size() < fixedSize)
        fail(NotATable, messages::NotATable, pathText);

    TableLayout layout;
    layout.version = version->byte;
    layout.format = version->format;
    layout.recordCount = readLe32(header.data() + RecordCountOffset);
    layout.headerLength = readLe16(header.data() + HeaderLengthOffset);
    layout.recordLength = readLe16(header.data() + RecordLengthOffset);
    layout.languageDriverId = byteAt(header.data(), LanguageDriverOffset);
    if (level7)
        layout.languageDriverName = columnName(header.substr(DriverNameOffset, DriverNameSize));

    // A header too short for one column, or records without bytes: some other kind of file.
    if (layout.headerLength <= fixedSize || layout.recordLength == 0)
        fail(NotATable, messages::NotATable, pathText);
    if (layout.headerLength > fileSize || layout.headerLength > header.size())
        fail(CorruptHeader, messages::CorruptHeader, pathText);
    // dBase IV to 7 mark an encrypted table in byte 15; its field data cannot be read without the key.
    if (version->format != Format::FoxPro && version->format != Format::VisualFoxPro
        && byteAt(header.data(), EncryptedOffset) == 1)
        fail(TableEncrypted, messages::TableEncrypted, pathText);

    // Descriptors run up to the 0x0D terminator. What follows it (the VFP backlink, the dBase 7
    // property block, padding) lies inside the header length but holds no columns. Some files have
    // no terminator: then the header length ends the list, as does a descriptor of zeros.
    const std::size_t descriptorSize = level7 ? Level7DescriptorSize : DescriptorSize;
    std::size_t position = fixedSize;
    while (position + descriptorSize <= layout.headerLength) {
        const char* d = header.data() + position;
        if (d[0] == HeaderTerminator)
            break;
        // Zeros where the terminator is missing are padding; a descriptor whose name merely starts
        // with NUL (an empty name) still has its type and length, and the columns after it count.
        if (d[0] == '\0' && d[level7 ? Level7TypeOffset : TypeOffset] == '\0')
            break;
        ColumnDescriptor column;
        if (level7) {
            column.name = columnName(std::string_view(d, Level7NameSize));
            column.type = d[Level7TypeOffset];
            column.length = byteAt(d, Level7LengthOffset);
            column.decimals = byteAt(d, Level7DecimalsOffset);
        } else {
            column.name = columnName(std::string_view(d, NameSize));
            column.type = d[TypeOffset];
            column.length = byteAt(d, LengthOffset);
            column.decimals = byteAt(d, DecimalsOffset);
            // Clipper may leave garbage in the flags byte: only VFP's count.
            if (version->format == Format::VisualFoxPro)
                column.flags = byteAt(d, FlagsOffset);
        }
        layout.columns.push_back(std::move(column));
        position += descriptorSize;
    }
    if (layout.columns.empty())
        fail(NotATable, messages::NotATable, pathText);

    if (!level7)
        applyLongCharacterLengths(layout.columns, layout.recordLength);
    // The offset stored in the descriptor is garbage in dBase III and wrong in some writers: the
    // columns follow each other after the deletion flag byte.
    std::uint64_t offset = 1;
    for (ColumnDescriptor& column : layout.columns) {
        column.offset = static_cast<unsigned>(offset);
        offset += column.length;
    }
    // The record may be longer than its columns, never shorter.
    if (offset > layout.recordLength)
        fail(CorruptHeader, messages::CorruptColumns, pathText);

    // Writers update the count last: records past it are not yet part of the table, and are left
    // alone. Fewer records than announced mean a table cut short, whose missing rows would go
    // unnoticed.
    const std::uint64_t completeRecords = (fileSize - layout.headerLength) / layout.recordLength;
    if (completeRecords < layout.recordCount)
        throw Error(TableTruncated, messages::tableTruncated(layout.recordCount, completeRecords), pathText);
    return layout;
}

} // namespace dbase::detail
