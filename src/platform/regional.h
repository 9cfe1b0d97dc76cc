#pragma once

#include <array>
#include <optional>
#include <string>

namespace platform {

// The user's regional formats, as far as the system gives them. An absent value means the system
// gives none; the readers then use their own defaults. All texts are UTF-8.
struct RegionalSettings
{
    std::optional<std::string> decimalSeparator; // LOCALE_SDECIMAL
    std::optional<std::string> shortDate; // LOCALE_SSHORTDATE picture, e.g. "dd/MM/yyyy"
    std::optional<std::string> dateSeparator; // LOCALE_SDATE
    std::optional<std::string> timeSeparator; // LOCALE_STIME
    std::optional<int> clock24; // LOCALE_ITIME: non-zero for a 24-hour clock
    std::optional<int> hourLeadingZero; // LOCALE_ITLZERO
    std::optional<int> timeMarkBefore; // LOCALE_ITIMEMARKPOSN: non-zero puts am/pm before the hour
    std::optional<std::string> amDesignator; // LOCALE_S1159
    std::optional<std::string> pmDesignator; // LOCALE_S2359
    // Sunday first, as the system names them.
    std::optional<std::array<std::string, 7>> longDayNames;
    std::optional<std::array<std::string, 7>> shortDayNames;
    // January first.
    std::optional<std::array<std::string, 12>> longMonthNames;
    std::optional<std::array<std::string, 12>> shortMonthNames;
};

// Reads the settings from the system: on Windows the user's locale (GetLocaleInfoEx); elsewhere the
// POSIX locale (LC_ALL, LC_NUMERIC, LC_TIME, LANG). The C and POSIX locales give no date, time or
// name settings; their decimal separator is ".".
RegionalSettings readSystemRegionalSettings();

// The settings in force: read from the system at the first call, replaced by reloadRegionalSettings()
// (called when the system announces a change) or by setRegionalSettings() (tests, tools).
const RegionalSettings& regionalSettings();
void reloadRegionalSettings();
void setRegionalSettings(const RegionalSettings& settings);

} // namespace platform
