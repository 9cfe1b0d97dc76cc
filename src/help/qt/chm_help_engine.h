#pragma once

#include "help/help_engine.h"

#include <QPointer>

namespace help::qt {

class HelpWindow;

// The program's own HTML Help engine for systems without one: it opens the compiled help file and
// shows it in its help window, one window for the whole run, reused by every request. Command 1 shows
// the table of contents with the file's default page, command 15 the page that the file's context map
// gives for the number. A missing or unreadable file, an unmapped number, another command, or a
// process without a widget application show nothing and report nothing.
class ChmHelpEngine : public HelpEngine
{
public:
    ChmHelpEngine() = default;
    ~ChmHelpEngine() override;
    ChmHelpEngine(const ChmHelpEngine&) = delete;
    ChmHelpEngine& operator=(const ChmHelpEngine&) = delete;

    void htmlHelp(std::uintptr_t callerWindow, const std::string& file, unsigned command, std::uintptr_t data) override;

    // The help window once help has been shown; null before.
    HelpWindow* window() const;

private:
    HelpWindow* ensureWindow();

    QPointer<HelpWindow> m_window;
};

} // namespace help::qt
