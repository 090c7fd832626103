#include "rtf/Reader.h"

#include "rtf/Parser.h"
#include "rtf/PlainInput.h"
#include "text/Decode.h"

namespace rtf {

Document parse(std::string_view bytes) {
    const std::string_view rtf = text::rtfSource(bytes);
    return rtf.empty() ? parsePlainText(bytes) : Parser(rtf).run();
}

void parse(std::string_view bytes, const std::function<void(Block&&)>& take) {
    const std::string_view rtf = text::rtfSource(bytes);
    if (!rtf.empty()) {
        Parser(rtf, take).run();
        return;
    }
    for (Block& block : parsePlainText(bytes).blocks) {
        take(std::move(block));
    }
}

}  // namespace rtf
