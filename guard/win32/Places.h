#pragma once
// Where the guard finds its settings and keeps its state.

#include <string>

namespace guard::win32 {

// The folder PorvaneGuard.exe runs from (its Porvane.ini is there, in Program Files, which
// standard users cannot write).
std::wstring programFolder();
// %ProgramData%\Porvane, made if missing, with SYSTEM and Administrators alone allowed to write
// in it; empty when it cannot be made.
std::wstring stateFolder();

}  // namespace guard::win32
