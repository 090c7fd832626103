// Input that is not RTF, or nothing at all, and the two printed views of a document.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string text;
};

class NotRtf : public ::testing::TestWithParam<TextCase> {};

TEST_P(NotRtf, ReadsAsPlainText) {
    EXPECT_EQ(textOf(GetParam().input), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    PlainInput, NotRtf,
    ::testing::Values(TextCase{"Empty", "", ""},
                      TextCase{"LinesBecomeParagraphs", "a\nb\r\nc\rd", "a\nb\nc\nd\n"},
                      TextCase{"BlankLineKept", "a\n\nb\n", "a\n\nb\n"},
                      TextCase{"Utf8", "caf\xC3\xA9\n", "caf\xC3\xA9\n"},
                      TextCase{"Windows1252WhenNotUtf8", "caf\xE9 \x80",
                               "caf\xC3\xA9 \xE2\x82\xAC\n"},
                      TextCase{"BracesWithoutRtfHeader", "{not rtf}", "{not rtf}\n"},
                      TextCase{"ByteOrderMarkBeforeRtf", "\xEF\xBB\xBF{\\rtf1 x}", "x\n"}),
    [](const auto& row) { return std::string(row.param.name); });

// Blocks handed over one by one as they are read make the same document as the whole parse.
TEST(StreamedParse, GivesTheSameBlocks) {
    for (const char* input :
         {R"({\rtf1 a\par\trowd\cellx100\intbl b\cell\itap2 c\nestcell\nestrow\itap1\cell\row)"
          R"(\pard after\par{\b bold} open)",
          "plain\r\ntext\n", ""}) {
        Document streamed;
        parse(input, [&streamed](Block&& block) { streamed.blocks.push_back(std::move(block)); });
        EXPECT_EQ(dumpModel(streamed), dumpModel(parse(input))) << input;
    }
}

TEST(ModelDump, ShowsStructureAndFormats) {
    const std::string dump = dumpModel(parse(
        R"({\rtf1\qc{\b x}\par\trowd\cellx100\intbl y\cell\row\pard{\pict\pngblip\picwgoal1\pichgoal2 89}})"));
    for (const char* expected : {"paragraph align=centre", "run \"x\" size=24 bold", "table rows=1",
                                 "cell right=100", "picture png 1x2 twips, 1 bytes"}) {
        EXPECT_NE(dump.find(expected), std::string::npos) << expected << " not in\n" << dump;
    }
}

}  // namespace
}  // namespace rtf::test
