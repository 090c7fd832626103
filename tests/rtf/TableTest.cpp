// Tables: rows, cells and their edges, nesting, and rows written carelessly.
#include <gtest/gtest.h>

#include "Support.h"

namespace rtf::test {
namespace {

const Table& onlyTable(const Document& doc) {
    for (const Block& block : doc.blocks) {
        if (const Table* t = std::get_if<Table>(&block)) {
            return *t;
        }
    }
    static const Table empty;
    ADD_FAILURE() << "no table in\n" << dumpModel(doc);
    return empty;
}

std::string cellText(const TableCell& cell) {
    Document d;
    d.blocks = cell.blocks;
    std::string text = plainText(d);
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

TEST(Tables, RowsCellsAndEdges) {
    const Document doc =
        parse(R"({\rtf1 before\par\trowd\cellx2000\cellx5000\pard\intbl A\cell B1\par B2\cell\row)"
              R"(\trowd\cellx3000\cellx6000\pard\intbl C\cell D\cell\row\pard after\par})");
    ASSERT_EQ(doc.blocks.size(), 3u);
    const Table& t = onlyTable(doc);
    ASSERT_EQ(t.rows.size(), 2u);
    ASSERT_EQ(t.rows[0].cells.size(), 2u);
    EXPECT_EQ(t.rows[0].cells[0].rightEdge, 2000);
    EXPECT_EQ(t.rows[0].cells[1].rightEdge, 5000);
    EXPECT_EQ(t.rows[1].cells[1].rightEdge, 6000);
    EXPECT_EQ(cellText(t.rows[0].cells[1]), "B1\nB2");
    EXPECT_EQ(plainText(doc), "before\nA\tB1 B2\nC\tD\nafter\n");
}

TEST(Tables, NestedWithItapAndNestCell) {
    const Document doc = parse(
        R"({\rtf1\trowd\cellx4000\cellx8000)"
        R"(\pard\intbl\itap2 inner1\nestcell inner2\nestcell)"
        R"({\*\nesttableprops\trowd\cellx1000\cellx2000\nestrow}{\nonesttables inner1 inner2\par})"
        R"(\pard\intbl\itap1 tail\cell outer\cell\row})");
    const Table& outer = onlyTable(doc);
    ASSERT_EQ(outer.rows.size(), 1u);
    ASSERT_EQ(outer.rows[0].cells.size(), 2u);
    const auto& first = outer.rows[0].cells[0].blocks;
    ASSERT_EQ(first.size(), 2u);
    const Table* inner = std::get_if<Table>(&first[0]);
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->rows.at(0).cells.size(), 2u);
    EXPECT_EQ(inner->rows[0].cells[1].rightEdge, 2000);
    EXPECT_EQ(cellText(inner->rows[0].cells[0]), "inner1");
    EXPECT_EQ(outer.rows[0].cells[0].rightEdge, 4000);
    EXPECT_EQ(cellText(outer.rows[0].cells[1]), "outer");
}

TEST(Tables, RowsWithoutTrowdStillRead) {
    const Document doc = parse(R"({\rtf1\pard\intbl a\cell b\cell\row\intbl c\cell d\cell\row})");
    const Table& t = onlyTable(doc);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1].cells.size(), 2u);
    EXPECT_GT(t.rows[0].cells[1].rightEdge, t.rows[0].cells[0].rightEdge);
    EXPECT_EQ(plainText(doc), "a\tb\nc\td\n");
}

TEST(Tables, TruncatedRowIsKept) {
    const Document doc = parse(R"({\rtf1\trowd\cellx100\cellx200\intbl a\cell b)");
    const Table& t = onlyTable(doc);
    ASSERT_EQ(t.rows.size(), 1u);
    EXPECT_EQ(t.rows[0].cells.size(), 2u);
}

}  // namespace
}  // namespace rtf::test
