#include "rtf/DocumentBuilder.h"

#include <iterator>
#include <limits>
#include <utility>

namespace rtf {

namespace {

// Cells of rows written without \cellx get this width, so the view still lays them out.
constexpr int kDefaultCellWidth = 1440;

}  // namespace

std::string& DocumentBuilder::startRun(const CharFormat& format, const std::string& linkTarget) {
    closeRun();
    Run run;
    run.format = format;
    run.linkTarget = linkTarget;
    current_.inlines.emplace_back(std::move(run));
    runOpen_ = true;
    return runText_;
}

void DocumentBuilder::addPicture(Picture picture) {
    closeRun();
    current_.inlines.emplace_back(std::move(picture));
}

void DocumentBuilder::closeRun() {
    if (runOpen_) {
        std::get<Run>(current_.inlines.back()).text.assign(runText_);
        runText_.clear();
        runOpen_ = false;
    }
}

Paragraph DocumentBuilder::takeParagraph(const ParagraphFormat& format) {
    closeRun();
    // Moved into a vector of its size; the open paragraph keeps its room for the next one.
    Paragraph done{format,
                   {std::make_move_iterator(current_.inlines.begin()),
                    std::make_move_iterator(current_.inlines.end())}};
    current_.inlines.clear();
    current_.format = {};
    return done;
}

void DocumentBuilder::add(Block block) {
    if (!open_.empty()) {
        open_.back().cell.blocks.emplace_back(std::move(block));
    } else if (take_) {
        take_(std::move(block));
    } else {
        document_.blocks.emplace_back(std::move(block));
    }
}

void DocumentBuilder::closeInnermostTable() {
    OpenTable top = std::move(open_.back());
    open_.pop_back();
    // A row that never saw \row (truncated file, or a writer that forgot it) still shows.
    if (top.cellUsed || !top.cell.blocks.empty()) {
        top.row.cells.push_back(std::move(top.cell));
    }
    if (!top.row.cells.empty()) {
        top.table.rows.push_back(std::move(top.row));
    }
    if (!top.table.rows.empty()) {
        add(std::move(top.table));
        if (!open_.empty()) {
            open_.back().cellUsed = true;
        }
    }
}

void DocumentBuilder::setDepth(int depth) {
    while (static_cast<int>(open_.size()) > depth) {
        closeInnermostTable();
    }
    while (static_cast<int>(open_.size()) < depth) {
        if (!open_.empty()) {
            open_.back().cellUsed = true;
        }
        open_.emplace_back();
    }
}

void DocumentBuilder::endParagraph(const ParagraphFormat& format, int depth) {
    setDepth(depth);
    add(takeParagraph(format));
    if (!open_.empty()) {
        open_.back().cellUsed = true;
    }
}

void DocumentBuilder::endCell(const ParagraphFormat& format, int depth) {
    setDepth(depth);
    OpenTable& table = open_.back();
    // "text\cell" ends the cell's last paragraph; "text\par\cell" leaves nothing more to add.
    if (!current_.inlines.empty() || table.cell.blocks.empty()) {
        table.cell.blocks.emplace_back(takeParagraph(format));
    }
    table.row.cells.push_back(std::move(table.cell));
    table.cell = TableCell{};
    table.cellUsed = false;
}

void DocumentBuilder::endRow(const std::vector<int>& cellEdges, int depth) {
    setDepth(depth);
    OpenTable& table = open_.back();
    if (!current_.inlines.empty()) {
        table.cell.blocks.emplace_back(takeParagraph(current_.format));
        table.cellUsed = true;
    }
    if (table.cellUsed || !table.cell.blocks.empty()) {
        table.row.cells.push_back(std::move(table.cell));
        table.cell = TableCell{};
        table.cellUsed = false;
    }
    int previous = 0;
    for (std::size_t i = 0; i < table.row.cells.size(); ++i) {
        // Cells beyond the row's \cellx list get a default width; saturate, as an edge may
        // already sit at the largest parameter a control word can carry.
        int edge = i < cellEdges.size() ? cellEdges[i]
                   : previous > std::numeric_limits<int>::max() - kDefaultCellWidth
                       ? std::numeric_limits<int>::max()
                       : previous + kDefaultCellWidth;
        table.row.cells[i].rightEdge = edge;
        previous = edge;
    }
    if (!table.row.cells.empty()) {
        table.table.rows.push_back(std::move(table.row));
    }
    table.row = TableRow{};
}

Document DocumentBuilder::finish() {
    closeRun();
    if (!current_.inlines.empty()) {
        endParagraph(current_.format, static_cast<int>(open_.size()));
    }
    setDepth(0);
    return std::move(document_);
}

}  // namespace rtf
