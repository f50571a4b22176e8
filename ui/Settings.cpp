#include "ui/Settings.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QComboBox>
#include <QSettings>

#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

std::string ReadString(const QSettings& settings, const QString& key) {
  return FromQt(settings.value(key).toString());
}

}  // namespace

void RedirectSettings(const QString& folder) {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

TRememberedFolders LoadFolders() {
  const QSettings settings;
  TRememberedFolders folders;
  folders.Luts = ReadString(settings, QStringLiteral("folders/luts"));
  folders.Pictures = ReadString(settings, QStringLiteral("folders/pictures"));
  folders.Output = ReadString(settings, QStringLiteral("folders/output"));
  folders.Icc = ReadString(settings, QStringLiteral("folders/icc"));
  return folders;
}

void SaveFolders(const TRememberedFolders& folders) {
  QSettings settings;
  settings.setValue(QStringLiteral("folders/luts"), ToQt(folders.Luts));
  settings.setValue(QStringLiteral("folders/pictures"), ToQt(folders.Pictures));
  settings.setValue(QStringLiteral("folders/output"), ToQt(folders.Output));
  settings.setValue(QStringLiteral("folders/icc"), ToQt(folders.Icc));
}

void SaveChoice(const QString& key, const QComboBox& box) {
  QSettings().setValue(key, box.currentText());
}

void RestoreChoice(const QString& key, QComboBox& box) {
  const QVariant kept = QSettings().value(key);
  if (!kept.isValid()) return;
  const QString text = kept.toString();
  if (box.isEditable()) {
    box.setEditText(text);
    return;
  }
  const int item = box.findText(text);
  if (item >= 0) box.setCurrentIndex(item);
}

void SaveOutputChoice(const QString& group, const QComboBox& profile, const QComboBox& size,
                      const QComboBox& bits) {
  SaveChoice(group + QStringLiteral("/profile"), profile);
  SaveChoice(group + QStringLiteral("/size"), size);
  SaveChoice(group + QStringLiteral("/bits"), bits);
}

void RestoreOutputChoice(const QString& group, QComboBox& profile, QComboBox& size,
                         QComboBox& bits) {
  RestoreChoice(group + QStringLiteral("/profile"), profile);
  if (size.isEnabled()) RestoreChoice(group + QStringLiteral("/size"), size);
  if (bits.isEnabled()) RestoreChoice(group + QStringLiteral("/bits"), bits);
}

void SaveChecked(const QString& key, const QAbstractButton& button) {
  QSettings().setValue(key, button.isChecked());
}

void RestoreChecked(const QString& key, QAbstractButton& button) {
  const QVariant kept = QSettings().value(key);
  if (kept.isValid()) button.setChecked(kept.toBool());
}

void SaveNumber(const QString& key, double number) {
  QSettings().setValue(key, number);
}

double LoadNumber(const QString& key) {
  return QSettings().value(key, 0.0).toDouble();
}

void SaveState(const QString& key, const QByteArray& state) {
  QSettings().setValue(key, state);
}

QByteArray LoadState(const QString& key) {
  return QSettings().value(key).toByteArray();
}

}  // namespace vorn::ui
