#include "rtf/Parser.h"

#include <algorithm>
#include <cstring>

#include "text/Utf8.h"

namespace rtf {

namespace {

// Deeper nesting than this is not real-world RTF; groups beyond it are counted so braces
// still balance, but share their parent's state, which keeps memory bounded.
constexpr int kMaxGroupDepth = 1024;
constexpr int kMaxNameLength = 32;
constexpr long long kParamLimit = 2147483647LL;

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a stretch of plain text; looked up rather than compared one by one because
// this loop sees every byte of the document.
struct TextStops {
    bool stop[256] = {};
    constexpr TextStops() {
        for (unsigned char c : {'\\', '{', '}', '\r', '\n'}) {
            stop[c] = true;
        }
    }
};
constexpr TextStops kTextStops;

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

Parser::Parser(std::string_view bytes, DocumentBuilder::BlockTaker take)
    : p_(bytes.data()), end_(bytes.data() + bytes.size()), builder_(std::move(take)) {
    const std::size_t last = bytes.rfind('}');
    lastBrace_ = last == std::string_view::npos ? end_ : bytes.data() + last;
    stack_.reserve(64);
    stack_.emplace_back();
    cellEdges_.resize(2);
}

Document Parser::run() {
    // Caller has checked that the input starts with "{\rtf" after blanks: the first brace
    // opens the root group, whose state is the bottom of the stack.
    while (p_ < end_ && *p_ != '{') {
        ++p_;
    }
    if (p_ < end_) {
        ++p_;
    }
    while (p_ < end_ && !done_) {
        const char c = *p_;
        switch (c) {
            case '{':
                ++p_;
                openGroup();
                break;
            case '}':
                ++p_;
                closeGroup();
                break;
            case '\\':
                controlSymbolOrWord();
                break;
            case '\r':
            case '\n':
                ++p_;
                break;
            default: {
                const char* begin = p_;
                unsigned char seen = 0;
                while (p_ < end_ && !kTextStops.stop[static_cast<unsigned char>(*p_)]) {
                    seen |= static_cast<unsigned char>(*p_);
                    ++p_;
                }
                text(begin, p_, seen < 0x80);
                break;
            }
        }
    }
    flushPending();
    if (state().destination == Destination::Picture) {
        finishPicture();
    }
    if (!builder_.paragraphEmpty()) {
        endParagraph();
    }
    return builder_.finish();
}

void Parser::openGroup() {
    flushPending();
    skipUnits_ = 0;
    if (stack_.size() >= kMaxGroupDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(stack_.back());
    GroupState& s = stack_.back();
    s.opensField = false;
    s.opensPicture = false;
    s.opensFontEntry = false;
    ignorableNext_ = false;
    if (s.destination == Destination::Skip) {
        skipGroup();
    }
}

void Parser::closeGroup() {
    flushPending();
    skipUnits_ = 0;
    ignorableNext_ = false;
    if (overflowDepth_ > 0) {
        --overflowDepth_;
        return;
    }
    if (stack_.size() == 1) {
        // The root group closed. If more closing braces follow, this one was a stray and the
        // document goes on; otherwise whatever trails the document is not part of it.
        if (p_ - 1 >= lastBrace_) {
            done_ = true;
        }
        return;
    }
    const GroupState closing = stack_.back();
    if (closing.opensPicture) {
        finishPicture();
    }
    if (closing.opensFontEntry || closing.destination == Destination::FontTable) {
        finishFontEntry();
    }
    stack_.pop_back();
    if (closing.opensField && !fields_.empty()) {
        fields_.pop_back();
    }
    if (closing.destination == Destination::ListMarker ||
        closing.destination == Destination::OldListMarker) {
        // Writers end the marker with a tab that separates it from the item text.
        while (!marker_.empty() && (marker_.back() == '\t' || marker_.back() == ' ')) {
            marker_.pop_back();
        }
    }
}

// Skips the rest of a group we do not show, counting nested braces and jumping over \bin
// data and escaped braces, without interpreting anything else.
void Parser::skipGroup() {
    int depth = 1;
    while (p_ < end_) {
        const char* hit = p_;
        while (hit < end_ && *hit != '{' && *hit != '}' && *hit != '\\') {
            ++hit;
        }
        p_ = hit;
        if (p_ >= end_) {
            break;
        }
        const char c = *p_++;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) {
                --p_;  // let the main loop close the group and restore the state
                return;
            }
        } else if (p_ < end_) {
            if (*p_ == 'b' && end_ - p_ > 3 && std::memcmp(p_, "bin", 3) == 0 &&
                (isDigit(p_[3]) || p_[3] == '-')) {
                p_ += 3;
                bool negative = *p_ == '-';
                if (negative) {
                    ++p_;
                }
                long long n = 0;
                while (p_ < end_ && isDigit(*p_)) {
                    n = std::min(n * 10 + (*p_ - '0'), kParamLimit);
                    ++p_;
                }
                if (p_ < end_ && *p_ == ' ') {
                    ++p_;
                }
                if (!negative) {
                    p_ += std::min<long long>(n, end_ - p_);
                }
            } else {
                ++p_;  // a control symbol such as \{ or \}, or the first letter of a word
            }
        }
    }
}

void Parser::controlSymbolOrWord() {
    ++p_;  // the backslash
    if (p_ >= end_) {
        return;
    }
    if (!isLetter(*p_)) {
        const char c = *p_++;
        if (c == '\'') {
            int hi = p_ < end_ ? hexValue(*p_) : -1;
            if (hi < 0) {
                return;
            }
            ++p_;
            int lo = p_ < end_ ? hexValue(*p_) : -1;
            int value = hi;
            if (lo >= 0) {
                ++p_;
                value = hi * 16 + lo;
            }
            if (skipUnits_ > 0) {
                --skipUnits_;
                return;
            }
            hexByte(static_cast<unsigned char>(value));
            return;
        }
        if (skipUnits_ > 0 && c != '{' && c != '}') {
            --skipUnits_;
            return;
        }
        controlSymbol(c);
        return;
    }
    const char* nameBegin = p_;
    while (p_ < end_ && isLetter(*p_)) {
        ++p_;
    }
    std::string_view name(nameBegin, std::min<std::size_t>(p_ - nameBegin, kMaxNameLength));
    bool hasParam = false;
    long long value = 0;
    bool negative = false;
    if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && isDigit(p_[1])) {
        negative = true;
        ++p_;
    }
    while (p_ < end_ && isDigit(*p_)) {
        hasParam = true;
        value = std::min(value * 10 + (*p_ - '0'), kParamLimit);
        ++p_;
    }
    if (p_ < end_ && *p_ == ' ') {
        ++p_;
    }
    const int param = static_cast<int>(negative ? -value : value);
    if (name == "bin") {
        binary(param);
        return;
    }
    if (skipUnits_ > 0) {
        --skipUnits_;
        return;
    }
    flushPending();
    controlWord(name, hasParam, param);
}

