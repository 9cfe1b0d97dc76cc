#pragma once

#include "dbase/error.h"
#include "dbase/table.h"
#include "dbase/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class CodePageTable;
}

namespace timetable {

// A value's text as a field hands it on without copying it: UTF-8 bytes, or bytes of a single-byte
// code page with that code page's table, the text then being the bytes converted through the table.
struct TextPiece
{
    std::string_view bytes;
    const platform::CodePageTable* codePage = nullptr; // nullptr: the bytes are UTF-8
};

enum class TableType
{
    ttDefault, // the kind of table follows from the file name's extension
    ttDBase, // a dBase table; a name without extension stands for the name with ".DBF"
};

class TableComponent;

// One column of an open table. Its value is read from the table's current row at each call.
class Field
{
public:
    Field(TableComponent& table, std::size_t column, std::string name, dbase::FieldKind kind);

    const std::string& name() const { return m_name; }
    dbase::FieldKind kind() const { return m_kind; }

    // The value as the engine delivers it for the current row (blank on an empty table).
    dbase::Value value() const;
    bool isBlank() const;
    // The value as text; never fails for any kind (blank gives "").
    std::string asString() const;
    // The text of asString() without a copy where the value allows: the bytes point into the table's
    // read buffers, into a literal, or into scratch, and stay valid until the table reads anything
    // else or scratch changes. Numbers, dates and other converted texts are written to scratch.
    TextPiece text(std::string& scratch) const;
    // The value as a 32-bit integer; throws platform::UserError when it cannot be read as one.
    std::int32_t asInteger() const;

private:
    TableComponent* m_table;
    std::size_t m_column;
    std::string m_name;
    dbase::FieldKind m_kind;
    // The table of the code page last met in this field's text (a table has one code page).
    mutable int m_codePage = 0;
    mutable const platform::CodePageTable* m_codePageTable = nullptr;
};

// A table of the timetable database, with its file name, type, directory and open state.
// Failures are platform::UserError with the final text (the component's name in front where due).
class TableComponent
{
public:
    TableComponent(
        std::string name, std::string tableName, TableType type, bool readOnly, std::string databaseName = {});
    ~TableComponent();
    TableComponent(const TableComponent&) = delete;
    TableComponent& operator=(const TableComponent&) = delete;

    const std::string& name() const { return m_name; }
    const std::string& tableName() const { return m_tableName; }
    TableType tableType() const { return m_type; }
    bool readOnly() const { return m_readOnly; }
    const std::string& databaseName() const { return m_databaseName; }

    // The same text changes nothing; another text is taken only while the table is closed.
    void setDatabaseName(const std::string& directory);
    // Opens the table (nothing happens when it is open already).
    void open();
    // Rewinds and reads the first row.
    void first();
    // True when there is no row, or after a move from the last row.
    bool eof() const;
    // Moves to the next row; nothing happens past the last row.
    void next();
    // Closes the table (nothing happens when it is closed already).
    void close();
    bool active() const { return m_engineTable != nullptr; }

    // The first field whose name equals the given one without regard to case.
    Field& fieldByName(std::string_view fieldName);
    const std::vector<std::unique_ptr<Field>>& fields() const { return m_fields; }

    // After opening: the driver the table was opened with ("DBASE", "FOXPRO", ...), and whether the
    // file was opened for reading only.
    const std::string& driverName() const { return m_driverName; }
    bool openedReadOnly() const { return m_openedReadOnly; }

private:
    friend class Field;
    dbase::ValueView currentView(std::size_t column) const;
    void requireOpen() const;

    std::string m_name;
    std::string m_tableName;
    TableType m_type;
    bool m_readOnly;
    std::string m_databaseName;

    std::unique_ptr<dbase::Table> m_engineTable;
    std::vector<std::unique_ptr<Field>> m_fields;
    std::string m_driverName;
    bool m_openedReadOnly = false;
    bool m_hasRow = false;
    bool m_eof = true;
};

// Puts an engine failure's text together: each entry's message and context trimmed of blanks and
// control characters, empty and repeated texts left out, the rest joined by CR LF; "Error BDE $XXXX"
// when nothing remains.
std::string engineFailureText(const dbase::Error& error);

// The six tables of the timetable database.
struct TimetableTables
{
    TableComponent wwTableASIGT {"wwTableASIGT", "Asig.DBF", TableType::ttDefault, false};
    TableComponent wwTableNomAsg {"wwTableNomAsg", "NOMASG", TableType::ttDBase, true};
    TableComponent wwTableProfesor {"wwTableProfesor", "PROF", TableType::ttDBase, true};
    TableComponent wwTableGrupos {"wwTableGrupos", "GRUP", TableType::ttDBase, true};
    TableComponent wwTableAulas {"wwTableAulas", "AULA", TableType::ttDBase, true};
    TableComponent wwTableSoluc {"wwTableSoluc", "SOLUC", TableType::ttDBase, true, "c:\\mtemp"};
};

} // namespace timetable
