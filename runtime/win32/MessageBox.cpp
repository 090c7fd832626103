// Message boxes: the platform's own, modal, with one OK button.

#include "runtime/system/win32/WideText.h"
#include "runtime/win32/Win32Backend.h"

namespace runtime::win32 {

void Win32Backend::messageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    UINT type = MB_OK | MB_SETFOREGROUND;
    if (icon == MessageIcon::Critical) {
        type |= MB_ICONSTOP;
    }
    // Owned by the active window when one of ours is active, else modal to the whole task
    // (works before any window is shown).
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr) {
        type |= MB_TASKMODAL;
    }
    ::MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), type);
}

}  // namespace runtime::win32
