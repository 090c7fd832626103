#pragma once
// The Windows backend: the platform table over plain Win32. Windows are ordinary top-level
// windows of a class of our own (not dialog templates), with BUTTON, STATIC and the platform's
// RichEdit (Msftedit.dll, RICHEDIT50W) as controls; keyboard navigation through
// IsDialogMessageW in the event loop. Timers and the session-end messages go to one hidden
// top-level window, which also owns the dialog-kind windows to keep them off the taskbar.

#include <windows.h>

#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "runtime/Backend.h"

namespace runtime::win32 {

HWND windowHandle(const NativeWindow& window);
HWND controlHandle(const NativeControl& control);

class Win32Backend : public Backend {
  public:
    // `instance` is the module whose resources (icon 1) the windows carry.
    explicit Win32Backend(HINSTANCE instance = ::GetModuleHandleW(nullptr));
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    std::string executableDirectory() override;
    double twipsPerPixelX() override;
    std::unique_ptr<NativeWindow> createWindow(const WindowSpec& params,
                                               WindowEvents& events) override;
    std::unique_ptr<NativeTimer> createTimer(TimerEvents& events) override;
    void messageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
    std::unique_ptr<StartedProgram> startProgram(std::string_view commandLine,
                                                 int windowStyle) override;
    int runEventLoop(ProgramEvents& events) override;
    void quit(int status) override;

    // The hidden top-level window that receives timer ticks and the session-end messages.
    HWND messageWindow() const { return hidden_; }
    // Handles one message the way the event loop does (keyboard navigation, then dispatch).
    void dispatch(MSG& msg);

  private:
    class Window;
    class Control;
    class TimerImpl;
    friend class Window;
    friend class TimerImpl;
    friend HWND windowHandle(const NativeWindow& window);
    friend HWND controlHandle(const NativeControl& control);

    static LRESULT CALLBACK hiddenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onHiddenMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void pumpUntilQuit();

    HINSTANCE instance_;
    HMODULE richEdit_ = nullptr;
    HFONT font_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    ATOM windowClass_ = 0;
    ATOM hiddenClass_ = 0;
    HWND hidden_ = nullptr;
    std::vector<Window*> windows_;
    std::map<UINT_PTR, TimerImpl*> timers_;
    UINT_PTR nextTimerId_ = 1;
    ProgramEvents* programEvents_ = nullptr;
    int loopDepth_ = 0;
    bool quitRequested_ = false;
    int quitStatus_ = 0;
};

// The native handles behind the backend's objects (for tests and diagnostics); null for
// objects of another backend.
HWND windowHandle(const NativeWindow& window);
HWND controlHandle(const NativeControl& control);

// The runtime error number for a CreateProcessW failure (53, 70 or 5).
int errorNumberForStartFailure(DWORD win32Error);

}  // namespace runtime::win32
