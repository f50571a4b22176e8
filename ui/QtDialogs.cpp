#include "ui/QtDialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/DialogFilters.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

// Qt's name filters from a "Name|patterns|..." list, each name in the user's language.
QString NameFilters(const std::string& filter) {
  QStringList types = ToQt(QtFilterFromList(filter)).split(QStringLiteral(";;"));
  for (QString& type : types) {
    const qsizetype patterns = type.lastIndexOf(QStringLiteral(" ("));
    if (patterns <= 0) continue;
    type = Translated(type.left(patterns).toUtf8().constData()) + type.mid(patterns);
  }
  return types.join(QStringLiteral(";;"));
}

QString Caption() {
  return Translated("Vorn LUT Converter");
}

}  // namespace

std::vector<std::string> TQtDialogs::OpenFiles(QWidget* parent, const std::string& startFolder,
                                               const std::string& filter) {
  const QStringList names = QFileDialog::getOpenFileNames(parent, Translated("Add LUTs"),
                                                          ToQt(startFolder), NameFilters(filter));
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(names.size()));
  for (const QString& name : names) paths.push_back(FromQt(name));
  return paths;
}

std::string TQtDialogs::OpenPicture(QWidget* parent, const std::string& startFolder,
                                    const std::string& filter) {
  return FromQt(QFileDialog::getOpenFileName(parent, Translated("Load a preview image"),
                                             ToQt(startFolder), NameFilters(filter)));
}

std::string TQtDialogs::OpenFile(QWidget* parent, const std::string& title,
                                 const std::string& startFolder, const std::string& filter) {
  return FromQt(
      QFileDialog::getOpenFileName(parent, ToQt(title), ToQt(startFolder), NameFilters(filter)));
}

std::string TQtDialogs::SaveFile(QWidget* parent, const std::string& title,
                                 const std::string& startFolder,
                                 const std::string& defaultExtension, const std::string& filter) {
  QFileDialog dialog(parent, ToQt(title), ToQt(startFolder), NameFilters(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(ToQt(defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return FromQt(dialog.selectedFiles().first());
}

std::string TQtDialogs::SelectFolder(QWidget* parent, const std::string& title,
                                     const std::string& startFolder) {
  return FromQt(QFileDialog::getExistingDirectory(parent, ToQt(title), ToQt(startFolder)));
}

TSaveAnswer TQtDialogs::SaveFileOfType(QWidget* parent, const std::string& title,
                                       const std::string& startFolder, const std::string& fileName,
                                       const std::string& filter, int filterIndex) {
  QFileDialog dialog(parent, ToQt(title), ToQt(startFolder));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The caller asks about replacing once it has added the type's extension.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const QStringList types = NameFilters(filter).split(QStringLiteral(";;"));
  dialog.setNameFilters(types);
  if (filterIndex >= 0 && filterIndex < types.size()) dialog.selectNameFilter(types[filterIndex]);
  dialog.selectFile(ToQt(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return {"", filterIndex};
  }
  const int chosen = static_cast<int>(types.indexOf(dialog.selectedNameFilter()));
  return {FromQt(dialog.selectedFiles().first()), chosen < 0 ? filterIndex : chosen};
}

void TQtDialogs::Information(QWidget* parent, const std::string& text) {
  QMessageBox::information(parent, Caption(), ToQt(text), QMessageBox::Ok);
}

void TQtDialogs::Warning(QWidget* parent, const std::string& text) {
  QMessageBox::warning(parent, Caption(), ToQt(text), QMessageBox::Ok);
}

bool TQtDialogs::YesNo(QWidget* parent, const std::string& text) {
  return QMessageBox::question(parent, Caption(), ToQt(text), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

TAnswer TQtDialogs::YesNoCancel(QWidget* parent, const std::string& text) {
  switch (QMessageBox::question(parent, Caption(), ToQt(text),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::No:
      return TAnswer::No;
    default:
      return TAnswer::Cancel;
  }
}

TAnswer TQtDialogs::YesNoCancelToAll(QWidget* parent, const std::string& text) {
  switch (QMessageBox::question(parent, Caption(), ToQt(text),
                                QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                    QMessageBox::NoToAll | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return TAnswer::Yes;
    case QMessageBox::YesToAll:
      return TAnswer::YesToAll;
    case QMessageBox::No:
      return TAnswer::No;
    case QMessageBox::NoToAll:
      return TAnswer::NoToAll;
    default:
      return TAnswer::Cancel;
  }
}

void TQtDialogs::ShowError(QWidget* parent, const std::string& text) {
  QMessageBox::critical(parent, Caption(), ToQt(text), QMessageBox::Ok);
}

bool TQtDialogs::ExecModal(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vorn::ui
