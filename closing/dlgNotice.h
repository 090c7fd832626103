#pragma once
// A notice: a title and a wrapped text over an OK button; OK or the close box closes it. The
// closing notice and the time-limit warning are notices of two kinds.

#include <string>

#include "runtime/Form.h"

class dlgNotice : public runtime::Form {
  public:
    dlgNotice(runtime::WindowKind kind, std::string caption);

    // Designed layout, twips.
    runtime::Label lblText{*this, "", {120, 120, 5775, 975}, 1};
    runtime::CommandButton OKButton{*this, "OK", {4680, 1200, 1215, 375}, 0};

    void OKButton_Click();
};
