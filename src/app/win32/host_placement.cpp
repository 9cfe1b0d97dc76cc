#include "app/win32/host_placement.h"

namespace app::win32 {

namespace {

constexpr UINT_PTR WatchTimer = 1;
// How often the host window is looked at.
constexpr UINT WatchTimerMs = 100;

} // namespace

HostWindowPlacement::HostWindowPlacement(HostPlacement placement)
    : m_placement(placement)
{
}

HWND HostWindowPlacement::ownerFor(HWND host) const
{
    return m_placement == HostPlacement::Owned ? host : nullptr;
}

logic::HostWindowCheck HostWindowPlacement::enter(HWND window, HWND host)
{
    m_host = host;
    // A failure with the host window still there is the window system's refusal.
    const auto failure
        = [host] { return IsWindow(host) ? logic::HostWindowCheck::Refused : logic::HostWindowCheck::Missing; };
    if (!window)
        return failure();
    if (m_placement == HostPlacement::Child) {
        // A child window now, without a frame, inside the host window.
        SetWindowLongPtrW(window, GWL_STYLE, (GetWindowLongPtrW(window, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        if (!SetParent(window, host))
            return failure();
    }
    SetTimer(window, WatchTimer, WatchTimerMs, nullptr);
    return logic::HostWindowCheck::Usable;
}

void HostWindowPlacement::stopWatching(HWND window)
{
    KillTimer(window, WatchTimer);
}

bool HostWindowPlacement::isWatchTimer(WPARAM timer)
{
    return timer == WatchTimer;
}

bool HostWindowPlacement::follow(HWND window)
{
    if (!IsWindow(m_host)) {
        if (window)
            stopWatching(window);
        return false;
    }
    if (m_placement != HostPlacement::Owned || !window)
        return true;
    POINT origin {};
    RECT now {};
    if (!clientOrigin(m_host, origin) || !GetWindowRect(window, &now))
        return true;
    const POINT wanted {origin.x + m_hostOffset.x, origin.y + m_hostOffset.y};
    if (now.left != wanted.x || now.top != wanted.y)
        SetWindowPos(window, nullptr, wanted.x, wanted.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void HostWindowPlacement::showAt(HWND window, logic::Position position)
{
    int left = position.left;
    int top = position.top;
    if (m_host) {
        m_hostOffset = {position.left, position.top};
        // An owned window is placed on the screen, over the host's client area.
        POINT origin {};
        if (m_placement == HostPlacement::Owned && clientOrigin(m_host, origin)) {
            left += origin.x;
            top += origin.y;
        }
    }
    SetWindowPos(window, HWND_TOP, left, top, 0, 0, SWP_NOSIZE);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

bool HostWindowPlacement::holds(HWND window, HWND host) const
{
    if (!window || !IsWindow(window) || !IsWindow(host))
        return false;
    if (m_placement == HostPlacement::Owned)
        return GetWindow(window, GW_OWNER) == host;
    return GetAncestor(window, GA_PARENT) == host;
}

void HostWindowPlacement::activate(HWND window) const
{
    if (m_placement == HostPlacement::Owned)
        SetForegroundWindow(window);
}

} // namespace app::win32
