#pragma once
// Text crossing between the LUT core (8-bit std::string, UTF-8 for file names) and Qt.

#include <QString>
#include <string>

namespace vorn::ui {

inline QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string FromQt(const QString& text) {
  return text.toStdString();
}

}  // namespace vorn::ui
