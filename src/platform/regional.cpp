/*
 * Regional settings from the system.
 *
 * Windows: the user's locale through GetLocaleInfoW (LOCALE_SDECIMAL, LOCALE_SSHORTDATE, LOCALE_SDATE,
 * LOCALE_STIME, LOCALE_ITIME, LOCALE_ITLZERO, LOCALE_ITIMEMARKPOSN, LOCALE_S1159, LOCALE_S2359 and the
 * day and month names), converted from UTF-16 to UTF-8. Texts are taken as the system gives them, empty
 * ones included; a setting whose call fails is absent.
 *
 * POSIX systems: the locale named by the environment, with the usual precedence per category:
 * LC_ALL, then LC_NUMERIC (decimal separator) or LC_TIME (everything else), then LANG; empty variables
 * count as unset, and none at all means the C locale.
 *
 *   - Decimal separator: RADIXCHAR of the LC_NUMERIC locale; "." for the C locale or a locale that
 *     cannot be loaded.
 *   - The C and POSIX locales (also "C.<codeset>") and a locale that cannot be loaded give no date,
 *     time or name settings at all, so that the readers' own defaults apply ("m/d/yy", "/", ":",
 *     12-hour clock without leading zero, "am"/"pm", Spanish day and month names).
 *   - Short-date picture from D_FMT, read left to right:
 *         %d -> dd    %e -> d     %m -> MM    %y -> yy    %Y -> yyyy
 *         %b, %h -> MMM    %B -> MMMM    %a -> ddd    %A -> dddd
 *         %D -> MM/dd/yy   %F -> yyyy-MM-dd   %% -> %   %n, %t -> a blank
 *     The E and O modifiers and field widths are ignored; the flags "-" and "_" drop the leading zero
 *     of %d and %m, the flag "0" adds one to %e. Any other conversion is left out. Other characters
 *     are copied: ASCII letters inside single quotes ('de'), a single quote as "'" and a double quote
 *     as '"'; everything else, non-ASCII characters included, as it stands. A D_FMT without any date
 *     element gives no picture.
 *   - Date separator: the first ASCII character that is not a letter among the literal text between
 *     two date elements ("/" for "%d/%m/%y", "." for "%d.%m.%Y", "-" for "%F"); absent when there is none.
 *   - Clock from T_FMT, with %T as %H:%M:%S, %R as %H:%M and %r as T_FMT_AMPM ("%I:%M:%S %p" when
 *     that is empty); when T_FMT has no hour element, T_FMT_AMPM is used instead. The first hour
 *     element decides: %H or %k give a 24-hour clock, %I or %l a 12-hour one; %H and %I have a leading
 *     zero, %k and %l not (the flags "-", "_" and "0" change that as for dates). The time separator is
 *     the character right after the hour element when it is an ASCII character other than a letter or
 *     digit; otherwise (another conversion, or a letter such as the CJK hour signs) there is none and
 *     ":" applies. No hour element at all: no clock settings.
 *   - Designator position: in the 12-hour format (T_FMT when it is one, else T_FMT_AMPM), 1 when %p
 *     or %P comes before the hour element, 0 when after; absent when either is missing.
 *   - Designators from AM_STR and PM_STR, absent when empty.
 *   - Names from DAY_1..DAY_7 and ABDAY_1..ABDAY_7 (Sunday first), MON_1..MON_12 and
 *     ABMON_1..ABMON_12, converted to UTF-8 from the codeset of the LC_TIME locale; a list with an
 *     empty name or a failed conversion is absent.
 */

#include "platform/regional.h"

#include "platform/posix_locale_map.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#endif

#include <charconv>
#include <cstddef>
#include <vector>

