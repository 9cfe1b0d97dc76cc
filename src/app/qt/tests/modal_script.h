#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

class QMessageBox;

namespace app::qt::testing {

// Answers modal windows as they appear, one scripted step per window, in order. A modal window for
// which no step is left, or one still open 10 s after its step, is rejected and recorded as
// unexpected, so that a test never hangs in it.
class ModalScript : public QObject
{
    Q_OBJECT

public:
    using Step = std::function<void(QWidget* modal)>;

    ModalScript();
    ~ModalScript() override;
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Whether a script lives, answering the modal windows that appear.
    static bool anyAlive() { return s_alive > 0; }

    void then(Step step) { m_steps.push_back(std::move(step)); }

    // A description of each modal window seen, in order: "<class>|<title>|<text>" (text for message
    // boxes only).
    const QStringList& seen() const { return m_seen; }
    int stepsLeft() const { return int(m_steps.size()); }
    int unexpected() const { return m_unexpected; }

private:
    void poll();

    std::deque<Step> m_steps;
    QStringList m_seen;
    QPointer<QWidget> m_current;
    QElapsedTimer m_shownFor;
    QTimer m_timer;
    int m_unexpected = 0;
    static inline int s_alive = 0;
};

// Fails the running test, naming the window, and closes it, when a modal window stays open for a
// second while no ModalScript lives: a window the test did not expect (a key that reached the export
// button, an error box at start-up) would otherwise hold the test in its event loop until ctest's
// time-out. The test main keeps one for the whole run.
class UnexpectedModalGuard : public QObject
{
    Q_OBJECT

public:
    UnexpectedModalGuard();

private:
    void poll();

    QPointer<QWidget> m_current;
    QElapsedTimer m_shownFor;
    QTimer m_timer;
};

// Steps for the windows the program shows.
ModalScript::Step clickDefaultButton(); // Aceptar of the plain box, OK of the error box
ModalScript::Step rejectDialog(); // Esc, Cancel, the close box
ModalScript::Step chooseFile(const QString& path); // types a name into the save dialog and confirms

} // namespace app::qt::testing
