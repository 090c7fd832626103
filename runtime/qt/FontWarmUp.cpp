#include "runtime/qt/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace runtime::qt {

FontWarmUp::FontWarmUp() {
    try {
        loader_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt loads the configuration itself, as it always could.
    }
}

FontWarmUp::~FontWarmUp() {
    wait();
}

void FontWarmUp::wait() {
    if (loader_.joinable()) {
        loader_.join();
    }
}

}  // namespace runtime::qt
