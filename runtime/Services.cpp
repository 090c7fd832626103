#include "runtime/Services.h"

#include "runtime/Error.h"
#include "runtime/Program.h"

namespace runtime {

std::string AppPath() {
    std::string dir = Program::current().backend().executableDirectory();
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) {
        dir.pop_back();
    }
    return dir;
}

double TwipsPerPixelX() {
    return Program::current().backend().twipsPerPixelX();
}

std::int64_t WallClockMs() {
    return Program::current().backend().wallClockMs();
}

std::int64_t MonotonicMs() {
    return Program::current().backend().monotonicMs();
}

std::int32_t UtcOffsetAt(std::int64_t utcSeconds) {
    return Program::current().backend().utcOffsetAt(utcSeconds);
}

void MsgBox(std::string_view text, std::string_view title, MessageIcon icon) {
    Program::current().backend().messageBox(text, title, icon);
}

void Log(std::string_view line) {
    Program::current().backend().log(line);
}

void LogOff() {
    std::string failure = Program::current().backend().logOff();
    if (!failure.empty()) {
        Log("the session is not logged off: " + failure);
    }
}

std::unique_ptr<IdleSource> CreateIdleSource() {
    return Program::current().backend().createIdleSource();
}

std::unique_ptr<Application> Shell(std::string_view commandLine, int windowStyle) {
    bool blank = commandLine.find_first_not_of(" \t") == std::string_view::npos;
    if (blank || windowStyle != kNormalFocus) {
        throw makeError(kInvalidProcedureCall);
    }
    return Program::current().backend().startApplication(commandLine, windowStyle);
}

}  // namespace runtime
