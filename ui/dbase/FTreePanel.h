#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QTreeView>

#include "ui/panels/UTreeOutline.h"

namespace vellomar {

class CatalogueGateway;
class TDirCollection;
class PanelHost;

// The rows of the folder tree over its outline: an index's internal id is the folder's
// position in outline order; texts come from the outline's names, and every folder shares
// the one folder picture.
class TTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

  const TTreeOutline& outline() const { return outline_; }
  // Rebuilds the rows from root (null: the root alone, without a node); an engine failure
  // passes on with the rows read until then.
  void rebuild(TDirCollection* root);
  void clear();
  void setPicture(const QIcon& picture);

  QModelIndex indexAt(int32_t position) const;
  static int32_t positionOf(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  bool hasChildren(const QModelIndex& parent) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  TTreeOutline outline_;
  QIcon picture_;
};

// The middle panel of the database window: the folder tree of the current disk under its root
// "\". Each row stands for one engine folder node; the outline keeps them in outline order
// with a way back from node to position, so a node finds its row at once.
class TTreePanel : public QTreeView {
  Q_OBJECT

 public:
  TTreePanel(PanelHost& form, QWidget* parent);

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

  // Items by their position in outline order; an invalid index outside the outline.
  int itemCount() const { return model_->outline().count(); }
  QModelIndex itemAtIndex(int position) const { return model_->indexAt(position); }
  // The folder node of an item; null for the root of a database without disks.
  TDirCollection* nodeAt(int position) const;
  std::string itemText(int position) const;
  QIcon itemIcon(int position) const;
  TDirCollection* currentNode() const;
  // Position of the selected item in outline order, -1 when none.
  int selectedIndex() const;

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  CatalogueGateway& catalogue() const;
  void clearOutline();
  // Steps 3 to 5 of a rebuild: the root, its subfolders, the expansion.
  void build();
  void OutlineTreeClick(const QModelIndex& index);
  void selectItem(int position);

  PanelHost& form_;
  TTreeModel* model_;
  bool selecting_ = false;
  bool pictures_ = false;
};

}  // namespace vellomar
