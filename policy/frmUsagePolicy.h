#pragma once
// The policy window: the program's start-up window. It shows the usage policy with Agree and
// Disagree, starts the configured application on Agree, ends the session when the session clock
// says its time is up, and at the program's end can end the application it started.

#include <cstdint>
#include <memory>
#include <optional>

#include "policy/PolicyRules.h"
#include "policy/SessionClock.h"
#include "runtime/Backend.h"
#include "runtime/Form.h"

class frmUsagePolicy : public runtime::Form {
  public:
    frmUsagePolicy();

    // Designed layout, twips.
    runtime::RichTextBox rtbPolicy{*this, {0, 0, policy::kClientWidth, 3975}, 2};
    runtime::CommandButton cmdAgree{*this, "Agree", {3360, 4200, policy::kButtonWidth, 375}, 0};
    runtime::CommandButton cmdDisagree{
        *this, "Disagree", {120, 4200, policy::kButtonWidth, 375}, 1};
    // The session's clock from Agree on: at each tick the window asks the session clock what is
    // due, and the clock says when to tick next.
    runtime::Timer tmrClose{*this, 1000, false};

    // ClosePorvaneInSeconds as read when the window loads; 0: no timed close.
    std::int32_t lCloseSeconds = 0;
    // True once Agree ran to its end.
    bool bAppStarted = false;
    // Why the session ended; none while it runs.
    std::optional<policy::EndReason> vEndReason;

    void cmdAgree_Click();
    void cmdDisagree_Click();
    void tmrClose_Timer();

    // An end handed in from outside (the guard's), in ms since Agree; none: the plan's own end
    // again. The countdown follows within a second. Without a session running, nothing.
    void setOutsideEnd(std::optional<std::int64_t> sinceAgreeMs);

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;
    void Form_Terminate() override;

  private:
    void StartClock();
    policy::ClockNow Now() const;
    void Tick(const policy::ClockStep& step);
    // Ends the session, in this order: the application at once when time ended it and
    // CloseApplicationOnClose reads True now (the notice only tells the user: waiting for its
    // OK must not give the application more time), then the window unloads, which closes the
    // side windows and shows the closing notice; the log-off comes at the program's end, once
    // the notice is closed (Form_Terminate).
    void endSession(policy::EndReason reason);
    void CloseSideWindows();
    void ShowClosingNotice();
    void CloseApplication();
    void ShowCountdown();
    void ShowTimeLeft(std::int64_t seconds);
    void ShowWarning();
    void ShowIdleWarning(std::int64_t secondsLeft);
    void UnloadIdleWarning();

    // The session's time, from Agree.
    std::optional<policy::SessionClock> oClock;
    // The monotonic clock at Agree.
    std::int64_t lAgreedAtMs = 0;
    // The started application itself, kept from its start so that ending it can never reach
    // another process that later got the same id.
    std::unique_ptr<runtime::Application> oStartedApp;
    // The desktop's idle time while an idle end is armed.
    std::unique_ptr<runtime::IdleSource> oIdle;
    // True once endSession ended the application: the end step has nothing left to decide.
    bool bAppEndedForTime = false;
};
