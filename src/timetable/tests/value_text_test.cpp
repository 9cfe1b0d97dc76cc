#include "timetable/value_text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>

namespace timetable {
namespace {

using platform::RegionalSettings;

RegionalSettings commaSettings()
{
    RegionalSettings s;
    s.decimalSeparator = ",";
    return s;
}

// --- Floating-point text -------------------------------------------------------------------------

struct FloatCase
{
    double value;
    const char* text;
};

void PrintTo(const FloatCase& c, std::ostream* os)
{
    *os << std::setprecision(17) << c.value << " -> " << c.text;
}

class FloatText : public ::testing::TestWithParam<FloatCase>
{
};

TEST_P(FloatText, writesGeneralFormatWithFifteenDigits)
{
    EXPECT_EQ(formatFloat(GetParam().value, ","), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Examples, FloatText,
    ::testing::Values(FloatCase {2.5, "2,5"}, FloatCase {100, "100"}, FloatCase {-0.75, "-0,75"},
        FloatCase {0.1, "0,1"}, FloatCase {1.0 / 3.0, "0,333333333333333"}, FloatCase {2.0 / 3.0, "0,666666666666667"},
        FloatCase {0.0001, "0,0001"}, FloatCase {0.00001, "1E-5"}, FloatCase {0.00000015, "1,5E-7"},
        FloatCase {999999999999999.0, "999999999999999"}, FloatCase {1234567890123456.0, "1,23456789012346E15"},
        FloatCase {1e15, "1E15"}, FloatCase {0.0, "0"}, FloatCase {-0.0, "0"}, FloatCase {-1, "-1"},
        // the binary error of 0.1 + 0.2 lies beyond the 15th digit
        FloatCase {0.1 + 0.2, "0,3"}, FloatCase {0.001, "0,001"}, FloatCase {0.00012345, "0,00012345"},
        FloatCase {-0.00001, "-1E-5"}, FloatCase {123456789012345.6, "123456789012346"},
        // rounding carries into a new leading digit and changes the notation
        FloatCase {999999999999999.9, "1E15"}, FloatCase {0.00009999999999999999, "0,0001"},
        FloatCase {9.9999999999999999e20, "1E21"}, FloatCase {1.5e300, "1,5E300"}, FloatCase {-2.5e-10, "-2,5E-10"},
        FloatCase {std::numeric_limits<double>::denorm_min(), "4,94065645841247E-324"},
        FloatCase {std::numeric_limits<double>::max(), "1,79769313486232E308"},
        // whole numbers below ten to the power 15 are their digits
        FloatCase {7, "7"}, FloatCase {123456789012345.0, "123456789012345"}, FloatCase {-987654321, "-987654321"},
        FloatCase {1e14, "100000000000000"}, FloatCase {-999999999999999.0, "-999999999999999"},
        FloatCase {4503599627370496.0, "4,5035996273705E15"}, FloatCase {-1e15, "-1E15"},
        FloatCase {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        FloatCase {std::numeric_limits<double>::infinity(), "INF"},
        FloatCase {-std::numeric_limits<double>::infinity(), "-INF"}));

TEST(FloatTextSeparator, usesTheGivenSeparator)
{
    EXPECT_EQ(formatFloat(2.5, "."), "2.5");
    EXPECT_EQ(formatFloat(1.5e-7, "."), "1.5E-7");
}

// --- Decimal separator setting -----------------------------------------------------------------

TEST(DecimalSeparatorSetting, isTheFirstCharacterOrAPoint)
{
    RegionalSettings s;
    EXPECT_EQ(decimalSeparator(s), ".");
    s.decimalSeparator = "";
    EXPECT_EQ(decimalSeparator(s), ".");
    s.decimalSeparator = ",";
    EXPECT_EQ(decimalSeparator(s), ",");
    s.decimalSeparator = ",.";
    EXPECT_EQ(decimalSeparator(s), ",");
    s.decimalSeparator = "\xD9\xAB"; // U+066B, two bytes in UTF-8
    EXPECT_EQ(decimalSeparator(s), "\xD9\xAB");
}

// --- Decimal (currency) text -------------------------------------------------------------------

struct DecimalCase
{
    std::int64_t scaled;
    const char* text;
};

void PrintTo(const DecimalCase& c, std::ostream* os)
{
    *os << c.scaled << " -> " << c.text;
}

class DecimalText : public ::testing::TestWithParam<DecimalCase>
{
};

TEST_P(DecimalText, writesFixedNotationWithoutTrailingZeros)
{
    EXPECT_EQ(formatDecimal(dbase::Decimal {GetParam().scaled}, ","), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Examples, DecimalText,
    ::testing::Values(DecimalCase {25000, "2,5"}, DecimalCase {10000, "1"}, DecimalCase {0, "0"},
        DecimalCase {-7500, "-0,75"}, DecimalCase {1, "0,0001"}, DecimalCase {-10000, "-1"},
        DecimalCase {123456789, "12345,6789"}, DecimalCase {1230, "0,123"},
        DecimalCase {std::numeric_limits<std::int64_t>::min(), "-922337203685477,5808"},
        DecimalCase {std::numeric_limits<std::int64_t>::max(), "922337203685477,5807"}));

// --- Rounding to an integer --------------------------------------------------------------------

struct RoundCase
{
    double value;
    std::optional<std::int32_t> result;
};

void PrintTo(const RoundCase& c, std::ostream* os)
{
    *os << std::setprecision(17) << c.value;
}

class RoundFloat : public ::testing::TestWithParam<RoundCase>
{
};

TEST_P(RoundFloat, roundsHalvesToEvenAndKeepsLow32Bits)
{
    EXPECT_EQ(roundToInt32(GetParam().value), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundFloat,
    ::testing::Values(RoundCase {25.5, 26}, RoundCase {24.5, 24}, RoundCase {30.4, 30}, RoundCase {30.6, 31},
        RoundCase {-2.5, -2}, RoundCase {-3.5, -4}, RoundCase {0.5, 0}, RoundCase {1.5, 2}, RoundCase {-0.4, 0},
        RoundCase {-0.6, -1}, RoundCase {0.49999999999999994, 0}, RoundCase {2147483647.0, 2147483647},
        RoundCase {2147483648.0, -2147483647 - 1}, RoundCase {4294967295.0, -1}, RoundCase {4294967296.0 + 5, 5},
        RoundCase {-9223372036854775808.0, 0}, RoundCase {9223372036854775808.0, std::nullopt},
        RoundCase {-1e19, std::nullopt}, RoundCase {std::nan(""), std::nullopt},
        RoundCase {std::numeric_limits<double>::infinity(), std::nullopt}));

struct DecimalRoundCase
{
    std::int64_t scaled;
    std::int32_t result;
};

void PrintTo(const DecimalRoundCase& c, std::ostream* os)
{
    *os << c.scaled << " -> " << c.result;
}

class RoundDecimal : public ::testing::TestWithParam<DecimalRoundCase>
{
};

TEST_P(RoundDecimal, roundsHalvesToEven)
{
    EXPECT_EQ(roundDecimalToInt32(dbase::Decimal {GetParam().scaled}), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundDecimal,
    ::testing::Values(DecimalRoundCase {255000, 26}, DecimalRoundCase {245000, 24}, DecimalRoundCase {245001, 25},
        DecimalRoundCase {304000, 30}, DecimalRoundCase {-25000, -2}, DecimalRoundCase {-35000, -4},
        DecimalRoundCase {-25001, -3}, DecimalRoundCase {4999, 0}, DecimalRoundCase {42949672960000 + 70000, 7}));

// --- Integer text rule -------------------------------------------------------------------------

struct IntegerTextCase
{
    const char* text;
    std::optional<std::int32_t> result;
};

void PrintTo(const IntegerTextCase& c, std::ostream* os)
{
    *os << '\'' << c.text << '\'';
}

class IntegerText : public ::testing::TestWithParam<IntegerTextCase>
{
};

TEST_P(IntegerText, acceptsOnlyWholeIntegerTexts)
{
    EXPECT_EQ(parseIntegerText(GetParam().text), GetParam().result) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(Accepted, IntegerText,
    ::testing::Values(IntegerTextCase {"25", 25}, IntegerTextCase {" 25", 25}, IntegerTextCase {"   -7", -7},
        IntegerTextCase {"+7", 7}, IntegerTextCase {"007", 7}, IntegerTextCase {"-0", 0},
        IntegerTextCase {"2147483647", 2147483647}, IntegerTextCase {"-2147483648", -2147483647 - 1},
        IntegerTextCase {"000000000000002147483647", 2147483647}, IntegerTextCase {"$FFFFFFFF", -1},
        IntegerTextCase {"-$1", -1}, IntegerTextCase {"$0", 0}, IntegerTextCase {"x1f", 31},
        IntegerTextCase {"X1F", 31}, IntegerTextCase {"0x7fffffff", 2147483647},
        IntegerTextCase {"0X80000000", -2147483647 - 1}, IntegerTextCase {"-$80000000", -2147483647 - 1},
        IntegerTextCase {"-$FFFFFFFF", 1}, IntegerTextCase {" +$10", 16}, IntegerTextCase {"$00000001", 1}));

INSTANTIATE_TEST_SUITE_P(Refused, IntegerText,
    ::testing::Values(IntegerTextCase {"", std::nullopt}, IntegerTextCase {"   ", std::nullopt},
        IntegerTextCase {"+", std::nullopt}, IntegerTextCase {"-", std::nullopt},
        IntegerTextCase {"25,5", std::nullopt}, IntegerTextCase {"25.5", std::nullopt},
        IntegerTextCase {"2147483648", std::nullopt}, IntegerTextCase {"-2147483649", std::nullopt},
        IntegerTextCase {"99999999999999999999999", std::nullopt}, IntegerTextCase {"25 ", std::nullopt},
        IntegerTextCase {"2 5", std::nullopt}, IntegerTextCase {"- 5", std::nullopt},
        IntegerTextCase {"\t5", std::nullopt}, IntegerTextCase {"--1", std::nullopt},
        IntegerTextCase {"+-1", std::nullopt}, IntegerTextCase {"1e3", std::nullopt},
        IntegerTextCase {"$", std::nullopt}, IntegerTextCase {"0x", std::nullopt},
        IntegerTextCase {"$123456789", std::nullopt}, IntegerTextCase {"$G", std::nullopt},
        IntegerTextCase {"0x-1", std::nullopt}, IntegerTextCase {"$$1", std::nullopt},
        IntegerTextCase {"0x$1", std::nullopt}));

// --- Date text ---------------------------------------------------------------------------------

struct DateCase
{
    const char* picture; // nullptr: no short-date setting
    const char* separator;
    dbase::Date date;
    const char* text;
};

void PrintTo(const DateCase& c, std::ostream* os)
{
    *os << (c.picture != nullptr ? c.picture : "(none)") << " -> " << c.text;
}

class DateText : public ::testing::TestWithParam<DateCase>
{
};

TEST_P(DateText, rendersThePicture)
{
    RegionalSettings s;
    if (GetParam().picture != nullptr)
        s.shortDate = GetParam().picture;
    if (GetParam().separator != nullptr)
        s.dateSeparator = GetParam().separator;
    EXPECT_EQ(formatDate(GetParam().date, s), GetParam().text);
}

constexpr dbase::Date Monday8Dec2025 {2025, 12, 8};

INSTANTIATE_TEST_SUITE_P(Pictures, DateText,
    ::testing::Values(DateCase {"dd/MM/yyyy", "/", Monday8Dec2025, "08/12/2025"},
        DateCase {"dd/MM/yyyy", "-", Monday8Dec2025, "08-12-2025"},
        DateCase {"dd/MM/yyyy", nullptr, Monday8Dec2025, "08/12/2025"},
        DateCase {"yyyy-MM-dd", ".", Monday8Dec2025, "2025-12-08"},
        DateCase {nullptr, nullptr, Monday8Dec2025, "12/8/25"}, DateCase {"", nullptr, Monday8Dec2025, "12/8/25"},
        DateCase {nullptr, ".", {2005, 3, 4}, "3.4.05"}, DateCase {"d/M/y", "/", {2005, 3, 4}, "4/3/05"},
        DateCase {"DD/mm/YY", "/", {2005, 3, 4}, "04/03/05"}, DateCase {"d/m/yyy", "/", {99, 3, 4}, "4/3/0099"},
        DateCase {"d 'de' mmmm 'de' yyyy", "/", Monday8Dec2025, "8 de Diciembre de 2025"},
        DateCase {"d \"de\" MMMMM", "/", Monday8Dec2025, "8 de Diciembre"},
        DateCase {"d 'd/m' m", "-", Monday8Dec2025, "8 d/m 12"}, DateCase {"dd 'abc", "/", Monday8Dec2025, "08 abc"},
        DateCase {"dddd, d MMM yyyy", "/", Monday8Dec2025, "Lunes, 8 Dic 2025"},
        DateCase {"ddd", "/", {2025, 12, 10}, "Mie"}, DateCase {"dddd", "/", {2025, 12, 10}, "Mi\xC3\xA9rcoles"},
        DateCase {"ddd dddd", "/", {2025, 12, 7}, "Dom Domingo"},
        DateCase {"ddd dddd", "/", {2025, 12, 13},
            "Sab S\xC3\xA1"
            "bado"},
        DateCase {"ddd", "/", {2000, 2, 29}, "Mar"}, DateCase {"ddd", "/", {1900, 1, 1}, "Lun"},
        DateCase {"mmm", "/", {2025, 1, 1}, "Ene"}, DateCase {"mmmm", "/", {2025, 9, 1}, "Septiembre"},
        // era letters give nothing, other letters stand as they are
        DateCase {"ggyyyy", "/", Monday8Dec2025, "2025"}, DateCase {"dd.qq.yy", "/", Monday8Dec2025, "08.qq.25"},
        // a month out of range must not break the text
        DateCase {"dd/mmm/yyyy", "/", {2025, 13, 1}, "01//2025"}));

TEST(DateTextNames, comeFromTheSettingsWhenGiven)
{
    RegionalSettings s;
    s.shortDate = "dddd ddd d MMMM MMM";
    s.longDayNames
        = std::array<std::string, 7> {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"};
    s.shortDayNames = std::array<std::string, 7> {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"};
    s.longMonthNames = std::array<std::string, 12> {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio",
        "agosto", "septiembre", "octubre", "noviembre", "diciembre"};
    s.shortMonthNames = std::array<std::string, 12> {
        "ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"};
    EXPECT_EQ(formatDate({2025, 12, 13}, s), "sábado sáb 13 diciembre dic");
}

// --- Time text ---------------------------------------------------------------------------------

struct TimeCase
{
    const char* name;
    RegionalSettings settings;
    dbase::TimeOfDay time;
    const char* text;
};

void PrintTo(const TimeCase& c, std::ostream* os)
{
    *os << c.name;
}

class TimeText : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeText, followsTheClockSettings)
{
    EXPECT_EQ(formatTime(GetParam().time, GetParam().settings), GetParam().text);
}

RegionalSettings clock(int clock24, int leadingZero, int markBefore, const char* am = nullptr, const char* pm = nullptr,
    const char* separator = nullptr)
{
    RegionalSettings s;
    s.clock24 = clock24;
    s.hourLeadingZero = leadingZero;
    s.timeMarkBefore = markBefore;
    if (am != nullptr)
        s.amDesignator = am;
    if (pm != nullptr)
        s.pmDesignator = pm;
    if (separator != nullptr)
        s.timeSeparator = separator;
    return s;
}

INSTANTIATE_TEST_SUITE_P(Clocks, TimeText,
    ::testing::Values(TimeCase {"defaults", {}, {14, 30, 0, 0}, "2:30:00 pm"},
        TimeCase {"defaultsMidnight", {}, {0, 0, 0, 0}, "12:00:00 am"},
        TimeCase {"defaultsNoon", {}, {12, 0, 0, 0}, "12:00:00 pm"},
        TimeCase {"defaultsMorning", {}, {11, 59, 59, 999}, "11:59:59 am"},
        TimeCase {"twelveZeroAfter", clock(0, 1, 0, "a. m.", "p. m."), {14, 30, 0, 0}, "02:30:00 p. m."},
        TimeCase {"twelveZeroAfterMorning", clock(0, 1, 0, "a. m.", "p. m."), {9, 5, 7, 0}, "09:05:07 a. m."},
        TimeCase {"twelveBefore", clock(0, 0, 1, "AM", "PM"), {14, 30, 0, 0}, "PM 2:30:00"},
        TimeCase {"twelveBeforeZero", clock(0, 1, 1, "AM", "PM"), {23, 1, 2, 0}, "PM 11:01:02"},
        TimeCase {"twelveEmptyDesignator", clock(0, 0, 0, "", ""), {14, 30, 0, 0}, "2:30:00"},
        TimeCase {"twentyFour", clock(1, 0, 0, "AM", "PM"), {14, 30, 0, 0}, "14:30:00"},
        TimeCase {"twentyFourNoZero", clock(1, 0, 0), {9, 5, 7, 0}, "9:05:07"},
        TimeCase {"twentyFourZero", clock(1, 1, 0), {9, 5, 7, 0}, "09:05:07"},
        TimeCase {"twentyFourMidnight", clock(1, 1, 0), {0, 0, 0, 0}, "00:00:00"},
        TimeCase {"separator", clock(1, 1, 0, nullptr, nullptr, "."), {14, 30, 0, 0}, "14.30.00"},
        TimeCase {"emptySeparator", clock(1, 1, 0, nullptr, nullptr, ""), {14, 30, 0, 0}, "14:30:00"}),
    [](const ::testing::TestParamInfo<TimeCase>& info) { return std::string(info.param.name); });

TEST(FechaText, dateBlankTimeAsInTheExample)
{
    RegionalSettings s;
    s.shortDate = "dd/MM/yyyy";
    s.dateSeparator = "/";
    s.timeSeparator = ":";
    s.clock24 = 1;
    s.hourLeadingZero = 0;
    EXPECT_EQ(formatDate({2025, 12, 8}, s) + " " + formatTime({9, 5, 7, 0}, s), "08/12/2025 9:05:07");
    EXPECT_EQ(formatDateTime({{2025, 12, 8}, {9, 5, 7, 0}}, s), "08/12/2025 9:05:07");
}

TEST(DateTimeText, leavesOutTheTimeAtMidnightOnly)
{
    RegionalSettings s;
    s.shortDate = "dd/MM/yyyy";
    s.clock24 = 1;
    EXPECT_EQ(formatDateTime({{2025, 12, 8}, {0, 0, 0, 0}}, s), "08/12/2025");
    EXPECT_EQ(formatDateTime({{2025, 12, 8}, {0, 0, 0, 500}}, s), "08/12/2025");
    EXPECT_EQ(formatDateTime({{2025, 12, 8}, {0, 0, 1, 0}}, s), "08/12/2025 0:00:01");
    EXPECT_EQ(formatDateTime({{2025, 12, 8}, {0, 1, 0, 0}}, s), "08/12/2025 0:01:00");
}

// --- Value text by kind ------------------------------------------------------------------------

struct ValueCase
{
    const char* name;
    dbase::Value value;
    dbase::FieldKind kind;
    std::string text;
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << c.name;
}

class ValueText : public ::testing::TestWithParam<ValueCase>
{
};

TEST_P(ValueText, dependsOnTheKind)
{
    RegionalSettings s = commaSettings();
    s.shortDate = "dd/MM/yyyy";
    s.clock24 = 1;
    EXPECT_EQ(valueText(GetParam().value, GetParam().kind, s), GetParam().text);
}

using dbase::FieldKind;

INSTANTIATE_TEST_SUITE_P(Kinds, ValueText,
    ::testing::Values(ValueCase {"blankCharacter", std::monostate {}, FieldKind::Character, ""},
        ValueCase {"blankFloat", std::monostate {}, FieldKind::Float, ""},

        ValueCase {"blankLogical", std::monostate {}, FieldKind::Logical, ""},

        ValueCase {"blankDateTime", std::monostate {}, FieldKind::DateTime, ""},
        ValueCase {"characterAsIs", std::string(" *"), FieldKind::Character, " *"},
        ValueCase {"memoAsIs", std::string("l\xC3\xADnea 1\r\nl\xC3\xADnea 2"), FieldKind::Memo,
            "l\xC3\xADnea 1\r\nl\xC3\xADnea 2"},
        ValueCase {"blobBytes", std::string("\x00\xFF\x01 ", 4), FieldKind::Blob, std::string("\x00\xFF\x01 ", 4)},
        ValueCase {"float", 2.5, FieldKind::Float, "2,5"},
        ValueCase {"integer", std::int32_t {-42}, FieldKind::Integer, "-42"},
        ValueCase {"integerMin", std::numeric_limits<std::int32_t>::min(), FieldKind::Integer, "-2147483648"},
        ValueCase {"decimal", dbase::Decimal {-7500}, FieldKind::Decimal, "-0,75"},
        ValueCase {"true", true, FieldKind::Logical, "Verdadero"},
        ValueCase {"false", false, FieldKind::Logical, "Falso"},
        ValueCase {"date", dbase::Date {2025, 12, 8}, FieldKind::Date, "08/12/2025"},
        ValueCase {"time", dbase::TimeOfDay {14, 30, 0, 0}, FieldKind::Time, "14:30:00"},
        ValueCase {
            "dateTime", dbase::DateTime {{2025, 12, 8}, {14, 30, 0, 0}}, FieldKind::DateTime, "08/12/2025 14:30:00"}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace timetable
