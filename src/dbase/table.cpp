#include "dbase/table.h"

#include "dbase/binary_file.h"
#include "dbase/error.h"
#include "dbase/field_types.h"
#include "dbase/memo_file.h"
#include "dbase/messages.h"
#include "dbase/table_layout.h"
#include "platform/codepage.h"
#include "platform/paths.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace dbase {

Table::~Table() = default;

namespace {

using detail::BinaryFile;
using detail::ColumnDescriptor;
using detail::DecodeContext;
using detail::FieldType;
using detail::MemoFile;
using detail::TableLayout;

// Largest header: a 16-bit header length.
constexpr std::size_t MaxHeaderLength = 0xFFFF;
constexpr char DeletedFlag = '*';
// The end-of-file mark, which follows the last record.
constexpr char EndOfFile = 0x1A;
constexpr char NullFlagsType = '0';
constexpr std::uint64_t NoRecord = static_cast<std::uint64_t>(-1);

// How value() reads one visible column.
struct ColumnReader
{
    const FieldType* type = nullptr; // nullptr: the engine cannot read this column
    unsigned offset = 0;
    unsigned length = 0;
    int nullBit = -1; // VFP: bit in _NullFlags that marks the value NULL
    int lengthBit = -1; // VFP V and Q: bit in _NullFlags that says the last byte holds the length
    DecodeContext context;
};

bool isFoxFamily(Format format)
{
    return format == Format::FoxPro || format == Format::VisualFoxPro;
}

class DbfTable final : public Table
{
public:
    DbfTable(const std::filesystem::path& directory, std::string_view fileName, OpenMode mode);

    const std::filesystem::path& path() const override { return m_path; }
    Format format() const override { return m_layout.format; }
    int languageDriverCodePage() const override { return m_languageDriverCodePage; }
    int codePage() const override { return m_codePage; }
    const std::vector<Column>& columns() const override { return m_columns; }

    void rewind() override;
    bool fetchNext() override;
    ValueView view(std::size_t column) const override;

private:
    void openFile(OpenMode mode);
    void readLayout();
    void buildColumns();
    void openMemoFile();
    const char* record(std::uint64_t index) const;
    bool flagSet(const char* record, int bit) const;
    [[noreturn]] void fail(std::uint16_t code, const char* message) const;

    std::filesystem::path m_path;
    std::string m_pathText;
    mutable BinaryFile m_file;
    TableLayout m_layout;
    int m_languageDriverCodePage = 0;
    int m_codePage = 0;
    std::vector<Column> m_columns;
    std::vector<ColumnReader> m_readers;
    std::optional<unsigned> m_nullFlagsOffset;
    unsigned m_nullFlagsLength = 0;
    std::unique_ptr<MemoFile> m_memo;

