#pragma once
// The backend the tests drive. It keeps real state (windows, controls, timers, message boxes,
// started applications) and feeds events back through the same entry points as the real backends.
// Time is virtual: timers tick only when a test advances the clock.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/Backend.h"

namespace runtime::headless {

class HeadlessBackend;

struct ControlState {
    ControlKind kind = ControlKind::Button;
    int id = 0;
    std::string text;
    PixelRect bounds;
    std::string document;  // rich-text controls: the bytes last shown
};

struct WindowState {
    WindowKind kind = WindowKind::Dialog;
    std::string title;
    PixelSize outer;
    PixelSize client;
    bool visible = false;
    int centred = 0;   // how often the window was centred
    int cornered = 0;  // how often it was placed in the work area's bottom-right corner
    int broughtToFront = 0;
    bool minimized = false;
    int focusedControlId = 0;
    // The window became the active one when it was shown (a Notice never does).
    bool activated = false;
    std::vector<ControlState*> controls;  // in the order created: the runtime's tab order

    // The control with this id (a form's control's id()); null when there is none.
    const ControlState* control(int id) const {
        for (const ControlState* c : controls) {
            if (c->id == id) {
                return c;
            }
        }
        return nullptr;
    }
};

struct MessageBoxRecord {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;
    bool operator==(const MessageBoxRecord&) const = default;
};

// A program "started" by the headless backend: a record that tests can end or reuse.
struct ProcessRecord {
    std::int64_t pid = 0;
    std::string commandLine;
    int windowStyle = 0;
    bool running = true;
    bool terminated = false;       // ended by this program
    bool endsWithProgram = false;  // as the program last set it
    std::int64_t generation = 0;
};

class HeadlessBackend : public Backend {
  public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    // ---- set-up ----
    void setExecutableDirectory(std::string dir) { exeDir_ = std::move(dir); }
    void setTwipsPerPixel(double tpp) { dotsPerInch_ = kTwipsPerInch / tpp; }
    // The frame a window of this kind gets around its client area, in pixels.
    struct Frame {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    void setFrame(WindowKind kind, Frame frame) { frames_[static_cast<int>(kind)] = frame; }
    Frame frame(WindowKind kind) const { return frames_[static_cast<int>(kind)]; }
    // The wall clock at the virtual clock's present moment, UTC milliseconds; it moves on with
    // the virtual clock, and setting it again is a clock change.
    void setWallClock(std::int64_t utcMs) { wallAtZero_ = utcMs - now_; }
    // The local time zone: its offset from UTC in seconds east at a UTC moment. UTC unless set.
    std::function<std::int32_t(std::int64_t utcSeconds)> timeZone;
    // Called while a message box is open, before it is dismissed: a test can let virtual time
    // pass here, as a user who takes a while to press OK.
    std::function<void(const MessageBoxRecord&)> onMessageBox;
    // Programs whose command line names a program that does not exist: startApplication fails
    // with error 53 for a line whose first word is listed here.
    std::vector<std::string> missingPrograms;
    // Whether the desktop offers an idle source: off, createIdleSource gives none.
    bool hasIdleSource = true;
    // The lines the program wrote to its log, oldest first.
    std::vector<std::string> logLines;
    // What logOff() answers: empty, the platform takes the request; else why it refuses.
    std::string logOffRefusal;

    // ---- what a user does ----
    // Advances the virtual clock, delivering every tick that falls due, in time order.
    void advance(std::int64_t ms);
    std::int64_t now() const { return now_; }
    // Clicks the button with this text in the visible window with this title. Returns false
    // when there is no such visible window or button.
    bool click(const std::string& windowTitle, const std::string& buttonText);
    // Asks the visible window with this title to close, as its close box does.
    bool requestClose(const std::string& windowTitle);
    // A key press or a mouse move somewhere in the session, now on the virtual clock. A click
    // is input too.
    void input() { lastInput_ = now_; }
    // Minimizes the visible window with this title, as its title bar's button does.
    bool minimize(const std::string& windowTitle);

    // ---- what a test reads ----
    std::vector<const WindowState*> windows() const;
    const WindowState* window(const std::string& title) const;  // the first with this title
    const WindowState* visibleWindow(const std::string& title) const;
    const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }
    const std::vector<ProcessRecord>& processes() const { return processes_; }
    std::optional<int> quitStatus() const { return quitStatus_; }
    // Each request to end the session, refused or not, in order: how many started programs
    // were still running when it came.
    const std::vector<int>& logOffRequests() const { return logOffRequests_; }
    int activeTimers() const;

    // ---- the operating system's side of processes ----
    // The process with this pid exits by itself.
    void exitProcess(std::int64_t pid);
    // An unrelated process appears with this pid (the id of one that ended is reused).
    void spawnUnrelated(std::int64_t pid);

    // ---- Backend ----
    std::string executableDirectory() override { return exeDir_; }
    double logicalDpiX() override { return dotsPerInch_; }
    std::int64_t wallClockMs() override { return wallAtZero_ + now_; }
    std::int64_t monotonicMs() override { return now_; }
    std::int32_t utcOffsetAt(std::int64_t utcSeconds) override {
        return timeZone ? timeZone(utcSeconds) : 0;
    }
    std::unique_ptr<NativeWindow> createWindow(const WindowSpec& params,
                                               WindowEvents& events) override;
    // Ticks only as the test advances the clock.
    std::unique_ptr<NativeTimer> createTimer(TimerEvents& events) override;
    // Recorded, then dismissed at once (after onMessageBox).
    void messageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
    // Idle since the last input(), click() or requestClose() (or the clock's start).
    std::unique_ptr<IdleSource> createIdleSource() override;
    // Recorded in logLines.
    void log(std::string_view line) override { logLines.emplace_back(line); }
    // Recorded as a running process.
    std::unique_ptr<Application> startApplication(std::string_view commandLine,
                                                  int windowStyle) override;
    // Recorded in logOffRequests(); answers logOffRefusal.
    std::string logOff() override;
    // There is no loop: entering it throws std::logic_error.
    int runEventLoop(ProgramEvents& events) override;
    // Recorded as quitStatus().
    void quit(int status) override;

  private:
    class Window;
    class Control;
    class TimerImpl;
    class HeadlessApplication;
    friend class Window;
    friend class TimerImpl;
    friend class HeadlessApplication;

    Window* findVisible(const std::string& title) const;
    ProcessRecord* processById(std::int64_t pid, std::int64_t generation);

    std::string exeDir_ = "/porvane";
    double dotsPerInch_ = 96.0;
    Frame frames_[4] = {{3, 20, 3, 3}, {3, 26, 3, 3}, {3, 26, 3, 3}, {3, 20, 3, 3}};
    std::int64_t now_ = 0;
    std::int64_t lastInput_ = 0;
    std::int64_t wallAtZero_ = 0;
    std::vector<Window*> windows_;
    std::vector<TimerImpl*> timers_;
    std::vector<MessageBoxRecord> messageBoxes_;
    std::vector<ProcessRecord> processes_;
    std::int64_t nextPid_ = 1000;
    std::int64_t generation_ = 0;
    std::optional<int> quitStatus_;
    std::vector<int> logOffRequests_;
};

}  // namespace runtime::headless
