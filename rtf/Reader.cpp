#include "rtf/Reader.h"

#include "rtf/Parser.h"
#include "rtf/PlainInput.h"
#include "text/Decode.h"

namespace rtf {

Document parse(std::string_view bytes) {
    const std::string_view rtf = text::rtfSource(bytes);
    return rtf.empty() ? parsePlainText(bytes) : Parser(rtf).run();
}

}  // namespace rtf
