#include "rtf/PlainInput.h"

#include "text/Decode.h"
#include "text/Lines.h"

namespace rtf {

Document parsePlainText(std::string_view bytes) {
    Document document;
    const std::string decoded = text::decodeToUtf8(bytes);
    const std::string_view all = decoded;
    for (std::size_t pos = 0; pos < all.size();) {
        Paragraph paragraph;
        if (const std::string_view line = text::nextLine(all, pos); !line.empty()) {
            Run run;
            run.text = line;
            paragraph.inlines.emplace_back(std::move(run));
        }
        document.blocks.emplace_back(std::move(paragraph));
    }
    return document;
}

}  // namespace rtf