namespace platform {

namespace posix {

namespace {

// One piece of a strftime format: a conversion (its letter and flag) or literal text.
struct FormatToken
{
    char conversion = 0; // 0 for literal text
    char flag = 0;
    std::string text;
};

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAscii(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

void appendLiteral(std::vector<FormatToken>& tokens, std::string_view text)
{
    if (!tokens.empty() && tokens.back().conversion == 0)
        tokens.back().text += text;
    else
        tokens.push_back({0, 0, std::string(text)});
}

void appendTokens(std::vector<FormatToken>& tokens, const std::vector<FormatToken>& more)
{
    for (const FormatToken& token : more) {
        if (token.conversion == 0)
            appendLiteral(tokens, token.text);
        else
            tokens.push_back(token);
    }
}

// Splits a format into tokens, expanding the composite conversions %D, %F, %T, %R and %r.
std::vector<FormatToken> tokenize(std::string_view format, std::string_view ampmFormat, bool expandR = true)
{
    std::vector<FormatToken> tokens;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            appendLiteral(tokens, format.substr(i, 1));
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        char flag = 0;
        while (j < format.size() && std::string_view("-_0^#").find(format[j]) != std::string_view::npos)
            flag = format[j++];
        while (j < format.size() && isAsciiDigit(format[j]))
            ++j;
        if (j < format.size() && (format[j] == 'E' || format[j] == 'O'))
            ++j;
        if (j >= format.size()) {
            appendLiteral(tokens, format.substr(i));
            break;
        }
        const char conversion = format[j];
        i = j + 1;
        switch (conversion) {
        case '%':
            appendLiteral(tokens, "%");
            break;
        case 'n':
        case 't':
            appendLiteral(tokens, " ");
            break;
        case 'D':
            appendTokens(tokens, tokenize("%m/%d/%y", {}));
            break;
        case 'F':
            appendTokens(tokens, tokenize("%Y-%m-%d", {}));
            break;
        case 'T':
            appendTokens(tokens, tokenize("%H:%M:%S", {}));
            break;
        case 'R':
            appendTokens(tokens, tokenize("%H:%M", {}));
            break;
        case 'r':
            // T_FMT_AMPM may itself say %r; expand it only once.
            appendTokens(tokens, tokenize(expandR && !ampmFormat.empty() ? ampmFormat : "%I:%M:%S %p", {}, false));
            break;
        default:
            tokens.push_back({conversion, flag, {}});
            break;
        }
    }
    return tokens;
}

bool dropsZero(char flag)
{
    return flag == '-' || flag == '_';
}

// The picture element of a date conversion; empty for conversions that are not date elements.
std::string dateElement(const FormatToken& token)
{
    switch (token.conversion) {
    case 'd':
        return dropsZero(token.flag) ? "d" : "dd";
    case 'e':
        return token.flag == '0' ? "dd" : "d";
    case 'm':
        return dropsZero(token.flag) ? "M" : "MM";
    case 'y':
        return "yy";
    case 'Y':
        return "yyyy";
    case 'b':
    case 'h':
        return "MMM";
    case 'B':
        return "MMMM";
    case 'a':
        return "ddd";
    case 'A':
        return "dddd";
    default:
        return {};
    }
}

// Literal text in picture form: letters quoted, quote characters protected by the other quote.
std::string pictureLiteral(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isAsciiLetter(c)) {
            std::size_t end = i;
            while (end < text.size() && isAsciiLetter(text[end]))
                ++end;
            out += '\'';
            out += text.substr(i, end - i);
            out += '\'';
            i = end;
            continue;
        }
        if (c == '\'')
            out += "\"'\"";
        else if (c == '"')
            out += "'\"'";
        else
            out += c;
        ++i;
    }
    return out;
}

std::optional<std::size_t> findConversion(const std::vector<FormatToken>& tokens, std::string_view letters)
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].conversion != 0 && letters.find(tokens[i].conversion) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

} // namespace

DateFormatSettings mapDateFormat(std::string_view dFmt)
{
    DateFormatSettings result;
    std::string picture;
    bool anyElement = false;
    // The separator seen since the last element; 0 when none (a plain char keeps GCC's
    // uninitialised-use analysis quiet, which misfires on std::optional<char> here).
    char candidate = 0;
    for (const FormatToken& token : tokenize(dFmt, {})) {
        if (token.conversion == 0) {
            picture += pictureLiteral(token.text);
            if (anyElement && !candidate) {
                for (char c : token.text) {
                    if (c != 0 && isAscii(c) && !isAsciiLetter(c)) {
                        candidate = c;
                        break;
                    }
                }
            }
            continue;
        }
        const std::string element = dateElement(token);
        if (element.empty())
            continue;
        if (candidate != 0 && !result.dateSeparator)
            result.dateSeparator = std::string(1, candidate);
        candidate = 0;
        anyElement = true;
        picture += element;
    }
    if (anyElement)
        result.shortDate = picture;
    return result;
}

TimeFormatSettings mapTimeFormat(std::string_view tFmt, std::string_view tFmtAmPm)
{
    TimeFormatSettings result;
    std::vector<FormatToken> tokens = tokenize(tFmt, tFmtAmPm);
    std::optional<std::size_t> hour = findConversion(tokens, "HkIl");
    if (!hour) {
        tokens = tokenize(tFmtAmPm, {}, false);
        hour = findConversion(tokens, "HkIl");
    }
    if (!hour)
        return result;

    const FormatToken& hourToken = tokens[*hour];
    const bool is24 = hourToken.conversion == 'H' || hourToken.conversion == 'k';
    const bool zeroByDefault = hourToken.conversion == 'H' || hourToken.conversion == 'I';
    const bool leadingZero = zeroByDefault ? !dropsZero(hourToken.flag) : hourToken.flag == '0';
    result.clock24 = is24 ? 1 : 0;
    result.hourLeadingZero = leadingZero ? 1 : 0;

    if (*hour + 1 < tokens.size() && tokens[*hour + 1].conversion == 0 && !tokens[*hour + 1].text.empty()) {
        const char next = tokens[*hour + 1].text.front();
        if (isAscii(next) && !isAsciiLetter(next) && !isAsciiDigit(next))
            result.timeSeparator = std::string(1, next);
    }

    const std::vector<FormatToken> twelveHour = is24 ? tokenize(tFmtAmPm, {}, false) : tokens;
    const std::optional<std::size_t> mark = findConversion(twelveHour, "pP");
    const std::optional<std::size_t> hour12 = findConversion(twelveHour, "Il");
    if (mark && hour12)
        result.timeMarkBefore = *mark < *hour12 ? 1 : 0;
    return result;
}

} // namespace posix

