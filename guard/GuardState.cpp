#include "guard/GuardState.h"

#include <algorithm>
#include <charconv>

namespace guard {
namespace {

constexpr std::string_view kHeader = "porvane-guard-state 1";
constexpr std::int64_t kDayMs = 86'400'000;

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Names and ids as one blank-free word: every byte outside a plain set as %XX.
std::string encode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '.' || c == '_' || c == '-' || c == '@' || c == '$') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out.empty() ? "%" : out;  // a lone % stands for the empty name
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> decode(std::string_view word) {
    if (word.empty()) {
        return std::nullopt;
    }
    if (word == "%") {
        return std::string{};
    }
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            out += word[i];
            continue;
        }
        if (i + 2 >= word.size()) {
            return std::nullopt;
        }
        const int hi = hexDigit(word[i + 1]), lo = hexDigit(word[i + 2]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// A whole number of digits only, 0 up to what fits; times at most 15 digits (the year 33658 in
// ms), so that no sum or difference of two of them overflows.
template <class T>
std::optional<T> number(std::string_view word) {
    T value{};
    if (word.empty() || word.size() > 15 || word.find_first_not_of("0123456789") != word.npos) {
        return std::nullopt;
    }
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i <= line.size()) {
        std::size_t j = line.find(' ', i);
        if (j == line.npos) {
            j = line.size();
        }
        out.push_back(line.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

bool readLine(GuardState& state, std::string_view line) {
    const auto w = words(line);
    if (w[0] == "latest" && w.size() == 2) {
        auto v = number<std::int64_t>(w[1]);
        return v && (state.latestMs = *v, true);
    }
    if (w[0] == "used" && w.size() == 4) {
        auto user = decode(w[1]);
        auto day = number<std::int64_t>(w[2]);
        auto used = number<std::int64_t>(w[3]);
        if (!user || !day || !used || state.use.contains(*user)) {
            return false;
        }
        state.use[*user] = {*day, *used};
        return true;
    }
    if (w[0] == "agreed" && w.size() == 8) {
        StoredSession s;
        auto id = decode(w[1]);
        auto uid = number<std::uint32_t>(w[2]);
        auto user = decode(w[3]);
        auto started = number<std::int64_t>(w[4]);
        auto agreed = number<std::int64_t>(w[5]);
        auto charged = number<std::int64_t>(w[6]);
        if (!id || !uid || !user || !started || !agreed || !charged) {
            return false;
        }
        if (w[7] != "-") {
            s.endMs = number<std::int64_t>(w[7]);
            if (!s.endMs) {
                return false;
            }
        }
        s.id = *id, s.uid = *uid, s.user = *user;
        s.startedMs = *started, s.agreedMs = *agreed, s.chargedMs = *charged;
        state.sessions.push_back(std::move(s));
        return true;
    }
    return false;
}

}  // namespace

std::string formatState(const GuardState& state) {
    std::string out = std::string(kHeader) + "\nlatest " + std::to_string(state.latestMs) + "\n";
    for (const auto& [user, use] : state.use) {
        out += "used " + encode(user) + " " + std::to_string(use.day) + " " +
               std::to_string(use.usedMs) + "\n";
    }
    for (const StoredSession& s : state.sessions) {
        out += "agreed " + encode(s.id) + " " + std::to_string(s.uid) + " " + encode(s.user) + " " +
               std::to_string(s.startedMs) + " " + std::to_string(s.agreedMs) + " " +
               std::to_string(s.chargedMs) + " " + (s.endMs ? std::to_string(*s.endMs) : "-") +
               "\n";
    }
    return out;
}

std::optional<GuardState> parseState(std::string_view text) {
    if (text.size() > kMaxStateBytes || !text.ends_with('\n')) {
        return std::nullopt;
    }
    GuardState state;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first ? line != kHeader : !readLine(state, line)) {
            return std::nullopt;
        }
        first = false;
    }
    return state;
}

std::int64_t believedTime(GuardState& state, std::int64_t wallMs) {
    state.latestMs = std::max(state.latestMs, wallMs);
    return state.latestMs;
}

std::int64_t localDay(std::int64_t wallMs, const policy::TimeZone& zone) {
    const std::int64_t offsetMs = std::int64_t{zone(floorDiv(wallMs, 1000))} * 1000;
    return floorDiv(wallMs + offsetMs, kDayMs);
}

void chargeUse(GuardState& state, const std::string& user, std::int64_t ms, std::int64_t wallMs,
               const policy::TimeZone& zone) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t day = localDay(wallMs, zone);
    DayUse& use = state.use[user];
    if (use.day >= day) {
        // The same day; or a later one already, which only a change of time zone brings about:
        // the time still counts, never given back.
        use.usedMs += ms;
        return;
    }
    const std::int64_t offsetMs = std::int64_t{zone(floorDiv(wallMs, 1000))} * 1000;
    const std::int64_t sinceMidnight = wallMs + offsetMs - day * kDayMs;
    use = {day, std::min(ms, sinceMidnight)};
}

std::int64_t usedOnDay(const GuardState& state, const std::string& user, std::int64_t wallMs,
                       const policy::TimeZone& zone) {
    auto it = state.use.find(user);
    if (it == state.use.end() || it->second.day < localDay(wallMs, zone)) {
        return 0;
    }
    return it->second.usedMs;
}

}  // namespace guard
