// PorvaneCtl.exe: the administrator's word to the guard on Windows, a console program beside
// PorvaneCheck.exe. status [--json] | extend SESSION SECONDS | end SESSION. Exit 0 done, 1
// refused or no such session, 2 bad usage or no guard running.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "guard/PipeMessage.h"
#include "guard/Status.h"
#include "guard/win32/GuardClient.h"
#include "runtime/system/win32/Clock.h"
#include "runtime/system/win32/Arguments.h"

namespace {

constexpr char kUsage[] =
    "usage: PorvaneCtl status [--json]\n"
    "       PorvaneCtl extend SESSION SECONDS   (a negative number shortens)\n"
    "       PorvaneCtl end SESSION\n";

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "PorvaneCtl: %s\n", message.c_str());
    return status;
}

// The request the arguments ask for, checked by the same parser as the guard's; none for bad
// usage.
std::optional<guard::Request> requestOf(const std::vector<std::string>& args) {
    std::string line;
    if (args.size() == 1 && args[0] == "status") {
        line = "STATUS";
    } else if (args.size() == 2 && args[0] == "status" && args[1] == "--json") {
        line = "STATUS";
    } else if (args.size() == 3 && args[0] == "extend") {
        line = "EXTEND " + args[1] + " " + args[2];
    } else if (args.size() == 2 && args[0] == "end") {
        line = "END " + args[1];
    } else {
        return std::nullopt;
    }
    return guard::parseRequest(line);
}

}  // namespace

int main() {
    const std::vector<std::string> args = runtime::win32::programArguments();
    ::SetConsoleOutputCP(CP_UTF8);

    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("PorvaneCtl " PORVANE_VERSION);
        return 0;
    }
    const auto request = requestOf(args);
    if (!request) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    guard::win32::GuardClient guardPipe;
    if (!guardPipe.connect()) {
        return fail(2, "no guard is running (the pipe \\\\.\\pipe\\PorvaneGuard does not answer)");
    }
    const auto message = guardPipe.ask(guard::formatRequest(*request));
    const auto reply = message ? guard::parseReply(*message) : std::nullopt;
    if (!reply) {
        return fail(2, "the guard gave no answer");
    }
    if (reply->error) {
        return fail(1, *reply->error == guard::ReplyError::Refused
                           ? "refused (only Administrators may extend or end a session)"
                           : "no such session: " + request->session);
    }
    if (request->verb == guard::Verb::Status) {
        // "<length> <json>"
        const std::size_t blank = reply->rest.find(' ');
        const std::string json = blank == std::string::npos ? "" : reply->rest.substr(blank + 1);
        const auto rows = guard::parseStatusJson(json);
        if (!rows) {
            return fail(2, "the guard's status could not be read");
        }
        const std::string text = args.size() == 2
                                     ? json + (json.empty() || json.back() != '\n' ? "\n" : "")
                                     : guard::statusText(*rows, [](std::int64_t utcSeconds) {
                                           return runtime::win32::localUtcOffsetAt(utcSeconds);
                                       });
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return 0;
}
