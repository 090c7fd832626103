#pragma once
// The closing notice's rule that the checker reports too, with no form behind it.

namespace closing {

// After an end that time brought about, with LogOffOnClose, the closing notice closes itself
// after this many seconds: the log-off that follows must not wait for a user who has gone.
inline constexpr int kSelfCloseSeconds = 30;

}  // namespace closing
