#include "timetable/value_text.h"

#include "platform/text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <type_traits>

namespace timetable {

namespace {

// Names used when the system gives none.
const std::array<std::string, 12> SpanishLongMonths = {
    "Enero",
    "Febrero",
    "Marzo",
    "Abril",
    "Mayo",
    "Junio",
    "Julio",
    "Agosto",
    "Septiembre",
    "Octubre",
    "Noviembre",
    "Diciembre",
};
const std::array<std::string, 12> SpanishShortMonths = {
    "Ene",
    "Feb",
    "Mar",
    "Abr",
    "May",
    "Jun",
    "Jul",
    "Ago",
    "Sep",
    "Oct",
    "Nov",
    "Dic",
};
const std::array<std::string, 7> SpanishLongDays = {
    "Domingo",
    "Lunes",
    "Martes",
    "Mi\xC3\xA9rcoles",
    "Jueves",
    "Viernes",
    "S\xC3\xA1"
    "bado",
};
const std::array<std::string, 7> SpanishShortDays = {
    "Dom",
    "Lun",
    "Mar",
    "Mie",
    "Jue",
    "Vie",
    "Sab",
};

std::string_view settingOr(const std::optional<std::string>& setting, std::string_view fallback)
{
    return setting && !setting->empty() ? std::string_view(*setting) : fallback;
}

bool isAsciiLetter(char c)
{
    const char lower = platform::asciiLower(c);
    return lower >= 'a' && lower <= 'z';
}

// Days since 1970-01-01 of a proleptic Gregorian date; any month and day numbers are accepted.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// 0 for Sunday to 6 for Saturday.
std::size_t weekday(const dbase::Date& date)
{
    const std::int64_t days = daysFromCivil(date.year, date.month, date.day);
    return static_cast<std::size_t>(((days + 4) % 7 + 7) % 7); // 1970-01-01 was a Thursday
}

std::string monthName(const dbase::Date& date, const platform::RegionalSettings& settings, bool full)
{
    if (date.month < 1 || date.month > 12)
        return {};
    const std::size_t index = static_cast<std::size_t>(date.month - 1);
    if (full)
        return settings.longMonthNames ? (*settings.longMonthNames)[index] : SpanishLongMonths[index];
    return settings.shortMonthNames ? (*settings.shortMonthNames)[index] : SpanishShortMonths[index];
}

std::string dayName(const dbase::Date& date, const platform::RegionalSettings& settings, bool full)
{
    const std::size_t index = weekday(date);
    if (full)
        return settings.longDayNames ? (*settings.longDayNames)[index] : SpanishLongDays[index];
    return settings.shortDayNames ? (*settings.shortDayNames)[index] : SpanishShortDays[index];
}

bool isMidnight(const dbase::TimeOfDay& time)
{
    return time.hour == 0 && time.minute == 0 && time.second == 0;
}

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// The text of a value, or of a view of one, by the one set of rules: a text as it stands, a logical
// value's literal, any other value's text written to scratch. settings() gives the regional settings,
// asked for only by the kinds whose text depends on them.
template <class Variant, class Settings>
std::string_view textOf(const Variant& value, Settings settings, std::string& scratch)
{
    return std::visit(
        Overloaded {
            [](std::monostate) { return std::string_view(); },
            [](const std::string& text) { return std::string_view(text); },
            [](const dbase::RawText& text) { return text.bytes; },
            [&](double number) {
                const std::string_view separator = decimalSeparator(settings());
                scratch.resize(FloatTextCapacity + separator.size());
                scratch.resize(formatFloatTo(number, separator, scratch.data()));
                return std::string_view(scratch);
            },
            [&](std::int32_t number) { return std::string_view(scratch = std::to_string(number)); },
            [&](dbase::Decimal number) {
                return std::string_view(scratch = formatDecimal(number, decimalSeparator(settings())));
            },
            [](bool flag) { return flagText(flag); },
            [&](const dbase::Date& date) { return std::string_view(scratch = formatDate(date, settings())); },
            [&](const dbase::TimeOfDay& time) { return std::string_view(scratch = formatTime(time, settings())); },
            [&](const dbase::DateTime& dateTime) {
                return std::string_view(scratch = formatDateTime(dateTime, settings()));
            },
        },
        value);
}

} // namespace

std::string_view decimalSeparator(const platform::RegionalSettings& settings)
{
    if (!settings.decimalSeparator || settings.decimalSeparator->empty())
        return ".";
    const std::string_view text = *settings.decimalSeparator;
    // The first character, with the continuation bytes of a UTF-8 sequence.
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        ++length;
    return text.substr(0, length);
}

std::size_t formatFloatTo(double value, std::string_view decimalSeparator, char* out)
{
    char* p = out;
    auto put = [&p](std::string_view text) {
        std::memcpy(p, text.data(), text.size());
        p += text.size();
    };
    if (std::isnan(value)) {
        put("NAN");
        return 3;
    }
    if (std::isinf(value)) {
        put(value < 0 ? "-INF" : "INF");
        return static_cast<std::size_t>(p - out);
    }
    if (value == 0) {
        *p = '0';
        return 1;
    }
    const double magnitude = std::fabs(value);
    // A whole number below ten to the power 15 has at most 15 digits, all significant or trailing
    // zeros of its integer part: its text is its decimal digits.
    if (magnitude < 1e15 && magnitude == std::floor(magnitude))
        return static_cast<std::size_t>(std::to_chars(out, out + 24, static_cast<long long>(value)).ptr - out);

    // 18 significant digits, correctly rounded: d.ddddddddddddddddde[+-]x
    char buffer[64];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 17);
    char digits[20];
    int count = 0;
    const char* q = buffer;
    for (; q < converted.ptr && *q != 'e'; ++q) {
        if (*q != '.')
            digits[count++] = *q;
    }
    int exponent = 0;
    ++q; // 'e'
    const bool negativeExponent = *q == '-';
    ++q; // sign
    std::from_chars(q, converted.ptr, exponent);
    if (negativeExponent)
        exponent = -exponent;
    // The magnitude is 0.d1d2... times ten to the power e.
    int e = exponent + 1;

