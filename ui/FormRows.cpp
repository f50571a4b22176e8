#include "ui/FormRows.h"

#include <QCompleter>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/QtOwned.h"

namespace vorn::ui {

namespace {

constexpr int kBrowseButtonWidth = 36;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = MakeChild<QPushButton>(parent, caption);
  button->setObjectName(name);
  return button;
}

}  // namespace

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name) {
  auto* edit = MakeChild<QLineEdit>(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  return edit;
}

QLineEdit* MakePathEdit(QWidget* parent, const char* name, bool foldersOnly) {
  auto* edit = MakeChild<QLineEdit>(parent);
  edit->setObjectName(name);
  auto* completer = MakeChild<QCompleter>(edit);
  auto* files = MakeChild<QFileSystemModel>(completer);
  files->setFilter(foldersOnly ? QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives
                               : QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Drives);
  files->setRootPath(QString());
  completer->setModel(files);
  edit->setCompleter(completer);
  return edit;
}

QPushButton* MakeBrowseButton(QWidget* parent, const char* name, const QString& hint) {
  QPushButton* button = MakeButton(parent, name, QStringLiteral("..."));
  if (!hint.isEmpty()) button->setToolTip(hint);
  button->setFixedWidth(kBrowseButtonWidth);
  return button;
}

TButtonRow MakeButtonRow(QWidget* parent, int topMargin, const char* defaultName,
                         const QString& defaultCaption, const QString& cancelCaption) {
  TButtonRow row;
  row.Panel = MakeChild<QWidget>(parent);
  auto* layout = MakeChild<QHBoxLayout>(row.Panel);
  layout->setContentsMargins(0, topMargin, 0, 0);
  layout->addStretch(1);
  row.Default = MakeButton(row.Panel, defaultName, defaultCaption);
  row.Default->setDefault(true);
  row.Cancel = MakeButton(row.Panel, "btnCancel", cancelCaption);
  layout->addWidget(row.Default);
  layout->addWidget(row.Cancel);
  return row;
}

QLabel* TFormRows::AddCaption(const QString& text, QWidget* buddy) {
  auto* label = MakeChild<QLabel>(&Owner_, text);
  label->setBuddy(buddy);
  AddWide(label);
  return label;
}

void TFormRows::AddWide(QWidget* control) {
  Grid_.addWidget(control, Row_++, 0, 1, 2);
}

void TFormRows::AddWithButton(QWidget* control, QPushButton* button) {
  Grid_.addWidget(control, Row_, 0);
  Grid_.addWidget(button, Row_++, 1);
}

QLabel* TFormRows::AddCaptioned(const QString& caption, QWidget* control) {
  QLabel* label = AddCaption(caption, control);
  AddWide(control);
  return label;
}

QLabel* TFormRows::AddCaptionedWithButton(const QString& caption, QWidget* control,
                                          QPushButton* button) {
  QLabel* label = AddCaption(caption, control);
  AddWithButton(control, button);
  return label;
}

void TFormRows::AddStretch() {
  Grid_.setRowStretch(Row_++, 1);
}

}  // namespace vorn::ui
