#include "app/win32/host_window.h"

namespace app::win32 {

bool runsUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

HostPlacement hostPlacementFor(bool underWine)
{
    return underWine ? HostPlacement::Owned : HostPlacement::Child;
}

HWND windowFromHandle(std::uint32_t handle)
{
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<std::int32_t>(handle)));
}

bool clientOrigin(HWND window, POINT& origin)
{
    origin = {0, 0};
    return IsWindow(window) && ClientToScreen(window, &origin);
}

} // namespace app::win32
