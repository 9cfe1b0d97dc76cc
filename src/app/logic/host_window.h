#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace app::logic {

// What the window system says about a host window before the program's window goes into it.
enum class HostWindowCheck
{
    Usable,
    Missing, // no window has that handle
    Refused, // the window exists, but the window system would not put the program's window inside it
};

// The failure text for a host window the program's window cannot go into, with the handle in
// upper-case hexadecimal; nothing for a usable one.
std::optional<std::string> hostWindowFailureText(HostWindowCheck check, std::uint32_t handle);

} // namespace app::logic
