// Who may ask the Windows guard what: a malformed message and an ordinary user's EXTEND or END
// never reach the rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guard/win32/Answer.h"

namespace {

using namespace guard::win32;

// Rules that record what reached them.
struct Recorder final : Rules {
    std::vector<std::string> calls;
    void sessionNew(const SessionFacts&, std::int64_t) override {}
    void sessionRemoved(const std::string&) override {}
    guard::HelloAnswer hello(const std::string& s, std::int64_t) override {
        calls.push_back("hello " + s);
        return {true, s};
    }
    guard::AgreedAnswer agreed(const std::string& s, std::int64_t) override {
        calls.push_back("agreed " + s);
        return {30, ""};
    }
    void ending(const std::string& s) override { calls.push_back("ending " + s); }
    void gateGone(const std::string&, std::int64_t) override {}
    std::string status(const Caller&, bool json, std::int64_t) override {
        return json ? "{}" : "a\nb\n";
    }
    std::optional<guard::ReplyError> extend(const std::string& s, std::int64_t n,
                                            std::int64_t) override {
        calls.push_back("extend " + s + " " + std::to_string(n));
        return std::nullopt;
    }
    std::optional<guard::ReplyError> end(const std::string& s, std::int64_t) override {
        calls.push_back("end " + s);
        return guard::ReplyError::NoSuchSession;
    }
    std::int64_t step(std::int64_t) override { return 1000; }
};

TEST(Answer, OnlyAdministratorsExtendOrEndAndTheGateSpeaksOfItsOwnSession) {
    struct Row {
        const char* message;
        bool administrator;
        const char* reply;
        const char* call;  // what reached the rules, "" for nothing
    };
    const Row rows[] = {
        {"HELLO", false, "OK GUARDED 7", "hello 7"},   {"AGREED", false, "OK 30", "agreed 7"},
        {"ENDING", false, "OK", "ending 7"},           {"STATUS", false, "OK 4 a\nb\n", ""},
        {"STATUS JSON", false, "OK 2 {}", ""},         {"EXTEND 7 600", false, "ERR REFUSED", ""},
        {"END 7", false, "ERR REFUSED", ""},           {"EXTEND 2 600", true, "OK", "extend 2 600"},
        {"END 2", true, "ERR NOSUCHSESSION", "end 2"}, {"END 2 now", true, "ERR REFUSED", ""},
        {"HELLO 2", false, "ERR REFUSED", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        Recorder rules;
        const Answered got = answer(rules, Caller{"7", row.administrator}, row.message, 0);
        EXPECT_EQ(got.reply, row.reply);
        EXPECT_EQ(got.saidHello, std::string(row.message) == "HELLO");
        EXPECT_EQ(rules.calls, std::string(row.call).empty() ? std::vector<std::string>{}
                                                             : std::vector<std::string>{row.call});
    }
}

}  // namespace
