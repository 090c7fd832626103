// The Windows program: the Win32 backend, the policy window as the start-up form.

#include <windows.h>

#include <exception>

#include "policy/frmUsagePolicy.h"
#include "runtime/Program.h"
#include "runtime/win32/Win32Backend.h"

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
