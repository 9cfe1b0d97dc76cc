#pragma once

#include "app/win32/application.h"

#include <windows.h>

namespace app::win32 {

// A window class of the program, with the arrow cursor, registered while the object lives. A class of
// that name registered already (by an object that is still alive) is left to that object.
class WindowClass
{
public:
    WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr, HICON icon = nullptr,
        HICON smallIcon = nullptr);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    const wchar_t* name() const { return m_name; }

private:
    const wchar_t* m_name;
    bool m_registered = false;
};

// The window procedure of a class whose every window belongs to an object of type Object, which
// comes with the last argument of CreateWindowExW. From WM_NCCREATE to WM_NCDESTROY the window's user
// data holds the object, its m_window the window, and each message goes to its
// handleMessage(window, message, wParam, lParam); before and after, the system's default handling
// takes it. A failure that leaves the handler is shown in the error box.
template <class Object> LRESULT CALLBACK routeToObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Object*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->m_window = nullptr;
    }
    try {
        return object->handleMessage(window, message, wParam, lParam);
    } catch (...) {
        reportFailure(std::current_exception());
        return 0;
    }
}

} // namespace app::win32
