#pragma once

#include "app/logic/geometry.h"
#include "app/logic/host_window.h"
#include "app/win32/host_window.h"

#include <windows.h>

namespace app::win32 {

// The main window's place in the host window, by one of the placements of HostPlacement: what its
// window is made with, how it goes in, where it is shown, and the watch over the host window (whether
// it is still there and, for an owned window, where its client area has moved). A main window that
// never goes into a host window is top-level and needs none of it.
class HostWindowPlacement
{
public:
    explicit HostWindowPlacement(HostPlacement placement);

    HostPlacement placement() const { return m_placement; }
    // The host window once the main window has gone into it, else null.
    HWND host() const { return m_host; }
    // Whether the main window is a child of the host window, which can own no window.
    bool isChild() const { return m_placement == HostPlacement::Child; }

    // The window to make the main window with for this host window: the host window as owner for an
    // owned window; none for a child, which enter() then puts inside it.
    HWND ownerFor(HWND host) const;
    // Puts the main window, made with ownerFor(host) (null when that failed), into the host window and
    // starts the watch. Usable when it went in; else Refused with the host window still there, Missing
    // when it has gone. A refused window is left to the caller to destroy.
    logic::HostWindowCheck enter(HWND window, HWND host);
    // Ends the watch, when the window goes.
    void stopWatching(HWND window);
    // Whether a timer message is the watch's.
    static bool isWatchTimer(WPARAM timer);
    // One look at the host window: false when it has gone (the watch has then ended); an owned window
    // is moved along with the host's client area.
    bool follow(HWND window);

    // Shows the window at a position counted from the host's client area (from the screen for a
    // top-level window).
    void showAt(HWND window, logic::Position position);
    // Whether the window really lies in the host window (false when either has gone).
    bool holds(HWND window, HWND host) const;
    // What the window needs besides the focus in the host window: an owned window, which is a window of
    // its own, also the foreground.
    void activate(HWND window) const;

private:
    HostPlacement m_placement;
    HWND m_host = nullptr;
    POINT m_hostOffset {}; // where the window lies in the host's client area
};

} // namespace app::win32
