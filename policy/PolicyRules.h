#pragma once
// The policy window's layout rules that the settings checker reports as well as the form follows
// them: its designed size, what a configured size means, and the room a caption has. The
// session's time rules are the session plan's and clock's (SessionPlan.h, SessionClock.h).

#include "runtime/Twips.h"

namespace policy {

// The designed client area, twips.
inline constexpr int kClientWidth = 4695;
inline constexpr int kClientHeight = 4785;

// The designed client area in pixels at 96 dots per inch.
constexpr int designedPixels(int twips) {
    return twips / runtime::kTwipsPerPixel;
}

// The buttons' designed width, twips; the window's size never changes it.
inline constexpr int kButtonWidth = 1215;

// What a caption may take of a button at the designed size, counted in characters of a
// conservative width: wider than the average character of either program's button font at
// 96 DPI (Qt's 9-point Sans averages under 7 pixels, Windows' Segoe UI under 6), with the
// button's frame and padding (8 pixels) taken off. A longer caption is cut off at both ends.
inline constexpr int kCaptionPixelsPerCharacter = 7;
inline constexpr int kButtonPadding = 8;
constexpr int captionRoom() {
    return (designedPixels(kButtonWidth) - kButtonPadding) / kCaptionPixelsPerCharacter;
}

// A configured PolicyWidth or PolicyHeight is pixels, and the window comes out this much larger
// than asked, frame included, as it always has.
inline constexpr int kExtraPixels = 1;

}  // namespace policy
