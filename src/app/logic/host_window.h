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
    InputOnly, // the window exists but cannot hold other windows
    Refused, // the window exists, but the window system would not put the program's window inside it
    // The window system cannot put a window inside another program's window (the offscreen platform
    // of the tests): the handle is then treated as one that names no usable window.
    Unsupported,
};

// The failure text for a host window the program's window cannot go into, with the handle in
// upper-case hexadecimal; nothing for a usable one.
std::optional<std::string> hostWindowFailureText(HostWindowCheck check, std::uint32_t handle);

} // namespace app::logic
