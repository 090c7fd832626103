#pragma once
// List markers as the RTF reader gives them ("1.", "(a)", "iv)", a bullet), read as Qt's own
// list numbering where Qt has one.

#include <QString>
#include <QTextListFormat>

#include <optional>
#include <string>

namespace runtime::qt {

// How a list marker maps onto Qt's own numbering, when it does.
struct ListMarker {
    QTextListFormat::Style style = QTextListFormat::ListStyleUndefined;
    int number = 0;  // 1-based position of a numbered item; 0 for bullets
    QString prefix;
    QString suffix;
    bool sameKind(const ListMarker& other) const {
        return style == other.style && prefix == other.prefix && suffix == other.suffix;
    }
};

// The marker as Qt numbering, or nothing when Qt has no numbering like it (the marker is then
// written as text).
std::optional<ListMarker> parseMarker(const std::string& utf8);

}  // namespace runtime::qt
