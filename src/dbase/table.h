#pragma once

#include "dbase/value.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dbase {

// The file family, decided from the file's first byte.
enum class Format
{
    DBase3, // dBase III/III+, FoxBASE+, Clipper (0x03, 0x83)
    DBase4, // dBase IV and 5 (0x8B, 0x7B, 0xCB, ...)
    DBase7, // level 7: 68-byte header, 48-byte descriptors
    FoxPro, // FoxBase/FoxPro 2.x (0xF5, 0xFB)
    VisualFoxPro, // 0x30, 0x31, 0x32
};

enum class OpenMode
{
    ReadOnly,
    ReadWrite, // the file is opened for writing too, but the engine never writes
};

struct Column
{
    std::string name; // UTF-8, cut at the first NUL, blanks trimmed
    char type = 0; // the type letter as the file gives it
    FieldKind kind = FieldKind::Character;
    bool readable = true; // false for a type the engine cannot read: the table layer makes no field for it
    unsigned offset = 0; // inside the record, after the deletion flag byte
    unsigned length = 0;
    unsigned decimals = 0;
};

// An open dBase table: reads records in file order, skipping those marked deleted.
// Never reads outside the file; every failure is a dbase::Error naming the file.
class Table
{
public:
    // Opens fileName in directory, finding both the table and its memo file without regard to case.
    // Throws Error: DirectoryNotFound, TableNotFound, AccessDenied, ReadOnlyTable (mode ReadWrite on a
    // file that allows only reading), NotATable, CorruptHeader, TableEncrypted, TableTruncated (fewer
    // records than the header announces), MemoNotFound, CorruptMemo.
    static std::unique_ptr<Table> open(
        const std::filesystem::path& directory, std::string_view fileName, OpenMode mode);
    virtual ~Table();

    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // The path of the table file that was opened.
    virtual const std::filesystem::path& path() const = 0;
    virtual Format format() const = 0;
    // The code page the table's language driver gives; 0 when the table names none.
    virtual int languageDriverCodePage() const = 0;
    // The code page used for the table's text: the language driver's, else the system's OEM code page.
    virtual int codePage() const = 0;
    // The visible columns in file order (hidden system columns such as _NullFlags are left out).
    virtual const std::vector<Column>& columns() const = 0;

    // Positions before the first record.
    virtual void rewind() = 0;
    // Fetches the next live record; false after the last record the header announces. Throws Error:
    // ReadFailure, or TableTruncated when an end-of-file mark stands where an announced record starts.
    virtual bool fetchNext() = 0;
    // The value of a column of the fetched record without a copy of its text, which points into the
    // table's read block or its memo file's buffer and stays valid until the next call of view(),
    // value(), fetchNext() or rewind(). A blank value is std::monostate. Memo values are read from the
    // memo file here. Throws Error for a broken memo, or when no record is fetched.
    virtual ValueView view(std::size_t column) const = 0;
    // The same value with its text converted to UTF-8.
    Value value(std::size_t column) const { return toValue(view(column)); }

protected:
    Table() = default;
};

} // namespace dbase
