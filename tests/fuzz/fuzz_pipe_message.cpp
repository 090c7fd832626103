// Fuzzes what the Windows guard reads from any user's session: one message on its pipe. A
// message it takes must read back from its own formatting.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "guard/PipeMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    if (const auto request = guard::parseRequest(message)) {
        if (guard::formatRequest(*request) != message) {
            std::abort();
        }
    }
    (void)guard::parseReply(message);
    (void)guard::parseGateNotice(message);
    (void)guard::parseAgreedReply(message);
    (void)guard::parseHelloReply(message);
    return 0;
}