    // Round to 15 significant digits by the 16th.
    const bool roundUp = digits[15] >= '5';
    count = 15;
    if (roundUp) {
        int i = 14;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0) {
            digits[0] = '1';
            ++e;
        } else {
            ++digits[i];
        }
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;
    const std::string_view d(digits, static_cast<std::size_t>(count));

    if (value < 0)
        *p++ = '-';
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            *p++ = '0';
            put(decimalSeparator);
            std::memset(p, '0', static_cast<std::size_t>(-e));
            p += -e;
            put(d);
        } else if (count <= e) {
            put(d);
            std::memset(p, '0', static_cast<std::size_t>(e - count));
            p += e - count;
        } else {
            put(d.substr(0, static_cast<std::size_t>(e)));
            put(decimalSeparator);
            put(d.substr(static_cast<std::size_t>(e)));
        }
    } else {
        *p++ = d[0];
        if (count > 1) {
            put(decimalSeparator);
            put(d.substr(1));
        }
        *p++ = 'E';
        p = std::to_chars(p, p + 8, e - 1).ptr;
    }
    return static_cast<std::size_t>(p - out);
}

std::string formatFloat(double value, std::string_view decimalSeparator)
{
    std::string text(FloatTextCapacity + 2 * decimalSeparator.size(), '\0');
    text.resize(formatFloatTo(value, decimalSeparator, text.data()));
    return text;
}

std::string formatDecimal(dbase::Decimal value, std::string_view decimalSeparator)
{
    const bool negative = value.scaled < 0;
    // Unsigned arithmetic, so that the smallest 64-bit value has a magnitude too.
    const std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(value.scaled) : static_cast<std::uint64_t>(value.scaled);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 10000);
    const std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string fractionDigits = fmt::format("{:04}", fraction);
        while (fractionDigits.back() == '0')
            fractionDigits.pop_back();
        text += decimalSeparator;
        text += fractionDigits;
    }
    return text;
}

// Picture letters other than d, m and y: the era letters g and e give nothing (there is no era
// calendar here); any other letter is copied as it stands. Runs of four or more d give the full day
// name. An unclosed quote runs to the end of the picture. An empty picture counts as none.
std::string formatDate(const dbase::Date& date, const platform::RegionalSettings& settings)
{
    const std::string_view picture = settingOr(settings.shortDate, "m/d/yy");
    const std::string_view dateSeparator = settingOr(settings.dateSeparator, "/");
    std::string text;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'' || c == '"') {
            std::size_t close = picture.find(c, i + 1);
            if (close == std::string_view::npos)
                close = picture.size();
            text += picture.substr(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        if (c == '/') {
            text += dateSeparator;
            ++i;
            continue;
        }
        if (!isAsciiLetter(c)) {
            text += c;
            ++i;
            continue;
        }
        const char letter = platform::asciiLower(c);
        std::size_t end = i + 1;
        while (end < picture.size() && platform::asciiLower(picture[end]) == letter)
            ++end;
        const std::size_t run = end - i;
        switch (letter) {
        case 'd':
            if (run == 1)
                text += std::to_string(date.day);
            else if (run == 2)
                text += fmt::format("{:02}", date.day);
            else
                text += dayName(date, settings, run >= 4);
            break;
        case 'm':
            if (run == 1)
                text += std::to_string(date.month);
            else if (run == 2)
                text += fmt::format("{:02}", date.month);
            else
                text += monthName(date, settings, run >= 4);
            break;
        case 'y':
            if (run <= 2)
                text += fmt::format("{:02}", (date.year % 100 + 100) % 100);
            else
                text += fmt::format("{:04}", date.year);
            break;
        case 'g':
        case 'e':
            break;
        default:
            text += picture.substr(i, run);
            break;
        }
        i = end;
    }
    return text;
}

