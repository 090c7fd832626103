// Fuzzes the profile reader's decoding and lookup, and the settings conversions, with the
// input split into a section, a key and the file's bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Error.h"
#include "settings/Conversions.h"
#include "settings/Profile.h"
#include "text/Decode.h"
#include "text/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::u16string profile = text::decodeToUtf16(input);
    for (const char16_t* key : {u"FormCaption", u"PolicyWidth", u"k", u""}) {
        if (auto value = runtime::findProfileValue(profile, u"General", key)) {
            std::string utf8 = text::utf16ToUtf8(*value);
            try {
                (void)settings::toBoolean(utf8);
            } catch (const runtime::Error&) {
            }
            try {
                (void)settings::toLong(utf8);
            } catch (const runtime::Error&) {
            }
            try {
                (void)settings::toInteger(utf8);
            } catch (const runtime::Error&) {
            }
        }
    }
    // The conversions on the raw input too, and the UTF-8 round trip.
    try {
        (void)settings::toLong(input);
    } catch (const runtime::Error&) {
    }
    std::string roundTrip = text::utf16ToUtf8(text::utf8ToUtf16(input));
    if (text::isValidUtf8(input) && roundTrip != input) {
        __builtin_trap();
    }
    return 0;
}