void Parser::binary(int length) {
    const long long available = end_ - p_;
    const long long n = std::clamp<long long>(length, 0, available);
    const char* data = p_;
    p_ += n;
    if (skipUnits_ > 0) {
        --skipUnits_;  // the whole \bin, data included, is one fallback unit
        return;
    }
    if (state().destination == Destination::Picture) {
        picture_.data.insert(picture_.data.end(), data, data + n);
    }
}

void Parser::text(const char* begin, const char* end, bool ascii) {
    while (skipUnits_ > 0 && begin < end) {
        ++begin;
        --skipUnits_;
    }
    if (begin == end) {
        return;
    }
    if (highSurrogate_ != 0) {
        dropLoneSurrogate();
    }
    switch (state().destination) {
        case Destination::Body:
            if (ascii && pending_.empty() && codepage() != kSymbolCodepage) {
                bodyRun().append(begin, end);
                return;
            }
            pending_.append(begin, end);
            return;
        case Destination::FieldInstruction:
        case Destination::ListMarker:
        case Destination::OldListMarker:
            pending_.append(begin, end);
            return;
        case Destination::FontTable:
            for (const char* q = begin; q < end; ++q) {
                if (*q == ';') {
                    finishFontEntry();
                } else {
                    fontNameBytes_.push_back(*q);
                }
            }
            return;
        case Destination::ColourTable:
            for (const char* q = begin; q < end; ++q) {
                if (*q == ';') {
                    colours_.push_back(colourEntry_);
                    colourEntry_ = ColourEntry{};
                }
            }
            return;
        case Destination::Picture:
            for (const char* q = begin; q < end; ++q) {
                const int v = hexValue(*q);
                if (v < 0) {
                    continue;
                }
                if (picture_.highNibble < 0) {
                    picture_.highNibble = v;
                } else {
                    picture_.data.push_back(
                        static_cast<std::uint8_t>(picture_.highNibble * 16 + v));
                    picture_.highNibble = -1;
                }
            }
            return;
        default:
            return;
    }
}

