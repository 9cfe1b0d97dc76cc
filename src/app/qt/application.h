#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <string>

namespace app::qt {

// The program's application object: sets the application title and icon, and is the event boundary
// where every failure that leaves a handler is shown in the error box.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    // Delivers the event; a failure that leaves its handler is shown in the error box (a silent abort
    // is not shown) and the program goes on. Answers false for such an event.
    // The last resort: a failure that crosses Qt's widget event delivery skips Qt's own cleanups, so
    // the program's handlers run inside runHandler(), which catches before Qt's frames.
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    // Reads the regional settings again when the system announces that they changed.
    bool event(QEvent* event) override;
};

// Runs a handler at the event boundary (logic::runAtEventBoundary with the error box). Answers true
// when the handler ended without a failure.
bool runHandler(const std::function<void()>& handler);

// Shows the failure held by the exception pointer in the error box, with the text that
// logic::errorBoxTextOf() gives it; a silent abort is not shown.
void reportFailure(std::exception_ptr failure);

} // namespace app::qt
