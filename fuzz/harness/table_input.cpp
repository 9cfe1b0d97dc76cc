#include "dbase/error.h"
#include "dbase/table.h"
#include "export/xml_text.h"
#include "harness.h"
#include "platform/codepage_table.h"
#include "platform/paths.h"
#include "platform/regional.h"
#include "timetable/value_text.h"

#include <fmt/format.h>
#include <typeinfo>

namespace fuzzing {

namespace {

using dbase::FieldKind;
using dbase::Value;

const platform::RegionalSettings& settings()
{
    static const platform::RegionalSettings spanish = [] {
        platform::RegionalSettings s;
        s.decimalSeparator = ",";
        s.shortDate = "dd/MM/yyyy";
        s.dateSeparator = "/";
        s.timeSeparator = ":";
        s.clock24 = 1;
        return s;
    }();
    return spanish;
}

// Whether a value has the form its column's kind promises (the table layer relies on it).
bool matchesKind(const Value& value, FieldKind kind)
{
    if (dbase::isBlank(value))
        return true;
    switch (kind) {
    case FieldKind::Character:
    case FieldKind::Memo:
    case FieldKind::Blob:
        return std::holds_alternative<std::string>(value);
    case FieldKind::Float:
        return std::holds_alternative<double>(value);
    case FieldKind::Integer:
        return std::holds_alternative<std::int32_t>(value);
    case FieldKind::Decimal:
        return std::holds_alternative<dbase::Decimal>(value);
    case FieldKind::Logical:
        return std::holds_alternative<bool>(value);
    case FieldKind::Date:
        return std::holds_alternative<dbase::Date>(value);
    case FieldKind::Time:
        return std::holds_alternative<dbase::TimeOfDay>(value);
    case FieldKind::DateTime:
        return std::holds_alternative<dbase::DateTime>(value);
    }
    return false;
}

bool isFox(dbase::Format format)
{
    return format == dbase::Format::FoxPro || format == dbase::Format::VisualFoxPro;
}

// The ways that skip converting a text on its own give what converting it gives: the code page's
// table, and the table's escaped form against escaping the converted text.
std::optional<std::string> checkFastText(const dbase::ValueView& view, const Value& value)
{
    const auto* raw = std::get_if<dbase::RawText>(&view);
    if (raw == nullptr || raw->codePage == 0)
        return std::nullopt;
    const auto* table = platform::CodePageTable::forCodePage(raw->codePage);
    if (table == nullptr)
        return std::nullopt;
    std::string converted;
    table->appendUtf8(raw->bytes, converted);
    if (!std::holds_alternative<std::string>(value) || converted != std::get<std::string>(value))
        return "the code page's table converted the text otherwise than the converter";
    if (platform::CodePageTable::isAscii(raw->bytes) && !table->keepsAscii())
        return std::nullopt;
    const auto room = raw->bytes.size() * exporter::MaxEscapedBytesPerByte + exporter::EscapedCodePage::CopySlack;
    std::string fast(room, '\0');
    std::string slow(room, '\0');
    exporter::XmlTextProblem fastProblem {};
    exporter::XmlTextProblem slowProblem {};
    std::size_t offset = 0;
    const char* fastEnd = exporter::EscapedCodePage::of(*table).escape(raw->bytes, fast.data(), fastProblem, offset);
    const char* slowEnd = exporter::escapeAttributeText(converted, slow.data(), slowProblem);
    if ((fastEnd == nullptr) != (slowEnd == nullptr))
        return "the escaped table refused otherwise than escaping the converted text";
    if (fastEnd == nullptr) {
        if (fastProblem.kind != slowProblem.kind || fastProblem.character != slowProblem.character
            || fastProblem.offset != slowProblem.offset)
            return "the escaped table found another problem";
    } else if (std::string_view(fast.data(), static_cast<std::size_t>(fastEnd - fast.data()))
        != std::string_view(slow.data(), static_cast<std::size_t>(slowEnd - slow.data()))) {
        return "the escaped table wrote another text";
    }
    return std::nullopt;
}

// One pass over the table: the rows' values, then the failure that ended the pass (empty when
// the pass reached the end).
struct Pass
{
    std::vector<std::vector<Value>> rows;
    std::string failure;
};

Pass readPass(dbase::Table& table, std::optional<std::string>& problem)
{
    Pass pass;
    const auto& columns = table.columns();
    try {
        table.rewind();
        while (table.fetchNext()) {
            auto& row = pass.rows.emplace_back();
            for (std::size_t i = 0; i < columns.size(); ++i) {
                row.push_back(table.value(i));
                const Value& value = row.back();
                if (!matchesKind(value, columns[i].kind) && !problem)
                    problem = fmt::format("column {} ({}) gave a value of the wrong form", i, columns[i].type);
                // Character values of dBase tables leave the engine as UTF-8. (Memo values may be
                // bytes: a FoxPro picture or object block, even in a .DBT, is not recoded.)
                if (!isFox(table.format()) && columns[i].kind == FieldKind::Character
                    && std::holds_alternative<std::string>(value)) {
                    const auto bad = exporter::findXmlTextProblem(std::get<std::string>(value));
                    if (bad && bad->kind == exporter::XmlTextProblem::Kind::InvalidUtf8 && !problem)
                        problem = fmt::format("column {} gave text that is not UTF-8", i);
                }
                (void)timetable::valueText(value, columns[i].kind, settings());
                if (auto wrong = checkFastText(table.view(i), value); wrong && !problem)
                    problem = fmt::format("column {}: {}", i, *wrong);
            }
        }
    } catch (const dbase::Error& error) {
        pass.failure = error.what();
        if (error.entries().empty() || error.entries()[0].message.empty())
            problem = "an engine failure without a message";
    }
    return pass;
}

} // namespace

std::optional<std::string> checkTableInput(std::string_view input, const std::filesystem::path& scratch)
{
    if (input.empty())
        return std::nullopt;
    const auto flags = static_cast<unsigned char>(input[0]);
    const auto parts = splitParts(input.substr(1), 2);
    const auto folder = scratch / "tabla";
    resetFolder(folder);
    const auto tablePath = folder / "T.DBF";
    writeWholeFile(tablePath, parts[0]);
    if (parts.size() > 1)
        writeWholeFile(folder / ((flags & 1) != 0 ? "T.FPT" : "T.DBT"), parts[1]);
    const auto mode = (flags & 2) != 0 ? dbase::OpenMode::ReadWrite : dbase::OpenMode::ReadOnly;

    std::optional<std::string> problem;
    try {
        auto table = dbase::Table::open(folder, "T.DBF", mode);
        const Pass first = readPass(*table, problem);
        const Pass second = readPass(*table, problem);
        if (!problem && (first.rows != second.rows || first.failure != second.failure))
            problem = "a second pass after rewind read something else";
    } catch (const dbase::Error& error) {
        // Failures at open name the file concerned.
        if (error.entries().empty() || error.entries()[0].message.empty())
            problem = "an engine failure without a message";
        else if (error.entries()[0].context.find(platform::pathText(folder)) != 0)
            problem = "an engine failure that names no file of the table: " + error.entries()[0].context;
    } catch (const std::exception& other) {
        problem = fmt::format("unexpected exception {}: {}", typeid(other).name(), other.what());
    }
    if (!problem && readWholeFile(tablePath) != std::string(parts[0]))
        problem = "the table file changed";
    return problem;
}

} // namespace fuzzing
