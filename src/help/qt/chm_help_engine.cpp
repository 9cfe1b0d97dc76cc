#include "help/qt/chm_help_engine.h"

#include "help/help_file_name.h"
#include "help/qt/chm_file.h"
#include "help/qt/help_window.h"

#include <QApplication>
#include <optional>

namespace help::qt {

ChmHelpEngine::~ChmHelpEngine()
{
    // Widgets can only go while the application lives; at the very end of the program the window
    // has gone with the application's event loop (see ensureWindow).
    if (m_window && QApplication::instance())
        delete m_window;
}

void ChmHelpEngine::htmlHelp(std::uintptr_t, const std::string& file, unsigned command, std::uintptr_t data)
{
    if (command != HelpByContext && command != DisplayTableOfContents)
        return;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;

    std::shared_ptr<const ChmFile> chm = ChmFile::open(localHelpFilePath(file));
    if (!chm)
        return;
    // The engine takes the context number as a 32-bit value.
    const std::optional<std::string> page
        = command == HelpByContext ? chm->pageForContext(static_cast<std::uint32_t>(data)) : chm->defaultPage();
    if (!page)
        return;

    HelpWindow* window = ensureWindow();
    window->setHelpFile(chm);
    window->showPage(*page);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

HelpWindow* ChmHelpEngine::window() const
{
    return m_window;
}

HelpWindow* ChmHelpEngine::ensureWindow()
{
    if (!m_window) {
        m_window = new HelpWindow;
        // The program's last turn of the event loop takes the window with it.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, m_window, &QObject::deleteLater);
    }
    return m_window;
}

} // namespace help::qt
