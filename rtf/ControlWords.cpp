// What each control word does to the parser's state: one row per word, found by name. Unknown
// words are ignored, as RTF asks.
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "rtf/Fields.h"
#include "rtf/Parser.h"

namespace rtf {

namespace {

constexpr int kMaxTableDepth = 64;
constexpr int kMaxFontSize = 3276;  // half-points; larger sizes make no sense on screen

}  // namespace

// One control word as it appeared, with the row's own value (a code point, a code page...).
struct Parser::WordCall {
    bool hasParam;
    int param;
    int value;
    // A toggle such as \b is on without a parameter or with one other than 0.
    bool on() const { return !hasParam || param != 0; }
};

struct Parser::WordRow {
    enum Scope : std::uint8_t {
        Anywhere,   // also inside the font table
        Text,       // formatting and text: ignored inside the font table
        AfterStar,  // anywhere, and understood after \* (any other \* group is skipped)
    };
    std::string_view name;
    Scope scope;
    void (*apply)(Parser&, const WordCall&);
    int value = 0;
};

const Parser::WordRow* Parser::findWord(std::string_view name) {
    using W = WordRow;
    using C = const WordCall&;
    constexpr auto skip = [](Parser& p, C) { p.skipDestination(); };
    constexpr auto ignore = [](Parser&, C) {};
    constexpr auto enter = [](Parser& p, C c) {
        p.state().destination = static_cast<Destination>(c.value);
    };
    constexpr auto character = [](Parser& p, C c) {
        p.appendCodepoint(static_cast<char32_t>(c.value));
    };
    constexpr auto setCodepage = [](Parser& p, C c) { p.documentCodepage_ = c.value; };
    constexpr auto underline = [](Parser& p, C c) { p.state().chr.underline = c.on(); };
    constexpr auto strike = [](Parser& p, C c) { p.state().chr.strike = c.on(); };
    constexpr auto background = [](Parser& p, C c) { p.state().chr.background = c.param; };
    constexpr auto align = [](Parser& p, C c) {
        p.state().para.alignment = static_cast<Alignment>(c.value);
    };
    constexpr auto leftIndent = [](Parser& p, C c) { p.state().para.leftIndent = c.param; };
    constexpr auto rightIndent = [](Parser& p, C c) { p.state().para.rightIndent = c.param; };
    constexpr auto paragraph = [](Parser& p, C) {
        if (p.state().destination == Destination::Body) {
            p.endParagraph();
        }
    };
    constexpr auto endCellHere = [](Parser& p, C c) {
        if (p.state().destination == Destination::Body) {
            p.endCell(c.value != 0);
        }
    };
    constexpr auto endRowHere = [](Parser& p, C c) {
        if (p.state().destination == Destination::Body) {
            p.endRow(c.value != 0);
        }
    };
    constexpr auto vertical = [](Parser& p, C c) {
        p.state().chr.vertical = static_cast<VerticalAlign>(c.value);
    };
    constexpr auto pictureFormat = [](Parser& p, C c) {
        p.picture_.format = static_cast<PictureFormat>(c.value);
    };
    constexpr auto colourPart = [](Parser& p, C c) {
        const auto part = static_cast<std::uint8_t>(std::clamp(c.param, 0, 255));
        Colour& colour = p.colourEntry_.colour;
        (c.value == 0 ? colour.red : c.value == 1 ? colour.green : colour.blue) = part;
        p.colourEntry_.set = true;
    };
    constexpr auto listMarker = [](Parser& p, C c) {
        // \listtext states the marker as shown; the older \pntext only when \listtext did not.
        GroupState& s = p.state();
        if (s.destination != Destination::Body) {
            p.skipDestination();
        } else if (c.value == 0) {
            s.destination = Destination::ListMarker;
            p.marker_.clear();
            p.markerFromListText_ = true;
        } else {
            s.destination = Destination::OldListMarker;
            if (!p.markerFromListText_) {
                p.marker_.clear();
            }
        }
    };

    static const W rows[] = {
        // Destinations.
        {"rtf", W::Anywhere, ignore},
        {"fonttbl", W::Anywhere, enter, static_cast<int>(Destination::FontTable)},
        {"colortbl", W::Anywhere, [](Parser& p, C) {
             p.state().destination = Destination::ColourTable;
             p.colourEntry_ = ColourEntry{};
         }},
        {"stylesheet", W::Anywhere, enter, static_cast<int>(Destination::StyleSheet)},
        {"listtext", W::AfterStar, listMarker, 0},
        {"pntext", W::AfterStar, listMarker, 1},
        {"field", W::Anywhere, [](Parser& p, C) {
             if (p.state().destination == Destination::Body) {
                 p.state().opensField = true;
                 p.fields_.emplace_back();
             }
         }},
        {"fldinst", W::AfterStar, [](Parser& p, C) {
             if (p.state().destination == Destination::Body && !p.fields_.empty()) {
                 p.state().destination = Destination::FieldInstruction;
             } else {
                 p.skipDestination();
             }
         }},
        {"fldrslt", W::AfterStar, [](Parser& p, C) { p.startFieldResult(); }},
        {"pict", W::AfterStar, [](Parser& p, C) {
             p.state().destination = Destination::Picture;
             p.state().opensPicture = true;
             p.picture_ = PictureState{};
         }},
        {"shppict", W::AfterStar, ignore},
        {"nesttableprops", W::AfterStar, ignore},
        {"result", W::Anywhere, ignore},
        {"nonshppict", W::Anywhere, skip},
        {"nonesttables", W::Anywhere, skip},
        {"upr", W::Anywhere, [](Parser& p, C) {
             p.state().uprDestination = p.state().destination;
             p.state().destination = Destination::Drop;
         }},
        {"ud", W::AfterStar, [](Parser& p, C) {
             p.state().destination = p.state().uprDestination;
         }},
        // Text we do not show: page furniture, notes, document data, numbering templates.
        {"header", W::Anywhere, skip},
        {"headerl", W::Anywhere, skip},
        {"headerr", W::Anywhere, skip},
        {"headerf", W::Anywhere, skip},
        {"footer", W::Anywhere, skip},
        {"footerl", W::Anywhere, skip},
        {"footerr", W::Anywhere, skip},
        {"footerf", W::Anywhere, skip},
        {"footnote", W::Anywhere, skip},
        {"annotation", W::Anywhere, skip},
        {"atnid", W::Anywhere, skip},
        {"atnauthor", W::Anywhere, skip},
        {"atrfstart", W::Anywhere, skip},
        {"atrfend", W::Anywhere, skip},
        {"info", W::Anywhere, skip},
        {"objdata", W::Anywhere, skip},
        {"objclass", W::Anywhere, skip},
        {"objname", W::Anywhere, skip},
        {"themedata", W::Anywhere, skip},
        {"colorschememapping", W::Anywhere, skip},
        {"datastore", W::Anywhere, skip},
        {"latentstyles", W::Anywhere, skip},
        {"listtable", W::Anywhere, skip},
        {"listoverridetable", W::Anywhere, skip},
        {"revtbl", W::Anywhere, skip},
        {"rsidtbl", W::Anywhere, skip},
        {"filetbl", W::Anywhere, skip},
        {"xe", W::Anywhere, skip},
        {"tc", W::Anywhere, skip},
        {"txe", W::Anywhere, skip},
        {"pntxta", W::Anywhere, skip},
        {"pntxtb", W::Anywhere, skip},
        {"pnseclvl", W::Anywhere, skip},
        {"ftnsep", W::Anywhere, skip},
        {"ftnsepc", W::Anywhere, skip},
        {"ftncn", W::Anywhere, skip},
        {"aftnsep", W::Anywhere, skip},
        {"aftnsepc", W::Anywhere, skip},
        {"aftncn", W::Anywhere, skip},
        {"bkmkstart", W::Anywhere, skip},
        {"bkmkend", W::Anywhere, skip},
        {"template", W::Anywhere, skip},
        {"docvar", W::Anywhere, skip},
        {"userprops", W::Anywhere, skip},
        {"pgdsctbl", W::Anywhere, skip},
        {"xmlnstbl", W::Anywhere, skip},
        {"mmathPr", W::Anywhere, skip},
        {"generator", W::Anywhere, skip},
        {"title", W::Anywhere, skip},
        {"author", W::Anywhere, skip},
        {"operator", W::Anywhere, skip},
        {"keywords", W::Anywhere, skip},
        {"comment", W::Anywhere, skip},
        {"subject", W::Anywhere, skip},
        {"doccomm", W::Anywhere, skip},
        {"company", W::Anywhere, skip},
        {"shpinst", W::Anywhere, skip},
        {"do", W::Anywhere, skip},
        {"private", W::Anywhere, skip},
        {"fontemb", W::Anywhere, skip},
        {"fontfile", W::Anywhere, skip},
        {"protusertbl", W::Anywhere, skip},
        {"panose", W::Anywhere, skip},
        {"falt", W::Anywhere, skip},
        // The document.
        {"ansi", W::Anywhere, setCodepage, 1252},
        {"mac", W::Anywhere, setCodepage, 10000},
        {"pc", W::Anywhere, setCodepage, 437},
        {"pca", W::Anywhere, setCodepage, 850},
        {"ansicpg", W::Anywhere, [](Parser& p, C c) {
             if (c.param > 0) {
                 p.documentCodepage_ = c.param;
             }
         }},
        {"deff", W::Anywhere, [](Parser& p, C c) {
             p.defaultFont_ = c.param;
             if (p.state().chr.font < 0) {
                 p.state().chr.font = c.param;
             }
         }},
        {"uc", W::Anywhere, [](Parser& p, C c) {
             p.state().unicodeSkip = std::clamp(c.param, 0, 16);
         }},
        {"u", W::Anywhere, [](Parser& p, C c) {
             p.appendCodepoint(static_cast<char32_t>(c.param < 0 ? c.param + 65536 : c.param));
             p.skipUnits_ = p.state().unicodeSkip;
         }},
        // Font table entries.
        {"f", W::Anywhere, [](Parser& p, C c) {
             if (p.state().destination != Destination::FontTable) {
                 p.state().chr.font = c.param;
                 return;
             }
             p.finishFontEntry();
             p.fontEntryNumber_ = std::max(c.param, 0);
             p.state().opensFontEntry = true;
         }},
        {"fcharset", W::Anywhere, [](Parser& p, C c) {
             if (p.state().destination == Destination::FontTable && p.fontEntry_.codepage == 0) {
                 p.fontEntry_.codepage = codepageForCharset(c.param);
             }
         }},
        {"cpg", W::Anywhere, [](Parser& p, C c) {
             if (p.state().destination == Destination::FontTable && c.param > 0) {
                 p.fontEntry_.codepage = c.param;
             }
         }},
        // Colour table entries.
        {"red", W::Anywhere, colourPart, 0},
        {"green", W::Anywhere, colourPart, 1},
        {"blue", W::Anywhere, colourPart, 2},
        // Characters.
        {"plain", W::Text, [](Parser& p, C) {
             CharState& chr = p.state().chr;
             const int link = chr.link;
             chr = CharState{};
             chr.font = p.defaultFont_;
             chr.link = link;  // formatting resets inside a hyperlink's text keep the link
         }},
        {"fs", W::Text, [](Parser& p, C c) {
             p.state().chr.size = c.hasParam && c.param > 0 ? std::min(c.param, kMaxFontSize) : 24;
         }},
        {"b", W::Text, [](Parser& p, C c) { p.state().chr.bold = c.on(); }},
        {"i", W::Text, [](Parser& p, C c) { p.state().chr.italic = c.on(); }},
        {"ul", W::Text, underline},
        {"uld", W::Text, underline},
        {"uldb", W::Text, underline},
        {"uldash", W::Text, underline},
        {"uldashd", W::Text, underline},
        {"uldashdd", W::Text, underline},
        {"ulth", W::Text, underline},
        {"ulw", W::Text, underline},
        {"ulwave", W::Text, underline},
        {"ulhwave", W::Text, underline},
        {"ululdbwave", W::Text, underline},
        {"ulnone", W::Text, [](Parser& p, C) { p.state().chr.underline = false; }},
        {"strike", W::Text, strike},
        {"striked", W::Text, strike},
        {"cf", W::Text, [](Parser& p, C c) { p.state().chr.colour = c.param; }},
        {"cb", W::Text, background},
        {"chcbpat", W::Text, background},
        {"highlight", W::Text, background},
        {"super", W::Text, vertical, static_cast<int>(VerticalAlign::Superscript)},
        {"sub", W::Text, vertical, static_cast<int>(VerticalAlign::Subscript)},
        {"nosupersub", W::Text, vertical, static_cast<int>(VerticalAlign::Baseline)},
        {"up", W::Text, [](Parser& p, C c) {
             p.state().chr.vertical = c.on() ? VerticalAlign::Superscript : VerticalAlign::Baseline;
         }},
        {"dn", W::Text, [](Parser& p, C c) {
             p.state().chr.vertical = c.on() ? VerticalAlign::Subscript : VerticalAlign::Baseline;
         }},
        {"v", W::Text, [](Parser& p, C c) { p.state().chr.hidden = c.on(); }},
        // Paragraphs.
        {"pard", W::Text, [](Parser& p, C) { p.state().para = ParaState{}; }},
        {"par", W::Text, paragraph},
        {"sect", W::Text, paragraph},
        {"page", W::Text, [](Parser& p, C) {
             if (p.state().destination == Destination::Body) {
                 if (!p.builder_.paragraphEmpty()) {
                     p.endParagraph();
                 }
                 p.pageBreakPending_ = true;
             }
         }},
        {"line", W::Text, character, 0x2028},
        {"tab", W::Text, character, '\t'},
        {"ql", W::Text, align, static_cast<int>(Alignment::Left)},
        {"qc", W::Text, align, static_cast<int>(Alignment::Centre)},
        {"qr", W::Text, align, static_cast<int>(Alignment::Right)},
        {"qj", W::Text, align, static_cast<int>(Alignment::Justified)},
        {"qd", W::Text, align, static_cast<int>(Alignment::Justified)},
        {"li", W::Text, leftIndent},
        {"lin", W::Text, leftIndent},
        {"ri", W::Text, rightIndent},
        {"rin", W::Text, rightIndent},
        {"fi", W::Text, [](Parser& p, C c) { p.state().para.firstLineIndent = c.param; }},
        {"sb", W::Text, [](Parser& p, C c) { p.state().para.spaceBefore = c.param; }},
        {"sa", W::Text, [](Parser& p, C c) { p.state().para.spaceAfter = c.param; }},
        {"sl", W::Text, [](Parser& p, C c) { p.state().para.lineSpacing = c.param; }},
        {"slmult", W::Text, [](Parser& p, C c) { p.state().para.lineMultiple = c.on(); }},
        {"pagebb", W::Text, [](Parser& p, C c) { p.state().para.pageBreakBefore = c.on(); }},
        {"chftn", W::Text, [](Parser& p, C) {
             // The reference mark in the text; the note itself is skipped with its group.
             if (p.state().destination == Destination::Body) {
                 const std::string number = std::to_string(++p.footnoteCount_);
                 p.text(number.data(), number.data() + number.size());
             }
         }},
        // Tables.
        {"intbl", W::Text, [](Parser& p, C) {
             p.state().para.tableDepth = std::max(p.state().para.tableDepth, 1);
         }},
        {"itap", W::Text, [](Parser& p, C c) {
             p.state().para.tableDepth = std::clamp(c.param, 0, kMaxTableDepth);
         }},
        {"trowd", W::Text, [](Parser& p, C) { p.rowEdges().clear(); }},
        {"cellx", W::Text, [](Parser& p, C c) { p.rowEdges().push_back(c.param); }},
        {"cell", W::Text, endCellHere, 0},
        {"nestcell", W::Text, endCellHere, 1},
        {"row", W::Text, endRowHere, 0},
        {"nestrow", W::Text, endRowHere, 1},
        // Pictures.
        {"pngblip", W::Text, pictureFormat, static_cast<int>(PictureFormat::Png)},
        {"jpegblip", W::Text, pictureFormat, static_cast<int>(PictureFormat::Jpeg)},
        {"emfblip", W::Text, pictureFormat, static_cast<int>(PictureFormat::Unsupported)},
        {"macpict", W::Text, pictureFormat, static_cast<int>(PictureFormat::Unsupported)},
        {"dibitmap", W::Text, pictureFormat, static_cast<int>(PictureFormat::Unsupported)},
        {"wbitmap", W::Text, pictureFormat, static_cast<int>(PictureFormat::Unsupported)},
        {"pmmetafile", W::Text, [](Parser& p, C) {
             p.picture_.format = PictureFormat::Unsupported;
             p.picture_.metafile = true;
         }},
        {"wmetafile", W::Text, [](Parser& p, C) {
             p.picture_.format = PictureFormat::Unsupported;
             p.picture_.metafile = true;
         }},
        {"picw", W::Text, [](Parser& p, C c) { p.picture_.width = std::max(c.param, 0); }},
        {"pich", W::Text, [](Parser& p, C c) { p.picture_.height = std::max(c.param, 0); }},
        {"picwgoal", W::Text, [](Parser& p, C c) { p.picture_.goalWidth = std::max(c.param, 0); }},
        {"pichgoal", W::Text, [](Parser& p, C c) { p.picture_.goalHeight = std::max(c.param, 0); }},
        {"picscalex", W::Text, [](Parser& p, C c) { p.picture_.scaleX = c.param; }},
        {"picscaley", W::Text, [](Parser& p, C c) { p.picture_.scaleY = c.param; }},
        // Characters written as words.
        {"emdash", W::Text, character, 0x2014},
        {"endash", W::Text, character, 0x2013},
        {"emspace", W::Text, character, 0x2003},
        {"enspace", W::Text, character, 0x2002},
        {"qmspace", W::Text, character, 0x2005},
        {"bullet", W::Text, character, 0x2022},
        {"lquote", W::Text, character, 0x2018},
        {"rquote", W::Text, character, 0x2019},
        {"ldblquote", W::Text, character, 0x201C},
        {"rdblquote", W::Text, character, 0x201D},
        {"zwj", W::Text, character, 0x200D},
        {"zwnj", W::Text, character, 0x200C},
        {"ltrmark", W::Text, character, 0x200E},
        {"rtlmark", W::Text, character, 0x200F},
    };
    static const std::unordered_map<std::string_view, const W*> byName = [] {
        std::unordered_map<std::string_view, const W*> map;
        for (const W& row : rows) {
            map.emplace(row.name, &row);
        }
        return map;
    }();
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
}

void Parser::controlSymbol(char c) {
    switch (c) {
        case '\\':
        case '{':
        case '}':
            text(&c, &c + 1);
            return;
        case '~':
            appendCodepoint(0x00A0);
            return;
        case '_':
            appendCodepoint(0x2011);
            return;
        case '*':
            ignorableNext_ = true;
            return;
        case '\r':
        case '\n':
            if (state().destination == Destination::Body) {
                endParagraph();
            }
            return;
        case '\t':
            appendCodepoint('\t');
            return;
        case '-':
            appendCodepoint(0x00AD);  // optional hyphen: the view breaks there if it must
            return;
        default:
            return;  // \: (index subentry), \| and unknown symbols
    }
}

void Parser::controlWord(std::string_view name, bool hasParam, int param) {
    const bool ignorable = std::exchange(ignorableNext_, false);
    const WordRow* row = findWord(name);
    if (ignorable && (row == nullptr || row->scope != WordRow::AfterStar)) {
        skipDestination();  // \* before a word we do not know: a destination to leave out
        return;
    }
    if (row == nullptr ||
        (row->scope == WordRow::Text && state().destination == Destination::FontTable)) {
        return;
    }
    row->apply(*this, WordCall{hasParam, param, row->value});
}

void Parser::skipDestination() {
    state().destination = Destination::Skip;
    skipGroup();
}

std::vector<int>& Parser::rowEdges() {
    const std::size_t depth = std::max(state().para.tableDepth, 1);
    if (cellEdges_.size() <= depth) {
        cellEdges_.resize(depth + 1);
    }
    return cellEdges_[depth];
}

void Parser::startFieldResult() {
    GroupState& s = state();
    if (fields_.empty()) {
        return;  // a stray \fldrslt: just show its text
    }
    if (s.destination != Destination::Body && s.destination != Destination::FieldInstruction) {
        return;
    }
    s.destination = Destination::Body;
    Field& field = fields_.back();
    const std::string target = hyperlinkTarget(field.instruction);
    if (!target.empty()) {
        links_.push_back(target);
        s.chr.link = static_cast<int>(links_.size()) - 1;
    }
}

}  // namespace rtf
