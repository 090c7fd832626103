// Fuzzes the settings checker's reading and both of its reports. The system is a stand-in: no
// policy file exists and every program is found, so no input touches the real disk.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check/Checker.h"
#include "runtime/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const check::Environment system{
        "/gate/",
        [](std::string_view path) -> std::string {
            throw runtime::makeError(runtime::kFileNotFound, std::string(path));
        },
        [](std::string_view line) {
            if (line.empty()) {
                throw runtime::makeError(runtime::kInvalidProcedureCall);
            }
            return runtime::ApplicationLookup{std::string(line), "/bin/app", {"x"}};
        }};
    std::string_view input(reinterpret_cast<const char*>(data), size);
    check::Report report = check::checkSettings("fuzz.ini", input, system);
    std::string text = check::formatText(report);
    std::string json = check::formatJson(report);
    if (text.empty() || json.front() != '{' || json.back() != '\n') {
        __builtin_trap();
    }
    return 0;
}
