// The profile reader where the comparison with the platform's own reader (tests/win32,
// ProfileCases.cpp, which holds the format's rules on ASCII and ANSI files) cannot reach: a
// section's end, Unicode names, and the buffer's edge under the sanitizers.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TestSupport.h"
#include "settings/Profile.h"
#include "text/Utf8.h"

namespace {

using runtime::findProfileValue;
using text::utf8ToUtf16;

std::optional<std::string> lookup(const std::string& text, const std::string& section,
                                  const std::string& key) {
    auto v = findProfileValue(utf8ToUtf16(text), utf8ToUtf16(section), utf8ToUtf16(key));
    if (!v) {
        return std::nullopt;
    }
    return text::utf16ToUtf8(*v);
}

struct FormatCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

class ProfileFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ProfileFormat, FindsTheValue) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(lookup(c.text, c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileFormat,
    ::testing::Values(
        FormatCase{"OtherSectionNotSearched", "[A]\nkey=1\n[B]\n", "B", "key", std::nullopt},
        FormatCase{"WrongSection", "[General]\nShowCloseDialog=True\n[Closing]\n", "Closing",
                   "ShowCloseDialog", std::nullopt},
        FormatCase{"SameNameSectionAndKey", "[General]\nApplication=app\n[Application]\n",
                   "Application", "Application", std::nullopt},
        FormatCase{"LatinCaseFolding", "[Über]\nÄpfel=1\n", "über", "äpfel", "1"}),
    [](const auto& row) { return std::string(row.param.name); });

class ProfileRead : public ::testing::Test {
  protected:
    // Reads through the buffer interface, as the settings readers do.
    std::u16string read(const std::string& file, std::u16string_view def = u"") {
        std::u16string buffer(500, u' ');
        std::size_t n = runtime::readProfileString(u"S", u"key", def, buffer.data(), 500, file);
        EXPECT_EQ(buffer[n], u'\0');
        return buffer.substr(0, n);
    }
    testing_support::TempDir dir;
};

TEST_F(ProfileRead, AFolderReadsAsNoFile) {
    EXPECT_EQ(read(dir.path().string()), u"");
}

TEST_F(ProfileRead, ValuesAreCutAt499Characters) {
    std::string v499(499, 'x');
    std::string v600(600, 'y');
    EXPECT_EQ(read(dir.write("a.ini", "[S]\nkey=" + v499 + "\n")).size(), 499u);
    std::u16string cut = read(dir.write("c.ini", "[S]\nkey=" + v600 + "\n"));
    EXPECT_EQ(cut, std::u16string(499, u'y'));
}

TEST_F(ProfileRead, CuttingNeverSplitsASurrogatePair) {
    // 498 letters, then an emoji (two UTF-16 units) that would straddle the limit.
    std::string value = std::string(498, 'a') + "\xF0\x9F\x98\x80" + "tail";
    std::u16string got = read(dir.write("a.ini", "[S]\nkey=" + value + "\n"));
    EXPECT_EQ(got, std::u16string(498, u'a'));
    std::string fits = std::string(497, 'a') + "\xF0\x9F\x98\x80";
    EXPECT_EQ(read(dir.write("b.ini", "[S]\nkey=" + fits + "\n")).size(), 499u);
}

}  // namespace
