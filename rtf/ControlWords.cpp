// What each control word does to the parser's state. Unknown words are ignored, as RTF asks.
#include <algorithm>
#include <unordered_map>

#include "rtf/Fields.h"
#include "rtf/Parser.h"

namespace rtf {

namespace {

enum class Word {
    // Destinations.
    Rtf,
    FontTable,
    ColourTable,
    StyleSheet,
    ListText,
    PnText,
    Field,
    FieldInst,
    FieldResult,
    Pict,
    ShpPict,
    NonShpPict,
    NestTableProps,
    NoNestTables,
    Upr,
    Ud,
    Result,
    SkippedDestination,
    // Document.
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodepage,
    DefaultFont,
    Uc,
    U,
    // Font table entries.
    Charset,
    FontCodepage,
    // Colour table entries.
    Red,
    Green,
    Blue,
    // Characters.
    Plain,
    Font,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Colour,
    Background,
    Highlight,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Down,
    Hidden,
    // Paragraphs.
    Pard,
    Par,
    Sect,
    Page,
    Line,
    Tab,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    PageBreakBefore,
    FootnoteMark,
    // Tables.
    InTable,
    TableDepth,
    RowDefaults,
    CellEdge,
    Cell,
    Row,
    NestCell,
    NestRow,
    // Pictures.
    PngBlip,
    JpegBlip,
    OtherBlip,
    Metafile,
    PicWidth,
    PicHeight,
    PicGoalWidth,
    PicGoalHeight,
    PicScaleX,
    PicScaleY,
    // Characters written as words.
    Emdash,
    Endash,
    Emspace,
    Enspace,
    Qmspace,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    Zwj,
    Zwnj,
    Ltrmark,
    Rtlmark,
};

const std::unordered_map<std::string_view, Word>& words() {
    static const std::unordered_map<std::string_view, Word> table = {
        {"rtf", Word::Rtf},
        {"fonttbl", Word::FontTable},
        {"colortbl", Word::ColourTable},
        {"stylesheet", Word::StyleSheet},
        {"listtext", Word::ListText},
        {"pntext", Word::PnText},
        {"field", Word::Field},
        {"fldinst", Word::FieldInst},
        {"fldrslt", Word::FieldResult},
        {"pict", Word::Pict},
        {"shppict", Word::ShpPict},
        {"nonshppict", Word::NonShpPict},
        {"nesttableprops", Word::NestTableProps},
        {"nonesttables", Word::NoNestTables},
        {"upr", Word::Upr},
        {"ud", Word::Ud},
        {"result", Word::Result},
        // Text we do not show: page furniture, notes, document data, numbering templates.
        {"header", Word::SkippedDestination},
        {"headerl", Word::SkippedDestination},
        {"headerr", Word::SkippedDestination},
        {"headerf", Word::SkippedDestination},
        {"footer", Word::SkippedDestination},
        {"footerl", Word::SkippedDestination},
        {"footerr", Word::SkippedDestination},
        {"footerf", Word::SkippedDestination},
        {"footnote", Word::SkippedDestination},
        {"annotation", Word::SkippedDestination},
        {"atnid", Word::SkippedDestination},
        {"atnauthor", Word::SkippedDestination},
        {"atrfstart", Word::SkippedDestination},
        {"atrfend", Word::SkippedDestination},
        {"info", Word::SkippedDestination},
        {"objdata", Word::SkippedDestination},
        {"objclass", Word::SkippedDestination},
        {"objname", Word::SkippedDestination},
        {"themedata", Word::SkippedDestination},
        {"colorschememapping", Word::SkippedDestination},
        {"datastore", Word::SkippedDestination},
        {"latentstyles", Word::SkippedDestination},
        {"listtable", Word::SkippedDestination},
        {"listoverridetable", Word::SkippedDestination},
        {"revtbl", Word::SkippedDestination},
        {"rsidtbl", Word::SkippedDestination},
        {"filetbl", Word::SkippedDestination},
        {"xe", Word::SkippedDestination},
        {"tc", Word::SkippedDestination},
        {"txe", Word::SkippedDestination},
        {"pntxta", Word::SkippedDestination},
        {"pntxtb", Word::SkippedDestination},
        {"pnseclvl", Word::SkippedDestination},
        {"ftnsep", Word::SkippedDestination},
        {"ftnsepc", Word::SkippedDestination},
        {"ftncn", Word::SkippedDestination},
        {"aftnsep", Word::SkippedDestination},
        {"aftnsepc", Word::SkippedDestination},
        {"aftncn", Word::SkippedDestination},
        {"bkmkstart", Word::SkippedDestination},
        {"bkmkend", Word::SkippedDestination},
        {"template", Word::SkippedDestination},
        {"docvar", Word::SkippedDestination},
        {"userprops", Word::SkippedDestination},
        {"pgdsctbl", Word::SkippedDestination},
        {"xmlnstbl", Word::SkippedDestination},
        {"mmathPr", Word::SkippedDestination},
        {"generator", Word::SkippedDestination},
        {"title", Word::SkippedDestination},
        {"author", Word::SkippedDestination},
        {"operator", Word::SkippedDestination},
        {"keywords", Word::SkippedDestination},
        {"comment", Word::SkippedDestination},
        {"subject", Word::SkippedDestination},
        {"doccomm", Word::SkippedDestination},
        {"company", Word::SkippedDestination},
        {"shpinst", Word::SkippedDestination},
        {"do", Word::SkippedDestination},
        {"private", Word::SkippedDestination},
        {"fontemb", Word::SkippedDestination},
        {"fontfile", Word::SkippedDestination},
        {"protusertbl", Word::SkippedDestination},
        {"panose", Word::SkippedDestination},
        {"falt", Word::SkippedDestination},
        {"ansi", Word::Ansi},
        {"mac", Word::Mac},
        {"pc", Word::Pc},
        {"pca", Word::Pca},
        {"ansicpg", Word::AnsiCodepage},
        {"deff", Word::DefaultFont},
        {"uc", Word::Uc},
        {"u", Word::U},
        {"fcharset", Word::Charset},
        {"cpg", Word::FontCodepage},
        {"red", Word::Red},
        {"green", Word::Green},
        {"blue", Word::Blue},
        {"plain", Word::Plain},
        {"f", Word::Font},
        {"fs", Word::FontSize},
        {"b", Word::Bold},
        {"i", Word::Italic},
        {"ul", Word::Underline},
        {"uld", Word::Underline},
        {"uldb", Word::Underline},
        {"uldash", Word::Underline},
        {"uldashd", Word::Underline},
        {"uldashdd", Word::Underline},
        {"ulth", Word::Underline},
        {"ulw", Word::Underline},
        {"ulwave", Word::Underline},
        {"ulhwave", Word::Underline},
        {"ululdbwave", Word::Underline},
        {"ulnone", Word::UnderlineNone},
        {"strike", Word::Strike},
        {"striked", Word::Strike},
        {"cf", Word::Colour},
        {"cb", Word::Background},
        {"chcbpat", Word::Background},
        {"highlight", Word::Highlight},
        {"super", Word::Super},
        {"sub", Word::Sub},
        {"nosupersub", Word::NoSuperSub},
        {"up", Word::Up},
        {"dn", Word::Down},
        {"v", Word::Hidden},
        {"pard", Word::Pard},
        {"par", Word::Par},
        {"sect", Word::Sect},
        {"page", Word::Page},
        {"line", Word::Line},
        {"tab", Word::Tab},
        {"ql", Word::AlignLeft},
        {"qc", Word::AlignCentre},
        {"qr", Word::AlignRight},
        {"qj", Word::AlignJustify},
        {"qd", Word::AlignJustify},
        {"li", Word::LeftIndent},
        {"lin", Word::LeftIndent},
        {"ri", Word::RightIndent},
        {"rin", Word::RightIndent},
        {"fi", Word::FirstIndent},
        {"sb", Word::SpaceBefore},
        {"sa", Word::SpaceAfter},
        {"sl", Word::LineSpacing},
        {"slmult", Word::LineMultiple},
        {"pagebb", Word::PageBreakBefore},
        {"chftn", Word::FootnoteMark},
        {"intbl", Word::InTable},
        {"itap", Word::TableDepth},
        {"trowd", Word::RowDefaults},
        {"cellx", Word::CellEdge},
        {"cell", Word::Cell},
        {"row", Word::Row},
        {"nestcell", Word::NestCell},
        {"nestrow", Word::NestRow},
        {"pngblip", Word::PngBlip},
        {"jpegblip", Word::JpegBlip},
        {"emfblip", Word::OtherBlip},
        {"macpict", Word::OtherBlip},
        {"dibitmap", Word::OtherBlip},
        {"wbitmap", Word::OtherBlip},
        {"pmmetafile", Word::Metafile},
        {"wmetafile", Word::Metafile},
        {"picw", Word::PicWidth},
        {"pich", Word::PicHeight},
        {"picwgoal", Word::PicGoalWidth},
        {"pichgoal", Word::PicGoalHeight},
        {"picscalex", Word::PicScaleX},
        {"picscaley", Word::PicScaleY},
        {"emdash", Word::Emdash},
        {"endash", Word::Endash},
        {"emspace", Word::Emspace},
        {"enspace", Word::Enspace},
        {"qmspace", Word::Qmspace},
        {"bullet", Word::Bullet},
        {"lquote", Word::LeftQuote},
        {"rquote", Word::RightQuote},
        {"ldblquote", Word::LeftDoubleQuote},
        {"rdblquote", Word::RightDoubleQuote},
        {"zwj", Word::Zwj},
        {"zwnj", Word::Zwnj},
        {"ltrmark", Word::Ltrmark},
        {"rtlmark", Word::Rtlmark},
    };
    return table;
}

// Words that, after \*, name a destination we understand; any other \* group is skipped.
bool understoodAfterStar(Word w) {
    switch (w) {
        case Word::FieldInst:
        case Word::ShpPict:
        case Word::NestTableProps:
        case Word::Ud:
        case Word::ListText:
        case Word::PnText:
        case Word::FieldResult:
        case Word::Pict:
            return true;
        default:
            return false;
    }
}

bool toggle(bool hasParam, int param) {
    return !hasParam || param != 0;
}

constexpr int kMaxTableDepth = 64;
constexpr int kMaxFontSize = 3276;  // half-points; larger sizes make no sense on screen

}  // namespace

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
    const bool ignorable = ignorableNext_;
    ignorableNext_ = false;
    GroupState& s = state();
    const auto found = words().find(name);
    if (found == words().end()) {
        if (ignorable) {
            s.destination = Destination::Skip;
            skipGroup();
        }
        return;
    }
    const Word w = found->second;
    if (ignorable && !understoodAfterStar(w)) {
        s.destination = Destination::Skip;
        skipGroup();
        return;
    }
    const bool body = s.destination == Destination::Body;
    switch (w) {
        case Word::Rtf:
            return;
        case Word::FontTable:
            s.destination = Destination::FontTable;
            return;
        case Word::ColourTable:
            s.destination = Destination::ColourTable;
            colourEntry_ = ColourEntry{};
            return;
        case Word::StyleSheet:
            s.destination = Destination::StyleSheet;
            return;
        case Word::ListText:
            if (body) {
                s.destination = Destination::ListMarker;
                marker_.clear();
                markerFromListText_ = true;
            } else {
                s.destination = Destination::Skip;
                skipGroup();
            }
            return;
        case Word::PnText:
            if (body) {
                s.destination = Destination::OldListMarker;
                if (!markerFromListText_) {
                    marker_.clear();
                }
            } else {
                s.destination = Destination::Skip;
                skipGroup();
            }
            return;
        case Word::Field:
            if (body) {
                s.opensField = true;
                fields_.emplace_back();
            }
            return;
        case Word::FieldInst:
            if (body && !fields_.empty()) {
                s.destination = Destination::FieldInstruction;
            } else {
                s.destination = Destination::Skip;
                skipGroup();
            }
            return;
        case Word::FieldResult:
            startFieldResult();
            return;
        case Word::Pict:
            s.destination = Destination::Picture;
            s.opensPicture = true;
            picture_ = PictureState{};
            return;
        case Word::ShpPict:
        case Word::NestTableProps:
        case Word::Result:
            return;
        case Word::NonShpPict:
        case Word::NoNestTables:
        case Word::SkippedDestination:
            s.destination = Destination::Skip;
            skipGroup();
            return;
        case Word::Upr:
            s.uprDestination = s.destination;
            s.destination = Destination::Drop;
            return;
        case Word::Ud:
            s.destination = s.uprDestination;
            return;
        case Word::Ansi:
            documentCodepage_ = 1252;
            return;
        case Word::Mac:
            documentCodepage_ = 10000;
            return;
        case Word::Pc:
            documentCodepage_ = 437;
            return;
        case Word::Pca:
            documentCodepage_ = 850;
            return;
        case Word::AnsiCodepage:
            if (param > 0) {
                documentCodepage_ = param;
            }
            return;
        case Word::DefaultFont:
            defaultFont_ = param;
            if (s.chr.font < 0) {
                s.chr.font = param;
            }
            return;
        case Word::Uc:
            s.unicodeSkip = std::clamp(param, 0, 16);
            return;
        case Word::U:
            appendCodepoint(static_cast<char32_t>(param < 0 ? param + 65536 : param));
            skipUnits_ = s.unicodeSkip;
            return;
        case Word::Charset:
            if (s.destination == Destination::FontTable && fontEntry_.codepage == 0) {
                fontEntry_.codepage = codepageForCharset(param);
            }
            return;
        case Word::FontCodepage:
            if (s.destination == Destination::FontTable && param > 0) {
                fontEntry_.codepage = param;
            }
            return;
        case Word::Red:
            colourEntry_.colour.red = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
            colourEntry_.set = true;
            return;
        case Word::Green:
            colourEntry_.colour.green = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
            colourEntry_.set = true;
            return;
        case Word::Blue:
            colourEntry_.colour.blue = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
            colourEntry_.set = true;
            return;
        default:
            break;
    }
    if (s.destination == Destination::FontTable) {
        if (w == Word::Font) {
            finishFontEntry();
            fontEntryNumber_ = std::max(param, 0);
            s.opensFontEntry = true;
        }
        return;
    }
    switch (w) {
        case Word::Plain: {
            const int link = s.chr.link;
            s.chr = CharState{};
            s.chr.font = defaultFont_;
            s.chr.link = link;  // formatting resets inside a hyperlink's text keep the link
            return;
        }
        case Word::Font:
            s.chr.font = param;
            return;
        case Word::FontSize:
            s.chr.size = hasParam && param > 0 ? std::min(param, kMaxFontSize) : 24;
            return;
        case Word::Bold:
            s.chr.bold = toggle(hasParam, param);
            return;
        case Word::Italic:
            s.chr.italic = toggle(hasParam, param);
            return;
        case Word::Underline:
            s.chr.underline = toggle(hasParam, param);
            return;
        case Word::UnderlineNone:
            s.chr.underline = false;
            return;
        case Word::Strike:
            s.chr.strike = toggle(hasParam, param);
            return;
        case Word::Colour:
            s.chr.colour = param;
            return;
        case Word::Background:
        case Word::Highlight:
            s.chr.background = param;
            return;
        case Word::Super:
            s.chr.vertical = VerticalAlign::Superscript;
            return;
        case Word::Sub:
            s.chr.vertical = VerticalAlign::Subscript;
            return;
        case Word::NoSuperSub:
            s.chr.vertical = VerticalAlign::Baseline;
            return;
        case Word::Up:
            s.chr.vertical =
                param == 0 && hasParam ? VerticalAlign::Baseline : VerticalAlign::Superscript;
            return;
        case Word::Down:
            s.chr.vertical =
                param == 0 && hasParam ? VerticalAlign::Baseline : VerticalAlign::Subscript;
            return;
        case Word::Hidden:
            s.chr.hidden = toggle(hasParam, param);
            return;
        case Word::Pard: {
            s.para = ParaState{};
            return;
        }
        case Word::Par:
        case Word::Sect:
            if (body) {
                endParagraph();
            }
            return;
        case Word::Page:
            if (body) {
                if (!builder_.paragraphEmpty()) {
                    endParagraph();
                }
                pageBreakPending_ = true;
            }
            return;
        case Word::Line:
            appendCodepoint(0x2028);
            return;
        case Word::Tab:
            appendCodepoint('\t');
            return;
        case Word::AlignLeft:
            s.para.alignment = Alignment::Left;
            return;
        case Word::AlignCentre:
            s.para.alignment = Alignment::Centre;
            return;
        case Word::AlignRight:
            s.para.alignment = Alignment::Right;
            return;
        case Word::AlignJustify:
            s.para.alignment = Alignment::Justified;
            return;
        case Word::LeftIndent:
            s.para.leftIndent = param;
            return;
        case Word::RightIndent:
            s.para.rightIndent = param;
            return;
        case Word::FirstIndent:
            s.para.firstLineIndent = param;
            return;
        case Word::SpaceBefore:
            s.para.spaceBefore = param;
            return;
        case Word::SpaceAfter:
            s.para.spaceAfter = param;
            return;
        case Word::LineSpacing:
            s.para.lineSpacing = param;
            return;
        case Word::LineMultiple:
            s.para.lineMultiple = toggle(hasParam, param);
            return;
        case Word::PageBreakBefore:
            s.para.pageBreakBefore = toggle(hasParam, param);
            return;
        case Word::FootnoteMark:
            // The reference mark in the text; the note itself is skipped with its group.
            if (body) {
                const std::string number = std::to_string(++footnoteCount_);
                text(number.data(), number.data() + number.size());
            }
            return;
        case Word::InTable:
            s.para.tableDepth = std::max(s.para.tableDepth, 1);
            return;
        case Word::TableDepth:
            s.para.tableDepth = std::clamp(param, 0, kMaxTableDepth);
            return;
        case Word::RowDefaults: {
            const std::size_t depth = std::max(s.para.tableDepth, 1);
            if (cellEdges_.size() <= depth) {
                cellEdges_.resize(depth + 1);
            }
            cellEdges_[depth].clear();
            return;
        }
        case Word::CellEdge: {
            const std::size_t depth = std::max(s.para.tableDepth, 1);
            if (cellEdges_.size() <= depth) {
                cellEdges_.resize(depth + 1);
            }
            cellEdges_[depth].push_back(param);
            return;
        }
        case Word::Cell:
        case Word::NestCell:
            if (body) {
                endCell(w == Word::NestCell);
            }
            return;
        case Word::Row:
        case Word::NestRow:
            if (body) {
                endRow(w == Word::NestRow);
            }
            return;
        case Word::PngBlip:
            picture_.format = PictureFormat::Png;
            return;
        case Word::JpegBlip:
            picture_.format = PictureFormat::Jpeg;
            return;
        case Word::OtherBlip:
            picture_.format = PictureFormat::Unsupported;
            return;
        case Word::Metafile:
            picture_.format = PictureFormat::Unsupported;
            picture_.metafile = true;
            return;
        case Word::PicWidth:
            picture_.width = std::max(param, 0);
            return;
        case Word::PicHeight:
            picture_.height = std::max(param, 0);
            return;
        case Word::PicGoalWidth:
            picture_.goalWidth = std::max(param, 0);
            return;
        case Word::PicGoalHeight:
            picture_.goalHeight = std::max(param, 0);
            return;
        case Word::PicScaleX:
            picture_.scaleX = param;
            return;
        case Word::PicScaleY:
            picture_.scaleY = param;
            return;
        case Word::Emdash:
            appendCodepoint(0x2014);
            return;
        case Word::Endash:
            appendCodepoint(0x2013);
            return;
        case Word::Emspace:
            appendCodepoint(0x2003);
            return;
        case Word::Enspace:
            appendCodepoint(0x2002);
            return;
        case Word::Qmspace:
            appendCodepoint(0x2005);
            return;
        case Word::Bullet:
            appendCodepoint(0x2022);
            return;
        case Word::LeftQuote:
            appendCodepoint(0x2018);
            return;
        case Word::RightQuote:
            appendCodepoint(0x2019);
            return;
        case Word::LeftDoubleQuote:
            appendCodepoint(0x201C);
            return;
        case Word::RightDoubleQuote:
            appendCodepoint(0x201D);
            return;
        case Word::Zwj:
            appendCodepoint(0x200D);
            return;
        case Word::Zwnj:
            appendCodepoint(0x200C);
            return;
        case Word::Ltrmark:
            appendCodepoint(0x200E);
            return;
        case Word::Rtlmark:
            appendCodepoint(0x200F);
            return;
        default:
            return;
    }
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
