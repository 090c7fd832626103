// The Windows program: the Win32 backend, the policy window as the start-up form.

#include <windows.h>

#include <cstdlib>
#include <exception>

#include "policy/frmUsagePolicy.h"
#include "runtime/Program.h"
#include "runtime/win32/Win32Backend.h"

// libstdc++'s default terminate handler prints the uncaught exception's demangled type to
// stderr, which a GUI program does not have; replacing it keeps the demangler (about 50 KB) out
// of the executable. An uncaught exception still ends the program abnormally.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        runtime::win32::Win32Backend backend(instance);
        runtime::Program program(backend);
        return program.run<frmUsagePolicy>();
    } catch (const std::exception& error) {
        // Only the platform itself failing (no window class, no window) gets here.
        ::MessageBoxA(nullptr, error.what(), "Porvane", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
        return 1;
    }
}
