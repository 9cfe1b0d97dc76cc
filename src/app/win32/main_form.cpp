#include "app/win32/main_form.h"

#include "app/logic/layout.h"
#include "app/logic/pictures.h"
#include "app/logic/texts.h"
#include "app/win32/application.h"
#include "app/win32/message_boxes.h"
#include "app/win32/save_dialog.h"
#include "platform/wide_text.h"

#include <cwctype>

namespace app::win32 {

namespace {

// With its frame: a caption bar with the close box only, no icon, not resizable.
constexpr DWORD FramedStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD FramedExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr DWORD FramelessStyle = WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD FramelessExStyle = WS_EX_CONTROLPARENT;
// Control identifiers stay clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int ControlIdBase = 100;
constexpr int FocusRectInset = 4;

RECT toRect(const logic::Rect& rect)
{
    return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

std::wstring wideText(const char* text)
{
    return platform::widen(text ? text : "");
}

bool isButtonKind(logic::ElementKind kind)
{
    return kind == logic::ElementKind::PictureButton || kind == logic::ElementKind::PushButton;
}

} // namespace

TMForm::TMForm(logic::StartRequest request, ApplicationWindow& application, HostPlacement placement)
    : m_class(MainWindowClass, routeToObject<TMForm>)
    , m_controller(std::move(request), *this)
    , m_application(application)
    , m_hostPlacement(placement)
    , m_windowFont(createFont(logic::WindowFont))
    , m_headingFont(createFont(logic::HeadingFont))
    , m_versionFont(createFont(logic::VersionFont))
{
    m_textHeight = textHeight(m_windowFont.get());
    const logic::Rect client = logic::scaledRect(logic::layoutOf(logic::Element::MForm).rect, m_textHeight);
    m_clientSize = {client.width, client.height};
    // Without its frame the window keeps the outer size it has with it.
    RECT framed {0, 0, client.width, client.height};
    AdjustWindowRectEx(&framed, FramedStyle, FALSE, FramedExStyle);
    m_framedSize = {framed.right - framed.left, framed.bottom - framed.top};
}

TMForm::~TMForm()
{
    destroyWindow();
}

void TMForm::destroyWindow()
{
    if (m_window && IsWindow(m_window) && m_windowEnd == WindowEnd::None) {
        m_windowEnd = WindowEnd::ByProgram;
        DestroyWindow(m_window);
    }
}

HWND TMForm::control(logic::Element element) const
{
    const auto button = m_buttons.find(element);
    return button != m_buttons.end() ? button->second : nullptr;
}

logic::Element TMForm::elementOf(HWND window) const
{
    for (const auto& [element, button] : m_buttons) {
        if (button && button == window)
            return element;
    }
    return logic::Element::MForm;
}

RECT TMForm::elementRect(logic::Element element) const
{
    const logic::ElementLayout& row = logic::layoutOf(element);
    logic::Rect rect = logic::scaledRect(row.rect, m_textHeight);
    if (row.kind != logic::ElementKind::Window && row.parent != logic::Element::MForm) {
        const logic::Rect parent = logic::scaledRect(logic::layoutOf(row.parent).rect, m_textHeight);
        rect.left += parent.left;
        rect.top += parent.top;
    }
    return toRect(rect);
}

bool TMForm::createWindow(DWORD style, DWORD exStyle, HWND ownerOrParent)
{
    CreateWindowExW(exStyle, MainWindowClass, wideText(logic::layoutOf(logic::Element::MForm).text).c_str(), style, 0,
        0, m_framedSize.cx, m_framedSize.cy, ownerOrParent, nullptr, GetModuleHandleW(nullptr), this);
    if (!m_window)
        return false;
    createControls();
    m_application.setMainWindow(m_window);
    return true;
}

void TMForm::createControls()
{
    // In tab order: the dialog manager walks the controls in the order they were made.
    for (const logic::Element element : logic::tabOrder()) {
        const logic::ElementLayout& row = logic::layoutOf(element);
        if (!isButtonKind(row.kind))
            continue;
        const RECT rect = elementRect(element);
        const HWND button = CreateWindowExW(0, L"BUTTON", wideText(row.text).c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_OWNERDRAW | BS_NOTIFY, rect.left, rect.top,
            rect.right - rect.left, rect.bottom - rect.top, m_window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdBase + static_cast<int>(element))),
            GetModuleHandleW(nullptr), nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_windowFont.get()), FALSE);
        m_buttons[element] = button;
        if (row.picture != logic::Picture::None) {
            m_pictures[element]
                = bitmapOf(logic::pictureHalf(logic::buttonPicture(row.picture), true), systemColour(COLOR_BTNFACE));
        }
    }
}

