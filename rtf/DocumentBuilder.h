// Assembles paragraphs, runs, pictures and (nested) tables into an rtf::Document as the parser
// reports them. Knows nothing about RTF syntax; the parser tells it at which table depth each
// paragraph, cell and row ends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rtf/Document.h"

namespace rtf {

class DocumentBuilder {
  public:
    // Each finished block of the document's body (a paragraph or a whole table) goes to
    // `take` instead of into the document, when one is given.
    using BlockTaker = std::function<void(Block&&)>;
    explicit DocumentBuilder(BlockTaker take = {}) : take_(std::move(take)) {}

    // The text of the run being filled, or nullptr when the next text needs a new run.
    std::string* openRun() { return runOpen_ ? &runText_ : nullptr; }
    std::string& startRun(const CharFormat& format, const std::string& linkTarget);
    void addPicture(Picture picture);
    bool paragraphEmpty() const { return current_.inlines.empty(); }

    // `depth` is the table nesting of the paragraph: 0 in the body, 1 in a table, 2 in a table
    // inside a table cell...
    void endParagraph(const ParagraphFormat& format, int depth);
    void endCell(const ParagraphFormat& format, int depth);
    void endRow(const std::vector<int>& cellEdges, int depth);

    Document finish();

  private:
    struct OpenTable {
        Table table;
        TableRow row;
        TableCell cell;
        bool cellUsed = false;
    };

    void closeRun();
    Paragraph takeParagraph(const ParagraphFormat& format);
    void setDepth(int depth);
    void closeInnermostTable();
    void add(Block block);

    BlockTaker take_;
    Document document_;
    Paragraph current_;
    // The open run's text grows here and moves into the run, at its size, when the run ends:
    // a text grown in place keeps up to twice the room it needs, for the life of the model.
    std::string runText_;
    bool runOpen_ = false;
    std::vector<OpenTable> open_;  // open_[i] is the table at depth i + 1
};

}  // namespace rtf
