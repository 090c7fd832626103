// The document view: a file's bytes into the RichEdit control, as RTF or as plain text.

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/system/win32/WideText.h"
#include "runtime/win32/Window.h"
#include "text/Decode.h"

namespace runtime::win32 {
namespace {

// EM_STREAMIN reads from a byte buffer.
struct StreamSource {
    const char* data;
    std::size_t size;
    std::size_t pos = 0;
};

DWORD CALLBACK streamIn(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* src = reinterpret_cast<StreamSource*>(cookie);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(wanted), src->size - src->pos);
    std::memcpy(buffer, src->data + src->pos, n);
    src->pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

}  // namespace

void Win32Backend::Control::setDocument(std::string_view bytes) {
    if (!hwnd_ || kind_ != ControlKind::RichText) {
        return;
    }
    ::SendMessageW(hwnd(), EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    // RTF goes to the control as it is; anything else is decoded as every text file the
    // program reads, and handed over as UTF-16.
    const std::string_view rtf = text::rtfSource(bytes);
    std::wstring wide;
    StreamSource src{rtf.data(), rtf.size()};
    WPARAM format = SF_RTF;
    if (rtf.empty()) {
        wide = widen(text::decodeToUtf8(bytes));
        src = {reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)};
        format = SF_TEXT | SF_UNICODE;
    }
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    stream.pfnCallback = streamIn;
    ::SendMessageW(hwnd(), EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    // RichEdit draws a document's own text and highlight colours whatever the theme; in a
    // high-contrast theme the theme's colours take their place, as everywhere else.
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
        CHARFORMAT2W automatic{};
        automatic.cbSize = sizeof automatic;
        automatic.dwMask = CFM_COLOR | CFM_BACKCOLOR;
        automatic.dwEffects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
        ::SendMessageW(hwnd(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&automatic));
    }
    // Start at the top, as a freshly opened document does.
    ::SendMessageW(hwnd(), EM_SETSEL, 0, 0);
    ::SendMessageW(hwnd(), WM_VSCROLL, SB_TOP, 0);
}

}  // namespace runtime::win32
