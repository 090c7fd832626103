// Destinations: tables the reader parses, and groups whose text must not reach the body.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

class SkippedDestination : public TextCases {};

TEST_P(SkippedDestination, LeavesOnlyBodyText) {
    checkText();
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, SkippedDestination,
    ::testing::Values(
        TextCase{"FontTable",
                 R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1 Courier{\*\falt X};}}body})", "body\n"},
        TextCase{"FontTableWithoutInnerGroups", R"({\rtf1{\fonttbl\f0 Arial;\f1 Times;}body})",
                 "body\n"},
        TextCase{"ColourTable", R"({\rtf1{\colortbl;\red1\green2\blue3;}body})", "body\n"},
        TextCase{"StyleSheet", R"({\rtf1{\stylesheet{\s0 Normal;}{\*\cs1 Strong;}}body})",
                 "body\n"},
        TextCase{"UnknownStarredDestination", R"({\rtf1 a{\*\zzfuture {nested} text}b})", "ab\n"},
        TextCase{"StarredDestinationWithBinBraces", "{\\rtf1 a{\\*\\zz\\bin2 }}}b}", "ab\n"},
        TextCase{"HeaderFooter", R"({\rtf1{\header head\par}{\footerl foot}body})", "body\n"},
        TextCase{"Footnote", R"({\rtf1 word{\super\chftn}{\footnote\pard note\par} end})",
                 "word1 end\n"},
        TextCase{"Annotation", R"({\rtf1 a{\*\atnid J}{\annotation comment} b})", "a b\n"},
        TextCase{"Info", R"({\rtf1{\info{\title T}{\author A}}body})", "body\n"},
        TextCase{"ThemeAndDataStore", R"({\rtf1{\*\themedata 0102}{\*\datastore 0304}body})",
                 "body\n"},
        TextCase{"ObjectShowsItsResult",
                 R"({\rtf1{\object\objemb{\*\objclass Equation}{\*\objdata 0102}{\result shown}}})",
                 "shown\n"},
        TextCase{"UnknownNonStarredGroupShowsText", R"({\rtf1{\zzunknown visible}})", "visible\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FontTable, DecodesNamesInTheFontsCodepage) {
    const Document doc =
        parse("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Gothic;}}\\f0 x}");
    EXPECT_EQ(runWithText(doc, "x").format.fontFamily,
              "\xEF\xBC\xAD\xEF\xBC\xB3 Gothic");  // fullwidth "MS"
}

TEST(ColourTable, FirstEntryIsAutomatic) {
    const Document doc = parse(R"({\rtf1{\colortbl;\red10\green20\blue30;}\cf0 a\cf1 b})");
    EXPECT_FALSE(runWithText(doc, "a").format.colour.has_value());
    EXPECT_EQ(runWithText(doc, "b").format.colour, (Colour{10, 20, 30}));
}

}  // namespace
}  // namespace rtf::test
