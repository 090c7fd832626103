// PorvaneCheck.exe: the settings checker on Windows, a console program.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check/Cli.h"
#include "runtime/system/NativeFiles.h"
#include "runtime/system/win32/WideText.h"
#include "settings/Keys.h"

int main() {
    // The arguments in UTF-16, so that any file name arrives whole.
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        args.push_back(runtime::win32::narrow(argv[i]));
    }
    ::LocalFree(argv);
    ::SetConsoleOutputCP(CP_UTF8);
    check::CliResult result =
        check::runCli("PorvaneCheck", args, settings::iniFileIn(runtime::executableDirectory()));
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.status;
}
