#include "closing/dlgClosing.h"

#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

dlgClosing::dlgClosing()
    : Form({runtime::WindowKind::Dialog, "Closing", /*clientWidth=*/6030, /*clientHeight=*/1725}) {
    OKButton.Click = [this] { OKButton_Click(); };
}

void dlgClosing::Form_Load() {
    setCaption(GetIniString(sIniFile, "Closing", "CloseTitle", ""));
    lblText.setCaption(GetIniString(sIniFile, "Closing", "CloseText", ""));
}

void dlgClosing::OKButton_Click() {
    Unload();
}
