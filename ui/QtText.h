#pragma once
// Text crossing between the LUT core (8-bit std::string, UTF-8 for file names) and Qt.

#include <QCoreApplication>
#include <QString>
#include <string>

namespace vorn::ui {

inline QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}
inline std::string FromQt(const QString& text) {
  return text.toStdString();
}

// The window's text in the user's language, for code outside a QObject; the text is marked
// where it is written (QT_TRANSLATE_NOOP("vorn::ui", ...)) or given as a literal here.
inline QString Translated(const char* text) {
  return QCoreApplication::translate("vorn::ui", text);
}

}  // namespace vorn::ui
