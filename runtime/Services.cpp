#include "runtime/Services.h"

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

void MsgBox(std::string_view text, std::string_view title, MessageIcon icon) {
    Program::current().backend().messageBox(text, title, icon);
}

void Log(std::string_view line) {
    Program::current().backend().log(line);
}

std::unique_ptr<StartedProgram> Shell(std::string_view commandLine, int windowStyle) {
    return Program::current().backend().startProgram(commandLine, windowStyle);
}

}  // namespace runtime
