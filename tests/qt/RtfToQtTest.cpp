// The RTF model rendered into a QTextDocument: formats, lists, tables (nested), pictures and
// links, walked back out of the document.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include "QtTestSupport.h"
#include "rtf/Reader.h"
#include "runtime/qt/QtBackend.h"
#include "runtime/qt/RtfToQt.h"

namespace {

// A small PNG, written as RTF hex.
std::string pngHex(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toHex().toStdString();
}

std::string fixture() {
    return std::string(R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\fcharset2 Symbol;}})"
                       R"({\colortbl;\red192\green0\blue0;\red255\green255\blue0;})"
                       R"(\pard\qc\sb120\sa120\b\fs32 Computer Lab Rules\b0\fs24\par)"
                       R"(\pard\li360\ri360\sa60 Plain, {\b bold}, {\i italic}, {\ul under}, )"
                       R"({\strike gone}, {\cf1 red}, {\highlight2 marked}, x{\super 2} and )"
                       R"(H{\sub 2}O.\par)"
                       R"(\pard{\listtext\f1 \'b7\tab}\fi-360\li720 First rule\par)"
                       R"(\pard{\listtext\f1 \'b7\tab}\fi-360\li720 Second rule\par)"
                       R"(\pard{\listtext 1.\tab}\fi-360\li720 Step one\par)"
                       R"(\pard{\listtext 2.\tab}\fi-360\li720 Step two\par)"
                       R"(\pard See {\field{\*\fldinst HYPERLINK "https://example.org/rules"})"
                       R"({\fldrslt the rules}} online.\par)"
                       R"(\trowd\cellx2000\cellx5000 \pard\intbl Day\cell Hours\cell\row)"
                       R"(\trowd\cellx2000\cellx5000 \pard\intbl Monday\cell 8-20\cell\row)"
                       R"(\pard Picture: {\pict\pngblip\picw4\pich2\picwgoal600\pichgoal300 )") +
           pngHex(4, 2) + R"(}\par})";
}

// A paragraph of one plain run.
rtf::Paragraph paragraph(const char* text) {
    rtf::Paragraph p;
    p.inlines.push_back(rtf::Run{text, {}, {}});
    return p;
}

struct Rendered {
    mutable QTextDocument document;
    explicit Rendered(const std::string& rtf) : Rendered(rtf::parse(rtf)) {}
    explicit Rendered(const rtf::Document& model) {
        runtime::qt::fillDocument(document, model, 15.0);
    }
    QTextBlock blockStarting(const QString& text) const {
        for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
            if (b.text().startsWith(text)) {
                return b;
            }
        }
        return {};
    }
    // The character format at the first occurrence of `text`.
    QTextCharFormat formatOf(const QString& text) const {
        QTextCursor found = document.find(text);
        EXPECT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor at(&document);
        at.setPosition(found.selectionStart() + 1);
        return at.charFormat();
    }
};

