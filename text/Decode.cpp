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

void appendWindows1252(std::string_view bytes, std::string& out) {
    for (char c : bytes) {
        appendUtf8(out, fromWindows1252(static_cast<unsigned char>(c)));
    }
}

// `bytes` without a leading UTF-8 byte-order mark.
std::string_view withoutUtf8Bom(std::string_view bytes) {
    return bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
}

}  // namespace

char16_t fromWindows1252(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kHigh[b - 0x80] : char16_t{b};
}

std::u16string decodeToUtf16(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom)) {
        return fromUtf16Le(bytes.substr(kUtf16LeBom.size()));
    }
    bytes = withoutUtf8Bom(bytes);
    if (isValidUtf8(bytes)) {
        return utf8ToUtf16(bytes);
    }
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        out.push_back(fromWindows1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string decodeToUtf8(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom)) {
        return utf16ToUtf8(fromUtf16Le(bytes.substr(kUtf16LeBom.size())));
    }
    bytes = withoutUtf8Bom(bytes);
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    appendWindows1252(bytes, out);
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
