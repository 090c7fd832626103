#pragma once
// Twips, the forms' unit of length: 1440 to the inch, so 15 to a pixel at 96 dots per inch, the
// resolution the forms were designed at and the one assumed when the system cannot say.

namespace runtime {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPixel = 15;

}  // namespace runtime
