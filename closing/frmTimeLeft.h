#pragma once
// The countdown: a small window that shows the session's time left from Agree to the end. It
// stays on top of the application without ever taking the keyboard focus, first sits in the
// bottom-right corner of the screen, and has no close box: the user can move it out of the way
// or minimize it, and it goes with the session.

#include <string_view>

#include "runtime/Form.h"

class frmTimeLeft : public runtime::Form {
  public:
    frmTimeLeft() : Form({runtime::WindowKind::Countdown, "Time left", 2880, 600}) {}

    // Designed layout, twips.
    runtime::Label lblTimeLeft{*this, "", {120, 120, 2640, 360}, 0};

    // Shows this text as the time left.
    void ShowTimeLeft(std::string_view text) { lblTimeLeft.setCaptionIfChanged(text); }
};
