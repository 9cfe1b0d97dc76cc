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

// The system's HTML Help engine: on Windows the function "HtmlHelpA" of the library "HHCtrl.ocx",
// loaded by name ("HtmlHelpW" of the same library for a help file whose path the ANSI code page cannot
// hold). Nothing when the library or the function is missing, and on a system that has no such
// engine (Linux, where the desktop program runs as the Windows one under Wine).
std::shared_ptr<HelpEngine> loadSystemEngine();

} // namespace help
