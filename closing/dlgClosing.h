#pragma once
// The closing notice: a small window with a configured title and text and an OK button, shown
// when the policy window unloads. Closing it is what ends the program.

#include "runtime/Form.h"

class dlgClosing : public runtime::Form {
  public:
    dlgClosing();

    // Designed layout, twips.
    runtime::Label lblText{*this, "", {120, 120, 5775, 975}, 1};
    runtime::CommandButton OKButton{*this, "OK", {4680, 1200, 1215, 375}, 0};

    void OKButton_Click();

  protected:
    void Form_Load() override;
};
