#pragma once
// The few file services that differ between systems, one implementation per system
// (runtime/system/posix/NativeFiles.cpp, runtime/system/win32/NativeFiles.cpp). Paths are UTF-8.

#include <cstdio>
#include <string>
#include <string_view>

namespace runtime {

// Opens the file for reading bytes; null with errno set when it cannot be opened.
std::FILE* openForReading(std::string_view utf8Path);

// True when the path names the same file from any current folder.
bool isAbsolutePath(std::string_view utf8Path);

// The separator between a folder and a name.
char pathSeparator();

// The running executable's folder, without a trailing separator. POSIX: from /proc/self/exe,
// empty when it cannot be read; Windows: throws std::runtime_error when the system cannot say.
std::string executableDirectory();

}  // namespace runtime
