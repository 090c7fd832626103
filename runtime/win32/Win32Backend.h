#pragma once
// The Windows backend: the platform table over plain Win32. Windows are ordinary top-level
// windows of a class of our own (not dialog templates), with BUTTON, STATIC and the platform's
// RichEdit (Msftedit.dll, RICHEDIT50W) as controls; keyboard navigation through
// IsDialogMessageW in the event loop. Timers and the session-end messages go to one hidden
// top-level helper window, which also owns the dialog-kind windows to keep them off the taskbar.
//
// The concerns sit in their own files, named as in the Qt backend: Window.cpp (windows and
// controls; Window.h declares them), EventLoop.cpp (timers, the helper window and the message
// loop), Process.cpp (the started application, held by a job object), MessageBox.cpp,
// Accessibility.cpp (what screen readers are told), Idle.cpp (the session's idle time),
// Session.cpp (the log-off), Guard.cpp (the way to the guard); besides
// them RichText.cpp (the document view). What is not a window (UTF-16 text, files, command
// lines, the job object, the handle owners in Scoped.h) is in runtime/system/win32. This file's
// .cpp holds the resources they share.

#include <windows.h>

#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "runtime/Backend.h"
#include "runtime/system/win32/Scoped.h"

namespace runtime::win32 {

class Win32Backend : public Backend {
  public:
    // `instance` is the module whose resources (icon 1) the windows carry.
    explicit Win32Backend(HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    // Win32Backend.cpp
    std::string executableDirectory() override;
    double logicalDpiX() override;
    // The system clock, and the local time zone's rules as they apply at a moment.
    std::int64_t wallClockMs() override;
    std::int32_t utcOffsetAt(std::int64_t utcSeconds) override;
    std::unique_ptr<NativeWindow> createWindow(const WindowSpec& params,
                                               WindowEvents& events) override;
    // EventLoop.cpp
    std::unique_ptr<NativeTimer> createTimer(TimerEvents& events) override;
    int runEventLoop(ProgramEvents& events) override;
    void quit(int status) override;
    // MessageBox.cpp
    void messageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
    // Idle.cpp
    std::unique_ptr<IdleSource> createIdleSource() override;
    // Process.cpp
    std::unique_ptr<Application> startApplication(std::string_view commandLine,
                                                  int windowStyle) override;
    // Session.cpp
    std::string logOff() override;
    // Guard.cpp
    std::unique_ptr<GuardLink> connectGuard(GuardEvents& events) override;

    // The hidden top-level window that receives timer ticks and the session-end messages.
    HWND messageWindow() const { return helper_.get(); }
    // Handles one message the way the event loop does (keyboard navigation, then dispatch).
    void dispatch(MSG& msg);

  private:
    class Window;
    class Control;
    class Timer;
    friend class Window;
    friend class Timer;
    friend HWND windowHandle(const NativeWindow& window);
    friend HWND controlHandle(const NativeControl& control);

    void registerWindowClass();
    void createHelperWindow();
    static LRESULT CALLBACK helperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onHelperMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // An end asked for from outside (WM_CLOSE on a hidden window, a session end): every form
    // unloads and the destroy steps run, as SIGTERM does on Linux.
    void endFromOutside();
    void pumpUntilQuit(DWORD budgetMs);

    HINSTANCE instance_;
    // Declared in the order they are needed; released in reverse: the helper window first, the
    // RichEdit module last.
    ScopedModule richEdit_;
    ScopedFont ownFont_;
    HFONT font_ = nullptr;  // ownFont_, or the stock GUI font when none could be made
    // Loaded with LR_SHARED: the system owns them.
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    ScopedWindowClass windowClass_;
    ScopedWindowClass helperClass_;
    ScopedOwnWindow helper_;
    std::vector<Window*> windows_;
    std::map<UINT_PTR, Timer*> timers_;
    UINT_PTR nextTimerId_ = 1;
    ProgramEvents* programEvents_ = nullptr;
    int loopDepth_ = 0;
};

// The native handles behind the backend's objects (for tests and diagnostics); null for
// objects of another backend.
HWND windowHandle(const NativeWindow& window);
HWND controlHandle(const NativeControl& control);

// The runtime error number for a CreateProcessW failure (53, 70 or 5).
int startErrorNumber(DWORD win32Error);

// Throws the runtime's description of a failed Win32 call, with GetLastError's number.
[[noreturn]] void fail(const char* what);

}  // namespace runtime::win32
