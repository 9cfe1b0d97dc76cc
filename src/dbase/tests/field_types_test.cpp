#include "dbase/field_types.h"
#include "dbf_builder.h"

#include <bit>
#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>

namespace dbase::detail {
namespace {

using dbase::testing::be64;
using dbase::testing::le32;
using dbase::testing::le64;

DecodeContext context(int codePage = 1252, bool convert = true)
{
    DecodeContext c;
    c.codePage = codePage;
    c.convertText = convert;
    return c;
}

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// ---- N and F

struct NumericCase
{
    std::string raw;
    std::optional<double> expected; // nullopt: blank
};

void PrintTo(const NumericCase& c, std::ostream* os)
{
    *os << '"' << c.raw << '"';
}

class NumericText : public ::testing::TestWithParam<NumericCase>
{
};

TEST_P(NumericText, readsAsNumberOrBlank)
{
    const Value v = toValue(decodeNumeric(GetParam().raw, context()));
    if (!GetParam().expected) {
        EXPECT_TRUE(isBlank(v));
    } else {
        ASSERT_TRUE(std::holds_alternative<double>(v));
        EXPECT_DOUBLE_EQ(std::get<double>(v), *GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumericText,
    ::testing::Values(NumericCase {"   12.50", 12.5}, NumericCase {"   -0.75", -0.75}, NumericCase {"      +3", 3.0},
        NumericCase {"     1,5", 1.5}, NumericCase {"   1.E+3", 1000.0}, NumericCase {"   1e-2 ", 0.01},
        NumericCase {"      .5", 0.5}, NumericCase {"      5.", 5.0}, NumericCase {"  -0    ", 0.0},
        NumericCase {"25", 25.0}, NumericCase {std::string("12\0gar", 6), 12.0},
        NumericCase {"1234567890123456789", 1234567890123456789.0}, NumericCase {"007", 7.0},
        NumericCase {"123456789012345", 123456789012345.0}, NumericCase {"-999999999999999", -999999999999999.0},
        NumericCase {"1234567890123456", 1234567890123456.0}, NumericCase {"+0", 0.0}));

INSTANTIATE_TEST_SUITE_P(Blank, NumericText,
    ::testing::Values(NumericCase {"", std::nullopt}, NumericCase {"     ", std::nullopt},
        NumericCase {"*****", std::nullopt}, NumericCase {std::string(4, '\0'), std::nullopt},
        NumericCase {std::string("  \0 7", 5), std::nullopt}));

// Garbage never gives a made-up number.
INSTANTIATE_TEST_SUITE_P(Garbage, NumericText,
    ::testing::Values(NumericCase {"1 234", std::nullopt}, NumericCase {"  12*", std::nullopt},
        NumericCase {"**.5", std::nullopt}, NumericCase {"abc", std::nullopt}, NumericCase {"  -", std::nullopt},
        NumericCase {"   .", std::nullopt}, NumericCase {"--1", std::nullopt}, NumericCase {"+-1", std::nullopt},
        NumericCase {"1-2", std::nullopt}, NumericCase {"inf", std::nullopt}, NumericCase {"nan", std::nullopt},
        NumericCase {"0x1A", std::nullopt}, NumericCase {"1,234.5", std::nullopt}, NumericCase {"1e999", std::nullopt},
        NumericCase {"e5", std::nullopt}, NumericCase {"- 5", std::nullopt}));

// ---- L

struct LogicalCase
{
    char raw;
    std::optional<bool> expected;
};

class LogicalByte : public ::testing::TestWithParam<LogicalCase>
{
};

TEST_P(LogicalByte, readsAsTruthOrBlank)
{
    const Value v = toValue(decodeLogical(std::string(1, GetParam().raw), context()));
    if (!GetParam().expected)
        EXPECT_TRUE(isBlank(v));
    else
        EXPECT_EQ(v, Value(*GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(All, LogicalByte,
    ::testing::Values(LogicalCase {'T', true}, LogicalCase {'t', true}, LogicalCase {'Y', true},
        LogicalCase {'y', true}, LogicalCase {'F', false}, LogicalCase {'f', false}, LogicalCase {'N', false},
        LogicalCase {'n', false}, LogicalCase {' ', std::nullopt}, LogicalCase {'?', std::nullopt},
        LogicalCase {'\0', std::nullopt}, LogicalCase {'X', std::nullopt}, LogicalCase {'1', std::nullopt}));

// ---- D

struct DateCase
{
    std::string raw;
    std::optional<Date> expected;
};

void PrintTo(const DateCase& c, std::ostream* os)
{
    *os << '"' << c.raw << '"';
}

class DateText : public ::testing::TestWithParam<DateCase>
{
};

TEST_P(DateText, readsAsDateOrBlank)
{
    const Value v = toValue(decodeDate(GetParam().raw, context()));
    if (!GetParam().expected)
        EXPECT_TRUE(isBlank(v));
    else
        EXPECT_EQ(v, Value(*GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Valid, DateText,
    ::testing::Values(DateCase {"20240517", Date {2024, 5, 17}}, DateCase {"20240229", Date {2024, 2, 29}},
        DateCase {"20000229", Date {2000, 2, 29}}, DateCase {"19991231", Date {1999, 12, 31}},
        DateCase {"00010101", Date {1, 1, 1}}, DateCase {"20180101  ", Date {2018, 1, 1}},
        DateCase {std::string("20180101\0 \0", 11), Date {2018, 1, 1}}));

INSTANTIATE_TEST_SUITE_P(Blank, DateText,
    ::testing::Values(DateCase {"        ", std::nullopt}, DateCase {"00000000", std::nullopt},
        DateCase {"0000    ", std::nullopt}, DateCase {std::string(8, '\0'), std::nullopt},
        DateCase {"20241301", std::nullopt}, DateCase {"20240100", std::nullopt}, DateCase {"20230229", std::nullopt},
        DateCase {"19000229", std::nullopt}, DateCase {"20240431", std::nullopt}, DateCase {"2024 517", std::nullopt},
        DateCase {"2024-5-1", std::nullopt}, DateCase {"00000101", std::nullopt}, DateCase {"20180101 x", std::nullopt},
        DateCase {"2018010100", std::nullopt}, DateCase {"          ", std::nullopt},
        DateCase {"20181301  ", std::nullopt}, DateCase {"2018010", std::nullopt}));

// ---- C

struct CharacterCase
{
    std::string raw;
    int codePage;
    std::optional<std::string> expected;
};

void PrintTo(const CharacterCase& c, std::ostream* os)
{
    *os << '"' << c.raw << "\" cp " << c.codePage;
}

class CharacterText : public ::testing::TestWithParam<CharacterCase>
{
};

TEST_P(CharacterText, losesTrailingFillOnly)
{
    const Value v = toValue(decodeCharacter(GetParam().raw, context(GetParam().codePage)));
    if (!GetParam().expected)
        EXPECT_TRUE(isBlank(v));
    else
        EXPECT_EQ(v, Value(*GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(All, CharacterText,
    ::testing::Values(CharacterCase {"abc   ", 1252, "abc"}, CharacterCase {"  x  ", 1252, "  x"},
        CharacterCase {"*   ", 1252, "*"}, CharacterCase {" *  ", 1252, " *"},
        CharacterCase {"    ", 1252, std::nullopt}, CharacterCase {std::string("ab\0cd ", 6), 1252, "ab"},
        CharacterCase {std::string("\0xyz", 4), 1252, std::nullopt},
        CharacterCase {std::string("ab  \0\0", 6), 1252, "ab"},
        CharacterCase {"\xA5"
                       "and\xA3",
            850, "Ñandú"},
        CharacterCase {"\xD1"
                       "and\xFA",
            1252, "Ñandú"},
        CharacterCase {"Pe\xA4"
                       "a  ",
            850, "Peña"}));

TEST(CharacterText, binaryColumnKeepsItsBytes)
{
    EXPECT_EQ(toValue(decodeCharacter("\xD1\xA5  ", context(1252, false))), Value(std::string("\xD1\xA5")));
}

TEST(VarChar, keepsTrailingBlanksAndEmptyIsBlank)
{
    EXPECT_EQ(toValue(decodeVarChar("ab  ", context())), Value(std::string("ab  ")));
    EXPECT_TRUE(isBlank(toValue(decodeVarChar("", context()))));
    EXPECT_EQ(toValue(decodeVarBinary(std::string("\0\xFF", 2), context())), Value(std::string("\0\xFF", 2)));
    EXPECT_TRUE(isBlank(toValue(decodeVarBinary("", context()))));
}

// ---- binary numbers

struct BinaryCase
{
    const char* name;
    Decoder decode;
    std::string raw;
    Value expected;
};

void PrintTo(const BinaryCase& c, std::ostream* os)
{
    *os << c.name;
}

class BinaryValue : public ::testing::TestWithParam<BinaryCase>
{
};

TEST_P(BinaryValue, decodes)
{
    EXPECT_EQ(toValue(GetParam().decode(GetParam().raw, context())), GetParam().expected);
}

std::string orderedDouble(double value)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = value >= 0 ? bits | 0x8000'0000'0000'0000ull : ~bits;
    return be64(bits);
}

INSTANTIATE_TEST_SUITE_P(All, BinaryValue,
    ::testing::Values(BinaryCase {"vfpInt", decodeInt32Le, le32(1234), Value(std::int32_t {1234})},
        BinaryCase {"vfpIntNegative", decodeInt32Le, le32(0xFFFFFFF9u), Value(std::int32_t {-7})},
        BinaryCase {"vfpIntZero", decodeInt32Le, le32(0), Value(std::int32_t {0})},
        BinaryCase {"level7One", decodeOrderedInt32Be, bytes({0x80, 0, 0, 1}), Value(std::int32_t {1})},
        BinaryCase {"level7MinusOne", decodeOrderedInt32Be, bytes({0x7F, 0xFF, 0xFF, 0xFF}), Value(std::int32_t {-1})},
        BinaryCase {"level7Zero", decodeOrderedInt32Be, bytes({0x80, 0, 0, 0}), Value(std::int32_t {0})},
        BinaryCase {"level7Max", decodeOrderedInt32Be, bytes({0xFF, 0xFF, 0xFF, 0xFF}), Value(std::int32_t {INT_MAX})},
        BinaryCase {"level7Blank", decodeOrderedInt32Be, bytes({0, 0, 0, 0}), Value()},
        BinaryCase {"level7Nine", decodeOrderedDoubleBe, bytes({0xC0, 0x22, 0, 0, 0, 0, 0, 0}), Value(9.0)},
        BinaryCase {"level7MinusNine", decodeOrderedDoubleBe, orderedDouble(-9.0), Value(-9.0)},
        BinaryCase {"level7Fraction", decodeOrderedDoubleBe, orderedDouble(-0.125), Value(-0.125)},
        BinaryCase {"level7DoubleZero", decodeOrderedDoubleBe, bytes({0x80, 0, 0, 0, 0, 0, 0, 0}), Value(0.0)},
        BinaryCase {"level7DoubleBlank", decodeOrderedDoubleBe, std::string(8, '\0'), Value()},
        BinaryCase {"vfpDouble", decodeDoubleLe, le64(std::bit_cast<std::uint64_t>(2.5)), Value(2.5)},
        BinaryCase {"vfpDoubleNaN", decodeDoubleLe, le64(0x7FF8'0000'0000'0000ull), Value()},
        BinaryCase {"currency", decodeCurrency, le64(125000), Value(Decimal {125000})},
        BinaryCase {
            "currencyNegative", decodeCurrency, le64(static_cast<std::uint64_t>(-32500)), Value(Decimal {-32500})}));

// ---- T and @

DateTime dateTime(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return {{y, mo, d}, {h, mi, s, ms}};
}

std::string timestamp(double milliseconds)
{
    return be64(std::bit_cast<std::uint64_t>(milliseconds));
}

INSTANTIATE_TEST_SUITE_P(DateTimes, BinaryValue,
    ::testing::Values(
        // Written by python-dbf for 2024-05-17 13:45:30.
        BinaryCase {
            "julian", decodeJulianDateTime, le32(2460448) + le32(49530000), Value(dateTime(2024, 5, 17, 13, 45, 30))},
        BinaryCase {
            "julianMidnight", decodeJulianDateTime, le32(2440588) + le32(0), Value(dateTime(1970, 1, 1, 0, 0, 0))},
        BinaryCase {
            "julianFirstDay", decodeJulianDateTime, le32(1721426) + le32(1), Value(dateTime(1, 1, 1, 0, 0, 0, 1))},
        BinaryCase {"julianZero", decodeJulianDateTime, std::string(8, '\0'), Value()},
        BinaryCase {"julianBlanks", decodeJulianDateTime, std::string(8, ' '), Value()},
        BinaryCase {"julianBadTime", decodeJulianDateTime, le32(2460448) + le32(86400000), Value()},
        BinaryCase {"julianYear10000", decodeJulianDateTime, le32(5373485) + le32(0), Value()},
        BinaryCase {"julianBeforeYear1", decodeJulianDateTime, le32(1721425) + le32(0), Value()},
        BinaryCase {"level7Epoch", decodeTimestampBe, bytes({0x42, 0xCC, 0x41, 0x8B, 0xA9, 0x9A, 0, 0}),
            Value(dateTime(1970, 1, 1, 0, 0, 0))},
        BinaryCase {"level7WithTime", decodeTimestampBe, timestamp(62135683200000.0 + 19'723.0 * 86400000 + 49530250),
            Value(dateTime(2024, 1, 1, 13, 45, 30, 250))},
        BinaryCase {"level7SignBitSet", decodeTimestampBe, bytes({0xC2, 0xCC, 0x41, 0x8B, 0xA9, 0x9A, 0, 0}),
            Value(dateTime(1970, 1, 1, 0, 0, 0))},
        BinaryCase {"level7FirstDay", decodeTimestampBe, timestamp(86400000.0), Value(dateTime(1, 1, 1, 0, 0, 0))},
        BinaryCase {"level7BeforeFirstDay", decodeTimestampBe, timestamp(1000.0), Value()},
        BinaryCase {"level7Blank", decodeTimestampBe, std::string(8, '\0'), Value()}));

TEST(Calendar, daysAndDatesRoundTrip)
{
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(daysFromCivil(1, 1, 1), -719162);
    for (long long days = daysFromCivil(1, 1, 1); days <= daysFromCivil(9999, 12, 31); days += 997) {
        const Date d = civilFromDays(days);
        ASSERT_EQ(daysFromCivil(d.year, d.month, d.day), days);
    }
    EXPECT_EQ(civilFromDays(daysFromCivil(2024, 2, 29) + 1), (Date {2024, 3, 1}));
}

// ---- the type table

struct TypeCase
{
    Format format;
    char letter;
    unsigned length;
    std::optional<FieldKind> kind; // nullopt: not readable
};

void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << static_cast<int>(c.format) << " '" << c.letter << "' " << c.length;
}

class TypeTable : public ::testing::TestWithParam<TypeCase>
{
};

TEST_P(TypeTable, givesKindByFamilyLetterAndWidth)
{
    const FieldType* type = fieldTypeFor(GetParam().format, GetParam().letter, GetParam().length);
    if (!GetParam().kind) {
        EXPECT_EQ(type, nullptr);
    } else {
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(type->kind, *GetParam().kind);
    }
}

INSTANTIATE_TEST_SUITE_P(All, TypeTable,
    ::testing::Values(TypeCase {Format::DBase3, 'C', 300, FieldKind::Character},
        TypeCase {Format::DBase3, 'N', 5, FieldKind::Float}, TypeCase {Format::DBase4, 'F', 20, FieldKind::Float},
        TypeCase {Format::DBase3, 'M', 10, FieldKind::Memo}, TypeCase {Format::VisualFoxPro, 'M', 4, FieldKind::Memo},
        TypeCase {Format::DBase3, 'M', 4, std::nullopt}, TypeCase {Format::VisualFoxPro, 'B', 8, FieldKind::Float},
        TypeCase {Format::DBase4, 'B', 10, FieldKind::Blob},
        TypeCase {Format::VisualFoxPro, 'I', 4, FieldKind::Integer},
        TypeCase {Format::DBase7, 'I', 4, FieldKind::Integer}, TypeCase {Format::DBase7, '+', 4, FieldKind::Integer},
        TypeCase {Format::DBase7, 'O', 8, FieldKind::Float}, TypeCase {Format::DBase7, '@', 8, FieldKind::DateTime},
        TypeCase {Format::VisualFoxPro, 'T', 8, FieldKind::DateTime},
        TypeCase {Format::VisualFoxPro, 'Y', 8, FieldKind::Decimal},
        TypeCase {Format::VisualFoxPro, 'V', 10, FieldKind::Character},
        TypeCase {Format::VisualFoxPro, 'Q', 10, FieldKind::Blob},
        TypeCase {Format::VisualFoxPro, 'W', 4, FieldKind::Blob}, TypeCase {Format::FoxPro, 'G', 10, FieldKind::Blob},
        TypeCase {Format::DBase3, 'L', 1, FieldKind::Logical}, TypeCase {Format::DBase3, 'D', 8, FieldKind::Date},
        TypeCase {Format::DBase3, 'D', 4, std::nullopt}, TypeCase {Format::DBase3, 'D', 7, std::nullopt},
        TypeCase {Format::DBase3, 'D', 10, FieldKind::Date}, TypeCase {Format::VisualFoxPro, 'D', 12, FieldKind::Date},
        TypeCase {Format::DBase3, 'L', 2, std::nullopt}, TypeCase {Format::DBase3, 'V', 10, std::nullopt},
        TypeCase {Format::DBase3, '7', 4, std::nullopt}, TypeCase {Format::VisualFoxPro, 'X', 10, std::nullopt},
        TypeCase {Format::DBase3, '+', 4, std::nullopt}));

TEST(TypeTable, integerByteOrderFollowsTheFamily)
{
    const std::string raw = bytes({0x80, 0, 0, 1});
    EXPECT_EQ(toValue(fieldTypeFor(Format::DBase7, 'I', 4)->decode(raw, context())), Value(std::int32_t {1}));
    EXPECT_EQ(
        toValue(fieldTypeFor(Format::VisualFoxPro, 'I', 4)->decode(raw, context())), Value(std::int32_t {0x01000080}));
}

} // namespace
} // namespace dbase::detail