TEST(RtfToQt, CharacterFormats) {
    Rendered r(fixture());
    EXPECT_TRUE(r.formatOf("bold").fontWeight() == QFont::Bold);
    EXPECT_TRUE(r.formatOf("Plain").fontWeight() == QFont::Normal);
    EXPECT_TRUE(r.formatOf("italic").fontItalic());
    EXPECT_TRUE(r.formatOf("under").fontUnderline());
    EXPECT_TRUE(r.formatOf("gone").fontStrikeOut());
    EXPECT_EQ(r.formatOf("red").foreground().color(), QColor(192, 0, 0));
    EXPECT_EQ(r.formatOf("marked").background().color(), QColor(255, 255, 0));
    EXPECT_EQ(r.formatOf("Plain").fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_DOUBLE_EQ(r.formatOf("Plain").fontPointSize(), 12.0);
    EXPECT_DOUBLE_EQ(r.formatOf("Lab").fontPointSize(), 16.0);
    EXPECT_EQ(r.formatOf("2 and").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(r.formatOf("2O.").verticalAlignment(), QTextCharFormat::AlignSubScript);
}

TEST(RtfToQt, ParagraphFormats) {
    Rendered r(fixture());
    QTextBlock heading = r.blockStarting("Computer Lab Rules");
    ASSERT_TRUE(heading.isValid());
    EXPECT_TRUE(heading.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(heading.blockFormat().topMargin(), 8.0);  // 120 twips
    EXPECT_DOUBLE_EQ(heading.blockFormat().bottomMargin(), 8.0);
    QTextBlock body = r.blockStarting("Plain");
    EXPECT_DOUBLE_EQ(body.blockFormat().leftMargin(), 24.0);  // 360 twips
    EXPECT_DOUBLE_EQ(body.blockFormat().rightMargin(), 24.0);
    EXPECT_DOUBLE_EQ(body.blockFormat().bottomMargin(), 4.0);
}

TEST(RtfToQt, ListsBecomeQtLists) {
    Rendered r(fixture());
    QTextBlock first = r.blockStarting("First rule");
    QTextBlock second = r.blockStarting("Second rule");
    ASSERT_NE(first.textList(), nullptr);
    EXPECT_EQ(first.textList(), second.textList());
    EXPECT_EQ(first.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(first.textList()->count(), 2);
    QTextBlock step = r.blockStarting("Step one");
    ASSERT_NE(step.textList(), nullptr);
    EXPECT_NE(step.textList(), first.textList());
    EXPECT_EQ(step.textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(step.textList()->itemText(r.blockStarting("Step two")), QStringLiteral("2."));
    // The item text starts at the paragraph's left indent (720 twips = 48 px).
    EXPECT_DOUBLE_EQ(step.blockFormat().leftMargin() + r.document.indentWidth(), 48.0);
    EXPECT_EQ(r.document.toPlainText().count(QStringLiteral("\u2022")), 0);  // no text bullets
}

TEST(RtfToQt, MarkerQtCannotNumberStaysAsText) {
    rtf::Document model;
    rtf::Paragraph p = paragraph("Fourth");
    p.format.listMarker = "4.";  // a list that starts at four
    p.format.leftIndent = 720;
    p.format.firstLineIndent = -360;
    model.blocks.emplace_back(p);
    Rendered r(model);
    EXPECT_EQ(r.document.toPlainText(), QStringLiteral("4.\tFourth"));
    EXPECT_EQ(r.document.begin().textList(), nullptr);
}

TEST(RtfToQt, TablesBecomeQtTables) {
    Rendered r(fixture());
    QTextCursor day = r.document.find("Day");
    ASSERT_FALSE(day.isNull());
    QTextTable* table = day.currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(1, 0).firstCursorPosition().block().text(), QStringLiteral("Monday"));
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), QStringLiteral("8-20"));
    QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_DOUBLE_EQ(widths[0].rawValue(), 2000 / 15.0);
    EXPECT_DOUBLE_EQ(widths[1].rawValue(), 3000 / 15.0);
    // The paragraph after the table is outside it.
    QTextCursor after = r.document.find("Picture:");
    ASSERT_FALSE(after.isNull());
    EXPECT_EQ(after.currentTable(), nullptr);
}

TEST(RtfToQt, NestedTablesAndMergedWidths) {
    rtf::Table nested;
    nested.rows.push_back(rtf::TableRow{{rtf::TableCell{1000, {rtf::Block(paragraph("inner"))}}}});
    rtf::Table outer;
    // Row one: two cells; row two: one cell spanning both.
    outer.rows.push_back(rtf::TableRow{{rtf::TableCell{1500, {rtf::Block(paragraph("a"))}},
                                        rtf::TableCell{3000, {rtf::Block(nested)}}}});
    outer.rows.push_back(rtf::TableRow{{rtf::TableCell{3000, {rtf::Block(paragraph("b"))}}}});
    rtf::Document model;
    model.blocks.emplace_back(outer);
    Rendered r(model);
    QTextTable* table = r.document.find("a").currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(1, 0).columnSpan(), 2);
    QTextCursor in = r.document.find("inner");
    ASSERT_FALSE(in.isNull());
    QTextTable* innerTable = in.currentTable();
    ASSERT_NE(innerTable, nullptr);
    EXPECT_NE(innerTable, table);
    EXPECT_EQ(innerTable->parentFrame(), table);
}

TEST(RtfToQt, TableEdgeAtTheLargestIntStillGivesTheNextCellItsInch) {
    Rendered r(std::string(R"({\rtf1\trowd\cellx2147483647\cellx5\intbl a\cell b\cell\row})"));
    QTextTable* table = r.document.find("a").currentTable();
    ASSERT_NE(table, nullptr);
    QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_DOUBLE_EQ(widths[0].rawValue(), 2147483647 / 15.0);
    EXPECT_DOUBLE_EQ(widths[1].rawValue(), 1440 / 15.0);
}

TEST(RtfToQt, TablesNestedTooDeepShowTheirTextUnframed) {
    // Twelve tables, each in the only cell of the one before: laid out as such, Qt would take
    // minutes.
    rtf::Block block(paragraph("innermost"));
    for (int level = 0; level < 12; ++level) {
        rtf::Table table;
        table.rows.push_back(rtf::TableRow{{rtf::TableCell{1000, {block}}}});
        block = rtf::Block(std::move(table));
    }
    rtf::Document model;
    model.blocks.push_back(block);
    Rendered r(model);
    QTextCursor found = r.document.find("innermost");
    ASSERT_FALSE(found.isNull());
    int depth = 0;
    for (QTextFrame* frame = found.currentFrame(); frame != r.document.rootFrame();
         frame = frame->parentFrame()) {
        depth += qobject_cast<QTextTable*>(frame) != nullptr ? 1 : 0;
    }
    EXPECT_EQ(depth, 4);
}

TEST(RtfToQt, PicturesAreImagesAtTheirSize) {
    Rendered r(fixture());
    QTextImageFormat image = r.formatOf(QString(QChar::ObjectReplacementCharacter)).toImageFormat();
    ASSERT_TRUE(image.isValid());
    EXPECT_DOUBLE_EQ(image.width(), 40.0);  // 600 twips
    EXPECT_DOUBLE_EQ(image.height(), 20.0);
    QVariant resource = r.document.resource(QTextDocument::ImageResource, QUrl(image.name()));
    ASSERT_TRUE(resource.isValid());
    EXPECT_EQ(resource.value<QImage>().size(), QSize(4, 2));
}

TEST(RtfToQt, LinksAreStyledButNotOpened) {
    Rendered r(fixture());
    QTextCharFormat link = r.formatOf("the rules");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), QStringLiteral("https://example.org/rules"));
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(link.foreground().color(), QGuiApplication::palette().color(QPalette::Link));
    EXPECT_FALSE(r.formatOf("online").isAnchor());
}

