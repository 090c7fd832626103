#include "guard/PipeMessage.h"

#include <array>
#include <utility>

namespace guard {

namespace {

constexpr std::array<std::pair<std::string_view, Verb>, 6> kVerbs{{
    {"HELLO", Verb::Hello},
    {"AGREED", Verb::Agreed},
    {"ENDING", Verb::Ending},
    {"STATUS", Verb::Status},
    {"EXTEND", Verb::Extend},
    {"END", Verb::End},
}};

std::string_view verbWord(Verb verb) {
    for (const auto& [word, v] : kVerbs) {
        if (v == verb) {
            return word;
        }
    }
    return {};
}

bool isSessionChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool isSessionName(std::string_view name) {
    if (name.empty() || name.size() > kMaxSessionName) {
        return false;
    }
    for (char c : name) {
        if (!isSessionChar(c)) {
            return false;
        }
    }
    return true;
}

// The blank-separated words of a line made of printable ASCII only, with single blanks between
// words and none at either end; none otherwise. At most `most` words.
std::optional<std::array<std::string_view, 3>> words(std::string_view line, std::size_t& count) {
    std::array<std::string_view, 3> out{};
    count = 0;
    if (line.empty() || line.front() == ' ' || line.back() == ' ') {
        return std::nullopt;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size()) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            if (c < 0x20 || c > 0x7e) {
                return std::nullopt;
            }
            if (c != ' ') {
                continue;
            }
        }
        if (i == start || count == out.size()) {
            return std::nullopt;  // two blanks in a row, or too many words
        }
        out[count++] = line.substr(start, i - start);
        start = i + 1;
    }
    return out;
}

}  // namespace

std::optional<std::int64_t> parseDecimal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    // One way to write each number: no leading zero, no "-0".
    if (digits.empty() || digits.size() > 18 || (digits.size() > 1 && digits[0] == '0') ||
        (negative && digits == "0")) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<Request> parseRequest(std::string_view message) {
    if (message.size() > kMaxRequest) {
        return std::nullopt;
    }
    std::size_t count = 0;
    const auto parts = words(message, count);
    if (!parts) {
        return std::nullopt;
    }
    Request request;
    bool known = false;
    for (const auto& [word, verb] : kVerbs) {
        if ((*parts)[0] == word) {
            request.verb = verb;
            known = true;
        }
    }
    if (!known) {
        return std::nullopt;
    }
    switch (request.verb) {
        case Verb::Hello:
        case Verb::Agreed:
        case Verb::Ending:
        case Verb::Status:
            return count == 1 ? std::optional(request) : std::nullopt;
        case Verb::End:
            if (count != 2 || !isSessionName((*parts)[1])) {
                return std::nullopt;
            }
            request.session = (*parts)[1];
            return request;
        case Verb::Extend: {
            if (count != 3 || !isSessionName((*parts)[1])) {
                return std::nullopt;
            }
            const auto seconds = parseDecimal((*parts)[2]);
            if (!seconds || *seconds > kMaxExtendSeconds || *seconds < -kMaxExtendSeconds) {
                return std::nullopt;
            }
            request.session = (*parts)[1];
            request.seconds = *seconds;
            return request;
        }
    }
    return std::nullopt;
}

std::string formatRequest(const Request& request) {
    std::string line(verbWord(request.verb));
    switch (request.verb) {
        case Verb::End:
            line += " " + request.session;
            break;
        case Verb::Extend:
            line += " " + request.session + " " + std::to_string(request.seconds);
            break;
        default:
            break;
    }
    return line;
}

std::optional<GateNotice> parseGateNotice(std::string_view message) {
    if (message == kEndNow) {
        return GateNotice{true, std::nullopt};
    }
    constexpr std::string_view kChanged = "ENDCHANGED ";
    if (message.substr(0, kChanged.size()) != kChanged) {
        return std::nullopt;
    }
    const auto seconds = parseDecimal(message.substr(kChanged.size()));
    if (!seconds || *seconds < -1) {
        return std::nullopt;
    }
    return GateNotice{false, *seconds < 0 ? std::nullopt : seconds};
}

std::string formatEndChanged(std::optional<std::int64_t> secondsLeft) {
    return "ENDCHANGED " + std::to_string(secondsLeft ? *secondsLeft : -1);
}

std::optional<Reply> parseReply(std::string_view message) {
    if (message == "OK") {
        return Reply{};
    }
    if (message.substr(0, 3) == "OK ") {
        return Reply{std::nullopt, std::string(message.substr(3))};
    }
    if (message == "ERR REFUSED") {
        return Reply{ReplyError::Refused, {}};
    }
    if (message == "ERR NOSUCHSESSION") {
        return Reply{ReplyError::NoSuchSession, {}};
    }
    return std::nullopt;
}

std::string formatOk(std::string_view rest) {
    return rest.empty() ? std::string("OK") : "OK " + std::string(rest);
}

std::string formatError(ReplyError error) {
    return error == ReplyError::Refused ? "ERR REFUSED" : "ERR NOSUCHSESSION";
}

std::string formatHelloReply(const HelloReply& answer) {
    return answer.guarded ? "GUARDED " + answer.session : std::string("UNGUARDED");
}

std::optional<HelloReply> parseHelloReply(std::string_view rest) {
    if (rest == "UNGUARDED") {
        return HelloReply{};
    }
    constexpr std::string_view kGuarded = "GUARDED ";
    if (rest.substr(0, kGuarded.size()) == kGuarded &&
        isSessionName(rest.substr(kGuarded.size()))) {
        return HelloReply{true, std::string(rest.substr(kGuarded.size()))};
    }
    return std::nullopt;
}

std::string formatAgreedReply(const AgreedReply& answer) {
    std::string line = std::to_string(answer.secondsLeft ? *answer.secondsLeft : -1);
    const std::string message = oneLine(answer.message);
    return message.empty() ? line : line + " " + message;
}

std::optional<AgreedReply> parseAgreedReply(std::string_view rest) {
    const std::size_t blank = rest.find(' ');
    const auto seconds = parseDecimal(rest.substr(0, blank));
    if (!seconds || *seconds < -1) {
        return std::nullopt;
    }
    AgreedReply answer;
    if (*seconds >= 0) {
        answer.secondsLeft = *seconds;
    }
    if (blank != std::string_view::npos) {
        answer.message = std::string(rest.substr(blank + 1));
    }
    return answer;
}

std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = ' ';
        }
    }
    return out;
}

}  // namespace guard