namespace {

#ifdef _WIN32

std::optional<std::string> wideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size
        = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string out(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr)
        != size)
        return std::nullopt;
    return out;
}

// The user's setting as UTF-8; absent when the system does not give it.
std::optional<std::string> localeText(LCTYPE type)
{
    const int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring buffer(static_cast<std::size_t>(size), L'\0');
    const int written = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer.data(), size);
    if (written <= 0)
        return std::nullopt;
    buffer.resize(static_cast<std::size_t>(written - 1)); // without the terminating NUL
    return wideToUtf8(buffer);
}

std::optional<int> localeNumber(LCTYPE type)
{
    const std::optional<std::string> text = localeText(type);
    if (!text)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

template <std::size_t N> std::optional<std::array<std::string, N>> localeNames(const std::array<LCTYPE, N>& types)
{
    std::array<std::string, N> names;
    for (std::size_t i = 0; i < N; ++i) {
        std::optional<std::string> name = localeText(types[i]);
        if (!name)
            return std::nullopt;
        names[i] = std::move(*name);
    }
    return names;
}

// Windows numbers the day names from Monday (SDAYNAME1); the settings hold them from Sunday.
std::array<LCTYPE, 7> dayTypes(LCTYPE mondayType)
{
    std::array<LCTYPE, 7> types {};
    for (std::size_t i = 0; i < 7; ++i)
        types[i] = mondayType + static_cast<LCTYPE>((i + 6) % 7);
    return types;
}

std::array<LCTYPE, 12> monthTypes(LCTYPE januaryType)
{
    std::array<LCTYPE, 12> types {};
    for (std::size_t i = 0; i < 12; ++i)
        types[i] = januaryType + static_cast<LCTYPE>(i);
    return types;
}

RegionalSettings readSettings()
{
    RegionalSettings s;
    s.decimalSeparator = localeText(LOCALE_SDECIMAL);
    s.shortDate = localeText(LOCALE_SSHORTDATE);
    s.dateSeparator = localeText(LOCALE_SDATE);
    s.timeSeparator = localeText(LOCALE_STIME);
    s.clock24 = localeNumber(LOCALE_ITIME);
    s.hourLeadingZero = localeNumber(LOCALE_ITLZERO);
    s.timeMarkBefore = localeNumber(LOCALE_ITIMEMARKPOSN);
    s.amDesignator = localeText(LOCALE_S1159);
    s.pmDesignator = localeText(LOCALE_S2359);
    s.longDayNames = localeNames(dayTypes(LOCALE_SDAYNAME1));
    s.shortDayNames = localeNames(dayTypes(LOCALE_SABBREVDAYNAME1));
    s.longMonthNames = localeNames(monthTypes(LOCALE_SMONTHNAME1));
    s.shortMonthNames = localeNames(monthTypes(LOCALE_SABBREVMONTHNAME1));
    return s;
}

#else

// The locale name that the environment gives a category.
std::string localeNameFor(const char* categoryVariable)
{
    for (const char* variable : {"LC_ALL", categoryVariable, "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "C";
}

bool isCLocale(std::string_view name)
{
    return name == "C" || name == "POSIX" || name.starts_with("C.") || name.starts_with("C@");
}

class LocaleObject
{
public:
    LocaleObject(int mask, const std::string& name)
        : m_locale(newlocale(mask, name.c_str(), static_cast<locale_t>(nullptr)))
    {
    }
    ~LocaleObject()
    {
        if (m_locale != static_cast<locale_t>(nullptr))
            freelocale(m_locale);
    }
    LocaleObject(const LocaleObject&) = delete;
    LocaleObject& operator=(const LocaleObject&) = delete;

    bool valid() const { return m_locale != static_cast<locale_t>(nullptr); }
    std::string item(nl_item what) const
    {
        const char* text = nl_langinfo_l(what, m_locale);
        return text != nullptr ? std::string(text) : std::string();
    }

private:
    locale_t m_locale;
};

// Converts texts of the locale's codeset to UTF-8.
class Utf8Converter
{
public:
    explicit Utf8Converter(const std::string& codeset)
    {
        if (codeset.empty() || isUtf8(codeset))
            return;
        m_iconv = iconv_open("UTF-8", codeset.c_str());
        m_failed = m_iconv == reinterpret_cast<iconv_t>(-1);
    }
    ~Utf8Converter()
    {
        if (!m_failed && m_iconv != nullptr)
            iconv_close(m_iconv);
    }
    Utf8Converter(const Utf8Converter&) = delete;
    Utf8Converter& operator=(const Utf8Converter&) = delete;

    std::optional<std::string> convert(const std::string& text) const
    {
        if (m_failed)
            return std::nullopt;
        if (m_iconv == nullptr)
            return text;
        iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
        std::string in = text;
        // A UTF-8 character takes at most three bytes per byte of any other encoding.
        std::string out(in.size() * 4 + 16, '\0');
        char* inPtr = in.data();
        std::size_t inLeft = in.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (iconv(m_iconv, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    static bool isUtf8(const std::string& codeset)
    {
        std::string lower;
        for (char c : codeset)
            lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return lower == "utf-8" || lower == "utf8";
    }

    iconv_t m_iconv = nullptr;
    bool m_failed = false;
};

template <std::size_t N>
std::optional<std::array<std::string, N>> localeNames(
    const LocaleObject& locale, const Utf8Converter& converter, const std::array<nl_item, N>& items)
{
    std::array<std::string, N> names;
    for (std::size_t i = 0; i < N; ++i) {
        std::optional<std::string> name = converter.convert(locale.item(items[i]));
        if (!name || name->empty())
            return std::nullopt;
        names[i] = std::move(*name);
    }
    return names;
}

std::optional<std::string> nonEmpty(std::optional<std::string> text)
{
    if (text && text->empty())
        return std::nullopt;
    return text;
}

RegionalSettings readSettings()
{
    RegionalSettings s;
    s.decimalSeparator = ".";

    const std::string numericName = localeNameFor("LC_NUMERIC");
    if (!isCLocale(numericName)) {
        const LocaleObject numeric(LC_NUMERIC_MASK | LC_CTYPE_MASK, numericName);
        if (numeric.valid()) {
            const Utf8Converter converter(numeric.item(CODESET));
            if (std::optional<std::string> radix = nonEmpty(converter.convert(numeric.item(RADIXCHAR))))
                s.decimalSeparator = *radix;
        }
    }

    const std::string timeName = localeNameFor("LC_TIME");
    if (isCLocale(timeName))
        return s;
    // LC_CTYPE of the same name tells the codeset that the LC_TIME texts are written in.
    const LocaleObject time(LC_TIME_MASK | LC_CTYPE_MASK, timeName);
    if (!time.valid())
        return s;
    const Utf8Converter converter(time.item(CODESET));

    const posix::DateFormatSettings date = posix::mapDateFormat(time.item(D_FMT));
    s.shortDate = date.shortDate;
    s.dateSeparator = date.dateSeparator;

    const posix::TimeFormatSettings clock = posix::mapTimeFormat(time.item(T_FMT), time.item(T_FMT_AMPM));
    s.timeSeparator = clock.timeSeparator;
    s.clock24 = clock.clock24;
    s.hourLeadingZero = clock.hourLeadingZero;
    s.timeMarkBefore = clock.timeMarkBefore;

    s.amDesignator = nonEmpty(converter.convert(time.item(AM_STR)));
    s.pmDesignator = nonEmpty(converter.convert(time.item(PM_STR)));

    s.longDayNames = localeNames<7>(time, converter, {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7});
    s.shortDayNames = localeNames<7>(time, converter, {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7});
    s.longMonthNames = localeNames<12>(
        time, converter, {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6, MON_7, MON_8, MON_9, MON_10, MON_11, MON_12});
    s.shortMonthNames = localeNames<12>(time, converter,
        {ABMON_1, ABMON_2, ABMON_3, ABMON_4, ABMON_5, ABMON_6, ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11,
            ABMON_12});
    return s;
}

#endif

struct SettingsInForce
{
    bool loaded = false;
    RegionalSettings settings;
};

SettingsInForce& settingsInForce()
{
    static SettingsInForce state;
    return state;
}

} // namespace

RegionalSettings readSystemRegionalSettings()
{
    return readSettings();
}

const RegionalSettings& regionalSettings()
{
    SettingsInForce& state = settingsInForce();
    if (!state.loaded) {
        state.settings = readSystemRegionalSettings();
        state.loaded = true;
    }
    return state.settings;
}

void reloadRegionalSettings()
{
    SettingsInForce& state = settingsInForce();
    state.settings = readSystemRegionalSettings();
    state.loaded = true;
}

void setRegionalSettings(const RegionalSettings& settings)
{
    SettingsInForce& state = settingsInForce();
    state.settings = settings;
    state.loaded = true;
}

} // namespace platform
