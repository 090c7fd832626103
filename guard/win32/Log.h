#pragma once
// The guard's log: every line goes to the Windows event log (source "PorvaneGuard") and to the
// text file guard.log in the guard's state folder, which the tests read.

#include <string>
#include <string_view>

namespace guard::win32 {

// Opens the event source and the text file in `folder` (UTF-8); lines before open() go to the
// event log alone.
void openLog(const std::wstring& folder);
void closeLog();
// One line, with the local time in front in the text file. Safe from any thread.
void logLine(std::string_view line);

}  // namespace guard::win32
