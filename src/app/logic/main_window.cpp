#include "app/logic/main_window.h"

#include "app/logic/event_boundary.h"
#include "app/logic/host_ini.h"
#include "app/logic/texts.h"
#include "app/logic/window_geometry.h"
#include "export/export_run.h"
#include "export/failure_text.h"
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "platform/paths.h"

#include <iostream>

namespace app::logic {

DialogOwner saveDialogOwner(bool windowShown, bool hostChild)
{
    return windowShown && !hostChild ? DialogOwner::MainWindow : DialogOwner::Application;
}

MainWindowController::MainWindowController(StartRequest request, MainWindowView& view)
    : m_request(std::move(request))
    , m_view(view)
{
}

MainWindowController::~MainWindowController()
{
    if (m_helpOwner)
        help::setHelpOwnerWindow(0);
}

bool MainWindowController::atEventBoundary(const std::function<void()>& handler)
{
    return runAtEventBoundary(handler, [this](const std::string& text) { m_view.showErrorBox(text); });
}

bool MainWindowController::create()
{
    atEventBoundary([this] { FormCreate(); });
    if (const auto failure = createNativeWindow()) {
        m_exitCode = failure->exitCode;
        // Also on standard error, for whoever started the program and sees no window.
        std::cerr << failure->text << '\n';
        m_view.showErrorBox(exporter::errorBoxText(failure->text));
        return false;
    }
    help::setHelpOwnerWindow(m_view.nativeHandle());
    m_helpOwner = true;
    return true;
}

std::optional<MainWindowController::WindowFailure> MainWindowController::createNativeWindow()
{
    if (!m_host) {
        if (!m_view.createTopLevelWindow())
            return WindowFailure {texts::MainWindowNotCreated, MainWindowNotCreatedExitCode};
        return std::nullopt;
    }
    const std::uint32_t host = *m_host;
    if (auto failure = hostWindowFailureText(m_view.checkHostWindow(host), host))
        return WindowFailure {*failure, NoHostWindowExitCode};
    if (auto failure = hostWindowFailureText(m_view.createInsideHostWindow(host), host))
        return WindowFailure {*failure, NoHostWindowExitCode};
    return std::nullopt;
}

void MainWindowController::showAtStartup()
{
    atEventBoundary([this] { FormShow(); });
    if (m_closed)
        return;

    const Size window = m_view.outerSize();
    const Size area = m_host ? m_view.hostAreaSize(*m_host).value_or(Size {}) : m_view.screenSize();
    showAt(centredPosition(area.width, area.height, window.width, window.height));

    if (m_host) {
        // The host may have gone between the check and now.
        if (!m_view.isInsideHostWindow(*m_host)) {
            hostWindowGone();
            return;
        }
        m_view.focusInsideHostWindow();
    }
}

bool MainWindowController::requestClose()
{
    if (m_closed)
        return true;
    if (!atEventBoundary([this] { FormClose(); }))
        return false;
    close(true);
    return true;
}

void MainWindowController::hostWindowGone()
{
    if (m_closed)
        return;
    // Nothing is left to show the window in: the outcome is written as on any close, and the program
    // ends even when that fails. The window went with the host window; there is nothing to hide.
    atEventBoundary([this] { FormClose(); });
    close(false);
}

void MainWindowController::showAt(Position position)
{
    m_view.showAt(position);
    m_shown = true;
}

void MainWindowController::close(bool hide)
{
    m_closed = true;
    m_shown = false;
    if (m_helpOwner) {
        help::setHelpOwnerWindow(0);
        m_helpOwner = false;
    }
    if (hide)
        m_view.hideWindow();
    m_view.windowClosed();
}

void MainWindowController::buttonPressed(Element button)
{
    switch (button) {
    case Element::BClose:
        requestClose();
        break;
    case Element::Button1:
        atEventBoundary([this] { Button1Click(); });
        break;
    case Element::BImportar:
        atEventBoundary([this] { BImportarClick(); });
        break;
    default:
        break;
    }
}

void MainWindowController::helpKeyPressed(Element focused)
{
    atEventBoundary([focused] {
        if (const int context = helpContextOf(focused); context != 0)
            help::contextRequest(context);
    });
}

void MainWindowController::FormCreate()
{
    m_state.outcomeFlag = 0;
    if (m_request.argumentCount != HostArgumentCount)
        return;
    const std::uint32_t handle = m_request.requireHostHandle();
    // A handle of 0 leaves the window top-level, without its frame all the same.
    if (handle != 0)
        m_host = handle;
    m_view.removeFrame();
    m_state.savedArgumentCount = m_request.argumentCount;
}

void MainWindowController::FormShow()
{
    if (m_request.startsExport)
        BImportarClick();
}

void MainWindowController::FormClose()
{
    if (m_state.savedArgumentCount != HostArgumentCount)
        return;
    writeOutcome(platform::programDirectory(), m_state.outcomeFlag);
}

void MainWindowController::BImportarClick()
{
    const bool hostMode = m_state.savedArgumentCount == HostArgumentCount;
    if (auto chosen = askSaveFileName())
        m_state.rememberedFileName = std::move(*chosen);
    if (m_state.rememberedFileName.empty()) {
        m_view.showPlainMessage(texts::NoFileName);
        if (hostMode) {
            m_state.outcomeFlag = 0;
            requestClose();
        }
        return;
    }
    exporter::exportDocument(m_tables, platform::pathFromUtf8(m_state.rememberedFileName));
    m_view.hideExportButton();
    m_view.setDefaultCursor();
    m_state.outcomeFlag = 1;
    m_view.showPlainMessage(texts::Finished);
    if (hostMode)
        requestClose();
}

void MainWindowController::Button1Click()
{
    help::setApplicationHelpFile(texts::HelpFile);
    help::commandRequest(help::HelpContents, 0);
}

std::optional<std::string> MainWindowController::askSaveFileName()
{
    return m_view.askSaveFileName(
        m_state.rememberedFileName, saveDialogOwner(m_shown, m_host.has_value() && m_view.isHostChild()));
}

int runMainWindow(MainWindowController& controller, const std::function<void()>& runEventLoop)
{
    if (controller.create()) {
        controller.showAtStartup();
        // Closed during the show step: the loop would wait for nothing.
        if (!controller.hasClosed())
            runEventLoop();
    }
    return controller.exitCode();
}

ProgramHelp::ProgramHelp(std::shared_ptr<help::HelpEngine> engine)
{
    help::startApplicationHelp(std::move(engine));
    help::setApplicationHelpFile(texts::HelpFile);
}

ProgramHelp::~ProgramHelp()
{
    help::startApplicationHelp(nullptr);
}

} // namespace app::logic
