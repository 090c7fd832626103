#pragma once
// The policy window's rules that the settings checker reports as well as the form follows them:
// its designed size, what a configured size means, and the timed close with its warning.

#include <cstdint>

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

// The tick after Agree (counted from 1) on which the timed close unloads the window; 0: no
// timed close. A negative number of seconds closes on the first tick.
constexpr std::int32_t closingTick(std::int32_t closeSeconds) {
    return closeSeconds < 0 ? 1 : closeSeconds;
}

// Whether Agree starts a session with a time limit: a timed close, a closing time or both.
// Only then are the keys of what time shows the user read (the warning, the countdown): without
// one they mean nothing, so a bad value there cannot interrupt the start.
constexpr bool hasTimeLimit(std::int32_t closeSeconds, bool closeAt) {
    return closeSeconds != 0 || closeAt;
}

// Whether the warning is due at this tick of an armed timed close: at most `warnSeconds` remain,
// and the closing tick wins over it.
constexpr bool warnsAt(std::int32_t tick, std::int32_t closeSeconds, std::int32_t warnSeconds) {
    // Before the closing tick both are positive and the tick is below closeSeconds: the
    // difference fits.
    return warnSeconds > 0 && tick < closingTick(closeSeconds) &&
           closeSeconds - tick <= warnSeconds;
}

// Whether the warning ever shows: only when the tick before the closing one is due for it.
constexpr bool everWarns(std::int32_t closeSeconds, std::int32_t warnSeconds) {
    return closeSeconds > 1 && warnsAt(closeSeconds - 1, closeSeconds, warnSeconds);
}

}  // namespace policy
