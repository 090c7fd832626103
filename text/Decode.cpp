#include "text/Decode.h"

#include <array>

#include "text/Utf8.h"

namespace text {
namespace {

// Windows-1252 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::u16string fromUtf16Le(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
}

// `bytes` without a leading UTF-8 byte-order mark.
std::string_view withoutUtf8Bom(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
}

// The text after its byte-order mark, if any. A UTF-8 mark is dropped before Windows-1252 too:
// an editor wrote it, whatever it then wrote after it.
std::string_view withoutBom(std::string_view bytes, Encoding encoding) {
    return encoding == Encoding::Utf16Le ? bytes.substr(kUtf16LeBom.size()) : withoutUtf8Bom(bytes);
}

}  // namespace

char16_t fromWindows1252(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : char16_t{b};
}

Encoding encodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom)) {
        return Encoding::Utf16Le;
    }
    if (!isValidUtf8(withoutUtf8Bom(bytes))) {
        return Encoding::Windows1252;
    }
    return bytes.starts_with(kUtf8Bom) ? Encoding::Utf8WithBom : Encoding::Utf8;
}

std::u16string decodeToUtf16(std::string_view bytes) {
    const Encoding encoding = encodingOf(bytes);
    const std::string_view text = withoutBom(bytes, encoding);
    if (encoding == Encoding::Utf16Le) {
        return fromUtf16Le(text);
    }
    if (encoding != Encoding::Windows1252) {
        return utf8ToUtf16(text);
    }
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(fromWindows1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string decodeToUtf8(std::string_view bytes) {
    const Encoding encoding = encodingOf(bytes);
    const std::string_view text = withoutBom(bytes, encoding);
    if (encoding == Encoding::Utf16Le) {
        return utf16ToUtf8(fromUtf16Le(text));
    }
    if (encoding != Encoding::Windows1252) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (char c : text) {
        appendUtf8(out, fromWindows1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string_view rtfSource(std::string_view bytes) {
    // Editors that save "RTF" as UTF-8 text sometimes put a byte-order mark first.
    bytes = withoutUtf8Bom(bytes);
    while (!bytes.empty() && isBlank(bytes.front())) {
        bytes.remove_prefix(1);
    }
    return bytes.starts_with("{\\rtf") ? bytes : std::string_view{};
}

}  // namespace text
