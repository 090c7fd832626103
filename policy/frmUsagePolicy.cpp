#include "policy/frmUsagePolicy.h"

#include <algorithm>
#include <limits>

#include "closing/dlgClosing.h"
#include "closing/dlgIdleWarning.h"
#include "closing/dlgWarning.h"
#include "closing/frmTimeLeft.h"
#include "policy/IdleRules.h"
#include "policy/PolicyRules.h"
#include "policy/TimeLeft.h"
#include "runtime/Error.h"
#include "runtime/Files.h"
#include "runtime/Program.h"
#include "runtime/Services.h"
#include "settings/Keys.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

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
    tmrIdle.OnTimer = [this] { tmrIdle_Timer(); };
    oGuard.OnEndChanged = [this](std::optional<std::int64_t> s) { oGuard_EndChanged(s); };
    oGuard.OnDayUsedUp = [this](const std::string& message) { oGuard_DayUsedUp(message); };
    oGuard.OnEndNow = [this] { oGuard_EndNow(); };
}

void frmUsagePolicy::Form_Load() {
    tmrClose.setEnabled(false);
    tmrClose.setInterval(1000);
    lCloseSeconds = 0;
    vCloseAt.reset();
    vWarnSeconds.clear();
    bShowTimeLeft = false;
    bAppStarted = false;
    bAppEndedForTime = false;
    bTimeUp = false;
    tmrIdle.setEnabled(false);
    lIdleSeconds = 0;
    lIdleWarnSeconds = 0;

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
    // Known to the guard from the start; the answer comes while the window shows.
    oGuard.Hello();
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
    if (auto closeAt = GetIniTimeOfDay(sIniFile, key::CloseAt)) {
        vCloseAt = policy::nextClosingTime(runtime::WallClockMs(), runtime::UtcOffsetAt, *closeAt);
    }
    if (policy::hasTimeLimit(lCloseSeconds, vCloseAt.has_value()) || oGuard.Guarded()) {
        // A guarded session gets its end from the guard in a moment.
        tmrClose.setEnabled(policy::hasTimeLimit(lCloseSeconds, vCloseAt.has_value()));
        // What time shows the user means something only with a time limit, so a bad value
        // there cannot interrupt a session without one.
        vWarnSeconds = GetIniSecondsList(sIniFile, key::WarnBeforeSeconds);
        sWarnTitle = GetIniString(sIniFile, key::WarnTitle);
        sWarnText = GetIniString(sIniFile, key::WarnText);
        bShowTimeLeft = GetIniBoolean(sIniFile, key::ShowTimeLeft);
        sTimeLeftTitle = GetIniString(sIniFile, key::TimeLeftTitle);
    }
    // Idle from now on: a gate nobody has agreed to waits for the next user, however long.
    lIdleSeconds = policy::idleEnd(GetIniLong(sIniFile, key::IdleSeconds));
    if (policy::readsIdleWarningKeys(lIdleSeconds)) {
        lIdleWarnSeconds =
            policy::idleWarning(lIdleSeconds, GetIniLong(sIniFile, key::IdleWarnSeconds));
        sIdleWarnTitle = GetIniString(sIniFile, key::IdleWarnTitle);
        sIdleWarnText = GetIniString(sIniFile, key::IdleWarnText);
        WatchIdle();
    }
    std::string c = GetIniString(sIniFile, key::Application);
    oStartedApp = runtime::Shell(c, runtime::kNormalFocus);
    vTaskId = static_cast<double>(oStartedApp->processId());
    // A program that is killed or crashes never reaches its end step, so the time limit is
    // armed now, from the setting as it reads at this moment; the end step reads it again and
    // decides the ordinary end. Read without the notice: a bad value is reported at the end, as
    // it always was.
    oStartedApp->setEndsWithProgram(settings::quietBoolean(sIniFile, key::CloseApplicationOnClose));
    oGuard.Agreed();
    if (GetIniBoolean(sIniFile, key::ClosePorvaneAfterAgree)) {
        Unload();
    } else if (bShowTimeLeft && SecondsLeft()) {
        frmTimeLeft& countdown = runtime::defaultInstance<frmTimeLeft>();
        countdown.setCaption(sTimeLeftTitle);
        ShowTimeLeft(SecondsLeft().value_or(0));
        countdown.Show();
    }
    bAppStarted = true;
}

