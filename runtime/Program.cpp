#include "runtime/Program.h"

#include <stdexcept>

namespace runtime {
namespace {
Program* gCurrent = nullptr;

// How often an end asked for from outside unloads whatever is loaded; a form that loads
// another in its unload step cannot keep the program alive past this.
constexpr int kMaxUnloadRounds = 8;
}  // namespace

Program::Program(Backend& backend, std::string title)
    : backend_(backend), title_(std::move(title)) {
    if (gCurrent != nullptr) {
        throw std::logic_error("only one runtime::Program may exist at a time");
    }
    gCurrent = this;
}

Program::~Program() {
    // Forms go before the program they belong to; their destroy steps already ran at the end.
    forms_.clear();
    gCurrent = nullptr;
}

Program& Program::current() {
    if (gCurrent == nullptr) {
        throw std::logic_error("no runtime::Program is running");
    }
    return *gCurrent;
}

Form* Program::find(const std::type_info& type) const {
    for (const auto& [key, form] : forms_) {
        if (key == std::type_index(type)) {
            return form.get();
        }
    }
    return nullptr;
}

Form* Program::adopt(const std::type_info& type, std::unique_ptr<Form> form) {
    forms_.emplace_back(std::type_index(type), std::move(form));
    return forms_.back().second.get();
}

bool Program::anyLoaded() const {
    for (const auto& entry : forms_) {
        if (entry.second->Loaded()) {
            return true;
        }
    }
    return false;
}

void Program::post(std::function<void()> handler) {
    if (ended_) {
        return;
    }
    if (busy_) {
        queue_.push_back(std::move(handler));
        return;
    }
    handle(handler);
}

void Program::handle(const std::function<void()>& handler) {
    busy_ = true;
    try {
        handler();
    } catch (...) {
        Error error = currentError();
        busy_ = false;
        fatal(error);
        return;
    }
    busy_ = false;
    drain();
    if (!ended_ && !anyLoaded()) {
        end();
    }
}

void Program::drain() {
    while (!queue_.empty() && !ended_) {
        std::function<void()> next = std::move(queue_.front());
        queue_.pop_front();
        handle(next);
    }
}

void Program::fatal(const Error& error) {
    if (ended_) {
        return;
    }
    ended_ = true;
    exitStatus_ = 1;
    queue_.clear();
    std::string text = fatalErrorText(error);
    try {
        backend_.log(singleLine(text));
        backend_.fatalErrorBox(text, title_);
    } catch (...) {
        // Nothing more can be reported; the program still ends with status 1.
    }
    backend_.quit(1);
}

void Program::end() {
    ended_ = true;
    // Every live form is destroyed now; its destroy step may still read settings and show
    // their error notice, so the backend keeps running until the steps are done.
    for (auto& entry : forms_) {
        try {
            entry.second->terminate();
        } catch (...) {
            Error error = currentError();
            ended_ = false;
            fatal(error);
            return;
        }
    }
    exitStatus_ = 0;
    backend_.quit(0);
}

void Program::endRequested() {
    post([this] {
        for (int round = 0; round < kMaxUnloadRounds && anyLoaded(); ++round) {
            // By index: an unload step may create another form.
            for (std::size_t i = 0; i < forms_.size(); ++i) {
                forms_[i].second->Unload();
            }
        }
    });
}

}  // namespace runtime
