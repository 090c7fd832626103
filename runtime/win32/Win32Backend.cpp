#include "runtime/win32/Win32Backend.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "runtime/Error.h"
#include "runtime/win32/WideText.h"
#include "text/Decode.h"

namespace runtime::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"PorvaneWindow";
constexpr wchar_t kHiddenClass[] = L"PorvaneHidden";
// Native control ids are the runtime's ids plus this base, so IDOK and IDCANCEL (1 and 2), which
// IsDialogMessageW sends for Enter and Escape when no default button has the focus, never reach
// a control.
constexpr int kControlIdBase = 1000;
// Icon resource id of the executable (resources/porvane.rc).
constexpr int kIconId = 1;
// How long a session end may take to unload the forms before we let Windows go on.
constexpr DWORD kEndSessionBudgetMs = 10000;

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + " failed (error " +
                             std::to_string(::GetLastError()) + ")");
}

// EM_STREAMIN reads from a byte buffer.
struct StreamSource {
    const char* data;
    std::size_t size;
    std::size_t pos = 0;
};

DWORD CALLBACK streamIn(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* src = reinterpret_cast<StreamSource*>(cookie);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(wanted), src->size - src->pos);
    std::memcpy(buffer, src->data + src->pos, n);
    src->pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

int showCommandFor(int windowStyle) {
    // The forms runtime's window styles for a started program.
    switch (windowStyle) {
        case 0:
            return SW_HIDE;
        case 1:
            return SW_SHOWNORMAL;
        case 2:
            return SW_SHOWMINIMIZED;
        case 3:
            return SW_SHOWMAXIMIZED;
        case 4:
            return SW_SHOWNOACTIVATE;
        case 6:
            return SW_SHOWMINNOACTIVE;
        default:
            throw makeError(kInvalidProcedureCall);
    }
}

UINT systemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
        auto fn = reinterpret_cast<GetDpiForSystemFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForSystem")));
        if (fn != nullptr) {
            if (UINT dpi = fn(); dpi > 0) {
                return dpi;
            }
        }
    }
    UINT dpi = 96;
    if (HDC dc = ::GetDC(nullptr)) {
        int caps = ::GetDeviceCaps(dc, LOGPIXELSX);
        if (caps > 0) {
            dpi = static_cast<UINT>(caps);
        }
        ::ReleaseDC(nullptr, dc);
    }
    return dpi;
}

}  // namespace

int errorNumberForStartFailure(DWORD win32Error) {
    switch (win32Error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return kFileNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_EXE_FORMAT:
        case ERROR_EXE_MACHINE_TYPE_MISMATCH:
            return kPermissionDenied;
        default:
            return kInvalidProcedureCall;
    }
}

// ---- windows and controls -------------------------------------------------------------------

class Win32Backend::Control : public NativeControl {
  public:
    Control(Window& window, HWND hwnd, ControlKind kind, int id, int tabIndex)
        : window_(&window), hwnd_(hwnd), kind_(kind), id_(id), tabIndex_(tabIndex) {}
    ~Control() override;

    void setText(std::string_view text) override {
        if (hwnd_ != nullptr) {
            ::SetWindowTextW(hwnd_, widen(text).c_str());
        }
    }

    void setBounds(const PixelRect& r) override {
        if (hwnd_ != nullptr) {
            ::MoveWindow(hwnd_, r.left, r.top, std::max(0, r.width), std::max(0, r.height), TRUE);
        }
    }

    void setDocument(std::string_view bytes) override {
        if (hwnd_ == nullptr || kind_ != ControlKind::RichText) {
            return;
        }
        ::SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
        // RTF goes to the control as it is; anything else is decoded as every text file the
        // program reads, and handed over as UTF-16.
        const std::string_view rtf = text::rtfSource(bytes);
        std::wstring wide;
        StreamSource src{rtf.data(), rtf.size()};
        WPARAM format = SF_RTF;
        if (rtf.empty()) {
            wide = widen(text::decodeToUtf8(bytes));
            src = {reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)};
            format = SF_TEXT | SF_UNICODE;
        }
        EDITSTREAM stream{};
        stream.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
        stream.pfnCallback = streamIn;
        ::SendMessageW(hwnd_, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
        // Start at the top, as a freshly opened document does.
        ::SendMessageW(hwnd_, EM_SETSEL, 0, 0);
        ::SendMessageW(hwnd_, WM_VSCROLL, SB_TOP, 0);
    }

