#include "runtime/headless/HeadlessBackend.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "runtime/Error.h"

namespace runtime::headless {

// ---- controls and windows -------------------------------------------------------------------

class HeadlessBackend::Control : public NativeControl {
  public:
    explicit Control(const ControlSpec& params)
        : state_{params.kind, params.id, params.text, params.bounds, {}} {}
    void setText(std::string_view text) override { state_.text = text; }
    void setBounds(const PixelRect& bounds) override { state_.bounds = bounds; }
    void setDocument(std::string_view bytes) override { state_.document = bytes; }
    ControlState state_;
};

class HeadlessBackend::Window : public NativeWindow {
  public:
    Window(HeadlessBackend& backend, const WindowSpec& params, WindowEvents& events)
        : backend_(backend), events_(events) {
        state_.kind = params.kind;
        state_.title = params.title;
        state_.client = params.client;
        Frame f = backend_.frame(params.kind);
        state_.outer = {params.client.width + f.left + f.right,
                        params.client.height + f.top + f.bottom};
        backend_.windows_.push_back(this);
    }
    ~Window() override { std::erase(backend_.windows_, this); }

    std::unique_ptr<NativeControl> createControl(const ControlSpec& params) override {
        auto control = std::make_unique<Control>(params);
        controls_.push_back(control.get());
        state_.controls.push_back(&control->state_);
        return control;
    }
    void setTitle(std::string_view title) override { state_.title = title; }
    void show(int focusControlId) override {
        state_.visible = true;
        state_.focusedControlId = focusControlId;
        state_.activated = !showsWithoutFocus(state_.kind);
    }
    void hide() override { state_.visible = false; }
    void centre() override { ++state_.centred; }
    void placeInCorner() override { ++state_.cornered; }
    void bringToFront() override {
        ++state_.broughtToFront;
        state_.minimized = false;
    }
    PixelSize outerSize() const override { return state_.outer; }
    PixelSize clientSize() const override { return state_.client; }
    void setOuterWidth(int width) override { resizeOuter({width, state_.outer.height}); }
    void setOuterHeight(int height) override { resizeOuter({state_.outer.width, height}); }

    void resizeOuter(PixelSize size) {
        Frame f = backend_.frame(state_.kind);
        state_.outer = size;
        state_.client = {std::max(0, size.width - f.left - f.right),
                         std::max(0, size.height - f.top - f.bottom)};
    }

    HeadlessBackend& backend_;
    WindowEvents& events_;
    WindowState state_;
    std::vector<Control*> controls_;
};

// ---- timers ---------------------------------------------------------------------------------

class HeadlessBackend::TimerImpl : public NativeTimer {
  public:
    TimerImpl(HeadlessBackend& backend, TimerEvents& events) : backend_(backend), events_(events) {
        backend_.timers_.push_back(this);
    }
    ~TimerImpl() override { std::erase(backend_.timers_, this); }
    void start(int intervalMs) override {
        interval_ = intervalMs;
        due_ = backend_.now_ + intervalMs;
        running_ = true;
    }
    void stop() override { running_ = false; }

    HeadlessBackend& backend_;
    TimerEvents& events_;
    std::int64_t interval_ = 0;
    std::int64_t due_ = 0;
    bool running_ = false;
};

// ---- processes ------------------------------------------------------------------------------

class HeadlessBackend::HeadlessApplication : public Application {
  public:
    HeadlessApplication(HeadlessBackend& backend, std::int64_t pid, std::int64_t generation)
        : backend_(backend), pid_(pid), generation_(generation) {}
    std::int64_t processId() const override { return pid_; }
    void setEndsWithProgram(bool ends) override {
        if (ProcessRecord* record = backend_.processById(pid_, generation_)) {
            record->endsWithProgram = ends;
        }
    }
    void terminate() override {
        // Through the kept identity: the record of exactly the process we started.
        ProcessRecord* record = backend_.processById(pid_, generation_);
        if (record != nullptr && record->running) {
            record->running = false;
            record->terminated = true;
        }
    }

