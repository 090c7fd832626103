#include "guard/Status.h"

#include "policy/TimeText.h"
#include "text/Json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace guard {
namespace {

void appendString(std::string& out, std::string_view text) {
    out += text::jsonString(text);
}

void appendNumber(std::string& out, const std::optional<std::int64_t>& value) {
    out += value ? std::to_string(*value) : "null";
}

// A reader of just the JSON statusJson writes: an object of one array of flat objects whose
// values are strings, whole numbers or null.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool take(char c) {
        blanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool atEnd() {
        blanks();
        return pos_ == text_.size();
    }
    std::optional<std::string> string() {
        if (!take('"')) {
            return std::nullopt;
        }
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return out;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                return std::nullopt;
            }
            const char e = text_[pos_++];
            if (e == '"' || e == '\\' || e == '/') {
                out += e;
            } else if (e == 'n' || e == 'r' || e == 't') {
                out += e == 'n' ? '\n' : e == 'r' ? '\r' : '\t';
            } else if (e == 'u' && pos_ + 4 <= text_.size()) {
                unsigned code = 0;
                auto [end, ec] =
                    std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
                if (ec != std::errc{} || end != text_.data() + pos_ + 4 || code >= 0x80) {
                    return std::nullopt;  // only control characters are escaped so
                }
                out += static_cast<char>(code);
                pos_ += 4;
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    // A whole number, or none for null; false for anything else.
    bool number(std::optional<std::int64_t>& value) {
        blanks();
        if (text_.substr(pos_).starts_with("null")) {
            pos_ += 4;
            value.reset();
            return true;
        }
        std::int64_t n = 0;
        auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + text_.size(), n);
        if (ec != std::errc{}) {
            return false;
        }
        pos_ = static_cast<std::size_t>(end - text_.data());
        value = n;
        return true;
    }

  private:
    void blanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool readRow(Reader& in, StatusRow& row) {
    if (!in.take('{')) {
        return false;
    }
    unsigned seen = 0;
    do {
        auto name = in.string();
        if (!name || !in.take(':')) {
            return false;
        }
        static constexpr std::array<std::string_view, 7> kNames = {
            "id", "user", "uid", "state", "agreedAt", "secondsLeft", "usedTodaySeconds"};
        const auto at = std::find(kNames.begin(), kNames.end(), *name);
        if (at == kNames.end()) {
            return false;
        }
        const unsigned bit = 1u << (at - kNames.begin());
        if (seen & bit) {
            return false;
        }
        seen |= bit;
        if (*name == "id" || *name == "user" || *name == "state") {
            auto value = in.string();
            if (!value) {
                return false;
            }
            (*name == "id" ? row.id : *name == "user" ? row.user : row.state) = *value;
            continue;
        }
        std::optional<std::int64_t> value;
        if (!in.number(value)) {
            return false;
        }
        if (*name == "uid") {
            if (!value || *value < 0 || *value > 0xFFFFFFFF) {
                return false;
            }
            row.uid = static_cast<std::uint32_t>(*value);
        } else if (*name == "agreedAt") {
            row.agreedAt = value;
        } else if (*name == "secondsLeft") {
            row.secondsLeft = value;
        } else {
            row.usedTodaySeconds = value.value_or(0);
        }
    } while (in.take(','));
    return in.take('}') && seen == 0x7F;
}

// Seconds as the countdown shows them, - for none.
std::string duration(const std::optional<std::int64_t>& seconds) {
    return seconds ? policy::formatTimeLeft(*seconds) : "-";
}

std::string clockTime(const std::optional<std::int64_t>& unixSeconds,
                      const policy::TimeZone& zone) {
    if (!unixSeconds) {
        return "-";
    }
    std::int64_t local = (*unixSeconds + zone(*unixSeconds)) % 86400;
    if (local < 0) {
        local += 86400;
    }
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(local / 3600),
                  static_cast<int>(local / 60 % 60));
    return text;
}

}  // namespace

std::string statusJson(const std::vector<StatusRow>& rows) {
    std::string out = "{\"sessions\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const StatusRow& r = rows[i];
        out += i ? ", {\"id\": " : "{\"id\": ";
        appendString(out, r.id);
        out += ", \"user\": ";
        appendString(out, r.user);
        out += ", \"uid\": " + std::to_string(r.uid) + ", \"state\": ";
        appendString(out, r.state);
        out += ", \"agreedAt\": ";
        appendNumber(out, r.agreedAt);
        out += ", \"secondsLeft\": ";
        appendNumber(out, r.secondsLeft);
        out += ", \"usedTodaySeconds\": " + std::to_string(r.usedTodaySeconds) + "}";
    }
    return out + "]}";
}

std::optional<std::vector<StatusRow>> parseStatusJson(std::string_view json) {
    Reader in(json);
    std::vector<StatusRow> rows;
    if (!in.take('{') || in.string() != "sessions" || !in.take(':') || !in.take('[')) {
        return std::nullopt;
    }
    if (!in.take(']')) {
        do {
            StatusRow row;
            if (!readRow(in, row)) {
                return std::nullopt;
            }
            rows.push_back(std::move(row));
        } while (in.take(','));
        if (!in.take(']')) {
            return std::nullopt;
        }
    }
    if (!in.take('}') || !in.atEnd()) {
        return std::nullopt;
    }
    return rows;
}

std::string statusText(const std::vector<StatusRow>& rows, const policy::TimeZone& zone) {
    std::vector<std::array<std::string, 6>> lines = {
        {"SESSION", "USER", "STATE", "AGREED", "LEFT", "USED"}};
    for (const StatusRow& r : rows) {
        lines.push_back({r.id, r.user, r.state, clockTime(r.agreedAt, zone),
                         duration(r.secondsLeft), duration(r.usedTodaySeconds)});
    }
    std::array<std::size_t, 6> width{};
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < 6; ++c) {
            width[c] = std::max(width[c], line[c].size());
        }
    }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < 6; ++c) {
            text += line[c];
            if (c < 5) {
                text.append(width[c] - line[c].size() + 2, ' ');
            }
        }
        out += text + "\n";
    }
    return out;
}

}  // namespace guard
