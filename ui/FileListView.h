#pragma once
// The report-style view of the file list. Files and folders dropped onto it are passed
// on as local paths.

#include <QTreeView>
#include <string>
#include <vector>

namespace vorn::ui {

class TFileListView : public QTreeView {
  Q_OBJECT
 public:
  explicit TFileListView(QWidget* parent);

 signals:
  void PathsDropped(const std::vector<std::string>& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace vorn::ui
