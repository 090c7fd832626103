#pragma once
// The policy window's designed client area in pixels at 96 dots per inch (the tests' screens),
// from the twips the policy rules hold: the size the window has when no size is configured.

#include "policy/PolicyRules.h"
#include "runtime/Backend.h"

namespace testing_support {

inline constexpr runtime::PixelSize kDesignClient{policy::designedPixels(policy::kClientWidth),
                                                  policy::designedPixels(policy::kClientHeight)};

}  // namespace testing_support
