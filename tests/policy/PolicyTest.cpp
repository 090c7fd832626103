// The whole program on the headless backend: the policy window, agreement, the timed close,
// the closing notice and the end of the run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "closing/dlgClosing.h"
#include "closing/dlgIdleWarning.h"
#include "closing/dlgWarning.h"
#include "policy/frmUsagePolicy.h"
#include "settings/mdlGlobals.h"
#include "tests/support/DesignSize.h"

namespace {

using runtime::PixelRect;
using runtime::PixelSize;
using testing_support::kDesignClient;

constexpr const char* kTitle = "Usage";

// Settings for a run; empty strings leave a key out.
struct Settings {
    std::string closeAfterAgree = {};
    std::string closeInSeconds = {};
    std::string showCloseDialog = {};
    std::string closeApplication = {};
    std::string logOff = {};
    std::string idleSeconds = {};
    std::string application = "app.exe --kiosk";
    std::string extraGeneral = {};
    std::string extraApplication = {};
    std::string extraClosing = {};

    std::string text() const {
        std::string s =
            "[General]\r\nFormCaption=" + std::string(kTitle) +
            "\r\nAgreeCaption=Agree\r\nDisagreeCaption=Disagree\r\nApplication=" + application +
            "\r\n" + extraGeneral + "[Application]\r\n";
        auto key = [&](const char* name, const std::string& value) {
            if (!value.empty()) {
                s += std::string(name) + "=" + value + "\r\n";
            }
        };
        key("ClosePorvaneAfterAgree", closeAfterAgree);
        key("ClosePorvaneInSeconds", closeInSeconds);
        key("CloseApplicationOnClose", closeApplication);
        key("LogOffOnClose", logOff);
        key("IdleSeconds", idleSeconds);
        s += extraApplication;
        s += "[Closing]\r\nCloseTitle=Goodbye\r\nCloseText=Session over.\r\n";
        key("ShowCloseDialog", showCloseDialog);
        return s + extraClosing;
    }
};

class Policy : public testing_support::ProgramTest {
  protected:
    void start(const Settings& settings) {
        writeIni(settings.text());
        program->start<frmUsagePolicy>();
    }
    // Starts with a [General] section titled "T" and these lines after the title.
    void startTitled(const std::string& general) {
        writeIni("[General]\r\nFormCaption=T\r\n" + general);
        program->start<frmUsagePolicy>();
    }
    frmUsagePolicy& form() { return *program->existing<frmUsagePolicy>(); }
    bool agree() { return backend().click(kTitle, "Agree"); }
    bool noticeShown() const { return backend().visibleWindow("Goodbye") != nullptr; }
    const runtime::headless::ProcessRecord* app() const {
        return backend().processes().empty() ? nullptr : &backend().processes().front();
    }
};

TEST_F(Policy, TypicalRunStepByStep) {
    start({.closeInSeconds = "5", .showCloseDialog = "True", .closeApplication = "True"});
    // (1)-(2) shown with the configured texts, Agree focused.
    const auto* w = backend().visibleWindow(kTitle);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->focusedControlId, form().cmdAgree.id());
    EXPECT_EQ(form().lCloseSeconds, 5);
    EXPECT_EQ(sIniFile, iniPath());
    // (3) Agree: hidden, timer running, the application started with a normal focused window.
    ASSERT_TRUE(agree());
    EXPECT_EQ(backend().visibleWindow(kTitle), nullptr);
    ASSERT_NE(app(), nullptr);
    EXPECT_EQ(app()->commandLine, "app.exe --kiosk");
    EXPECT_EQ(app()->windowStyle, 1);
    EXPECT_TRUE(form().bAppStarted);
    // (4) after five ticks the window unloads; (5) the notice is shown.
    backend().advance(4999);
    EXPECT_TRUE(form().Loaded());
    EXPECT_FALSE(noticeShown());
    backend().advance(1);
    EXPECT_FALSE(form().Loaded());
    ASSERT_TRUE(noticeShown());
    const auto* notice = backend().visibleWindow("Goodbye");
    EXPECT_EQ(notice->control(program->existing<dlgClosing>()->lblText.id())->text,
              "Session over.");
    // (7) The time limit ends the application now: the notice only tells the user, and a user
    // who never presses OK gets no more time.
    EXPECT_TRUE(app()->terminated);
    EXPECT_EQ(form().vEndReason, policy::EndReason::TimeLimit);
    // (6) OK: no window remains, the program ends.
    ASSERT_TRUE(backend().click("Goodbye", "OK"));
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitStatus(), 0);
    EXPECT_TRUE(backend().messageBoxes().empty());
}

