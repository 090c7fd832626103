// The words of the Windows guard's pipe: what the guard takes from a user's session, and what
// it refuses. Every accepted row also reads back from its own formatting.
#include <gtest/gtest.h>

#include <string>

#include "guard/PipeMessage.h"

namespace {

using guard::Request;
using guard::Verb;

Request request(Verb verb, std::string session = {}, std::int64_t seconds = 0) {
    return Request{verb, std::move(session), seconds};
}

struct Row {
    const char* name;
    std::string message;
    std::optional<Request> expected;
};

TEST(PipeMessage, TakesExactlyTheRequestForms) {
    const Row rows[] = {
        {"hello", "HELLO", request(Verb::Hello)},
        {"agreed", "AGREED", request(Verb::Agreed)},
        {"ending", "ENDING", request(Verb::Ending)},
        {"status", "STATUS", request(Verb::Status)},
        {"extend", "EXTEND 1 600", request(Verb::Extend, "1", 600)},
        {"shorten", "EXTEND c_2-x -60", request(Verb::Extend, "c_2-x", -60)},
        {"end", "END 3", request(Verb::End, "3")},
        {"a year at most", "EXTEND 1 31622401", std::nullopt},
        {"lower case", "hello", std::nullopt},
        {"empty", "", std::nullopt},
        {"trailing newline", "HELLO\n", std::nullopt},
        {"leading blank", " HELLO", std::nullopt},
        {"trailing blank", "HELLO ", std::nullopt},
        {"two blanks", "END  1", std::nullopt},
        {"a tab", "END\t1", std::nullopt},
        {"words after hello", "HELLO 1", std::nullopt},
        {"status of what", "STATUS JSON", std::nullopt},
        {"end without session", "END", std::nullopt},
        {"session with a slash", "END ..\\1", std::nullopt},
        {"session too long", "END " + std::string(33, 'a'), std::nullopt},
        {"seconds not decimal", "EXTEND 1 0x10", std::nullopt},
        {"seconds with plus", "EXTEND 1 +5", std::nullopt},
        {"a leading zero", "EXTEND 1 076", std::nullopt},
        {"minus zero", "EXTEND 1 -0", std::nullopt},
        {"seconds overflow", "EXTEND 1 99999999999999999999", std::nullopt},
        {"too many words", "EXTEND 1 2 3", std::nullopt},
        {"non-ASCII", "END \xc3\xa9", std::nullopt},
        {"NUL inside", std::string("END 1\0", 6), std::nullopt},
        {"longer than any request", "END " + std::string(253, 'a'), std::nullopt},
        {"unknown verb", "SHUTDOWN", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto got = guard::parseRequest(row.message);
        EXPECT_EQ(got, row.expected);
        if (got) {
            EXPECT_EQ(guard::formatRequest(*got), row.message);
        }
    }
}

TEST(PipeMessage, TheGateReadsWhatTheGuardWrites) {
    EXPECT_EQ(guard::parseHelloReply(guard::formatHelloReply({true, "1"}))->session, "1");
    EXPECT_FALSE(guard::parseHelloReply(guard::formatHelloReply({}))->guarded);
    EXPECT_FALSE(guard::parseHelloReply("GUARDED"));

    // The day's text arrives on one line, whatever the settings held.
    const auto used = guard::parseAgreedReply(guard::formatAgreedReply({0, "Used up.\r\nBye"}));
    EXPECT_EQ(used->secondsLeft, 0);
    EXPECT_EQ(used->message, "Used up.  Bye");
    EXPECT_EQ(guard::parseAgreedReply(guard::formatAgreedReply({}))->secondsLeft, std::nullopt);
    EXPECT_FALSE(guard::parseAgreedReply("-2"));

    EXPECT_EQ(guard::parseGateNotice(guard::formatEndChanged(90))->secondsLeft, 90);
    EXPECT_TRUE(guard::parseGateNotice(guard::kEndNow)->endNow);
    EXPECT_FALSE(guard::parseGateNotice("OK -1"));  // a reply is no notice

    EXPECT_EQ(guard::parseReply("ERR NOSUCHSESSION")->error, guard::ReplyError::NoSuchSession);
    EXPECT_EQ(guard::parseReply("OK 5 hello")->rest, "5 hello");
    EXPECT_FALSE(guard::parseReply("ERR WHATEVER"));
}

}  // namespace
