// UTF-8 std::string, the program's text type, to and from QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace afx_qt {

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQString(const QString& text) {
    return text.toStdString();
}

}  // namespace afx_qt
