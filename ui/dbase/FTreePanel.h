#pragma once

#include <QTreeWidget>
#include <unordered_map>
#include <vector>

namespace vellomar {

class TDBase;
class TDirCollection;
class TFormDBase;

// The middle panel of the database window: the folder tree of the current disk under its root
// "\". Each item keeps the engine's folder node; the nodes are also kept in outline order, with
// a map back from node to position, so a node finds its item at once.
class TTreePanel : public QTreeWidget {
  Q_OBJECT

 public:
  TTreePanel(TFormDBase& form, QWidget* parent);

  // Loads the disk of the current disk row and rebuilds the outline.
  void ReloadTree(int32_t diskRow);
  // Rebuilds the outline of the loaded disk, optionally selecting the item selected before.
  void RebuildTree(bool keepSelection);
  // Selects the item of a folder node, expanding its ancestors; the item selected before is
  // collapsed first when it is not the root.
  void SelectTreeFolder(TDirCollection* node);
  // Shows or hides the tree as the window's options say.
  void Arrange();
  void CollapseAll();
  void ExpandAll();
  // With pictures every folder shows a folder picture beside its text (tree fonts above
  // 8 points); without, lines and text only.
  void SetPictures(bool pictures);
  bool pictures() const { return pictures_; }

  // The folder node of an item; null for the root of a database without disks.
  static TDirCollection* nodeOf(const QTreeWidgetItem* item);
  // Position of the selected item in outline order, -1 when none.
  int selectedIndex() const;
  int itemCount() const { return static_cast<int>(items_.size()); }
  QTreeWidgetItem* itemAtIndex(int index) const;

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  TDBase* db() const;
  void clearOutline();
  QTreeWidgetItem* addItem(QTreeWidgetItem* parent, const QString& text, TDirCollection* node);
  void addSubfolders(TDirCollection* node, QTreeWidgetItem* parent);
  // Steps 3 to 5 of a rebuild: the root, its subfolders, the expansion.
  void build();
  void OutlineTreeClick(QTreeWidgetItem* item);
  void selectItem(QTreeWidgetItem* item);

  TFormDBase& form_;
  std::vector<TDirCollection*> nodes_;
  std::vector<QTreeWidgetItem*> items_;
  std::unordered_map<const TDirCollection*, int> positions_;
  bool selecting_ = false;
  bool pictures_ = false;
};

}  // namespace vellomar
