#include "rtf/Reader.h"

#include "rtf/Parser.h"
#include "rtf/PlainInput.h"

namespace rtf {

namespace {

bool looksLikeRtf(std::string_view bytes) {
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        i = 3;  // editors that save "RTF" as UTF-8 text sometimes add a byte-order mark
    }
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return bytes.substr(i, 5) == "{\\rtf";
}

}  // namespace

Document parse(std::string_view bytes) {
    if (!looksLikeRtf(bytes)) {
        return parsePlainText(bytes);
    }
    return Parser(bytes).run();
}

}  // namespace rtf
