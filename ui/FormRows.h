#pragma once
// Pieces the dialogs build their forms from: a read-only path edit with its "..." button,
// the row of buttons at the foot, and rows of a two-column grid with a caption above each
// control.

#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vorn::ui {

// A read-only edit for a path chosen through its "..." button.
QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name);

// An edit for a path the user may type or paste, completing the names of folders (only
// folders when foldersOnly) as they are typed; a "..." button picks the path as well.
QLineEdit* MakePathEdit(QWidget* parent, const char* name, bool foldersOnly);

// The "..." button beside such an edit; hint is its tooltip (none when empty).
QPushButton* MakeBrowseButton(QWidget* parent, const char* name, const QString& hint = {});

// The buttons at the foot of a dialog, right-aligned in a panel of their own: the default
// button, then "btnCancel".
struct TButtonRow {
  QWidget* Panel = nullptr;
  QPushButton* Default = nullptr;
  QPushButton* Cancel = nullptr;
};
TButtonRow MakeButtonRow(QWidget* parent, int topMargin, const char* defaultName,
                         const QString& defaultCaption, const QString& cancelCaption);

// Fills a two-column grid from the top, a row at a time: a caption stands above its
// control, which spans both columns or leaves the second to its button.
class TFormRows {
 public:
  TFormRows(QWidget& owner, QGridLayout& grid) : Owner_(owner), Grid_(grid) {}

  QWidget& Owner() const { return Owner_; }

  // A caption across both columns whose shortcut moves to buddy.
  QLabel* AddCaption(const QString& text, QWidget* buddy);
  // A control across both columns.
  void AddWide(QWidget* control);
  // A control in the first column and its button in the second.
  void AddWithButton(QWidget* control, QPushButton* button);
  // The caption, then the control across both columns.
  QLabel* AddCaptioned(const QString& caption, QWidget* control);
  // The caption, then the control with its button.
  QLabel* AddCaptionedWithButton(const QString& caption, QWidget* control, QPushButton* button);
  // An empty row that takes the height to spare.
  void AddStretch();

 private:
  QWidget& Owner_;
  QGridLayout& Grid_;
  int Row_ = 0;
};

}  // namespace vorn::ui
