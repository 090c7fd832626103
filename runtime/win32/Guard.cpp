// The way to the guard on Windows. The Windows guard (a LocalSystem service and its named pipe)
// is not here yet: until it is, there is no guard, and the program runs as it always has.

#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {

std::unique_ptr<GuardLink> Win32Backend::connectGuard(GuardEvents& events) {
    (void)events;
    return nullptr;
}

}  // namespace runtime::win32
