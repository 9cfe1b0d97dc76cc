// The HTML Help engine of Windows: "HtmlHelpA" in the library "HHCtrl.ocx" ("HtmlHelpW" for a help
// file whose path the ANSI code page cannot hold).
#include "help/help_engine.h"
#include "help/help_file_name.h"
#include "platform/codepage.h"
#include "platform/wide_text.h"

#include <windows.h>

namespace help {

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
using HtmlHelpWideFunction = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

class HtmlHelpLibrary : public HelpEngine
{
public:
    HtmlHelpLibrary(HMODULE library, HtmlHelpFunction entry, HtmlHelpWideFunction wideEntry)
        : m_library(library)
        , m_entry(entry)
        , m_wideEntry(wideEntry)
    {
    }
    ~HtmlHelpLibrary() override
    {
        m_entry = nullptr;
        m_wideEntry = nullptr;
        FreeLibrary(m_library);
    }
    HtmlHelpLibrary(const HtmlHelpLibrary&) = delete;
    HtmlHelpLibrary& operator=(const HtmlHelpLibrary&) = delete;

    void htmlHelp(std::uintptr_t callerWindow, const std::string& file, unsigned command, std::uintptr_t data) override
    {
        if (!m_entry)
            return;
        const auto caller = reinterpret_cast<HWND>(callerWindow);
        // Program text is UTF-8 here; the narrow entry takes the system's ANSI code page. A path that
        // code page cannot hold goes to the wide entry as it stands.
        const int codePage = platform::ansiCodePage();
        const std::optional<std::string> ansiFile = ansiHelpFile(file, codePage);
        if (!ansiFile && m_wideEntry) {
            m_wideEntry(caller, platform::widen(file).c_str(), command, static_cast<DWORD_PTR>(data));
            return;
        }
        m_entry(caller, ansiFile.value_or(platform::fromUtf8(file, codePage)).c_str(), command,
            static_cast<DWORD_PTR>(data));
    }

private:
    HMODULE m_library;
    HtmlHelpFunction m_entry;
    HtmlHelpWideFunction m_wideEntry;
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
    // Only for a path that the ANSI code page cannot hold; without it such a path is passed narrow.
    auto wideEntry
        = reinterpret_cast<HtmlHelpWideFunction>(reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpW")));
    return std::make_shared<HtmlHelpLibrary>(library, entry, wideEntry);
}

} // namespace help
