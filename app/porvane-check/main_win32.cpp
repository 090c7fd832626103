// PorvaneCheck.exe: the settings checker on Windows, a console program.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check/Cli.h"
#include "runtime/system/NativeFiles.h"
#include "runtime/system/win32/Arguments.h"
#include "settings/Keys.h"

int main() {
    const std::vector<std::string> args = runtime::win32::programArguments();
    ::SetConsoleOutputCP(CP_UTF8);
    check::CliResult result =
        check::runCli("PorvaneCheck", args, settings::iniFileIn(runtime::executableDirectory()));
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.status;
}
