#pragma once
// UTF-8 inside, UTF-16 at the Win32 edge: the one place that turns one into the other, and the
// RAII holder for kernel handles.

#include <windows.h>

#include <string>
#include <string_view>

namespace runtime::win32 {

// UTF-8 to the platform's wide strings; a malformed sequence becomes U+FFFD.
std::wstring widen(std::string_view utf8);
// Wide strings to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view wide);

// Owns one kernel handle (a process, a thread) and closes it once.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(HANDLE handle = nullptr) {
        if (*this) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace runtime::win32
