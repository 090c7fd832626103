// The typed settings readers and their error notice.

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "settings/dmlRWINIFile.h"
#include "settings/mdlGlobals.h"

namespace {

using runtime::MessageIcon;
using runtime::headless::MessageBoxRecord;

// Each key of the table is taken by exactly the reader of its declared type: reading it with
// another reader does not compile.
template <class K>
constexpr int readersTaking() {
    return int(requires(const K& k) { GetIniString("", k); }) +
           int(requires(const K& k) { GetIniBoolean("", k); }) +
           int(requires(const K& k) { GetIniLong("", k); }) +
           int(requires(const K& k) { GetIniInteger("", k); }) +
           int(requires(const K& k) { GetIniSecondsList("", k); }) +
           int(requires(const K& k) { GetIniTimeOfDay("", k); });
}
// clang-format off
#define PORVANE_ONE_READER(section, name, type, addition, readAt) \
    static_assert(readersTaking<decltype(settings::key::name)>() == 1, #name); \
    static_assert(requires { GetIni##type("", settings::key::name); }, #name);
// clang-format on
PORVANE_SETTINGS_KEYS(PORVANE_ONE_READER)
#undef PORVANE_ONE_READER

class SettingsReaders : public testing_support::ProgramTest {
  protected:
    const std::vector<MessageBoxRecord>& notices() const { return backend().messageBoxes(); }
};

TEST_F(SettingsReaders, NoticeTextIsExactAndItsLogLineNamesTheSettingsFile) {
    writeIni("[General]\r\nPolicyWidth=wide\r\n");
    sIniFile = iniPath();
    EXPECT_EQ(GetIniInteger(sIniFile, "General", "PolicyWidth", 0), 0);
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], (MessageBoxRecord{"Error Number: 13\r\nType mismatch\r\n\r\n"
                                              "Error getting Section = General - Key = PolicyWidth",
                                              "Ini RW Class", MessageIcon::Critical}));
    EXPECT_EQ(backend().logLines,
              std::vector<std::string>{"Ini RW Class: " + iniPath() +
                                       ": Error Number: 13; Type mismatch; Error getting "
                                       "Section = General - Key = PolicyWidth"});
}

TEST_F(SettingsReaders, NoticeWithoutContextHasTwoLines) {
    ShowIniError(-6, "Overflow", "");
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].text, "Error Number: -6\r\nOverflow");
}

TEST_F(SettingsReaders, BadValuesGiveTheNeutralValueNotTheDefault) {
    writeIni(
        "[S]\nheight=40000\nflag=maybe\nlong=2147483648\nlongword=wide\nhalf=2.5\n"
        "neg=-5\nok=True\n");
    struct Row {
        const char* name;
        std::int32_t got;
        std::int32_t want;
        const char* firstLine;  // of the notice, or null for none
    } rows[] = {
        {"IntegerOverflow", GetIniInteger(iniPath(), "S", "height", 9), 0, "Error Number: 6"},
        {"BooleanMismatch", GetIniBoolean(iniPath(), "S", "flag", true), 0, "Error Number: 13"},
        {"LongOverflow", GetIniLong(iniPath(), "S", "long", 9), 0, "Error Number: 6"},
        {"LongMismatch", GetIniLong(iniPath(), "S", "longword", 9), 0, "Error Number: 13"},
        {"HalfRoundsToEven", GetIniLong(iniPath(), "S", "half", 9), 2, nullptr},
        {"Negative", GetIniLong(iniPath(), "S", "neg", 9), -5, nullptr},
        {"BooleanWord", GetIniBoolean(iniPath(), "S", "ok", false), 1, nullptr},
    };
    std::size_t expectedNotices = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(row.got, row.want) << row.name;
        if (row.firstLine != nullptr) {
            ASSERT_GT(notices().size(), expectedNotices) << row.name;
            EXPECT_TRUE(notices()[expectedNotices].text.starts_with(row.firstLine)) << row.name;
            ++expectedNotices;
        }
    }
    EXPECT_EQ(notices().size(), expectedNotices);
}

TEST_F(SettingsReaders, EmptyOrMissingValuesGiveTheDefaultWithoutNotice) {
    writeIni("[S]\nempty=\nblank=   \n");
    EXPECT_EQ(GetIniLong(iniPath(), "S", "empty", 7), 7);
    EXPECT_EQ(GetIniInteger(iniPath(), "S", "blank", -3), -3);
    EXPECT_TRUE(GetIniBoolean(iniPath(), "S", "missing", true));
    EXPECT_FALSE(GetIniBoolean(iniPath(), "Nowhere", "empty", false));
    EXPECT_EQ(GetIniString(iniPath(), "S", "missing", "fallback"), "fallback");
    EXPECT_EQ(GetIniLong(dir.path().string() + "/absent.ini", "S", "k", 11), 11);
    EXPECT_TRUE(notices().empty());
}

TEST_F(SettingsReaders, IntegerDefaultOutsideSixteenBitsIsAnOverflow) {
    writeIni("[S]\n");
    EXPECT_EQ(GetIniInteger(iniPath(), "S", "k", 40000), 0);
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].text,
              "Error Number: 6\r\nOverflow\r\n\r\nError getting Section = S - Key = k");
}

TEST_F(SettingsReaders, StringsComeBackWholeUpTo499Characters) {
    writeIni("[S]\nv499=" + std::string(499, 'a') + "\nv600=" + std::string(600, 'b') +
             "\nutf=\xC3\xA9t\xC3\xA9\n");
    EXPECT_EQ(GetIniString(iniPath(), "S", "v499", ""), std::string(499, 'a'));
    EXPECT_EQ(GetIniString(iniPath(), "S", "v600", ""), std::string(499, 'b'));
    EXPECT_EQ(GetIniString(iniPath(), "S", "utf", ""), "\xC3\xA9t\xC3\xA9");
}

TEST_F(SettingsReaders, FilesAreReadAfreshAtEachUse) {
    writeIni("[S]\nk=1\n");
    EXPECT_EQ(GetIniLong(iniPath(), "S", "k", 0), 1);
    writeIni("[S]\nk=2\n");
    EXPECT_EQ(GetIniLong(iniPath(), "S", "k", 0), 2);
}

}  // namespace
