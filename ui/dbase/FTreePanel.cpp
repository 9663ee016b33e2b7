#include "ui/dbase/FTreePanel.h"

#include <QHeaderView>
#include <QStyle>

#include "engine/api/UApi.h"
#include "foundation/UExceptions.h"
#include "ui/dbase/UPanelHost.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

void TTreeModel::rebuild(TDirCollection* root) {
  beginResetModel();
  try {
    outline_.build(root);
  } catch (...) {
    endResetModel();
    throw;
  }
  endResetModel();
}

void TTreeModel::clear() {
  beginResetModel();
  outline_.clear();
  endResetModel();
}

void TTreeModel::setPicture(const QIcon& picture) {
  picture_ = picture;
}

QModelIndex TTreeModel::indexAt(int32_t position) const {
  if (position < 0 || position >= outline_.count()) return {};
  return createIndex(outline_.rowInParent(position), 0, static_cast<quintptr>(position));
}

int32_t TTreeModel::positionOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<int32_t>(index.internalId()) : -1;
}

QModelIndex TTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0) return {};
  if (!parent.isValid()) return row == 0 ? indexAt(0) : QModelIndex();
  return indexAt(outline_.child(positionOf(parent), row));
}

QModelIndex TTreeModel::parent(const QModelIndex& child) const {
  const int32_t position = positionOf(child);
  return position > 0 ? indexAt(outline_.parent(position)) : QModelIndex();
}

int TTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return outline_.count() > 0 ? 1 : 0;
  return parent.column() == 0 ? outline_.childCount(positionOf(parent)) : 0;
}

int TTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

bool TTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

Qt::ItemFlags TTreeModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags flags = QAbstractItemModel::flags(index);
  const int32_t position = positionOf(index);
  // The view then neither looks up nor marks a folder without folders as expanded. The root
  // stays open even without folders.
  return position > 0 && outline_.childCount(position) == 0 ? flags | Qt::ItemNeverHasChildren
                                                            : flags;
}

QVariant TTreeModel::data(const QModelIndex& index, int role) const {
  const int32_t position = positionOf(index);
  if (position < 0) return {};
  if (role == Qt::DisplayRole) return qtText(outline_.text(position));
  if (role == Qt::DecorationRole && !picture_.isNull()) return picture_;
  return {};
}

TTreePanel::TTreePanel(PanelHost& form, QWidget* parent)
    : QTreeView(parent), form_(form), model_(new TTreeModel(this)) {
  setModel(model_);
  header()->hide();
  // The column is as wide as its widest folder, so deep folders scroll into view.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setExpandsOnDoubleClick(true);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { OutlineTreeClick(index); });
}

CatalogueGateway& TTreePanel::catalogue() const {
  return form_.catalogue();
}

TDirCollection* TTreePanel::nodeAt(int position) const {
  return position >= 0 && position < itemCount() ? model_->outline().node(position) : nullptr;
}

std::string TTreePanel::itemText(int position) const {
  return position >= 0 && position < itemCount() ? std::string(model_->outline().text(position))
                                                 : std::string();
}

QIcon TTreePanel::itemIcon(int position) const {
  return model_->data(itemAtIndex(position), Qt::DecorationRole).value<QIcon>();
}

TDirCollection* TTreePanel::currentNode() const {
  return nodeAt(selectedIndex());
}

int TTreePanel::selectedIndex() const {
  return TTreeModel::positionOf(currentIndex());
}

void TTreePanel::clearOutline() {
  const QSignalBlocker block(selectionModel());
  model_->clear();
}

void TTreePanel::build() {
  {
    const QSignalBlocker block(selectionModel());
    // An outline that cannot be completed shows what it has.
    try {
      model_->rebuild(catalogue().rootFolder());
    } catch (const EKstvException& e) {
      ShowErrorBox(e.what());
    }
  }
  if (form_.options().ExpandTree) {
    ExpandAll();
  } else {
    expand(itemAtIndex(0));
  }
}

void TTreePanel::ReloadTree(int32_t diskRow) {
  if (form_.scanRunning()) return;
  if (catalogue().keyCount() == 0) {
    const QSignalBlocker block(selectionModel());
    model_->rebuild(nullptr);
    form_.UpdatePanelHeaders();
    return;
  }
  catalogue().goToDisk(diskRow);
  if (!form_.options().ShowTree) return;
  build();
  form_.UpdatePanelHeaders();
}

void TTreePanel::RebuildTree(bool keepSelection) {
  if (form_.closing() || form_.scanRunning() || form_.IsDBaseEmpty() || !form_.options().ShowTree) {
    return;
  }
  const int selected = selectedIndex();
  build();
  // The remembered position may lie beyond a tree that has fewer folders now.
  if (keepSelection && selected > 0 && selected < itemCount()) selectItem(selected);
}

void TTreePanel::selectItem(int position) {
  const TTreeOutline& outline = model_->outline();
  // From the root down, so each item is laid out under an expanded parent.
  std::vector<int32_t> way;
  for (int32_t up = outline.parent(position); up >= 0; up = outline.parent(up)) way.push_back(up);
  for (auto up = way.rbegin(); up != way.rend(); ++up) expand(itemAtIndex(*up));
  const QModelIndex item = itemAtIndex(position);
  expand(item);
  selecting_ = true;
  setCurrentIndex(item);
  selecting_ = false;
  scrollTo(item);
}

void TTreePanel::SelectTreeFolder(TDirCollection* node) {
  if (!form_.options().ShowTree) return;
  const int current = selectedIndex();
  if (current > 0) collapse(itemAtIndex(current));
  const int32_t found = model_->outline().find(node);
  if (found < 0) return;
  selectItem(found);
}

void TTreePanel::OutlineTreeClick(const QModelIndex& index) {
  if (selecting_ || !form_.options().ShowTree || !index.isValid()) return;
  TDirCollection* node = nodeAt(TTreeModel::positionOf(index));
  if (node == nullptr) return;
  form_.Guarded([&] {
    catalogue().setCurrentFolder(node);
    catalogue().updateFileList();
    form_.UpdatePanelHeaders();
  });
}

void TTreePanel::Arrange() {
  const bool show = form_.options().ShowTree;
  if (!show && !isHidden()) {
    clearOutline();
  } else if (show && isHidden()) {
    form_.Guarded([&] {
      RebuildTree(false);
      if (!form_.IsDBaseEmpty()) SelectTreeFolder(catalogue().currentFolder());
      catalogue().clearFilesChanged();
      RebuildTree(true);
    });
  }
}

void TTreePanel::focusInEvent(QFocusEvent* event) {
  QTreeView::focusInEvent(event);
  form_.ChangePanel(PanelHost::kPanelTree);
}

void TTreePanel::CollapseAll() {
  collapseAll();
  expand(itemAtIndex(0));
}

void TTreePanel::SetPictures(bool pictures) {
  if (pictures == pictures_) return;
  pictures_ = pictures;
  model_->setPicture(pictures ? style()->standardIcon(QStyle::SP_DirIcon) : QIcon());
  // Rows may change their height with the picture.
  scheduleDelayedItemsLayout();
  viewport()->update();
}

void TTreePanel::ExpandAll() {
  // One pass that lays the rows out as it marks them; folders without folders are never
  // marked, as the model says they never have children.
  expandAll();
}

}  // namespace vellomar
