#include "closing/dlgNotice.h"

#include <utility>

dlgNotice::dlgNotice(runtime::WindowKind kind, std::string caption)
    : Form({kind, std::move(caption), /*clientWidth=*/6030, /*clientHeight=*/1725}) {
    OKButton.Click = [this] { OKButton_Click(); };
}

void dlgNotice::OKButton_Click() {
    Unload();
}
