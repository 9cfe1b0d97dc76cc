#pragma once

#include "dbase/value.h"
#include "platform/local_time.h"
#include "platform/regional.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace timetable {

// The decimal separator in force: the first character of the setting, or "." when there is none.
// The text belongs to the settings and changes with them.
std::string_view decimalSeparator(const platform::RegionalSettings& settings);

// General format with at most 15 significant digits: fixed notation for exponents -3..15 after
// rounding, else d.dddE-n; "0" for zero of either sign; never a thousands separator. A value that is
// not finite gives "NAN", "INF" or "-INF".
std::string formatFloat(double value, std::string_view decimalSeparator);

// Room enough for any text of formatFloatTo, the decimal separator aside.
inline constexpr std::size_t FloatTextCapacity = 32;

// Writes formatFloat's text to out, which has room for FloatTextCapacity bytes and the decimal
// separator, and answers its length.
std::size_t formatFloatTo(double value, std::string_view decimalSeparator, char* out);

// Fixed notation with at most four decimals, trailing zeros dropped.
std::string formatDecimal(dbase::Decimal value, std::string_view decimalSeparator);

// The date rendered with the short-date picture ("m/d/yy" when the settings give none).
std::string formatDate(const dbase::Date& date, const platform::RegionalSettings& settings);

// Hour, separator, two-digit minutes, separator, two-digit seconds, and the am/pm designator in
// 12-hour form, built from the clock settings rather than a time picture.
std::string formatTime(const dbase::TimeOfDay& time, const platform::RegionalSettings& settings);

// The date; then, unless the time is exactly midnight (milliseconds not counted), a blank and the time.
std::string formatDateTime(const dbase::DateTime& value, const platform::RegionalSettings& settings);

// A moment of the local clock as its date, a space and its time, midnight included.
std::string formatLocalTime(const platform::LocalTime& moment, const platform::RegionalSettings& settings);

// The text of a logical value: "Verdadero" or "Falso".
std::string_view flagText(bool flag);

// The text of a value of the given kind; blank gives the empty text. Never fails.
std::string valueText(const dbase::Value& value, dbase::FieldKind kind, const platform::RegionalSettings& settings);

// The text of a value as the engine reads it, by valueText's rules, with the regional settings in
// force (asked for only by the kinds whose text depends on them): a text's bytes as they stand (a
// code page's text is the caller's to convert), a logical value's literal, or the text written to
// scratch. Blank gives the empty text. Never fails.
std::string_view valueText(const dbase::ValueView& value, std::string& scratch);

// Reads an integer text: optional leading blanks, optional sign, then decimal digits that fit 32 bits
// signed, or one to eight hex digits after "$", "x", "X", "0x" or "0X" taken as a signed 32-bit pattern
// before the sign is applied. The digits must reach the end. Nothing for anything else.
std::optional<std::int32_t> parseIntegerText(std::string_view text);

// Rounds to the nearest integer, halves to even, and keeps the low 32 bits of the 64-bit result.
// Nothing when the value is not finite or lies outside the 64-bit range.
std::optional<std::int32_t> roundToInt32(double value);

// Rounds a decimal to the nearest integer, halves to even, and keeps the low 32 bits of the result.
std::int32_t roundDecimalToInt32(dbase::Decimal value);

} // namespace timetable