    // Live rows are taken from a block of whole records read at once.
    std::uint64_t m_recordCount = 0;
    mutable std::vector<char> m_block;
    mutable std::uint64_t m_blockFirst = 0;
    mutable std::uint64_t m_blockCount = 0;
    std::uint64_t m_next = 0; // the next record to look at
    std::uint64_t m_current = NoRecord; // the fetched record
    mutable const char* m_currentBytes = nullptr; // its bytes while the block holds them
};

DbfTable::DbfTable(const std::filesystem::path& directory, std::string_view fileName, OpenMode mode)
{
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        throw Error(DirectoryNotFound, messages::DirectoryNotFound, platform::pathText(directory));
    // A name without an extension stands for the .DBF file.
    std::string name(fileName);
    if (std::filesystem::path(name).extension().empty())
        name += ".DBF";
    const auto found = platform::findFileNoCase(directory, name);
    if (!found)
        throw Error(TableNotFound, messages::TableNotFound, platform::pathText(platform::joinPath(directory, name)));
    m_path = *found;
    m_pathText = platform::pathText(m_path);
    if (!std::filesystem::is_regular_file(m_path, error))
        fail(NotATable, messages::NotATable);

    openFile(mode);
    readLayout();
    buildColumns();
    openMemoFile();
}

void DbfTable::fail(std::uint16_t code, const char* message) const
{
    throw Error(code, message, m_pathText);
}

void DbfTable::openFile(OpenMode mode)
{
    if (m_file.open(m_path, mode == OpenMode::ReadWrite))
        return;
    // Writing refused but reading allowed: the table allows only reading. The caller may ask again
    // for reading only. (The superuser on POSIX is never refused writing by permission bits; only a
    // read-only file system or an immutable file refuses it.)
    if (mode == OpenMode::ReadWrite) {
        BinaryFile probe;
        if (probe.open(m_path, false))
            fail(ReadOnlyTable, messages::ReadOnlyTable);
    }
    fail(AccessDenied, messages::AccessDenied);
}

void DbfTable::readLayout()
{
    const std::uint64_t fileSize = m_file.size();
    if (fileSize == 0)
        fail(NotATable, messages::NotATable);
    std::string header(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, MaxHeaderLength)), '\0');
    if (!m_file.readAt(0, header.data(), header.size()))
        fail(ReadFailure, messages::ReadFailure);
    m_layout = detail::parseLayout(header, fileSize, m_pathText);
    m_recordCount = m_layout.recordCount;

    // dBase 7 names its language driver; older files give a byte. Without either the text is taken
    // to be in the system's OEM code page.
    if (!m_layout.languageDriverName.empty())
        m_languageDriverCodePage = platform::codePageForDriverName(m_layout.languageDriverName);
    if (m_languageDriverCodePage == 0)
        m_languageDriverCodePage = platform::codePageForLanguageDriver(m_layout.languageDriverId);
    m_codePage = m_languageDriverCodePage != 0 ? m_languageDriverCodePage : platform::oemCodePage();
}

void DbfTable::buildColumns()
{
    const bool vfp = m_layout.format == Format::VisualFoxPro;
    int nextBit = 0;
    for (const ColumnDescriptor& descriptor : m_layout.columns) {
        const bool nullable = vfp && (descriptor.flags & detail::NullableColumn) != 0;
        const bool variable = vfp && (descriptor.type == 'V' || descriptor.type == 'Q');
        // Bits of _NullFlags go to the columns in order: a length bit to every V and Q column, then a
        // null bit to every nullable one.
        const int lengthBit = variable ? nextBit++ : -1;
        const int nullBit = nullable ? nextBit++ : -1;

        if (vfp && descriptor.type == NullFlagsType) {
            if (!m_nullFlagsOffset) {
                m_nullFlagsOffset = descriptor.offset;
                m_nullFlagsLength = descriptor.length;
            }
            continue;
        }
        if (vfp && (descriptor.flags & detail::SystemColumn) != 0)
            continue;

        const FieldType* type = detail::fieldTypeFor(m_layout.format, descriptor.type, descriptor.length);
        Column column;
        column.name = platform::toUtf8(descriptor.name, m_codePage);
        column.type = descriptor.type;
        column.kind = type != nullptr ? type->kind : FieldKind::Blob;
        column.readable = type != nullptr;
        column.offset = descriptor.offset;
        column.length = descriptor.length;
        column.decimals = descriptor.decimals;
        m_columns.push_back(std::move(column));

        ColumnReader reader;
        reader.type = type;
        reader.offset = descriptor.offset;
        reader.length = descriptor.length;
        reader.nullBit = nullBit;
        reader.lengthBit = lengthBit;
        reader.context.codePage = m_codePage;
        reader.context.convertText = !(vfp && (descriptor.flags & detail::BinaryColumn) != 0);
        m_readers.push_back(reader);
    }
}

