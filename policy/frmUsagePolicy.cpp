#include "policy/frmUsagePolicy.h"

#include <limits>

#include "closing/dlgClosing.h"
#include "closing/dlgWarning.h"
#include "runtime/Error.h"
#include "runtime/Files.h"
#include "runtime/Program.h"
#include "runtime/Services.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

frmUsagePolicy::frmUsagePolicy()
    : Form({runtime::WindowKind::ToolWindow, "Usage Policy", /*clientWidth=*/4695,
            /*clientHeight=*/4785}) {
    cmdAgree.Click = [this] { cmdAgree_Click(); };
    cmdDisagree.Click = [this] { cmdDisagree_Click(); };
    tmrClose.OnTimer = [this] { tmrClose_Timer(); };
}

void frmUsagePolicy::Form_Load() {
    tmrClose.setEnabled(false);
    tmrClose.setInterval(1000);
    lCloseSeconds = 0;
    lWarnSeconds = 0;
    bWarned = false;
    bAppStarted = false;

    sIniFile = runtime::AppPath() + runtime::pathSeparator() + "Porvane.ini";

    setCaption(GetIniString(sIniFile, "General", "FormCaption", ""));
    cmdDisagree.setCaption(GetIniString(sIniFile, "General", "DisagreeCaption", ""));
    cmdAgree.setCaption(GetIniString(sIniFile, "General", "AgreeCaption", ""));

    // A relative policy path means a file beside the settings, wherever we were started from.
    std::string policyFile = GetIniString(sIniFile, "General", "PolicyFile", "");
    rtbPolicy.LoadFile(runtime::resolvePath(runtime::AppPath(), policyFile));

    // The configured size is in pixels; one pixel more than asked, as the window always had.
    const float t = static_cast<float>(runtime::TwipsPerPixelX());
    std::int16_t w = GetIniInteger(sIniFile, "General", "PolicyWidth", 0);
    if (w != 0) {
        setWidth(static_cast<int>(static_cast<float>(w) * t + t));
    }
    std::int16_t h = GetIniInteger(sIniFile, "General", "PolicyHeight", 0);
    if (h != 0) {
        setHeight(static_cast<int>(static_cast<float>(h) * t + t));
    }

    std::int32_t s = GetIniLong(sIniFile, "Application", "ClosePorvaneInSeconds", 0);
    if (s != 0) {
        lCloseSeconds = s;
    }
}

void frmUsagePolicy::Form_Resize() {
    rtbPolicy.setLeft(0);
    rtbPolicy.setWidth(ScaleWidth());
    rtbPolicy.setHeight(ScaleHeight() - 800);
    cmdDisagree.setLeft(120);
    cmdDisagree.setTop(rtbPolicy.Height() + 220);
    cmdAgree.setLeft(Width() - cmdAgree.Width() - 220);
    cmdAgree.setTop(rtbPolicy.Height() + 220);
}

void frmUsagePolicy::cmdAgree_Click() {
    Hide();
    if (lCloseSeconds != 0) {
        tmrClose.setEnabled(true);
        // The warning only has a meaning before a timed close; without one its keys are not
        // read, so a bad value there cannot interrupt the start.
        lWarnSeconds = GetIniLong(sIniFile, "Closing", "WarnBeforeSeconds", 0);
        sWarnTitle = GetIniString(sIniFile, "Closing", "WarnTitle", "");
        sWarnText = GetIniString(sIniFile, "Closing", "WarnText", "");
    }
    std::string c = GetIniString(sIniFile, "General", "Application", "");
    oStartedApp = runtime::Shell(c, runtime::kNormalFocus);
    vTaskId = static_cast<double>(oStartedApp->processId());
    // A program that is killed or crashes never reaches its end step, so the time limit is
    // armed now, from the setting as it reads at this moment; the end step reads it again and
    // decides the ordinary end. Read without the notice: a bad value is reported at the end, as
    // it always was.
    oStartedApp->setEndsWithProgram(
        settings::quietBoolean(sIniFile, "Application", "CloseApplicationOnClose"));
    if (GetIniBoolean(sIniFile, "Application", "ClosePorvaneAfterAgree", false)) {
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
    if (lTicks >= lCloseSeconds) {
        tmrClose.setEnabled(false);
        Unload();
    } else if (lWarnSeconds > 0 && !bWarned && lCloseSeconds - lTicks <= lWarnSeconds) {
        // Both are positive here and lTicks is below lCloseSeconds: the difference fits.
        bWarned = true;
        ShowWarning();
    }
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
    if (GetIniBoolean(sIniFile, "Closing", "ShowCloseDialog", false)) {
        runtime::defaultInstance<dlgClosing>().Show();
    }
}

void frmUsagePolicy::Form_Terminate() {
    if (bAppStarted) {
        CloseApplication();
    }
}

void frmUsagePolicy::CloseApplication() {
    if (!oStartedApp) {
        return;
    }
    if (!GetIniBoolean(sIniFile, "Application", "CloseApplicationOnClose", false)) {
        // The application outlives us, as the setting now says, whatever Agree armed.
        oStartedApp->setEndsWithProgram(false);
        return;
    }
    // The whole application, through what was kept since its start, never by opening vTaskId
    // afresh: by now that id may belong to an unrelated process. What has ended is left alone.
    oStartedApp->terminate();
}
