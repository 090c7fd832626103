#include "runtime/system/win32/WideText.h"

#include "text/Utf8.h"

namespace runtime::win32 {

// wchar_t is UTF-16 on Windows: the text library does the work.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring widen(std::string_view utf8) {
    std::u16string s = text::utf8ToUtf16(utf8);
    return {reinterpret_cast<const wchar_t*>(s.data()), s.size()};
}

std::string narrow(std::wstring_view wide) {
    return text::utf16ToUtf8({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
}

}  // namespace runtime::win32