void Parser::hexByte(unsigned char byte) {
    if (highSurrogate_ != 0) {
        dropLoneSurrogate();
    }
    switch (state().destination) {
        case Destination::Body:
        case Destination::FieldInstruction:
        case Destination::ListMarker:
        case Destination::OldListMarker:
            pending_.push_back(static_cast<char>(byte));
            return;
        case Destination::FontTable:
            fontNameBytes_.push_back(static_cast<char>(byte));
            return;
        default:
            return;
    }
}

std::string* Parser::textTarget() {
    switch (state().destination) {
        case Destination::Body:
            return &bodyRun();
        case Destination::FieldInstruction:
            return fields_.empty() ? nullptr : &fields_.back().instruction;
        case Destination::ListMarker:
            return &marker_;
        case Destination::OldListMarker:
            return markerFromListText_ ? nullptr : &marker_;
        default:
            return nullptr;
    }
}

void Parser::flushPending() {
    if (pending_.empty()) {
        return;
    }
    if (std::string* target = textTarget()) {
        decoder_.decode(pending_, codepage(), *target);
    }
    pending_.clear();
}

// A high surrogate waits for its low half; anything else arriving first shows it was alone.
void Parser::dropLoneSurrogate() {
    if (highSurrogate_ != 0) {
        highSurrogate_ = 0;
        appendCodepoint(0xFFFD);
    }
}

void Parser::appendCodepoint(char32_t cp) {
    flushPending();
    if (cp >= 0xDC00 && cp <= 0xDFFF && highSurrogate_ != 0) {
        cp = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (cp - 0xDC00);
        highSurrogate_ = 0;
    } else {
        dropLoneSurrogate();
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        highSurrogate_ = static_cast<char16_t>(cp);
        return;
    }
    if (std::string* target = textTarget()) {
        text::appendUtf8(*target, cp);
    } else if (state().destination == Destination::FontTable) {
        text::appendUtf8(fontNameBytes_, cp);
    }
}

std::string& Parser::bodyRun() {
    if (std::string* open = builder_.openRun(); open != nullptr && runState_ == state().chr) {
        return *open;
    }
    runState_ = state().chr;
    static const std::string kNoLink;
    const int link = runState_.link;
    return builder_.startRun(resolve(runState_), link >= 0 && link < static_cast<int>(links_.size())
                                                     ? links_[link]
                                                     : kNoLink);
}

int Parser::codepage() {
    const int font = state().chr.font;
    if (font == codepageFont_ && documentCodepage_ == codepageDocument_) {
        return codepage_;
    }
    codepageFont_ = font;
    codepageDocument_ = documentCodepage_;
    codepage_ = documentCodepage_;
    if (auto it = fonts_.find(font); it != fonts_.end() && it->second.codepage != 0) {
        codepage_ = it->second.codepage;
    }
    return codepage_;
}

std::optional<Colour> Parser::colourAt(int index) const {
    if (index <= 0 || index >= static_cast<int>(colours_.size()) || !colours_[index].set) {
        return std::nullopt;
    }
    return colours_[index].colour;
}

CharFormat Parser::resolve(const CharState& chr) const {
    CharFormat f;
    if (auto it = fonts_.find(chr.font); it != fonts_.end()) {
        f.fontFamily = it->second.name;
    }
    f.sizeHalfPoints = chr.size;
    f.bold = chr.bold;
    f.italic = chr.italic;
    f.underline = chr.underline;
    f.strikeThrough = chr.strike;
    f.hidden = chr.hidden;
    f.colour = colourAt(chr.colour);
    f.background = colourAt(chr.background);
    f.vertical = chr.vertical;
    return f;
}

