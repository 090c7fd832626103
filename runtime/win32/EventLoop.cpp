// Timers, the hidden helper window that receives their ticks and the session-end messages, and
// the message loop.

#include <algorithm>

#include "runtime/win32/Window.h"

namespace runtime::win32 {
namespace {

constexpr wchar_t kHelperClass[] = L"PorvaneHidden";
// How long a session end may take to unload the forms before we let Windows go on.
constexpr DWORD kEndSessionBudgetMs = 10000;

}  // namespace

// ---- timers ---------------------------------------------------------------------------------

class Win32Backend::Timer : public NativeTimer {
  public:
    Timer(Win32Backend& backend, TimerEvents& events)
        : backend_(backend), events_(events), id_(backend.nextTimerId_++) {
        backend_.timers_[id_] = this;
    }
    ~Timer() override {
        stop();
        backend_.timers_.erase(id_);
    }
    void start(int intervalMs) override {
        // SetTimer on a running id restarts its interval.
        ::SetTimer(backend_.messageWindow(), id_, static_cast<UINT>(std::max(1, intervalMs)),
                   nullptr);
        running_ = true;
    }
    void stop() override {
        if (running_) {
            ::KillTimer(backend_.messageWindow(), id_);
            running_ = false;
        }
    }
    void tick() { events_.ticked(); }

  private:
    Win32Backend& backend_;
    TimerEvents& events_;
    UINT_PTR id_;
    bool running_ = false;
};

std::unique_ptr<NativeTimer> Win32Backend::createTimer(TimerEvents& events) {
    return std::make_unique<Timer>(*this, events);
}

// ---- the helper window ----------------------------------------------------------------------

void Win32Backend::createHelperWindow() {
    WNDCLASSEXW hc{};
    hc.cbSize = sizeof hc;
    hc.lpfnWndProc = &Win32Backend::helperProc;
    hc.hInstance = instance_;
    hc.lpszClassName = kHelperClass;
    helperClass_ = ScopedWindowClass(::RegisterClassExW(&hc), {instance_});
    if (!helperClass_ && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        fail("RegisterClassExW");
    }
    // A top-level window (not message-only): those alone receive WM_QUERYENDSESSION and
    // WM_ENDSESSION. It is never shown.
    helper_.reset(::CreateWindowExW(0, kHelperClass, L"Porvane", WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, instance_, this));
    if (!helper_) {
        fail("CreateWindowExW (hidden)");
    }
}

LRESULT CALLBACK Win32Backend::helperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Backend*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->onHelperMessage(hwnd, msg, wp, lp);
}

LRESULT Win32Backend::onHelperMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER: {
            auto it = timers_.find(wp);
            if (it != timers_.end()) {
                it->second->tick();
            }
            return 0;
        }
        case WM_CLOSE:
            // Asked from outside: `taskkill` without /f posts it to every top-level window of
            // the process. Left to DefWindowProc it would destroy this window, and with it the
            // timers and the notice it owns, leaving a program with no window and no way to
            // end. It ends the program in order instead, as SIGTERM does on Linux.
            endFromOutside();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp != FALSE && programEvents_ != nullptr) {
                // Windows ends the process once we return: unload the forms now, in order, and
                // let their steps run to the end.
                programEvents_->endRequested();
                pumpUntilQuit(kEndSessionBudgetMs);
            }
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32Backend::endFromOutside() {
    // Outside the loop nobody dispatches window messages, so there is always a program to ask.
    if (programEvents_ != nullptr) {
        programEvents_->endRequested();
    }
}

// ---- the message loop -----------------------------------------------------------------------

// Handles messages until the program quits (WM_QUIT, put back for the loop around us) or the
// budget is spent.
void Win32Backend::pumpUntilQuit(DWORD budgetMs) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < budgetMs) {
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Put it back for the outer loop.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            dispatch(msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
}

void Win32Backend::dispatch(MSG& msg) {
    if (msg.hwnd != nullptr) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        for (Window* window : windows_) {
            if (window->hwnd() == root) {
                if (::IsDialogMessageW(root, &msg)) {
                    // The dialog manager may have moved the focus (Tab, arrows) and reset the
                    // buttons' styles on the way: the focused button is the default one.
                    // (`window` may be gone if a click unloaded its form.)
                    for (Window* still : windows_) {
                        if (still->hwnd() == root) {
                            still->focusChanged();
                        }
                    }
                    return;
                }
                break;
            }
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

int Win32Backend::runEventLoop(ProgramEvents& events) {
    ProgramEvents* outer = programEvents_;
    programEvents_ = &events;
    ++loopDepth_;
    int status = 0;
    MSG msg;
    for (;;) {
        BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) {
            status = static_cast<int>(msg.wParam);
            break;
        }
        if (r == -1) {
            status = 1;
            break;
        }
        dispatch(msg);
    }
    --loopDepth_;
    programEvents_ = outer;
    return status;
}

void Win32Backend::quit(int status) {
    // Outside the loop (the program ended while starting), no WM_QUIT is left behind: it would
    // end the next modal loop, a message box's, at once.
    if (loopDepth_ > 0) {
        ::PostQuitMessage(status);
    }
}

}  // namespace runtime::win32
