#pragma once
// The idle warning: shown when the session has had no keyboard or mouse input for a while and
// will end soon, with the seconds left counting down, so that a user who is still there can
// move the mouse and keep their work. Like the time-limit warning it stays on top and appears
// without taking the keyboard focus; any input takes it away.

#include "closing/dlgNotice.h"

class dlgIdleWarning : public dlgNotice {
  public:
    dlgIdleWarning() : dlgNotice(runtime::WindowKind::Notice, "Idle") {}

    // The time left, M:SS, beside the OK button.
    runtime::Label lblTimeLeft{*this, "", {120, 1200, 4440, 375}, 2};
};
