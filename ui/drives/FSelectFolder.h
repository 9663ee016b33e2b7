#pragma once

#include <QDialog>
#include <string>

#include "platform/PDrives.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace vellomar {

class IniFile;

// "Select folder": browses the drives from C: on and their folders, filled one level ahead of
// what is shown so that every node tells whether it has subfolders. Each node keeps the
// folder's real name beside its shown text. The tree is filled at the first showing and kept.
class TFormSelectFolder : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSelectFolder(QWidget* parent = nullptr,
                             const DriveTable& drives = processDriveTable());

  // Bounds from the program's INI file ([SelectFolderWindow]); written back at the end of the run.
  void LoadWindowPos(const IniFile& ini);

  QTreeWidget* DirTreeView = nullptr;
  // The folder of the node last chosen, expanded or collapsed; a drive gives its root ("C:\").
  std::string SelectedPath;

  // The path that children's paths are made of: "C:" for a drive, "C:\Data" for a folder.
  static std::string NodePath(const QTreeWidgetItem* node);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fillDrives();
  void fillChildren(QTreeWidgetItem* node);
  void nodeExpanded(QTreeWidgetItem* node);
  void nodeCollapsed(QTreeWidgetItem* node);
  void select(const QTreeWidgetItem* node);

  const DriveTable& drives_;
};

}  // namespace vellomar
