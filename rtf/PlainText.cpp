// rtf::plainText: the document's visible words, laid out a line per paragraph.
#include <string>

#include "rtf/Reader.h"

namespace rtf {

namespace {

void appendBlocks(const std::vector<Block>& blocks, std::string& out, bool inCell);

void appendParagraph(const Paragraph& paragraph, std::string& out) {
    if (!paragraph.format.listMarker.empty()) {
        out += paragraph.format.listMarker;
        out += ' ';
    }
    for (const Inline& item : paragraph.inlines) {
        const Run* run = std::get_if<Run>(&item);
        if (run == nullptr || run->format.hidden) {
            continue;
        }
        // Soft line breaks become real ones so every line of the text stays on its own line.
        std::size_t from = 0;
        for (std::size_t at; (at = run->text.find("\xE2\x80\xA8", from)) != std::string::npos;
             from = at + 3) {
            out.append(run->text, from, at - from);
            out += '\n';
        }
        out.append(run->text, from, std::string::npos);
    }
}

// A cell's content on one line: its paragraphs joined by spaces, nested tables flattened.
std::string cellText(const TableCell& cell) {
    std::string text;
    appendBlocks(cell.blocks, text, true);
    for (char& c : text) {
        if (c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

void appendBlock(const Block& block, std::string& out, bool inCell) {
    if (const Paragraph* paragraph = std::get_if<Paragraph>(&block)) {
        appendParagraph(*paragraph, out);
        out += inCell ? ' ' : '\n';
        return;
    }
    for (const TableRow& row : std::get<Table>(block).rows) {
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            if (i > 0) {
                out += '\t';
            }
            out += cellText(row.cells[i]);
        }
        out += inCell ? ' ' : '\n';
    }
}

void appendBlocks(const std::vector<Block>& blocks, std::string& out, bool inCell) {
    for (const Block& block : blocks) {
        appendBlock(block, out, inCell);
    }
}

}  // namespace

std::string plainText(const Document& document) {
    std::string out;
    appendBlocks(document.blocks, out, false);
    return out;
}

void appendPlainText(const Block& block, std::string& out) {
    appendBlock(block, out, false);
}

}  // namespace rtf
