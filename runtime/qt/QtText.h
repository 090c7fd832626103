#pragma once
// UTF-8 inside, QString at the Qt edge.

#include <QString>

#include <string_view>

namespace runtime::qt {

inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace runtime::qt
