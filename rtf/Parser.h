// The RTF tokenizer and interpreter: walks the bytes once, keeps the group state on an
// explicit stack (never recursion, so nesting depth costs no native stack) and reports text,
// paragraphs, cells and rows to a DocumentBuilder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rtf/Codepage.h"
#include "rtf/Document.h"
#include "rtf/DocumentBuilder.h"

namespace rtf {

// Where the text of the current group goes.
enum class Destination : std::uint8_t {
    Body,  // the document's text (also field results)
    Skip,  // a group we do not show: skipped without interpreting it
    Drop,  // text dropped but control words still interpreted (\upr's ANSI half)
    FontTable,
    ColourTable,
    StyleSheet,
    FieldInstruction,
    ListMarker,     // \listtext
    OldListMarker,  // \pntext
    Picture,
};

// Character formatting as RTF states it (indices into the font and colour tables), cheap to
// copy and compare; resolved into a CharFormat only when a new run starts.
struct CharState {
    int font = -1;
    int size = 24;
    int colour = 0;
    int background = 0;
    int link = -1;  // index into Parser::links_
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    VerticalAlign vertical = VerticalAlign::Baseline;
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    bool pageBreakBefore = false;
    int tableDepth = 0;  // \intbl and \itapN
};

struct GroupState {
    CharState chr;
    ParaState para;
    Destination destination = Destination::Body;
    Destination uprDestination = Destination::Body;
    int unicodeSkip = 1;  // \ucN
    bool opensField = false;
    bool opensPicture = false;
    bool opensFontEntry = false;
};

struct FontEntry {
    std::string name;
    int codepage = 0;  // 0: the document's code page
};

class Parser {
  public:
    explicit Parser(std::string_view bytes, DocumentBuilder::BlockTaker take = {});
    Document run();

  private:
    struct Field {
        std::string instruction;
    };
    struct PictureState {
        PictureFormat format = PictureFormat::Unsupported;
        std::vector<std::uint8_t> data;
        int highNibble = -1;
        int width = 0;  // \picw, \pich: pixels or 0.01 mm depending on the format
        int height = 0;
        int goalWidth = 0;
        int goalHeight = 0;
        int scaleX = 100;
        int scaleY = 100;
        bool metafile = false;
    };

    // Tokens.
    void openGroup();
    void closeGroup();
    void controlSymbolOrWord();
    void controlWord(std::string_view name, bool hasParam, int param);
    struct WordCall;
    struct WordRow;
    // The row of a control word, or nullptr for a word we do not know.
    static const WordRow* findWord(std::string_view name);
    void skipDestination();
    std::vector<int>& rowEdges();  // the \cellx list of the current table depth
    void controlSymbol(char c);
    // `ascii`: the caller knows all bytes are below 0x80 (false is always safe).
    void text(const char* begin, const char* end, bool ascii = false);
    void hexByte(unsigned char byte);
    void binary(int length);
    void skipGroup();

    // Text output.
    void flushPending();
    void appendCodepoint(char32_t cp);
    void dropLoneSurrogate();
    std::string* textTarget();
    std::string& bodyRun();
    int codepage();
    CharFormat resolve(const CharState& chr) const;
    std::optional<Colour> colourAt(int index) const;

    // Structure.
    void endParagraph();
    void endCell(bool nested);
    void endRow(bool nested);
    ParagraphFormat paragraphFormat() const;
    int rowDepth(bool nested) const;
    void finishFontEntry();
    void finishPicture();
    void startFieldResult();

    GroupState& state() { return stack_.back(); }
    const GroupState& state() const { return stack_.back(); }

    const char* p_;
    const char* end_;
    const char* lastBrace_;
    bool done_ = false;

    std::vector<GroupState> stack_;
    int overflowDepth_ = 0;       // groups opened beyond the depth cap, counted but not stacked
    bool ignorableNext_ = false;  // saw \* at the start of this group
    int skipUnits_ = 0;           // fallback units still to skip after \uN
    char16_t highSurrogate_ = 0;

    CodepageDecoder decoder_;
    std::string pending_;  // undecoded bytes in the current code page
    int documentCodepage_ = 1252;
    static constexpr int kNoFont = -2;
    int codepageFont_ = kNoFont;  // codepage() remembers its last answer
    int codepageDocument_ = 0;
    int codepage_ = 1252;
    int defaultFont_ = -1;
    std::unordered_map<int, FontEntry> fonts_;
    int fontEntryNumber_ = -1;
    FontEntry fontEntry_;
    std::string fontNameBytes_;
    struct ColourEntry {
        Colour colour;
        bool set = false;
    };
    std::vector<ColourEntry> colours_;
    ColourEntry colourEntry_;

    DocumentBuilder builder_;
    CharState runState_;
    std::string marker_;
    bool markerFromListText_ = false;
    bool pageBreakPending_ = false;
    std::vector<std::vector<int>> cellEdges_;  // per table depth, the current row's \cellx
    std::vector<Field> fields_;
    std::vector<std::string> links_;
    PictureState picture_;
    int footnoteCount_ = 0;
};

}  // namespace rtf
