// Fields (hyperlinks and others) and pictures.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

struct LinkCase {
    const char* name;
    const char* rtf;
    const char* shown;
    const char* target;  // "" for a field that is not a link
};

class Fields : public ::testing::TestWithParam<LinkCase> {};

TEST_P(Fields, ShowResultWithTarget) {
    const Document doc = parse(GetParam().rtf);
    EXPECT_EQ(runWithText(doc, GetParam().shown).linkTarget, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    Links, Fields,
    ::testing::Values(
        LinkCase{
            "QuotedUrl",
            R"({\rtf1{\field{\*\fldinst{HYPERLINK "https://example.org/a"}}{\fldrslt{Site}}}})",
            "Site", "https://example.org/a"},
        LinkCase{"UnquotedUrl", R"({\rtf1{\field{\*\fldinst HYPERLINK http://x.y }{\fldrslt X}}})",
                 "X", "http://x.y"},
        LinkCase{"BookmarkSwitch",
                 R"({\rtf1{\field{\*\fldinst HYPERLINK "doc.rtf" \\l "part"}{\fldrslt Part}}})",
                 "Part", "doc.rtf#part"},
        LinkCase{"LowerCaseKeyword",
                 R"({\rtf1{\field{\*\fldinst hyperlink "mailto:a@b"}{\fldrslt mail}}})", "mail",
                 "mailto:a@b"},
        LinkCase{"FormattedResultKeepsLink",
                 R"({\rtf1{\field{\*\fldinst HYPERLINK "u"}{\fldrslt\plain\b bold}}})", "bold",
                 "u"},
        LinkCase{"OtherFieldShowsResultOnly",
                 R"({\rtf1{\field{\*\fldinst PAGE \\* MERGEFORMAT}{\fldrslt 7}}})", "7", ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Fields, TextAfterFieldIsNotALink) {
    const Document doc = parse(R"({\rtf1{\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}} after})");
    EXPECT_EQ(runWithText(doc, " after").linkTarget, "");
    EXPECT_EQ(plainText(doc), "link after\n");
}

struct PictureCase {
    const char* name;
    std::string rtf;
    PictureFormat format;
    std::vector<std::uint8_t> data;
    int width;
    int height;
};

class Pictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Pictures, KeepFormatBytesAndSize) {
    const Document doc = parse(GetParam().rtf);
    const auto ps = paragraphsOf(doc);
    ASSERT_EQ(ps.size(), 1u) << dumpModel(doc);
    ASSERT_EQ(ps[0].inlines.size(), 1u) << dumpModel(doc);
    const Picture* pic = std::get_if<Picture>(&ps[0].inlines[0]);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->format, GetParam().format);
    EXPECT_EQ(pic->data, GetParam().data);
    EXPECT_EQ(pic->widthTwips, GetParam().width);
    EXPECT_EQ(pic->heightTwips, GetParam().height);
}

const std::vector<std::uint8_t> kPngStart = {0x89, 'P', 'N', 'G'};

INSTANTIATE_TEST_SUITE_P(
    Pictures, Pictures,
    ::testing::Values(
        PictureCase{"PngHexWithGoal",
                    R"({\rtf1{\pict\pngblip\picw10\pich5\picwgoal1500\pichgoal750 89504e47}})",
                    PictureFormat::Png, kPngStart, 1500, 750},
        PictureCase{"HexAcrossLines",
                    "{\\rtf1{\\pict\\pngblip\\picwgoal10\\pichgoal10 8950\r\n4e47}}",
                    PictureFormat::Png, kPngStart, 10, 10},
        PictureCase{"JpegBinary",
                    std::string("{\\rtf1{\\pict\\jpegblip\\picwgoal100\\pichgoal200\\bin3 ") +
                        std::string("\xFF\xD8}", 3) + "}}",
                    PictureFormat::Jpeg,
                    {0xFF, 0xD8, '}'},
                    100,
                    200},
        PictureCase{"ScaledFromPixels",
                    R"({\rtf1{\pict\pngblip\picw100\pich40\picscalex50\picscaley200 89504e47}})",
                    PictureFormat::Png, kPngStart, 750, 1200},
        PictureCase{"MetafileUnsupportedButSized",
                    R"({\rtf1{\pict\wmetafile8\picw2540\pich1270 0100090000}})",
                    PictureFormat::Unsupported,
                    {},
                    1440,
                    720},
        PictureCase{"ShpPictPreferred",
                    R"({\rtf1{\*\shppict{\pict\pngblip\picwgoal20\pichgoal20 89504e47}})"
                    R"({\nonshppict{\pict\wmetafile8\picwgoal20\pichgoal20 0100}}})",
                    PictureFormat::Png, kPngStart, 20, 20},
        PictureCase{"BlipUidSkipped",
                    R"({\rtf1{\pict{\*\blipuid 0011}\pngblip\picwgoal5\pichgoal5 89504e47}})",
                    PictureFormat::Png, kPngStart, 5, 5}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Pictures, PrintNothingInText) {
    EXPECT_EQ(textOf(R"({\rtf1 a{\pict\pngblip 89504e47}b})"), "ab\n");
}

}  // namespace
}  // namespace rtf::test
