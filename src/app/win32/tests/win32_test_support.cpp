#include "win32_test_support.h"

#include "app/logic/texts.h"
#include "app/win32/main_form.h"
#include "app/win32/startup.h"
#include "help/help_requests.h"
#include "help/help_unit.h"
#include "platform/paths.h"
#include "platform/wide_text.h"

#include <filesystem>

namespace app::win32::testing {

namespace {

std::function<bool()> timedStep;
UINT_PTR timedStepTimer = 0;
DWORD timedStepDeadline = 0;
bool timedStepFinished = false;

void CALLBACK runTimedStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (timedStepFinished)
        return;
    if ((timedStep && timedStep()) || GetTickCount() > timedStepDeadline) {
        timedStepFinished = true;
        KillTimer(nullptr, timedStepTimer);
        timedStepTimer = 0;
    }
}

// A box or dialog of this thread that stays open for a second while no TimedStep answers one fails the
// test, naming it, and is cancelled: the test would otherwise wait in its modal loop until ctest's
// time-out. Modal loops dispatch the thread's timers, so the guard runs inside them.
UINT_PTR guardTimer = 0;
HWND guardSeen = nullptr;
DWORD guardSince = 0;

BOOL CALLBACK noteModalWindow(HWND window, LPARAM found)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && IsWindowEnabled(window)
        && (std::wstring(name) == L"#32770" || std::wstring(name) == L"TransSelvarEDUCA.Mensaje")) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK guardAgainstUnansweredBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    HWND modal = nullptr;
    if (!timedStepTimer)
        EnumThreadWindows(GetCurrentThreadId(), noteModalWindow, reinterpret_cast<LPARAM>(&modal));
    if (modal != guardSeen) {
        guardSeen = modal;
        guardSince = GetTickCount();
        return;
    }
    if (!modal || GetTickCount() - guardSince < 1000)
        return;
    ADD_FAILURE() << "a box or dialog that the test does not answer: \"" << platform::narrow(windowText(modal)) << "\"";
    guardSeen = nullptr;
    PostMessageW(modal, WM_COMMAND, IDCANCEL, 0);
}

struct WindowSearch
{
    std::wstring caption;
    const wchar_t* windowClass;
    HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    if (!IsWindowVisible(window) || windowText(window) != wanted->caption)
        return TRUE;
    if (wanted->windowClass) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) != wanted->windowClass)
            return TRUE;
    }
    wanted->found = window;
    return FALSE;
}

struct ProcessWindowSearch
{
    DWORD process;
    HWND found = nullptr;
};

BOOL CALLBACK matchProcessWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<ProcessWindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != wanted->process || !IsWindowVisible(window))
        return TRUE;
    wanted->found = window;
    return FALSE;
}

} // namespace

bool pumpMessages(std::chrono::milliseconds limit, const std::function<bool()>& done, TMForm* form)
{
    const DWORD end = GetTickCount() + DWORD(limit.count());
    while (GetTickCount() < end) {
        if (done && done())
            return true;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT)
                processMessage(form, message);
        }
        Sleep(10);
    }
    return done && done();
}

bool settle(TMForm* form)
{
    DWORD quietSince = GetTickCount();
    return pumpMessages(
        std::chrono::seconds(5),
        [&] {
            if (HIWORD(GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) != 0)
                quietSince = GetTickCount();
            return GetTickCount() - quietSince >= 50;
        },
        form);
}

TimedStep::TimedStep(std::function<bool()> step)
{
    timedStep = std::move(step);
    timedStepFinished = false;
    timedStepDeadline = GetTickCount() + 10000;
    timedStepTimer = SetTimer(nullptr, 0, 50, runTimedStep);
}

TimedStep::~TimedStep()
{
    if (timedStepTimer)
        KillTimer(nullptr, timedStepTimer);
    timedStepTimer = 0;
    timedStep = nullptr;
}

bool TimedStep::finished() const
{
    return timedStepFinished;
}

HWND findThreadWindow(const std::wstring& caption, const wchar_t* windowClass)
{
    WindowSearch search {caption, windowClass};
    EnumThreadWindows(GetCurrentThreadId(), matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring windowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

OtherProgramWindow::OtherProgramWindow()
{
    std::wstring commandLine = L"stand_in_host - nada";
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(platform::widen(EDUCA_STAND_IN_HOST_FILE).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
            DETACHED_PROCESS, nullptr, nullptr, &startup, &m_process))
        return;
    CloseHandle(m_process.hThread);
    ProcessWindowSearch search {m_process.dwProcessId};
    pumpMessages(std::chrono::seconds(10), [&] {
        EnumWindows(matchProcessWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    m_window = search.found;
}

OtherProgramWindow::~OtherProgramWindow()
{
    if (!m_process.hProcess)
        return;
    if (m_window)
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_process.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_process.hProcess);
}

void Win32Test::SetUp()
{
    m_help = std::make_shared<FakeHelpEngine>();
    help::startApplicationHelp(m_help);
    help::setApplicationHelpFile(logic::texts::HelpFile);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    wchar_t folder[MAX_PATH] = {};
    GetTempFileNameW(temp, L"w32", 0, folder);
    DeleteFileW(folder);
    CreateDirectoryW(folder, nullptr);
    m_programDirectory = std::wstring(folder) + L"\\";
    m_programDirectoryUtf8 = platform::narrow(m_programDirectory);
    platform::setProgramDirectoryOverride(m_programDirectoryUtf8);
    m_application = std::make_unique<ApplicationWindow>();
    guardSeen = nullptr;
    guardTimer = SetTimer(nullptr, 0, 100, guardAgainstUnansweredBoxes);
}

void Win32Test::TearDown()
{
    KillTimer(nullptr, guardTimer);
    guardTimer = 0;
    m_application.reset();
    pumpMessages(std::chrono::milliseconds(20));
    platform::setProgramDirectoryOverride({});
    help::startApplicationHelp(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(m_programDirectory), ignored);
}

} // namespace app::win32::testing
