#pragma once
// The program: its forms, the rule that it ends when no form is loaded any more, and the
// guard that keeps handlers from overlapping. One Program exists at a time; forms and the
// runtime's services reach it through Program::current().

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "runtime/Backend.h"
#include "runtime/Error.h"
#include "runtime/Form.h"

namespace runtime {

class Program : public ProgramEvents {
  public:
    // `title` is the program's name, the title of its fatal-error box.
    explicit Program(Backend& backend, std::string title = "Porvane");
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The one live program; std::logic_error when there is none.
    static Program& current();

    Backend& backend() { return backend_; }
    const std::string& title() const { return title_; }

    // The form's single instance: created on first use and loaded before this returns.
    template <class F>
    F& defaultInstance() {
        Form* form = find(typeid(F));
        if (form == nullptr) {
            form = adopt(typeid(F), std::make_unique<F>());
        }
        form->load();
        return static_cast<F&>(*form);
    }

    // The form's instance if it was ever created, without loading it.
    template <class F>
    F* existing() {
        return static_cast<F*>(find(typeid(F)));
    }

    // Creates, loads and shows the start-up form. Returns at once; tests drive the program
    // from here through the headless backend.
    template <class F>
    void start() {
        handle([this] { defaultInstance<F>().Show(); });
    }

    // Starts the program with F as its start-up form and runs the event loop until the
    // program ends. Returns the exit status: 0 after an orderly end, 1 after a fatal error.
    template <class F>
    int run() {
        start<F>();
        if (ended_) {
            return exitStatus_;
        }
        int status = backend_.runEventLoop(*this);
        return ended_ ? exitStatus_ : status;
    }

    bool ended() const { return ended_; }
    int exitStatus() const { return exitStatus_; }

    // Asked from outside to end (a signal, a session end): unloads every form in order, so the
    // unload and destroy steps run as in any orderly end.
    void endRequested() override;

    // Runs an event's handler now, or after the running handler when one is running. Errors
    // that leave it are fatal.
    void post(std::function<void()> handler);

  private:
    friend class Form;
    Form* find(const std::type_info& type) const;
    Form* adopt(const std::type_info& type, std::unique_ptr<Form> form);
    bool anyLoaded() const;
    void handle(const std::function<void()>& handler);
    void drain();
    void fatal(const Error& error);
    void end();

    Backend& backend_;
    std::string title_;
    std::vector<std::pair<std::type_index, std::unique_ptr<Form>>> forms_;
    std::deque<std::function<void()>> queue_;
    bool busy_ = false;
    bool ended_ = false;
    int exitStatus_ = 0;
};

// The form's single instance, created and loaded on first use.
template <class F>
F& defaultInstance() {
    return Program::current().defaultInstance<F>();
}

}  // namespace runtime
