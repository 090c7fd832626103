#include "policy/frmUsagePolicy.h"

#include <algorithm>

#include "closing/dlgClosing.h"
#include "closing/dlgIdleWarning.h"
#include "closing/dlgWarning.h"
#include "closing/frmTimeLeft.h"
#include "policy/PolicyRules.h"
#include "policy/TimeText.h"
#include "runtime/Error.h"
#include "runtime/Files.h"
#include "runtime/Program.h"
#include "runtime/Services.h"
#include "settings/Keys.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

using policy::EndReason;

namespace key = settings::key;

namespace {

// The layout of the resize step, twips: the band below the policy that holds the buttons, the
// buttons' distance below the policy, Disagree's from the left edge and Agree's from the right
// edge of the window, frame included.
constexpr int kButtonBand = 800;
constexpr int kButtonsBelowPolicy = 220;
constexpr int kDisagreeLeft = 120;
constexpr int kAgreeRight = 220;

}  // namespace

frmUsagePolicy::frmUsagePolicy()
    : Form({runtime::WindowKind::ToolWindow, "Usage Policy", policy::kClientWidth,
            policy::kClientHeight}) {
    cmdAgree.Click = [this] { cmdAgree_Click(); };
    cmdDisagree.Click = [this] { cmdDisagree_Click(); };
    tmrClose.OnTimer = [this] { tmrClose_Timer(); };
}

void frmUsagePolicy::Form_Load() {
    tmrClose.setEnabled(false);
    lCloseSeconds = 0;
    bAppStarted = false;
    vEndReason.reset();
    oClock.reset();
    oIdle.reset();
    bAppEndedForTime = false;

    sIniFile = settings::iniFileIn(runtime::AppPath());

    setCaption(GetIniString(sIniFile, key::FormCaption));
    cmdDisagree.setCaption(GetIniString(sIniFile, key::DisagreeCaption));
    cmdAgree.setCaption(GetIniString(sIniFile, key::AgreeCaption));

    // A relative policy path means a file beside the settings, wherever we were started from.
    std::string policyFile = GetIniString(sIniFile, key::PolicyFile);
    rtbPolicy.LoadFile(runtime::resolvePath(runtime::AppPath(), policyFile));

    // The configured size is in pixels, the outer size a little larger than asked.
    const float t = static_cast<float>(runtime::TwipsPerPixelX());
    const float extra = static_cast<float>(policy::kExtraPixels) * t;
    std::int16_t w = GetIniInteger(sIniFile, key::PolicyWidth);
    if (w != 0) {
        setWidth(static_cast<int>(static_cast<float>(w) * t + extra));
    }
    std::int16_t h = GetIniInteger(sIniFile, key::PolicyHeight);
    if (h != 0) {
        setHeight(static_cast<int>(static_cast<float>(h) * t + extra));
    }

    std::int32_t s = GetIniLong(sIniFile, key::ClosePorvaneInSeconds);
    if (s != 0) {
        lCloseSeconds = s;
    }
}

void frmUsagePolicy::Form_Resize() {
    rtbPolicy.setLeft(0);
    rtbPolicy.setWidth(ScaleWidth());
    rtbPolicy.setHeight(ScaleHeight() - kButtonBand);
    cmdDisagree.setLeft(kDisagreeLeft);
    cmdDisagree.setTop(rtbPolicy.Height() + kButtonsBelowPolicy);
    cmdAgree.setLeft(Width() - cmdAgree.Width() - kAgreeRight);
    cmdAgree.setTop(rtbPolicy.Height() + kButtonsBelowPolicy);
}

