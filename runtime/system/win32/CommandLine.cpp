#include "runtime/system/CommandLine.h"

#include <windows.h>

#include "runtime/Error.h"
#include "runtime/system/win32/CommandLine.h"
#include "runtime/system/win32/WideText.h"

namespace runtime {
namespace win32 {

std::wstring_view programOf(std::wstring_view line) {
    std::size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return {};
    }
    line.remove_prefix(first);
    if (line.front() == L'"') {
        line.remove_prefix(1);
        return line.substr(0, line.find(L'"'));
    }
    return line.substr(0, line.find_first_of(L" \t"));
}

namespace {

// The file CreateProcess would find for this name (".exe" added when it has no extension),
// searching as it does: the executable's folder, the current folder, the system folders, PATH.
std::wstring search(const std::wstring& name) {
    DWORD size = ::SearchPathW(nullptr, name.c_str(), L".exe", 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring path(size, L'\0');
    DWORD n = ::SearchPathW(nullptr, name.c_str(), L".exe", size, path.data(), nullptr);
    path.resize(n < size ? n : 0);
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {};
    }
    return path;
}

bool isExecutableImage(const std::wstring& path) {
    char magic[2] = {};
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD read = 0;
    BOOL ok = ::ReadFile(file, magic, sizeof magic, &read, nullptr);
    ::CloseHandle(file);
    return ok && read == 2 && magic[0] == 'M' && magic[1] == 'Z';
}

}  // namespace
}  // namespace win32

ApplicationLookup lookUpApplication(std::string_view commandLine) {
    std::wstring line = win32::widen(commandLine);
    std::size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring::npos) {
        throw makeError(kInvalidProcedureCall);
    }
    std::wstring_view rest = std::wstring_view(line).substr(first);
    ApplicationLookup found;
    std::wstring_view arguments;
    if (rest.front() == L'"') {
        std::wstring_view program = win32::programOf(rest);
        found.program = win32::narrow(program);
        found.path = win32::narrow(win32::search(std::wstring(program)));
        std::size_t end = 1 + program.size() + 1;
        arguments = end < rest.size() ? rest.substr(end) : std::wstring_view();
    } else {
        // Unquoted, CreateProcess tries the line up to each blank in turn, so that
        // C:\Program Files\x.exe is found after C:\Program.exe is not.
        found.program = win32::narrow(win32::programOf(rest));
        for (std::size_t end = rest.find_first_of(L" \t");;
             end = rest.find_first_of(L" \t", end + 1)) {
            std::wstring candidate(rest.substr(0, end));
            std::wstring path = win32::search(candidate);
            if (!path.empty()) {
                found.program = win32::narrow(candidate);
                found.path = win32::narrow(path);
                arguments = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end);
                break;
            }
            if (end == std::wstring_view::npos) {
                break;
            }
        }
    }
    if (found.path.empty()) {
        throw makeError(kFileNotFound, found.program);
    }
    if (!win32::isExecutableImage(win32::widen(found.path))) {
        throw makeError(kPermissionDenied, found.program);
    }
    std::size_t start = arguments.find_first_not_of(L" \t");
    if (start != std::wstring_view::npos) {
        found.arguments.push_back(win32::narrow(arguments.substr(start)));
    }
    return found;
}

}  // namespace runtime
