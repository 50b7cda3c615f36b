#pragma once
// The only conversions between the core's std::string (UTF-8 bytes) and
// QString. Bytes that are not UTF-8 show as replacement characters.
#include <QString>
#include <string>

namespace korrivan::ui {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }
inline QString qs(const char* text) { return QString::fromUtf8(text); }
inline std::string ss(const QString& text) { return text.toStdString(); }

}  // namespace korrivan::ui
