#include "timetable/table_component.h"

#include "platform/codepage.h"
#include "platform/codepage_table.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "platform/text.h"
#include "platform/user_error.h"
#include "timetable/messages.h"
#include "timetable/value_text.h"

#include <algorithm>
#include <fmt/format.h>

namespace timetable {

namespace {

std::string trimmed(std::string_view text)
{
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// The extension of a file name including its dot ("" when there is none).
std::string extensionOf(std::string_view fileName)
{
    std::size_t slash = fileName.find_last_of("/\\:");
    std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return std::string(fileName.substr(dot));
}

[[noreturn]] void raiseNamed(const std::string& component, const std::string& text)
{
    throw platform::UserError(fmt::format(fmt::runtime(messages::Named), component, text));
}

} // namespace

std::string engineFailureText(const dbase::Error& error)
{
    std::vector<std::string> texts;
    auto add = [&texts](std::string_view text) {
        std::string t = trimmed(text);
        if (!t.empty() && std::find(texts.begin(), texts.end(), t) == texts.end())
            texts.push_back(std::move(t));
    };
    for (const dbase::ErrorEntry& entry : error.entries()) {
        add(entry.message);
        add(entry.context);
    }
    if (texts.empty())
        return fmt::format(fmt::runtime(messages::EngineCode), error.code());
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            joined += "\r\n";
        joined += texts[i];
    }
    return joined;
}

Field::Field(TableComponent& table, std::size_t column, std::string name, dbase::FieldKind kind)
    : m_table(&table)
    , m_column(column)
    , m_name(std::move(name))
    , m_kind(kind)
{
}

dbase::Value Field::value() const
{
    return dbase::toValue(m_table->currentView(m_column));
}

bool Field::isBlank() const
{
    return std::holds_alternative<std::monostate>(m_table->currentView(m_column));
}

std::string Field::asString() const
{
    std::string scratch;
    const TextPiece piece = text(scratch);
    if (piece.codePage == nullptr)
        return std::string(piece.bytes);
    std::string converted;
    piece.codePage->appendUtf8(piece.bytes, converted);
    return converted;
}

TextPiece Field::text(std::string& scratch) const
{
    const dbase::ValueView view = m_table->currentView(m_column);
    const auto* raw = std::get_if<dbase::RawText>(&view);
    if (raw == nullptr || raw->codePage == 0)
        return {valueText(view, scratch)};
    if (raw->codePage != m_codePage) {
        m_codePageTable = platform::CodePageTable::forCodePage(raw->codePage);
        m_codePage = raw->codePage;
    }
    if (m_codePageTable != nullptr)
        return {raw->bytes, m_codePageTable};
    scratch = platform::toUtf8(raw->bytes, raw->codePage);
    return {scratch};
}

std::int32_t Field::asInteger() const
{
    using dbase::FieldKind;
    auto notAnInteger = [](const std::string& text) -> platform::UserError {
        return platform::UserError(fmt::format(fmt::runtime(messages::NotAnInteger), text));
    };
    switch (m_kind) {
    case FieldKind::Float: {
        dbase::Value v = value();
        if (dbase::isBlank(v))
            return 0;
        double d = std::get<double>(v);
        if (auto rounded = roundToInt32(d))
            return *rounded;
        // Beyond what a 64-bit integer holds (or not a number): refused rather than made up.
        throw notAnInteger(formatFloat(d, decimalSeparator(platform::regionalSettings())));
    }
    case FieldKind::Integer: {
        dbase::Value v = value();
        return dbase::isBlank(v) ? 0 : std::get<std::int32_t>(v);
    }
    case FieldKind::Decimal: {
        dbase::Value v = value();
        if (dbase::isBlank(v))
            return 0;
        return roundDecimalToInt32(std::get<dbase::Decimal>(v));
    }
    case FieldKind::Character: {
        std::string text = asString();
        if (auto parsed = parseIntegerText(text))
            return *parsed;
        throw notAnInteger(text);
    }
    default:
        throw platform::UserError(fmt::format(fmt::runtime(messages::FieldTypeMismatch), m_name, "Integer"));
    }
}

TableComponent::TableComponent(
    std::string name, std::string tableName, TableType type, bool readOnly, std::string databaseName)
    : m_name(std::move(name))
    , m_tableName(std::move(tableName))
    , m_type(type)
    , m_readOnly(readOnly)
    , m_databaseName(std::move(databaseName))
{
}

TableComponent::~TableComponent() = default;

void TableComponent::setDatabaseName(const std::string& directory)
{
    if (directory == m_databaseName)
        return;
    if (active())
        raiseNamed(m_name, messages::OpenDataSet);
    m_databaseName = directory;
}

void TableComponent::open()
{
    if (active())
        return;

    std::filesystem::path directory = platform::mapDirectory(m_databaseName);
    std::string fileName = m_tableName;
    std::string extension = platform::asciiLower(extensionOf(fileName));
    std::string driver = "DBASE";
    if (m_type == TableType::ttDBase) {
        if (extension.empty())
            fileName += ".DBF";
    } else if (extension == ".dbf") {
        // A memo (.FPT) or compound index (.CDX) file beside the table marks the FoxPro variant.
        std::string base = fileName.substr(0, fileName.size() - extension.size());
        if (platform::findFileNoCase(directory, base + ".FPT") || platform::findFileNoCase(directory, base + ".CDX"))
            driver = "FOXPRO";
    } else if (extension == ".txt") {
        driver = "ASCIIDRV";
    } else {
        driver = "PARADOX";
    }

    std::unique_ptr<dbase::Table> table;
    bool readOnly = m_readOnly;
    try {
        try {
            table = dbase::Table::open(
                directory, fileName, readOnly ? dbase::OpenMode::ReadOnly : dbase::OpenMode::ReadWrite);
        } catch (const dbase::Error& e) {
            if (readOnly || e.code() != dbase::ReadOnlyTable)
                throw;
            readOnly = true;
            table = dbase::Table::open(directory, fileName, dbase::OpenMode::ReadOnly);
        }
    } catch (const dbase::Error& e) {
        throw platform::UserError(engineFailureText(e));
    }

    std::vector<std::unique_ptr<Field>> fields;
    const auto& columns = table->columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].readable)
            continue;
        auto taken = [&fields](const std::string& name) {
            return std::any_of(fields.begin(), fields.end(),
                [&name](const auto& f) { return platform::equalsIgnoreCase(f->name(), name); });
        };
        std::string name = columns[i].name;
        if (taken(name)) {
            std::string candidate;
            for (int n = 1;; ++n) {
                candidate = fmt::format("{}_{}", name, n);
                if (!taken(candidate))
                    break;
            }
            name = candidate;
        }
        fields.push_back(std::make_unique<Field>(*this, i, std::move(name), columns[i].kind));
    }

    m_engineTable = std::move(table);
    m_fields = std::move(fields);
    m_driverName = driver;
    m_openedReadOnly = readOnly;
    m_hasRow = false;
    m_eof = true;
}

