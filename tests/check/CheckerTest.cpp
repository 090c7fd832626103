// The settings checker: every kind of report in one table, the summary and JSON of one file, and
// the command line's exit statuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "check/Checker.h"
#include "check/Cli.h"
#include "runtime/Error.h"
#include "tests/support/DesignSize.h"
#include "tests/support/TempDir.h"

namespace {

// Files and programs that exist in the checks below: policy.rtf and notes.txt beside the
// settings, the program "app".
check::Environment fakeSystem() {
    return {"/gate/",
            [](std::string_view path) -> std::string {
                if (path == "/gate/policy.rtf") {
                    return "  {\\rtf1 Be nice.}";
                }
                if (path == "/gate/notes.txt") {
                    return "Be nice.";
                }
                if (path == "/gate/locked.rtf") {
                    throw runtime::makeError(runtime::kPathFileAccessError, std::string(path));
                }
                throw runtime::makeError(runtime::kFileNotFound, std::string(path));
            },
            [](std::string_view line) {
                // A program in quotes, else the first word.
                std::string program(line.starts_with('"') ? line.substr(1, line.find('"', 1) - 1)
                                                          : line.substr(0, line.find(' ')));
                if (program.empty()) {
                    throw runtime::makeError(runtime::kInvalidProcedureCall);
                }
                if (program != "app") {
                    throw runtime::makeError(runtime::kFileNotFound, program);
                }
                return runtime::ApplicationLookup{program, "/bin/app", {}};
            }};
}

// A file without problems; rows add their lines after its [General] section.
constexpr const char* kGood = "[General]\r\nPolicyFile=policy.rtf\r\nApplication=app -x\r\n";

// The problems of a file, without the advice about buttons left blank, which most rows below
// leave so: that advice has its own rows.
std::vector<std::string> problems(const std::string& text) {
    check::Report report = check::checkSettings("P.ini", text, fakeSystem());
    std::vector<std::string> lines;
    for (const check::Problem& p : report.problems) {
        if (p.key.ends_with("Caption") && p.message.starts_with("not set")) {
            continue;
        }
        lines.push_back(std::to_string(p.line) + " [" + p.section + "] " + p.key + " " +
                        std::to_string(p.errorNumber) + ": " + p.message);
    }
    return lines;
}

TEST(Checker, ReportsEachKindOfProblemAtItsLine) {
    const std::string longValue(600, 'x');
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> expected;  // each a prefix of one problem's line, in order
    } rows[] = {
        {"Nothing to report", kGood, {}},
        {"Not of its type",
         std::string(kGood) + "PolicyWidth=wide\r\n[Closing]\r\nShowCloseDialog=maybe\r\n",
         {"4 [General] PolicyWidth 13: error 13 \"Type mismatch\" for \"wide\": the gate shows "
          "the \"Ini RW Class\" notice and then uses 0",
          "6 [Closing] ShowCloseDialog 13: error 13 \"Type mismatch\" for \"maybe\": the gate "
          "shows the \"Ini RW Class\" notice and then uses False"}},
        {"Out of range",
         std::string(kGood) + "PolicyHeight=40000\r\n",
         {"4 [General] PolicyHeight 6: error 6 \"Overflow\""}},
        {"Wrong section",
         std::string(kGood) + "ShowCloseDialog=True\r\n",
         {"4 [General] ShowCloseDialog 0: belongs in [Closing]; here the gate ignores it"}},
        {"Unknown key, nearest name",
         std::string(kGood) + "formcaptoin=Hi\r\n[Closing]\r\nCloseTex=x\r\nZebra=1\r\n",
         {"4 [General] formcaptoin 0: unknown key; did you mean FormCaption?",
          "6 [Closing] CloseTex 0: unknown key; did you mean CloseText?",
          "7 [Closing] Zebra 0: unknown key"}},
        {"Unknown section",
         std::string(kGood) + "[Closng]\r\nCloseTitle=x\r\n",
         {"4 [Closng]  0: unknown section; did you mean [Closing]?",
          "5 [Closng] CloseTitle 0: belongs in [Closing]"}},
        {"Duplicate key and repeated section",
         std::string(kGood) + "FormCaption=A\r\nFORMCAPTION=B\r\n[general]\r\nAgreeCaption=C\r\n",
         {"5 [General] FormCaption 0: duplicate of line 4; the gate reads that one",
          "7 [General] AgreeCaption 0: the gate reads only the first [General] section, at line "
          "1"}},
        {"Before any section",
         "Application=app\r\n" + std::string(kGood),
         {"1 [] Application 0: written before any section; the gate never reads it; it belongs in "
          "[General]"}},
        {"Too long",
         std::string(kGood) + "FormCaption=" + longValue + "\r\n",
         {"4 [General] FormCaption 0: the value is 600 characters long; the gate reads only the "
          "first 499"}},
        {"Outer quotes",
         "[General]\r\nPolicyFile=policy.rtf\r\nApplication=\"app\" \"x y\"\r\n",
         {"3 [General] Application 0: the reader strips the outer quotes; the gate reads app\" \"x "
          "y (to keep them",
          "3 [General] Application 53: error 53 \"File not found\": the program \"app\"\""}},
        {"Policy missing, unreadable, not RTF",
         "[General]\r\nPolicyFile=absent.rtf\r\nApplication=app\r\n",
         {"2 [General] PolicyFile 53: error 53 \"File not found\": the gate ends at start with "
          "this "
          "error for /gate/absent.rtf"}},
        {"Policy unreadable",
         "[General]\r\nPolicyFile=locked.rtf\r\nApplication=app\r\n",
         {"2 [General] PolicyFile 75: error 75"}},
        {"Policy not RTF",
         "[General]\r\nPolicyFile=notes.txt\r\nApplication=app\r\n",
         {"2 [General] PolicyFile 0: /gate/notes.txt is not RTF; it will be shown as plain text"}},
        {"Application missing",
         "[General]\r\nPolicyFile=policy.rtf\r\n",
         {"0 [General] Application 5: error 5 \"Invalid procedure call or argument\": the command "
          "line is empty; Agree ends the gate with this error"}},
        {"Program not found",
         "[General]\r\nApplication=nowhere -x\r\n",
         {"2 [General] Application 53: error 53 \"File not found\": the program \"nowhere\" cannot "
          "be started"}},
        {"Negative seconds",
         std::string(kGood) + "[Application]\r\nClosePorvaneInSeconds=-5\r\n",
         {"5 [Application] ClosePorvaneInSeconds 0: negative, so the policy window closes on the "
          "first tick"}},
        {"Additions are known keys",
         std::string(kGood) +
             "[Application]\r\nClosePorvaneInSeconds=60\r\n[Closing]\r\nWarnBeforeSeconds=30\r\n"
             "WarnTitle=Soon\r\nWarnText=Save.\r\n",
         {}},
        {"Warning read only with a time limit",
         std::string(kGood) + "[Closing]\r\nWarnBeforeSeconds=soon\r\n",
         {"5 [Closing] WarnBeforeSeconds 13: error 13 \"Type mismatch\" for \"soon\": the gate "
          "reads it only when ClosePorvaneInSeconds or CloseAt sets a time limit"}},
        {"Closing time and a list of the wrong form",
         std::string(kGood) +
             "[Application]\r\nCloseAt=25:61\r\n[Closing]\r\nWarnBeforeSeconds=10, soon\r\n",
         {"5 [Application] CloseAt 13: error 13 \"Type mismatch\" for \"25:61\": the gate shows "
          "the \"Ini RW Class\" notice and then sets no closing time",
          "7 [Closing] WarnBeforeSeconds 13: error 13 \"Type mismatch\" for \"10, soon\": the gate "
          "reads it only when"}},
        {"A closing time alone is a time limit",
         std::string(kGood) +
             "[Application]\r\nCloseAt=21:45\r\n[Closing]\r\nWarnBeforeSeconds=10,,5\r\n"
             "ShowTimeLeft=yes\r\n",
         {"7 [Closing] WarnBeforeSeconds 13: error 13 \"Type mismatch\" for \"10,,5\": the gate "
          "shows the \"Ini RW Class\" notice and then gives no reminders",
          "8 [Closing] ShowTimeLeft 13: error 13 \"Type mismatch\" for \"yes\": the gate shows "
          "the \"Ini RW Class\" notice and then uses False"}},
        {"Warning with a time limit",
         std::string(kGood) +
             "[Application]\r\nClosePorvaneInSeconds=60\r\n[Closing]\r\nWarnBeforeSeconds=soon\r\n",
         {"7 [Closing] WarnBeforeSeconds 13: error 13 \"Type mismatch\" for \"soon\": the gate "
          "shows the \"Ini RW Class\" notice"}},
        {"Idle keys known",
         std::string(kGood) + "[Application]\r\nIdleSeconds=600\r\n[Closing]\r\nIdleWarnSeconds=60"
                              "\r\nIdleWarnTitle=Still there?\r\nIdleWarnText=Move.\r\n",
         {}},
        {"Idle values out of range",
         std::string(kGood) + "[Application]\r\nIdleSeconds=-5\r\n",
         {"5 [Application] IdleSeconds 0: negative, so taken as 0"}},
        {"Idle warning not shorter",
         std::string(kGood) +
             "[Application]\r\nIdleSeconds=60\r\n[Closing]\r\nIdleWarnSeconds=90\r\n",
         {"7 [Closing] IdleWarnSeconds 0: not shorter than IdleSeconds, so the idle warning comes "
          "after one second"}},
        {"Idle warning read only with an idle end",
         std::string(kGood) + "[Closing]\r\nIdleWarnSeconds=soon\r\n",
         {"5 [Closing] IdleWarnSeconds 13: error 13 \"Type mismatch\" for \"soon\": the gate "
          "reads it only when IdleSeconds sets an idle end"}},
        {"Idle end read at every Agree",
         std::string(kGood) + "[Application]\r\nIdleSeconds=soon\r\n",
         {"5 [Application] IdleSeconds 13: error 13 \"Type mismatch\" for \"soon\": the gate "
          "shows the \"Ini RW Class\" notice"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> got = problems(row.text);
        ASSERT_EQ(got.size(), row.expected.size()) << ::testing::PrintToString(got);
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(got[i].starts_with(row.expected[i])) << got[i];
        }
    }
}

// Errors and advice: what each new finding says, and the exit status with and without --strict.
TEST(Checker, TellsErrorsFromAdviceAndSettingsThatContradictEachOther) {
    // Lines 1 to 5; rows add theirs from line 6.
    const std::string good =
        "[General]\r\nPolicyFile=policy.rtf\r\nApplication=app -x\r\nAgreeCaption=&Agree\r\n"
        "DisagreeCaption=&Disagree\r\n";
    const std::string limit20 = "[Application]\r\nClosePorvaneInSeconds=20\r\n";
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> expected;  // "E " error or "A " advice, then as problems()
        int status;                         // the exit status, and with --strict
        int strictStatus;
    } rows[] = {
        {"The README's quoting forms",
         "[General]\r\nPolicyFile=policy.rtf\r\nApplication=\"\"app\" \"two words\"\"\r\n"
         "FormCaption=\" Lab \"\r\nAgreeCaption=\"Agree\"\r\nDisagreeCaption=Disagree\r\n",
         {},
         0,
         0},
        {"A key commented out is a comment",
         good + "[Closing]\r\n;WarnBeforeSeconds=300\r\n# WarnTitle=Soon\r\n",
         {},
         0,
         0},
        {"Advice alone passes, but not with --strict",
         good + "Zebra=1\r\n",
         {"A 6 [General] Zebra: unknown key"},
         0,
         1},
        {"A slip in a name is an error",
         good + "ShowCloseDialog=True\r\nFormCaptoin=Lab\r\n",
         {"E 6 [General] ShowCloseDialog: belongs in [Closing]",
          "E 7 [General] FormCaptoin: unknown key; did you mean FormCaption?"},
         1,
         1},
        {"A bad number says the form expected",
         good + limit20 + "[Closing]\r\nWarnBeforeSeconds=20s\r\n",
         {"E 9 [Closing] WarnBeforeSeconds: error 13 \"Type mismatch\" for \"20s\": the gate shows "
          "the \"Ini RW Class\" notice and then gives no reminders; expected whole seconds "
          "separated by commas or blanks, such as 600, 300, 60"},
         1,
         1},
        {"Closing at once, so the time limit never runs",
         good + limit20 + "ClosePorvaneAfterAgree=True\r\n",
         {"A 8 [Application] ClosePorvaneAfterAgree: True, so the policy window closes at once "
          "after Agree and the time limit of 20 seconds (ClosePorvaneInSeconds) never runs"},
         0,
         1},
        {"A warning at or beyond the time limit",
         good + limit20 + "[Closing]\r\nWarnBeforeSeconds=30\r\n",
         {"A 9 [Closing] WarnBeforeSeconds: 30 seconds is at or beyond the time limit of 20 "
          "seconds (ClosePorvaneInSeconds), so the warning appears one second after Agree"},
         0,
         1},
        {"A warning without a time limit",
         good + "[Closing]\r\nWarnBeforeSeconds=30\r\n",
         {"A 7 [Closing] WarnBeforeSeconds: no time limit is set"},
         0,
         1},
        {"Only a command line: blank buttons",
         "[General]\r\nApplication=app\r\n",
         {"A 0 [General] DisagreeCaption: not set, so the Disagree button shows no text",
          "A 0 [General] AgreeCaption: not set, so the Agree button shows no text"},
         0,
         1},
        {"Captions empty or too long for their button",
         "[General]\r\nApplication=app\r\nAgreeCaption=\r\nDisagreeCaption=I do &not agree\r\n",
         {"A 3 [General] AgreeCaption: empty, so the Agree button shows no text",
          "A 4 [General] DisagreeCaption: \"I do not agree\" is 14 characters; the Disagree "
          "button, 81 pixels wide, holds about 10 (counting 7 pixels a character), so the caption "
          "may be cut off at both ends"},
         0,
         1},
        {"A closing notice with no message",
         good + "[Closing]\r\nShowCloseDialog=True\r\n",
         {"A 0 [Closing] CloseText: not set while ShowCloseDialog is True"},
         0,
         1},
        {"A guarded session whose gate ends at Agree",
         good + "[Application]\r\nClosePorvaneAfterAgree=True\r\n[Guard]\r\nUsers=lab\r\n",
         {"E 7 [Application] ClosePorvaneAfterAgree: True while [Guard] guards sessions (Users, "
          "Groups): the gate ends right after Agree, and with it the guard ends the session"},
         1,
         1},
        {"The guard's grace shorter than the notice that closes itself",
         good + "[Application]\r\nLogOffOnClose=True\r\n[Closing]\r\nShowCloseDialog=True\r\n"
                "CloseText=Bye\r\n[Guard]\r\nGroups=students\r\nGraceSeconds=20\r\n",
         {"E 13 [Guard] GraceSeconds: 20 seconds is shorter than the 30 seconds after which the "
          "closing notice closes itself at a time end"},
         1,
         1},
        {"The same grace without the log-off, and no one guarded, are fine",
         good + "[Closing]\r\nShowCloseDialog=True\r\nCloseText=Bye\r\n[Guard]\r\nUsers=lab\r\n"
                "GraceSeconds=20\r\n[Application]\r\nClosePorvaneAfterAgree=False\r\n",
         {},
         0,
         0},
        {"A guard's number that is not one",
         good + "[Guard]\r\nUsers=lab\r\nGateSeconds=soon\r\n",
         {"E 8 [Guard] GateSeconds: error 13 \"Type mismatch\" for \"soon\": the guard takes it "
          "as left out; expected"},
         1,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check::Report report = check::checkSettings("P.ini", row.text, fakeSystem());
        std::vector<std::string> got;
        for (const check::Problem& p : report.problems) {
            got.push_back(std::string(p.severity == check::Severity::Error ? "E " : "A ") +
                          std::to_string(p.line) + " [" + p.section + "] " + p.key + ": " +
                          p.message);
        }
        ASSERT_EQ(got.size(), row.expected.size()) << ::testing::PrintToString(got);
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(got[i].starts_with(row.expected[i])) << got[i];
        }
        EXPECT_EQ(check::exitStatus(report, false), row.status);
        EXPECT_EQ(check::exitStatus(report, true), row.strictStatus);
    }
}

