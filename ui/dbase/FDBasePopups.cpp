#include "ui/dbase/FDBasePopups.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "ui/common/UKeyDispatcher.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FFilePanel.h"

namespace vellomar {
namespace {

constexpr int kHelpDisks = 150;
constexpr int kHelpTree = 160;
constexpr int kHelpFiles = 170;

QKeyCombination key(Qt::KeyboardModifiers modifiers, Qt::Key k) {
  return QKeyCombination(modifiers, k);
}

// Commands that act on the focused panel run with the focus put on the popup's panel first.
std::function<void()> onPanel(TFormDBase& form, QWidget* panel, void (TFormDBase::*command)()) {
  return [&form, panel, command] {
    if (panel != nullptr) panel->setFocus(Qt::PopupFocusReason);
    (form.*command)();
  };
}

std::vector<TPopupItem> diskItems(TFormDBase& form, QWidget* panel) {
  const auto writable = [&form] { return !form.readOnly(); };
  return {
      {"MenuCopyDisk",
       "&Copy",
       key(Qt::ControlModifier, Qt::Key_C),
       onPanel(form, panel, &TFormDBase::CopyToClipboard),
       {},
       {}},
      {"MenuRescan",
       "Rescan disk...",
       key(Qt::ShiftModifier, Qt::Key_F4),
       [&form] { form.RescanDisk(); },
       {},
       {}},
      {"MenuDeleteDisk",
       "&Delete disk",
       key(Qt::NoModifier, Qt::Key_Delete),
       [&form] { form.DeleteDisk(); },
       writable,
       {}},
      {"MenuUndeleteDisk",
       "&Undelete disk",
       key(Qt::ControlModifier, Qt::Key_Z),
       [&form] { form.UndeleteDisk(); },
       [&form] { return !form.readOnly() && form.IsDiskDeleted(); },
       {}},
      {"MenuRenameDisk",
       "&Rename disk",
       key(Qt::NoModifier, Qt::Key_F6),
       [&form] { form.RenameDisk(); },
       writable,
       {}},
      {"MenuSelectDisks",
       "&Select disks...",
       key(Qt::ControlModifier, Qt::Key_D),
       onPanel(form, panel, &TFormDBase::SelectByMask),
       {},
       {}},
      {"MenuSelectAllDisks",
       "Select &all",
       key(Qt::ControlModifier, Qt::Key_A),
       onPanel(form, panel, &TFormDBase::SelectAll),
       {},
       {}},
      {"MenuDeselectDisk",
       "U&nselect all disks",
       key(Qt::ControlModifier, Qt::Key_U),
       onPanel(form, panel, &TFormDBase::UnselectAll),
       {},
       {}},
      {"MenuInfoDisk",
       "Disk &information...",
       key(Qt::ControlModifier, Qt::Key_I),
       [&form] { form.ShowDiskInfo(); },
       {},
       {}},
      {"MenuPrintDisks",
       "&Print disks...",
       key(Qt::ControlModifier, Qt::Key_P),
       [&form] { form.PrintPanel(1); },
       {},
       {}},
      {"MenuHelpDisks",
       "&Help",
       key(Qt::NoModifier, Qt::Key_F1),
       [] { services().help->showContext(kHelpDisks); },
       {},
       {}},
  };
}

std::vector<TPopupItem> treeItems(TFormDBase& form) {
  return {
      {"MenuShowTree",
       "Show &tree",
       key(Qt::NoModifier, Qt::Key_F12),
       [&form] { form.ToggleShowTree(); },
       {},
       [&form] { return form.options().ShowTree; }},
      {"MenuExpandTree", "&Expand tree", QKeyCombination(), [&form] { form.ExpandTree(); }, {}, {}},
      {"MenuCollapseTree",
       "&Collapse tree",
       QKeyCombination(),
       [&form] { form.CollapseTree(); },
       {},
       {}},
      {"MenuPrintTree",
       "&Print tree...",
       key(Qt::ControlModifier, Qt::Key_P),
       [&form] { form.PrintPanel(2); },
       {},
       {}},
      {"MenuHelpTree",
       "&Help",
       key(Qt::NoModifier, Qt::Key_F1),
       [] { services().help->showContext(kHelpTree); },
       {},
       {}},
  };
}

std::vector<TPopupItem> fileItems(TFormDBase& form, QWidget* panel) {
  const auto sortItem = [&form](const char* name, const char* caption, Qt::Key k,
                                uint8_t criterion) {
    return TPopupItem{name,
                      caption,
                      key(Qt::ShiftModifier, k),
                      [&form, criterion] { form.SetSortCriterion(criterion); },
                      {},
                      [&form, criterion] { return form.options().SortCrit == criterion; }};
  };
  return {
      {"MenuOpen",
       "Open",
       key(Qt::ShiftModifier, Qt::Key_Return),
       [&form] { form.filePanel()->OpenFocusedEntry(); },
       {},
       {}},
      {"MenuCopyFile",
       "&Copy",
       key(Qt::ControlModifier, Qt::Key_C),
       onPanel(form, panel, &TFormDBase::CopyToClipboard),
       {},
       {}},
      {"MenuEditDesc",
       "&Description...",
       key(Qt::NoModifier, Qt::Key_F2),
       [&form] { form.EditDescription(); },
       {},
       {}},
      {"MenuSelectFiles",
       "Select &files...",
       key(Qt::ControlModifier, Qt::Key_D),
       onPanel(form, panel, &TFormDBase::SelectByMask),
       {},
       {}},
      {"MenuSelectAllFiles",
       "Select &all",
       key(Qt::ControlModifier, Qt::Key_A),
       onPanel(form, panel, &TFormDBase::SelectAll),
       {},
       {}},
      {"MenuUnselectFiles",
       "Unse&lect all files",
       key(Qt::ControlModifier, Qt::Key_U),
       onPanel(form, panel, &TFormDBase::UnselectAll),
       {},
       {}},
      {"MenuBrief",
       "File names &only",
       key(Qt::ShiftModifier, Qt::Key_F11),
       [&form] { form.SetBriefMode(true); },
       {},
       [&form] { return form.options().DisplayMode == 0; }},
      {"MenuDetailed",
       "Det&ailed display",
       key(Qt::ShiftModifier, Qt::Key_F12),
       [&form] { form.SetBriefMode(false); },
       {},
       [&form] { return form.options().DisplayMode == 1; }},
      sortItem("MenuSortName", "Sort by &name", Qt::Key_F3, 0),
      sortItem("MenuSortExt", "Sort by &extension", Qt::Key_F4, 1),
      sortItem("MenuSortTime", "Sort by &time", Qt::Key_F5, 2),
      sortItem("MenuSortSize", "Sort by &size", Qt::Key_F6, 3),
      {"MenuPrintFiles",
       "&Print files...",
       key(Qt::ControlModifier, Qt::Key_P),
       [&form] { form.PrintPanel(3); },
       {},
       {}},
      {"MenuHelpFiles",
       "&Help",
       key(Qt::NoModifier, Qt::Key_F1),
       [] { services().help->showContext(kHelpFiles); },
       {},
       {}},
  };
}

void install(QWidget* panel, std::vector<TPopupItem> items) {
  if (panel == nullptr || panelPopup(panel) != nullptr) return;
  new TPanelPopup(panel, std::move(items));
}

}  // namespace

TPanelPopup::TPanelPopup(QWidget* panel, std::vector<TPopupItem> items)
    : QObject(panel), items_(std::move(items)), menu_(new QMenu(panel)) {
  setObjectName(QStringLiteral("PanelPopup"));
  auto* keys = new KeyMap(panel);
  for (const TPopupItem& item : items_) {
    QString text = QString::fromStdString(item.caption);
    if (item.key.key() != Qt::Key_unknown && item.key.key() != Qt::Key(0)) {
      text += '\t' + keyText(item.key);
      keys->add(item.key, item.run, item.enabled);
    }
    QAction* action = menu_->addAction(text);
    action->setObjectName(QString::fromStdString(item.name));
    action->setCheckable(static_cast<bool>(item.checked));
    connect(action, &QAction::triggered, this, [run = item.run] { run(); });
  }
  connect(menu_, &QMenu::aboutToShow, this, &TPanelPopup::refresh);
  panel->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(panel, &QWidget::customContextMenuRequested, this,
          [this, panel](const QPoint& at) { menu_->popup(panel->mapToGlobal(at)); });
}

void TPanelPopup::refresh() {
  const QList<QAction*> actions = menu_->actions();
  for (size_t i = 0; i < items_.size(); ++i) {
    QAction* action = actions[static_cast<qsizetype>(i)];
    action->setEnabled(!items_[i].enabled || items_[i].enabled());
    if (items_[i].checked) action->setChecked(items_[i].checked());
  }
}

TPanelPopup* panelPopup(QWidget* panel) {
  return panel == nullptr ? nullptr
                          : panel->findChild<TPanelPopup*>(QStringLiteral("PanelPopup"),
                                                           Qt::FindDirectChildrenOnly);
}

void InstallDBasePopups(TFormDBase& form) {
  install(form.DrawGridDisks(), diskItems(form, form.DrawGridDisks()));
  install(form.OutlineTree(), treeItems(form));
  install(form.DrawGridFiles(), fileItems(form, form.DrawGridFiles()));
}

}  // namespace vellomar
