#include "runtime/NativeFiles.h"

#include <string>

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

}  // namespace runtime
