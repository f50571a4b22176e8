#pragma once
// The output profile list: the profiles that write a 3D grid, then those that write 1D
// tables, each group under a header that cannot be chosen, in the registry's order within a
// group. Each entry shows the profile's extension, "Cube 3D Davinci (.cube)", while its text
// stays the profile's name (what the settings keep) and its data the profile's number.
// Typing while the box has the focus filters the list: an entry stays when every typed word
// begins a word of its name or its extension, in any case; Backspace takes back a letter,
// Escape clears the filter.

#include <QComboBox>
#include <QString>

namespace vorn::ui {

// The role of an entry's shown text, "Name (.ext)"; a header shows its text.
inline constexpr int kProfileLabelRole = Qt::UserRole + 1;
// The data of a header entry.
inline constexpr int kHeaderItemData = -1;

// True when every word of filter begins a word of label (case-blind); an empty filter keeps
// every label.
bool MatchesProfileFilter(const QString& label, const QString& filter);

class TProfileBox : public QComboBox {
  Q_OBJECT

 public:
  TProfileBox(bool gridsOnly, QWidget* parent);

  // The typed filter, empty when every profile is listed.
  const QString& Filter() const { return Filter_; }
  void SetFilter(const QString& filter);
  // True for an entry that names a profile and passes the filter.
  bool IsListed(int item) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void AddGroup(const QString& header, bool grids, bool withHeader);
  void Step(int direction);

  QString Filter_;
};

}  // namespace vorn::ui
