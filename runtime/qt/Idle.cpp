// The session's idle time, from whichever source the desktop that Qt runs on offers:
// X11Idle.cpp on X11, WaylandIdle.cpp on Wayland; each is built only where its libraries are
// found. Elsewhere (the offscreen platform, a desktop without an idle protocol) there is none.
#include <QGuiApplication>

#include "runtime/qt/Objects.h"

namespace runtime::qt {

#ifndef PORVANE_X11_IDLE
std::unique_ptr<IdleSource> x11IdleSource() {
    return nullptr;
}
#endif
#ifndef PORVANE_WAYLAND_IDLE
std::unique_ptr<IdleSource> waylandIdleSource() {
    return nullptr;
}
#endif

std::unique_ptr<IdleSource> QtBackend::createIdleSource() {
    QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        return x11IdleSource();
    }
    if (platform.startsWith(QLatin1String("wayland"))) {
        return waylandIdleSource();
    }
    return nullptr;
}

}  // namespace runtime::qt