void DbfTable::openMemoFile()
{
    const bool needsMemo = std::any_of(m_readers.begin(), m_readers.end(),
        [](const ColumnReader& r) { return r.type != nullptr && r.type->usesMemo; });
    // Only a column kept in the memo file needs it: such a table does not open without its memo
    // file, while one whose version byte merely announces a memo opens without it.
    if (!needsMemo)
        return;
    // The memo file has the table's base name; its extension's case varies, and a dBase table may
    // come with an .FPT (and the other way round): the content decides how it is read.
    const bool fox = isFoxFamily(m_layout.format);
    const std::string stem = platform::pathText(m_path.stem());
    const char* const extensions[2] = {fox ? ".FPT" : ".DBT", fox ? ".DBT" : ".FPT"};
    std::optional<std::filesystem::path> memoPath;
    for (const char* extension : extensions) {
        memoPath = platform::findFileNoCase(m_path.parent_path(), stem + extension);
        std::error_code error;
        if (memoPath && std::filesystem::is_regular_file(*memoPath, error))
            break;
        memoPath.reset();
    }
    if (!memoPath)
        throw Error(MemoNotFound, messages::MemoNotFound,
            platform::pathText(platform::joinPath(m_path.parent_path(), stem + extensions[0])));
    m_memo = std::make_unique<MemoFile>(*memoPath, fox ? MemoFile::Style::Fpt : MemoFile::Style::Dbt);
    for (ColumnReader& reader : m_readers)
        reader.context.memo = m_memo.get();
}

void DbfTable::rewind()
{
    m_next = 0;
    m_current = NoRecord;
    m_currentBytes = nullptr;
}

bool DbfTable::fetchNext()
{
    while (m_next < m_recordCount) {
        const std::uint64_t index = m_next;
        const char* bytes = record(index);
        // The end-of-file mark where an announced record should start: the table was cut short.
        if (bytes[0] == EndOfFile)
            throw Error(TableTruncated, messages::tableTruncated(m_recordCount, index), m_pathText);
        ++m_next;
        if (bytes[0] == DeletedFlag)
            continue;
        m_current = index;
        m_currentBytes = bytes;
        return true;
    }
    // At the end the last fetched record stays the current one.
    return false;
}

const char* DbfTable::record(std::uint64_t index) const
{
    if (index < m_blockFirst || index >= m_blockFirst + m_blockCount) {
        const std::uint64_t perBlock = std::max<std::uint64_t>(1, detail::ReadBlockBytes / m_layout.recordLength);
        const std::uint64_t count = std::min(perBlock, m_recordCount - index);
        const std::size_t bytes = static_cast<std::size_t>(count * m_layout.recordLength);
        if (m_block.size() < bytes)
            m_block.resize(bytes);
        m_blockCount = 0;
        m_currentBytes = nullptr;
        if (!m_file.readAt(m_layout.headerLength + index * m_layout.recordLength, m_block.data(), bytes))
            fail(ReadFailure, messages::ReadFailure);
        m_blockFirst = index;
        m_blockCount = count;
    }
    return m_block.data() + (index - m_blockFirst) * m_layout.recordLength;
}

bool DbfTable::flagSet(const char* record, int bit) const
{
    if (bit < 0 || !m_nullFlagsOffset)
        return false;
    const auto byte = static_cast<unsigned>(bit) / 8;
    if (byte >= m_nullFlagsLength)
        return false;
    return (static_cast<unsigned char>(record[*m_nullFlagsOffset + byte]) & (1u << (bit % 8))) != 0;
}

ValueView DbfTable::view(std::size_t column) const
{
    if (column >= m_readers.size())
        throw std::out_of_range("dbase::Table::value: column out of range");
    if (m_current == NoRecord)
        fail(NoCurrentRecord, messages::NoCurrentRecord);
    const ColumnReader& reader = m_readers[column];
    if (reader.type == nullptr)
        return {};
    if (m_currentBytes == nullptr)
        m_currentBytes = record(m_current);
    const char* bytes = m_currentBytes;
    if (flagSet(bytes, reader.nullBit))
        return {};
    std::string_view raw(bytes + reader.offset, reader.length);
    // A V or Q column that is not full keeps its data length in its last byte.
    if (flagSet(bytes, reader.lengthBit) && !raw.empty()) {
        const auto length = static_cast<unsigned char>(raw.back());
        raw = raw.substr(0, std::min<std::size_t>(length, raw.size() - 1));
    }
    return reader.type->decode(raw, reader.context);
}

} // namespace

std::unique_ptr<Table> Table::open(const std::filesystem::path& directory, std::string_view fileName, OpenMode mode)
{
    return std::make_unique<DbfTable>(directory, fileName, mode);
}

} // namespace dbase
