#pragma once
// The platform table: everything native that a backend provides, grouped by concern. The rules
// of the forms runtime (which forms are loaded, when the program ends, the no-overlap guard,
// twips, tab order) live in Program and Form; a backend only does native things and reports events
// back through the sinks below. All geometry here is in pixels, all text UTF-8; the forms never
// give a negative size.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Twips.h"

namespace runtime {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Where a window of this outer size stands in the middle of the work area. One larger than the
// work area keeps its top-left corner on it, so that its title bar can still be reached.
constexpr PixelRect centredOn(const PixelRect& workArea, PixelSize outer) {
    auto middle = [](int start, int room, int size) {
        return start + (room > size ? (room - size) / 2 : 0);
    };
    return {middle(workArea.left, workArea.width, outer.width),
            middle(workArea.top, workArea.height, outer.height), outer.width, outer.height};
}

// Where a window of this outer size stands in the bottom-right corner of the work area, out of
// the way. One larger than the work area keeps its top-left corner on it.
constexpr PixelRect inCornerOf(const PixelRect& workArea, PixelSize outer) {
    auto end = [](int start, int room, int size) {
        return start + (room > size ? room - size : 0);
    };
    return {end(workArea.left, workArea.width, outer.width),
            end(workArea.top, workArea.height, outer.height), outer.width, outer.height};
}

// Twips per pixel at a resolution in dots per inch; at 96 dots per inch for none.
constexpr double twipsPerPixelAt(double dotsPerInch) {
    return dotsPerInch > 0 ? kTwipsPerInch / dotsPerInch : kTwipsPerPixel;
}

// ---- events, reported by a backend ----------------------------------------------------------

// Events of one window. A backend calls these on the user-interface thread; the runtime decides
// when the form's handlers run.
class WindowEvents {
  public:
    virtual ~WindowEvents() = default;
    // The user activated the control with this id (mouse or keyboard).
    virtual void clicked(int controlId) = 0;
    // The title bar's close box or the window manager asked the window to close. (On Windows a
    // WM_CLOSE to a hidden window comes from outside, taskkill without /f: that one ends the
    // program through ProgramEvents::endRequested instead.)
    virtual void closeRequested() = 0;
    // The window's size changed for a reason of the platform's own (the window manager).
    virtual void resized() = 0;
};

class TimerEvents {
  public:
    virtual ~TimerEvents() = default;
    // One interval has passed.
    virtual void ticked() = 0;
};

// Events of the program as a whole.
class ProgramEvents {
  public:
    virtual ~ProgramEvents() = default;
    // The program is asked to end from outside (SIGTERM, a Windows session end).
    virtual void endRequested() = 0;
};

// ---- window ---------------------------------------------------------------------------------

enum class WindowKind {
    ToolWindow,  // fixed tool-window border, close box, no minimize/maximize, not in the taskbar
    Dialog,      // fixed dialog border, close box, no minimize/maximize, not in the taskbar
    // A dialog that stays on top of other windows and is shown without taking the keyboard
    // focus from whatever window has it: a message that must not interrupt the user's typing.
    Notice,
    // A small window that shows something the user may glance at (the time left): on top of
    // other windows, never taking the keyboard focus, movable and minimizable where the desktop
    // allows it, with no close box. A close request does nothing.
    Countdown,
};

// Whether the window has a close box and a close request unloads its form.
constexpr bool closesOnRequest(WindowKind kind) {
    return kind != WindowKind::Countdown;
}

// Whether the window is first shown in the bottom-right corner of the work area rather than in
// its middle.
constexpr bool shownInCorner(WindowKind kind) {
    return kind == WindowKind::Countdown;
}

// Whether the window is shown without taking the keyboard focus from the active window.
constexpr bool showsWithoutFocus(WindowKind kind) {
    return kind == WindowKind::Notice || kind == WindowKind::Countdown;
}

// Escape closes the dialogs as their close box does. The tool window (the policy window) keeps
// its keys: closing it is Disagree, which a stray Escape must not decide.
constexpr bool closesOnEscape(WindowKind kind) {
    return kind != WindowKind::ToolWindow && closesOnRequest(kind);
}

enum class ControlKind { Button, Label, RichText };

struct WindowSpec {
    WindowKind kind = WindowKind::Dialog;
    std::string title;
    PixelSize client;  // the designed client area
};

struct ControlSpec {
    ControlKind kind = ControlKind::Button;
    int id = 0;  // reported back in WindowEvents::clicked
    std::string text;
    PixelRect bounds;  // in the window's client area
};

class NativeControl {
  public:
    virtual ~NativeControl() = default;
    virtual void setText(std::string_view text) = 0;
    virtual void setBounds(const PixelRect& bounds) = 0;
    // Shows a document in a rich-text control: the file's bytes, RTF or, when they are not RTF,
    // plain text. Empty bytes give an empty view.
    virtual void setDocument(std::string_view bytes) = 0;
};

class NativeWindow {
  public:
    virtual ~NativeWindow() = default;
    // The runtime creates a window's controls in tab order: each new control goes last in the
    // window's keyboard order.
    virtual std::unique_ptr<NativeControl> createControl(const ControlSpec& params) = 0;
    virtual void setTitle(std::string_view title) = 0;
    // Shows the window and gives the focus to the control with this id; a Notice keeps that
    // focus inside itself and leaves the active window as it is.
    virtual void show(int focusControlId) = 0;
    // Places the window in the middle of the screen's work area, frame included.
    virtual void centre() = 0;
    // Places the window in the bottom-right corner of the screen's work area, frame included.
    virtual void placeInCorner() = 0;
    // Brings a shown window back into view: restored when minimized and above other windows,
    // without taking the focus. A Notice is announced to screen readers again.
    virtual void bringToFront() = 0;
    virtual void hide() = 0;
    // The size with the frame and the title bar.
    virtual PixelSize outerSize() const = 0;
    virtual PixelSize clientSize() const = 0;
    // One dimension of the outer size; the other keeps what it has. A window manager's frame
    // may only be known once the window is shown: the outer size set here stays, the client
    // area gives way.
    virtual void setOuterWidth(int width) = 0;
    virtual void setOuterHeight(int height) = 0;
};

class NativeTimer {
  public:
    virtual ~NativeTimer() = default;
    // Starts ticking every interval; a running timer starts its interval anew.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

// ---- process --------------------------------------------------------------------------------

// An application this program started: the process its command line started and every process
// that one brings about, directly or not, detached ones included. It is held through what was
// kept from the start (a job object, a keeper process, a handle or pidfd), never through ids
// looked up later, so terminate() can never reach a process that merely reuses an id.
class Application {
  public:
    // Lets go of it; the application runs on unless setEndsWithProgram(true) holds.
    virtual ~Application() = default;
    // The id of the process the command line started.
    virtual std::int64_t processId() const = 0;
    // Whether the application ends when this program ends in any way that skips its end step
    // (killed, crashed). Off until set.
    virtual void setEndsWithProgram(bool ends) = 0;
    // Ends every process of the application; one that has already ended is left alone,
    // silently.
    virtual void terminate() = 0;
};

// ---- idle time ------------------------------------------------------------------------------

// How long the session's user has given no input: the desktop's own count of keyboard and
// mouse input anywhere in the session, not only in this program's windows.
class IdleSource {
  public:
    virtual ~IdleSource() = default;
    // Milliseconds since the last keyboard or mouse input in the session.
    virtual std::int64_t idleMilliseconds() = 0;
};

// ---- the backend ----------------------------------------------------------------------------

enum class MessageIcon { None, Critical };

class Backend {
  public:
    virtual ~Backend() = default;