    HWND hwnd() const { return hwnd_; }
    ControlKind kind() const { return kind_; }
    int id() const { return id_; }
    int tabIndex() const { return tabIndex_; }
    // The window went away, and its child windows with it.
    void orphan() {
        window_ = nullptr;
        hwnd_ = nullptr;
    }

  private:
    Window* window_;
    HWND hwnd_;
    ControlKind kind_;
    int id_;
    int tabIndex_;
};

class Win32Backend::Window : public NativeWindow {
  public:
    Window(Win32Backend& backend, const WindowSpec& params, WindowEvents& events)
        : backend_(backend), events_(events), kind_(params.kind) {
        if (params.kind == WindowKind::ToolWindow) {
            style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
            exStyle_ = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
        } else {
            style_ = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
            exStyle_ = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        }
        RECT rc{0, 0, std::max(0, params.client.width), std::max(0, params.client.height)};
        ::AdjustWindowRectEx(&rc, style_, FALSE, exStyle_);
        // A dialog is owned by the hidden window: owned windows stay off the taskbar while
        // keeping their ordinary title bar.
        HWND owner = params.kind == WindowKind::Dialog ? backend_.hidden_ : nullptr;
        hwnd_ = ::CreateWindowExW(exStyle_, kWindowClass, widen(params.title).c_str(), style_,
                                  CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left,
                                  rc.bottom - rc.top, owner, nullptr, backend_.instance_, this);
        if (hwnd_ == nullptr) {
            fail("CreateWindowExW");
        }
        if (backend_.bigIcon_ != nullptr) {
            ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                           reinterpret_cast<LPARAM>(backend_.bigIcon_));
        }
        if (backend_.smallIcon_ != nullptr) {
            ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                           reinterpret_cast<LPARAM>(backend_.smallIcon_));
        }
        lastClient_ = clientSize();
        backend_.windows_.push_back(this);
    }

    ~Window() override {
        std::erase(backend_.windows_, this);
        for (Control* control : controls_) {
            control->orphan();
        }
        if (hwnd_ != nullptr) {
            // No message of the destruction reaches this half-destroyed object.
            ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            ::DestroyWindow(hwnd_);
        }
    }

    std::unique_ptr<NativeControl> createControl(const ControlSpec& params) override {
        const wchar_t* cls = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        switch (params.kind) {
            case ControlKind::Button:
                style |= WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
                break;
            case ControlKind::Label:
                cls = L"STATIC";
                style |= SS_LEFT;  // word-wrapped, left-aligned
                break;
            case ControlKind::RichText:
                cls = MSFTEDIT_CLASS;
                style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
                exStyle = WS_EX_CLIENTEDGE;
                break;
        }
        const PixelRect& r = params.bounds;
        HWND child = ::CreateWindowExW(
            exStyle, cls, params.kind == ControlKind::RichText ? L"" : widen(params.text).c_str(),
            style, r.left, r.top, std::max(0, r.width), std::max(0, r.height), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id + kControlIdBase)),
            backend_.instance_, nullptr);
        if (child == nullptr) {
            fail("CreateWindowExW (control)");
        }
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.font_), FALSE);
        if (params.kind == ControlKind::RichText) {
            ::SendMessageW(child, EM_SETEVENTMASK, 0, 0);
            // A little room between the text and the border.
            ::SendMessageW(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
        }
        auto control =
            std::make_unique<Control>(*this, child, params.kind, params.id, params.tabIndex);
        placeInTabOrder(*control);
        controls_.push_back(control.get());
        return control;
    }

    void setTitle(std::string_view title) override {
        ::SetWindowTextW(hwnd_, widen(title).c_str());
    }

    void show(int focusControlId) override {
        if (!shownBefore_) {
            shownBefore_ = true;
            centre();
        }
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
        for (Control* control : controls_) {
            if (control->id() == focusControlId) {
                ::SetFocus(control->hwnd());
                makeDefault(control->hwnd());
                break;
            }
        }
    }

    void hide() override { ::ShowWindow(hwnd_, SW_HIDE); }

    PixelSize outerSize() const override {
        RECT rc{};
        ::GetWindowRect(hwnd_, &rc);
        return {rc.right - rc.left, rc.bottom - rc.top};
    }

    PixelSize clientSize() const override {
        RECT rc{};
        ::GetClientRect(hwnd_, &rc);
        return {rc.right, rc.bottom};
    }

    void setOuterSize(PixelSize size) override {
        ownResize_ = true;
        ::SetWindowPos(hwnd_, nullptr, 0, 0, size.width, size.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ownResize_ = false;
        lastClient_ = clientSize();
    }

    HWND hwnd() const { return hwnd_; }
    void forget(Control* control) { std::erase(controls_, control); }

    // Keeps the default-button style on the focused push button.
    void focusChanged() {
        HWND focus = ::GetFocus();
        for (Control* control : controls_) {
            if (control->hwnd() == focus && control->kind() == ControlKind::Button) {
                makeDefault(focus);
                return;
            }
        }
    }

    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            auto* self = static_cast<Window*>(cs->lpCreateParams);
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr) {
            return ::DefWindowProcW(hwnd, msg, wp, lp);
        }
        return self->onMessage(msg, wp, lp);
    }

  private:
    // Note: a handler that the events below run may unload the form, which destroys this
    // object; nothing after an event call touches a member.
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
            case WM_COMMAND: {
                int nativeId = LOWORD(wp);
                int code = HIWORD(wp);
                HWND from = reinterpret_cast<HWND>(lp);
                Control* control = controlFrom(from, nativeId);
                if (control == nullptr || control->kind() != ControlKind::Button) {
                    return 0;
                }
                if (code == BN_SETFOCUS) {
                    makeDefault(from);
                } else if (code == BN_CLICKED) {
                    events_.clicked(control->id());
                }
                return 0;
            }
            case WM_CLOSE:
                // The runtime decides: it unloads the form, whose window object then destroys
                // the native window.
                events_.closeRequested();
                return 0;
            case WM_SIZE: {
                if (ownResize_ || wp == SIZE_MINIMIZED) {
                    break;
                }
                PixelSize now{LOWORD(lp), HIWORD(lp)};
                if (now == lastClient_) {
                    break;
                }
                lastClient_ = now;
                events_.resized();
                return 0;
            }
            case WM_CTLCOLORSTATIC:
                // Labels on the window's own face colour.
                ::SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
            default:
                break;
        }
        return ::DefWindowProcW(hwnd_, msg, wp, lp);
    }

    Control* controlFrom(HWND from, int nativeId) const {
        for (Control* control : controls_) {
            if (control->hwnd() == from && control->id() + kControlIdBase == nativeId) {
                return control;
            }
        }
        return nullptr;
    }

    // The focused push button is the default one, which Enter clicks.
    void makeDefault(HWND button) {
        for (Control* control : controls_) {
            if (control->kind() != ControlKind::Button) {
                continue;
            }
            LONG_PTR want = control->hwnd() == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            LONG_PTR style = ::GetWindowLongPtrW(control->hwnd(), GWL_STYLE);
            if ((style & 0x0F) != want) {
                ::SendMessageW(control->hwnd(), BM_SETSTYLE, static_cast<WPARAM>(want), TRUE);
            }
        }
    }

    // Z order is tab order: the control goes right after the one with the largest tab index
    // below its own.
    void placeInTabOrder(const Control& control) {
        HWND after = HWND_TOP;
        int best = -1;
        for (Control* other : controls_) {
            if (other->tabIndex() < control.tabIndex() && other->tabIndex() >= best) {
                best = other->tabIndex();
                after = other->hwnd();
            }
        }
        ::SetWindowPos(control.hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    void centre() {
        RECT rc{};
        ::GetWindowRect(hwnd_, &rc);
        RECT work{};
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        HMONITOR monitor = ::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY);
        if (monitor != nullptr && ::GetMonitorInfoW(monitor, &mi)) {
            work = mi.rcWork;
        } else {
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        }
        int w = rc.right - rc.left;
        int h = rc.bottom - rc.top;
        int x = work.left + std::max(0L, (work.right - work.left - w) / 2);
        int y = work.top + std::max(0L, (work.bottom - work.top - h) / 2);
        ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    Win32Backend& backend_;
    WindowEvents& events_;
    WindowKind kind_;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    HWND hwnd_ = nullptr;
    bool shownBefore_ = false;
    bool ownResize_ = false;
    PixelSize lastClient_;
    std::vector<Control*> controls_;
};

Win32Backend::Control::~Control() {
    if (window_ != nullptr) {
        window_->forget(this);
    }
    if (hwnd_ != nullptr) {
        ::DestroyWindow(hwnd_);
    }
}

HWND windowHandle(const NativeWindow& window) {
    auto* win = dynamic_cast<const Win32Backend::Window*>(&window);
    return win != nullptr ? win->hwnd() : nullptr;
}

HWND controlHandle(const NativeControl& control) {
    auto* ctl = dynamic_cast<const Win32Backend::Control*>(&control);
    return ctl != nullptr ? ctl->hwnd() : nullptr;
}

// ---- timers ---------------------------------------------------------------------------------

class Win32Backend::TimerImpl : public NativeTimer {
  public:
    TimerImpl(Win32Backend& backend, TimerEvents& events)
        : backend_(backend), events_(events), id_(backend.nextTimerId_++) {
        backend_.timers_[id_] = this;
    }
    ~TimerImpl() override {
        stop();
        backend_.timers_.erase(id_);
    }
    void start(int intervalMs) override {
        // SetTimer on a running id restarts its interval.
        ::SetTimer(backend_.hidden_, id_, static_cast<UINT>(std::max(1, intervalMs)), nullptr);
        running_ = true;
    }
    void stop() override {
        if (running_) {
            ::KillTimer(backend_.hidden_, id_);
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

// ---- processes ------------------------------------------------------------------------------

namespace {

class Win32Started : public StartedProgram {
  public:
    Win32Started(ScopedHandle process, DWORD pid) : process_(std::move(process)), pid_(pid) {}
    std::int64_t processId() const override { return pid_; }
    void terminate() override {
        // Only the process this handle names, and only while it still runs; the handle keeps
        // its id from being reused, so no unrelated process can be reached.
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.get(), 0);
        }
    }

  private:
    ScopedHandle process_;
    DWORD pid_;
};

}  // namespace

// ---- the backend ----------------------------------------------------------------------------

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    richEdit_ = ::LoadLibraryW(L"Msftedit.dll");

    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        font_ = ::CreateFontIndirectW(&ncm.lfMessageFont);
    }
    if (font_ == nullptr) {
        font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }

    bigIcon_ = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    smallIcon_ = static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::proc;
    wc.hInstance = instance_;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = bigIcon_;
    wc.hIconSm = smallIcon_;
    wc.lpszClassName = kWindowClass;
    windowClass_ = ::RegisterClassExW(&wc);
    if (windowClass_ == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        fail("RegisterClassExW");
    }

    WNDCLASSEXW hc{};
    hc.cbSize = sizeof hc;
    hc.lpfnWndProc = &Win32Backend::hiddenProc;
    hc.hInstance = instance_;
    hc.lpszClassName = kHiddenClass;
    hiddenClass_ = ::RegisterClassExW(&hc);
    if (hiddenClass_ == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        fail("RegisterClassExW");
    }
    // A top-level window (not message-only): those alone receive WM_QUERYENDSESSION and
    // WM_ENDSESSION. It is never shown.
    hidden_ = ::CreateWindowExW(0, kHiddenClass, L"Porvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                instance_, this);
    if (hidden_ == nullptr) {
        fail("CreateWindowExW (hidden)");
    }
}

Win32Backend::~Win32Backend() {
    if (hidden_ != nullptr) {
        ::SetWindowLongPtrW(hidden_, GWLP_USERDATA, 0);
        ::DestroyWindow(hidden_);
    }
    if (windowClass_ != 0) {
        ::UnregisterClassW(kWindowClass, instance_);
    }
    if (hiddenClass_ != 0) {
        ::UnregisterClassW(kHiddenClass, instance_);
    }
    if (font_ != nullptr && font_ != ::GetStockObject(DEFAULT_GUI_FONT)) {
        ::DeleteObject(font_);
    }
    if (richEdit_ != nullptr && windows_.empty()) {
        ::FreeLibrary(richEdit_);
    }
}

LRESULT CALLBACK Win32Backend::hiddenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Backend*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->onHiddenMessage(hwnd, msg, wp, lp);
}

