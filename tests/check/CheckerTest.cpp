// The settings checker: every kind of report in one table, the summary and JSON of one file, and
// the command line's exit statuses.

#include <gtest/gtest.h>

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
                std::string program(line.substr(0, line.find(' ')));
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

std::vector<std::string> problems(const std::string& text) {
    check::Report report = check::checkSettings("P.ini", text, fakeSystem());
    std::vector<std::string> lines;
    for (const check::Problem& p : report.problems) {
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
          "y "
          "(to keep them",
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
             "[Closing]\r\nWarnBeforeSeconds=30\r\nWarnTitle=Soon\r\nWarnText=Save.\r\n",
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

TEST(Checker, SummaryAndJsonSayWhatTheGateWillDo) {
    // UTF-16 with a BOM, as Notepad saves it.
    std::string bytes = "\xFF\xFE";
    std::u16string wide =
        u"[General]\r\nFormCaption=Lab \u00E9\r\nAgreeCaption=Yes\r\nPolicyWidth="
        u"640\r\nApplication=app -x\r\n[Application]\r\nClosePorvaneInSeconds=3600.4"
        u"\r\nCloseApplicationOnClose=1\r\nCloseAt=21:45\r\n[Closing]\r\nShowCloseDialog=true\r\n"
        u"CloseTitle=Bye\r\nWarnBeforeSeconds=60 600,300 0 -5 600\r\nShowTimeLeft=True\r\n";
    for (char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    check::Report report = check::checkSettings("P.ini", bytes, fakeSystem());
    EXPECT_TRUE(report.problems.empty());
    EXPECT_EQ(check::formatText(report),
              "What the gate will do with P.ini:\n"
              "  policy window: title \"Lab \xC3\xA9\", buttons \"\" and \"Yes\"\n"
              "  size in pixels: 641 (with the frame) wide, " +
                  std::to_string(testing_support::kDesignClient.height) +
                  " (designed, inside the frame) high\n"
                  "  policy: none, an empty view\n"
                  "  Agree starts: /bin/app (\"app\") without arguments\n"
                  "  after Agree: after 3600 seconds or at 21:45, whichever comes first, the "
                  "policy window closes, the closing notice \"Bye\" is shown, and the whole "
                  "application (every process it started) is ended as the time is up, before "
                  "any notice, and whenever the gate ends, even when the gate is killed\n"
                  "  time: ends after 1 hour, at 21:45 at the latest; reminders at 10, 5 and 1 "
                  "minutes; the time left is shown\n");
    std::string json = check::formatJson(report);
    for (const char* part : {"\"encoding\":\"UTF-16LE\"", "\"problems\":[]", "\"PolicyWidth\":640",
                             "\"ClosePorvaneInSeconds\":3600", "\"CloseAt\":\"21:45\"",
                             "\"WarnBeforeSeconds\":[600,300,60]",
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
    } rows[] = {
        {"Problems", {bad}, 1, ""},
        {"Problems as JSON", {"--json", bad}, 1, ""},
        {"Default file beside the checker",
         {},
         2,
         "porvane-check: " + missing + ": cannot be read: File not found\n"},
        {"Unreadable",
         {missing},
         2,
         "porvane-check: " + missing + ": cannot be read: File not found\n"},
        {"Two files", {bad, bad}, 2, "usage: porvane-check [--json] [FILE]\n"},
        {"Unknown option",
         {"--yaml"},
         2,
         "porvane-check: unknown option --yaml\nusage: porvane-check [--json] [FILE]\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        check::CliResult result = check::runCli("porvane-check", row.args, missing);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.err, row.err);
    }
}

}  // namespace
