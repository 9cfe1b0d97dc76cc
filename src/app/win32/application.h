#pragma once

#include <exception>
#include <memory>
#include <windows.h>

namespace app::win32 {

class WindowClass;

// The program's application window: never seen itself, it carries the taskbar entry named with the
// application title and the program's icon, owns the boxes and the main window when that is on its
// own, and hears the system's announcements (the regional settings are read again when they change;
// a change of colours is passed on to the main window inside a host window, which does not hear it).
// One per program.
class ApplicationWindow
{
public:
    ApplicationWindow();
    ~ApplicationWindow();
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    HWND handle() const { return m_window; }
    HICON icon() const { return m_icon; }

    // The program's main window, which takes the activation when the taskbar entry is chosen; null
    // when it has gone.
    void setMainWindow(HWND window) { m_mainWindow = window; }
    HWND mainWindow() const { return m_mainWindow; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    HWND m_mainWindow = nullptr;
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    std::unique_ptr<WindowClass> m_class;
};

// The application window while it exists, else null.
ApplicationWindow* application();

// The program's icon at that size, made from the logic's pixels; the caller destroys it.
HICON createProgramIcon(int size);

// The event boundary of every window procedure: shows the failure in the error box (a silent abort
// is not shown) and the program goes on.
void reportFailure(std::exception_ptr failure);

} // namespace app::win32
