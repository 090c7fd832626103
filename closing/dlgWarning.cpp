#include "closing/dlgWarning.h"

dlgWarning::dlgWarning()
    : Form({runtime::WindowKind::Notice, "Warning", /*clientWidth=*/6030, /*clientHeight=*/1725}) {
    OKButton.Click = [this] { OKButton_Click(); };
}

void dlgWarning::OKButton_Click() {
    Unload();
}