  private:
    HeadlessBackend& backend_;
    std::int64_t pid_;
    std::int64_t generation_;
};

// ---- the backend ----------------------------------------------------------------------------

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

std::unique_ptr<NativeWindow> HeadlessBackend::createWindow(const WindowSpec& params,
                                                            WindowEvents& events) {
    return std::make_unique<Window>(*this, params, events);
}

std::unique_ptr<NativeTimer> HeadlessBackend::createTimer(TimerEvents& events) {
    return std::make_unique<TimerImpl>(*this, events);
}

void HeadlessBackend::messageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    messageBoxes_.push_back({std::string(text), std::string(title), icon});
    if (onMessageBox) {
        onMessageBox(messageBoxes_.back());
    }
}

std::unique_ptr<IdleSource> HeadlessBackend::createIdleSource() {
    class Idle : public IdleSource {
      public:
        explicit Idle(const HeadlessBackend& backend) : backend_(backend) {}
        std::int64_t idleMilliseconds() override { return backend_.now_ - backend_.lastInput_; }

      private:
        const HeadlessBackend& backend_;
    };
    if (!hasIdleSource) {
        return nullptr;
    }
    return std::make_unique<Idle>(*this);
}

std::unique_ptr<Application> HeadlessBackend::startApplication(std::string_view commandLine,
                                                               int windowStyle) {
    std::string line(commandLine);
    // The runtime passes no blank line.
    std::size_t first = std::min(line.find_first_not_of(" \t"), line.size());
    std::string program = line.substr(first, line.find_first_of(" \t", first) - first);
    if (std::find(missingPrograms.begin(), missingPrograms.end(), program) !=
        missingPrograms.end()) {
        throw makeError(kFileNotFound, program);
    }
    std::int64_t pid = nextPid_++;
    processes_.push_back({pid, line, windowStyle, true, false, false, ++generation_});
    return std::make_unique<HeadlessApplication>(*this, pid, generation_);
}

std::string HeadlessBackend::logOff() {
    logOffRequests_.push_back(static_cast<int>(
        std::count_if(processes_.begin(), processes_.end(),
                      [](const ProcessRecord& record) { return record.running; })));
    return logOffRefusal;
}

// ---- the guard ------------------------------------------------------------------------------

class HeadlessBackend::HeadlessGuardLink : public GuardLink {
  public:
    HeadlessGuardLink(HeadlessBackend& backend, GuardEvents& events)
        : backend_(backend), events_(events) {
        backend_.guardLink_ = this;
    }
    ~HeadlessGuardLink() override { backend_.guardLink_ = nullptr; }
    void hello() override {
        if (!record().present) {
            events_.greeted(false);
            return;
        }
        record().calls.emplace_back("Hello");
        events_.greeted(record().guards);
    }
    void agreed() override {
        agreedSent_ = true;
        if (!record().present) {
            return;
        }
        record().calls.emplace_back("Agreed");
        if (record().secondsLeft == 0 && !record().message.empty()) {
            events_.dayUsedUp(record().message);
        } else if (record().secondsLeft < 0) {
            events_.endChanged(std::nullopt);
        } else {
            events_.endChanged(record().secondsLeft);
        }
    }
    void ending() override {
        if (record().present) {
            record().calls.emplace_back("Ending");
        }
    }
    void startsAnew() {
        // As over the bus: Agreed again only where it was said before; a gate that agreed with
        // no guard there says it once Hello is answered.
        bool said = agreedSent_;
        hello();
        if (said) {
            agreed();
        }
    }
    GuardEvents& events() { return events_; }

  private:
    bool agreedSent_ = false;
    GuardRecord& record() { return backend_.guard; }
    HeadlessBackend& backend_;
    GuardEvents& events_;
};

std::unique_ptr<GuardLink> HeadlessBackend::connectGuard(GuardEvents& events) {
    return std::make_unique<HeadlessGuardLink>(*this, events);
}

