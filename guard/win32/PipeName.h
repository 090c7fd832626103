#pragma once
// The name of the guard's pipe, known to the guard, PorvaneCtl.exe and the gate alike. Only
// SYSTEM and Administrators may create it, so whoever serves it is the guard.

namespace guard::win32 {

inline constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\PorvaneGuard";

}  // namespace guard::win32
