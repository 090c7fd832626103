#include "runtime/win32/Window.h"

#include <commctrl.h>
#include <oleacc.h>
#include <richedit.h>

#include <algorithm>
#include <utility>

#include "runtime/system/win32/WideText.h"

namespace runtime::win32 {

// ---- controls -------------------------------------------------------------------------------

Win32Backend::Control::~Control() {
    if (window_ != nullptr) {
        window_->forget(this);
    }
}

void Win32Backend::Control::setText(std::string_view text) {
    if (hwnd_) {
        ::SetWindowTextW(hwnd(), widen(text).c_str());
    }
}

void Win32Backend::Control::setBounds(const PixelRect& r) {
    if (hwnd_) {
        ::MoveWindow(hwnd(), r.left, r.top, r.width, r.height, TRUE);
    }
}

// ---- windows --------------------------------------------------------------------------------

Win32Backend::Window::Window(Win32Backend& backend, const WindowSpec& params, WindowEvents& events)
    : backend_(backend),
      events_(events),
      activateOnShow_(!showsWithoutFocus(params.kind)),
      neverActive_(params.kind == WindowKind::Countdown),
      closeOnEscape_(closesOnEscape(params.kind)),
      role_(params.kind == WindowKind::Notice      ? ROLE_SYSTEM_ALERT
            : params.kind == WindowKind::Countdown ? ROLE_SYSTEM_WINDOW
                                                   : ROLE_SYSTEM_DIALOG) {
    // All are pop-ups (which look no different with a caption): Wine tells an X window manager
    // that an owned pop-up is a dialog, which Openbox, for one, focuses when it is shown
    // although it is off the taskbar.
    const bool countdown = params.kind == WindowKind::Countdown;
    // The countdown can be minimized; Windows draws a minimize box only beside a close box,
    // which it shows disabled once the window menu has no Close (below).
    const DWORD style =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (countdown ? WS_MINIMIZEBOX : 0);
    DWORD exStyle = WS_EX_CONTROLPARENT;
    exStyle |= params.kind == WindowKind::ToolWindow ? WS_EX_TOOLWINDOW
               : countdown                           ? 0
                                                     : WS_EX_DLGMODALFRAME;
    if (showsWithoutFocus(params.kind)) {
        exStyle |= WS_EX_TOPMOST;  // above an application that fills the screen
    }
    if (countdown) {
        exStyle |= WS_EX_NOACTIVATE;  // a click or a drag leaves the application active
    }
    RECT rc{0, 0, params.client.width, params.client.height};
    ::AdjustWindowRectEx(&rc, style, FALSE, exStyle);
    // Every window is owned by the helper window: owned windows stay off the taskbar while
    // keeping their ordinary title bar, and under Wine an owned window is transient for its
    // owner, which X window managers do not name when its title is empty (Openbox shows
    // "Unnamed Window" for an untitled window of its own).
    HWND owner = backend_.messageWindow();
    // The window procedure takes the handle at WM_NCCREATE, before this call returns. A pop-up
    // gets its first WM_SIZE while it is being made: that is no resize of the platform's.
    ownResize_ = true;
    HWND created = ::CreateWindowExW(exStyle, kWindowClass, widen(params.title).c_str(), style,
                                     CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left,
                                     rc.bottom - rc.top, owner, nullptr, backend_.instance_, this);
    ownResize_ = false;
    if (created == nullptr) {
        hwnd_.release();  // a window that failed on its way was destroyed by the system
        fail("CreateWindowExW");
    }
    if (backend_.bigIcon_ != nullptr) {
        ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(backend_.bigIcon_));
    }
    if (backend_.smallIcon_ != nullptr) {
        ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL,
                       reinterpret_cast<LPARAM>(backend_.smallIcon_));
    }
    if (countdown) {
        ::DeleteMenu(::GetSystemMenu(hwnd(), FALSE), SC_CLOSE, MF_BYCOMMAND);
    }
    lastClient_ = clientSize();
    backend_.windows_.push_back(this);
}

Win32Backend::Window::~Window() {
    std::erase(backend_.windows_, this);
    for (Control* control : controls_) {
        control->orphan();
    }
}

std::unique_ptr<NativeControl> Win32Backend::Window::createControl(const ControlSpec& params) {
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
        style, r.left, r.top, r.width, r.height, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.id + kControlIdBase)),
        backend_.instance_, nullptr);
    if (child == nullptr) {
        fail("CreateWindowExW (control)");
    }
    auto control = std::make_unique<Control>(*this, child, params.kind, params.id);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.font_), FALSE);
    if (params.kind == ControlKind::RichText) {
        ::SendMessageW(child, EM_SETEVENTMASK, 0, 0);
        // A little room between the text and the border.
        ::SendMessageW(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 4));
    }
    placeInTabOrder(*control);
    controls_.push_back(control.get());
    return control;
}

void Win32Backend::Window::setTitle(std::string_view title) {
    ::SetWindowTextW(hwnd(), widen(title).c_str());
}

