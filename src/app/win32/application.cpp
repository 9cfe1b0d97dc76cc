#include "app/win32/application.h"

#include "app/logic/event_boundary.h"
#include "app/logic/pictures.h"
#include "app/logic/texts.h"
#include "app/win32/message_boxes.h"
#include "app/win32/window_class.h"
#include "platform/regional.h"
#include "platform/wide_text.h"

#include <vector>

namespace app::win32 {

namespace {

constexpr const wchar_t* ApplicationClass = L"TransSelvarEDUCA.Aplicacion";
ApplicationWindow* theApplication = nullptr;

} // namespace

ApplicationWindow* application()
{
    return theApplication;
}

HICON createProgramIcon(int size)
{
    const logic::ArgbImage icon = logic::programIcon();
    // Nearest-neighbour scaling to the size the system asks for; the pixels keep their alpha.
    BITMAPV5HEADER header {};
    header.bV5Size = sizeof(header);
    header.bV5Width = size;
    header.bV5Height = -size;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HBITMAP colour
        = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour)
        return nullptr;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    // The mask: a set bit for a transparent pixel, rows of whole 16-bit words.
    const int maskRow = (size + 15) / 16 * 2;
    std::vector<std::uint8_t> mask(std::size_t(maskRow * size), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::uint32_t pixel = icon.at(x * icon.width / size, y * icon.height / size);
            pixels[y * size + x] = pixel;
            if ((pixel >> 24) == 0)
                mask[std::size_t(y * maskRow + x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        }
    }
    const HBITMAP maskBitmap = CreateBitmap(size, size, 1, 1, mask.data());
    ICONINFO info {};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = maskBitmap;
    const HICON result = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(maskBitmap);
    return result;
}

ApplicationWindow::ApplicationWindow()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    m_icon = createProgramIcon(GetSystemMetrics(SM_CXICON));
    m_smallIcon = createProgramIcon(GetSystemMetrics(SM_CXSMICON));

    m_class = std::make_unique<WindowClass>(ApplicationClass, windowProc, nullptr, m_icon, m_smallIcon);

    theApplication = this;
    // Of no size in the middle of the screen: shown, so that the taskbar lists it, yet never seen.
    m_window = CreateWindowExW(0, ApplicationClass, platform::widen(logic::texts::ApplicationTitle).c_str(),
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS, GetSystemMetrics(SM_CXSCREEN) / 2,
        GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr, instance, nullptr);
    if (m_window) {
        SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
        ShowWindow(m_window, SW_SHOWNOACTIVATE);
    }
}

ApplicationWindow::~ApplicationWindow()
{
    if (m_window)
        DestroyWindow(m_window);
    m_class.reset();
    if (m_icon)
        DestroyIcon(m_icon);
    if (m_smallIcon)
        DestroyIcon(m_smallIcon);
    theApplication = nullptr;
}

LRESULT CALLBACK ApplicationWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_SETTINGCHANGE:
            // Regional settings among others: what the tables' numbers and dates and the document's
            // date look like.
            platform::reloadRegionalSettings();
            return 0;
        case WM_SYSCOLORCHANGE:
            // The system tells only top-level windows: inside the host window the main window is a
            // child, and its button pictures and panels need the new colours too.
            if (theApplication && theApplication->m_mainWindow
                && (GetWindowLongPtrW(theApplication->m_mainWindow, GWL_STYLE) & WS_CHILD))
                SendMessageW(theApplication->m_mainWindow, WM_SYSCOLORCHANGE, wParam, lParam);
            break;
        case WM_ACTIVATE:
            // The taskbar entry chosen: the main window takes the activation.
            if (LOWORD(wParam) != WA_INACTIVE && theApplication && theApplication->m_mainWindow
                && IsWindowVisible(theApplication->m_mainWindow) && IsWindowEnabled(theApplication->m_mainWindow)
                && !(GetWindowLongPtrW(theApplication->m_mainWindow, GWL_STYLE) & WS_CHILD)) {
                SetActiveWindow(theApplication->m_mainWindow);
                return 0;
            }
            break;
        case WM_CLOSE:
            // Closing the taskbar entry closes the main window, which ends the program.
            if (theApplication && theApplication->m_mainWindow)
                PostMessageW(theApplication->m_mainWindow, WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
        }
    } catch (...) {
        reportFailure(std::current_exception());
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void reportFailure(std::exception_ptr failure)
{
    try {
        if (const auto text = logic::errorBoxTextOf(failure))
            showErrorBox(*text);
    } catch (...) {
        // Nothing is left to show it with.
    }
}

} // namespace app::win32
