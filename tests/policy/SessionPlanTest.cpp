// The session plan as read from a settings file with no program running: what the guard and
// the checker build.

#include <gtest/gtest.h>

#include "policy/SessionPlan.h"
#include "tests/support/TempDir.h"

namespace {

TEST(SessionPlan, ReadQuietlyKeysByWhatTheyDependOn) {
    struct Row {
        const char* name;
        const char* application;
        const char* closing;
        policy::SessionPlan plan;
    } rows[] = {
        {"Everything",
         "ClosePorvaneInSeconds=600\r\nCloseAt=21:45\r\nIdleSeconds=300\r\n"
         "ClosePorvaneAfterAgree=False\r\n",
         "WarnBeforeSeconds=60 10\r\nWarnTitle=W\r\nWarnText=T\r\nShowTimeLeft=1\r\n"
         "TimeLeftTitle=L\r\nIdleWarnSeconds=30\r\nIdleWarnTitle=I\r\nIdleWarnText=J\r\n",
         {600, 21 * 3600 + 45 * 60, false, {60, 10}, "W", "T", true, "L", 300, 30, "I", "J"}},
        // Without a time limit and an idle end their texts are not read: nothing of them.
        {"KeysOfEndsThatAreNotThere",
         "ClosePorvaneAfterAgree=True\r\nIdleSeconds=-4\r\n",
         "WarnBeforeSeconds=60\r\nWarnTitle=W\r\nShowTimeLeft=True\r\nIdleWarnSeconds=3\r\n",
         {0, {}, true, {}, "", "", false, "", 0, 0, "", ""}},
        // Malformed values read as their neutral ones, and no notice: no program runs here.
        {"MalformedReadsNeutral",
         "ClosePorvaneInSeconds=soon\r\nCloseAt=25:00\r\nIdleSeconds=5\r\n"
         "ClosePorvaneAfterAgree=maybe\r\n",
         "IdleWarnSeconds=lots\r\nIdleWarnTitle=I\r\n",
         {0, {}, false, {}, "", "", false, "", 5, 0, "I", ""}},
        {"IdleWarningLongerThanTheIdleEnd",
         "IdleSeconds=5\r\n",
         "IdleWarnSeconds=60\r\n",
         {0, {}, false, {}, "", "", false, "", 5, 4, "", ""}},
        {"OneSecondIdleLeavesNoWarning",
         "IdleSeconds=1\r\n",
         "IdleWarnSeconds=5\r\n",
         {0, {}, false, {}, "", "", false, "", 1, 0, "", ""}},
        {"NegativeIdleWarningIsNone",
         "IdleSeconds=5\r\n",
         "IdleWarnSeconds=-1\r\n",
         {0, {}, false, {}, "", "", false, "", 5, 0, "", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempDir dir;
        dir.write("Porvane.ini", std::string("[Application]\r\n") + row.application +
                                     "[Closing]\r\n" + row.closing);
        EXPECT_TRUE(policy::readSessionPlan(dir.file("Porvane.ini"), policy::Reading::Quiet) ==
                    row.plan);
    }
}

}  // namespace
