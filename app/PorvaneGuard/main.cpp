// PorvaneGuard.exe: the guard on Windows, a LocalSystem service (installed by the .msi). Run by
// hand it only answers --help and --version.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "guard/win32/Service.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"--version") == 0) {
        std::puts("PorvaneGuard " PORVANE_VERSION);
        return 0;
    }
    if (argc == 2 && std::wcscmp(argv[1], L"--help") == 0) {
        std::puts(
            "PorvaneGuard: the Porvane guard service. It runs as the Windows service\n"
            "PorvaneGuard, installed by the Porvane installer; PorvaneCtl.exe speaks to it.");
        return 0;
    }
    const int error = guard::win32::runService();
    if (error != 0) {
        std::fprintf(stderr,
                     "PorvaneGuard: not started as a service (error %d); it is started by the "
                     "service control manager (sc start PorvaneGuard)\n",
                     error);
        return 2;
    }
    return 0;
}