void frmUsagePolicy::cmdAgree_Click() {
    Hide();
    StartClock();
    std::string c = GetIniString(sIniFile, key::Application);
    oStartedApp = runtime::Shell(c, runtime::kNormalFocus);
    // A program that is killed or crashes never reaches its end step, so the time limit is
    // armed now, from the setting as it reads at this moment; the end step reads it again and
    // decides the ordinary end. Read without the notice: a bad value is reported at the end, as
    // it always was.
    oStartedApp->setEndsWithProgram(settings::quietBoolean(sIniFile, key::CloseApplicationOnClose));
    if (oClock->plan().closeAfterAgree) {
        endSession(EndReason::AfterAgree);
    } else if (oClock->plan().showTimeLeft) {
        ShowCountdown();
    }
    bAppStarted = true;
}

void frmUsagePolicy::cmdDisagree_Click() {
    endSession(EndReason::Disagree);
}

void frmUsagePolicy::tmrClose_Timer() {
    Tick(oClock->step(Now()));
}

void frmUsagePolicy::setOutsideEnd(std::optional<std::int64_t> sinceAgreeMs) {
    if (!oClock || vEndReason) {
        return;
    }
    oClock->setOutsideEnd(sinceAgreeMs);
    // The next tick comes within a second whatever the clock looked for before.
    tmrClose.setInterval(std::min(tmrClose.Interval(), 1000));
    tmrClose.setEnabled(true);
}

// The session's time as the settings say it at Agree, and a clock for it. Idle from now on: a
// gate nobody has agreed to waits for the next user, however long.
void frmUsagePolicy::StartClock() {
    policy::SessionPlan plan =
        policy::readSessionPlan(sIniFile, policy::Reading::WithNotice, lCloseSeconds);
    if (plan.idleSeconds != 0) {
        oIdle = runtime::CreateIdleSource();
        if (!oIdle) {
            // Guessing from our own windows would end the session of someone working in the
            // application: without the desktop's count there is no idle end.
            runtime::Log("this desktop offers no idle time; IdleSeconds has no effect");
        }
    }
    lAgreedAtMs = runtime::MonotonicMs();
    oClock.emplace(std::move(plan), runtime::WallClockMs(), runtime::UtcOffsetAt);
    if (oClock->watches(oIdle != nullptr)) {
        tmrClose.setInterval(oClock->step(Now()).nextLookMs);
        tmrClose.setEnabled(true);
    }
}

policy::ClockNow frmUsagePolicy::Now() const {
    const std::int64_t sinceAgree = runtime::MonotonicMs() - lAgreedAtMs;
    std::optional<std::int64_t> idle;
    if (oIdle && oClock->wantsIdle(sinceAgree)) {
        idle = oIdle->idleMilliseconds();
    }
    return {sinceAgree, runtime::WallClockMs(), idle};
}

void frmUsagePolicy::Tick(const policy::ClockStep& step) {
    if (step.end) {
        endSession(*step.end);
        return;
    }
    if (step.remind) {
        ShowWarning();
    }
    if (step.secondsLeft) {
        ShowTimeLeft(*step.secondsLeft);
    }
    if (step.idleWarningSeconds) {
        ShowIdleWarning(*step.idleWarningSeconds);
    } else {
        // Input came, or the warning is not due yet: the count goes on without it.
        UnloadIdleWarning();
    }
    tmrClose.setInterval(step.nextLookMs);
}

void frmUsagePolicy::ShowCountdown() {
    frmTimeLeft& countdown = runtime::defaultInstance<frmTimeLeft>();
    countdown.setCaption(oClock->plan().timeLeftTitle);
    ShowTimeLeft(policy::wholeSecondsLeft(oClock->msUntilEnd(Now()).value_or(0)));
    countdown.Show();
}

void frmUsagePolicy::ShowTimeLeft(std::int64_t seconds) {
    std::string text = policy::formatTimeLeft(seconds);
    auto& program = runtime::Program::current();
    if (auto* countdown = program.existing<frmTimeLeft>(); countdown && countdown->Loaded()) {
        countdown->ShowTimeLeft(text);
    }
    if (auto* warning = program.existing<dlgWarning>(); warning && warning->Loaded()) {
        warning->lblTimeLeft.setCaptionIfChanged(text);
    }
}

