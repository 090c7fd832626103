#pragma once
// The closing notice: a notice with a configured title and text, shown when the policy window
// unloads. Closing it is what ends the program.

#include "closing/dlgNotice.h"

class dlgClosing : public dlgNotice {
  public:
    dlgClosing() : dlgNotice(runtime::WindowKind::Dialog, "Closing") {}

  protected:
    void Form_Load() override;
};
