#pragma once
// The time-limit warning: shown a configured number of seconds before the timed close ends the
// session, so that the user can save their work. It has the closing notice's look, stays on top
// of the application, and appears without taking the keyboard focus from it.

#include "runtime/Form.h"

class dlgWarning : public runtime::Form {
  public:
    dlgWarning();

    // Designed layout, twips: the closing notice's.
    runtime::Label lblText{*this, "", {120, 120, 5775, 975}, 1};
    runtime::CommandButton OKButton{*this, "OK", {4680, 1200, 1215, 375}, 0};

    void OKButton_Click();
};
