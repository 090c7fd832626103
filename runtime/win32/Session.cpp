// Ending the user's desktop session: a log-off that no hung program can hold up.

#include <string>

#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {

std::string Win32Backend::logOff() {
    // EWX_FORCEIFHUNG: a program that does not answer the session's end within the system's
    // time-out is ended; the others get WM_QUERYENDSESSION and WM_ENDSESSION and save what they
    // can. The call returns at once; the log-off goes on without us.
    if (!::ExitWindowsEx(EWX_LOGOFF | EWX_FORCEIFHUNG, SHTDN_REASON_MAJOR_OTHER |
                                                           SHTDN_REASON_MINOR_OTHER |
                                                           SHTDN_REASON_FLAG_PLANNED)) {
        return "ExitWindowsEx failed with error " + std::to_string(::GetLastError());
    }
    return {};
}

}  // namespace runtime::win32
