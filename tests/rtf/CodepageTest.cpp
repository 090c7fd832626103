// Unicode escapes, their fallback skipping, and text in the many code pages RTF allows.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

class Decoding : public TextCases {};

TEST_P(Decoding, ReadsAsExpected) {
    checkText();
}

INSTANTIATE_TEST_SUITE_P(
    Unicode, Decoding,
    ::testing::Values(
        TextCase{"DefaultSkipsOneByte", R"({\rtf1 \u8364?x})", "\xE2\x82\xACx\n"},
        TextCase{"NegativeValue", R"({\rtf1 \u-3971?})", "\xEF\x81\xBD\n"},  // U+F07D
        TextCase{"SkipsHexEscapeAsOneUnit", R"({\rtf1\uc2 \u20013\'a4\'a4x})", "\xE4\xB8\xADx\n"},
        TextCase{"SkipsControlWordAsOneUnit", R"({\rtf1\uc1 \u8226\bullet x})", "\xE2\x80\xA2x\n"},
        TextCase{"SkipsWholeBin", "{\\rtf1\\uc1 \\u8226\\bin3 abcx}", "\xE2\x80\xA2x\n"},
        TextCase{"ZeroSkip", R"({\rtf1\uc0 \u8364 x})", "\xE2\x82\xACx\n"},
        TextCase{"GroupEndStopsSkipping", R"({\rtf1\uc4 {\u8364}x})", "\xE2\x82\xACx\n"},
        TextCase{"SurrogatePairJoined", R"({\rtf1\uc0 \u-10179\u-8704 })",
                 "\xF0\x9F\x98\x80\n"},  // U+1F600
        TextCase{"LoneSurrogateReplaced", R"({\rtf1\uc0 \u-10179 x})", "\xEF\xBF\xBDx\n"},
        TextCase{"UprPrefersUnicodeHalf", R"({\rtf1{\upr{ansi}{\*\ud{\u915 G}}}})", "\xCE\x93\n"}),
    [](const auto& row) { return std::string(row.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Codepages, Decoding,
    ::testing::Values(
        TextCase{"Ansi", R"({\rtf1\ansi \'80\'e9})", "\xE2\x82\xAC\xC3\xA9\n"},
        TextCase{"Mac", R"({\rtf1\mac \'8e})", "\xC3\xA9\n"},
        TextCase{"Pc", R"({\rtf1\pc \'82})", "\xC3\xA9\n"},
        TextCase{"Pca", R"({\rtf1\pca \'d5})", "\xC4\xB1\n"},  // dotless i in 850
        TextCase{"AnsiCodepageCyrillic", R"({\rtf1\ansi\ansicpg1251 \'c4\'e0})",
                 "\xD0\x94\xD0\xB0\n"},
        TextCase{"FontCharsetOverridesDocument",
                 R"({\rtf1\ansi{\fonttbl{\f0 A;}{\f1\fcharset161 G;}}\f1 \'e1\f0 \'e1})",
                 "\xCE\xB1\xC3\xA1\n"},
        TextCase{"FontCpgOverridesCharset",
                 R"({\rtf1\ansi{\fonttbl{\f1\fcharset0\cpg1250 A;}}\f1 \'9a})", "\xC5\xA1\n"},
        TextCase{"SymbolFontBullet", R"({\rtf1{\fonttbl{\f1\fcharset2 Symbol;}}\f1 \'b7})",
                 "\xE2\x80\xA2\n"},
        TextCase{"ShiftJisPairAcrossHexEscapes",
                 R"({\rtf1\ansi{\fonttbl{\f0\fcharset128 M;}}\f0 \'82\'a0\'93\'fa})",
                 "\xE3\x81\x82\xE6\x97\xA5\n"},
        TextCase{"ShiftJisTrailByteAsLiteral", R"({\rtf1\ansi\ansicpg932 \'83A})",
                 "\xE3\x82\xA2\n"},  // katakana A
        TextCase{"Gbk", R"({\rtf1\ansi\ansicpg936 \'d6\'d0})", "\xE4\xB8\xAD\n"},
        TextCase{"Korean", R"({\rtf1\ansi\ansicpg949 \'c7\'d1})", "\xED\x95\x9C\n"},
        TextCase{"Big5", R"({\rtf1\ansi\ansicpg950 \'a4\'a4})", "\xE4\xB8\xAD\n"},
        TextCase{"TruncatedLeadByteReplaced", R"({\rtf1\ansi\ansicpg932 \'82\par})",
                 "\xEF\xBF\xBD\n"},
        TextCase{"UnknownCodepageFallsBack", R"({\rtf1\ansi\ansicpg77777 \'e9})", "\xC3\xA9\n"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace rtf::test
