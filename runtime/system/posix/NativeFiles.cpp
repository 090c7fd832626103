#include "runtime/system/NativeFiles.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "runtime/Files.h"

namespace runtime {

std::FILE* openForReading(std::string_view utf8Path) {
    return std::fopen(std::string(utf8Path).c_str(), "rb");
}

bool isAbsolutePath(std::string_view utf8Path) {
    return utf8Path.starts_with('/');
}

char pathSeparator() {
    return '/';
}

std::string executableDirectory() {
    std::string buffer(PATH_MAX, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            break;
        }
        buffer.resize(buffer.size() * 2);  // cut short: try a bigger buffer
    }
    return folderOf(buffer);
}

}  // namespace runtime
