#pragma once
// The time-limit warning: shown at each configured number of seconds before the end of the
// session, so that the user can save their work. A notice that stays on top of the application
// and appears without taking the keyboard focus from it. Beside its OK it shows the time left,
// counting down, so that one text serves every reminder.

#include "closing/dlgNotice.h"

class dlgWarning : public dlgNotice {
  public:
    dlgWarning() : dlgNotice(runtime::WindowKind::Notice, "Warning") {}

    // Designed layout, twips: left of OK.
    runtime::Label lblTimeLeft{*this, "", {120, 1200, 4440, 375}, 2};
};
