// Hostile and broken input: the reader must return, with bounded work and memory, and keep
// whatever text it can.
#include <gtest/gtest.h>

#include <random>

#include "Support.h"
#include "text/Utf8.h"

namespace rtf::test {
namespace {

// Depth and lengths far past any real document: no recursion, no huge reads, the text kept.
TEST(BadInput, OversizedInputKeepsItsText) {
    const struct {
        const char* name;
        std::string rtf;
        const char* text;
    } rows[] = {
        {"VeryDeepNesting",
         "{\\rtf1 start" + std::string(100000, '{') + "deep" + std::string(100000, '}') + " end}",
         "startdeep end\n"},
        {"VeryDeepNestingUnclosed", "{\\rtf1 " + std::string(200000, '{') + "x", "x\n"},
        {"BinLongerThanFile", "{\\rtf1 a\\bin999999999 xyz}", "a\n"},
        {"NegativeBinIgnored", "{\\rtf1 a\\bin-5 b}", "ab\n"},
        {"OverlongControlWord", "{\\rtf1 \\" + std::string(100000, 'a') + " x}", "x\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(textOf(row.rtf), row.text) << row.name;
    }
    const Document picture = parse("{\\rtf1{\\pict\\pngblip\\bin2147483647 \x89PNG");
    EXPECT_NE(dumpModel(picture).find("bytes"), std::string::npos);
}

TEST(BadInput, HugeParametersAreClamped) {
    const Document doc = parse(
        "{\\rtf1\\fs99999999999999999999\\li-99999999999999 "
        "{\\uc99999999999 \\u99999999999999999 abc}\\itap99999999 \\intbl y\\cell\\row}");
    EXPECT_EQ(plainText(doc), "\xEF\xBF\xBDy\n");
    EXPECT_NE(dumpModel(doc).find("size=3276"), std::string::npos);
}

TEST(BadInput, CellsPastTheLargestEdgeStayInRange) {
    // More cells than \cellx words, the last edge already at the largest parameter.
    Document doc = parse(R"({\rtf1\trowd\cellx2147483647 a\cell b\cell c\cell\row})");
    const Table* table = std::get_if<Table>(&doc.blocks.at(0));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows.at(0).cells.size(), 3u);
    EXPECT_EQ(table->rows[0].cells[2].rightEdge, 2147483647);
}

struct TruncationCase {
    const char* name;
    const char* rtf;
};

class Truncated : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(Truncated, KeepsTextSoFar) {
    const std::string text = textOf(GetParam().rtf);
    EXPECT_NE(text.find("kept"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, Truncated,
    ::testing::Values(TruncationCase{"AfterControlWord", "{\\rtf1 kept\\par\\b"},
                      TruncationCase{"InsideHexEscape", "{\\rtf1 kept\\'4"},
                      TruncationCase{"AfterBackslash", "{\\rtf1 kept\\"},
                      TruncationCase{"InsidePicture", "{\\rtf1 kept\\par{\\pict\\pngblip 8950"},
                      TruncationCase{"InsideFieldInstruction",
                                     "{\\rtf1 kept\\par{\\field{\\*\\fldinst HYPERLINK \"x"},
                      TruncationCase{"InsideSkippedGroup", "{\\rtf1 kept\\par{\\*\\zz{{{"},
                      TruncationCase{"InsideFontTable", "{\\rtf1 kept{\\fonttbl{\\f0 Ari"},
                      TruncationCase{"InsideNegativeParameter", "{\\rtf1 kept\\li-"}),
    [](const auto& row) { return std::string(row.param.name); });

// What holds of every model, whatever the input: text is valid UTF-8, sizes are in range,
// tables have rows and rows have cells, nesting is bounded, pictures carry data only when
// shown. Returns the first broken rule, or nothing.
std::string brokenRule(const std::vector<Block>& blocks, int depth = 0) {
    if (depth > 64) {
        return "tables nested deeper than 64";
    }
    for (const Block& block : blocks) {
        if (const Paragraph* paragraph = std::get_if<Paragraph>(&block)) {
            if (!text::isValidUtf8(paragraph->format.listMarker)) {
                return "list marker not UTF-8";
            }
            for (const Inline& item : paragraph->inlines) {
                if (const Run* run = std::get_if<Run>(&item)) {
                    const CharFormat& f = run->format;
                    if (!text::isValidUtf8(run->text) || !text::isValidUtf8(f.fontFamily) ||
                        !text::isValidUtf8(run->linkTarget)) {
                        return "run text, font or link not UTF-8";
                    }
                    if (f.sizeHalfPoints <= 0 || f.sizeHalfPoints > 3276) {
                        return "font size " + std::to_string(f.sizeHalfPoints);
                    }
                } else if (const Picture& picture = std::get<Picture>(item);
                           picture.format == PictureFormat::Unsupported && !picture.data.empty()) {
                    return "data kept for a picture that is not shown";
                }
            }
            continue;
        }
        const Table& table = std::get<Table>(block);
        if (table.rows.empty()) {
            return "table without rows";
        }
        for (const TableRow& row : table.rows) {
            if (row.cells.empty()) {
                return "row without cells";
            }
            for (const TableCell& cell : row.cells) {
                if (std::string rule = brokenRule(cell.blocks, depth + 1); !rule.empty()) {
                    return rule;
                }
            }
        }
    }
    return {};
}

// Every prefix of a document that uses most features, then random bytes after an RTF header:
// none may crash (the sanitizer build turns any memory fault into a failure here), and each
// gives a sound model.
TEST(BadInput, EveryPrefixAndRandomBytes) {
    const std::string full =
        R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0\fcharset128 M;}}{\colortbl;\red1\green2\blue3;})"
        R"({\listtext 1.\tab}\ls1 \'82\'a0\u8364?{\field{\*\fldinst HYPERLINK "u"}{\fldrslt l}})"
        R"(\trowd\cellx10\intbl a\cell\itap2 b\nestcell{\*\nesttableprops\trowd\cellx5\nestrow})"
        "\\cell\\row{\\pict\\pngblip\\bin2 ab}{\\upr{x}{\\*\\ud{y}}}}";
    for (std::size_t n = 0; n <= full.size(); ++n) {
        const std::string_view prefix = std::string_view(full).substr(0, n);
        const Document document = parse(prefix);
        EXPECT_EQ(brokenRule(document.blocks), "") << prefix;
        EXPECT_TRUE(text::isValidUtf8(plainText(document))) << prefix;
    }
    std::mt19937 random(12345);
    for (int i = 0; i < 200; ++i) {
        std::string input = "{\\rtf1 ";
        for (int k = 0; k < 400; ++k) {
            input.push_back("{}\\'ab01 \x82\xff"[random() % 12]);
        }
        const Document document = parse(input);
        EXPECT_EQ(brokenRule(document.blocks), "") << input;
        (void)dumpModel(document);
    }
}

}  // namespace
}  // namespace rtf::test