TEST_F(Policy, NoSettingsFileGivesEmptyTextsDesignSizeAndNoTimedClose) {
    program->start<frmUsagePolicy>();
    const auto* w = backend().visibleWindow("");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->client, kDesignClient);  // 4695 x 4785 twips at 15
    EXPECT_EQ(form().cmdAgree.Caption(), "");
    EXPECT_EQ(form().cmdDisagree.Caption(), "");
    EXPECT_EQ(form().lCloseSeconds, 0);
    EXPECT_EQ(w->control(form().rtbPolicy.id())->document, "") << "an empty policy: an empty view";
    EXPECT_TRUE(backend().messageBoxes().empty());
}

TEST_F(Policy, LayoutAtDesignSizeAndConfiguredSizes) {
    auto frame = backend().frame(runtime::WindowKind::ToolWindow);
    const PixelSize design = kDesignClient;
    struct Row {
        const char* name;
        const char* keys;
        PixelSize outer;
    } rows[] = {
        {"Design",
         "",
         {design.width + frame.left + frame.right, design.height + frame.top + frame.bottom}},
        {"Both", "PolicyWidth=640\r\nPolicyHeight=480\r\n", {641, 481}},
        {"HeightOnly",
         "PolicyWidth=0\r\nPolicyHeight=480\r\n",
         {design.width + frame.left + frame.right, 481}},
        {"WidthOnly", "PolicyWidth=640\r\n", {641, design.height + frame.top + frame.bottom}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        startTitled(row.keys);
        const auto* w = backend().visibleWindow("T");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->outer, row.outer);
        // The resize step: the view fills the client area but an 800-twip band; the buttons sit
        // 220 twips under it, Disagree at the left, Agree at the right of the outer width.
        auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
        int viewHeight = w->client.height * 15 - 800;
        auto bounds = [&](const runtime::Control& c) { return w->control(c.id())->bounds; };
        EXPECT_EQ(bounds(form().rtbPolicy), (PixelRect{0, 0, w->client.width, px(viewHeight)}))
            << "view";
        EXPECT_EQ(bounds(form().cmdDisagree), (PixelRect{8, px(viewHeight + 220), 81, 25}))
            << "Disagree";
        EXPECT_EQ(bounds(form().cmdAgree),
                  (PixelRect{px(w->outer.width * 15 - 1215 - 220), px(viewHeight + 220), 81, 25}))
            << "Agree";
    }
}

TEST_F(Policy, OuterSizeIsOnePixelMoreThanConfiguredAtAnyFactor) {
    backend().setTwipsPerPixel(10.0);
    startTitled("PolicyWidth=640\r\nPolicyHeight=480\r\n");
    EXPECT_EQ(backend().visibleWindow("T")->outer, (PixelSize{641, 481}));
}

TEST_F(Policy, ClientShorterThanTheButtonBandLeavesTheViewAtZeroHeight) {
    startTitled("PolicyHeight=40\r\n");
    EXPECT_EQ(form().rtbPolicy.Height(), 0);
    EXPECT_EQ(backend().visibleWindow("T")->control(form().rtbPolicy.id())->bounds.height, 0);
    EXPECT_EQ(form().cmdDisagree.Top(), 220);
}

TEST_F(Policy, MalformedSizeShowsTheNoticeAndKeepsTheDesignedWidth) {
    startTitled("PolicyWidth=wide\r\nPolicyHeight=40000\r\n");
    ASSERT_EQ(backend().messageBoxes().size(), 2u);
    EXPECT_NE(backend().messageBoxes()[0].text.find("Key = PolicyWidth"), std::string::npos);
    EXPECT_NE(backend().messageBoxes()[1].text.find("Overflow"), std::string::npos);
    const auto* w = backend().visibleWindow("T");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->client, kDesignClient);
}

TEST_F(Policy, CloseSecondsAreReadAsStoredOrRounded) {
    struct Row {
        const char* value;
        std::int32_t stored;
    } rows[] = {{"", 0}, {"-5", -5}, {"2.5", 2}, {"3.5", 4}, {"&H10", 16}};
    for (const Row& row : rows) {
        restart();
        start({.closeInSeconds = row.value});
        EXPECT_EQ(form().lCloseSeconds, row.stored) << row.value;
        EXPECT_TRUE(backend().messageBoxes().empty()) << row.value;
    }
}

