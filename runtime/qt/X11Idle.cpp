// The session's idle time on X11: the MIT-SCREEN-SAVER extension's count of milliseconds since
// the last keyboard or mouse input the server received, asked over Qt's own connection. Built
// only where xcb-screensaver is found.
#include <QtGui/qguiapplication_platform.h>
#include <xcb/screensaver.h>
#include <xcb/xcb.h>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

#include "runtime/qt/Objects.h"

namespace runtime::qt {
namespace {

class ScreenSaverIdle : public IdleSource {
  public:
    ScreenSaverIdle(xcb_connection_t* connection, xcb_window_t root)
        : connection_(connection), root_(root) {}

    std::int64_t idleMilliseconds() override {
        xcb_screensaver_query_info_cookie_t cookie = xcb_screensaver_query_info(connection_, root_);
        xcb_screensaver_query_info_reply_t* reply =
            xcb_screensaver_query_info_reply(connection_, cookie, nullptr);
        if (reply == nullptr) {
            return 0;  // a failed read never ends a session
        }
        std::int64_t idle = reply->ms_since_user_input;
        std::free(reply);
        return idle;
    }

  private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
};

}  // namespace

std::unique_ptr<IdleSource> x11IdleSource() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return nullptr;
    }
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_screensaver_id);
    if (extension == nullptr || extension->present == 0) {
        return nullptr;
    }
    // The idle time belongs to the server; any screen's root names it.
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem == 0) {
        return nullptr;
    }
    return std::make_unique<ScreenSaverIdle>(connection, screens.data->root);
}

}  // namespace runtime::qt
