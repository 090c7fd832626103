// The resources the backend's windows share (the RichEdit module, the font, the icons, the
// window class), and the environment: the executable's folder and the screen's factor.

#include "runtime/win32/Win32Backend.h"

#include <commctrl.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "runtime/system/NativeFiles.h"
#include "runtime/system/win32/Clock.h"
#include "runtime/win32/Window.h"

namespace runtime::win32 {
namespace {

// Icon resource id of the executable (resources/porvane.rc).
constexpr int kIconId = 1;

UINT systemDpi() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
        auto fn = reinterpret_cast<GetDpiForSystemFn>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForSystem")));
        if (fn != nullptr) {
            if (UINT dpi = fn(); dpi > 0) {
                return dpi;
            }
        }
    }
    UINT dpi = 96;
    if (ScopedScreenDc dc(::GetDC(nullptr)); dc) {
        int caps = ::GetDeviceCaps(dc.get(), LOGPIXELSX);
        if (caps > 0) {
            dpi = static_cast<UINT>(caps);
        }
    }
    return dpi;
}

HICON loadIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric),
                                           ::GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + " failed (error " +
                             std::to_string(::GetLastError()) + ")");
}

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    richEdit_.reset(::LoadLibraryW(L"Msftedit.dll"));

    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        ownFont_.reset(::CreateFontIndirectW(&ncm.lfMessageFont));
    }
    font_ = ownFont_ ? ownFont_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));

    bigIcon_ = loadIcon(instance_, SM_CXICON, SM_CYICON);
    smallIcon_ = loadIcon(instance_, SM_CXSMICON, SM_CYSMICON);
    registerWindowClass();
    createHelperWindow();
}

Win32Backend::~Win32Backend() = default;

void Win32Backend::registerWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::proc;
    wc.hInstance = instance_;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = bigIcon_;
    wc.hIconSm = smallIcon_;
    wc.lpszClassName = kWindowClass;
    windowClass_ = ScopedWindowClass(::RegisterClassExW(&wc), {instance_});
    if (!windowClass_ && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        fail("RegisterClassExW");
    }
}

std::string Win32Backend::executableDirectory() {
    return runtime::executableDirectory();
}

double Win32Backend::logicalDpiX() {
    return static_cast<double>(systemDpi());
}

std::int64_t Win32Backend::wallClockMs() {
    return wallClockNowMs();
}

std::int32_t Win32Backend::utcOffsetAt(std::int64_t utcSeconds) {
    return localUtcOffsetAt(utcSeconds);
}

std::unique_ptr<NativeWindow> Win32Backend::createWindow(const WindowSpec& params,
                                                         WindowEvents& events) {
    return std::make_unique<Window>(*this, params, events);
}

}  // namespace runtime::win32