void HeadlessBackend::guardMovesEnd(std::int64_t secondsLeft) {
    if (guardLink_ != nullptr) {
        guardLink_->events().endChanged(secondsLeft);
    }
}

void HeadlessBackend::guardEndsNow() {
    if (guardLink_ != nullptr) {
        guardLink_->events().endNow();
    }
}

void HeadlessBackend::guardStartsAnew() {
    guard.present = true;
    if (guardLink_ != nullptr) {
        guardLink_->startsAnew();
    }
}

int HeadlessBackend::runEventLoop(ProgramEvents&) {
    // Everything happens when a test advances the clock: a program still running would wait
    // here for ever, and one that has ended has no business here.
    throw std::logic_error("the headless backend has no event loop; drive the program instead");
}

void HeadlessBackend::quit(int status) {
    quitStatus_ = status;
}

void HeadlessBackend::advance(std::int64_t ms) {
    std::int64_t until = now_ + ms;
    for (;;) {
        // The running timer due first; timers created by its handler join the next round.
        TimerImpl* next = nullptr;
        for (TimerImpl* t : timers_) {
            if (t->running_ && t->interval_ > 0 && t->due_ <= until &&
                (next == nullptr || t->due_ < next->due_)) {
                next = t;
            }
        }
        if (next == nullptr) {
            break;
        }
        now_ = next->due_;
        next->due_ += next->interval_;
        next->events_.ticked();
    }
    now_ = until;
}

HeadlessBackend::Window* HeadlessBackend::findVisible(const std::string& title) const {
    for (Window* w : windows_) {
        if (w->state_.visible && w->state_.title == title) {
            return w;
        }
    }
    return nullptr;
}

bool HeadlessBackend::click(const std::string& windowTitle, const std::string& buttonText) {
    Window* w = findVisible(windowTitle);
    if (w == nullptr) {
        return false;
    }
    input();
    for (Control* c : w->controls_) {
        if (c->state_.kind == ControlKind::Button && c->state_.text == buttonText) {
            w->events_.clicked(c->state_.id);
            return true;
        }
    }
    return false;
}

bool HeadlessBackend::requestClose(const std::string& windowTitle) {
    Window* w = findVisible(windowTitle);
    if (w == nullptr) {
        return false;
    }
    input();
    w->events_.closeRequested();
    return true;
}

bool HeadlessBackend::minimize(const std::string& windowTitle) {
    Window* w = findVisible(windowTitle);
    if (w == nullptr) {
        return false;
    }
    w->state_.minimized = true;
    return true;
}

std::vector<const WindowState*> HeadlessBackend::windows() const {
    std::vector<const WindowState*> out;
    for (Window* w : windows_) {
        out.push_back(&w->state_);
    }
    return out;
}

const WindowState* HeadlessBackend::window(const std::string& title) const {
    for (Window* w : windows_) {
        if (w->state_.title == title) {
            return &w->state_;
        }
    }
    return nullptr;
}

const WindowState* HeadlessBackend::visibleWindow(const std::string& title) const {
    Window* w = findVisible(title);
    return w != nullptr ? &w->state_ : nullptr;
}

int HeadlessBackend::activeTimers() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](TimerImpl* t) { return t->running_; }));
}

ProcessRecord* HeadlessBackend::processById(std::int64_t pid, std::int64_t generation) {
    for (ProcessRecord& p : processes_) {
        if (p.pid == pid && p.generation == generation) {
            return &p;
        }
    }
    return nullptr;
}

void HeadlessBackend::exitProcess(std::int64_t pid) {
    for (ProcessRecord& p : processes_) {
        if (p.pid == pid && p.running) {
            p.running = false;
        }
    }
}

void HeadlessBackend::spawnUnrelated(std::int64_t pid) {
    processes_.push_back({pid, "(unrelated)", 0, true, false, false, ++generation_});
}

}  // namespace runtime::headless
