#pragma once

#include "app/win32/application.h"
#include "help/help_engine.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace app::win32 {
class TMForm;
} // namespace app::win32

namespace app::win32::testing {

// Records the calls that reach the help engine.
class FakeHelpEngine : public help::HelpEngine
{
public:
    struct Call
    {
        std::uintptr_t caller = 0;
        std::string file;
        unsigned command = 0;
        std::uintptr_t data = 0;
    };

    void htmlHelp(std::uintptr_t caller, const std::string& file, unsigned command, std::uintptr_t data) override
    {
        calls->push_back({caller, file, command, data});
    }

    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
};

// Handles the thread's messages for a while (through the program's own loop step when a main window is
// given), or until done() answers true. Answers whether done() did. A WM_QUIT on the way is dropped.
bool pumpMessages(std::chrono::milliseconds limit, const std::function<bool()>& done = {}, TMForm* form = nullptr);

// Handles the thread's messages until none has come for 50 ms, at most 5 s (answers whether it came to
// rest): what the code under test posted to itself has then been handled. For the moments when a
// test asserts what must not have happened, or what the handled messages have left.
bool settle(TMForm* form = nullptr);

// Calls the step every 50 ms from the thread's timer, which every modal loop dispatches, until it answers
// true or the test's time (10 s) is up; then it stops. For answering boxes and dialogs that the code
// under test shows.
class TimedStep
{
public:
    explicit TimedStep(std::function<bool()> step);
    ~TimedStep();
    TimedStep(const TimedStep&) = delete;
    TimedStep& operator=(const TimedStep&) = delete;
    bool finished() const;
};

// The first visible top-level window of this thread with that caption and window class (nullptr: any).
HWND findThreadWindow(const std::wstring& caption, const wchar_t* windowClass = nullptr);

// The text of a window.
std::wstring windowText(HWND window);

// A window of another program on the screen while it lives: the stand-in host, started with nothing
// to start. Closed at the end.
class OtherProgramWindow
{
public:
    OtherProgramWindow();
    ~OtherProgramWindow();
    OtherProgramWindow(const OtherProgramWindow&) = delete;
    OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;

    // Null when the program did not start or showed no window within 10 s.
    HWND handle() const { return m_window; }

private:
    PROCESS_INFORMATION m_process {};
    HWND m_window = nullptr;
};

// Every test gets a fresh application window, a program directory of its own and a help engine that
// records its calls.
class Win32Test : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ApplicationWindow> m_application;
    std::shared_ptr<FakeHelpEngine> m_help;
    std::wstring m_programDirectory;
    std::string m_programDirectoryUtf8;
};

} // namespace app::win32::testing
