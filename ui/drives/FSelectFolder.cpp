#include "ui/drives/FSelectFolder.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/common/UWindowPlacement.h"
#include "ui/drives/UFolderTree.h"
#include "ui/grid/UQtText.h"

namespace vellomar {
namespace {

constexpr const char* kSection = "SelectFolderWindow";
constexpr QSize kDesignSize(261, 333);
constexpr int kHourglassAfterMs = 1000;
constexpr int kNameRole = Qt::UserRole;

QTreeWidgetItem* nodeOf(const FolderNode& folder) {
  auto* node = new QTreeWidgetItem(QStringList(qtText(folder.text)));
  // The bytes as on disk: a name that is no valid UTF-8 must still lead to its folder.
  node->setData(0, kNameRole, QByteArray::fromStdString(folder.name));
  return node;
}

}  // namespace

TFormSelectFolder::TFormSelectFolder(QWidget* parent, const DriveTable& drives)
    : QDialog(parent), drives_(drives) {
  setObjectName(QStringLiteral("FormSelectFolder"));
  setWindowTitle(QStringLiteral("Select folder"));
  auto* layout = new QVBoxLayout(this);
  DirTreeView = new QTreeWidget(this);
  DirTreeView->setHeaderHidden(true);
  DirTreeView->setIndentation(19);
  layout->addWidget(DirTreeView, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(DirTreeView, &QTreeWidget::itemExpanded, this, &TFormSelectFolder::nodeExpanded);
  connect(DirTreeView, &QTreeWidget::itemCollapsed, this, &TFormSelectFolder::nodeCollapsed);
  // Moving along the tree with the keys chooses as a click does, so OK takes what is shown.
  connect(DirTreeView, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { select(node); });
  resize(kDesignSize);
}

void TFormSelectFolder::LoadWindowPos(const IniFile& ini) {
  const QRect screen = screenArea();
  setFrameBounds(this, readBounds(ini, kSection, centredBounds(kDesignSize, screen), screen));
  registerPlacementWriter(this, kSelectFolderPlacement,
                          [this](IniFile& out) { writeBounds(out, kSection, frameBounds(this)); });
}

std::string TFormSelectFolder::NodePath(const QTreeWidgetItem* node) {
  const std::string name = node->data(0, kNameRole).toByteArray().toStdString();
  if (node->parent() == nullptr) return name;
  return FolderTreeChildPath(NodePath(node->parent()), {std::string(), name});
}

void TFormSelectFolder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (DirTreeView->topLevelItemCount() == 0) fillDrives();
  DirTreeView->setFocus();
}

void TFormSelectFolder::fillDrives() {
  DirTreeView->clear();
  for (const FolderNode& drive : FolderTreeDrives(drives_)) {
    QTreeWidgetItem* node = nodeOf(drive);
    DirTreeView->addTopLevelItem(node);
    fillChildren(node);
  }
}

void TFormSelectFolder::fillChildren(QTreeWidgetItem* node) {
  qDeleteAll(node->takeChildren());
  for (const FolderNode& child : FolderTreeChildren(NodePath(node), drives_)) {
    node->addChild(nodeOf(child));
  }
}

void TFormSelectFolder::nodeExpanded(QTreeWidgetItem* node) {
  QElapsedTimer clock;
  clock.start();
  bool hourglass = false;
  for (int i = 0; i < node->childCount(); ++i) {
    fillChildren(node->child(i));
    if (!hourglass && clock.elapsed() > kHourglassAfterMs) {
      hourglass = true;
      QApplication::setOverrideCursor(Qt::WaitCursor);
    }
  }
  select(node);
  if (hourglass) QApplication::restoreOverrideCursor();
}

void TFormSelectFolder::nodeCollapsed(QTreeWidgetItem* node) {
  fillChildren(node);
  select(node);
}

void TFormSelectFolder::select(const QTreeWidgetItem* node) {
  if (node == nullptr) return;
  // A drive alone ("C:") is no folder the scan accepts; its root is.
  SelectedPath = NodePath(node);
  if (node->parent() == nullptr) SelectedPath += '\\';
}

}  // namespace vellomar
