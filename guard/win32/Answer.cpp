#include "guard/win32/Answer.h"

#include "guard/PipeMessage.h"

namespace guard::win32 {

namespace {

Answered refused(std::string why, ReplyError error = ReplyError::Refused) {
    return {formatError(error), std::move(why)};
}

template <class T>
const Refusal* refusalIn(const Result<T>& result) {
    return std::get_if<Refusal>(&result);
}

Answered replyTo(const Refusal& refusal) {
    return refused(refusal.why,
                   refusal.noSuchSession ? ReplyError::NoSuchSession : ReplyError::Refused);
}

}  // namespace

Answered answer(Guard& rules, const PipeCaller& who, std::string_view message, Moment now) {
    const auto request = parseRequest(message);
    if (!request) {
        return refused("a malformed message");
    }
    switch (request->verb) {
        case Verb::Hello: {
            const auto result = rules.hello(who.caller, now);
            if (const Refusal* refusal = refusalIn(result)) {
                return replyTo(*refusal);
            }
            const auto& hello = std::get<HelloAnswer>(result);
            return {formatOk(formatHelloReply({hello.guarded, hello.session})), {}};
        }
        case Verb::Agreed: {
            const auto result = rules.agreed(who.caller, now);
            if (const Refusal* refusal = refusalIn(result)) {
                return replyTo(*refusal);
            }
            const auto& agreed = std::get<AgreedAnswer>(result);
            const auto left =
                agreed.secondsLeft < 0 ? std::nullopt : std::optional(agreed.secondsLeft);
            return {formatOk(formatAgreedReply({left, agreed.message})), {}};
        }
        case Verb::Ending: {
            const auto result = rules.ending(who.caller, now);
            if (const Refusal* refusal = refusalIn(result)) {
                return replyTo(*refusal);
            }
            return {formatOk(), {}};
        }
        case Verb::Status: {
            const std::string json = statusJson(
                rules.status(who.administrator ? std::nullopt : std::optional(who.uid), now));
            // The length first: the text is the rest of the message, whatever it holds.
            return {formatOk(std::to_string(json.size()) + " " + json), {}};
        }
        case Verb::Extend:
        case Verb::End: {
            if (!who.administrator) {
                return refused("only Administrators may extend or end a session");
            }
            const auto result = request->verb == Verb::Extend
                                    ? rules.extend(request->session, request->seconds, now)
                                    : rules.end(request->session, now);
            if (const Refusal* refusal = refusalIn(result)) {
                return replyTo(*refusal);
            }
            return {formatOk(), {}};
        }
    }
    return refused("a malformed message");
}

}  // namespace guard::win32