LRESULT Win32Backend::onHiddenMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER: {
            auto it = timers_.find(wp);
            if (it != timers_.end()) {
                it->second->tick();
            }
            return 0;
        }
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp != FALSE && programEvents_ != nullptr && !quitRequested_) {
                // Windows ends the process once we return: unload the forms now, in order, and
                // let their steps run to the end.
                programEvents_->endRequested();
                pumpUntilQuit();
            }
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32Backend::pumpUntilQuit() {
    DWORD start = ::GetTickCount();
    while (!quitRequested_ && ::GetTickCount() - start < kEndSessionBudgetMs) {
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

std::string Win32Backend::executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            fail("GetModuleFileNameW");
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::size_t sep = buffer.find_last_of(L"\\/");
    return narrow(std::wstring_view(buffer).substr(0, sep == std::wstring::npos ? 0 : sep));
}

double Win32Backend::twipsPerPixelX() {
    return 1440.0 / static_cast<double>(systemDpi());
}

std::unique_ptr<NativeWindow> Win32Backend::createWindow(const WindowSpec& params,
                                                         WindowEvents& events) {
    return std::make_unique<Window>(*this, params, events);
}

std::unique_ptr<NativeTimer> Win32Backend::createTimer(TimerEvents& events) {
    return std::make_unique<TimerImpl>(*this, events);
}

void Win32Backend::messageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    UINT type = MB_OK | MB_SETFOREGROUND;
    if (icon == MessageIcon::Critical) {
        type |= MB_ICONSTOP;
    }
    // Owned by the active window when one of ours is active, else modal to the whole task
    // (works before any window is shown).
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr) {
        type |= MB_TASKMODAL;
    }
    ::MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), type);
}

