/*
 * Regional settings on POSIX systems: the locale named by the environment, with the usual precedence per category:
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

#include "platform/posix_locale_map.h"
#include "platform/regional_system.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace platform::detail {

namespace {

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
        return equalsAsciiNoCase(codeset, "utf-8") || equalsAsciiNoCase(codeset, "utf8");
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

} // namespace

RegionalSettings readSystemSettings()
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

} // namespace platform::detail
