#pragma once

// Internal to the platform layer: reading the regional settings is each system's own
// (regional_posix.cpp, regional_win32.cpp).

#include "platform/regional.h"

namespace platform::detail {

// The user's regional settings as this system gives them.
RegionalSettings readSystemSettings();

} // namespace platform::detail