// An empty designator adds neither itself nor its blank.
std::string formatTime(const dbase::TimeOfDay& time, const platform::RegionalSettings& settings)
{
    const bool clock24 = settings.clock24.value_or(0) != 0;
    const bool leadingZero = settings.hourLeadingZero.value_or(0) != 0;
    const bool markBefore = settings.timeMarkBefore.value_or(0) != 0;
    const std::string_view separator = settingOr(settings.timeSeparator, ":");

    int hour = time.hour;
    if (!clock24) {
        hour = (hour % 12 + 12) % 12;
        if (hour == 0)
            hour = 12;
    }
    std::string text = leadingZero ? fmt::format("{:02}", hour) : std::to_string(hour);
    text += separator;
    text += fmt::format("{:02}", time.minute);
    text += separator;
    text += fmt::format("{:02}", time.second);
    if (clock24)
        return text;

    const bool morning = (time.hour % 24 + 24) % 24 < 12;
    const std::string designator
        = morning ? settings.amDesignator.value_or("am") : settings.pmDesignator.value_or("pm");
    if (designator.empty())
        return text;
    return markBefore ? designator + " " + text : text + " " + designator;
}

std::string formatDateTime(const dbase::DateTime& value, const platform::RegionalSettings& settings)
{
    std::string text = formatDate(value.date, settings);
    if (!isMidnight(value.time)) {
        text += ' ';
        text += formatTime(value.time, settings);
    }
    return text;
}

std::string formatLocalTime(const platform::LocalTime& moment, const platform::RegionalSettings& settings)
{
    return formatDate({moment.year, moment.month, moment.day}, settings) + " "
        + formatTime({moment.hour, moment.minute, moment.second, 0}, settings);
}

std::string_view flagText(bool flag)
{
    return flag ? "Verdadero" : "Falso";
}

// Each kind has its own alternative in dbase::Value, so the value alone decides the text; character,
// memo and blob values are all passed on unchanged.
std::string valueText(const dbase::Value& value, dbase::FieldKind /*kind*/, const platform::RegionalSettings& settings)
{
    std::string scratch;
    return std::string(textOf(
        value, [&settings]() -> const platform::RegionalSettings& { return settings; }, scratch));
}

std::string_view valueText(const dbase::ValueView& value, std::string& scratch)
{
    return textOf(value, platform::regionalSettings, scratch);
}

std::optional<std::int32_t> parseIntegerText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);

    std::optional<std::string_view> hexDigits;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X'))
        hexDigits = rest.substr(1);
    else if (rest.starts_with("0x") || rest.starts_with("0X"))
        hexDigits = rest.substr(2);

    if (hexDigits) {
        if (hexDigits->empty() || hexDigits->size() > 8)
            return std::nullopt;
        std::uint32_t pattern = 0;
        for (char c : *hexDigits) {
            const char lower = platform::asciiLower(c);
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (lower >= 'a' && lower <= 'f')
                digit = static_cast<std::uint32_t>(lower - 'a' + 10);
            else
                return std::nullopt;
            pattern = pattern * 16 + digit;
        }
        // The pattern is a signed value; negating the smallest one gives itself again.
        if (negative)
            pattern = 0u - pattern;
        return static_cast<std::int32_t>(pattern);
    }

    if (rest.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > 2147483648u)
            return std::nullopt;
    }
    if (negative)
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    if (magnitude > 2147483647u)
        return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}

std::optional<std::int32_t> roundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double lower = std::floor(value);
    const double fraction = value - lower; // exact for every double
    double rounded = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0))
        rounded = lower + 1;
    if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0)
        return std::nullopt;
    const auto whole = static_cast<std::int64_t>(rounded);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

std::int32_t roundDecimalToInt32(dbase::Decimal value)
{
    std::int64_t whole = value.scaled / 10000; // towards zero
    const std::int64_t rest = value.scaled % 10000;
    if (rest > 5000 || (rest == 5000 && whole % 2 != 0))
        ++whole;
    else if (rest < -5000 || (rest == -5000 && whole % 2 != 0))
        --whole;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

} // namespace timetable