    // environment
    // The running executable's folder, UTF-8.
    virtual std::string executableDirectory() = 0;
    // The screen's logical dots per inch, horizontally; 0 when the system cannot say.
    virtual double logicalDpiX() = 0;
    // Twips per pixel at that resolution (1440 twips to the inch); 96 dots per inch when the
    // system cannot say. The runtime's rule, the same for every backend.
    double twipsPerPixelX() { return twipsPerPixelAt(logicalDpiX()); }

    // The wall clock: milliseconds since 1970-01-01 00:00 UTC. It may jump when the clock is
    // set; timers count elapsed time and do not.
    virtual std::int64_t wallClockMs() = 0;
    // Milliseconds on a clock that only runs forward, from an arbitrary start: what the session
    // clock counts the time since Agree on.
    virtual std::int64_t monotonicMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    // The local time zone's offset from UTC, in seconds east, at this moment (seconds since
    // 1970-01-01 00:00 UTC): daylight saving included as it applies at that moment.
    virtual std::int32_t utcOffsetAt(std::int64_t utcSeconds) = 0;

    // windows and timers
    virtual std::unique_ptr<NativeWindow> createWindow(const WindowSpec& params,
                                                       WindowEvents& events) = 0;
    virtual std::unique_ptr<NativeTimer> createTimer(TimerEvents& events) = 0;

    // The session's idle time as the desktop counts it; null where this desktop offers no
    // idle source.
    virtual std::unique_ptr<IdleSource> createIdleSource() { return nullptr; }

    // A modal message box with one OK button; returns when the user dismissed it.
    virtual void messageBox(std::string_view text, std::string_view title, MessageIcon icon) = 0;

    // The critical box that reports a fatal error, after which the program ends. It also
    // returns when the program is asked to end from outside while it is up (SIGTERM): such an
    // end is the box's OK, the exit status the same. Where the backend cannot tell, it is a
    // message box like any other.
    virtual void fatalErrorBox(std::string_view text, std::string_view title) {
        messageBox(text, title, MessageIcon::Critical);
    }

    // Writes one line about a message box being shown where the session keeps its log; the
    // Linux program uses standard error, the Windows program has none and ignores it.
    virtual void log(std::string_view line) { (void)line; }

    // Starts a command line with the given window style, both checked by the runtime (a line
    // that is not blank, one of Shell's styles); throws runtime::Error when the program cannot
    // be started (53 missing, 70 not permitted, 5 a line the platform cannot read).
    virtual std::unique_ptr<Application> startApplication(std::string_view commandLine,
                                                          int windowStyle) = 0;

    // session
    // Asks the platform to end the user's desktop session (log the user off) and returns without
    // waiting for it: the session's end takes this program down with everything else. Returns
    // why it could not, in a few words, or an empty string when the platform took the request.
    // Never waits long: a platform service that does not answer counts as a refusal.
    virtual std::string logOff() = 0;

    // The event loop: runs until quit() and returns its status. Program events (an end asked
    // for from outside) go to `events` while it runs. The runtime enters it only while the
    // program runs.
    virtual int runEventLoop(ProgramEvents& events) = 0;
    // Ends the running event loop with this status. Outside the loop (the program ended while
    // starting) there is nothing to end, and nothing may be left behind for a later loop.
    virtual void quit(int status) = 0;
};

}  // namespace runtime