// What happens after Agree for each combination of the closing settings.
struct AgreeCase {
    const char* name;
    Settings settings;
    bool unloadedAtOnce;
    int unloadTick;  // the tick that unloads the window, 0 for none
    bool notice;
};

class AgreeCombinations : public Policy, public ::testing::WithParamInterface<AgreeCase> {};

TEST_P(AgreeCombinations, UnloadNoticeAndEnd) {
    const AgreeCase& c = GetParam();
    start(c.settings);
    ASSERT_TRUE(agree());
    ASSERT_NE(app(), nullptr);
    EXPECT_TRUE(form().bAppStarted);
    EXPECT_EQ(!form().Loaded(), c.unloadedAtOnce);
    if (c.unloadTick > 1) {
        backend().advance(static_cast<std::int64_t>(c.unloadTick - 1) * 1000);
        EXPECT_TRUE(form().Loaded()) << "not before its tick";
    }
    backend().advance(c.unloadTick > 0 ? 1000 : 3'600'000);
    bool shouldBeUnloaded = c.unloadedAtOnce || c.unloadTick > 0;
    EXPECT_EQ(form().Loaded(), !shouldBeUnloaded);
    EXPECT_EQ(noticeShown(), shouldBeUnloaded && c.notice);
    // Ended once no window is loaded: at once without the notice, after OK with it.
    EXPECT_EQ(program->ended(), shouldBeUnloaded && !c.notice);
    if (noticeShown()) {
        backend().click("Goodbye", "OK");
        EXPECT_TRUE(program->ended());
    }
    EXPECT_EQ(backend().activeTimers(), 0) << "the timer never outlives its window";
}

const AgreeCase kAgreeCases[] = {
    {"StaysHiddenForever", {}, false, 0, false},
    {"StaysHiddenForeverEvenWithNotice", {.showCloseDialog = "True"}, false, 0, false},
    {"CloseAtOnce", {.closeAfterAgree = "True"}, true, 0, false},
    {"CloseAtOnceWithNotice", {.closeAfterAgree = "1", .showCloseDialog = "true"}, true, 0, true},
    {"TimedFive", {.closeInSeconds = "5"}, false, 5, false},
    {"TimedFiveWithNotice", {.closeInSeconds = "5", .showCloseDialog = "True"}, false, 5, true},
    {"NegativeWithNotice", {.closeInSeconds = "-5", .showCloseDialog = "True"}, false, 1, true},
    {"AtOnceWinsOverTimed", {.closeAfterAgree = "True", .closeInSeconds = "5"}, true, 0, false},
    {"AtOnceFalseWord", {.closeAfterAgree = "False", .closeInSeconds = "0"}, false, 0, false},
};

