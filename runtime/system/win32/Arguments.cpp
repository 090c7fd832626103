#include "runtime/system/win32/Arguments.h"

#include <windows.h>

#include <shellapi.h>

#include "runtime/system/win32/WideText.h"

namespace runtime::win32 {

std::vector<std::string> programArguments() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < argc; ++i) {
        args.push_back(narrow(argv[i]));
    }
    ::LocalFree(argv);
    return args;
}

}  // namespace runtime::win32
