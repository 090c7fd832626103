// The document view: a file's bytes into the RichEdit control, as RTF or as plain text.

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/Text.h"
#include "runtime/win32/WideText.h"
#include "runtime/win32/Window.h"

namespace runtime::win32 {
namespace {

bool isBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view skipBlanks(std::string_view bytes) {
    while (!bytes.empty() && isBlankByte(bytes.front())) {
        bytes.remove_prefix(1);
    }
    return bytes;
}

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

bool looksLikeRtf(std::string_view bytes) {
    return skipBlanks(bytes).starts_with("{\\rtf");
}

void Win32Backend::Control::setDocument(std::string_view bytes) {
    if (!hwnd_ || kind_ != ControlKind::RichText) {
        return;
    }
    ::SendMessageW(hwnd(), EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    std::string_view rtf = skipBlanks(bytes);
    std::wstring wide;
    StreamSource src{bytes.data(), bytes.size()};
    WPARAM format = SF_TEXT;
    if (rtf.starts_with("{\\rtf")) {
        src = {rtf.data(), rtf.size()};
        format = SF_RTF;
    } else if (isValidUtf8(bytes)) {
        std::string_view text = bytes;
        if (text.starts_with("\xEF\xBB\xBF")) {
            text.remove_prefix(3);  // the byte-order mark is no text
        }
        wide = widen(text);
        src = {reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)};
        format = SF_TEXT | SF_UNICODE;
    }
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    stream.pfnCallback = streamIn;
    ::SendMessageW(hwnd(), EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    // Start at the top, as a freshly opened document does.
    ::SendMessageW(hwnd(), EM_SETSEL, 0, 0);
    ::SendMessageW(hwnd(), WM_VSCROLL, SB_TOP, 0);
}

}  // namespace runtime::win32
