// The X11 hints of the windows, through xcb; built only where xcb is found (NoX11Hints.cpp
// stands in elsewhere).
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "runtime/qt/Objects.h"

namespace runtime::qt {
namespace {

// The atoms the hints name. Asked for all at once and then waited for, so that the window's
// first map waits for the X server once, not once an atom; kept for the connection's life.
struct Atoms {
    xcb_atom_t skipTaskbar = XCB_ATOM_NONE;
    xcb_atom_t skipPager = XCB_ATOM_NONE;
    xcb_atom_t state = XCB_ATOM_NONE;
    xcb_atom_t motifHints = XCB_ATOM_NONE;
};

const Atoms& atomsOf(xcb_connection_t* connection) {
    static xcb_connection_t* known = nullptr;
    static Atoms atoms;
    if (connection == known) {
        return atoms;
    }
    const char* names[] = {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                           "_NET_WM_STATE", "_MOTIF_WM_HINTS"};
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i) {
        cookies[i] = xcb_intern_atom(connection, 0,
                                     static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
    }
    xcb_atom_t* into[] = {&atoms.skipTaskbar, &atoms.skipPager, &atoms.state, &atoms.motifHints};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        *into[i] = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    known = connection;
    return atoms;
}

// The X11 connection when the program runs on X11, else null.
xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

void setProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                 xcb_atom_t type, std::uint8_t format, std::uint32_t count, const void* data) {
    if (property != XCB_ATOM_NONE && type != XCB_ATOM_NONE) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, format,
                            count, data);
    }
}

}  // namespace

// What an X11 window manager learns from the unmapped window, set before each map (a
// withdrawn window loses its states) and after Qt wrote its own when it made the native window:
// - out of the taskbar and pager (_NET_WM_STATE, which Qt merges with its own states when it
//   maps the window);
// - moved and closed, nothing else (the countdown: moved and minimized): Qt's Motif hints always
//   allow resizing, and some window managers go by them rather than by the equal minimum and
//   maximum of the normal hints;
// - the class, which desktops match with the program's desktop entry: the program gives Qt no
//   name of its own (see main), so Qt's WM_CLASS is empty.
// Elsewhere (Wayland, offscreen) there is nothing to do.
void prepareMap(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    auto id = static_cast<xcb_window_t>(window.winId());
    const Atoms& atoms = atomsOf(connection);
    xcb_atom_t states[2] = {atoms.skipTaskbar, atoms.skipPager};
    setProperty(connection, id, atoms.state, XCB_ATOM_ATOM, 32, 2, states);
    enum : std::uint32_t { kHasFunctions = 1, kHasDecorations = 2 };
    enum : std::uint32_t { kFunctionMove = 4, kFunctionMinimize = 8, kFunctionClose = 32 };
    enum : std::uint32_t {
        kDecorBorder = 2,
        kDecorTitle = 8,
        kDecorMenu = 16,
        kDecorMinimize = 32
    };
    // The countdown is moved and minimized, never closed.
    auto* own = dynamic_cast<WindowWidget*>(&window);
    bool closes = own == nullptr || closesOnRequest(own->kind);
    const std::uint32_t motif[5] = {
        kHasFunctions | kHasDecorations,
        kFunctionMove | (closes ? kFunctionClose : kFunctionMinimize),
        kDecorBorder | kDecorTitle | kDecorMenu | (closes ? 0u : kDecorMinimize), 0, 0};
    setProperty(connection, id, atoms.motifHints, atoms.motifHints, 32, 5, motif);
    static const char wmClass[] = "porvane\0Porvane";
    setProperty(connection, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    xcb_flush(connection);
}

// Gives the keyboard focus to a mapped window on X11 whatever the window manager's policy on
// new windows: the gate waits for an answer, so its window must take the keys at once. Qt's
// own activation is only a request that a window manager may turn down.
void takeFocus(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT,
                        static_cast<xcb_window_t>(window.winId()), XCB_CURRENT_TIME);
    xcb_flush(connection);
}

}  // namespace runtime::qt
