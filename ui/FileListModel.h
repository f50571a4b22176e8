#pragma once
// The rows of the main window's file list: file name, format and folder, a check box,
// and for recognised files the per-file record. Rows of unknown format have no record
// and refuse to be checked.

#include <QAbstractTableModel>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/LUTFormat.h"

namespace vorn::ui {

struct TLutFileInfo {
  std::int32_t InputBits = -1;  // -1 = what the file or the format implies
  std::int32_t FormatIndex = -1;
};

struct TFileRow {
  std::string FileName;
  std::string FormatName;  // "unknown" when no format claims the file
  std::string Folder;      // without a trailing separator
  // The folder below a dropped folder that holds the file ("" for a file added by itself
  // and at a dropped folder's top): where "Keep the folder tree" writes it.
  std::string Subfolder;
  bool Checked = false;
  std::optional<TLutFileInfo> Info;
  // For one LUT of a file that holds several (a correction of an ASC CDL collection): the
  // one this row previews and converts, and its tag (MemberFileTags), shown after the file
  // name and carried by the output name as `vorn-lut convert --cdl all` carries it.
  TLutMemberChoice Member;
  std::string MemberTag;

  std::string FullPath() const { return Folder + "/" + FileName; }
};

// A row for path with the format detected as formatIndex (-1 = unknown); recognised rows
// start checked.
TFileRow MakeFileRow(const std::string& path, int formatIndex);
// The rows of path: one per LUT of a file that holds several, else MakeFileRow's one (also
// for a file whose LUTs cannot be listed: its load then fails in turn).
std::vector<TFileRow> MakeFileRows(const std::string& path, int formatIndex);

class TFileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum TColumn { colFileName = 0, colFormat = 1, colFolder = 2, ColumnCount = 3 };

  explicit TFileListModel(QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  int Count() const { return static_cast<int>(Rows_.size()); }
  const TFileRow& Row(int row) const { return Rows_.at(static_cast<std::size_t>(row)); }
  bool AnyChecked() const;

  void Append(std::vector<TFileRow> rows);
  void Remove(int row);
  void Clear();

  // Checking a row without a record is refused: it stays unchecked and CheckRefused
  // follows. Answers whether the row is checked afterwards.
  bool SetChecked(int row, bool checked);
  void CheckAll();  // every row with a record
  void UncheckAll();
  void SetInputBits(int row, int bits);

 signals:
  // A row was added, removed, checked or unchecked.
  void RowsChanged();
  void CheckRefused(int row);

 private:
  void CheckedChanged(int first, int last);
  std::vector<TFileRow> Rows_;
};

}  // namespace vorn::ui
