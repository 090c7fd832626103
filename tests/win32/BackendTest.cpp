// The Win32 backend on its own: windows, frames and sizes, controls and their events, timers,
// the RichEdit view, the event loop and the session end.

#include <windows.h>

#include <oleacc.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "Win32TestSupport.h"
#include "runtime/system/win32/WideText.h"
#include "runtime/win32/Win32Backend.h"

namespace {

using runtime::ControlKind;
using runtime::PixelSize;
using runtime::WindowKind;
using runtime::win32::controlHandle;
using runtime::win32::Win32Backend;
using runtime::win32::windowHandle;

struct Recorder : runtime::WindowEvents {
    std::vector<int> clicks;
    int closes = 0;
    int resizes = 0;
    void clicked(int id) override { clicks.push_back(id); }
    void closeRequested() override { ++closes; }
    void resized() override { ++resizes; }
};

struct Ticks : runtime::TimerEvents {
    int count = 0;
    std::function<void()> onTick;
    void ticked() override {
        ++count;
        if (onTick) {
            onTick();
        }
    }
};

class Win32BackendTest : public ::testing::Test {
  protected:
    std::unique_ptr<runtime::NativeWindow> window(WindowKind kind, PixelSize client) {
        return backend.createWindow({kind, "Test window", client}, events);
    }
    std::unique_ptr<runtime::NativeControl> button(runtime::NativeWindow& w, int id,
                                                   const char* text) {
        return w.createControl({ControlKind::Button, id, text, {10, 10, 80, 25}});
    }

