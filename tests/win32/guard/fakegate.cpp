// A stand-in for the gate on the guard's pipe, for the whole-program tests of PorvaneGuard.
//   fakegate gate OUT        "pid N" (its Windows process id), HELLO, AGREED, then every line the
//   guard writes, one per line of
//                            OUT; after ENDNOW it says ENDING and ends, as the gate does
//   fakegate hello OUT       the same without AGREED: a user who never agrees
//   fakegate send OUT WORDS  one message (anything, malformed included) and its reply
//   fakegate long OUT        a message longer than any request, and its reply
// OUT gets "no guard" when the pipe does not answer.
#include <windows.h>

#include <cstdio>
#include <string>

#include "guard/win32/GuardClient.h"

namespace {

void put(std::FILE* out, const std::string& line) {
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const std::string mode = argv[1];
    std::FILE* out = std::fopen(argv[2], "w");
    if (out == nullptr) {
        return 2;
    }
    guard::win32::GuardClient guardPipe;
    if (!guardPipe.connect()) {
        put(out, "no guard");
        return 1;
    }
    if (mode == "send" || mode == "long") {
        const std::string message =
            mode == "long" ? std::string(300, 'A') : (argc > 3 ? argv[3] : "");
        put(out, guardPipe.ask(message).value_or("(connection gone)"));
        return 0;
    }
    put(out, "pid " + std::to_string(GetCurrentProcessId()));
    put(out, guardPipe.ask("HELLO").value_or("(connection gone)"));
    // "hello": a gate whose user never agrees.
    if (mode != "hello") {
        put(out, guardPipe.ask("AGREED").value_or("(connection gone)"));
    }
    while (const auto line = guardPipe.receive()) {
        put(out, *line);
        if (*line == "ENDNOW") {
            put(out, guardPipe.ask("ENDING").value_or("(connection gone)"));
            return 0;
        }
    }
    return 0;
}