void TMForm::paintClient(HDC dc)
{
    RECT client {0, 0, m_clientSize.cx, m_clientSize.cy};
    if (m_window)
        GetClientRect(m_window, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0)
        return;

    // Background, then the panels from back to front, all in one image.
    logic::ArgbImage canvas {width, height, {}};
    canvas.pixels.assign(std::size_t(width) * std::size_t(height), logic::opaque(systemColour(COLOR_BTNFACE)));
    for (const logic::ElementLayout& row : logic::MainWindowLayout) {
        if (row.kind != logic::ElementKind::GradientPanel || !row.colours)
            continue;
        const RECT rect = elementRect(row.element);
        const logic::ArgbImage panel = logic::panelImage({rect.right - rect.left, rect.bottom - rect.top}, *row.colours,
            systemColour(COLOR_BTNHIGHLIGHT), systemColour(COLOR_BTNSHADOW));
        for (int y = 0; y < panel.height; ++y) {
            const int targetY = rect.top + y;
            if (targetY < 0 || targetY >= height)
                continue;
            for (int x = 0; x < panel.width; ++x) {
                const int targetX = rect.left + x;
                if (targetX >= 0 && targetX < width)
                    canvas.pixels[std::size_t(targetY) * std::size_t(width) + std::size_t(targetX)] = panel.at(x, y);
            }
        }
    }
    Bitmap image = bitmapOf(canvas, {});
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ oldBitmap = SelectObject(memory, image.get());

    // The labels paint only their text over the panels.
    SetBkMode(memory, TRANSPARENT);
    for (const logic::ElementLayout& row : logic::MainWindowLayout) {
        if (row.kind != logic::ElementKind::Label)
            continue;
        const HFONT font = row.font == &logic::HeadingFont ? m_headingFont.get()
            : row.font == &logic::VersionFont              ? m_versionFont.get()
                                                           : m_windowFont.get();
        const HGDIOBJ oldFont = SelectObject(memory, font);
        SetTextColor(
            memory, row.font && row.font->colour ? colorRef(*row.font->colour) : GetSysColor(COLOR_WINDOWTEXT));
        const std::wstring text = wideText(row.text);
        RECT box = elementRect(row.element);
        if (logic::fitsItsText(row)) {
            // Sized to its text, one line.
            DrawTextW(memory, text.c_str(), int(text.size()), &box,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        } else {
            DrawTextW(memory, text.c_str(), int(text.size()), &box,
                DT_LEFT | DT_TOP | DT_NOPREFIX | (row.wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
        }
        SelectObject(memory, oldFont);
    }
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

HWND TMForm::buttonWithDefaultLook() const
{
    const HWND focus = GetFocus();
    if (elementOf(focus) != logic::Element::MForm)
        return focus;
    return control(logic::defaultButton());
}

void TMForm::drawButton(const DRAWITEMSTRUCT& item)
{
    const HDC dc = item.hDC;
    const logic::Element element = elementOf(item.hwndItem);
    const bool pushed = item.itemState & ODS_SELECTED;
    const int shift = pushed ? 1 : 0;
    RECT face = item.rcItem;
    if (item.hwndItem == buttonWithDefaultLook()) {
        FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    wchar_t captionBuffer[64] = {};
    GetWindowTextW(item.hwndItem, captionBuffer, int(std::size(captionBuffer)));
    const std::wstring caption = captionBuffer;
    const HGDIOBJ oldFont = SelectObject(dc, m_windowFont.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;

    const auto picture = m_pictures.find(element);
    if (picture != m_pictures.end() && picture->second) {
        const SIZE captionSize = textExtent(m_windowFont.get(), caption, true);
        const logic::PictureButtonLayout layout = logic::layoutPictureButton(
            {width, height}, {logic::PictureSize, logic::PictureSize}, int(captionSize.cx));
        const HDC memory = CreateCompatibleDC(dc);
        const HGDIOBJ oldBitmap = SelectObject(memory, picture->second.get());
        BitBlt(dc, item.rcItem.left + layout.picture.left + shift, item.rcItem.top + layout.picture.top + shift,
            layout.picture.width, layout.picture.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteDC(memory);
        RECT text = toRect(layout.caption);
        OffsetRect(&text, item.rcItem.left + shift, item.rcItem.top + shift);
        DrawTextW(dc, caption.c_str(), int(caption.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    } else {
        RECT text = item.rcItem;
        OffsetRect(&text, shift, shift);
        DrawTextW(dc, caption.c_str(), int(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -FocusRectInset, -FocusRectInset);
        DrawFocusRect(dc, &focus);
    }
}

void TMForm::focusFirstControl()
{
    // By the controls' own visibility: the window is activated before it is shown.
    const auto canTakeFocus = [](HWND control) {
        return control && IsWindow(control) && (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE)
            && IsWindowEnabled(control);
    };
    HWND target = canTakeFocus(m_lastFocus) ? m_lastFocus : nullptr;
    for (const logic::Element element : logic::tabOrder()) {
        if (target)
            break;
        if (canTakeFocus(control(element)))
            target = control(element);
    }
    if (target)
        SetFocus(target);
}

bool TMForm::preTranslateMessage(const MSG& message)
{
    if (!m_window || !(message.hwnd == m_window || IsChild(m_window, message.hwnd)))
        return false;
    switch (message.message) {
    case WM_KEYDOWN:
        // Enter presses the focused button. (F1 is the system's: it sends WM_HELP for the focused
        // control, which reaches the window.)
        if (message.wParam == VK_RETURN && elementOf(message.hwnd) != logic::Element::MForm) {
            m_controller.buttonPressed(elementOf(message.hwnd));
            return true;
        }
        return false;
    case WM_CHAR:
    case WM_SYSCHAR: {
        // A button's access key, with or without Alt.
        const auto typed = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(message.wParam)));
        for (const auto& [element, button] : m_buttons) {
            if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
                continue;
            const auto key = logic::accessKey(logic::layoutOf(element).text ? logic::layoutOf(element).text : "");
            if (key && typed == static_cast<wchar_t>(*key)) {
                m_controller.buttonPressed(element);
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

bool TMForm::dialogMessage(MSG& message)
{
    if (!m_window || !(message.hwnd == m_window || IsChild(m_window, message.hwnd)))
        return false;
    return IsDialogMessageW(m_window, &message);
}

LRESULT TMForm::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers the whole client area
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        paintClient(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        const auto source = reinterpret_cast<HWND>(lParam);
        const logic::Element element = elementOf(source);
        if (element == logic::Element::MForm)
            return 0; // IDOK and IDCANCEL from the dialog manager: Esc does nothing
        switch (HIWORD(wParam)) {
        case BN_CLICKED:
            m_controller.buttonPressed(element);
            break;
        case BN_SETFOCUS:
            m_lastFocus = source;
            [[fallthrough]];
        case BN_KILLFOCUS:
            // The default look goes with the focus.
            for (const auto& [other, button] : m_buttons)
                InvalidateRect(button, nullptr, FALSE);
            break;
        default:
            break;
        }
        return 0;
    }
    case DM_GETDEFID:
        return MAKELRESULT(ControlIdBase + static_cast<int>(logic::defaultButton()), DC_HASDEFID);
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (elementOf(GetFocus()) != logic::Element::MForm)
                m_lastFocus = GetFocus();
        } else {
            focusFirstControl();
        }
        return 0;
    case WM_SETFOCUS:
        focusFirstControl();
        return 0;
    case WM_HELP: {
        // F1: the system names the control with the focus (the window itself when none has it); the
        // logic walks out from there to the first help context.
        const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
        m_controller.helpKeyPressed(elementOf(static_cast<HWND>(help->hItemHandle)));
        return TRUE;
    }
    case WM_CLOSE:
        m_controller.requestClose();
        return 0;
    case WM_TIMER:
        if (HostWindowPlacement::isWatchTimer(wParam)) {
            followHostWindow();
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE:
        for (auto& [element, picture] : m_pictures) {
            picture = bitmapOf(logic::pictureHalf(logic::buttonPicture(logic::layoutOf(element).picture), true),
                systemColour(COLOR_BTNFACE));
        }
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        m_hostPlacement.stopWatching(window);
        if (m_windowEnd == WindowEnd::None) {
            m_windowEnd = WindowEnd::WithHostWindow;
            m_controller.hostWindowGone();
        }
        break;
    case WM_NCDESTROY:
        // A window made later (after a refused placement) starts afresh.
        m_windowEnd = WindowEnd::None;
        m_buttons.clear();
        m_lastFocus = nullptr;
        if (m_application.mainWindow() == window)
            m_application.setMainWindow(nullptr);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void TMForm::followHostWindow()
{
    if (m_hostPlacement.host() && !m_closed && !m_hostPlacement.follow(m_window))
        m_controller.hostWindowGone();
}

void TMForm::removeFrame()
{
    m_frameless = true;
}

bool TMForm::createTopLevelWindow()
{
    return m_frameless ? createWindow(FramelessStyle, FramelessExStyle, m_application.handle())
                       : createWindow(FramedStyle, FramedExStyle, m_application.handle());
}

logic::HostWindowCheck TMForm::checkHostWindow(std::uint32_t host)
{
    return IsWindow(windowFromHandle(host)) ? logic::HostWindowCheck::Usable : logic::HostWindowCheck::Missing;
}

logic::HostWindowCheck TMForm::createInsideHostWindow(std::uint32_t host)
{
    const HWND hostWindow = windowFromHandle(host);
    createWindow(FramelessStyle, FramelessExStyle, m_hostPlacement.ownerFor(hostWindow));
    const logic::HostWindowCheck check = m_hostPlacement.enter(m_window, hostWindow);
    if (check != logic::HostWindowCheck::Usable)
        destroyWindow();
    return check;
}

std::uintptr_t TMForm::nativeHandle()
{
    return reinterpret_cast<std::uintptr_t>(m_window);
}

logic::Size TMForm::screenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::optional<logic::Size> TMForm::hostAreaSize(std::uint32_t host)
{
    RECT area {};
    if (!GetClientRect(windowFromHandle(host), &area))
        return std::nullopt;
    return logic::Size {area.right - area.left, area.bottom - area.top};
}

logic::Size TMForm::outerSize()
{
    RECT outer {};
    if (m_window && GetWindowRect(m_window, &outer))
        return {outer.right - outer.left, outer.bottom - outer.top};
    return {m_framedSize.cx, m_framedSize.cy};
}

void TMForm::showAt(logic::Position position)
{
    if (m_window)
        m_hostPlacement.showAt(m_window, position);
}

bool TMForm::isInsideHostWindow(std::uint32_t host)
{
    return m_hostPlacement.holds(m_window, windowFromHandle(host));
}

void TMForm::focusInsideHostWindow()
{
    if (!m_window)
        return;
    m_hostPlacement.activate(m_window);
    focusFirstControl();
}

void TMForm::hideWindow()
{
    if (m_window)
        ShowWindow(m_window, SW_HIDE);
}

void TMForm::windowClosed()
{
    m_closed = true;
    destroyWindow();
    PostQuitMessage(logic::NormalExitCode);
}

bool TMForm::isHostChild()
{
    return m_hostPlacement.isChild();
}

std::optional<std::string> TMForm::askSaveFileName(const std::string& offeredName, logic::DialogOwner owner)
{
    const HWND ownerWindow = owner == logic::DialogOwner::MainWindow && m_window ? m_window : m_application.handle();
    return win32::askSaveFileName(ownerWindow, m_window, offeredName);
}

void TMForm::showPlainMessage(const std::string& text)
{
    win32::showPlainMessage(text);
}

void TMForm::showErrorBox(const std::string& text)
{
    win32::showErrorBox(text);
}

void TMForm::hideExportButton()
{
    if (const HWND button = control(logic::Element::BImportar)) {
        const bool hadFocus = GetFocus() == button;
        ShowWindow(button, SW_HIDE);
        if (m_lastFocus == button)
            m_lastFocus = nullptr;
        if (hadFocus)
            focusFirstControl();
    }
}

void TMForm::setDefaultCursor()
{
    SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

} // namespace app::win32
