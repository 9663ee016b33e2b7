#include "ui/dbase/FTreePanel.h"

#include <QHeaderView>
#include <QStyle>

#include "engine/UApi.h"
#include "foundation/UExceptions.h"
#include "ui/dbase/FDBase.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

constexpr int kNodeRole = Qt::UserRole;

}  // namespace

TTreePanel::TTreePanel(TFormDBase& form, QWidget* parent) : QTreeWidget(parent), form_(form) {
  setColumnCount(1);
  header()->hide();
  // The column is as wide as its widest folder, so deep folders scroll into view.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setExpandsOnDoubleClick(true);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { OutlineTreeClick(item); });
}

TDBase* TTreePanel::db() const {
  return form_.GetDBaseHandle();
}

TDirCollection* TTreePanel::nodeOf(const QTreeWidgetItem* item) {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<TDirCollection*>(item->data(0, kNodeRole).value<quintptr>());
}

QTreeWidgetItem* TTreePanel::itemAtIndex(int index) const {
  return index >= 0 && index < itemCount() ? items_[static_cast<size_t>(index)] : nullptr;
}

int TTreePanel::selectedIndex() const {
  const TDirCollection* node = nodeOf(currentItem());
  if (currentItem() == nullptr) return -1;
  if (node == nullptr) return currentItem() == itemAtIndex(0) ? 0 : -1;
  const auto found = positions_.find(node);
  return found == positions_.end() ? -1 : found->second;
}

void TTreePanel::clearOutline() {
  const QSignalBlocker block(this);
  clear();
  nodes_.clear();
  items_.clear();
  positions_.clear();
}

QTreeWidgetItem* TTreePanel::addItem(QTreeWidgetItem* parent, const QString& text,
                                     TDirCollection* node) {
  auto* item = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
  item->setText(0, text);
  if (pictures_) item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  positions_.emplace(node, static_cast<int>(nodes_.size()));
  nodes_.push_back(node);
  items_.push_back(item);
  return item;
}

void TTreePanel::addSubfolders(TDirCollection* node, QTreeWidgetItem* parent) {
  const int32_t n = ApiDirColCount(node);
  for (int32_t i = 0; i < n; ++i) {
    TDirCollection* sub = ApiDirColAt(node, i);
    TOneDir record;
    if (!ApiDirColCheck(sub, record)) continue;
    QTreeWidgetItem* item =
        addItem(parent, qtText(record.Name.str() + std::string(record.Data.Ext.view())), sub);
    addSubfolders(sub, item);
  }
}

void TTreePanel::build() {
  clearOutline();
  const QSignalBlocker block(this);
  QTreeWidgetItem* root = addItem(nullptr, "\\", ApiGetRootDirCol(db()));
  // An outline that cannot be completed shows what it has.
  try {
    addSubfolders(nodes_.front(), root);
  } catch (const EKstvException& e) {
    ShowErrorBox(e.what());
  }
  setUpdatesEnabled(false);
  if (form_.options().ExpandTree) {
    expandAll();
  } else {
    root->setExpanded(true);
  }
  setUpdatesEnabled(true);
}

void TTreePanel::ReloadTree(int32_t diskRow) {
  if (form_.scanRunning()) return;
  if (ApiGetKeyCount(db()) == 0) {
    clearOutline();
    const QSignalBlocker block(this);
    addItem(nullptr, "\\", nullptr);
    form_.UpdatePanelHeaders();
    return;
  }
  ApiGoToDisk(db(), diskRow);
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
  if (keepSelection && selected > 0 && selected < itemCount()) selectItem(itemAtIndex(selected));
}

void TTreePanel::selectItem(QTreeWidgetItem* item) {
  for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) {
    up->setExpanded(true);
  }
  item->setExpanded(true);
  const QSignalBlocker block(this);
  setCurrentItem(item);
  scrollToItem(item);
}

void TTreePanel::SelectTreeFolder(TDirCollection* node) {
  if (!form_.options().ShowTree) return;
  QTreeWidgetItem* current = currentItem();
  if (current != nullptr && current->parent() != nullptr) current->setExpanded(false);
  const auto found = positions_.find(node);
  if (found == positions_.end()) return;
  selectItem(itemAtIndex(found->second));
}

void TTreePanel::OutlineTreeClick(QTreeWidgetItem* item) {
  if (!form_.options().ShowTree || item == nullptr) return;
  TDirCollection* node = nodeOf(item);
  if (node == nullptr) return;
  form_.Guarded([&] {
    ApiSetCurrentDirCol(db(), node);
    ApiUpdateFileCol(db());
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
      if (!form_.IsDBaseEmpty()) SelectTreeFolder(ApiGetCurrentDirCol(db()));
      ApiClearFilesChanged(db());
      RebuildTree(true);
    });
  }
}

void TTreePanel::focusInEvent(QFocusEvent* event) {
  QTreeWidget::focusInEvent(event);
  form_.ChangePanel(TFormDBase::kPanelTree);
}

void TTreePanel::CollapseAll() {
  setUpdatesEnabled(false);
  collapseAll();
  if (QTreeWidgetItem* first = itemAtIndex(0)) first->setExpanded(true);
  setUpdatesEnabled(true);
}

void TTreePanel::SetPictures(bool pictures) {
  if (pictures == pictures_) return;
  pictures_ = pictures;
  const QIcon icon = pictures ? style()->standardIcon(QStyle::SP_DirIcon) : QIcon();
  for (QTreeWidgetItem* item : items_) item->setIcon(0, icon);
}

void TTreePanel::ExpandAll() {
  setUpdatesEnabled(false);
  expandAll();
  setUpdatesEnabled(true);
}

}  // namespace vellomar
