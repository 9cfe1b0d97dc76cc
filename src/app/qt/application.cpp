#include "app/qt/application.h"

#include "app/logic/event_boundary.h"
#include "app/logic/pictures.h"
#include "app/logic/texts.h"
#include "app/qt/message_boxes.h"
#include "app/qt/pictures.h"
#include "platform/regional.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app::qt {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The title names the taskbar entry; it is no part of the main window's caption, so no
    // display name is set (the window system would append it to every caption).
    setApplicationName(QString::fromUtf8(logic::texts::ApplicationTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(toQImage(logic::programIcon()))));
    // The main window's close ends the program, not the last window that disappears: message boxes
    // are shown before the main window exists.
    setQuitOnLastWindowClosed(false);
    // Qt's own texts (the save dialog's, the error box's button) in Spanish, whatever the system's
    // language, as every other text of the program.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(std::current_exception());
        return false;
    }
}

bool Application::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange)
        platform::reloadRegionalSettings();
    return QApplication::event(event);
}

void reportFailure(std::exception_ptr failure)
{
    if (const auto text = logic::errorBoxTextOf(failure))
        showErrorBox(*text);
}

bool runHandler(const std::function<void()>& handler)
{
    return logic::runAtEventBoundary(handler, showErrorBox);
}

} // namespace app::qt
