#pragma once
// The policy window: the program's start-up window. It shows the usage policy with Agree and
// Disagree, starts the configured application on Agree, can close itself after a set number
// of seconds or when the session has been idle that long, and at the program's end can end the
// application it started.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "policy/PolicyRules.h"
#include "runtime/Backend.h"
#include "runtime/Form.h"
#include "runtime/Guard.h"

class frmUsagePolicy : public runtime::Form {
  public:
    frmUsagePolicy();

    // Designed layout, twips.
    runtime::RichTextBox rtbPolicy{*this, {0, 0, policy::kClientWidth, 3975}, 2};
    runtime::CommandButton cmdAgree{*this, "Agree", {3360, 4200, policy::kButtonWidth, 375}, 0};
    runtime::CommandButton cmdDisagree{
        *this, "Disagree", {120, 4200, policy::kButtonWidth, 375}, 1};
    runtime::Timer tmrClose{*this, 1000, false};
    // Looks at the session's idle time, about once a second, from Agree on when an idle end is
    // set.
    runtime::Timer tmrIdle{*this, 1000, false};
    // The guard, where one guards this session: the gate makes itself known when it loads,
    // reports Agree and its orderly end, and follows the end the guard gives.
    runtime::Guard oGuard;

    // Ticks after Agree at which the window unloads itself; 0: no timed close.
    std::int32_t lCloseSeconds = 0;
    // The started application's process id, once Agree started it.
    std::optional<double> vTaskId;
    // True once Agree ran to its end.
    bool bAppStarted = false;
    // Ticks counted so far by tmrClose_Timer.
    std::int32_t lTicks = 0;
    // The closing time, from Agree: the next moment the local clock reads CloseAt, as the
    // clock counts (policy::nextClosingTime); none without one.
    std::optional<std::int64_t> vCloseAt;
    // The reminders still to come: seconds before the end at which the time-limit warning
    // appears, largest first. Read on Agree with the warning's title and text.
    std::vector<std::int32_t> vWarnSeconds;
    std::string sWarnTitle;
    std::string sWarnText;
    // Seconds without input after which the session ends, and before that end the idle
    // warning shows; 0: no idle end, no warning. Read on Agree, as the idle rules take them.
    std::int32_t lIdleSeconds = 0;
    std::int32_t lIdleWarnSeconds = 0;
    std::string sIdleWarnTitle;
    std::string sIdleWarnText;
    // The guard's end, in ticks since Agree as lTicks counts them; it stands in for the
    // settings' own end. None: the settings' end.
    std::optional<std::int64_t> vGuardEndTick;
    // Whether the countdown shows the time left, and its title. Read on Agree.
    bool bShowTimeLeft = false;
    std::string sTimeLeftTitle;

    void cmdAgree_Click();
    void cmdDisagree_Click();
    void tmrClose_Timer();
    void tmrIdle_Timer();
    void oGuard_EndChanged(std::optional<std::int64_t> secondsLeft);
    void oGuard_DayUsedUp(const std::string& message);
    void oGuard_EndNow();

    // Ends the session because its time is up (the time limit, the closing time, idleness):
    // the timers stop, bTimeUp is set, the application ends at once when
    // CloseApplicationOnClose reads True now, and then the window unloads, which shows the
    // closing notice when configured. The notice only tells the user: waiting for its OK must
    // not give the application more time. A message, when given, is shown once the application
    // has ended and before the window unloads.
    void EndForTime(const std::string& message = {});

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;
    void Form_Terminate() override;

  private:
    void CloseApplication();
    // Whole seconds until the end that time brings about, the earlier of the time limit and
    // the closing time; none without either.
    std::optional<std::int64_t> SecondsLeft() const;
    void ShowTimeLeft(std::int64_t seconds);
    void ShowWarning();
    void WatchIdle();
    void ShowIdleWarning(std::int64_t secondsLeft);
    void HideIdleWarning();

    // The started application itself, kept from its start so that ending it can never reach
    // another process that later got the same id.
    std::unique_ptr<runtime::Application> oStartedApp;
    // The desktop's idle time while an idle end is armed.
    std::unique_ptr<runtime::IdleSource> oIdle;
    // True once EndForTime ended the application: the end step has nothing left to decide.
    bool bAppEndedForTime = false;
};
