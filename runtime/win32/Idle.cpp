// The session's idle time on Windows: the tick count of the last input event the session
// received, from GetLastInputInfo. It counts input anywhere in the session, not only in our
// windows (under Wine: input that reaches Wine's windows).
#include <windows.h>

#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {
namespace {

class LastInput : public IdleSource {
  public:
    std::int64_t idleMilliseconds() override {
        LASTINPUTINFO info{};
        info.cbSize = sizeof info;
        if (::GetLastInputInfo(&info) == FALSE) {
            return 0;  // a failed read never ends a session
        }
        // Both are 32-bit tick counts that wrap after 49.7 days; their unsigned difference is
        // right across the wrap.
        return static_cast<std::int64_t>(static_cast<DWORD>(::GetTickCount() - info.dwTime));
    }
};

}  // namespace

std::unique_ptr<IdleSource> Win32Backend::createIdleSource() {
    return std::make_unique<LastInput>();
}

}  // namespace runtime::win32
