// A tiny program for the process tests: writes its process id to the file named first on its
// command line, then writes a growing counter to the second file every 100 ms (a heartbeat that
// stops when the process ends), for at most the given milliseconds (default 120000), and exits
// with the given status (default 0).
//   helper.exe PIDFILE BEATFILE [LIFETIME_MS] [EXIT_STATUS]
// Or, for the whole-program tests, writes the text of the message box titled TITLE to OUTFILE
// (UTF-8), status 1 when there is no such box:
//   helper.exe --box-text TITLE OUTFILE
// Or watches the text of the first static control in Porvane's window titled TITLE, as a screen
// reader reads it, until the window goes: OUTFILE gets one line per text seen, "MS TEXT", and a
// last line "MS gone", MS counted from the start of the watch (status 1 when there is no such
// window within 30 s):
//   helper.exe --watch-text TITLE OUTFILE

#include <windows.h>
// After windows.h, which it needs.
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

std::string utf8(const std::wstring& wide) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

// A message box is a dialog whose text is the static control 0xFFFF.
int writeBoxText(const wchar_t* title, const std::wstring& outFile) {
    HWND box = ::FindWindowW(L"#32770", title);
    HWND text = box != nullptr ? ::GetDlgItem(box, 0xFFFF) : nullptr;
    if (text == nullptr) {
        return 1;
    }
    std::wstring buffer(static_cast<std::size_t>(::GetWindowTextLengthW(text)) + 1, L'\0');
    buffer.resize(static_cast<std::size_t>(
        ::GetWindowTextW(text, buffer.data(), static_cast<int>(buffer.size()))));
    writeFile(outFile, utf8(buffer));
    return 0;
}

BOOL CALLBACK takeStatic(HWND child, LPARAM out) {
    wchar_t cls[16];
    ::GetClassNameW(child, cls, 16);
    if (_wcsicmp(cls, L"Static") == 0) {
        *reinterpret_cast<HWND*>(out) = child;
        return FALSE;
    }
    return TRUE;
}

HWND firstStatic(HWND window) {
    HWND found = nullptr;
    ::EnumChildWindows(window, takeStatic, reinterpret_cast<LPARAM>(&found));
    return found;
}

int watchText(const wchar_t* title, const std::wstring& outFile) {
    ULONGLONG start = ::GetTickCount64();
    HWND window = nullptr;
    while ((window = ::FindWindowW(L"PorvaneWindow", title)) == nullptr ||
           !::IsWindowVisible(window)) {
        if (::GetTickCount64() - start > 30000) {
            return 1;
        }
        ::Sleep(10);
    }
    HWND text = firstStatic(window);
    std::string log;
    std::wstring last;
    while (::IsWindow(window) && ::IsWindowVisible(window)) {
        wchar_t buffer[64] = L"";
        ::SendMessageTimeoutW(text, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer),
                              SMTO_ABORTIFHUNG, 500, nullptr);
        if (last != buffer) {
            last = buffer;
            log += std::to_string(::GetTickCount64() - start) + " " + utf8(last) + "\n";
            writeFile(outFile, log);
        }
        ::Sleep(5);
    }
    log += std::to_string(::GetTickCount64() - start) + " gone\n";
    writeFile(outFile, log);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) {
        return 2;
    }
    if (std::wcscmp(argv[1], L"--watch-text") == 0) {
        int status = argc > 3 ? watchText(argv[2], argv[3]) : 2;
        ::LocalFree(argv);
        return status;
    }
    if (std::wcscmp(argv[1], L"--box-text") == 0) {
        int status = argc > 3 ? writeBoxText(argv[2], argv[3]) : 2;
        ::LocalFree(argv);
        return status;
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
