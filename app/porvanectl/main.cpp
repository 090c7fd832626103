// porvanectl: status, extend and end of the sessions the guard guards, over the system bus.
#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "guard/Ctl.h"

namespace {

constexpr const char* kName = "org.porvane.Guard";
constexpr const char* kPath = "/org/porvane/Guard";
constexpr const char* kInterface = "org.porvane.Guard1";

class BusLink : public guard::GuardLink {
  public:
    ~BusLink() override { sd_bus_flush_close_unref(bus_); }

    guard::CtlAnswer status() override {
        sd_bus_message* reply = nullptr;
        guard::CtlAnswer answer = call("Status", &reply, [](sd_bus_message*) { return 0; });
        const char* json = nullptr;
        if (answer.kind == guard::CtlAnswer::Done) {
            answer.text = sd_bus_message_read(reply, "s", &json) > 0 ? json : "";
        }
        sd_bus_message_unref(reply);
        return answer;
    }
    guard::CtlAnswer extend(const std::string& session, std::int64_t seconds) override {
        return call("Extend", nullptr, [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "sx", session.c_str(), seconds);
        });
    }
    guard::CtlAnswer end(const std::string& session) override {
        return call("End", nullptr, [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "s", session.c_str());
        });
    }

  private:
    template <class Append>
    guard::CtlAnswer call(const char* member, sd_bus_message** reply, Append append) {
        int r = bus_ ? 0 : sd_bus_open_system(&bus_);  // DBUS_SYSTEM_BUS_ADDRESS where set
        if (r < 0) {
            return {guard::CtlAnswer::NoGuard,
                    std::string("the system bus cannot be reached: ") + std::strerror(-r)};
        }
        sd_bus_message* m = nullptr;
        sd_bus_error error{};  // SD_BUS_ERROR_NULL, without its compound literal (C only)
        r = sd_bus_message_new_method_call(bus_, &m, kName, kPath, kInterface, member);
        if (r >= 0) {
            r = append(m);
        }
        if (r >= 0) {
            r = sd_bus_call(bus_, m, 10'000'000, &error, reply);
        }
        sd_bus_message_unref(m);
        guard::CtlAnswer answer;
        if (r < 0) {
            const std::string name = error.name ? error.name : "";
            answer.text = error.message ? error.message : std::strerror(-r);
            if (name == "org.porvane.Guard1.Error.NoSuchSession") {
                answer.kind = guard::CtlAnswer::NoSuchSession;
            } else if (name == "org.porvane.Guard1.Error.Refused" ||
                       name == "org.freedesktop.DBus.Error.AccessDenied") {
                answer.kind = guard::CtlAnswer::Refused;
            } else {
                answer.kind = guard::CtlAnswer::NoGuard;
            }
        }
        sd_bus_error_free(&error);
        return answer;
    }

    sd_bus* bus_ = nullptr;
};

std::int32_t localOffset(std::int64_t utcSeconds) {
    const time_t t = static_cast<time_t>(utcSeconds);
    tm local{};
    localtime_r(&t, &local);
    return static_cast<std::int32_t>(local.tm_gmtoff);
}

}  // namespace

int main(int argc, char** argv) {
    BusLink link;
    guard::CtlResult result = guard::runCtl(
        "porvanectl", std::vector<std::string>(argv + 1, argv + argc), link, localOffset);
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.status;
}
