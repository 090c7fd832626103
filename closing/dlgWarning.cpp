#include "closing/dlgWarning.h"

#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

dlgWarning::dlgWarning()
    : Form({runtime::WindowKind::Notice, "Warning", /*clientWidth=*/6030, /*clientHeight=*/1725}) {
    OKButton.Click = [this] { OKButton_Click(); };
}

void dlgWarning::Form_Load() {
    setCaption(GetIniString(sIniFile, "Closing", "WarnTitle", ""));
    lblText.setCaption(GetIniString(sIniFile, "Closing", "WarnText", ""));
}

void dlgWarning::OKButton_Click() {
    Unload();
}
