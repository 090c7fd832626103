#pragma once
// RAII for the native resources the backend holds: each is released once, by its owner, on
// every path (an exception in a constructor included).

#include <windows.h>

#include <utility>

namespace runtime::win32 {

// Owns one value of a native resource type and releases it through `Release` once.
// `Release` says which values hold nothing (`empty`) and frees the others (call operator); it may
// carry what the freeing needs besides the value (the module of a window class, say).
template <typename T, typename Release>
class Scoped {
  public:
    Scoped() = default;
    explicit Scoped(T value, Release release = {}) : value_(value), release_(std::move(release)) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : value_(other.release()), release_(other.release_) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            release_ = other.release_;
        }
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return !Release::empty(value_); }
    // Gives the value up without freeing it.
    T release() { return std::exchange(value_, T{}); }
    void reset(T value = T{}) {
        if (*this) {
            release_(value_);
        }
        value_ = value;
    }

  private:
    T value_{};
    Release release_{};
};

struct CloseKernelHandle {
    static bool empty(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};

struct DeleteGdiObject {
    static bool empty(HGDIOBJ o) { return o == nullptr; }
    void operator()(HGDIOBJ o) const { ::DeleteObject(o); }
};

struct FreeModule {
    static bool empty(HMODULE m) { return m == nullptr; }
    void operator()(HMODULE m) const { ::FreeLibrary(m); }
};

struct ReleaseScreenDc {
    static bool empty(HDC dc) { return dc == nullptr; }
    void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};

struct UnregisterWindowClass {
    HINSTANCE instance = nullptr;
    static bool empty(ATOM atom) { return atom == 0; }
    void operator()(ATOM atom) const { ::UnregisterClassW(MAKEINTATOM(atom), instance); }
};

struct DestroyNativeWindow {
    static bool empty(HWND hwnd) { return hwnd == nullptr; }
    void operator()(HWND hwnd) const { ::DestroyWindow(hwnd); }
};

// A window of one of our own classes finds its object through GWLP_USERDATA; the link is cut
// first, so no message of the destruction reaches an object that is going away.
struct DetachAndDestroyWindow {
    static bool empty(HWND hwnd) { return hwnd == nullptr; }
    void operator()(HWND hwnd) const {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
};

// A kernel handle (a process, a thread).
using ScopedHandle = Scoped<HANDLE, CloseKernelHandle>;
using ScopedFont = Scoped<HFONT, DeleteGdiObject>;
using ScopedModule = Scoped<HMODULE, FreeModule>;
// The whole screen's device context, from GetDC(nullptr).
using ScopedScreenDc = Scoped<HDC, ReleaseScreenDc>;
using ScopedWindowClass = Scoped<ATOM, UnregisterWindowClass>;
// A control (a child window of a system class).
using ScopedWindow = Scoped<HWND, DestroyNativeWindow>;
// A window of one of our own classes.
using ScopedOwnWindow = Scoped<HWND, DetachAndDestroyWindow>;

}  // namespace runtime::win32
