#include "guard/Ctl.h"

#include <charconv>

#include "guard/Status.h"

#ifndef PORVANE_VERSION
#define PORVANE_VERSION "unknown"
#endif

namespace guard {
namespace {

std::string usage(const std::string& program) {
    return "Usage: " + program + " status [--json]\n" +         //
           "       " + program + " extend SESSION SECONDS\n" +  //
           "       " + program + " end SESSION\n" +
           "Shows the sessions the Porvane guard guards; extends (a negative number shortens)\n"
           "or ends one. Extending and ending are for the administrator.\n"
           "Exit status: 0 done, 1 refused or no such session, 2 bad usage or no guard.\n";
}

CtlResult bad(const std::string& program, const std::string& why) {
    return {2, {}, program + ": " + why + "\n" + usage(program)};
}

CtlResult answered(const std::string& program, const CtlAnswer& answer) {
    switch (answer.kind) {
        case CtlAnswer::Done:
            return {0, {}, {}};
        case CtlAnswer::Refused:
            return {1, {}, program + ": refused: " + answer.text + "\n"};
        case CtlAnswer::NoSuchSession:
            return {1, {}, program + ": no such session: " + answer.text + "\n"};
        case CtlAnswer::NoGuard:
            break;
    }
    return {2, {}, program + ": no guard is running: " + answer.text + "\n"};
}

}  // namespace

CtlResult runCtl(const std::string& program, const std::vector<std::string>& args, GuardLink& guard,
                 const policy::TimeZone& zone) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        return {0, usage(program), {}};
    }
    if (args.size() == 1 && args[0] == "--version") {
        return {0, program + " " + PORVANE_VERSION + "\n", {}};
    }
    if (args.empty()) {
        return bad(program, "what to do?");
    }
    const std::string& verb = args[0];
    if (verb == "status" && (args.size() == 1 || (args.size() == 2 && args[1] == "--json"))) {
        CtlAnswer answer = guard.status();
        if (answer.kind != CtlAnswer::Done) {
            return answered(program, answer);
        }
        auto rows = parseStatusJson(answer.text);
        if (!rows) {
            return {2, {}, program + ": the guard's answer is not its status\n"};
        }
        return {0, args.size() == 2 ? answer.text + "\n" : statusText(*rows, zone), {}};
    }
    if (verb == "extend" && args.size() == 3) {
        std::int64_t seconds = 0;
        const std::string& text = args[2];
        const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
        auto [end, ec] = std::from_chars(first, text.data() + text.size(), seconds);
        if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
            return bad(program, "SECONDS must be a whole number, such as 600 or -300");
        }
        return answered(program, guard.extend(args[1], seconds));
    }
    if (verb == "end" && args.size() == 2) {
        return answered(program, guard.end(args[1]));
    }
    return bad(program, "unknown command or wrong arguments: " + verb);
}

}  // namespace guard
