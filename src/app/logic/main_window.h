#pragma once

#include "app/logic/geometry.h"
#include "app/logic/host_window.h"
#include "app/logic/layout.h"
#include "app/logic/start_request.h"
#include "help/help_engine.h"
#include "timetable/table_component.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace app::logic {

// The exit code after the main window has closed.
inline constexpr int NormalExitCode = 0;
// The exit code when the main window cannot go into the host window; it is then never shown.
inline constexpr int NoHostWindowExitCode = 1;
// The exit code when the window system refuses to create the main window as a top-level window; it is
// then never shown either.
inline constexpr int MainWindowNotCreatedExitCode = 1;

// What the program keeps from its start to its end.
struct AppState
{
    // 0 or 1: 1 once an export has saved its document, 0 again when one ends without a file name in
    // host mode; written to the host ini file on close in host mode.
    std::int32_t outcomeFlag = 0;
    // HostArgumentCount in host mode (set by FormCreate), else 0.
    std::int32_t savedArgumentCount = 0;
    // The file name last confirmed in the save dialog; never cleared.
    std::string rememberedFileName;
};

// The window that owns a dialog of the program, which stays in front of it.
enum class DialogOwner
{
    MainWindow,
    // The application, with its taskbar entry: while the main window is not shown, and while it is a
    // child inside the host window, which can own no window.
    Application,
};

// Who owns the save dialog: the main window while it is shown as a window of its own (stand-alone, or
// placed over the host window), else the application.
DialogOwner saveDialogOwner(bool windowShown, bool hostChild);

// What the main window's logic asks of the window on the screen. The Win32 window implements it (and
// the logic's tests with a fake); MainWindowController decides when and with what.
class MainWindowView
{
public:
    virtual ~MainWindowView() = default;

    // Takes the window's frame away: no border, no caption bar, no system menu.
    virtual void removeFrame() = 0;
    // Creates the native window as a top-level window; false when the window system refuses it.
    virtual bool createTopLevelWindow() = 0;
    // What the window system says about the host window (never called with 0).
    virtual HostWindowCheck checkHostWindow(std::uint32_t host) = 0;
    // Creates the native window inside the host window and starts watching the host window, so that
    // the front end calls MainWindowController::hostWindowGone() once when it goes away. Usable when
    // the window went in; Missing when the host window is already gone; Refused when it is there but
    // the window system would not put the window inside it.
    virtual HostWindowCheck createInsideHostWindow(std::uint32_t host) = 0;
    // The native window's handle as the help engine takes it (an HWND on Windows); 0 when none.
    virtual std::uintptr_t nativeHandle() = 0;

    // The primary screen's size.
    virtual Size screenSize() = 0;
    // The size of the host window's client area; nothing when the window system does not tell it.
    virtual std::optional<Size> hostAreaSize(std::uint32_t host) = 0;
    // The window's outer size, frame included.
    virtual Size outerSize() = 0;
    // Moves the window there (counted from the screen's top-left corner, or from that of the host
    // window's client area when it lies inside it) and shows it.
    virtual void showAt(Position position) = 0;
    // Whether the shown window really lies inside the host window (false when either has gone).
    virtual bool isInsideHostWindow(std::uint32_t host) = 0;
    // Gives the keyboard focus to the window inside the host window, which does not get it by being
    // shown.
    virtual void focusInsideHostWindow() = 0;
    // Hides the window.
    virtual void hideWindow() = 0;
    // The window has closed: the program ends (the front end leaves its event loop).
    virtual void windowClosed() = 0;

    // Whether the window inside the host window is a child window of it (on Windows), rather than a
    // window of its own placed over it (under Wine, which draws no child of another process's window).
    virtual bool isHostChild() = 0;
    // The save dialog "Guardar Archivo XML", owned by owner and offering offeredName (may be empty);
    // the confirmed file's full path (UTF-8), or nothing when it was cancelled.
    virtual std::optional<std::string> askSaveFileName(const std::string& offeredName, DialogOwner owner) = 0;
    // The plain message box; returns when it has been closed.
    virtual void showPlainMessage(const std::string& text) = 0;
    // The error box with this text as it stands (see errorBoxTextOf); returns when it has been closed.
    virtual void showErrorBox(const std::string& text) = 0;
    // Hides the export button BImportar for the rest of the process.
    virtual void hideExportButton() = 0;
    // Sets the application-wide mouse cursor back to the default cursor.
    virtual void setDefaultCursor() = 0;
};

// The main window MForm as the program sees it, without a toolkit: the start request, the outcome
// flag and the saved argument count, FormCreate, FormShow and FormClose, the buttons, F1, the close
// and the host window's going away. Every handler a front end calls here runs at the event boundary:
// a failure is shown in the error box and the window stays as it was.
class MainWindowController
{
public:
    MainWindowController(StartRequest request, MainWindowView& view);
    // Takes the help owner window back when the window goes without having closed.
    ~MainWindowController();
    MainWindowController(const MainWindowController&) = delete;
    MainWindowController& operator=(const MainWindowController&) = delete;

