#pragma once

#include <optional>
#include <string>
#include <string_view>

// Internal to the platform layer and its tests: how POSIX LC_TIME formats become regional settings.
// The functions are pure, so they are built and tested on every system.
namespace platform::posix {

struct DateFormatSettings
{
    std::optional<std::string> shortDate; // absent when the format has no date element
    std::optional<std::string> dateSeparator; // absent when no literal stands between two date elements
};

// Maps a D_FMT string such as "%d/%m/%y" to a short-date picture ("dd/MM/yy") and its separator ("/").
DateFormatSettings mapDateFormat(std::string_view dFmt);

struct TimeFormatSettings
{
    std::optional<std::string> timeSeparator;
    std::optional<int> clock24;
    std::optional<int> hourLeadingZero;
    std::optional<int> timeMarkBefore;
};

// Maps T_FMT and T_FMT_AMPM to the clock settings. Everything is absent when neither has an hour element.
TimeFormatSettings mapTimeFormat(std::string_view tFmt, std::string_view tFmtAmPm);

} // namespace platform::posix
