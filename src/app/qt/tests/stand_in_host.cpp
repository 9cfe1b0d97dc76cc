// A stand-in for the host program in the tests under Xvfb: opens one window, prints its X window id
// in hexadecimal (the form the program takes on its command line) and keeps the window until it is
// killed or the X server goes away. Plain xcb, so that it shares nothing with the program.
//
// Usage: stand_in_host [WIDTH HEIGHT]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

int main(int argc, char** argv)
{
    const int width = argc > 2 ? std::atoi(argv[1]) : 900;
    const int height = argc > 2 ? std::atoi(argv[2]) : 560;

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "stand_in_host: no X server\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;

    const xcb_window_t window = xcb_generate_id(connection);
    // A slate background and a darker band at the top, like a host's menu and tool bars.
    const std::uint32_t values[] = {0x5A6E82u, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 40, 30, std::uint16_t(width),
        std::uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
        XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string title = "Anfitrión de prueba";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
        std::uint32_t(title.size()), title.data());

    const xcb_gcontext_t band = xcb_generate_id(connection);
    const std::uint32_t bandColour[] = {0x2F3B47u};
    xcb_create_gc(connection, band, window, XCB_GC_FOREGROUND, bandColour);

    xcb_map_window(connection, window);
    xcb_flush(connection);
    std::printf("%X\n", window);
    std::fflush(stdout);

    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        if ((event->response_type & 0x7F) == XCB_EXPOSE) {
            const xcb_rectangle_t bar = {0, 0, std::uint16_t(width), 28};
            xcb_poly_fill_rectangle(connection, window, band, 1, &bar);
            xcb_flush(connection);
        }
        std::free(event);
    }
    xcb_disconnect(connection);
    return 0;
}
