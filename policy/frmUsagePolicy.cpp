#include "policy/frmUsagePolicy.h"

#include <limits>

#include "closing/dlgClosing.h"
#include "closing/dlgIdleWarning.h"
#include "closing/dlgWarning.h"
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
}

void frmUsagePolicy::Form_Load() {
    tmrClose.setEnabled(false);
    tmrClose.setInterval(1000);
    lCloseSeconds = 0;
    lWarnSeconds = 0;
    bWarned = false;
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
    if (lCloseSeconds != 0) {
        tmrClose.setEnabled(true);
    }
    if (policy::readsWarningKeys(lCloseSeconds)) {
        lWarnSeconds = GetIniLong(sIniFile, key::WarnBeforeSeconds);
        sWarnTitle = GetIniString(sIniFile, key::WarnTitle);
        sWarnText = GetIniString(sIniFile, key::WarnText);
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
    if (GetIniBoolean(sIniFile, key::ClosePorvaneAfterAgree)) {
        Unload();
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
    if (lTicks >= policy::closingTick(lCloseSeconds)) {
        EndForTime();
    } else if (!bWarned && policy::warnsAt(lTicks, lCloseSeconds, lWarnSeconds)) {
        bWarned = true;
        ShowWarning();
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

void frmUsagePolicy::EndForTime() {
    tmrClose.setEnabled(false);
    tmrIdle.setEnabled(false);
    bTimeUp = true;
    if (oStartedApp && GetIniBoolean(sIniFile, key::CloseApplicationOnClose)) {
        oStartedApp->terminate();
        bAppEndedForTime = true;
    }
    Unload();
}

void frmUsagePolicy::ShowWarning() {
    dlgWarning& warning = runtime::defaultInstance<dlgWarning>();
    warning.setCaption(sWarnTitle);
    warning.lblText.setCaption(sWarnText);
    warning.Show();
}

void frmUsagePolicy::Form_Unload() {
    // The warning belongs to the session that is ending now; it never outlives it.
    if (auto* warning = runtime::Program::current().existing<dlgWarning>()) {
        warning->Unload();
    }
    HideIdleWarning();
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
    // The whole application, through what was kept since its start, never by opening vTaskId
    // afresh: by now that id may belong to an unrelated process. What has ended is left alone.
    oStartedApp->terminate();
}
