// A tiny program for the process tests: writes its process id to the file named first on its
// command line, then writes a growing counter to the second file every 100 ms (a heartbeat that
// stops when the process ends), for at most the given milliseconds (default 120000), and exits
// with the given status (default 0).
//   helper.exe PIDFILE BEATFILE [LIFETIME_MS] [EXIT_STATUS]

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void writeFile(const std::wstring& path, const std::string& text) {
    // Written beside and renamed, so a reader never sees half a file.
    std::wstring part = path + L".part";
    if (FILE* f = _wfopen(part.c_str(), L"wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        ::MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) {
        return 2;
    }
    std::wstring pidFile = argv[1];
    std::wstring beatFile = argv[2];
    DWORD lifetime = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 120000;
    int status = argc > 4 ? static_cast<int>(std::wcstol(argv[4], nullptr, 10)) : 0;
    ::LocalFree(argv);

    writeFile(pidFile, std::to_string(::GetCurrentProcessId()));
    DWORD start = ::GetTickCount();
    unsigned long beat = 0;
    do {
        writeFile(beatFile, std::to_string(++beat));
        ::Sleep(100);
    } while (::GetTickCount() - start < lifetime);
    return status;
}
