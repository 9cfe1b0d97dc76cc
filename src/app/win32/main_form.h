#pragma once

#include "app/logic/main_window.h"
#include "app/win32/gdi.h"
#include "app/win32/host_placement.h"
#include "app/win32/window_class.h"

#include <map>
#include <windows.h>

namespace app::win32 {

class ApplicationWindow;

// The main window MForm on the Win32 API, built from logic::MainWindowLayout: the two gradient panels
// and the two labels painted into one off-screen image, and three buttons (export, close, help) that
// draw their pictures themselves. What it does is logic::MainWindowController's. Closing it ends the
// program (the message loop gets WM_QUIT).
class TMForm : public logic::MainWindowView
{
public:
    // The window's layout; the native window itself is made by MainWindowController::create().
    TMForm(logic::StartRequest request, ApplicationWindow& application, HostPlacement placement);
    ~TMForm() override;
    TMForm(const TMForm&) = delete;
    TMForm& operator=(const TMForm&) = delete;

    logic::MainWindowController& controller() { return m_controller; }
    HWND handle() const { return m_window; }
    // The window of a button; null for the other elements and before the window exists.
    HWND control(logic::Element element) const;
    // The element that a window is (a button), else the window itself (MForm).
    logic::Element elementOf(HWND window) const;
    // The window font's text height on this display, which scales the whole layout (13 as designed).
    int measuredTextHeight() const { return m_textHeight; }
    // The window's client area as designed on this display: its own size, frame excluded.
    SIZE designedClientSize() const { return m_clientSize; }
    HostPlacement placement() const { return m_hostPlacement.placement(); }

    // Takes the keys that the window decides before the dialog manager sees them: Enter on a button,
    // and a button's access key with or without Alt. True when the message was taken.
    bool preTranslateMessage(const MSG& message);
    // Tab, Shift+Tab, Space and Esc (which does nothing) through the system's dialog manager. True when
    // the message was taken.
    bool dialogMessage(MSG& message);
    // Paints the client area (panels, labels and background) into a device context, as the window
    // shows it; the buttons are windows of their own.
    void paintClient(HDC dc);

    // logic::MainWindowView
    void removeFrame() override;
    bool createTopLevelWindow() override;
    logic::HostWindowCheck checkHostWindow(std::uint32_t host) override;
    logic::HostWindowCheck createInsideHostWindow(std::uint32_t host) override;
    std::uintptr_t nativeHandle() override;
    logic::Size screenSize() override;
    std::optional<logic::Size> hostAreaSize(std::uint32_t host) override;
    logic::Size outerSize() override;
    void showAt(logic::Position position) override;
    bool isInsideHostWindow(std::uint32_t host) override;
    void focusInsideHostWindow() override;
    void hideWindow() override;
    void windowClosed() override;
    bool isHostChild() override;
    std::optional<std::string> askSaveFileName(const std::string& offeredName, logic::DialogOwner owner) override;
    void showPlainMessage(const std::string& text) override;
    void showErrorBox(const std::string& text) override;
    void hideExportButton() override;
    void setDefaultCursor() override;

private:
    // Why the native window is being destroyed, once it is.
    enum class WindowEnd
    {
        None,
        // By the program: the close, a refused placement in the host window, the end of the object.
        ByProgram,
        // Any destruction the program did not ask for: the host window has gone and taken its child
        // (or its owned window) with it.
        WithHostWindow,
    };

    template <class Object>
    friend LRESULT CALLBACK routeToObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool createWindow(DWORD style, DWORD exStyle, HWND ownerOrParent);
    // Destroys the native window, when there is one and it is not going already.
    void destroyWindow();
    void createControls();
    void drawButton(const DRAWITEMSTRUCT& item);
    void followHostWindow();
    void focusFirstControl();
    RECT elementRect(logic::Element element) const;
    HWND buttonWithDefaultLook() const;

    WindowClass m_class;
    logic::MainWindowController m_controller;
    ApplicationWindow& m_application;
    HostWindowPlacement m_hostPlacement;
    Font m_windowFont;
    Font m_headingFont;
    Font m_versionFont;
    int m_textHeight = 0;
    SIZE m_clientSize {};
    SIZE m_framedSize {};
    bool m_frameless = false;
    HWND m_window = nullptr;
    std::map<logic::Element, HWND> m_buttons;
    std::map<logic::Element, Bitmap> m_pictures;
    HWND m_lastFocus = nullptr;
    WindowEnd m_windowEnd = WindowEnd::None;
    bool m_closed = false;
};

// The window procedure's class name.
inline constexpr const wchar_t* MainWindowClass = L"TransSelvarEDUCA.MForm";

} // namespace app::win32