void Win32Backend::Window::show(int focusControlId) {
    bool appears = !::IsWindowVisible(hwnd());
    ::ShowWindow(hwnd(), activateOnShow_ ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (appears && role_ == ROLE_SYSTEM_ALERT) {
        // Screen readers announce an alert as it appears; the warning takes no focus, so
        // nothing else would bring it to their attention.
        ::NotifyWinEvent(EVENT_SYSTEM_ALERT, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    }
    if (activateOnShow_) {
        ::SetForegroundWindow(hwnd());
    }
    for (Control* control : controls_) {
        if (control->id() == focusControlId) {
            // SetFocus would activate the window; a notice takes the focus only when the user
            // activates it.
            if (activateOnShow_) {
                ::SetFocus(control->hwnd());
            } else {
                focusOnActivate_ = control->hwnd();
            }
            makeDefault(control->hwnd());
            break;
        }
    }
}

void Win32Backend::Window::hide() {
    ::ShowWindow(hwnd(), SW_HIDE);
}

PixelSize Win32Backend::Window::outerSize() const {
    RECT rc{};
    ::GetWindowRect(hwnd(), &rc);
    return {rc.right - rc.left, rc.bottom - rc.top};
}

PixelSize Win32Backend::Window::clientSize() const {
    RECT rc{};
    ::GetClientRect(hwnd(), &rc);
    return {rc.right, rc.bottom};
}

void Win32Backend::Window::resizeOuter(PixelSize size) {
    ownResize_ = true;
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.width, size.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ownResize_ = false;
    lastClient_ = clientSize();
}

void Win32Backend::Window::focusChanged() {
    HWND focus = ::GetFocus();
    for (Control* control : controls_) {
        if (control->hwnd() == focus && control->kind() == ControlKind::Button) {
            makeDefault(focus);
            return;
        }
    }
}

LRESULT CALLBACK Win32Backend::Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* self = static_cast<Window*>(cs->lpCreateParams);
        self->hwnd_.reset(hwnd);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->onMessage(msg, wp, lp);
}

// Note: a handler that the events below run may unload the form, which destroys this object;
// nothing after an event call touches a member.
LRESULT Win32Backend::Window::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            int nativeId = LOWORD(wp);
            int code = HIWORD(wp);
            HWND from = reinterpret_cast<HWND>(lp);
            Control* control = controlFrom(from, nativeId);
            if (nativeId == IDCANCEL && control == nullptr) {
                // Escape, from the dialog manager.
                if (closeOnEscape_) {
                    events_.closeRequested();
                }
                return 0;
            }
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
        case WM_MOUSEACTIVATE:
            if (neverActive_) {
                return MA_NOACTIVATE;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE && focusOnActivate_ != nullptr) {
                ::SetFocus(std::exchange(focusOnActivate_, nullptr));
                return 0;
            }
            break;
        case WM_CLOSE:
            // On a shown window its close box: the runtime unloads the form, whose window object
            // then destroys the native window. A hidden window (the policy window after Agree)
            // has no close box, so this is `taskkill` without /f, an end asked for from outside:
            // ended in order as SIGTERM does on Linux, the time limit's termination included.
            if (::IsWindowVisible(hwnd())) {
                events_.closeRequested();
            } else {
                backend_.endFromOutside();
            }
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
        case WM_GETOBJECT:
            if (static_cast<LONG>(static_cast<DWORD>(lp)) == OBJID_CLIENT) {
                return accessibleClient(wp);
            }
            break;
        case WM_CTLCOLORSTATIC:
            // Labels on the window's own face colour.
            ::SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        default:
            break;
    }
    return ::DefWindowProcW(hwnd(), msg, wp, lp);
}

Win32Backend::Control* Win32Backend::Window::controlFrom(HWND from, int nativeId) const {
    for (Control* control : controls_) {
        if (control->hwnd() == from && control->id() + kControlIdBase == nativeId) {
            return control;
        }
    }
    return nullptr;
}

// The focused push button is the default one, which Enter clicks.
void Win32Backend::Window::makeDefault(HWND button) {
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

// Z order is tab order, and the runtime creates the controls in tab order: each goes right after
// the last one.
void Win32Backend::Window::placeInTabOrder(const Control& control) {
    HWND after = controls_.empty() ? HWND_TOP : controls_.back()->hwnd();
    ::SetWindowPos(control.hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

RECT Win32Backend::Window::workArea() const {
    RECT work{};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HMONITOR monitor = ::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY);
    if (monitor != nullptr && ::GetMonitorInfoW(monitor, &mi)) {
        work = mi.rcWork;
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    }
    return work;
}

void Win32Backend::Window::moveTo(const PixelRect& placed) {
    ::SetWindowPos(hwnd(), nullptr, placed.left, placed.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Backend::Window::centre() {
    RECT work = workArea();
    moveTo(centredOn({work.left, work.top, work.right - work.left, work.bottom - work.top},
                     outerSize()));
}

void Win32Backend::Window::placeInCorner() {
    RECT work = workArea();
    moveTo(inCornerOf({work.left, work.top, work.right - work.left, work.bottom - work.top},
                      outerSize()));
}

void Win32Backend::Window::bringToFront() {
    if (::IsIconic(hwnd())) {
        // Restored, the active window left alone: the application keeps the keyboard.
        HWND active = ::GetForegroundWindow();
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ::GetWindowPlacement(hwnd(), &placement);
        placement.showCmd = SW_SHOWNOACTIVATE;
        ::SetWindowPlacement(hwnd(), &placement);
        // Wine activates a window it restores whatever it is asked; hand the activation back.
        if (active != nullptr && active != hwnd() && ::GetForegroundWindow() == hwnd()) {
            ::SetForegroundWindow(active);
        }
    }
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (role_ == ROLE_SYSTEM_ALERT) {
        ::NotifyWinEvent(EVENT_SYSTEM_ALERT, hwnd(), OBJID_CLIENT, CHILDID_SELF);
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

}  // namespace runtime::win32
