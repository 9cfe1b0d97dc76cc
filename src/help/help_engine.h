#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace help {

// Engine commands that the help viewer issues.
inline constexpr unsigned DisplayTableOfContents = 1; // HH_DISPLAY_TOC: data 0
inline constexpr unsigned HelpByContext = 15; // HH_HELP_CONTEXT: data is the context number

// The gateway to the HTML Help engine. Its answer is never used, and it reports nothing: a file that
// is missing or cannot be read simply shows nothing.
class HelpEngine
{
public:
    virtual ~HelpEngine() = default;

    // Shows compiled help. callerWindow is the window that asks (0: none); file is the help file's
    // path as 8-bit program text (UTF-8 here); command and data as for HtmlHelpA.
    virtual void htmlHelp(std::uintptr_t callerWindow, const std::string& file, unsigned command, std::uintptr_t data)
        = 0;
};

// The engine of this platform, or nothing when it is not available. On Windows the function
// "HtmlHelpA" of the library "HHCtrl.ocx", loaded by name; elsewhere the program's own viewer for
// compiled help files, which shows them in a help window of its own.
std::shared_ptr<HelpEngine> createPlatformEngine();

} // namespace help