void TableComponent::requireOpen() const
{
    if (!active())
        raiseNamed(m_name, messages::ClosedDataSet);
}

void TableComponent::first()
{
    requireOpen();
    try {
        m_engineTable->rewind();
        m_hasRow = m_engineTable->fetchNext();
    } catch (const dbase::Error& e) {
        m_hasRow = false;
        m_eof = true;
        throw platform::UserError(engineFailureText(e));
    }
    m_eof = !m_hasRow;
}

bool TableComponent::eof() const
{
    return !active() || m_eof;
}

void TableComponent::next()
{
    requireOpen();
    if (m_eof)
        return;
    try {
        if (!m_engineTable->fetchNext())
            m_eof = true; // the last row stays the current row
    } catch (const dbase::Error& e) {
        throw platform::UserError(engineFailureText(e));
    }
}

void TableComponent::close()
{
    m_fields.clear();
    m_engineTable.reset();
    m_hasRow = false;
    m_eof = true;
}

Field& TableComponent::fieldByName(std::string_view fieldName)
{
    for (auto& field : m_fields) {
        if (platform::equalsIgnoreCase(field->name(), fieldName))
            return *field;
    }
    raiseNamed(m_name, fmt::format(fmt::runtime(messages::FieldNotFound), fieldName));
}

dbase::ValueView TableComponent::currentView(std::size_t column) const
{
    if (!active() || !m_hasRow)
        return std::monostate {};
    try {
        return m_engineTable->view(column);
    } catch (const dbase::Error& e) {
        throw platform::UserError(engineFailureText(e));
    }
}

} // namespace timetable
