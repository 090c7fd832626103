// rtf::dumpModel: an outline of the model, one node per line, for `rtfcat --model`.
#include <string>

#include "rtf/Reader.h"

namespace rtf {

namespace {

const char* alignmentName(Alignment a) {
    switch (a) {
        case Alignment::Left:
            return "left";
        case Alignment::Centre:
            return "centre";
        case Alignment::Right:
            return "right";
        case Alignment::Justified:
            return "justified";
    }
    return "?";
}

const char* spacingName(LineSpacingRule r) {
    switch (r) {
        case LineSpacingRule::Auto:
            return "auto";
        case LineSpacingRule::AtLeast:
            return "at-least";
        case LineSpacingRule::Exactly:
            return "exactly";
        case LineSpacingRule::Multiple:
            return "multiple";
    }
    return "?";
}

std::string colourName(const Colour& c) {
    static const char kHex[] = "0123456789abcdef";
    std::string s = "#";
    for (std::uint8_t v : {c.red, c.green, c.blue}) {
        s += kHex[v >> 4];
        s += kHex[v & 15];
    }
    return s;
}

// Text as a quoted literal with control characters escaped, so runs stay on one line.
std::string quoted(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                s += "\\\"";
                break;
            case '\\':
                s += "\\\\";
                break;
            case '\n':
                s += "\\n";
                break;
            case '\t':
                s += "\\t";
                break;
            default:
                s += c;
        }
    }
    return s + "\"";
}

void line(std::string& out, int depth, const std::string& text) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += text;
    out += '\n';
}

std::string formatOf(const CharFormat& f) {
    std::string s;
    if (!f.fontFamily.empty()) {
        s += " font=" + quoted(f.fontFamily);
    }
    s += " size=" + std::to_string(f.sizeHalfPoints);
    if (f.bold)
        s += " bold";
    if (f.italic)
        s += " italic";
    if (f.underline)
        s += " underline";
    if (f.strikeThrough)
        s += " strike";
    if (f.hidden)
        s += " hidden";
    if (f.colour)
        s += " colour=" + colourName(*f.colour);
    if (f.background)
        s += " background=" + colourName(*f.background);
    if (f.vertical == VerticalAlign::Superscript)
        s += " super";
    if (f.vertical == VerticalAlign::Subscript)
        s += " sub";
    return s;
}

std::string formatOf(const ParagraphFormat& f) {
    std::string s = std::string(" align=") + alignmentName(f.alignment);
    s += " indent=" + std::to_string(f.leftIndent) + "/" + std::to_string(f.rightIndent) + "/" +
         std::to_string(f.firstLineIndent);
    s += " space=" + std::to_string(f.spaceBefore) + "/" + std::to_string(f.spaceAfter);
    if (f.lineSpacingRule != LineSpacingRule::Auto) {
        s += std::string(" line=") + spacingName(f.lineSpacingRule) + ":" +
             std::to_string(f.lineSpacing);
    }
    if (!f.listMarker.empty())
        s += " marker=" + quoted(f.listMarker);
    if (f.pageBreakBefore)
        s += " page-break-before";
    return s;
}

void dumpBlocks(const std::vector<Block>& blocks, std::string& out, int depth) {
    for (const Block& block : blocks) {
        if (const Paragraph* p = std::get_if<Paragraph>(&block)) {
            line(out, depth, "paragraph" + formatOf(p->format));
            for (const Inline& item : p->inlines) {
                if (const Run* run = std::get_if<Run>(&item)) {
                    std::string s = "run " + quoted(run->text) + formatOf(run->format);
                    if (!run->linkTarget.empty())
                        s += " link=" + quoted(run->linkTarget);
                    line(out, depth + 1, s);
                } else {
                    const Picture& pic = std::get<Picture>(item);
                    const char* kind = pic.format == PictureFormat::Png    ? "png"
                                       : pic.format == PictureFormat::Jpeg ? "jpeg"
                                                                           : "unsupported";
                    line(out, depth + 1,
                         std::string("picture ") + kind + " " + std::to_string(pic.widthTwips) +
                             "x" + std::to_string(pic.heightTwips) + " twips, " +
                             std::to_string(pic.data.size()) + " bytes");
                }
            }
            continue;
        }
        const Table& table = std::get<Table>(block);
        line(out, depth, "table rows=" + std::to_string(table.rows.size()));
        for (const TableRow& row : table.rows) {
            line(out, depth + 1, "row cells=" + std::to_string(row.cells.size()));
            for (const TableCell& cell : row.cells) {
                line(out, depth + 2, "cell right=" + std::to_string(cell.rightEdge));
                dumpBlocks(cell.blocks, out, depth + 3);
            }
        }
    }
}

}  // namespace

std::string dumpModel(const Document& document) {
    std::string out = "document blocks=" + std::to_string(document.blocks.size()) + "\n";
    dumpBlocks(document.blocks, out, 1);
    return out;
}

}  // namespace rtf
