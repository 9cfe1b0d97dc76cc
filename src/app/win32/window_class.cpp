#include "app/win32/window_class.h"

namespace app::win32 {

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background, HICON icon, HICON smallIcon)
    : m_name(name)
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    m_registered = RegisterClassExW(&windowClass) != 0;
}

WindowClass::~WindowClass()
{
    if (m_registered)
        UnregisterClassW(m_name, GetModuleHandleW(nullptr));
}

} // namespace app::win32
