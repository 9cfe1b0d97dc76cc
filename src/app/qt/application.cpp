#include "app/qt/application.h"

#include "app/qt/message_boxes.h"
#include "app/qt/pictures.h"
#include "app/window_texts.h"
#include "platform/regional.h"
#include "platform/user_error.h"

#include <QIcon>

namespace app::qt {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The title names the taskbar entry; it is no part of the main window's caption, so no
    // display name is set (the window system would append it to every caption).
    setApplicationName(QString::fromUtf8(texts::ApplicationTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(programIcon())));
    // The main window's close ends the program, not the last window that disappears: message boxes
    // are shown before the main window exists.
    setQuitOnLastWindowClosed(false);
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
    try {
        std::rethrow_exception(failure);
    } catch (const platform::SilentAbort&) {
    } catch (const std::exception& error) {
        showErrorBox(error.what());
    } catch (...) {
        showErrorBox(texts::UnexpectedFailure);
    }
}

bool runHandler(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        reportFailure(std::current_exception());
        return false;
    }
}

} // namespace app::qt
