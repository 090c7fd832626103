// The session's idle time on Wayland. A client may not see input meant for other clients, so
// only the compositor knows when the user last did something; it tells through an idle
// protocol: ext-idle-notify-v1 where offered, else KDE's org_kde_kwin_idle (sway 1.7, KWin).
// Qt 6.4 wraps neither, so this is a small client of our own on its own connection to the
// compositor, beside Qt's. Built only where the Wayland client library and the protocol files
// are found.
//
// Both protocols say when the seat has had no input for a set time ("idled") and when input
// came again ("resumed"); a short set time turns that into an idle time: once idled, the last
// input was that set time before.
#include <poll.h>
#include <wayland-client.h>
#include <QSocketNotifier>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "runtime/qt/Objects.h"

#ifdef PORVANE_EXT_IDLE_NOTIFY
#include "ext-idle-notify-v1-client-protocol.h"
#endif
#ifdef PORVANE_KDE_IDLE
#include "kde-idle-client-protocol.h"
#endif

namespace runtime::qt {
namespace {

// The set time: the idle time is known to this much, and input resumes after an idle period
// wake us only when there was such a pause.
constexpr std::uint32_t kStepMs = 1000;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class WaylandIdle : public IdleSource {
  public:
    ~WaylandIdle() override {
        notifier_.reset();
#ifdef PORVANE_EXT_IDLE_NOTIFY
        if (extNotification_ != nullptr) {
            ext_idle_notification_v1_destroy(extNotification_);
        }
        if (extNotifier_ != nullptr) {
            ext_idle_notifier_v1_destroy(extNotifier_);
        }
#endif
#ifdef PORVANE_KDE_IDLE
        if (kdeTimeout_ != nullptr) {
            org_kde_kwin_idle_timeout_release(kdeTimeout_);
        }
        if (kdeIdle_ != nullptr) {
            org_kde_kwin_idle_destroy(kdeIdle_);
        }
#endif
        if (seat_ != nullptr) {
            wl_seat_destroy(seat_);
        }
        if (registry_ != nullptr) {
            wl_registry_destroy(registry_);
        }
        if (display_ != nullptr) {
            wl_display_flush(display_);
            wl_display_disconnect(display_);
        }
    }

    // Connects and asks for the idle events; false when the compositor offers no idle
    // protocol that we know.
    bool start() {
        display_ = wl_display_connect(nullptr);
        if (display_ == nullptr) {
            return false;
        }
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistryListener, this);
        if (wl_display_roundtrip(display_) < 0 || seat_ == nullptr || !watch()) {
            return false;
        }
        if (wl_display_roundtrip(display_) < 0) {
            return false;
        }
        notifier_ =
            std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { pump(); });
        return true;
    }

    std::int64_t idleMilliseconds() override {
        pump();
        return idleSince_ ? nowMs() - *idleSince_ : 0;
    }

  private:
    bool watch() {
#ifdef PORVANE_EXT_IDLE_NOTIFY
        if (extNotifier_ != nullptr) {
            extNotification_ =
                ext_idle_notifier_v1_get_idle_notification(extNotifier_, kStepMs, seat_);
            ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
            return true;
        }
#endif
#ifdef PORVANE_KDE_IDLE
        if (kdeIdle_ != nullptr) {
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, kStepMs);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
            return true;
        }
#endif
        return false;
    }

    // Reads and handles whatever the compositor sent, without waiting.
    void pump() {
        if (wl_display_get_error(display_) != 0) {
            // The compositor went away: no more idle events, and no end on a stale state.
            notifier_->setEnabled(false);
            idleSince_.reset();
            return;
        }
        while (wl_display_prepare_read(display_) != 0) {
            wl_display_dispatch_pending(display_);
        }
        wl_display_flush(display_);
        pollfd ready{wl_display_get_fd(display_), POLLIN, 0};
        if (::poll(&ready, 1, 0) > 0) {
            wl_display_read_events(display_);
        } else {
            wl_display_cancel_read(display_);
        }
        wl_display_dispatch_pending(display_);
    }

    void idled() {
        idleSince_ = nowMs() - kStepMs;
    }
    void resumed() {
        idleSince_.reset();
    }

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t /*version*/) {
        auto* self = static_cast<WaylandIdle*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
            self->seat_ =
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        }
#ifdef PORVANE_EXT_IDLE_NOTIFY
        if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
            self->extNotifier_ = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        }
#endif
#ifdef PORVANE_KDE_IDLE
        if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
            self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        }
#endif
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener kRegistryListener{global, globalRemove};

#ifdef PORVANE_EXT_IDLE_NOTIFY
    static constexpr ext_idle_notification_v1_listener kExtListener{
        [](void* data, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(data)->idled(); },
        [](void* data, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(data)->resumed(); },
    };
    ext_idle_notifier_v1* extNotifier_ = nullptr;
    ext_idle_notification_v1* extNotification_ = nullptr;
#endif
#ifdef PORVANE_KDE_IDLE
    static constexpr org_kde_kwin_idle_timeout_listener kKdeListener{
        [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdle*>(data)->idled(); },
        [](void* data, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdle*>(data)->resumed(); },
    };
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
#endif
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::optional<std::int64_t> idleSince_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<IdleSource> waylandIdleSource() {
    auto idle = std::make_unique<WaylandIdle>();
    if (!idle->start()) {
        return nullptr;
    }
    return idle;
}

}  // namespace runtime::qt