TEST(Checker, SummaryAndJsonSayWhatTheGateWillDo) {
    // UTF-16 with a BOM, as Notepad saves it.
    std::string bytes = "\xFF\xFE";
    std::u16string wide =
        u"[General]\r\nFormCaption=Lab \u00E9\r\nAgreeCaption=Yes\r\nPolicyWidth="
        u"640\r\nApplication=app -x\r\n[Application]\r\nClosePorvaneInSeconds=3600.4"
        u"\r\nCloseApplicationOnClose=1\r\nCloseAt=21:45\r\nLogOffOnClose=True\r\n[Closing]"
        u"\r\nShowCloseDialog=true\r\n"
        u"CloseTitle=Bye\r\nCloseText=See you.\r\nWarnBeforeSeconds=60 600,300 0 -5 600\r\n"
        u"ShowTimeLeft=True\r\n";
    for (char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    check::Report report = check::checkSettings("P.ini", bytes, fakeSystem());
    EXPECT_EQ(
        check::formatText(report),
        "P.ini: [General] DisagreeCaption: advice: not set, so the Disagree button shows no "
        "text\n"
        "What the gate will do with P.ini:\n"
        "  policy window: title \"Lab \xC3\xA9\", buttons \"\" and \"Yes\"\n"
        "  size in pixels: width 640 as written, the frame included (the window comes out 1 "
        "pixel larger); height as designed, " +
            std::to_string(testing_support::kDesignClient.height) +
            " inside the frame\n"
            "  policy: none, an empty view\n"
            "  Agree starts: /bin/app (\"app\") without arguments\n"
            "  after Agree: after 3600 seconds or at 21:45, whichever comes first, the policy "
            "window closes, the closing notice \"Bye\" is shown, and the whole application "
            "(every process it started) is ended then, before any notice; also when the gate "
            "ends, even when the gate is killed\n"
            "  time: ends after 1 hour, at 21:45 at the latest; reminders at 10, 5 and 1 "
            "minutes; the time left is shown\n"
            "  at the end: the user's desktop session is logged off, after Disagree too (not "
            "when the gate is killed)\n");
    std::string idle = check::formatText(check::checkSettings(
        "P.ini",
        std::string(kGood) + "[Application]\r\nIdleSeconds=600\r\n[Closing]\r\nIdleWarnSeconds=60"
                             "\r\nIdleWarnTitle=Still there?\r\n",
        fakeSystem()));
    EXPECT_NE(idle.find("  idle end: after 600 seconds without keyboard or mouse input anywhere in "
                        "the session, from Agree on, the session ends as at a time limit: the "
                        "policy window closes, and the application keeps running; the idle "
                        "warning \"Still there?\" counts down the last 60 seconds\n  the idle "
                        "time comes from the desktop"),
              std::string::npos)
        << idle;
    std::string guard = check::formatText(check::checkSettings(
        "P.ini",
        std::string(kGood) + "[Guard]\r\nUsers=lab\r\nGroups=students\r\nDailySeconds=7200\r\n",
        fakeSystem()));
    EXPECT_NE(guard.find("\n  guard: guards the sessions of lab and of the group students; ends "
                         "one with no gate after 60 s, one not agreed to after 10 minutes, one "
                         "whose gate ends and one whose time is up 60 s after its end; 2 hours a "
                         "day each\n"),
              std::string::npos)
        << guard;
    std::string json = check::formatJson(report);
    for (const char* part : {"\"encoding\":\"UTF-16LE\"", "\"severity\":\"advice\"",
                             "\"PolicyWidth\":640", "\"ClosePorvaneInSeconds\":3600",
                             "\"CloseAt\":\"21:45\"", "\"WarnBeforeSeconds\":[600,300,60]",
                             "\"CloseApplicationOnClose\":true", "\"FormCaption\":\"Lab \xC3\xA9\"",
                             "\"program\":{\"name\":\"app\",\"path\":\"/bin/app\""}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
    }
}

TEST(Checker, ExitStatusSaysWhetherThereIsAnythingToReport) {
    testing_support::TempDir dir;
    std::string bad = dir.write("bad.ini", "[General]\r\nPolicyWidth=wide\r\n");
    std::string missing = dir.file("absent.ini");
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string err;
        std::string out = {};  // how the standard output starts, when it matters
    } rows[] = {
        {"Problems", {bad}, 1, ""},
        {"Problems as JSON", {"--json", bad}, 1, ""},
        {"Help", {"--help"}, 0, "", "usage: porvane-check [--json] [--strict] [FILE]\n"},
        {"Version", {"--version"}, 0, "", "porvane-check " PORVANE_VERSION "\n"},
        {"Version as JSON", {"--version", "--json"}, 0, "", "{\"version\":\"" PORVANE_VERSION},
        {"Unreadable as JSON",
         {"--json", missing},
         2,
         "",
         "{\"file\":" + check::jsonString(missing) +
             ",\"error\":" + check::jsonString(missing + ": cannot be read: File not found") +
             ",\"errorNumber\":53}\n"},
        {"Bad usage as JSON", {"--yaml", "--json"}, 2, "", "{\"error\":\"unknown option --yaml\"}"},
        {"Default file beside the checker",
         {},
         2,
         "porvane-check: " + missing + ": cannot be read: File not found\n"},
        {"Unreadable",
         {missing},
         2,
         "porvane-check: " + missing + ": cannot be read: File not found\n"},
        {"Two files", {bad, bad}, 2, "usage: porvane-check [--json] [--strict] [FILE]\n"},
        {"Unknown option",
         {"--yaml"},
         2,
         "porvane-check: unknown option --yaml\nusage: porvane-check [--json] [--strict] [FILE]\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check::CliResult result = check::runCli("porvane-check", row.args, missing);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.err, row.err);
        EXPECT_TRUE(result.out.starts_with(row.out)) << result.out;
    }
    // A settings file named from the current folder: the missing policy beside it is named in
    // full, as the gate names it.
    dir.write("lab.ini", "[General]\r\nPolicyFile=absent.rtf\r\n");
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(missing).parent_path());
    check::CliResult relative = check::runCli("porvane-check", {"lab.ini"}, missing);
    std::filesystem::current_path(before);
    EXPECT_NE(relative.out.find("lab.ini:2: [General] PolicyFile: error 53 \"File not found\": "
                                "the gate ends at start with this error for " +
                                dir.file("absent.rtf") + "\n"),
              std::string::npos)
        << relative.out;
}

}  // namespace
