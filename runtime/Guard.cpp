#include "runtime/Guard.h"

#include <utility>

#include "runtime/Program.h"

namespace runtime {

Guard::~Guard() = default;

void Guard::Hello() {
    if (state_ != State::Unknown) {
        return;
    }
    link_ = Program::current().backend().connectGuard(*this);
    if (!link_) {
        state_ = State::Unguarded;
        return;
    }
    state_ = State::Asked;
    link_->hello();
}

void Guard::Agreed() {
    // Sent while Hello's answer is still on its way too: the guard answers for itself.
    if (listening() && !agreed_) {
        agreed_ = true;
        link_->agreed();
    }
}

void Guard::Ending() {
    if (listening()) {
        link_->ending();
    }
    state_ = State::Ended;
}

// What the guard says runs as any event does, after the handler that is running; by then the
// gate may have ended or been told it is not guarded, and the word is dropped.

void Guard::greeted(bool guarded) {
    if (state_ == State::Asked) {
        state_ = guarded ? State::Guarded : State::Unguarded;
    }
}

void Guard::endChanged(std::optional<std::int64_t> secondsLeft) {
    Program::current().post([this, secondsLeft] {
        if (Guarded() && agreed_ && OnEndChanged) {
            OnEndChanged(secondsLeft);
        }
    });
}

void Guard::dayUsedUp(std::string message) {
    Program::current().post([this, message = std::move(message)] {
        if (Guarded() && agreed_ && OnDayUsedUp) {
            OnDayUsedUp(message);
        }
    });
}

void Guard::endNow() {
    Program::current().post([this] {
        if (Guarded() && OnEndNow) {
            OnEndNow();
        }
    });
}

}  // namespace runtime
