#include "policy/SessionPlan.h"

#include "runtime/Error.h"
#include "settings/Conversions.h"
#include "settings/dmlRWINIFile.h"

namespace policy {
namespace {

// The settings file's values through the typed readers: with the notice as the gate reads, or
// quietly, a malformed value reading as its neutral value.
class FileValues {
  public:
    FileValues(const std::string& file, Reading reading) : file_(file), reading_(reading) {}

    std::string value(const settings::StringKey& key) const {
        return quiet() ? settings::quietString(file_, key) : GetIniString(file_, key);
    }
    bool value(const settings::BooleanKey& key) const {
        return quiet() ? settings::quietBoolean(file_, key) : GetIniBoolean(file_, key);
    }
    std::int32_t value(const settings::LongKey& key) const {
        return quiet() ? converted(key, std::int32_t{0}, settings::toLong) : GetIniLong(file_, key);
    }
    std::vector<std::int32_t> value(const settings::SecondsListKey& key) const {
        return quiet() ? converted(key, std::vector<std::int32_t>{}, settings::toSecondsList)
                       : GetIniSecondsList(file_, key);
    }
    std::optional<std::int32_t> value(const settings::TimeOfDayKey& key) const {
        return quiet() ? converted(key, std::optional<std::int32_t>{},
                                   [](std::string_view s) -> std::optional<std::int32_t> {
                                       return settings::toTimeOfDay(s);
                                   })
                       : GetIniTimeOfDay(file_, key);
    }

  private:
    bool quiet() const { return reading_ == Reading::Quiet; }

    // The key's text converted, or `neutral` when it is empty or does not convert.
    template <class T, class Convert>
    T converted(const settings::KeySpec& key, T neutral, Convert convert) const {
        std::string text = settings::quietString(file_, key);
        if (text.empty()) {
            return neutral;
        }
        try {
            return convert(text);
        } catch (const runtime::Error&) {
            return neutral;
        }
    }

    const std::string& file_;
    Reading reading_;
};

}  // namespace

SessionPlan readSessionPlan(const std::string& iniFile, Reading reading) {
    FileValues values(iniFile, reading);
    return makeSessionPlan(values, values.value(settings::key::ClosePorvaneInSeconds));
}

SessionPlan readSessionPlan(const std::string& iniFile, Reading reading,
                            std::int32_t closeSeconds) {
    return makeSessionPlan(FileValues(iniFile, reading), closeSeconds);
}

}  // namespace policy