    // Start-up, after the window's layout exists: FormCreate, then the native window (inside the host
    // window in host mode with a handle other than 0, else top-level), and the help owner window.
    // An unreadable handle is shown in the error box and the window goes on as in stand-alone mode.
    // False when the native window cannot be made (it cannot go into the host window, or the window
    // system refuses it): the reason has been written to standard error and shown in the error box,
    // nothing else is to be shown, and the program ends with exitCode().
    bool create();
    // FormShow, then, unless the window closed meanwhile, the placement and show: centred on the
    // primary screen by the window's outer size, or inside the host window centred in its client
    // area (0 by 0 when unknown). A window that then does not lie inside the host window ends as on
    // hostWindowGone(); one that does gets the keyboard focus.
    void showAtStartup();

    // Any request to close the window: FormClose; when it went through the window hides and closes
    // (true), when it failed it stays (false). True at once once the window has closed.
    bool requestClose();
    // The host window has gone away with the window inside it: the window closes as on a close request
    // (the outcome is written, a failure shown) and the program ends even when FormClose failed.
    void hostWindowGone();

    // A button has been pressed (click, Enter, Space or its access key): BClose asks to close,
    // Button1 runs Button1Click, BImportar the export run. Other elements do nothing.
    void buttonPressed(Element button);
    // F1 with the focus on that element (the window, MForm, when no element has it): a context
    // request with helpContextOf(focused); nothing when that is 0.
    void helpKeyPressed(Element focused);

    // The handlers themselves; they throw their failures (the calls above run them at the boundary).
    // Sets the outcome flag to 0; with two arguments reads the host window handle (throws
    // platform::UserError when it is not readable), takes the frame away and sets the saved argument
    // count to 2.
    void FormCreate();
    // Runs the export run when the command line asks for it (StartRequest::startsExport).
    void FormShow();
    // With the saved argument count 2, writes the outcome flag to the host ini file in the program
    // directory (throws platform::UserError when it cannot be written).
    void FormClose();
    // The export run: the save dialog (a confirmed name is remembered); without any name ever
    // confirmed "Debe indicar un Nombre de Archivo", and in host mode the outcome 0 and the close.
    // Otherwise the export to the remembered name; once the document is saved, the export button is
    // hidden, the cursor reset, the outcome set to 1, "Proceso finalizado" shown and, in host mode,
    // the window closed. A failed export throws before any of these steps, changing nothing.
    void BImportarClick();
    // Shows the help file's table of contents.
    void Button1Click();

    const AppState& appState() const { return m_state; }
    const StartRequest& startRequest() const { return m_request; }
    // The host window the window lives in; nothing when it is top-level (also for a handle of 0).
    std::optional<std::uint32_t> hostWindow() const { return m_host; }
    bool hasClosed() const { return m_closed; }
    // NormalExitCode, or once create() has failed NoHostWindowExitCode (host window) or
    // MainWindowNotCreatedExitCode (top-level window).
    int exitCode() const { return m_exitCode; }

    // The save dialog, offering the name last confirmed; the confirmed name, or nothing.
    std::optional<std::string> askSaveFileName();

private:
    bool atEventBoundary(const std::function<void()>& handler);
    // Why the native window could not be made, and the exit code for it.
    struct WindowFailure
    {
        std::string text;
        int exitCode;
    };
    std::optional<WindowFailure> createNativeWindow();
    void close(bool hide);
    void showAt(Position position);

    StartRequest m_request;
    MainWindowView& m_view;
    AppState m_state;
    timetable::TimetableTables m_tables;
    std::optional<std::uint32_t> m_host;
    bool m_closed = false;
    bool m_shown = false;
    bool m_helpOwner = false;
    int m_exitCode = NormalExitCode;
};

// The program once its main window's layout exists, as the front end runs it: create(), then, when
// the native window was made, the show step and, unless the window closed during it (a host-mode
// export, or the host window gone meanwhile), runEventLoop until the window has closed. Answers the
// exit code, controller.exitCode().
int runMainWindow(MainWindowController& controller, const std::function<void()>& runEventLoop);

// The help layer for the program's run: the front end's engine, and the help file; the engine is let
// go when the run ends, before the window system is.
class ProgramHelp
{
public:
    explicit ProgramHelp(std::shared_ptr<help::HelpEngine> engine);
    ~ProgramHelp();
    ProgramHelp(const ProgramHelp&) = delete;
    ProgramHelp& operator=(const ProgramHelp&) = delete;
};

} // namespace app::logic