INSTANTIATE_TEST_SUITE_P(Closing, AgreeCombinations, ::testing::ValuesIn(kAgreeCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The idle end, in tenths of a second on the virtual clock from Agree on: when the idle warning
// appears, what its countdown first reads, when input takes it away, and when the session ends.
TEST_F(Policy, IdleEnd) {
    constexpr int kNever = -1;
    struct Row {
        const char* name;
        const char* closeIn;
        const char* idle;
        const char* warn;
        std::vector<int> inputsMs;  // user input at these times
        int runMs;
        int warnAtMs;
        const char* firstCount;  // the countdown when the warning appears
        int goneAtMs;            // the warning taken away while the session goes on
        int endAtMs;
        bool source = true;       // the desktop offers an idle time
        int agreeAfterMs = 0;     // idle time before Agree
        std::size_t notices = 0;  // settings notices
    } rows[] = {
        {"WarnsThenEnds", "3600", "10", "3", {}, 20000, 7000, "0:03", kNever, 10000},
        {"InputRestartsCount", "", "10", "3", {8500}, 30000, 7000, "0:03", 8600, 18500},
        {"TimeLimitFirst", "5", "10", "3", {}, 20000, kNever, "", kNever, 5000},
        {"NothingBeforeAgree", "", "10", "3", {}, 20000, 7000, "0:03", kNever, 10000, true, 60000},
        {"NoIdleSourceNoEnd", "", "5", "3", {}, 30000, kNever, "", kNever, kNever, false},
        {"IdleNotANumber", "", "soon", "3", {}, 30000, kNever, "", kNever, kNever, true, 0, 1},
        {"WarningKeysUnreadWithoutIdle", "", "", "soon", {}, 30000, kNever, "", kNever, kNever},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        backend().hasIdleSource = row.source;
        start(
            {.closeInSeconds = row.closeIn,
             .showCloseDialog = "True",
             .closeApplication = "True",
             .idleSeconds = row.idle,
             .extraClosing = std::string("IdleWarnSeconds=") + row.warn +
                             "\r\nIdleWarnTitle=Still there?\r\nIdleWarnText=Move the mouse.\r\n"});
        backend().advance(row.agreeAfterMs);
        ASSERT_NE(backend().visibleWindow(kTitle), nullptr) << "no idle end before Agree";
        ASSERT_TRUE(agree());
        int warnAt = kNever;
        int goneAt = kNever;
        int endAt = kNever;
        std::string firstCount;
        for (int t = 100; t <= row.runMs && endAt == kNever; t += 100) {
            backend().advance(100);
            if (std::ranges::find(row.inputsMs, t) != row.inputsMs.end()) {
                backend().input();
            }
            const auto* w = backend().visibleWindow("Still there?");
            if (!form().Loaded()) {
                endAt = t;
                EXPECT_EQ(w, nullptr) << "the warning goes with the session";
            } else if (w != nullptr && warnAt == kNever) {
                warnAt = t;
                const dlgIdleWarning& form = *program->existing<dlgIdleWarning>();
                firstCount = w->control(form.lblTimeLeft.id())->text;
                EXPECT_EQ(w->kind, runtime::WindowKind::Notice);
                EXPECT_FALSE(w->activated) << "the application keeps the keyboard";
                EXPECT_EQ(w->control(form.lblText.id())->text, "Move the mouse.");
            } else if (w == nullptr && warnAt != kNever && goneAt == kNever) {
                goneAt = t;
            }
        }
        EXPECT_EQ(warnAt, row.warnAtMs);
        EXPECT_EQ(firstCount, row.firstCount);
        EXPECT_EQ(goneAt, row.goneAtMs);
        EXPECT_EQ(endAt, row.endAtMs);
        EXPECT_EQ(backend().messageBoxes().size(), row.notices);
        EXPECT_EQ(backend().logLines.size(), row.notices + (row.source ? 0u : 1u));
        if (endAt == kNever) {
            continue;
        }
        // Ended as time ends a session: the application now, the notice still shown.
        EXPECT_TRUE(policy::endedByTime(form().vEndReason.value()));
        EXPECT_TRUE(app()->terminated);
        EXPECT_TRUE(noticeShown());
    }
}

// What time shows the user, tick by tick after Agree: the countdown, the reminders, and the
// end at the earlier of the time limit and the closing time, read against the wall clock.
TEST_F(Policy, TimeYouCanSee) {
    constexpr std::int64_t kNoon = 1780315200000;  // 2026-06-01 12:00:00 UTC, the clock's zone
    struct Row {
        const char* name;
        const char* closeIn;
        const char* application;     // more [Application] lines
        const char* keys;            // more [Closing] lines
        int endTick;                 // the tick that ends the session; 0: none within 100
        const char* atAgree;         // the countdown's text at Agree; empty: no countdown
        const char* lastShown;       // its text on the tick before the end
        std::vector<int> reminders;  // the ticks on which the warning appeared or came back
        std::size_t notices = 0;
        int clockSetAt = 0;  // after this tick the clock is set to
        std::int64_t clockSetTo = 0;
    };
    const char* show = "ShowTimeLeft=True\r\n";
    // clang-format off
    const Row rows[] = {
        {"CountdownCountsToTheLimit", "65", "", show, 65, "1:05", "0:01", {}},
        {"ThreeRemindersWhileTheWarningStaysOpen", "20", "",
         "ShowTimeLeft=True\r\nWarnBeforeSeconds=10, 5 1\r\n", 20, "0:20", "0:01", {10, 15, 19}},
        {"ClosingTimeAloneIsATimeLimit", "", "CloseAt=12:00:03\r\n",
         "ShowTimeLeft=1\r\nWarnBeforeSeconds=2\r\n", 3, "0:03", "0:01", {1}},
        {"ClockSetForwardMovesTheEnd", "", "CloseAt=12:10\r\n", show, 4, "10:00", "0:01", {}, 0,
         2, kNoon + (9 * 60 + 58) * 1000},
        {"BadValuesAreLeftOut", "5", "CloseAt=25:61\r\n", "WarnBeforeSeconds=10, soon\r\n", 5,
         "", "", {}, 2},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        backend().setWallClock(kNoon + 250);
        start({.closeInSeconds = row.closeIn,
               .showCloseDialog = "True",
               .closeApplication = "True",
               .extraApplication = row.application,
               .extraClosing = std::string("TimeLeftTitle=Left\r\nWarnTitle=Soon\r\n"
                                           "WarnText=Save your work.\r\n") +
                               row.keys});
        ASSERT_TRUE(agree());
        EXPECT_EQ(backend().messageBoxes().size(), row.notices);
        auto countdown = [&] { return backend().visibleWindow("Left"); };
        if (*row.atAgree == '\0') {
            EXPECT_EQ(countdown(), nullptr);
        } else {
            ASSERT_NE(countdown(), nullptr);
            EXPECT_EQ(countdown()->kind, runtime::WindowKind::Countdown);
            EXPECT_EQ(countdown()->controls[0]->text, row.atAgree);
            EXPECT_FALSE(countdown()->activated) << "the application keeps the keyboard";
            EXPECT_EQ(countdown()->cornered, 1);
            // No close box: a close request leaves it; the user may minimize it.
            EXPECT_TRUE(backend().requestClose("Left"));
            EXPECT_TRUE(backend().minimize("Left"));
            EXPECT_NE(countdown(), nullptr);
        }
        std::vector<int> reminders;
        std::string shown;
        int endTick = 0;
        for (int tick = 1; tick <= 100 && endTick == 0; ++tick) {
            const auto* before = backend().visibleWindow("Soon");
            int fronted = before != nullptr ? before->broughtToFront : 0;
            backend().advance(1000);
            if (!form().Loaded()) {
                endTick = tick;
                EXPECT_EQ(backend().window("Left"), nullptr) << "gone with the session";
                EXPECT_EQ(backend().window("Soon"), nullptr) << "gone with the session";
                EXPECT_TRUE(app()->terminated) << "ended at the limit, before the notice's OK";
                break;
            }
            const auto* warning = backend().visibleWindow("Soon");
            if (warning != nullptr && (before == nullptr || warning->broughtToFront > fronted)) {
                reminders.push_back(tick);
                EXPECT_EQ(warning->kind, runtime::WindowKind::Notice);
                EXPECT_FALSE(warning->activated) << "the application keeps the keyboard";
                EXPECT_TRUE(warning->centred);
                EXPECT_EQ(warning->client, (PixelSize{402, 115}));
                EXPECT_EQ(warning->control(program->existing<dlgWarning>()->lblText.id())->text,
                          "Save your work.");
                EXPECT_TRUE(app()->running);
                if (countdown() != nullptr) {
                    EXPECT_FALSE(countdown()->minimized) << "back into view at a reminder";
                    EXPECT_EQ(warning->controls[2]->text, countdown()->controls[0]->text);
                }
            }
            if (countdown() != nullptr) {
                shown = countdown()->controls[0]->text;
            }
            if (tick == row.clockSetAt) {
                backend().setWallClock(row.clockSetTo);
            }
        }
        EXPECT_EQ(endTick, row.endTick);
        EXPECT_EQ(reminders, row.reminders);
        if (row.endTick != 0 && *row.lastShown != '\0') {
            EXPECT_EQ(shown, row.lastShown);
        }
    }
}

TEST_F(Policy, DisagreeAndCloseBoxStartNothingAndEnd) {
    for (bool viaCloseBox : {false, true}) {
        SCOPED_TRACE(viaCloseBox ? "close box" : "Disagree");
        restart();
        // A broken Application line would be fatal if it were ever started.
        start({.showCloseDialog = "True", .closeApplication = "True", .application = ""});
        ASSERT_TRUE(viaCloseBox ? backend().requestClose(kTitle)
                                : backend().click(kTitle, "Disagree"));
        EXPECT_FALSE(program->ended()) << "the notice keeps the program alive";
        ASSERT_NE(backend().visibleWindow("Goodbye"), nullptr);
        ASSERT_TRUE(backend().requestClose("Goodbye")) << "its close box acts as OK";
        EXPECT_TRUE(program->ended());
        EXPECT_EQ(program->exitStatus(), 0);
        EXPECT_TRUE(backend().processes().empty());
        EXPECT_FALSE(program->existing<frmUsagePolicy>()->bAppStarted);
    }
}

// Only an end that time brought about ends the application before the notice; every other end
// (here ClosePorvaneAfterAgree, the user's own "end my session") waits for its OK.
TEST_F(Policy, OnlyTheTimeEndsTheApplicationBeforeTheNotice) {
    start({.closeAfterAgree = "True", .showCloseDialog = "True", .closeApplication = "True"});
    agree();
    ASSERT_TRUE(noticeShown());
    EXPECT_TRUE(app()->running);
    EXPECT_EQ(form().vEndReason, policy::EndReason::AfterAgree);
    backend().click("Goodbye", "OK");
    EXPECT_TRUE(app()->terminated);
}

TEST_F(Policy, TerminationReadsTheSettingAgainAtTheEndWhenTheTimeLeftTheApplication) {
    start({.closeInSeconds = "2", .showCloseDialog = "True", .closeApplication = "False"});
    agree();
    backend().advance(2000);
    ASSERT_TRUE(noticeShown());
    EXPECT_TRUE(app()->running) << "CloseApplicationOnClose read False at the timed close";
    // The administrator turns the time limit on while the program runs.
    Settings changed{.closeInSeconds = "2", .showCloseDialog = "True", .closeApplication = "1"};
    writeIni(changed.text());
    backend().click("Goodbye", "OK");
    EXPECT_TRUE(program->ended());
    EXPECT_TRUE(app()->terminated);
}

// The end for a program that is killed is armed from the setting as Agree reads it, quietly;
// the end step reads it again and decides, taking the armed end back when it reads False.
TEST_F(Policy, TheEndIsArmedAtAgreeAndDecidedAtTheEnd) {
    struct Row {
        const char* atAgree;
        const char* atEnd;
        bool armed;       // after Agree
        bool terminated;  // at the end
        bool armedAtEnd;  // as the application is let go
    } rows[] = {
        {"True", "True", true, true, true},      {"True", "False", true, false, false},
        {"False", "True", false, true, false},   {"False", "False", false, false, false},
        {"maybe", "False", false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.atAgree) + " then " + row.atEnd);
        restart();
        start({.closeInSeconds = "5", .closeApplication = row.atAgree});
        agree();
        EXPECT_EQ(app()->endsWithProgram, row.armed);
        EXPECT_TRUE(backend().messageBoxes().empty()) << "a bad value is reported at the end only";
        writeIni(Settings{.closeInSeconds = "5", .closeApplication = row.atEnd}.text());
        backend().advance(5000);
        ASSERT_TRUE(program->ended());
        EXPECT_EQ(app()->terminated, row.terminated);
        EXPECT_EQ(app()->running, !row.terminated);
        EXPECT_EQ(app()->endsWithProgram, row.armedAtEnd);
    }
}

TEST_F(Policy, AnApplicationThatEndedIsLeftAloneAndItsReusedIdUntouched) {
    start({.closeInSeconds = "60", .closeApplication = "True"});
    agree();
    std::int64_t pid = app()->pid;
    backend().exitProcess(pid);
    backend().spawnUnrelated(pid);  // the system hands the id to another program
    backend().advance(60'000);
    ASSERT_TRUE(program->ended());
    ASSERT_EQ(backend().processes().size(), 2u);
    EXPECT_FALSE(backend().processes()[0].terminated);
    EXPECT_TRUE(backend().processes()[1].running) << "the unrelated process must survive";
    EXPECT_FALSE(backend().processes()[1].terminated);
}

TEST_F(Policy, StartFailureIsFatalNamesTheProgramAndEndsNothing) {
    struct Row {
        const char* name;
        std::string application;
        std::string text;
    } rows[] = {{"EmptyLine", "", "Run-time error '5':\n\nInvalid procedure call or argument"},
                {"MissingProgram", "nowhere.exe /x",
                 "Run-time error '53':\n\nFile not found\n\nnowhere.exe"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        backend().missingPrograms = {"nowhere.exe"};
        start({.closeInSeconds = "5", .closeApplication = "True", .application = row.application});
        ASSERT_TRUE(backend().click(kTitle, "Agree"));
        ASSERT_EQ(backend().messageBoxes().size(), 1u);
        EXPECT_EQ(backend().messageBoxes()[0].text, row.text);
        EXPECT_EQ(backend().messageBoxes()[0].title, "Porvane");
        EXPECT_EQ(backend().logLines, std::vector{runtime::singleLine(row.text)});
        EXPECT_TRUE(program->ended());
        EXPECT_EQ(program->exitStatus(), 1);
        EXPECT_TRUE(backend().processes().empty());
        EXPECT_FALSE(program->existing<frmUsagePolicy>()->bAppStarted);
    }
}

TEST_F(Policy, TickDueWhileANoticeIsOpenIsDeliveredAfterIt) {
    // A malformed Boolean read inside the tick handler's unload shows a notice; the user takes
    // three seconds to dismiss it. Nothing else runs meanwhile and the program still ends.
    start({.closeInSeconds = "1", .showCloseDialog = "maybe"});
    agree();
    int boxes = 0;
    backend().onMessageBox = [&](const auto&) {
        ++boxes;
        backend().advance(3000);
    };
    backend().advance(1000);
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(form().Loaded());
    EXPECT_TRUE(program->ended());
}

TEST_F(Policy, PolicyDocumentIsLoadedFromBesideTheSettings) {
    dir.write("policy.rtf", "{\\rtf1 Be nice.}");
    startTitled("PolicyFile=policy.rtf\r\n");
    EXPECT_EQ(backend().visibleWindow("T")->control(form().rtbPolicy.id())->document,
              "{\\rtf1 Be nice.}");
}

TEST_F(Policy, MissingOrUnreadablePolicyIsFatalAtStartAndNamesItsPath) {
    struct Row {
        const char* name;
        std::string file;
        const char* head;
    } rows[] = {{"Missing", "absent.rtf", "Run-time error '53':\n\nFile not found\n\n"},
                {"Folder", ".", "Run-time error '75':\n\nPath/File access error\n\n"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        startTitled("PolicyFile=" + row.file + "\r\n");
        ASSERT_EQ(backend().messageBoxes().size(), 1u);
        std::string resolved = (dir.path() / row.file).string();
        EXPECT_EQ(backend().messageBoxes()[0].text, row.head + resolved);
        EXPECT_EQ(program->exitStatus(), 1);
        EXPECT_EQ(backend().visibleWindow("T"), nullptr) << "never shown";
    }
}

TEST_F(Policy, KeysUnderTheWrongSectionAreNotFound) {
    startTitled(
        "ShowCloseDialog=True\r\nClosePorvaneInSeconds=5\r\n[Closing]\r\nFormCaption=Wrong\r\n");
    EXPECT_NE(backend().visibleWindow("T"), nullptr);
    EXPECT_EQ(form().lCloseSeconds, 0);
    backend().requestClose("T");
    EXPECT_EQ(backend().window("Closing"), nullptr) << "no notice: ShowCloseDialog is not found";
    EXPECT_TRUE(program->ended());
}

TEST_F(Policy, SignalWhileHiddenEndsTheApplicationWhenConfigured) {
    for (const char* setting : {"True", "False"}) {
        SCOPED_TRACE(setting);
        restart();
        start({.showCloseDialog = "True", .closeApplication = setting});
        backend().click(kTitle, "Agree");
        program->endRequested();
        EXPECT_TRUE(program->ended());
        EXPECT_EQ(program->exitStatus(), 0);
        EXPECT_EQ(backend().processes()[0].terminated, std::string(setting) == "True");
    }
}

// The log-off at every orderly end, after the application was ended, and at no other end.
TEST_F(Policy, LogOffComesAtEveryOrderlyEndAfterTheApplication) {
    enum class End { Disagree, CloseBox, Timed, FromOutside };
    struct Row {
        const char* name;
        Settings settings;
        End end;
        std::vector<int> requests;  // each: how many started programs still ran then
        std::string refusal = {};
    } rows[] = {
        {"Disagree", {.logOff = "True"}, End::Disagree, {0}},
        {"CloseBox", {.logOff = "1"}, End::CloseBox, {0}},
        {"TimedCloseEndsTheApplicationFirst",
         {.closeInSeconds = "5", .closeApplication = "True", .logOff = "True"},
         End::Timed,
         {0}},
        {"ApplicationLeftToTheSession", {.closeInSeconds = "5", .logOff = "True"}, End::Timed, {1}},
        {"EndedFromOutside", {.closeApplication = "True", .logOff = "True"}, End::FromOutside, {0}},
        {"KeyFalse", {.closeInSeconds = "5", .logOff = "False"}, End::Timed, {}},
        {"KeyMissing", {}, End::Disagree, {}},
        {"FatalErrorIsNoOrderlyEnd", {.logOff = "True", .application = ""}, End::Timed, {}},
        {"Refused", {.logOff = "True"}, End::Disagree, {0}, "no logind"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        backend().logOffRefusal = row.refusal;
        start(row.settings);
        switch (row.end) {
            case End::Disagree:
                backend().click(kTitle, "Disagree");
                break;
            case End::CloseBox:
                backend().requestClose(kTitle);
                break;
            case End::Timed:
                agree();
                backend().advance(5000);
                break;
            case End::FromOutside:
                agree();
                program->endRequested();
                break;
        }
        ASSERT_TRUE(program->ended());
        EXPECT_EQ(backend().logOffRequests(), row.requests);
        EXPECT_EQ(program->exitStatus(), row.settings.application.empty() ? 1 : 0);
        if (!row.refusal.empty()) {
            EXPECT_EQ(backend().logLines,
                      std::vector<std::string>{"the session is not logged off: no logind"});
        }
    }
}

// With the log-off to follow, a notice shown at an end that time brought about closes itself
// after 30 seconds; at any other end, or without the log-off, it waits for OK.
TEST_F(Policy, NoticeBeforeALogOffClosesItselfOnlyAfterTheTimeRanOut) {
    struct Row {
        const char* name;
        Settings settings;
        bool agreeFirst;
        bool closesItself;
    } rows[] = {
        {"TimedCloseWithLogOff",
         {.closeInSeconds = "5", .showCloseDialog = "True", .logOff = "True"},
         true,
         true},
        {"TimedCloseWithoutLogOff",
         {.closeInSeconds = "5", .showCloseDialog = "True", .logOff = "False"},
         true,
         false},
        {"CloseAfterAgreeIsTheUsersOwnEnd",
         {.closeAfterAgree = "True", .showCloseDialog = "True", .logOff = "True"},
         true,
         false},
        {"Disagree", {.showCloseDialog = "True", .logOff = "True"}, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        start(row.settings);
        if (row.agreeFirst) {
            agree();
        } else {
            backend().click(kTitle, "Disagree");
        }
        backend().advance(5000);
        ASSERT_TRUE(noticeShown());
        backend().advance(29'999);
        EXPECT_TRUE(noticeShown());
        backend().advance(1);
        EXPECT_EQ(!noticeShown(), row.closesItself);
        EXPECT_EQ(program->ended(), row.closesItself);
        EXPECT_EQ(backend().logOffRequests().size(), row.closesItself ? 1u : 0u);
    }
}

// An end handed in from outside, as the guard's client hands it in: the countdown follows
// within a second, and the session ends there as at its time limit.
TEST_F(Policy, OutsideEndMovesTheCountdownAndEndsAsTime) {
    struct Row {
        const char* name;
        const char* closeIn;
        std::int64_t endAtMs;    // handed in one and a half seconds after Agree
        const char* shownAfter;  // the countdown a second later
        int endedAtMs;
    } rows[] = {
        {"Shortens", "60", 4000, "0:02", 4000},
        {"Extends", "3", 10'000, "0:08", 10'000},
        {"WithoutATimeLimit", "", 5000, "", 5000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        start({.closeInSeconds = row.closeIn,
               .showCloseDialog = "True",
               .closeApplication = "True",
               .extraClosing = "ShowTimeLeft=True\r\nTimeLeftTitle=Left\r\n"});
        ASSERT_TRUE(agree());
        backend().advance(1500);
        form().setOutsideEnd(row.endAtMs);
        backend().advance(1000);
        if (const auto* countdown = backend().visibleWindow("Left")) {
            EXPECT_EQ(countdown->controls[0]->text, row.shownAfter);
        } else {
            EXPECT_EQ(*row.shownAfter, '\0');
        }
        backend().advance(row.endedAtMs - 2500 - 1);
        EXPECT_TRUE(form().Loaded());
        backend().advance(1);
        EXPECT_FALSE(form().Loaded());
        EXPECT_EQ(form().vEndReason, policy::EndReason::TimeLimit);
        EXPECT_TRUE(app()->terminated) << "before the notice's OK, as time ends a session";
        EXPECT_TRUE(noticeShown());
    }
}

}  // namespace
