#pragma once
// The closing notice: a notice with a configured title and text, shown when the policy window
// unloads. Closing it is what ends the program.

#include "closing/NoticeRules.h"
#include "closing/dlgNotice.h"

class dlgClosing : public dlgNotice {
  public:
    dlgClosing();

    // Closes the notice by itself, as OK does, once its interval has passed; off until the end
    // that shows the notice turns it on.
    runtime::Timer tmrSelfClose{*this, closing::kSelfCloseSeconds * 1000, false};

    void tmrSelfClose_Timer();

  protected:
    void Form_Load() override;
};
