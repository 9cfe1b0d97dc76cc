// The HTML Help engine of Windows: "HtmlHelpA" in the library "HHCtrl.ocx".
#include "help/help_engine.h"

#ifdef _WIN32

#include "platform/codepage.h"

#include <windows.h>

namespace help {

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

class HtmlHelpLibrary : public HelpEngine
{
public:
    HtmlHelpLibrary(HMODULE library, HtmlHelpFunction entry)
        : m_library(library)
        , m_entry(entry)
    {
    }
    ~HtmlHelpLibrary() override
    {
        m_entry = nullptr;
        FreeLibrary(m_library);
    }
    HtmlHelpLibrary(const HtmlHelpLibrary&) = delete;
    HtmlHelpLibrary& operator=(const HtmlHelpLibrary&) = delete;

    void htmlHelp(std::uintptr_t callerWindow, const std::string& file, unsigned command, std::uintptr_t data) override
    {
        if (!m_entry)
            return;
        // Program text is UTF-8 here; the engine takes the system's ANSI code page.
        const std::string ansiFile = platform::fromUtf8(file, platform::ansiCodePage());
        m_entry(reinterpret_cast<HWND>(callerWindow), ansiFile.c_str(), command, static_cast<DWORD_PTR>(data));
    }

private:
    HMODULE m_library;
    HtmlHelpFunction m_entry;
};

} // namespace

std::shared_ptr<HelpEngine> loadSystemEngine()
{
    // By name, through the normal library search; neither a missing library nor a missing entry is
    // reported: help then shows nothing.
    HMODULE library = LoadLibraryA("HHCtrl.ocx");
    if (!library)
        return nullptr;
    auto entry = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpA")));
    if (!entry) {
        FreeLibrary(library);
        return nullptr;
    }
    return std::make_shared<HtmlHelpLibrary>(library, entry);
}

} // namespace help

#else

namespace help {

std::shared_ptr<HelpEngine> loadSystemEngine()
{
    return nullptr;
}

} // namespace help

#endif // _WIN32
