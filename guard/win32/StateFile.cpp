#include "guard/win32/StateFile.h"

#include <windows.h>

#include <cstdio>

#include "runtime/system/win32/Scoped.h"
#include "runtime/system/win32/WideText.h"

namespace guard::win32 {

using runtime::win32::ScopedHandle;

std::optional<std::string> StateFile::load() {
    if (folder_.empty()) {
        return std::nullopt;  // no state folder: nothing kept
    }
    ScopedHandle file(CreateFileW(path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string();
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) ||
        size.QuadPart > static_cast<LONGLONG>(kMaxStateBytes)) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() &&
        (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr) ||
         got != text.size())) {
        return std::string();
    }
    return text;
}

bool StateFile::save(const std::string& text) {
    if (folder_.empty()) {
        return false;
    }
    const std::wstring fresh = path() + L".new";
    {
        ScopedHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file ||
            !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) ||
            written != text.size() || !FlushFileBuffers(file.get())) {
            return false;
        }
    }
    return MoveFileExW(fresh.c_str(), path().c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string StateFile::setAside() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t suffix[32];
    std::swprintf(suffix, 32, L".bad-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    const std::wstring aside = path() + suffix;
    MoveFileExW(path().c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING);
    return runtime::win32::narrow(aside);
}

}  // namespace guard::win32
