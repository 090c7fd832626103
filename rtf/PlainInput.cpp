#include "rtf/PlainInput.h"

#include "rtf/Codepage.h"

namespace rtf {

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n + 0 && i + extra > n - 1) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(bytes[i + k]);
            if ((d & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

Document parsePlainText(std::string_view bytes) {
    Document document;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (bytes.empty()) {
        return document;
    }
    std::string text;
    if (isValidUtf8(bytes)) {
        text.assign(bytes);
    } else {
        CodepageDecoder decoder;
        decoder.decode(bytes, 1252, text);
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string::npos) {
            stop = text.size();
        }
        Paragraph paragraph;
        if (stop > start) {
            Run run;
            run.text = text.substr(start, stop - start);
            paragraph.inlines.emplace_back(std::move(run));
        }
        const bool atEnd = stop == text.size();
        if (!(atEnd && paragraph.inlines.empty())) {
            document.blocks.emplace_back(std::move(paragraph));
        }
        if (atEnd) {
            break;
        }
        start = stop + 1;
        if (text[stop] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return document;
}

}  // namespace rtf
