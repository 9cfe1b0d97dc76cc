#include "app/win32/message_boxes.h"

#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "app/win32/application.h"
#include "platform/wide_text.h"

#include <cstring>

namespace app::win32 {

namespace {

constexpr const wchar_t* PlainBoxClass = L"TransSelvarEDUCA.Mensaje";
constexpr DWORD PlainBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD PlainBoxExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr UINT TextFlags = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;

BOOL CALLBACK noteEnabledWindow(HWND window, LPARAM windows)
{
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

HWND owner()
{
    return application() ? application()->handle() : nullptr;
}

Font messageFont()
{
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return Font(CreateFontIndirectW(&metrics.lfMessageFont));
    return Font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
}

} // namespace

ModalScope::ModalScope(HWND dialogOwner)
    : m_active(GetActiveWindow())
    , m_focus(GetFocus())
{
    EnumThreadWindows(GetCurrentThreadId(), noteEnabledWindow, reinterpret_cast<LPARAM>(&m_disabled));
    // Inside a host window the main window is no top-level window of its own.
    if (const HWND main = application() ? application()->mainWindow() : nullptr;
        main && IsWindow(main) && (GetWindowLongPtrW(main, GWL_STYLE) & WS_CHILD) && IsWindowEnabled(main))
        m_disabled.push_back(main);
    std::erase(m_disabled, dialogOwner);
    for (const HWND window : m_disabled)
        EnableWindow(window, FALSE);
}

void ModalScope::enableWindows()
{
    for (auto window = m_disabled.rbegin(); window != m_disabled.rend(); ++window) {
        if (IsWindow(*window))
            EnableWindow(*window, TRUE);
    }
    m_disabled.clear();
}

void ModalScope::handBackForeground()
{
    enableWindows();
    if (m_active && IsWindow(m_active) && IsWindowVisible(m_active))
        SetForegroundWindow(m_active);
}

ModalScope::~ModalScope()
{
    enableWindows();
    if (m_active && IsWindow(m_active) && IsWindowVisible(m_active))
        SetActiveWindow(m_active);
    if (m_focus && IsWindow(m_focus) && IsWindowVisible(m_focus))
        SetFocus(m_focus);
}

void showErrorBox(const std::string& text)
{
    ModalScope modal(owner());
    MessageBoxW(owner(), platform::widen(text).c_str(), platform::widen(logic::texts::ApplicationTitle).c_str(),
        MB_OK | MB_ICONERROR);
}

PlainMessageBox::PlainMessageBox(const std::string& message)
    : m_class(PlainBoxClass, routeToObject<PlainMessageBox>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))
    , m_message(message)
    , m_text(platform::widen(message))
    , m_font(messageFont())
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    // The layout from the font's average character width and line height, the text measured
    // word-wrapped within half the screen width.
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, m_font.get());
    TEXTMETRICW font {};
    GetTextMetricsW(screen, &font);
    SIZE sample {};
    const std::wstring letters = platform::widen(logic::AverageWidthSample);
    GetTextExtentPoint32W(screen, letters.c_str(), int(letters.size()), &sample);
    RECT text {0, 0, logic::messageWrapWidth(GetSystemMetrics(SM_CXSCREEN)), 0};
    DrawTextW(screen, m_text.c_str(), int(m_text.size()), &text, TextFlags | DT_CALCRECT);
    const std::wstring caption = platform::widen(logic::texts::MessageBoxButton);
    SIZE captionSize {};
    GetTextExtentPoint32W(screen, caption.c_str(), int(caption.size()), &captionSize);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    m_metrics.averageCharWidth = logic::averageCharWidth(sample.cx);
    m_metrics.charHeight = font.tmHeight;
    m_metrics.text = {text.right - text.left, text.bottom - text.top};
    m_metrics.buttonCaptionWidth = captionSize.cx;
    m_layout = logic::layoutMessageBox(m_metrics);

    RECT outer {0, 0, m_layout.client.width, m_layout.client.height};
    AdjustWindowRectEx(&outer, PlainBoxStyle, FALSE, PlainBoxExStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const logic::Position position = logic::centredByOuterSize(
        {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, {m_layout.client.width, m_layout.client.height},
        {-outer.left, -outer.top, outer.right - m_layout.client.width, outer.bottom - m_layout.client.height});
    m_window = CreateWindowExW(PlainBoxExStyle, PlainBoxClass, platform::widen(logic::texts::ApplicationTitle).c_str(),
        PlainBoxStyle, position.left, position.top, width, height, owner(), nullptr, instance, this);
    if (!m_window)
        return;
    m_button = CreateWindowExW(0, L"BUTTON", caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, m_layout.button.left, m_layout.button.top,
        m_layout.button.width, m_layout.button.height, m_window, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    SendMessageW(m_button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
}

PlainMessageBox::~PlainMessageBox()
{
    if (m_window && IsWindow(m_window))
        DestroyWindow(m_window);
}

std::string PlainMessageBox::clipboardText() const
{
    return logic::messageBoxClipboardText(
        logic::texts::ApplicationTitle, m_message, {std::string(logic::texts::MessageBoxButton)});
}

void PlainMessageBox::copyToClipboard() const
{
    MessageBeep(MB_OK);
    const std::wstring text = platform::widen(clipboardText());
    if (!OpenClipboard(m_window))
        return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory))
            GlobalFree(memory);
    }
    CloseClipboard();
}

bool PlainMessageBox::preTranslateMessage(const MSG& message) const
{
    if (message.message == WM_KEYDOWN && message.wParam == 'C' && GetKeyState(VK_CONTROL) < 0
        && (message.hwnd == m_window || IsChild(m_window, message.hwnd))) {
        copyToClipboard();
        return true;
    }
    return false;
}

void PlainMessageBox::runModal()
{
    if (!m_window)
        return;
    ModalScope modal;
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    SetFocus(m_button);
    MSG message;
    while (!m_done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the outer loop must see it too.
            if (got == 0)
                PostQuitMessage(int(message.wParam));
            break;
        }
        if (preTranslateMessage(message) || IsDialogMessageW(m_window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The other windows enabled and the foreground handed back before the box hides, so that the
    // activation stays with the program; then the modal scope gives the focus back.
    modal.handBackForeground();
    if (m_window)
        ShowWindow(m_window, SW_HIDE);
}

LRESULT PlainMessageBox::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // The button, Enter (IDOK) and Esc (IDCANCEL) all end the box.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            m_done = true;
        return 0;
    case WM_CLOSE:
        m_done = true;
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const HGDIOBJ old = SelectObject(dc, m_font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT text {m_layout.text.left, m_layout.text.top, m_layout.text.left + m_layout.text.width,
            m_layout.text.top + m_layout.text.height};
        DrawTextW(dc, m_text.c_str(), int(m_text.size()), &text, TextFlags);
        SelectObject(dc, old);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_NCDESTROY:
        m_done = true;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void showPlainMessage(const std::string& message)
{
    PlainMessageBox box(message);
    box.runModal();
}

} // namespace app::win32
