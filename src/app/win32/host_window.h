#pragma once

#include <cstdint>
#include <windows.h>

namespace app::win32 {

// How the main window goes into the host program's window.
enum class HostPlacement
{
    // A child window of the host window (WS_CHILD, SetParent), placed in its client area.
    Child,
    // A borderless window owned by the host window, placed over its client area and moved along when the
    // host window moves.
    Owned,
};

// True when the program runs under Wine: its ntdll exports wine_get_version.
bool runsUnderWine();

// Child on Windows. Under Wine a child window whose parent belongs to another process is never drawn,
// which would leave the user a blank host window: there the window is owned by the host window instead.
HostPlacement hostPlacementFor(bool underWine);

// The window handle that a host window handle of 32 bits stands for: Windows hands out handles that
// fit in 32 bits and widens them with their sign (a handle with the top bit set is negative).
HWND windowFromHandle(std::uint32_t handle);

// The top-left corner of a window's client area on the screen; nothing when the window has gone.
bool clientOrigin(HWND window, POINT& origin);

} // namespace app::win32
