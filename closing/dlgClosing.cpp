#include "closing/dlgClosing.h"

#include "settings/Keys.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

namespace key = settings::key;

dlgClosing::dlgClosing() : dlgNotice(runtime::WindowKind::Dialog, "Closing") {
    tmrSelfClose.OnTimer = [this] { tmrSelfClose_Timer(); };
}

void dlgClosing::tmrSelfClose_Timer() {
    tmrSelfClose.setEnabled(false);
    Unload();
}

void dlgClosing::Form_Load() {
    setCaption(GetIniString(sIniFile, key::CloseTitle));
    lblText.setCaption(GetIniString(sIniFile, key::CloseText));
}
