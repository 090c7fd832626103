// Tokens and groups: what control words, symbols, escapes and braces do to the text.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

class TokenText : public TextCases {};

TEST_P(TokenText, ReadsAsExpected) {
    checkText();
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, TokenText,
    ::testing::Values(TextCase{"DelimitingSpaceIsEaten", R"({\rtf1 \b bold\b0  plain})",
                               "bold plain\n"},
                      TextCase{"NegativeParameter", R"({\rtf1\fi-360 x})", "x\n"},
                      TextCase{"EscapedSpecials", R"({\rtf1 a\{b\}c\\d})", "a{b}c\\d\n"},
                      TextCase{"HexEscape", R"({\rtf1\ansi caf\'e9})", "caf\xC3\xA9\n"},
                      TextCase{"BackslashNewlineIsParagraph", "{\\rtf1 one\\\ntwo}", "one\ntwo\n"},
                      TextCase{"RawLineEndsIgnored", "{\\rtf1 one\r\ntwo}", "onetwo\n"},
                      TextCase{"NamedCharacters", R"({\rtf1 \lquote a\rquote  \emdash\tab b})",
                               "\xE2\x80\x98"
                               "a\xE2\x80\x99 \xE2\x80\x94\tb\n"},
                      TextCase{"NonBreakingSpaceAndHyphen", R"({\rtf1 a\~b\_c})",
                               "a\xC2\xA0"
                               "b\xE2\x80\x91"
                               "c\n"},
                      TextCase{"UnknownWordsIgnored", R"({\rtf1 \zzunknown42 text})", "text\n"},
                      TextCase{"BinOutsidePictureSkipsItsBytes", "{\\rtf1 a\\bin3 {}\\b}", "ab\n"},
                      TextCase{"LineBreakInsideParagraph", R"({\rtf1 a\line b})", "a\nb\n"},
                      TextCase{"TextAfterLastBraceIgnored", R"({\rtf1 kept}dropped)", "kept\n"},
                      TextCase{"StrayClosingBraceSurvived", R"({\rtf1 one} two\par})", "one two\n"},
                      TextCase{"MissingClosingBraces", R"({\rtf1 {\b one\par two)", "one\ntwo\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Groups, RestoreCharacterFormatting) {
    const Document doc = parse(R"({\rtf1 a{\b\i\ul\strike b}c})");
    const auto runs = runsOf(paragraphsOf(doc).at(0));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[1].format.bold && runs[1].format.italic && runs[1].format.underline &&
                runs[1].format.strikeThrough);
    EXPECT_EQ(runs[0].format, runs[2].format);
    EXPECT_FALSE(runs[2].format.bold);
}

TEST(Groups, RestoreUnicodeSkipCount) {
    // \uc2 inside the group must not leak out: after it, \u skips one fallback byte again.
    EXPECT_EQ(textOf(R"({\rtf1 {\uc2 \u8364xx}\u8364?y})"), "\xE2\x82\xAC\xE2\x82\xACy\n");
}

TEST(CharFormat, ReadsFontSizeColoursAndPosition) {
    const Document doc = parse(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\froman Times New Roman;}})"
                               R"({\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
                               R"(\f1\fs32\cf1\highlight2\super x\nosupersub\sub y\plain z})");
    const rtf::Run x = runWithText(doc, "x");
    EXPECT_EQ(x.format.fontFamily, "Times New Roman");
    EXPECT_EQ(x.format.sizeHalfPoints, 32);
    EXPECT_EQ(x.format.colour, (Colour{255, 0, 0}));
    EXPECT_EQ(x.format.background, (Colour{0, 0, 255}));
    EXPECT_EQ(x.format.vertical, VerticalAlign::Superscript);
    EXPECT_EQ(runWithText(doc, "y").format.vertical, VerticalAlign::Subscript);
    const rtf::Run z = runWithText(doc, "z");
    EXPECT_EQ(z.format.sizeHalfPoints, 24);
    EXPECT_FALSE(z.format.colour.has_value());
}

TEST(CharFormat, HiddenTextStaysInModelButNotInText) {
    const Document doc = parse(R"({\rtf1 shown{\v secret} too})");
    EXPECT_TRUE(runWithText(doc, "secret").format.hidden);
    EXPECT_EQ(plainText(doc), "shown too\n");
}

TEST(ParagraphFormat, ReadsAlignmentIndentsSpacingAndBreaks) {
    const Document doc = parse(R"({\rtf1\pard\qc\li720\ri360\fi-240\sb120\sa60\sl360\slmult1 a\par)"
                               R"(\pard\qj\sl-300 b\page c\par\pard\pagebb\qr d\par})");
    const auto ps = paragraphsOf(doc);
    ASSERT_EQ(ps.size(), 4u);
    const ParagraphFormat& a = ps[0].format;
    EXPECT_EQ(a.alignment, Alignment::Centre);
    EXPECT_EQ(a.leftIndent, 720);
    EXPECT_EQ(a.rightIndent, 360);
    EXPECT_EQ(a.firstLineIndent, -240);
    EXPECT_EQ(a.spaceBefore, 120);
    EXPECT_EQ(a.spaceAfter, 60);
    EXPECT_EQ(a.lineSpacingRule, LineSpacingRule::Multiple);
    EXPECT_EQ(a.lineSpacing, 360);
    EXPECT_EQ(ps[1].format.alignment, Alignment::Justified);
    EXPECT_EQ(ps[1].format.lineSpacingRule, LineSpacingRule::Exactly);
    EXPECT_EQ(ps[1].format.lineSpacing, 300);
    EXPECT_TRUE(ps[2].format.pageBreakBefore);  // after \page
    EXPECT_TRUE(ps[3].format.pageBreakBefore);  // \pagebb
    EXPECT_EQ(ps[3].format.alignment, Alignment::Right);
}

}  // namespace
}  // namespace rtf::test