TEST(RtfToQt, LineBreaksStayInTheirParagraph) {
    Rendered r(std::string(R"({\rtf1 one\line two\par three\par})"));
    EXPECT_EQ(r.document.blockCount(), 2);
    EXPECT_EQ(r.document.begin().text(), QStringLiteral("one\u2028two"));
}

TEST(RtfToQt, HiddenTextIsLeftOut) {
    Rendered r(std::string(R"({\rtf1 shown{\v  hidden} too\par})"));
    EXPECT_EQ(r.document.toPlainText(), QStringLiteral("shown too"));
}

// The author's colours stay where they read well (4.5:1) on what they are drawn on; elsewhere
// the palette's own text and background colours are used (left unset in the document).
TEST(RtfToQt, ColoursStayReadableInEveryPalette) {
    auto palette = [](QColor text, QColor base) {
        QPalette p;
        p.setColor(QPalette::Text, text);
        p.setColor(QPalette::Base, base);
        return p;
    };
    const QPalette light = palette(Qt::black, Qt::white);
    const QPalette dark = palette(QColor(0xEE, 0xEE, 0xEE), QColor(0x2B, 0x2B, 0x2B));
    const std::string rtf =
        R"({\rtf1{\colortbl;\red31\green56\blue100;\red192\green0\blue0;)"
        R"(\red192\green192\blue192;\red255\green255\blue0;\red0\green0\blue0;)"
        R"(\red255\green242\blue204;\red255\green255\blue255;\red0\green32\blue96;})"
        R"({\b\fs48\cf1 Heading}{\cf2  red}{\cf3  silver}{\highlight4  marked})"
        R"({\cf5\highlight4  inked}{\cf6  cream}{\cf7\highlight8  reversed})"
        R"({\field{\*\fldinst HYPERLINK "https://example.org"}{\fldrslt  linked}}\par})";
    const struct {
        const char* word;
        bool lightInk, lightShade;  // the author's text and background colours kept
        bool darkInk, darkShade;
    } rows[] = {
        {"Heading", true, false, false, false},  // #1F3864: 1.4:1 on dark grey
        {"red", true, false, false, false},
        {"silver", false, false, true, false},  // pale on white, fine on dark grey
        {"marked", false, true, false, false},  // a highlight the palette's text cannot read on
        {"inked", true, true, true, true},      // black on yellow reads in any theme
        {"cream", false, false, true, false},
        {"reversed", true, true, true, true},
    };
    for (const auto& [theme, pal] : {std::pair{"light", &light}, std::pair{"dark", &dark}}) {
        QTextDocument document;
        runtime::qt::fillDocument(document, rtf::parse(rtf), 15.0, *pal);
        for (const auto& row : rows) {
            QTextCursor at = document.find(row.word);
            ASSERT_FALSE(at.isNull()) << row.word;
            QTextCharFormat f = at.charFormat();
            bool isLight = pal == &light;
            EXPECT_EQ(f.hasProperty(QTextFormat::ForegroundBrush),
                      isLight ? row.lightInk : row.darkInk)
                << theme << " " << row.word;
            EXPECT_EQ(f.hasProperty(QTextFormat::BackgroundBrush),
                      isLight ? row.lightShade : row.darkShade)
                << theme << " " << row.word;
        }
        // Links keep their underline; their colour is the palette's link colour where it reads.
        QColor link = document.find("linked").charFormat().foreground().color();
        EXPECT_EQ(link, pal == &light ? pal->color(QPalette::Link) : pal->color(QPalette::Text))
            << theme;
    }

    // What the reader sees on a dark palette: the heading's pixels stand out from the
    // background instead of fading into it.
    QTextEdit view;
    view.setFrameStyle(QFrame::NoFrame);
    view.setPalette(dark);
    view.resize(400, 120);
    runtime::qt::fillDocument(*view.document(),
                              rtf::parse(std::string(R"({\rtf1{\colortbl;\red31\green56)"
                                                     R"(\blue100;}{\b\fs48\cf1 Heading}\par})")),
                              15.0, view.palette());
    QImage shot = view.viewport()->grab().toImage();
    int brightest = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            brightest = std::max(brightest, qGray(shot.pixel(x, y)));
        }
    }
    EXPECT_GE(brightest, 0xC0) << "the heading is drawn too dark to read on the dark background";
}

// ---- through the control --------------------------------------------------------------------

struct NoEvents : runtime::WindowEvents {
    void clicked(int) override {}
    void closeRequested() override {}
    void resized() override {}
};

TEST(RichTextControl, EmptyPlainAndRtfBytes) {
    runtime::qt::QtBackend backend;
    NoEvents events;
    auto window = backend.createWindow({runtime::WindowKind::Dialog, "t", {200, 200}}, events);
    auto control = window->createControl({runtime::ControlKind::RichText, 1, "", {0, 0, 200, 150}});
    auto* view = qobject_cast<QTextEdit*>(runtime::qt::QtBackend::widgetOf(*control));
    ASSERT_NE(view, nullptr);
    control->setDocument(R"({\rtf1 {\b Bold} words\par})");
    EXPECT_EQ(view->toPlainText(), QStringLiteral("Bold words"));
    control->setDocument("Just text.\nSecond line.");
    EXPECT_EQ(view->toPlainText(), QStringLiteral("Just text.\nSecond line."));
    control->setDocument("");
    EXPECT_TRUE(view->document()->isEmpty());
}

}  // namespace
