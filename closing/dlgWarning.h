#pragma once
// The time-limit warning: shown a configured number of seconds before the timed close ends the
// session, so that the user can save their work. A notice that stays on top of the application
// and appears without taking the keyboard focus from it.

#include "closing/dlgNotice.h"

class dlgWarning : public dlgNotice {
  public:
    dlgWarning() : dlgNotice(runtime::WindowKind::Notice, "Warning") {}
};
