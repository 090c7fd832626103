#include "check/Rules.h"

#include <string>

#include "policy/PolicyRules.h"
#include "policy/SessionClock.h"
#include "settings/Keys.h"

namespace check {
namespace {

namespace key = settings::key;

std::string secondsText(std::int32_t seconds) {
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

// A caption as its button shows it: an & marks the access key and is not drawn, && draws one.
std::string shownCaption(std::string_view caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

std::size_t characters(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

void negativeSeconds(Report& report) {
    const Setting& seconds = report.setting(key::ClosePorvaneInSeconds);
    if (seconds.number < 0) {
        report.add(seconds, Severity::Advice,
                   "negative, so the policy window closes on the first tick, one second after "
                   "Agree");
    }
}

void closeAtOnceWithTimeLimit(Report& report) {
    const Setting& atOnce = report.setting(key::ClosePorvaneAfterAgree);
    std::int32_t seconds = report.value(key::ClosePorvaneInSeconds);
    if (atOnce.flag && seconds != 0) {
        report.add(atOnce, Severity::Advice,
                   "True, so the policy window closes at once after Agree and the time limit of " +
                       secondsText(policy::closingTick(seconds)) +
                       " (ClosePorvaneInSeconds) never runs");
    }
}

void warningWithinTimeLimit(Report& report) {
    const Setting& warn = report.setting(key::WarnBeforeSeconds);
    std::int32_t seconds = report.value(key::ClosePorvaneInSeconds);
    if (warn.seconds.empty() || report.value(key::ClosePorvaneAfterAgree)) {
        return;
    }
    if (seconds == 0 && !report.value(key::CloseAt)) {
        report.add(warn, Severity::Advice,
                   "no time limit is set (ClosePorvaneInSeconds, CloseAt), so no warning ever "
                   "appears");
    } else if (std::int32_t first = warn.seconds.front();  // largest first: the earliest
               seconds > 0 && !report.value(key::CloseAt) && policy::reminderDue(first, seconds)) {
        report.add(warn, Severity::Advice,
                   secondsText(first) + " is at or beyond the time limit of " +
                       secondsText(seconds) + " (ClosePorvaneInSeconds), so the warning " +
                       (policy::everReminds(seconds, first) ? "appears one second after Agree"
                                                            : "never appears"));
    }
}

void buttonCaptions(Report& report) {
    for (const KeySpec* caption : {&key::DisagreeCaption, &key::AgreeCaption}) {
        const Setting& setting = report.setting(*caption);
        std::string shown = shownCaption(setting.text);
        std::string button = caption == &key::AgreeCaption ? "Agree" : "Disagree";
        if (shown.find_first_not_of(' ') == std::string::npos) {
            report.add(setting, Severity::Advice,
                       (setting.line == 0 ? "not set" : "empty") + std::string(", so the ") +
                           button + " button shows no text");
        } else if (std::size_t length = characters(shown);
                   length > static_cast<std::size_t>(policy::captionRoom())) {
            report.add(setting, Severity::Advice,
                       quoted(shown) + " is " + std::to_string(length) + " characters; the " +
                           button + " button, " +
                           std::to_string(policy::designedPixels(policy::kButtonWidth)) +
                           " pixels wide, holds about " + std::to_string(policy::captionRoom()) +
                           " (counting " + std::to_string(policy::kCaptionPixelsPerCharacter) +
                           " pixels a character), so the caption may be cut off at both ends");
        }
    }
}

void blankNotice(Report& report) {
    const Setting& text = report.setting(key::CloseText);
    if (report.value(key::ShowCloseDialog) &&
        text.text.find_first_not_of(' ') == std::string::npos) {
        report.add(text, Severity::Advice,
                   (text.line == 0 ? "not set" : "empty") +
                       std::string(" while ShowCloseDialog is True, so the closing notice shows "
                                   "no message"));
    }
}

// The idle values out of range, as the gate takes them.
void idleValues(Report& report) {
    const Setting& idle = report.setting(key::IdleSeconds);
    const Setting& warn = report.setting(key::IdleWarnSeconds);
    if (idle.number < 0) {
        report.add(idle, Severity::Advice, "negative, so taken as 0: the session never ends idle");
    }
    if (!policy::readsIdleWarningKeys(idle.number)) {
        return;
    }
    if (warn.number < 0) {
        report.add(warn, Severity::Advice, "negative, so taken as 0: no idle warning");
    } else if (warn.number > 0 && policy::idleWarning(idle.number, warn.number) == 0) {
        report.add(warn, Severity::Advice,
                   "IdleSeconds is 1, which leaves no room for an idle warning");
    } else if (warn.number >= idle.number) {
        report.add(warn, Severity::Advice,
                   "not shorter than IdleSeconds, so the idle warning comes after one second "
                   "without input");
    }
}

// The rules, in the order their findings are reported when they share a line.
constexpr void (*kRules[])(Report&) = {
    negativeSeconds, closeAtOnceWithTimeLimit, warningWithinTimeLimit,
    idleValues,      buttonCaptions,           blankNotice,
};

}  // namespace

void applyRules(Report& report) {
    for (auto rule : kRules) {
        rule(report);
    }
}

}  // namespace check
