/*
 * Regional settings on Windows: the user's locale through GetLocaleInfoEx (LOCALE_SDECIMAL, LOCALE_SSHORTDATE,
 * LOCALE_SDATE, LOCALE_STIME, LOCALE_ITIME, LOCALE_ITLZERO, LOCALE_ITIMEMARKPOSN, LOCALE_S1159, LOCALE_S2359 and the
 * day and month names), converted from UTF-16 to UTF-8. Texts are taken as the system gives them, empty
 * ones included; a setting whose call fails is absent. The wide calls keep every character (the "A"
 * calls turn characters such as U+202F, found in some designators, into "?").
 */

#include "platform/regional_system.h"
#include "platform/wide_text.h"

#include <charconv>
#include <windows.h>

namespace platform::detail {

namespace {

// The user's setting as UTF-8; absent when the system does not give it.
std::optional<std::string> localeText(LCTYPE type)
{
    const int size = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring buffer(static_cast<std::size_t>(size), L'\0');
    const int written = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer.data(), size);
    if (written <= 0)
        return std::nullopt;
    buffer.resize(static_cast<std::size_t>(written - 1)); // without the terminating NUL
    return narrow(buffer);
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

} // namespace

RegionalSettings readSystemSettings()
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

} // namespace platform::detail
