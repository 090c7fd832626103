// List markers: Word's \listtext and the older \pntext, never both for one item.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

struct MarkerCase {
    const char* name;
    const char* rtf;
    std::vector<std::string> markers;  // one per paragraph
};

class ListMarkers : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(ListMarkers, AreTakenFromTheMarkerText) {
    std::vector<std::string> markers;
    for (const Paragraph& p : paragraphsOf(parse(GetParam().rtf))) {
        markers.push_back(p.format.listMarker);
    }
    EXPECT_EQ(markers, GetParam().markers);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListMarkers,
    ::testing::Values(
        MarkerCase{"WordListText",
                   R"({\rtf1{\listtext\pard\plain 1.\tab}\pard\ls1\ilvl0 one\par)"
                   R"({\listtext\pard\plain 2.\tab}two\par\pard after\par})",
                   {"1.", "2.", ""}},
        MarkerCase{
            "LegacyPnText", R"({\rtf1{\pntext\f0 a)\tab}{\*\pn\pnlvlbody\pnlcltr}x\par})", {"a)"}},
        MarkerCase{"BothWrittenListTextWins",
                   R"({\rtf1{\listtext 1.\tab}{\pntext 1)\tab}item\par})",
                   {"1."}},
        MarkerCase{"PnTextFirstThenListText",
                   R"({\rtf1{\pntext (a)\tab}{\listtext 1.\tab}item\par})",
                   {"1."}},
        MarkerCase{"SymbolBullet",
                   R"({\rtf1{\fonttbl{\f1\fcharset2 Symbol;}}{\listtext\f1 \'b7\tab}item\par})",
                   {"\xE2\x80\xA2"}},
        MarkerCase{"PnTemplateTextNotShown",
                   R"({\rtf1{\*\pn\pnlvlblt{\pntxtb \'b7}}{\pntxta .}item\par})",
                   {""}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace rtf::test
