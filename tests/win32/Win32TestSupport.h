#pragma once
// Helpers of the Win32 tests: a temporary folder, pumping messages for a while, files beside
// the test executable.

#include <windows.h>

#include <functional>
#include <string>

namespace win32_test {

// A fresh folder under %TEMP%, removed with its files afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    // Writes the bytes and returns the file's full path.
    std::wstring write(const std::wstring& name, const std::string& bytes) const;

private:
    std::wstring path_;
};

// The folder of the running test executable, without a trailing separator.
std::wstring exeFolder();

// Dispatches messages until `done` says so or `timeoutMs` passed; returns `done()`.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Dispatches messages for this long.
void pumpFor(DWORD ms);

// The whole content of a file, or "" when it cannot be read.
std::string readFile(const std::wstring& path);

}  // namespace win32_test
