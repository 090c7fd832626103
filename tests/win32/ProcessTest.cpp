// Started applications: CreateProcessW with the kept process handle, terminate() through that
// handle only, and the error numbers of the failures.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Win32TestSupport.h"
#include "runtime/Error.h"
#include "runtime/system/CommandLine.h"
#include "runtime/system/win32/WideText.h"
#include "runtime/win32/Win32Backend.h"

namespace {

using runtime::win32::narrow;
using runtime::win32::Win32Backend;

class ProcessTest : public ::testing::Test {
  protected:
    std::string helperLine(const std::wstring& extra = L"") {
        std::wstring line = L"\"" + win32_test::exeFolder() + L"\\helper.exe\" \"" + pidFile +
                            L"\" \"" + beatFile + L"\"" + extra;
        return narrow(line);
    }
    bool waitForPid() {
        return win32_test::pumpUntil([&] { return !win32_test::readFile(pidFile).empty(); }, 10000);
    }
    // True when the heartbeat file stops changing for a while.
    bool heartbeatStopped() {
        std::string before = win32_test::readFile(beatFile);
        ::Sleep(400);
        return win32_test::readFile(beatFile) == before;
    }
    int errorOf(const std::string& line, int style = 1) {
        try {
            backend.startApplication(line, style);
        } catch (const runtime::Error& e) {
            return e.number;
        }
        return 0;
    }

    Win32Backend backend;
    win32_test::TempFolder dir;
    std::wstring pidFile = dir.path() + L"\\pid.txt";
    std::wstring beatFile = dir.path() + L"\\beat.txt";
};

TEST_F(ProcessTest, StartsTheProgramAndTerminatesItThroughTheKeptHandle) {
    auto started = backend.startApplication(helperLine(), 1);
    ASSERT_TRUE(waitForPid());
    EXPECT_EQ(std::to_string(started->processId()), win32_test::readFile(pidFile));
    EXPECT_FALSE(heartbeatStopped());

    started->terminate();
    EXPECT_TRUE(heartbeatStopped());
    // Its exit status is the one TerminateProcess gives, not the helper's own.
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                             static_cast<DWORD>(started->processId()));
    ASSERT_NE(h, nullptr);  // the kept handle keeps the process object alive
    EXPECT_EQ(::WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(h, &code);
    EXPECT_EQ(code, 0u);
    ::CloseHandle(h);
}

TEST_F(ProcessTest, AProgramThatEndedIsLeftAlone) {
    auto started = backend.startApplication(helperLine(L" 0 7"), 1);
    ASSERT_TRUE(waitForPid());
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                             static_cast<DWORD>(started->processId()));
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(::WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    started->terminate();  // silently nothing
    DWORD code = 0;
    ::GetExitCodeProcess(h, &code);
    EXPECT_EQ(code, 7u);
    ::CloseHandle(h);
}

// Letting the object go ends the application only while it is set to end with us: the job's
// kill-on-close, which is also what ends it when we are killed.
TEST_F(ProcessTest, LettingGoEndsTheApplicationOnlyWhenSetTo) {
    struct Row {
        const char* name;
        std::vector<bool> settings;
        bool ended;
    } rows[] = {
        {"Never set", {}, false},
        {"Set", {true}, true},
        {"Set, then taken back", {true, false}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ::DeleteFileW(pidFile.c_str());
        // A launcher, so the helper runs in a process the started one brought about.
        auto started = backend.startApplication("cmd.exe /c start \"\" " + helperLine(), 1);
        ASSERT_TRUE(waitForPid());
        for (bool ends : row.settings) {
            started->setEndsWithProgram(ends);
        }
        started.reset();
        EXPECT_EQ(heartbeatStopped(), row.ended);
        if (!row.ended) {
            DWORD pid = static_cast<DWORD>(std::stoul(win32_test::readFile(pidFile)));
            HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
            ASSERT_NE(h, nullptr);
            ::TerminateProcess(h, 0);  // the test's own clean-up
            ::WaitForSingleObject(h, 5000);
            ::CloseHandle(h);
        }
    }
}

TEST_F(ProcessTest, AMissingProgramIsError53) {
    EXPECT_EQ(errorOf("porvane-no-such-program.exe"), runtime::kFileNotFound);
    EXPECT_EQ(errorOf(narrow(dir.path()) + "\\none\\x.exe"), runtime::kFileNotFound);
    EXPECT_EQ(errorOf("\"" + narrow(dir.path()) + "\\no such.exe\" arg"), runtime::kFileNotFound);
}

TEST_F(ProcessTest, AFileThatIsNoProgramIsError70) {
    std::wstring fake = dir.write(L"fake.exe", "this is no program\r\n");
    EXPECT_EQ(errorOf("\"" + narrow(fake) + "\""), runtime::kPermissionDenied);
}

TEST_F(ProcessTest, LookUpPredictsWhatStartingDoesAndNamesTheProgram) {
    std::string folder = narrow(dir.path());
    std::wstring spaced = dir.path() + L"\\with space";
    ::CreateDirectoryW(spaced.c_str(), nullptr);
    ::CopyFileW((win32_test::exeFolder() + L"\\helper.exe").c_str(),
                (spaced + L"\\helper.exe").c_str(), FALSE);
    std::string fake = narrow(dir.write(L"fake.exe", "this is no program\r\n"));
    struct Row {
        const char* name;
        std::string line;
        int error;
        std::string program;  // as parsed, or for a found program the end of its path
    } rows[] = {
        {"Quoted with arguments", helperLine(), 0, "\\helper.exe"},
        {"Unquoted with a blank", narrow(spaced) + "\\helper.exe a b", 0, "with space\\helper.exe"},
        {"Found by the system's search", "cmd.exe /c exit", 0, "\\cmd.exe"},
        {"Missing", "porvane-no-such-program.exe /x", 53, "porvane-no-such-program.exe"},
        {"Missing, quoted", "\"" + folder + "\\no such.exe\" arg", 53, folder + "\\no such.exe"},
        {"No program", "\"" + fake + "\"", 70, fake},
        {"Empty", "  ", 5, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            runtime::ApplicationLookup found = runtime::lookUpApplication(row.line);
            EXPECT_EQ(row.error, 0);
            EXPECT_TRUE(found.path.ends_with(row.program)) << found.path;
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number, row.error);
            EXPECT_EQ(e.detail, row.program);
            // A blank line never reaches the platform: the runtime refuses it first.
            if (row.error != runtime::kInvalidProcedureCall) {
                EXPECT_EQ(errorOf(row.line), row.error) << "starting it disagrees";
            }
        }
    }
}

TEST(StartFailureMapping, EveryListedErrorHasItsNumber) {
    using runtime::win32::startErrorNumber;
    for (DWORD e :
         {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_BAD_PATHNAME, ERROR_INVALID_NAME}) {
        EXPECT_EQ(startErrorNumber(e), runtime::kFileNotFound) << e;
    }
    for (DWORD e : {ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT, ERROR_EXE_MACHINE_TYPE_MISMATCH}) {
        EXPECT_EQ(startErrorNumber(e), runtime::kPermissionDenied) << e;
    }
    EXPECT_EQ(startErrorNumber(ERROR_NOT_ENOUGH_MEMORY), runtime::kInvalidProcedureCall);
}

}  // namespace
