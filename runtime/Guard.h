#pragma once
// The gate's side of the guard: the service outside the user's reach that holds a guarded
// session to its time. The gate makes itself known, reports Agree and its orderly end, and
// follows the end the guard gives. Where no guard answers, or the guard does not guard this
// session, nothing is sent after Hello and nothing is heard: the gate runs as with no guard.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "runtime/Backend.h"

namespace runtime {

class Guard : private GuardEvents {
  public:
    Guard() = default;
    ~Guard() override;
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    // Makes the gate known to the guard; returns at once, the answer comes later. Once only.
    void Hello();
    // Reports Agree; the guard's answer comes through OnEndChanged or OnDayUsedUp.
    void Agreed();
    // Reports the gate's orderly end; after it the guard is not heard any more.
    void Ending();
    // Whether a guard said it guards this session.
    bool Guarded() const { return state_ == State::Guarded; }

    // The form's handlers, bound in its constructor; each runs as any event's handler does.
    // The guard's end, seconds from now (none: the guard sets none), after Agree.
    std::function<void(std::optional<std::int64_t> secondsLeft)> OnEndChanged;
    // The user's time for the day is used up, after Agree: the words to show.
    std::function<void(const std::string& message)> OnDayUsedUp;
    // The administrator ended the session.
    std::function<void()> OnEndNow;

  private:
    enum class State { Unknown, Asked, Guarded, Unguarded, Ended };

    void greeted(bool guarded) override;
    void endChanged(std::optional<std::int64_t> secondsLeft) override;
    void dayUsedUp(std::string message) override;
    void endNow() override;
    // Whether a guard may still be listening: asked and not yet told otherwise, or guarding.
    bool listening() const { return state_ == State::Asked || state_ == State::Guarded; }
    void tellAgreed();

    std::unique_ptr<GuardLink> link_;
    State state_ = State::Unknown;
    bool userAgreed_ = false;
    // Agreed went to the link, which says it again to a guard that starts anew.
    bool agreedSent_ = false;
};

}  // namespace runtime
