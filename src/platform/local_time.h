#pragma once

namespace platform {

// A moment of the local clock, to the second, as the system's calendar counts it (month 1 to 12).
struct LocalTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The local date and time of day now, read at once (so that date and time belong together even at
// midnight), without fractions of a second; all zero when the system cannot tell.
LocalTime localTimeNow();

} // namespace platform
