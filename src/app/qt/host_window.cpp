#include "app/qt/host_window.h"

#include <QCoreApplication>
#include <QGuiApplication>

#if defined(EDUCA_HAVE_XCB) && QT_CONFIG(xcb)
#define EDUCA_X11_HOST 1
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace app::qt {

#ifdef EDUCA_X11_HOST

namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

} // namespace

logic::HostWindowCheck checkHostWindow(std::uint32_t id)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return logic::HostWindowCheck::Unsupported;
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), &error));
    std::free(error);
    if (!reply)
        return logic::HostWindowCheck::Missing;
    if (reply->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
        return logic::HostWindowCheck::InputOnly;
    return logic::HostWindowCheck::Usable;
}

std::optional<QSize> hostWindowSize(std::uint32_t id)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), &error));
    std::free(error);
    if (!reply)
        return std::nullopt;
    return QSize(reply->width, reply->height);
}

bool isInsideHostWindow(WId window, std::uint32_t host)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return false;
    xcb_generic_error_t* error = nullptr;
    const XcbReply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, xcb_window_t(window)), &error));
    std::free(error);
    return reply && reply->parent == host;
}

void focusNativeWindow(WId window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(window), XCB_CURRENT_TIME);
    xcb_flush(connection);
}

bool HostWindowWatcher::start()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return false;
    // The event mask is this client's own on the host window; the host's selection is not touched.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_change_window_attributes_checked(connection, m_host, XCB_CW_EVENT_MASK, &mask));
    if (error) {
        std::free(error);
        return false;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_watching = true;
    return true;
}

bool HostWindowWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY) {
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (destroyed->window == m_host)
            reportDestroyed();
    }
    return false;
}

#else

logic::HostWindowCheck checkHostWindow(std::uint32_t)
{
    return logic::HostWindowCheck::Unsupported;
}

std::optional<QSize> hostWindowSize(std::uint32_t)
{
    return std::nullopt;
}

bool isInsideHostWindow(WId, std::uint32_t)
{
    return false;
}

void focusNativeWindow(WId) { }

bool HostWindowWatcher::start()
{
    return false;
}

bool HostWindowWatcher::nativeEventFilter(const QByteArray&, void*, qintptr*)
{
    return false;
}

#endif

HostWindowWatcher::HostWindowWatcher(std::uint32_t host, QObject* parent)
    : QObject(parent)
    , m_host(host)
{
}

HostWindowWatcher::~HostWindowWatcher()
{
    if (m_watching && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void HostWindowWatcher::reportDestroyed()
{
    if (m_reported)
        return;
    m_reported = true;
    // Not from inside the filter: what follows closes windows and shows boxes.
    QMetaObject::invokeMethod(this, &HostWindowWatcher::hostDestroyed, Qt::QueuedConnection);
}

} // namespace app::qt
