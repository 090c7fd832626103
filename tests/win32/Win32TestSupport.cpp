#include "Win32TestSupport.h"

#include <cstdio>
#include <memory>

namespace win32_test {

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"porvane-w32-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(path_.c_str(), nullptr)) {
            break;
        }
    }
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((path_ + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") {
                ::DeleteFileW((path_ + L"\\" + name).c_str());
            }
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(path_.c_str());
}

std::wstring TempFolder::write(const std::wstring& name, const std::string& bytes) const {
    std::wstring file = path_ + L"\\" + name;
    std::unique_ptr<FILE, int (*)(FILE*)> f(_wfopen(file.c_str(), L"wb"), &fclose);
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f.get());
    }
    return file;
}

std::wstring exeFolder() {
    wchar_t buf[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= timeoutMs) {
            return done();
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

std::string readFile(const std::wstring& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(_wfopen(path.c_str(), L"rb"), &fclose);
    if (!f) {
        return {};
    }
    std::string s;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, f.get())) > 0) {
        s.append(buf, n);
    }
    return s;
}

}  // namespace win32_test
