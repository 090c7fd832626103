#include "closing/dlgClosing.h"

#include "settings/Keys.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

namespace key = settings::key;

dlgClosing::dlgClosing()
    : Form({runtime::WindowKind::Dialog, "Closing", /*clientWidth=*/6030, /*clientHeight=*/1725}) {
    OKButton.Click = [this] { OKButton_Click(); };
}

void dlgClosing::Form_Load() {
    setCaption(GetIniString(sIniFile, key::CloseTitle.section, key::CloseTitle.name, ""));
    lblText.setCaption(GetIniString(sIniFile, key::CloseText.section, key::CloseText.name, ""));
}

void dlgClosing::OKButton_Click() {
    Unload();
}
