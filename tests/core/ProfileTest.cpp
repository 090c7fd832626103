// The profile reader: format rules, encodings and the buffer.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TestSupport.h"
#include "runtime/Profile.h"
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
        FormatCase{"Plain", "[General]\nFormCaption=Hello\n", "General", "FormCaption", "Hello"},
        FormatCase{"SectionCase", "[GENERAL]\nkey=v\n", "general", "KEY", "v"},
        FormatCase{"BlanksAroundEverything", "  [ General ]  \n  key  =   a b  \n", "General",
                   "key", "a b"},
        FormatCase{"TabsTrimmed", "[S]\n\tkey\t=\tv\t\n", "S", "key", "v"},
        FormatCase{"EmptyValue", "[S]\nkey=\n", "S", "key", ""},
        FormatCase{"FirstEqualsSplits", "[S]\nkey=a=b\n", "S", "key", "a=b"},
        FormatCase{"DoubleQuotes", "[S]\nkey=\" x \"\n", "S", "key", " x "},
        FormatCase{"SingleQuotes", "[S]\nkey='y'\n", "S", "key", "y"},
        FormatCase{"MismatchedQuotesKept", "[S]\nkey=\"y'\n", "S", "key", "\"y'"},
        FormatCase{"LoneQuoteKept", "[S]\nkey=\"\n", "S", "key", "\""},
        FormatCase{"FirstKeyWins", "[S]\nkey=1\nkey=2\n", "S", "key", "1"},
        FormatCase{"FirstSectionWins", "[S]\na=1\n[S]\nb=2\n", "S", "b", std::nullopt},
        FormatCase{"OtherSectionNotSearched", "[A]\nkey=1\n[B]\n", "B", "key", std::nullopt},
        FormatCase{"LineWithoutEqualsIsNoKey", "[S]\nkey\n", "S", "key", std::nullopt},
        FormatCase{"NoCommentSyntax", "[S]\n;key=1\n", "S", ";key", "1"},
        FormatCase{"CommentLineNotAKey", "[S]\n;key=1\n", "S", "key", std::nullopt},
        FormatCase{"CrLf", "[S]\r\nkey=v\r\nnext=w\r\n", "S", "key", "v"},
        FormatCase{"CrOnly", "[S]\rkey=v\rnext=w", "S", "next", "w"},
        FormatCase{"NoFinalNewline", "[S]\nkey=v", "S", "key", "v"},
        FormatCase{"KeyBeforeAnySection", "key=v\n[S]\n", "S", "key", std::nullopt},
        FormatCase{"MissingSection", "[S]\nkey=v\n", "T", "key", std::nullopt},
        FormatCase{"SectionWithoutClose", "[S\nkey=v\n", "S", "key", std::nullopt},
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

TEST_F(ProfileRead, MissingFileSectionOrKeyGiveTheDefault) {
    EXPECT_EQ(read((dir.path() / "none.ini").string(), u"dflt"), u"dflt");
    EXPECT_EQ(read(dir.write("a.ini", "[T]\nkey=v\n"), u"dflt"), u"dflt");
    EXPECT_EQ(read(dir.write("b.ini", "[S]\nother=v\n"), u"dflt"), u"dflt");
    EXPECT_EQ(read(dir.write("c.ini", "[S]\nkey=\n"), u"dflt"), u"");
    EXPECT_EQ(read(dir.path().string()), u"");  // a folder, not a file
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

TEST_F(ProfileRead, DefaultLosesTrailingSpacesOnlyAsWindowsDoes) {
    std::string file = dir.write("a.ini", "[S]\n");
    EXPECT_EQ(read(file, u"d   "), u"d");
    EXPECT_EQ(read(file, u"   d"), u"   d");
    EXPECT_EQ(read(file, u"d\t"), u"d\t");
}

}  // namespace
