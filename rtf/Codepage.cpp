#include "rtf/Codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "text/Decode.h"
#include "text/Utf8.h"

namespace rtf {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

const char* iconvName(int codepage, char* buffer, std::size_t size) {
    switch (codepage) {
        case 10000:
            return "MACINTOSH";
        case 10001:
            return "SHIFT_JIS";  // Mac Japanese is Shift-JIS plus a few Apple extras
        case 10002:
            return "BIG5";
        case 10003:
            return "EUC-KR";
        case 10006:
            return "MAC-GREEK";
        case 10007:
            return "MAC-CYRILLIC";
        case 10008:
            return "GB2312";
        case 10029:
            return "MAC-CENTRALEUROPE";
        case 10079:
            return "MAC-IS";
        case 10081:
            return "MAC-TURKISH";
        case 20127:
            return "ASCII";
        case 20932:
            return "EUC-JP";
        case 28591:
            return "ISO-8859-1";
        case 50220:
            return "ISO-2022-JP";
        case 51932:
            return "EUC-JP";
        case 51949:
            return "EUC-KR";
        case 65001:
            return "UTF-8";
        default:
            break;
    }
    std::snprintf(buffer, size, "CP%d", codepage);
    return buffer;
}

}  // namespace

int codepageForCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 2:
            return kSymbolCodepage;
        case 77:
            return 10000;
        case 78:
            return 10001;
        case 79:
            return 10003;
        case 80:
            return 10008;
        case 81:
            return 10002;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 0;
    }
}

// One code page: either a 256-entry table of UTF-8 strings (single-byte code pages, filled by
// asking iconv about each byte once) or an open iconv descriptor for multi-byte ones.
struct CodepageDecoder::Converter {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    bool multiByte = false;
    std::array<std::string, 256> table;

    explicit Converter(int codepage) {
        if (codepage == kSymbolCodepage) {
            // Symbol-font text is drawn with the font's own glyphs; Windows maps those bytes
            // to the private-use range U+F020..U+F0FF, which keeps them distinct and lossless.
            for (int b = 0; b < 256; ++b) {
                std::string s;
                // Except the bullet, by far its most used character, which every font has.
                const char32_t cp = b < 0x20    ? static_cast<char32_t>(b)
                                    : b == 0xB7 ? 0x2022
                                                : static_cast<char32_t>(0xF000 + b);
                text::appendUtf8(s, cp);
                table[b] = s;
            }
            return;
        }
        char nameBuffer[32];
        if (codepage != 1252) {
            cd = iconv_open("UTF-8", iconvName(codepage, nameBuffer, sizeof nameBuffer));
        }
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            // Windows-1252, the usual one and the fallback for code pages iconv does not
            // know, is decoded as everywhere else in the program.
            for (int b = 0; b < 256; ++b) {
                table[b].clear();
                text::appendUtf8(table[b], text::fromWindows1252(static_cast<unsigned char>(b)));
            }
            return;
        }
        for (int b = 0; b < 256; ++b) {
            if (b < 0x80 && codepage != 50220) {
                table[b] = std::string(1, static_cast<char>(b));
                continue;
            }
            char in = static_cast<char>(b);
            char outBuffer[16];
            char* inPtr = &in;
            std::size_t inLeft = 1;
            char* outPtr = outBuffer;
            std::size_t outLeft = sizeof outBuffer;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            if (rc == static_cast<std::size_t>(-1) && errno == EINVAL) {
                multiByte = true;  // this byte needs a partner: a lead byte
                table[b] = std::string(kReplacement);
            } else if (rc == static_cast<std::size_t>(-1)) {
                table[b] = std::string(kReplacement);
            } else {
                table[b] = std::string(outBuffer, static_cast<std::size_t>(outPtr - outBuffer));
            }
        }
        if (!multiByte && cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
            cd = reinterpret_cast<iconv_t>(-1);
        }
    }
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    void decode(std::string_view bytes, std::string& out) {
        if (!multiByte) {
            for (unsigned char b : bytes) {
                if (b < 0x80) {
                    out.push_back(static_cast<char>(b));
                } else {
                    out += table[b];
                }
            }
            return;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::vector<char> in(bytes.begin(), bytes.end());
        char* inPtr = in.data();
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                continue;
            }
            // An invalid or truncated sequence: show one replacement and resynchronise on
            // the next byte, as a word processor would.
            out += kReplacement;
            ++inPtr;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
};

CodepageDecoder::CodepageDecoder() = default;
CodepageDecoder::~CodepageDecoder() = default;

CodepageDecoder::Converter& CodepageDecoder::converter(int codepage) {
    if (codepage == lastCodepage_) {
        return *last_;
    }
    auto& slot = converters_[codepage];
    if (!slot) {
        slot = std::make_unique<Converter>(codepage);
    }
    lastCodepage_ = codepage;
    last_ = slot.get();
    return *slot;
}

void CodepageDecoder::decode(std::string_view bytes, int codepage, std::string& out) {
    converter(codepage).decode(bytes, out);
}

bool CodepageDecoder::isMultiByte(int codepage) {
    return converter(codepage).multiByte;
}

}  // namespace rtf
