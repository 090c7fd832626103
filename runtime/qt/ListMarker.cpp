#include "runtime/qt/ListMarker.h"

#include <algorithm>

#include "runtime/qt/QtText.h"

namespace runtime::qt {
namespace {

// The value of a roman numeral, or 0 when the text is none. Numerals that list markers use are
// short; a long run of letters is a word, and would not fit an int either.
int romanValue(const QString& text) {
    static const QString digits = QStringLiteral("ivxlcdm");
    static const int values[] = {1, 5, 10, 50, 100, 500, 1000};
    constexpr qsizetype kLongest = 16;
    if (text.size() > kLongest) {
        return 0;
    }
    int total = 0;
    int previous = 0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        qsizetype k = digits.indexOf(text[i].toLower());
        if (k < 0) {
            return 0;
        }
        int v = values[k];
        total += v < previous ? -v : v;
        previous = std::max(previous, v);
    }
    return total;
}

}  // namespace

std::optional<ListMarker> parseMarker(const std::string& utf8) {
    QString marker = toQString(utf8).trimmed();
    if (marker.isEmpty()) {
        return std::nullopt;
    }
    ListMarker m;
    if (marker.size() == 1) {
        switch (marker[0].unicode()) {
            case 0x2022:  // bullet
            case 0x00B7:  // middle dot (Symbol font bullet)
            case 0x25CF:  // black circle
                m.style = QTextListFormat::ListDisc;
                return m;
            case u'o':
            case 0x25E6:  // white bullet
            case 0x25CB:  // white circle
                m.style = QTextListFormat::ListCircle;
                return m;
            case 0x25AA:  // small black square
            case 0x25A0:  // black square
            case 0x00A7:  // section sign (Wingdings square)
                m.style = QTextListFormat::ListSquare;
                return m;
            default:
                break;
        }
    }
    // [prefix] number-or-letters [suffix], e.g. "1.", "(a)", "iv)".
    qsizetype start = 0;
    while (start < marker.size() && !marker[start].isLetterOrNumber()) {
        ++start;
    }
    qsizetype end = start;
    while (end < marker.size() && marker[end].isLetterOrNumber()) {
        ++end;
    }
    if (start == end) {
        return std::nullopt;
    }
    QString core = marker.mid(start, end - start);
    m.prefix = marker.left(start);
    m.suffix = marker.mid(end);
    if (m.prefix.size() > 1 || m.suffix.size() > 1) {
        return std::nullopt;
    }
    bool isNumber = false;
    int n = core.toInt(&isNumber);
    if (isNumber) {
        m.style = QTextListFormat::ListDecimal;
        m.number = n;
    } else if (core.size() == 1 && core[0] >= u'a' && core[0] <= u'z' && core[0] != u'i') {
        m.style = QTextListFormat::ListLowerAlpha;
        m.number = core[0].unicode() - u'a' + 1;
    } else if (core.size() == 1 && core[0] >= u'A' && core[0] <= u'Z' && core[0] != u'I') {
        m.style = QTextListFormat::ListUpperAlpha;
        m.number = core[0].unicode() - u'A' + 1;
    } else if (int r = romanValue(core); r > 0) {
        m.style = core == core.toLower() ? QTextListFormat::ListLowerRoman
                                         : QTextListFormat::ListUpperRoman;
        m.number = r;
    } else {
        return std::nullopt;
    }
    return m;
}

}  // namespace runtime::qt
