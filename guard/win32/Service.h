#pragma once
// PorvaneGuard as a Windows service: the service's main, its control handler and its one loop.

namespace guard::win32 {

inline constexpr wchar_t kServiceName[] = L"PorvaneGuard";

// Hands the process to the service control manager; returns when the service has stopped.
// Non-zero when the process was not started as a service.
int runService();

}  // namespace guard::win32
