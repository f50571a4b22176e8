#include "ui/FileListModel.h"

#include <algorithm>

#include "core/MemberTags.h"
#include "core/VornLut.h"
#include "platform/Files.h"
#include "ui/QtText.h"

namespace vorn::ui {

TFileRow MakeFileRow(const std::string& path, int formatIndex) {
  TFileRow row;
  row.FileName = ExtractFileName(path);
  row.Folder = ExtractFileDir(path);
  const TLUTFormat* format = GetFormat(formatIndex);
  if (format == nullptr) {
    row.FormatName = "unknown";
    return row;
  }
  row.FormatName = format->Name;
  row.Info = TLutFileInfo{-1, formatIndex};
  row.Checked = true;
  return row;
}

std::vector<TFileRow> MakeFileRows(const std::string& path, int formatIndex) {
  std::vector<TFileRow> rows{MakeFileRow(path, formatIndex)};
  if (!rows.front().Info) return rows;
  std::vector<TLutMember> members;
  try {
    members = ListLutMembers(path);
  } catch (const Exception&) {
  }
  if (members.size() < 2) return rows;
  const std::vector<std::string> tags = MemberFileTags(members);
  const TFileRow whole = rows.front();
  rows.clear();
  for (std::size_t i = 0; i < members.size(); ++i) {
    rows.push_back(whole);
    rows.back().Member = {{}, members[i].Index};
    rows.back().MemberTag = tags[i];
  }
  return rows;
}

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const TFileRow& row = Row(index.row());
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case colFileName:
        return ToQt(row.MemberTag.empty() ? row.FileName
                                          : row.FileName + " [" + row.MemberTag + "]");
      case colFormat:
        return ToQt(row.FormatName);
      case colFolder:
        return ToQt(row.Folder);
      default:
        return {};
    }
  }
  if (role == Qt::CheckStateRole && index.column() == colFileName) {
    return row.Checked ? Qt::Checked : Qt::Unchecked;
  }
  return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case colFileName:
      return tr("File Name");
    case colFormat:
      return tr("Format");
    case colFolder:
      return tr("Folder");
    default:
      return {};
  }
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == colFileName) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != colFileName) {
    return false;
  }
  const bool wanted = value.toInt() == Qt::Checked;
  return SetChecked(index.row(), wanted) == wanted;
}

bool TFileListModel::AnyChecked() const {
  return std::any_of(Rows_.begin(), Rows_.end(), [](const TFileRow& row) { return row.Checked; });
}

void TFileListModel::Append(std::vector<TFileRow> rows) {
  if (rows.empty()) return;
  const int first = Count();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  Rows_.insert(Rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  endInsertRows();
  emit RowsChanged();
}

void TFileListModel::Remove(int row) {
  if (row < 0 || row >= Count()) return;
  SetChecked(row, false);
  beginRemoveRows({}, row, row);
  Rows_.erase(Rows_.begin() + row);
  endRemoveRows();
  emit RowsChanged();
}

void TFileListModel::Clear() {
  beginResetModel();
  Rows_.clear();
  endResetModel();
  emit RowsChanged();
}

bool TFileListModel::SetChecked(int row, bool checked) {
  if (row < 0 || row >= Count()) return false;
  TFileRow& target = Rows_[static_cast<std::size_t>(row)];
  if (checked && !target.Info) {
    emit CheckRefused(row);
    return false;
  }
  if (target.Checked != checked) {
    target.Checked = checked;
    CheckedChanged(row, row);
  }
  return target.Checked;
}

void TFileListModel::CheckAll() {
  for (TFileRow& row : Rows_) row.Checked = row.Info.has_value();
  CheckedChanged(0, Count() - 1);
}

void TFileListModel::UncheckAll() {
  for (TFileRow& row : Rows_) row.Checked = false;
  CheckedChanged(0, Count() - 1);
}

void TFileListModel::SetInputBits(int row, int bits) {
  if (row < 0 || row >= Count()) return;
  std::optional<TLutFileInfo>& info = Rows_[static_cast<std::size_t>(row)].Info;
  if (info) info->InputBits = bits;
}

void TFileListModel::CheckedChanged(int first, int last) {
  if (first <= last) {
    emit dataChanged(index(first, colFileName), index(last, colFileName), {Qt::CheckStateRole});
  }
  emit RowsChanged();
}

}  // namespace vorn::ui