void frmUsagePolicy::ShowWarning() {
    dlgWarning* open = runtime::Program::current().existing<dlgWarning>();
    if (open != nullptr && open->Visible()) {
        // Still open from an earlier reminder: to the front, and announced again.
        open->ZOrder();
    } else {
        dlgWarning& warning = runtime::defaultInstance<dlgWarning>();
        warning.setCaption(oClock->plan().warnTitle);
        warning.lblText.setCaption(oClock->plan().warnText);
        warning.Show();
    }
    // The countdown comes back into view with each reminder, from wherever it was put.
    if (auto* countdown = runtime::Program::current().existing<frmTimeLeft>()) {
        countdown->ZOrder();
    }
}

void frmUsagePolicy::ShowIdleWarning(std::int64_t secondsLeft) {
    dlgIdleWarning& warning = runtime::defaultInstance<dlgIdleWarning>();
    warning.lblTimeLeft.setCaptionIfChanged(policy::formatTimeLeft(secondsLeft));
    if (!warning.Visible()) {
        warning.setCaption(oClock->plan().idleWarnTitle);
        warning.lblText.setCaption(oClock->plan().idleWarnText);
        warning.Show();
    }
}

void frmUsagePolicy::UnloadIdleWarning() {
    if (auto* warning = runtime::Program::current().existing<dlgIdleWarning>()) {
        warning->Unload();
    }
}

void frmUsagePolicy::endSession(EndReason reason) {
    vEndReason = reason;
    tmrClose.setEnabled(false);
    if (policy::endedByTime(reason) && oStartedApp &&
        GetIniBoolean(sIniFile, key::CloseApplicationOnClose)) {
        oStartedApp->terminate();
        bAppEndedForTime = true;
    }
    Unload();
}

void frmUsagePolicy::Form_Unload() {
    if (!vEndReason) {
        // The runtime unloads the window: its close box while it shows, else an end from
        // outside.
        vEndReason = Visible() ? EndReason::CloseBox : EndReason::Outside;
    }
    CloseSideWindows();
    ShowClosingNotice();
}

// The warnings and the countdown belong to the session that is ending now; they never outlive
// it.
void frmUsagePolicy::CloseSideWindows() {
    if (auto* warning = runtime::Program::current().existing<dlgWarning>()) {
        warning->Unload();
    }
    UnloadIdleWarning();
    if (auto* countdown = runtime::Program::current().existing<frmTimeLeft>()) {
        countdown->Unload();
    }
}

void frmUsagePolicy::ShowClosingNotice() {
    if (GetIniBoolean(sIniFile, key::ShowCloseDialog)) {
        dlgClosing& notice = runtime::defaultInstance<dlgClosing>();
        notice.Show();
        // The log-off that follows must not wait for a user who has gone: after an end that
        // time brought about, nobody may be there to press OK.
        if (policy::endedByTime(*vEndReason) && GetIniBoolean(sIniFile, key::LogOffOnClose)) {
            notice.tmrSelfClose.setEnabled(true);
        }
    }
}

void frmUsagePolicy::Form_Terminate() {
    if (bAppStarted) {
        CloseApplication();
    }
    // The next user must find a fresh session, not this one's desktop, programs and open files;
    // and one who disagreed does not use the computer at all, so Disagree logs off as well.
    // Only an orderly end gets here: a killed gate never logs off.
    if (GetIniBoolean(sIniFile, key::LogOffOnClose)) {
        runtime::LogOff();
    }
}

void frmUsagePolicy::CloseApplication() {
    if (!oStartedApp || bAppEndedForTime) {
        return;
    }
    if (!GetIniBoolean(sIniFile, key::CloseApplicationOnClose)) {
        // The application outlives us, as the setting now says, whatever Agree armed.
        oStartedApp->setEndsWithProgram(false);
        return;
    }
    // The whole application, through what was kept since its start, never by its process id
    // afresh: by now that id may belong to an unrelated process. What has ended is left alone.
    oStartedApp->terminate();
}
