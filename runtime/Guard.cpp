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
    userAgreed_ = true;
    // Sent while Hello's answer is still on its way too: the guard answers for itself.
    if (listening()) {
        tellAgreed();
    }
}

void Guard::tellAgreed() {
    if (!agreedSent_) {
        agreedSent_ = true;
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
    if (state_ == State::Ended) {
        return;
    }
    state_ = guarded ? State::Guarded : State::Unguarded;
    // A guard that came only after Agree hears of it now.
    if (guarded && userAgreed_) {
        tellAgreed();
    }
}

void Guard::endChanged(std::optional<std::int64_t> secondsLeft) {
    Program::current().post([this, secondsLeft] {
        if (Guarded() && agreedSent_ && OnEndChanged) {
            OnEndChanged(secondsLeft);
        }
    });
}

void Guard::dayUsedUp(std::string message) {
    Program::current().post([this, message = std::move(message)] {
        if (Guarded() && agreedSent_ && OnDayUsedUp) {
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