void Parser::finishFontEntry() {
    if (fontEntryNumber_ < 0) {
        fontNameBytes_.clear();
        return;
    }
    std::string name;
    decoder_.decode(fontNameBytes_, fontEntry_.codepage ? fontEntry_.codepage : documentCodepage_,
                    name);
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    while (!name.empty() && name.front() == ' ') {
        name.erase(name.begin());
    }
    if (fontEntry_.codepage == 0 && (name == "Symbol" || name == "Wingdings")) {
        fontEntry_.codepage = kSymbolCodepage;  // older writers name the font but no charset
    }
    fontEntry_.name = std::move(name);
    fonts_[fontEntryNumber_] = fontEntry_;
    codepageFont_ = kNoFont;  // the cached code page may belong to a redefined font
    fontEntryNumber_ = -1;
    fontEntry_ = FontEntry{};
    fontNameBytes_.clear();
}

void Parser::finishPicture() {
    PictureState pict = std::move(picture_);
    picture_ = PictureState{};
    Picture out;
    out.format = pict.format;
    if (out.format != PictureFormat::Unsupported) {
        out.data = std::move(pict.data);
    }
    // \picwgoal/\pichgoal give the intended size; without them, PNG and JPEG state pixels
    // (15 twips each at 96 dpi) and metafiles hundredths of a millimetre.
    auto size = [&](int goal, int natural, int scale) {
        long long twips = goal;
        if (twips <= 0) {
            twips = pict.metafile ? natural * 1440LL / 2540 : natural * 15LL;
        }
        twips = twips * std::clamp(scale, 1, 10000) / 100;
        return static_cast<int>(std::clamp<long long>(twips, 0, kParamLimit));
    };
    out.widthTwips = size(pict.goalWidth, pict.width, pict.scaleX);
    out.heightTwips = size(pict.goalHeight, pict.height, pict.scaleY);
    GroupState& parent = stack_[stack_.size() >= 2 ? stack_.size() - 2 : 0];
    if (parent.destination == Destination::Body) {
        builder_.addPicture(std::move(out));
    }
}

ParagraphFormat Parser::paragraphFormat() const {
    const ParaState& s = state().para;
    ParagraphFormat f;
    f.alignment = s.alignment;
    f.leftIndent = s.leftIndent;
    f.rightIndent = s.rightIndent;
    f.firstLineIndent = s.firstLineIndent;
    f.spaceBefore = s.spaceBefore;
    f.spaceAfter = s.spaceAfter;
    if (s.lineSpacing != 0) {
        if (s.lineMultiple) {
            f.lineSpacingRule = LineSpacingRule::Multiple;
            f.lineSpacing = s.lineSpacing < 0 ? -s.lineSpacing : s.lineSpacing;
        } else if (s.lineSpacing < 0) {
            f.lineSpacingRule = LineSpacingRule::Exactly;
            f.lineSpacing = -s.lineSpacing;
        } else {
            f.lineSpacingRule = LineSpacingRule::AtLeast;
            f.lineSpacing = s.lineSpacing;
        }
    }
    f.listMarker = marker_;
    f.pageBreakBefore = s.pageBreakBefore || pageBreakPending_;
    return f;
}

void Parser::endParagraph() {
    flushPending();
    builder_.endParagraph(paragraphFormat(), state().para.tableDepth);
    marker_.clear();
    markerFromListText_ = false;
    pageBreakPending_ = false;
}

int Parser::rowDepth(bool nested) const {
    const int depth = state().para.tableDepth;
    return nested ? std::max(depth, 2) : 1;
}

void Parser::endCell(bool nested) {
    flushPending();
    builder_.endCell(paragraphFormat(), rowDepth(nested));
    marker_.clear();
    markerFromListText_ = false;
    pageBreakPending_ = false;
}

void Parser::endRow(bool nested) {
    flushPending();
    const int depth = rowDepth(nested);
    if (static_cast<int>(cellEdges_.size()) <= depth) {
        cellEdges_.resize(depth + 1);
    }
    builder_.endRow(cellEdges_[depth], depth);
}

}  // namespace rtf
