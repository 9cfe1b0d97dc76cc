#pragma once

#include "app/logic/message_box.h"
#include "app/win32/gdi.h"
#include "app/win32/window_class.h"

#include <string>
#include <vector>
#include <windows.h>

namespace app::win32 {

// While it lives, the program's other windows are disabled (its top-level windows and the main window
// inside a host window); at its end they are enabled again, and the window that was active and the
// control that had the focus are active again.
//
// The windows must be enabled before the modal window goes: the system hands the activation to the
// next window that can take it, which would otherwise be another program's. A window of our own calls
// enableWindows() before it hides itself; a system dialog re-enables its owner itself before it goes,
// but only when it disabled that owner itself, so that owner is left enabled here.
class ModalScope
{
public:
    // dialogOwner: the owner of a system dialog (the message box, the save dialog), left to the dialog;
    // null for a window of our own.
    explicit ModalScope(HWND dialogOwner = nullptr);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Enables the windows again (once; the end of the scope does it otherwise).
    void enableWindows();
    // Enables the windows again and gives the foreground to the window that was active when the scope
    // began, while the program still holds it: for a window of our own before it hides, so that the
    // activation does not go wherever the system would pass it (another program's window, on a busy
    // machine under Wine).
    void handBackForeground();

private:
    std::vector<HWND> m_disabled;
    HWND m_active = nullptr;
    HWND m_focus = nullptr;
};

// The error box: the system's message box owned by the application window, with the application title,
// the error icon and one OK button, modal to the whole program. The text is shown as it stands.
void showErrorBox(const std::string& text);

// The plain message box: caption the application title, no icon, the message in the system's message
// font word-wrapped to half the screen width, and one button "Aceptar" that Enter, Esc and the close
// box also end; centred on the screen. Ctrl+C beeps and puts the box's text on the clipboard.
class PlainMessageBox
{
public:
    // Creates the box, hidden, for a message (UTF-8).
    explicit PlainMessageBox(const std::string& message);
    ~PlainMessageBox();
    PlainMessageBox(const PlainMessageBox&) = delete;
    PlainMessageBox& operator=(const PlainMessageBox&) = delete;

    HWND handle() const { return m_window; }
    HWND button() const { return m_button; }
    const logic::MessageBoxLayout& layout() const { return m_layout; }
    // What the layout was made from.
    const logic::MessageBoxMetrics& metrics() const { return m_metrics; }
    // What Ctrl+C puts on the clipboard.
    std::string clipboardText() const;
    // Ctrl+C: beeps and puts clipboardText() on the clipboard.
    void copyToClipboard() const;
    // Shows the box and waits until it has been closed, the program's other windows disabled meanwhile.
    void runModal();
    bool isDone() const { return m_done; }

private:
    template <class Object>
    friend LRESULT CALLBACK routeToObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Takes Ctrl+C before the dialog manager; true when taken.
    bool preTranslateMessage(const MSG& message) const;

    WindowClass m_class;
    std::string m_message;
    std::wstring m_text;
    Font m_font;
    logic::MessageBoxMetrics m_metrics;
    logic::MessageBoxLayout m_layout;
    HWND m_window = nullptr;
    HWND m_button = nullptr;
    bool m_done = false;
};

// Shows a message in the plain message box and returns when it has been closed.
void showPlainMessage(const std::string& message);

} // namespace app::win32