    Win32Backend backend;
    Recorder events;
};

std::wstring richText(HWND edit) {
    int length = ::GetWindowTextLengthW(edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    LRESULT n = ::SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) {
        text.pop_back();
    }
    return text;
}

TEST_F(Win32BackendTest, ToolWindowHasAFixedToolFrameAroundTheClientSize) {
    auto w = window(WindowKind::ToolWindow, {400, 300});
    HWND h = windowHandle(*w);
    ASSERT_NE(h, nullptr);
    LONG style = ::GetWindowLongW(h, GWL_STYLE);
    LONG ex = ::GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    EXPECT_EQ(w->clientSize(), (PixelSize{400, 300}));
    RECT rc{0, 0, 400, 300};
    ::AdjustWindowRectEx(&rc, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(ex));
    EXPECT_EQ(w->outerSize(), (PixelSize{rc.right - rc.left, rc.bottom - rc.top}));
    EXPECT_GT(w->outerSize().width, 400);
    EXPECT_GT(w->outerSize().height, 300);
}

TEST_F(Win32BackendTest, DialogHasAFixedDialogFrameAndStaysOffTheTaskbar) {
    auto w = window(WindowKind::Dialog, {402, 115});
    HWND h = windowHandle(*w);
    LONG style = ::GetWindowLongW(h, GWL_STYLE);
    LONG ex = ::GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(style & WS_DLGFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    // Owned by the hidden window: owned windows get no taskbar button.
    EXPECT_EQ(::GetWindow(h, GW_OWNER), backend.messageWindow());
    EXPECT_EQ(w->clientSize(), (PixelSize{402, 115}));
}

TEST_F(Win32BackendTest, NoticeStaysOnTopOffTheTaskbarAndLeavesTheActiveWindowAlone) {
    auto app = window(WindowKind::ToolWindow, {300, 200});
    app->show(0);
    HWND active = windowHandle(*app);
    ASSERT_EQ(::GetActiveWindow(), active);
    auto notice = window(WindowKind::Notice, {402, 115});
    auto ok = button(*notice, 1, "OK");
    notice->show(1);
    win32_test::pumpFor(20);
    HWND h = windowHandle(*notice);
    EXPECT_TRUE(::IsWindowVisible(h));
    EXPECT_TRUE(::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetWindow(h, GW_OWNER), backend.messageWindow());
    EXPECT_EQ(::GetActiveWindow(), active) << "the notice took the activation";
    EXPECT_NE(::GetFocus(), controlHandle(*ok));
    // Once the user activates it, OK has the keyboard, as in any dialog.
    ::SetActiveWindow(h);
    EXPECT_EQ(::GetFocus(), controlHandle(*ok));
}

// The countdown: on top, never activated (not even by a click), minimizable, no Close, first in
// the work area's bottom-right corner; its text a standard static control a reader reads.
TEST_F(Win32BackendTest, CountdownStaysOnTopTakesNoActivationAndCannotBeClosed) {
    auto app = window(WindowKind::ToolWindow, {300, 200});
    app->show(0);
    HWND active = windowHandle(*app);
    auto countdown = window(WindowKind::Countdown, {192, 40});
    auto label = countdown->createControl({ControlKind::Label, 1, "4:59", {8, 8, 176, 24}});
    countdown->placeInCorner();
    countdown->show(0);
    win32_test::pumpFor(20);
    HWND h = windowHandle(*countdown);
    LONG style = ::GetWindowLongW(h, GWL_STYLE);
    LONG ex = ::GetWindowLongW(h, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_EQ(::GetMenuState(::GetSystemMenu(h, FALSE), SC_CLOSE, MF_BYCOMMAND), UINT(-1))
        << "the window menu has no Close";
    EXPECT_EQ(::GetWindow(h, GW_OWNER), backend.messageWindow());
    EXPECT_EQ(::GetActiveWindow(), active);
    EXPECT_EQ(::SendMessageW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(h),
                             MAKELPARAM(HTCAPTION, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    RECT rc;
    ::GetWindowRect(h, &rc);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(rc.right, work.right);
    EXPECT_EQ(rc.bottom, work.bottom);
    // Minimized, a reminder brings it back, the application still active.
    ::ShowWindow(h, SW_MINIMIZE);
    ::SetActiveWindow(active);
    countdown->bringToFront();
    EXPECT_FALSE(::IsIconic(h));
    EXPECT_EQ(::GetActiveWindow(), active);
    // The text, as a screen reader reads it at any moment: the static control's own.
    label->setText("4:58");
    wchar_t cls[16];
    ::GetClassNameW(controlHandle(*label), cls, 16);
    EXPECT_EQ(std::wstring(cls), L"Static");
    IAccessible* text = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        ::AccessibleObjectFromWindow(controlHandle(*label), static_cast<DWORD>(OBJID_CLIENT),
                                     __uuidof(IAccessible), reinterpret_cast<void**>(&text)));
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_HRESULT_SUCCEEDED(text->get_accName(self, &name));
    EXPECT_EQ(std::wstring(name != nullptr ? name : L""), L"4:58");
    ::SysFreeString(name);
    text->Release();
}

TEST_F(Win32BackendTest, WindowsCarryTheTitleAndTheIconOfTheClass) {
    auto w = window(WindowKind::ToolWindow, {200, 100});
    w->setTitle("Usage Policy \xE2\x80\x93 caf\xC3\xA9");
    wchar_t title[64];
    ::GetWindowTextW(windowHandle(*w), title, 64);
    EXPECT_EQ(std::wstring(title), L"Usage Policy \u2013 caf\u00E9");
}

TEST_F(Win32BackendTest, OwnSizeChangesAreNotReportedAsResizes) {
    auto w = window(WindowKind::ToolWindow, {400, 300});
    PixelSize frame{w->outerSize().width - 400, w->outerSize().height - 300};
    w->setOuterWidth(641);
    w->setOuterHeight(481);
    EXPECT_EQ(w->outerSize(), (PixelSize{641, 481}));
    EXPECT_EQ(w->clientSize(), (PixelSize{641 - frame.width, 481 - frame.height}));
    win32_test::pumpFor(50);
    EXPECT_EQ(events.resizes, 0);

    // A change of the platform's own is.
    ::SetWindowPos(windowHandle(*w), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    win32_test::pumpFor(50);
    EXPECT_EQ(events.resizes, 1);
}

TEST_F(Win32BackendTest, CentreUsesTheWorkArea) {
    auto w = window(WindowKind::ToolWindow, {300, 200});
    w->centre();
    w->show(0);
    RECT rc;
    ::GetWindowRect(windowHandle(*w), &rc);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((rc.left + rc.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(::IsWindowVisible(windowHandle(*w)));
    w->hide();
    EXPECT_FALSE(::IsWindowVisible(windowHandle(*w)));
}

TEST_F(Win32BackendTest, ControlsGetTheGuiFontAndTheirStyles) {
    auto w = window(WindowKind::Dialog, {400, 120});
    auto label = w->createControl({ControlKind::Label, 1, "Some text", {8, 8, 385, 65}});
    auto ok = button(*w, 2, "OK");
    auto rich = w->createControl({ControlKind::RichText, 3, "", {0, 0, 100, 100}});
    for (auto* c : {label.get(), ok.get()}) {
        EXPECT_NE(::SendMessageW(controlHandle(*c), WM_GETFONT, 0, 0), 0);
    }
    LONG ls = ::GetWindowLongW(controlHandle(*label), GWL_STYLE);
    EXPECT_EQ(ls & SS_TYPEMASK, SS_LEFT);  // left-aligned, word-wrapped
    LONG rs = ::GetWindowLongW(controlHandle(*rich), GWL_STYLE);
    EXPECT_TRUE(rs & ES_READONLY);
    EXPECT_TRUE(rs & ES_MULTILINE);
    EXPECT_FALSE(rs & WS_HSCROLL);
    wchar_t cls[64];
    ::GetClassNameW(controlHandle(*rich), cls, 64);
    EXPECT_EQ(::lstrcmpiW(cls, MSFTEDIT_CLASS), 0) << cls;
    // The vertical scroll bar shows once the text is longer than the view.
    std::string lines;
    for (int i = 0; i < 50; ++i) {
        lines += "line\r\n";
    }
    rich->setDocument(lines);
    EXPECT_TRUE(::GetWindowLongW(controlHandle(*rich), GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(::GetWindowLongW(controlHandle(*rich), GWL_STYLE) & WS_HSCROLL);
}

TEST_F(Win32BackendTest, CloseBoxAsksAndLeavesTheWindowAlone) {
    auto w = window(WindowKind::ToolWindow, {300, 200});
    w->show(0);
    HWND h = windowHandle(*w);
    ::SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    win32_test::pumpFor(20);
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(::IsWindow(h));
    w.reset();  // the runtime unloads the form: the window object destroys the native window
    EXPECT_FALSE(::IsWindow(h));
}

TEST_F(Win32BackendTest, KeyboardEnterClicksTheFocusedButtonEscapeClicksNothing) {
    auto w = window(WindowKind::ToolWindow, {300, 200});
    auto agree = button(*w, 2, "Agree");
    auto disagree = w->createControl({ControlKind::Button, 3, "Disagree", {100, 10, 80, 25}});
    w->show(2);
    HWND a = controlHandle(*agree);
    HWND d = controlHandle(*disagree);
    ASSERT_EQ(::GetFocus(), a);
    EXPECT_EQ(::GetWindowLongW(a, GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);

    auto key = [&](HWND to, WPARAM vk) {
        MSG msg{to, WM_KEYDOWN, vk, 0, 0, {}};
        backend.dispatch(msg);
        MSG up{to, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001), 0, {}};
        backend.dispatch(up);
        win32_test::pumpFor(20);
    };
    // Escape sends IDCANCEL (2) to the window: no control has that native id.
    key(a, VK_ESCAPE);
    EXPECT_TRUE(events.clicks.empty());
    EXPECT_EQ(events.closes, 0);
    key(a, VK_RETURN);
    EXPECT_EQ(events.clicks, std::vector<int>{2});
    // Tab moves the focus, and the default button with it.
    key(a, VK_TAB);
    EXPECT_EQ(::GetFocus(), d);
    EXPECT_EQ(::GetWindowLongW(d, GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
    EXPECT_EQ(::GetWindowLongW(a, GWL_STYLE) & 0x0F, BS_PUSHBUTTON);
    key(d, VK_RETURN);
    EXPECT_EQ(events.clicks, (std::vector<int>{2, 3}));
}

std::vector<HWND> alerts;  // windows that raised EVENT_SYSTEM_ALERT
void CALLBACK onAlert(HWINEVENTHOOK, DWORD, HWND hwnd, LONG, LONG, DWORD, DWORD) {
    alerts.push_back(hwnd);
}

// What a screen reader learns of each kind of window, and Escape: the warning (a notice) is an
// alert, announced as it appears and again as a reminder brings it to the front; the closing
// notice is a dialog, and so is the policy window; the countdown a plain window. Escape closes
// the notices as their close box does, and does nothing in the policy window or the countdown.
TEST_F(Win32BackendTest, ScreenReadersAndEscape) {
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, onAlert,
                                           0, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    const struct {
        WindowKind kind;
        long role;
        std::size_t alerts;
        int closes;
    } rows[] = {{WindowKind::ToolWindow, ROLE_SYSTEM_DIALOG, 0, 0},
                {WindowKind::Dialog, ROLE_SYSTEM_DIALOG, 0, 1},
                {WindowKind::Notice, ROLE_SYSTEM_ALERT, 2, 1},
                {WindowKind::Countdown, ROLE_SYSTEM_WINDOW, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.kind));
        alerts.clear();
        Recorder recorder;
        auto w = backend.createWindow({row.kind, "Ending soon", {300, 200}}, recorder);
        auto ok = button(*w, 1, "OK");
        w->show(1);
        w->show(1);         // shown again: no new announcement
        w->bringToFront();  // a reminder: an alert is announced again
        HWND h = windowHandle(*w);
        auto heard = [&] { return std::count(alerts.begin(), alerts.end(), h); };
        // Out-of-context events arrive through the message queue, later on a busy machine.
        win32_test::pumpUntil([&] { return heard() >= static_cast<std::ptrdiff_t>(row.alerts); },
                              3000);
        win32_test::pumpFor(20);
        EXPECT_EQ(heard(), static_cast<std::ptrdiff_t>(row.alerts));

        IAccessible* client = nullptr;
        ASSERT_HRESULT_SUCCEEDED(::AccessibleObjectFromWindow(h, static_cast<DWORD>(OBJID_CLIENT),
                                                              __uuidof(IAccessible),
                                                              reinterpret_cast<void**>(&client)));
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        VARIANT role{};
        EXPECT_HRESULT_SUCCEEDED(client->get_accRole(self, &role));
        EXPECT_EQ(role.lVal, row.role);
        BSTR name = nullptr;
        EXPECT_HRESULT_SUCCEEDED(client->get_accName(self, &name));
        EXPECT_EQ(std::wstring(name != nullptr ? name : L""), L"Ending soon");
        ::SysFreeString(name);
        client->Release();

        MSG escape{controlHandle(*ok), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        backend.dispatch(escape);
        win32_test::pumpFor(20);
        EXPECT_EQ(recorder.closes, row.closes);
    }
    ::UnhookWinEvent(hook);
}

TEST_F(Win32BackendTest, TimerTicksUntilStopped) {
    Ticks ticks;
    auto t = backend.createTimer(ticks);
    t->start(30);
    EXPECT_TRUE(win32_test::pumpUntil([&] { return ticks.count >= 2; }, 3000));
    t->stop();
    int after = ticks.count;
    win32_test::pumpFor(150);
    EXPECT_EQ(ticks.count, after);
}

TEST_F(Win32BackendTest, RichEditShowsEachKindOfDocument) {
    auto w = window(WindowKind::ToolWindow, {300, 200});
    auto rich = w->createControl({ControlKind::RichText, 1, "", {0, 0, 300, 150}});
    struct Row {
        const char* name;
        std::string document;
        std::wstring shown;
    } rows[] = {
        {"Rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}Hello \\b bold\\b0  caf\\'e9\\par}",
         L"Hello bold caf\u00E9"},
        {"RtfAfterBlanks", " \r\n\t{\\rtf1\\ansi X\\par}", L"X"},
        {"RtfAfterByteOrderMark", "\xEF\xBB\xBF{\\rtf1\\ansi X\\par}", L"X"},
        {"Utf8PlainText", "Plain caf\xC3\xA9 \xE2\x82\xAC\r\nline {\\rtf 2}",
         L"Plain caf\u00E9 \u20AC\rline {\\rtf 2}"},
        // Not UTF-8: the ANSI code page (1252 here).
        {"AnsiPlainText", "caf\xE9 \x80", L"caf\u00E9 \u20AC"},
        {"EmptyReplacesTheLast", "", L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        rich->setDocument(row.document);
        EXPECT_EQ(richText(controlHandle(*rich)), row.shown);
    }
    std::string big;
    for (int i = 0; i < 5000; ++i) {
        big += "line line\r\n";  // 11 bytes a line: 55000 in all
    }
    rich->setDocument(big);  // past RichEdit's default limit of 32767 characters
    EXPECT_GT(::GetWindowTextLengthW(controlHandle(*rich)), 50000);
}

TEST_F(Win32BackendTest, EnvironmentAtNinetySixDpi) {
    EXPECT_DOUBLE_EQ(backend.twipsPerPixelX(), 15.0);
    std::wstring dir = win32_test::exeFolder();
    EXPECT_EQ(runtime::win32::widen(backend.executableDirectory()), dir);
}

// The program's side of the loop: an end asked for from outside quits it with status 0.
struct LoopEvents : runtime::ProgramEvents {
    explicit LoopEvents(Win32Backend& b) : backend(b) {}
    Win32Backend& backend;
    int endRequests = 0;
    void endRequested() override {
        ++endRequests;
        backend.quit(0);
    }
};

TEST_F(Win32BackendTest, EventLoopRunsUntilQuitWithItsStatus) {
    Ticks ticks;
    auto t = backend.createTimer(ticks);
    ticks.onTick = [&] {
        if (ticks.count == 2) {
            backend.quit(3);
        }
    };
    t->start(20);
    LoopEvents program(backend);
    EXPECT_EQ(backend.runEventLoop(program), 3);
}

TEST_F(Win32BackendTest, SessionEndUnloadsThroughTheProgram) {
    HWND hidden = backend.messageWindow();
    EXPECT_EQ(::SendMessageW(hidden, WM_QUERYENDSESSION, 0, 0), TRUE);
    LoopEvents program(backend);
    Ticks ticks;
    auto t = backend.createTimer(ticks);
    ticks.onTick = [&] {
        if (ticks.count == 1) {
            ::SendMessageW(hidden, WM_ENDSESSION, TRUE, 0);
        }
    };
    t->start(20);
    EXPECT_EQ(backend.runEventLoop(program), 0);
    EXPECT_EQ(program.endRequests, 1);
}

TEST_F(Win32BackendTest, TaskkillEndsTheProgramAndLeavesTheShownWindowAndHelperAlone) {
    // `taskkill` without /f posts WM_CLOSE to every top-level window, in an order of its own.
    for (bool helperFirst : {true, false}) {
        SCOPED_TRACE(helperFirst ? "helper first" : "hidden window first");
        Recorder shownEvents;
        auto shown = backend.createWindow({WindowKind::Dialog, "Shown", {200, 100}}, shownEvents);
        shown->show(0);
        Recorder hiddenEvents;
        auto hidden =
            backend.createWindow({WindowKind::ToolWindow, "Hidden", {200, 100}}, hiddenEvents);
        HWND helper = backend.messageWindow();
        HWND targets[] = {helper, windowHandle(*hidden)};
        if (!helperFirst) {
            std::swap(targets[0], targets[1]);
        }
        for (HWND target : targets) {
            ::PostMessageW(target, WM_CLOSE, 0, 0);
        }
        LoopEvents program(backend);
        EXPECT_EQ(backend.runEventLoop(program), 0);
        EXPECT_GE(program.endRequests, 1);
        EXPECT_EQ(hiddenEvents.closes, 0) << "a hidden window has no close box";
        EXPECT_EQ(shownEvents.closes, 0) << "a shown window answers only its own WM_CLOSE";
        EXPECT_TRUE(::IsWindow(helper)) << "the helper owns the timers and the notice";
        win32_test::pumpFor(20);  // the second WM_CLOSE, after the loop, must not destroy either
        EXPECT_TRUE(::IsWindow(helper));
        EXPECT_TRUE(::IsWindow(windowHandle(*hidden)));
    }
}

}  // namespace
