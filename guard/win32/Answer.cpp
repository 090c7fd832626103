#include "guard/win32/Answer.h"

namespace guard::win32 {

Answered answer(Rules& rules, const Caller& caller, std::string_view message, std::int64_t nowMs) {
    const auto request = parseRequest(message);
    if (!request) {
        return {formatError(ReplyError::Refused)};
    }
    const auto done = [](std::optional<ReplyError> error) {
        return Answered{error ? formatError(*error) : formatOk()};
    };
    switch (request->verb) {
        case Verb::Hello:
            return {formatOk(formatHelloAnswer(rules.hello(caller.session, nowMs))), true};
        case Verb::Agreed:
            return {formatOk(formatAgreedAnswer(rules.agreed(caller.session, nowMs)))};
        case Verb::Ending:
            rules.ending(caller.session);
            return {formatOk()};
        case Verb::Status: {
            const std::string text = rules.status(caller, request->json, nowMs);
            // The payload's length first: the text may hold line breaks.
            return {formatOk(std::to_string(text.size()) + " " + text)};
        }
        case Verb::Extend:
            if (!caller.administrator) {
                return {formatError(ReplyError::Refused)};
            }
            return done(rules.extend(request->session, request->seconds, nowMs));
        case Verb::End:
            if (!caller.administrator) {
                return {formatError(ReplyError::Refused)};
            }
            return done(rules.end(request->session, nowMs));
    }
    return {formatError(ReplyError::Refused)};
}

}  // namespace guard::win32
