#include "runtime/Services.h"

#include "runtime/Program.h"

namespace runtime {

std::string AppPath() {
    std::u8string dir = Program::current().backend().executableDirectory().u8string();
    while (dir.size() > 1 && (dir.back() == u8'/' || dir.back() == u8'\\')) {
        dir.pop_back();
    }
    return {dir.begin(), dir.end()};
}

double TwipsPerPixelX() {
    return Program::current().backend().twipsPerPixelX();
}

void MsgBox(std::string_view text, std::string_view title, MessageIcon icon) {
    Program::current().backend().messageBox(text, title, icon);
}

std::unique_ptr<StartedProgram> Shell(std::string_view commandLine, int windowStyle) {
    return Program::current().backend().startProgram(commandLine, windowStyle);
}

}  // namespace runtime
