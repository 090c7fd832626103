// The document model the RTF reader produces: plain data, no behaviour, so that a view
// (QTextCursor on Linux) or a text dump can walk it without knowing anything about RTF.
//
// Units: lengths are in twips (1/1440 inch) unless a name says otherwise; font sizes are in
// half-points, as RTF writes them. Text is UTF-8. A line break inside a paragraph is U+2028
// (LINE SEPARATOR, what QTextDocument uses for soft breaks), a tab is '\t'.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace rtf {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Colour&) const = default;
};

enum class VerticalAlign { Baseline, Superscript, Subscript };

struct CharFormat {
    std::string fontFamily;  // empty: the view's default font
    int sizeHalfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    bool hidden = false;               // kept in the model, left out of plain text
    std::optional<Colour> colour;      // empty: automatic (usually black)
    std::optional<Colour> background;  // highlight or character shading; empty: none
    VerticalAlign vertical = VerticalAlign::Baseline;
    bool operator==(const CharFormat&) const = default;
};

struct Run {
    std::string text;
    CharFormat format;
    std::string linkTarget;  // non-empty when the run is the shown text of a hyperlink
};

enum class PictureFormat { Png, Jpeg, Unsupported };

struct Picture {
    PictureFormat format = PictureFormat::Unsupported;
    std::vector<std::uint8_t> data;  // the PNG or JPEG file; empty when Unsupported
    int widthTwips = 0;              // display size, scaling already applied
    int heightTwips = 0;
};

using Inline = std::variant<Run, Picture>;

enum class Alignment { Left, Centre, Right, Justified };

enum class LineSpacingRule {
    Auto,      // single spacing; lineSpacing is 0
    AtLeast,   // lineSpacing is a minimum height in twips
    Exactly,   // lineSpacing is the exact height in twips
    Multiple,  // lineSpacing is in 240ths of a line (240 = single, 480 = double)
};

struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;  // relative to leftIndent; negative for a hanging indent
    int spaceBefore = 0;
    int spaceAfter = 0;
    LineSpacingRule lineSpacingRule = LineSpacingRule::Auto;
    int lineSpacing = 0;
    std::string listMarker;  // e.g. "1.", "\u2022"; empty when not a list item
    bool pageBreakBefore = false;
    bool operator==(const ParagraphFormat&) const = default;
};

struct Paragraph {
    ParagraphFormat format;
    std::vector<Inline> inlines;
};

struct Block;

struct TableCell {
    int rightEdge = 0;          // twips from the row's left edge
    std::vector<Block> blocks;  // paragraphs and nested tables
};

struct TableRow {
    std::vector<TableCell> cells;
};

struct Table {
    std::vector<TableRow> rows;
};

// A paragraph or a table. Derives from the variant so std::visit and std::get_if work on it
// directly while the type can still be named before Table is complete.
struct Block : std::variant<Paragraph, Table> {
    using std::variant<Paragraph, Table>::variant;
};

struct Document {
    std::vector<Block> blocks;
};

}  // namespace rtf