void frmUsagePolicy::cmdDisagree_Click() {
    Unload();
}

void frmUsagePolicy::tmrClose_Timer() {
    if (lTicks == std::numeric_limits<std::int32_t>::max()) {
        throw runtime::makeError(runtime::kOverflow);
    }
    lTicks += 1;
    std::int64_t left = SecondsLeft().value_or(0);
    if (left <= 0) {
        EndForTime();
        return;
    }
    // Every reminder that is due now (several when the session began shorter than them) brings
    // the one warning. Largest first, the due ones lead the list.
    auto notDue = std::ranges::find_if(vWarnSeconds, [left](std::int32_t w) { return w < left; });
    if (notDue != vWarnSeconds.begin()) {
        vWarnSeconds.erase(vWarnSeconds.begin(), notDue);
        ShowWarning();
    }
    ShowTimeLeft(left);
}

std::optional<std::int64_t> frmUsagePolicy::SecondsLeft() const {
    if (vGuardEndTick) {
        return *vGuardEndTick - std::int64_t{lTicks};
    }
    std::optional<std::int64_t> left;
    if (lCloseSeconds != 0) {
        left = policy::closingTick(lCloseSeconds) - std::int64_t{lTicks};
    }
    if (vCloseAt) {
        // Read against the wall clock at every tick, so that the end follows a clock change.
        std::int64_t untilClosing = policy::wholeSecondsLeft(
            policy::msUntilClosingTime(runtime::WallClockMs(), runtime::UtcOffsetAt, *vCloseAt));
        left = std::min(left.value_or(untilClosing), untilClosing);
    }
    return left;
}

// The guard moved the end (at Agree, or the administrator later): the countdown and the end
// follow at once.
void frmUsagePolicy::oGuard_EndChanged(std::optional<std::int64_t> secondsLeft) {
    if (!bAppStarted || bTimeUp) {
        return;
    }
    vGuardEndTick.reset();
    if (secondsLeft) {
        vGuardEndTick = std::int64_t{lTicks} + *secondsLeft;
    }
    std::optional<std::int64_t> left = SecondsLeft();
    tmrClose.setEnabled(left.has_value());
    if (!left) {
        return;
    }
    if (*left <= 0) {
        EndForTime();
        return;
    }
    if (bShowTimeLeft && !runtime::Program::current().existing<frmTimeLeft>()) {
        runtime::defaultInstance<frmTimeLeft>().setCaption(sTimeLeftTitle);
        runtime::defaultInstance<frmTimeLeft>().Show();
    }
    ShowTimeLeft(*left);
}

// Nothing left of the day: told in the guard's words, and the session ends as at its time.
void frmUsagePolicy::oGuard_DayUsedUp(const std::string& message) {
    if (bAppStarted && !bTimeUp) {
        EndForTime(message);
    }
}

// The administrator ended the session: the gate ends in order, as at its time once agreed.
void frmUsagePolicy::oGuard_EndNow() {
    if (bTimeUp) {
        return;
    }
    if (bAppStarted) {
        EndForTime();
    } else {
        Unload();
    }
}

void frmUsagePolicy::ShowTimeLeft(std::int64_t seconds) {
    std::string text = policy::formatTimeLeft(seconds);
    auto& program = runtime::Program::current();
    if (auto* countdown = program.existing<frmTimeLeft>(); countdown && countdown->Loaded()) {
        countdown->ShowTimeLeft(text);
    }
    if (auto* warning = program.existing<dlgWarning>(); warning && warning->Loaded()) {
        warning->ShowTimeLeft(text);
    }
}

