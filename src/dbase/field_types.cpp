#include "dbase/field_types.h"

#include "dbase/byte_order.h"
#include "dbase/memo_file.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace dbase::detail {

namespace {

constexpr long long MillisecondsPerDay = 86'400'000;
// Julian day number of 1970-01-01.
constexpr long long JulianDayOfUnixEpoch = 2'440'588;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Most columns are short: for them a plain loop beats a call of memchr.
std::string_view cutAtNul(std::string_view raw)
{
    if (raw.size() > 8) {
        const auto nul = raw.find('\0');
        return nul == std::string_view::npos ? raw : raw.substr(0, nul);
    }
    std::size_t length = 0;
    while (length < raw.size() && raw[length] != '\0')
        ++length;
    return raw.substr(0, length);
}

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool allBytesAre(std::string_view raw, char c)
{
    for (char b : raw) {
        if (b != c)
            return false;
    }
    return true;
}

ValueView textValue(std::string_view bytes, const DecodeContext& context)
{
    if (bytes.empty())
        return {};
    return RawText {bytes, context.convertText ? context.codePage : 0};
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

bool isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// A date and time from days after 1970-01-01 and milliseconds since midnight; blank when the day
// falls outside the years 1 to 9999.
ValueView dateTimeValue(long long days, long long milliseconds)
{
    static const long long firstDay = daysFromCivil(1, 1, 1);
    static const long long lastDay = daysFromCivil(9999, 12, 31);
    if (days < firstDay || days > lastDay || milliseconds < 0 || milliseconds >= MillisecondsPerDay)
        return {};
    DateTime value;
    value.date = civilFromDays(days);
    value.time.hour = static_cast<int>(milliseconds / 3'600'000);
    value.time.minute = static_cast<int>(milliseconds / 60'000 % 60);
    value.time.second = static_cast<int>(milliseconds / 1000 % 60);
    value.time.millisecond = static_cast<int>(milliseconds % 1000);
    return value;
}

ValueView finiteOrBlank(double value)
{
    if (!std::isfinite(value))
        return {};
    return value;
}

// The block number of a memo reference written as up to 10 digits, right-aligned, padded with
// blanks or zeros (some writers use NULs for an empty reference). 0 means "no memo": blank, like an
// empty reference; anything but digits is taken as no memo too.
std::uint64_t textBlockNumber(std::string_view raw)
{
    const auto first = raw.find_first_not_of(std::string_view(" \0", 2));
    if (first == std::string_view::npos)
        return 0;
    const auto last = raw.find_last_not_of(std::string_view(" \0", 2));
    std::uint64_t block = 0;
    for (char c : raw.substr(first, last - first + 1)) {
        if (!isDigit(c))
            return 0;
        block = block * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return block;
}

ValueView memoText(std::uint64_t block, const DecodeContext& context)
{
    if (block == 0 || context.memo == nullptr)
        return {};
    const MemoFile::Data data = context.memo->read(block);
    if (data.bytes.empty())
        return {};
    return RawText {data.bytes, data.text && context.convertText ? context.codePage : 0};
}

ValueView memoBytes(std::uint64_t block, const DecodeContext& context)
{
    if (block == 0 || context.memo == nullptr)
        return {};
    const MemoFile::Data data = context.memo->read(block);
    if (data.bytes.empty())
        return {};
    return RawText {data.bytes, 0};
}

} // namespace

long long daysFromCivil(int year, int month, int day)
{
    // Proleptic Gregorian calendar in 400-year eras, the year starting in March.
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153LL * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

Date civilFromDays(long long days)
{
    const long long z = days + 719'468;
    const long long era = (z >= 0 ? z : z - 146'096) / 146'097;
    const long long dayOfEra = z - era * 146'097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return Date {year, month, day};
}

ValueView decodeCharacter(std::string_view raw, const DecodeContext& context)
{
    // The blanks that fill the column go first: a NUL, if there is one, lies before them, and the
    // search for it covers the text alone.
    std::size_t length = raw.size();
    while (length > 0 && raw[length - 1] == ' ')
        --length;
    const std::string_view text = cutAtNul(raw.substr(0, length));
    if (text.size() < length) {
        length = text.size();
        while (length > 0 && text[length - 1] == ' ')
            --length;
    }
    return textValue(raw.substr(0, length), context);
}

ValueView decodeVarChar(std::string_view raw, const DecodeContext& context)
{
    return textValue(raw, context);
}

ValueView decodeVarBinary(std::string_view raw, const DecodeContext&)
{
    if (raw.empty())
        return {};
    return RawText {raw, 0};
}

ValueView decodeNumeric(std::string_view raw, const DecodeContext&)
{
    // A NUL ends the number; what follows it may be garbage left by the writer.
    const std::string_view text = trimBlanks(cutAtNul(raw));
    if (text.empty() || allBytesAre(text, '*'))
        return {};
    // A whole number of up to 15 digits, the commonest case, is exact in a double as it stands.
    {
        const bool negative = text[0] == '-';
        const std::size_t first = text[0] == '+' || text[0] == '-' ? 1 : 0;
        if (text.size() > first && text.size() - first <= 15) {
            std::int64_t whole = 0;
            std::size_t i = first;
            for (; i < text.size() && isDigit(text[i]); ++i)
                whole = whole * 10 + (text[i] - '0');
            if (i == text.size()) {
                const auto value = static_cast<double>(whole);
                return negative ? -value : value;
            }
        }
    }
    // Only a sign, digits, one decimal point (',' as some tools write it) and an exponent may
    // appear; everything else ("1 234", "12*", "inf") is garbage and reads as blank.
    std::array<char, 64> buffer;
    if (text.size() >= buffer.size())
        return {};
    std::size_t length = 0;
    std::size_t start = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        start = 1;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c) || c == '.' || c == 'e' || c == 'E' || ((c == '+' || c == '-') && i > start))
            buffer[length++] = c;
        else if (c == ',')
            buffer[length++] = '.';
        else
            return {};
    }
    if (length == 0 || !(isDigit(buffer[0]) || buffer[0] == '.'))
        return {};
    double value = 0;
    const auto [end, error] = std::from_chars(buffer.data(), buffer.data() + length, value);
    if (error != std::errc() || end != buffer.data() + length || !std::isfinite(value))
        return {};
    return negative ? -value : value;
}

ValueView decodeLogical(std::string_view raw, const DecodeContext&)
{
    if (raw.empty())
        return {};
    switch (raw[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    default:
        return {};
    }
}

ValueView decodeDate(std::string_view raw, const DecodeContext&)
{
    // Some writers make date columns wider than eight: the date is in the first eight characters
    // when the rest is blank (blanks or NULs); anything else there makes the value no date.
    if (raw.size() < 8 || raw.find_first_not_of(std::string_view(" \0", 2), 8) != std::string_view::npos)
        return {};
    int parts[3] = {0, 0, 0};
    constexpr std::size_t starts[3] = {0, 4, 6};
    constexpr std::size_t lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (std::size_t i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            if (!isDigit(raw[i]))
                return {};
            parts[p] = parts[p] * 10 + (raw[i] - '0');
        }
    }
    if (!isValidDate(parts[0], parts[1], parts[2]))
        return {};
    return Date {parts[0], parts[1], parts[2]};
}

ValueView decodeInt32Le(std::string_view raw, const DecodeContext&)
{
    return static_cast<std::int32_t>(readLe32(raw.data()));
}

ValueView decodeOrderedInt32Be(std::string_view raw, const DecodeContext&)
{
    const std::uint32_t stored = readBe32(raw.data());
    if (stored == 0)
        return {};
    return static_cast<std::int32_t>(stored ^ 0x8000'0000u);
}

ValueView decodeDoubleLe(std::string_view raw, const DecodeContext&)
{
    return finiteOrBlank(std::bit_cast<double>(readLe64(raw.data())));
}

ValueView decodeOrderedDoubleBe(std::string_view raw, const DecodeContext&)
{
    std::uint64_t stored = readBe64(raw.data());
    if (stored == 0)
        return {};
    constexpr std::uint64_t signBit = 0x8000'0000'0000'0000ull;
    // Values >= 0 are stored with the sign bit set, negative ones with every bit inverted, so that
    // the bytes sort as the numbers do.
    stored = (stored & signBit) != 0 ? stored & ~signBit : ~stored;
    return finiteOrBlank(std::bit_cast<double>(stored));
}

ValueView decodeCurrency(std::string_view raw, const DecodeContext&)
{
    return Decimal {static_cast<std::int64_t>(readLe64(raw.data()))};
}

ValueView decodeJulianDateTime(std::string_view raw, const DecodeContext&)
{
    const auto day = static_cast<std::int32_t>(readLe32(raw.data()));
    const auto milliseconds = static_cast<std::int32_t>(readLe32(raw.data() + 4));
    // Day 0 is the empty value; some writers fill an empty column with blanks instead.
    if (day == 0 || allBytesAre(raw, ' '))
        return {};
    return dateTimeValue(static_cast<long long>(day) - JulianDayOfUnixEpoch, milliseconds);
}

ValueView decodeTimestampBe(std::string_view raw, const DecodeContext&)
{
    std::uint64_t stored = readBe64(raw.data());
    if (stored == 0)
        return {};
    // Some writers set the sign bit as for O columns; the value itself is never negative.
    stored &= ~0x8000'0000'0000'0000ull;
    const double value = std::bit_cast<double>(stored);
    if (!std::isfinite(value) || value > 1e15)
        return {};
    const auto total = static_cast<long long>(std::llround(value));
    // 0001-01-01 00:00 is stored as one whole day.
    const long long dayNumber = total / MillisecondsPerDay;
    if (dayNumber < 1)
        return {};
    return dateTimeValue(daysFromCivil(1, 1, 1) + dayNumber - 1, total % MillisecondsPerDay);
}

ValueView decodeMemoText(std::string_view raw, const DecodeContext& context)
{
    return memoText(textBlockNumber(raw), context);
}

ValueView decodeMemoTextVfp(std::string_view raw, const DecodeContext& context)
{
    return memoText(readLe32(raw.data()), context);
}

ValueView decodeMemoBlob(std::string_view raw, const DecodeContext& context)
{
    return memoBytes(textBlockNumber(raw), context);
}

ValueView decodeMemoBlobVfp(std::string_view raw, const DecodeContext& context)
{
    return memoBytes(readLe32(raw.data()), context);
}

namespace {

// Which file families a row of the type table applies to.
enum FormatSet : unsigned
{
    DBase3 = 1u << 0,
    DBase4 = 1u << 1,
    DBase7 = 1u << 2,
    FoxPro = 1u << 3,
    VisualFoxPro = 1u << 4,
    All = DBase3 | DBase4 | DBase7 | FoxPro | VisualFoxPro,
    NotVfp = All & ~VisualFoxPro,
    NotDBase7 = All & ~DBase7,
};

unsigned formatBit(Format format)
{
    switch (format) {
    case Format::DBase3:
        return DBase3;
    case Format::DBase4:
        return DBase4;
    case Format::DBase7:
        return DBase7;
    case Format::FoxPro:
        return FoxPro;
    case Format::VisualFoxPro:
        return VisualFoxPro;
    }
    return 0;
}

struct FieldTypeEntry
{
    char letter;
    unsigned formats;
    unsigned minLength; // the widths allowed, from minLength to maxLength; 0 for no bound
    unsigned maxLength;
    FieldType type;
};

// The letter alone does not decide: B, I, @ and the memo reference width depend on the family.
constexpr FieldTypeEntry FieldTypes[] = {
    {'C', All, 0, 0, {FieldKind::Character, decodeCharacter, false}},
    {'N', All, 0, 0, {FieldKind::Float, decodeNumeric, false}},
    {'F', All, 0, 0, {FieldKind::Float, decodeNumeric, false}},
    {'L', All, 1, 1, {FieldKind::Logical, decodeLogical, false}},
    {'D', All, 8, 0, {FieldKind::Date, decodeDate, false}},
    {'M', NotVfp, 10, 10, {FieldKind::Memo, decodeMemoText, true}},
    {'M', VisualFoxPro, 4, 4, {FieldKind::Memo, decodeMemoTextVfp, true}},
    {'B', NotVfp, 10, 10, {FieldKind::Blob, decodeMemoBlob, true}},
    {'B', VisualFoxPro, 8, 8, {FieldKind::Float, decodeDoubleLe, false}},
    {'G', NotVfp, 10, 10, {FieldKind::Blob, decodeMemoBlob, true}},
    {'G', VisualFoxPro, 4, 4, {FieldKind::Blob, decodeMemoBlobVfp, true}},
    {'P', NotVfp, 10, 10, {FieldKind::Blob, decodeMemoBlob, true}},
    {'P', VisualFoxPro, 4, 4, {FieldKind::Blob, decodeMemoBlobVfp, true}},
    {'W', VisualFoxPro, 4, 4, {FieldKind::Blob, decodeMemoBlobVfp, true}},
    {'I', DBase7, 4, 4, {FieldKind::Integer, decodeOrderedInt32Be, false}},
    {'+', DBase7, 4, 4, {FieldKind::Integer, decodeOrderedInt32Be, false}},
    {'I', NotDBase7, 4, 4, {FieldKind::Integer, decodeInt32Le, false}},
    {'O', DBase7, 8, 8, {FieldKind::Float, decodeOrderedDoubleBe, false}},
    {'@', DBase7, 8, 8, {FieldKind::DateTime, decodeTimestampBe, false}},
    {'@', NotDBase7, 8, 8, {FieldKind::DateTime, decodeJulianDateTime, false}},
    {'T', All, 8, 8, {FieldKind::DateTime, decodeJulianDateTime, false}},
    {'Y', All, 8, 8, {FieldKind::Decimal, decodeCurrency, false}},
    {'V', VisualFoxPro, 0, 0, {FieldKind::Character, decodeVarChar, false}},
    {'Q', VisualFoxPro, 0, 0, {FieldKind::Blob, decodeVarBinary, false}},
};

} // namespace

const FieldType* fieldTypeFor(Format format, char letter, unsigned length)
{
    const unsigned bit = formatBit(format);
    for (const FieldTypeEntry& entry : FieldTypes) {
        if (entry.letter == letter && (entry.formats & bit) != 0 && (entry.minLength == 0 || length >= entry.minLength)
            && (entry.maxLength == 0 || length <= entry.maxLength))
            return &entry.type;
    }
    return nullptr;
}

} // namespace dbase::detail
