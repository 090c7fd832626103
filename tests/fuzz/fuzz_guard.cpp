// Fuzzes what the guard reads from outside its own code: its state file (and a guard started on
// it, which goes on guarding what the file says was agreed), the [Guard] settings, and the
// status JSON that porvanectl reads back. The first byte picks which.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "guard/Guard.h"
#include "guard/GuardSettings.h"
#include "guard/GuardState.h"
#include "guard/Status.h"

namespace {

struct Store : guard::StateStore {
    std::optional<std::string> text;
    std::optional<std::string> load() override { return text; }
    bool save(const std::string& t) override {
        text = t;
        return true;
    }
    std::string setAside() override { return "aside"; }
};

struct Quiet : guard::Effects {
    void terminate(const std::string&) override {}
    void endChanged(const std::string&, std::int64_t) override {}
    void endNow(const std::string&) override {}
    void log(const std::string&) override {}
};

void stateFile(std::string_view text) {
    if (auto state = guard::parseState(text)) {
        const std::string again = guard::formatState(*state);
        if (!guard::parseState(again) || guard::formatState(*guard::parseState(again)) != again) {
            __builtin_trap();
        }
    }
    Store store;
    store.text = std::string(text);
    Quiet effects;
    guard::Moment now{1'000'000, 1765180800000};
    guard::Guard g({"/nonexistent/Porvane.ini", [](std::int64_t) { return 3600; },
                    [](std::int64_t) { return std::optional<std::int64_t>(60'000); }},
                   store, effects, now);
    for (const char* id : {"c1", "c2"}) {
        g.sessionNew({id, "lab", 1001, {}, true, 1765180000000}, now);
        (void)g.hello({id, id}, now);
        (void)g.agreed({id, id}, now);
    }
    (void)guard::statusJson(g.status({}, now));
    now.monoMs += 86'400'000;
    g.due(now);
}

void settingsFile(std::string_view text) {
    static const std::string file = "/tmp/fuzz_guard-" + std::to_string(getpid()) + ".ini";
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fputs("[Guard]\n", f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    (void)guard::readGuardSettings(file);
    (void)guard::splitNames(text);
}

void statusJson(std::string_view text) {
    if (auto rows = guard::parseStatusJson(text)) {
        const std::string again = guard::statusJson(*rows);
        if (guard::parseStatusJson(again).value_or(std::vector<guard::StatusRow>{}).size() !=
            rows->size()) {
            __builtin_trap();
        }
        (void)guard::statusText(*rows, [](std::int64_t) { return -36000; });
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            stateFile(rest);
            break;
        case 1:
            settingsFile(rest);
            break;
        default:
            statusJson(rest);
    }
    return 0;
}