void frmUsagePolicy::WatchIdle() {
    oIdle = runtime::WatchIdle();
    if (!oIdle) {
        // Guessing from our own windows would end the session of someone working in the
        // application: without the desktop's count there is no idle end.
        runtime::Log("this desktop offers no idle time; IdleSeconds has no effect");
        lIdleSeconds = 0;
        return;
    }
    tmrIdle.setInterval(policy::nextIdleLook(oIdle->idleMilliseconds(), false));
    tmrIdle.setEnabled(true);
}

void frmUsagePolicy::tmrIdle_Timer() {
    std::int64_t idle = oIdle->idleMilliseconds();
    if (policy::idleEnds(idle, lIdleSeconds)) {
        EndForTime();
        return;
    }
    bool warns = policy::idleWarns(idle, lIdleSeconds, lIdleWarnSeconds);
    if (warns) {
        ShowIdleWarning(policy::idleSecondsLeft(idle, lIdleSeconds));
    } else {
        // Input came: the count starts again, without the warning.
        HideIdleWarning();
    }
    tmrIdle.setInterval(policy::nextIdleLook(idle, warns));
}

void frmUsagePolicy::ShowIdleWarning(std::int64_t secondsLeft) {
    dlgIdleWarning& warning = runtime::defaultInstance<dlgIdleWarning>();
    warning.lblTimeLeft.setCaption(policy::formatTimeLeft(secondsLeft));
    if (!warning.Visible()) {
        warning.setCaption(sIdleWarnTitle);
        warning.lblText.setCaption(sIdleWarnText);
        warning.Show();
    }
}

void frmUsagePolicy::HideIdleWarning() {
    if (auto* warning = runtime::Program::current().existing<dlgIdleWarning>()) {
        warning->Unload();
    }
}

void frmUsagePolicy::EndForTime(const std::string& message) {
    tmrClose.setEnabled(false);
    tmrIdle.setEnabled(false);
    bTimeUp = true;
    if (oStartedApp && GetIniBoolean(sIniFile, key::CloseApplicationOnClose)) {
        oStartedApp->terminate();
        bAppEndedForTime = true;
    }
    if (!message.empty()) {
        // A message box: screen readers read it out as it appears, and it waits for its OK.
        // Written to the log too, as every box the gate shows.
        runtime::Log(runtime::singleLine(message));
        runtime::MsgBox(message, Caption(), runtime::MessageIcon::None);
    }
    Unload();
}

void frmUsagePolicy::ShowWarning() {
    dlgWarning* open = runtime::Program::current().existing<dlgWarning>();
    if (open != nullptr && open->Visible()) {
        // Still open from an earlier reminder: to the front, and announced again.
        open->ZOrder();
    } else {
        dlgWarning& warning = runtime::defaultInstance<dlgWarning>();
        warning.setCaption(sWarnTitle);
        warning.lblText.setCaption(sWarnText);
        warning.Show();
    }
    // The countdown comes back into view with each reminder, from wherever it was put.
    if (auto* countdown = runtime::Program::current().existing<frmTimeLeft>()) {
        countdown->ZOrder();
    }
}

void frmUsagePolicy::Form_Unload() {
    // The warning and the countdown belong to the session that is ending now; they never
    // outlive it.
    if (auto* warning = runtime::Program::current().existing<dlgWarning>()) {
        warning->Unload();
    }
    HideIdleWarning();
    if (auto* countdown = runtime::Program::current().existing<frmTimeLeft>()) {
        countdown->Unload();
    }
    if (GetIniBoolean(sIniFile, key::ShowCloseDialog)) {
        dlgClosing& notice = runtime::defaultInstance<dlgClosing>();
        notice.Show();
        // The log-off that follows must not wait for a user who has gone: after an end that
        // time brought about, nobody may be there to press OK.
        if (bTimeUp && GetIniBoolean(sIniFile, key::LogOffOnClose)) {
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
    // Only an orderly end gets here: a killed gate never logs off (the guard, where there is
    // one, ends a session whose gate is gone).
    oGuard.Ending();
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
    // The whole application, through what was kept since its start, never by opening vTaskId
    // afresh: by now that id may belong to an unrelated process. What has ended is left alone.
    oStartedApp->terminate();
}
