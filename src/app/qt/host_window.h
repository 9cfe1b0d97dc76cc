#pragma once

#include "app/logic/host_window.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QSize>
#include <QWindow>
#include <cstdint>
#include <optional>

namespace app::qt {

// Asks the window system about the window with this id (under X11 an X window id), without waiting
// on anything but the server's answer.
logic::HostWindowCheck checkHostWindow(std::uint32_t id);

// The size of the host window's area, or nothing when the window system does not tell it.
std::optional<QSize> hostWindowSize(std::uint32_t id);

// Whether the native window's parent is the host window (false when either is gone).
bool isInsideHostWindow(WId window, std::uint32_t host);

// Gives the keyboard focus to a native window inside another program's window, which does not get
// it by being shown.
void focusNativeWindow(WId window);

// Watches the host window and emits hostDestroyed() once, from the event loop, when it is destroyed.
// Under X11 it selects structure events on the host window and filters them before Qt.
class HostWindowWatcher : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit HostWindowWatcher(std::uint32_t host, QObject* parent = nullptr);
    ~HostWindowWatcher() override;

    // Starts watching; answers false when the host window is already gone.
    bool start();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void hostDestroyed();

private:
    void reportDestroyed();

    std::uint32_t m_host;
    bool m_watching = false;
    bool m_reported = false;
};

} // namespace app::qt
