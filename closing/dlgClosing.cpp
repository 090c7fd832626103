#include "closing/dlgClosing.h"

#include "settings/Keys.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

namespace key = settings::key;

void dlgClosing::Form_Load() {
    setCaption(GetIniString(sIniFile, key::CloseTitle));
    lblText.setCaption(GetIniString(sIniFile, key::CloseText));
}
