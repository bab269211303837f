#pragma once

#include <QString>
#include <string>
#include <string_view>

// The core speaks UTF-8 std::string, the widgets QString: the one conversion between them, for
// every window and widget. Any thread.
namespace tomaro {

inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string toUtf8(const QString& text) { return text.toStdString(); }

}  // namespace tomaro
