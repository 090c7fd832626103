// PorvaneCtl.exe: porvanectl on Windows, a console program beside PorvaneCheck.exe, speaking to
// the guard's service over its pipe. The command line, its output and its exit statuses are the
// shared ones of guard/Ctl.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "guard/Ctl.h"
#include "guard/PipeMessage.h"
#include "guard/win32/GuardClient.h"
#include "runtime/system/win32/Arguments.h"
#include "runtime/system/win32/Clock.h"

namespace {

class PipeLink : public guard::GuardLink {
  public:
    guard::CtlAnswer status() override {
        guard::CtlAnswer answer = ask({guard::Verb::Status, {}, 0});
        if (answer.kind == guard::CtlAnswer::Done) {
            // "<length> <json>"
            const std::size_t blank = answer.text.find(' ');
            answer.text = blank == std::string::npos ? "" : answer.text.substr(blank + 1);
        }
        return answer;
    }
    guard::CtlAnswer extend(const std::string& session, std::int64_t seconds) override {
        return ask({guard::Verb::Extend, session, seconds});
    }
    guard::CtlAnswer end(const std::string& session) override {
        return ask({guard::Verb::End, session, 0});
    }

  private:
    guard::CtlAnswer ask(const guard::Request& request) {
        const std::string message = guard::formatRequest(request);
        if (!guard::parseRequest(message)) {
            // Nothing the pipe would carry: no session has such a name, no extension is so long.
            const guard::Request endIt{guard::Verb::End, request.session, 0};
            return !guard::parseRequest(guard::formatRequest(endIt))
                       ? guard::CtlAnswer{guard::CtlAnswer::NoSuchSession, request.session}
                       : guard::CtlAnswer{guard::CtlAnswer::Refused, "at most a year either way"};
        }
        if (!connected_ && !(connected_ = pipe_.connect())) {
            return {guard::CtlAnswer::NoGuard,
                    "the pipe \\\\.\\pipe\\PorvaneGuard does not answer"};
        }
        const auto reply = pipe_.ask(message);
        const auto parsed = reply ? guard::parseReply(*reply) : std::nullopt;
        if (!parsed) {
            return {guard::CtlAnswer::NoGuard, "the guard gave no answer"};
        }
        if (!parsed->error) {
            return {guard::CtlAnswer::Done, parsed->rest};
        }
        return *parsed->error == guard::ReplyError::NoSuchSession
                   ? guard::CtlAnswer{guard::CtlAnswer::NoSuchSession, request.session}
                   : guard::CtlAnswer{guard::CtlAnswer::Refused,
                                      "only Administrators (from an elevated prompt) may extend "
                                      "or end a session"};
    }

    guard::win32::GuardClient pipe_;
    bool connected_ = false;
};

}  // namespace

int main() {
    ::SetConsoleOutputCP(CP_UTF8);
    PipeLink link;
    const guard::CtlResult result = guard::runCtl(
        "PorvaneCtl", runtime::win32::programArguments(), link,
        [](std::int64_t utcSeconds) { return runtime::win32::localUtcOffsetAt(utcSeconds); });
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.status;
}
