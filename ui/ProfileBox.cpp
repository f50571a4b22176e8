#include "ui/ProfileBox.h"

#include <QKeyEvent>
#include <QListView>
#include <QStandardItemModel>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "core/VornLut.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

constexpr int kVisibleProfiles = 20;

bool WritesGrid(const TLutOutputProfile& profile) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  return format != nullptr && format->Is3D;
}

QString LabelOf(const TLutOutputProfile& profile) {
  return ToQt(profile.Name) + QStringLiteral(" (.") + ToQt(profile.Extension) + u')';
}

// Paints an entry's label instead of its text.
class TLabelDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant label = index.data(kProfileLabelRole);
    if (label.isValid()) option->text = label.toString();
  }
};

bool IsWordStart(const QString& text, qsizetype at) {
  return at == 0 || !text[at - 1].isLetterOrNumber();
}

bool BeginsAWord(const QString& label, const QString& word) {
  for (qsizetype at = label.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
       at = label.indexOf(word, at + 1, Qt::CaseInsensitive)) {
    if (IsWordStart(label, at)) return true;
  }
  return false;
}

}  // namespace

bool MatchesProfileFilter(const QString& label, const QString& filter) {
  const QStringList words = filter.split(u' ', Qt::SkipEmptyParts);
  return std::all_of(words.begin(), words.end(),
                     [&](const QString& word) { return BeginsAWord(label, word); });
}

TProfileBox::TProfileBox(bool gridsOnly, QWidget* parent) : QComboBox(parent) {
  setObjectName("cbxOutFormat");
  setMaxVisibleItems(kVisibleProfiles);
  setItemDelegate(MakeChild<TLabelDelegate>(this));
  // Lists of grids only have a single group: no header.
  AddGroup(tr("3D LUTs"), true, !gridsOnly);
  if (!gridsOnly) AddGroup(tr("1D LUTs"), false, true);
  setCurrentIndex(-1);
}

void TProfileBox::AddGroup(const QString& header, bool grids, bool withHeader) {
  auto& items = static_cast<QStandardItemModel&>(*model());
  if (withHeader) {
    addItem(header, kHeaderItemData);
    QStandardItem& item = *items.item(count() - 1);
    item.setFlags(Qt::NoItemFlags);
    QFont bold = font();
    bold.setBold(true);
    item.setFont(bold);
  }
  for (int i = 0; i < static_cast<int>(OutputProfiles().size()); ++i) {
    const TLutOutputProfile& profile = GetOutputProfile(i);
    if (WritesGrid(profile) != grids) continue;
    addItem(ToQt(profile.Name), i);
    setItemData(count() - 1, LabelOf(profile), kProfileLabelRole);
  }
}

bool TProfileBox::IsListed(int item) const {
  if (item < 0 || item >= count() || itemData(item).toInt() == kHeaderItemData) return false;
  return MatchesProfileFilter(itemData(item, kProfileLabelRole).toString(), Filter_);
}

void TProfileBox::SetFilter(const QString& filter) {
  Filter_ = filter;
  auto& list = static_cast<QListView&>(*view());
  int firstListed = -1;
  for (int item = 0; item < count(); ++item) {
    const bool listed = IsListed(item);
    if (listed && firstListed < 0) firstListed = item;
    list.setRowHidden(item, !listed && itemData(item).toInt() != kHeaderItemData);
  }
  // A header stays while one of its group is listed.
  for (int item = 0; item < count(); ++item) {
    if (itemData(item).toInt() != kHeaderItemData) continue;
    int next = item + 1;
    while (next < count() && itemData(next).toInt() != kHeaderItemData && !IsListed(next)) ++next;
    list.setRowHidden(item, next >= count() || itemData(next).toInt() == kHeaderItemData);
  }
  if (!IsListed(currentIndex()) && firstListed >= 0) setCurrentIndex(firstListed);
  update();
}

void TProfileBox::Step(int direction) {
  for (int item = currentIndex() + direction; item >= 0 && item < count(); item += direction) {
    if (IsListed(item)) {
      setCurrentIndex(item);
      return;
    }
  }
}

void TProfileBox::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool modified = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    Step(event->key() == Qt::Key_Up ? -1 : 1);
  } else if (event->key() == Qt::Key_Backspace && !Filter_.isEmpty()) {
    SetFilter(Filter_.chopped(1));
  } else if (event->key() == Qt::Key_Escape && !Filter_.isEmpty()) {
    SetFilter({});
  } else if (!modified && !text.isEmpty() && text[0].isPrint()) {
    SetFilter(Filter_ + text);
  } else {
    QComboBox::keyPressEvent(event);
    return;
  }
  event->accept();
}

void TProfileBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QVariant label = currentData(kProfileLabelRole);
  if (label.isValid()) option.currentText = label.toString();
  if (!Filter_.isEmpty()) option.currentText = tr("[%1] %2").arg(Filter_, option.currentText);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace vorn::ui
