#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace dbase {

// What a column's values are, whatever letter the file uses for its type.
enum class FieldKind
{
    Character, // C, VFP V: text, converted to UTF-8
    Float, // N, F, VFP B, dBase 7 O: 8-byte double
    Integer, // VFP I, dBase 7 I and + (autoincrement)
    Decimal, // VFP Y (currency): value times 10 000
    Logical, // L
    Date, // D
    Time, // time of day (no dBase type of its own; kept for completeness)
    DateTime, // VFP T, dBase 7 @
    Memo, // M: text in the memo file, converted to UTF-8
    Blob, // dBase 5/7 B, G, P, VFP W and Q: bytes, unconverted
};

struct Date
{
    int year = 0;
    int month = 0; // 1..12
    int day = 0; // 1..31
    friend bool operator==(const Date&, const Date&) = default;
};

struct TimeOfDay
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

struct DateTime
{
    Date date;
    TimeOfDay time;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A fixed-point number with four decimals: the value times 10 000.
struct Decimal
{
    std::int64_t scaled = 0;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// One column's value in one record. std::monostate is the blank value.
// std::string holds UTF-8 text for Character and Memo columns and raw bytes for Blob columns.
using Value = std::variant<std::monostate, std::string, double, std::int32_t, Decimal, bool, Date, TimeOfDay, DateTime>;

inline bool isBlank(const Value& v)
{
    return std::holds_alternative<std::monostate>(v);
}

// Text or bytes of a value as the table file holds them, not yet converted: the bytes of a character
// or memo value in the table's code page, or bytes that stay as they are.
struct RawText
{
    std::string_view bytes; // never empty: an empty text is the blank value
    int codePage = 0; // the code page to convert from to UTF-8; 0: the bytes are taken unchanged
};

// One column's value in one record as the engine reads it, without copying text: Value with RawText in
// place of std::string. The bytes belong to the table and stay valid until it reads something else.
using ValueView = std::variant<std::monostate, RawText, double, std::int32_t, Decimal, bool, Date, TimeOfDay, DateTime>;

// The value with its text converted to UTF-8 (bytes that stay unchanged are copied).
Value toValue(const ValueView& view);

} // namespace dbase
