#include "runtime/system/NativeFiles.h"

#include <windows.h>

#include <cwchar>
#include <stdexcept>
#include <string>

#include "runtime/Files.h"
#include "runtime/system/win32/WideText.h"

namespace runtime {

std::FILE* openForReading(std::string_view utf8Path) {
    // The wide call: the narrow one would read the path in the ANSI code page.
    return _wfopen(win32::widen(utf8Path).c_str(), L"rb");
}

bool isAbsolutePath(std::string_view p) {
    auto isSlash = [](char c) { return c == '\\' || c == '/'; };
    // "\\server\share", "\folder" (the current drive's root) and "C:\folder" all name one place.
    if (!p.empty() && isSlash(p[0])) {
        return true;
    }
    return p.size() >= 3 && p[1] == ':' && isSlash(p[2]);
}

char pathSeparator() {
    return '\\';
}

std::string executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            throw std::runtime_error("GetModuleFileNameW failed (error " +
                                     std::to_string(::GetLastError()) + ")");
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return folderOf(win32::narrow(buffer));
}

}  // namespace runtime
