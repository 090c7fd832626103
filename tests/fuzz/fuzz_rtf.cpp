// Feeds arbitrary bytes to the RTF reader: it must never crash, hang or run out of memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rtf/Reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const rtf::Document document = rtf::parse(bytes);
    (void)rtf::plainText(document);
    (void)rtf::dumpModel(document);
    return 0;
}
