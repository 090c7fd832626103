#include "runtime/qt/RtfToQt.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <vector>

#include "runtime/Twips.h"
#include "runtime/qt/ListMarker.h"
#include "runtime/qt/QtText.h"

namespace runtime::qt {
namespace {

QColor toQColor(const rtf::Colour& c) {
    return QColor(c.red, c.green, c.blue);
}

// The relative luminance of a colour on an sRGB screen, 0 for black to 1 for white.
double luminance(const QColor& c) {
    auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// How well text in one colour reads on the other: 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    double x = luminance(a);
    double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The least contrast at which body text counts as readable for low-vision readers.
constexpr double kReadable = 4.5;

// The palette's link colour, or its text colour where the link colour does not read on the
// background (a dark palette that left the light default's blue in place).
QColor readableLink(const QPalette& palette) {
    QColor link = palette.color(QPalette::Link);
    return contrast(link, palette.color(QPalette::Base)) >= kReadable
               ? link
               : palette.color(QPalette::Text);
}

class Writer {
  public:
    Writer(QTextDocument& document, double twipsPerPixel, const QPalette& palette)
        : document_(document),
          tpp_(twipsPerPixel > 0 ? twipsPerPixel : kTwipsPerPixel),
          text_(palette.color(QPalette::Text)),
          base_(palette.color(QPalette::Base)),
          link_(readableLink(palette)) {}

    void write(const rtf::Document& model) {
        QTextCursor cursor(&document_);
        cursor.beginEditBlock();
        bool fresh = true;
        writeBlocks(cursor, model.blocks, fresh);
        cursor.endEditBlock();
    }

  private:
    qreal px(qint64 twips) const { return static_cast<qreal>(twips) / tpp_; }

    QTextCharFormat charFormat(const rtf::CharFormat& f) const {
        QTextCharFormat format;
        if (!f.fontFamily.empty()) {
            format.setFontFamilies(QStringList{toQString(f.fontFamily)});
        }
        if (f.sizeHalfPoints > 0) {
            format.setFontPointSize(f.sizeHalfPoints / 2.0);
        }
        format.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(f.italic);
        format.setFontUnderline(f.underline);
        format.setFontStrikeOut(f.strikeThrough);
        // The author's colours stay where they read well on what they are drawn on; where they
        // do not (a dark or high-contrast theme, a pale colour on white), the view's own
        // colours, left unset here, take their place.
        QColor ground = base_;
        if (f.background) {
            QColor shade = toQColor(*f.background);
            QColor ink = f.colour ? toQColor(*f.colour) : text_;
            if (contrast(ink, shade) >= kReadable || contrast(text_, shade) >= kReadable) {
                format.setBackground(shade);
                ground = shade;
            }
        }
        if (f.colour && contrast(toQColor(*f.colour), ground) >= kReadable) {
            format.setForeground(toQColor(*f.colour));
        }
        switch (f.vertical) {
            case rtf::VerticalAlign::Superscript:
                format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
                break;
            case rtf::VerticalAlign::Subscript:
                format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
                break;
            case rtf::VerticalAlign::Baseline:
                break;
        }
        return format;
    }

    QTextBlockFormat blockFormat(const rtf::ParagraphFormat& f) const {
        QTextBlockFormat format;
        switch (f.alignment) {
            case rtf::Alignment::Left:
                format.setAlignment(Qt::AlignLeft);
                break;
            case rtf::Alignment::Centre:
                format.setAlignment(Qt::AlignHCenter);
                break;
            case rtf::Alignment::Right:
                format.setAlignment(Qt::AlignRight);
                break;
            case rtf::Alignment::Justified:
                format.setAlignment(Qt::AlignJustify);
                break;
        }
        format.setLeftMargin(std::max<qreal>(0, px(f.leftIndent)));
        format.setRightMargin(std::max<qreal>(0, px(f.rightIndent)));
        format.setTextIndent(px(f.firstLineIndent));
        format.setTopMargin(std::max<qreal>(0, px(f.spaceBefore)));
        format.setBottomMargin(std::max<qreal>(0, px(f.spaceAfter)));
        switch (f.lineSpacingRule) {
            case rtf::LineSpacingRule::Auto:
                break;
            case rtf::LineSpacingRule::AtLeast:
                format.setLineHeight(px(f.lineSpacing), QTextBlockFormat::MinimumHeight);
                break;
            case rtf::LineSpacingRule::Exactly:
                format.setLineHeight(px(f.lineSpacing), QTextBlockFormat::FixedHeight);
                break;
            case rtf::LineSpacingRule::Multiple:
                if (f.lineSpacing > 0) {
                    format.setLineHeight(std::round(f.lineSpacing * 100.0 / 240.0),
                                         QTextBlockFormat::ProportionalHeight);
                }
                break;
        }
        if (f.pageBreakBefore) {
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        }
        return format;
    }

    void writeBlocks(QTextCursor& cursor, const std::vector<rtf::Block>& blocks, bool& fresh) {
        for (const rtf::Block& block : blocks) {
            if (const auto* paragraph = std::get_if<rtf::Paragraph>(&block)) {
                writeParagraph(cursor, *paragraph, fresh);
            } else if (const auto* table = std::get_if<rtf::Table>(&block)) {
                if (tableDepth_ < kDeepestTable) {
                    writeTable(cursor, *table);
                    fresh = true;  // the cursor stands in the empty block after the table
                    continue;
                }
                // Qt lays each level of nested tables out several times over, so the time
                // grows threefold with every level: deeper tables show their text unframed.
                for (const rtf::TableRow& row : table->rows) {
                    for (const rtf::TableCell& cell : row.cells) {
                        writeBlocks(cursor, cell.blocks, fresh);
                    }
                }
            }
        }
        list_ = nullptr;
    }

    const rtf::Run* firstRun(const rtf::Paragraph& paragraph) const {
        for (const rtf::Inline& item : paragraph.inlines) {
            if (const auto* run = std::get_if<rtf::Run>(&item)) {
                return run;
            }
        }
        return nullptr;
    }

    void writeParagraph(QTextCursor& cursor, const rtf::Paragraph& paragraph, bool& fresh) {
        QTextBlockFormat format = blockFormat(paragraph.format);
        const rtf::Run* first = firstRun(paragraph);
        QTextCharFormat markFormat =
            first != nullptr ? charFormat(first->format) : charFormat(rtf::CharFormat{});
        markFormat.setFontUnderline(false);
        markFormat.setFontStrikeOut(false);

        std::optional<ListMarker> marker = parseMarker(paragraph.format.listMarker);
        bool useQtList = false;
        bool continues = false;
        if (marker) {
            continues = list_ != nullptr && marker->sameKind(listMarker_) &&
                        paragraph.format.leftIndent == listIndent_ &&
                        (marker->number == 0 || marker->number == qint64{listMarker_.number} +
                                                                      1);  // may be the largest int
            bool startsAtOne = marker->number <= 1;  // Qt 6.4 lists cannot start elsewhere
            useQtList = continues || startsAtOne;
            if (useQtList) {
                // The text starts at the paragraph's left indent; the marker hangs before it.
                qreal indentWidth = document_.indentWidth();
                format.setLeftMargin(
                    std::max<qreal>(0, px(paragraph.format.leftIndent) - indentWidth));
                format.setTextIndent(0);
            }
        }

        if (fresh) {
            cursor.setBlockFormat(format);
            // Merged, not set: in a table cell this character format also carries the
            // cell's own format (its column span).
            cursor.mergeBlockCharFormat(markFormat);
            fresh = false;
        } else {
            cursor.insertBlock(format, markFormat);
        }

        if (useQtList) {
            if (continues) {
                list_->add(cursor.block());
            } else {
                QTextListFormat listFormat;
                listFormat.setStyle(marker->style);
                listFormat.setIndent(1);
                if (marker->number > 0) {
                    listFormat.setNumberPrefix(marker->prefix);
                    listFormat.setNumberSuffix(marker->suffix);
                }
                list_ = cursor.createList(listFormat);
            }
            listMarker_ = *marker;
            listIndent_ = paragraph.format.leftIndent;
        } else {
            list_ = nullptr;
            if (!paragraph.format.listMarker.empty()) {
                // A marker Qt cannot number: shown as text, then a tab to the text's indent.
                QTextBlockFormat hanging = cursor.blockFormat();
                hanging.setTabPositions({QTextOption::Tab(
                    std::max<qreal>(0, px(paragraph.format.leftIndent)), QTextOption::LeftTab)});
                cursor.setBlockFormat(hanging);
                cursor.insertText(toQString(paragraph.format.listMarker) + QLatin1Char('\t'),
                                  markFormat);
            }
        }

        for (const rtf::Inline& item : paragraph.inlines) {
            if (const auto* run = std::get_if<rtf::Run>(&item)) {
                writeRun(cursor, *run);
            } else if (const auto* picture = std::get_if<rtf::Picture>(&item)) {
                writePicture(cursor, *picture);
            }
        }
    }

    void writeRun(QTextCursor& cursor, const rtf::Run& run) {
        if (run.format.hidden || run.text.empty()) {
            return;
        }
        QTextCharFormat format = charFormat(run.format);
        if (!run.linkTarget.empty()) {
            format.setAnchor(true);
            format.setAnchorHref(toQString(run.linkTarget));
            format.setForeground(link_);
            format.setFontUnderline(true);
        }
        QString text = toQString(run.text);
        // A paragraph break inside a run would split the block; the model uses U+2028 for
        // line breaks, so any stray CR or LF is taken as one.
        text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
        text.replace(QLatin1Char('\r'), QChar::LineSeparator);
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        text.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
        cursor.insertText(text, format);
    }

    void writePicture(QTextCursor& cursor, const rtf::Picture& picture) {
        const char* kind = picture.format == rtf::PictureFormat::Png    ? "PNG"
                           : picture.format == rtf::PictureFormat::Jpeg ? "JPG"
                                                                        : nullptr;
        if (kind == nullptr || picture.data.empty()) {
            return;
        }
        QImage image;
        if (!image.loadFromData(picture.data.data(), static_cast<int>(picture.data.size()), kind)) {
            if (!image.loadFromData(picture.data.data(), static_cast<int>(picture.data.size()))) {
                return;
            }
        }
        QUrl name(QStringLiteral("porvane-picture:%1").arg(++pictures_));
        document_.addResource(QTextDocument::ImageResource, name, image);
        QTextImageFormat format;
        format.setName(name.toString());
        format.setWidth(picture.widthTwips > 0 ? px(picture.widthTwips) : image.width());
        format.setHeight(picture.heightTwips > 0 ? px(picture.heightTwips) : image.height());
        cursor.insertImage(format);
    }

    void writeTable(QTextCursor& cursor, const rtf::Table& model) {
        // Column boundaries: every cell edge of every row, so rows with other widths merge
        // cells across the columns they cover. Edges are 64-bit: one may sit at the largest
        // int, and a cell after it still gets its inch.
        std::vector<std::vector<qint64>> rowEdges;
        std::set<qint64> edgeSet;
        for (const rtf::TableRow& row : model.rows) {
            std::vector<qint64> edges;
            qint64 previous = 0;
            for (const rtf::TableCell& cell : row.cells) {
                qint64 edge = cell.rightEdge > previous ? cell.rightEdge : previous + 1440;
                edges.push_back(edge);
                edgeSet.insert(edge);
                previous = edge;
            }
            rowEdges.push_back(std::move(edges));
        }
        if (edgeSet.empty()) {
            return;
        }
        std::vector<qint64> columns(edgeSet.begin(), edgeSet.end());
        const int rowCount = static_cast<int>(model.rows.size());
        const int columnCount = static_cast<int>(columns.size());

        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QBrush(QColor(0x80, 0x80, 0x80)));
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(3);
        format.setAlignment(Qt::AlignLeft);
        QList<QTextLength> widths;
        qint64 left = 0;
        for (qint64 edge : columns) {
            widths.append(QTextLength(QTextLength::FixedLength, px(edge - left)));
            left = edge;
        }
        format.setColumnWidthConstraints(widths);

        QTextTable* table = cursor.insertTable(rowCount, columnCount, format);
        list_ = nullptr;

        // Where each cell goes: its first column, and how many it covers.
        struct Placement {
            int row;
            int column;
            const rtf::TableCell* cell;
        };
        std::vector<Placement> placements;
        for (int r = 0; r < rowCount; ++r) {
            const auto& cells = model.rows[static_cast<std::size_t>(r)].cells;
            const auto& edges = rowEdges[static_cast<std::size_t>(r)];
            qint64 cellLeft = 0;
            for (std::size_t c = 0; c < cells.size(); ++c) {
                int first = static_cast<int>(
                    std::upper_bound(columns.begin(), columns.end(), cellLeft) - columns.begin());
                int last = static_cast<int>(
                    std::lower_bound(columns.begin(), columns.end(), edges[c]) - columns.begin());
                cellLeft = edges[c];
                if (first >= columnCount || last < first) {
                    continue;
                }
                if (last > first) {
                    table->mergeCells(r, first, 1, last - first + 1);
                }
                placements.push_back({r, first, &cells[c]});
            }
        }
        ++tableDepth_;
        for (const Placement& place : placements) {
            QTextCursor inCell = table->cellAt(place.row, place.column).firstCursorPosition();
            bool fresh = true;
            list_ = nullptr;
            writeBlocks(inCell, place.cell->blocks, fresh);
        }
        --tableDepth_;
        cursor = table->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
        list_ = nullptr;
    }

    QTextDocument& document_;
    double tpp_;
    QColor text_;  // the palette's text and background, and its link colour
    QColor base_;
    QColor link_;
    int pictures_ = 0;
    static constexpr int kDeepestTable = 4;  // tables inside tables, at most this many deep
    int tableDepth_ = 0;
    QTextList* list_ = nullptr;
    ListMarker listMarker_;
    int listIndent_ = 0;
};

}  // namespace

void fillDocument(QTextDocument& target, const rtf::Document& model, double twipsPerPixel,
                  const QPalette& palette) {
    target.clear();
    // A hanging list marker gets a quarter inch, as word processors give it by default.
    target.setIndentWidth(360.0 / (twipsPerPixel > 0 ? twipsPerPixel : kTwipsPerPixel));
    Writer(target, twipsPerPixel, palette).write(model);
}

void fillDocument(QTextDocument& target, const rtf::Document& model, double twipsPerPixel) {
    fillDocument(target, model, twipsPerPixel, QGuiApplication::palette());
}

}  // namespace runtime::qt
