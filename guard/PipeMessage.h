#pragma once
// The words spoken on the Windows guard's pipe. Each message is one pipe message holding one
// line of ASCII words separated by single blanks; a request is at most kMaxRequest bytes. The
// guard runs as LocalSystem and reads these from any interactive user, so the parser takes
// exactly the forms below and nothing else: no leading or trailing blank, no control byte, no
// lower-case verb, a session name of letters, digits, '-' and '_', seconds as plain decimal.
//
//   from the gate:  HELLO | AGREED | ENDING        (about the caller's own session only)
//   from anyone:    STATUS                        (answered with the status JSON)
//   administrators: EXTEND <session> <seconds> | END <session>
//
//   replies:        OK ... | ERR REFUSED | ERR NOSUCHSESSION
//   to the gate:    ENDCHANGED <seconds> | ENDNOW  (written on the gate's open connection)

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace guard {

inline constexpr std::size_t kMaxRequest = 256;
inline constexpr std::size_t kMaxSessionName = 32;
// Extensions are bounded to a year either way: anything larger is a mistake, not a wish.
inline constexpr std::int64_t kMaxExtendSeconds = 366LL * 24 * 3600;

enum class Verb { Hello, Agreed, Ending, Status, Extend, End };

struct Request {
    Verb verb = Verb::Hello;
    std::string session;       // EXTEND and END
    std::int64_t seconds = 0;  // EXTEND
    bool operator==(const Request&) const = default;
};

// The request in `message`, or none when it is not exactly one of the forms above.
std::optional<Request> parseRequest(std::string_view message);
// The message that parseRequest reads back as `request`.
std::string formatRequest(const Request& request);

// What the guard writes to a gate on its own, between replies.
struct GateNotice {
    bool endNow = false;                      // ENDNOW
    std::optional<std::int64_t> secondsLeft;  // ENDCHANGED <seconds>; -1 reads as none
};
// ENDCHANGED or ENDNOW; none for anything else (a reply).
std::optional<GateNotice> parseGateNotice(std::string_view message);
std::string formatEndChanged(std::optional<std::int64_t> secondsLeft);
inline constexpr std::string_view kEndNow = "ENDNOW";

// A reply: "OK" with the rest of the line, or an error.
enum class ReplyError { Refused, NoSuchSession };
struct Reply {
    std::optional<ReplyError> error;  // none: OK
    std::string rest;                 // what follows "OK " (may be empty)
};
// The reply in `message`; none when it is neither an OK nor a known ERR line.
std::optional<Reply> parseReply(std::string_view message);
std::string formatOk(std::string_view rest = {});
std::string formatError(ReplyError error);

// HELLO's answer: "OK GUARDED <session>" or "OK UNGUARDED".
struct HelloReply {
    bool guarded = false;
    std::string session;
};
std::string formatHelloReply(const HelloReply& answer);
std::optional<HelloReply> parseHelloReply(std::string_view rest);

// AGREED's answer: "OK <secondsLeft> <message>", -1 for no end; the message may be empty.
struct AgreedReply {
    std::optional<std::int64_t> secondsLeft;
    std::string message;
};
std::string formatAgreedReply(const AgreedReply& answer);
std::optional<AgreedReply> parseAgreedReply(std::string_view rest);

// Any text made fit for one line of a reply: line breaks and other control characters become
// blanks.
std::string oneLine(std::string_view text);

// A whole decimal number written the one way: optional '-' then at most 18 digits, no leading
// zero, no "-0"; none for anything else.
std::optional<std::int64_t> parseDecimal(std::string_view text);

}  // namespace guard