std::unique_ptr<StartedProgram> Win32Backend::startProgram(std::string_view commandLine,
                                                           int windowStyle) {
    std::wstring line = widen(commandLine);
    if (line.find_first_not_of(L" \t") == std::wstring::npos) {
        throw makeError(kInvalidProcedureCall);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(showCommandFor(windowStyle));
    PROCESS_INFORMATION pi{};
    // The platform's own command-line rules: CreateProcessW finds the program in the line.
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        throw makeError(errorNumberForStartFailure(::GetLastError()));
    }
    ScopedHandle thread(pi.hThread);
    return std::make_unique<Win32Started>(ScopedHandle(pi.hProcess), pi.dwProcessId);
}

int Win32Backend::runEventLoop(ProgramEvents& events) {
    if (quitRequested_) {
        return quitStatus_;  // quit before the loop ran: nothing to wait for
    }
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
    return quitRequested_ ? quitStatus_ : status;
}

void Win32Backend::quit(int status) {
    if (quitRequested_) {
        return;
    }
    quitRequested_ = true;
    quitStatus_ = status;
    // Outside the loop (the program ended while starting), no WM_QUIT is left behind.
    if (loopDepth_ > 0) {
        ::PostQuitMessage(status);
    }
}

}  // namespace runtime::win32
