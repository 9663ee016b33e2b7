#include "ui/dbase/FDiskPanel.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include "engine/api/UApi.h"
#include "platform/PText.h"
#include "ui/common/UServices.h"
#include "ui/dbase/UPanelHost.h"
#include "ui/dialogs/FInfoDialogs.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/dialogs/FRenameDlg.h"
#include "ui/dialogs/UDialogs.h"
#include "ui/grid/UQtText.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

const QColor kGrey(0x80, 0x80, 0x80);

bool askYesNo(const std::string& text) {
  return services().messages->show("Confirmation", text, BoxIcon::kQuestion, BoxButtons::kYesNo) ==
         BoxResult::kYes;
}

std::string quoted(const ShortString& name) {
  return "\"" + name.str() + "\"";
}

std::string alreadyExists(const ShortString& name) {
  return "Disk with name " + quoted(name) + " already exists.";
}

// Shows the rename dialog until it gives a name that is not empty; false on Cancel.
bool askName(const std::string& caption, const ShortString& name, const std::string& label,
             ShortString& answer) {
  TFormRenameDlg& dialog = FormRenameDlg();
  dialog.setWindowTitle(qtText(caption));
  dialog.Label2->setText(qtText(label));
  dialog.Edit1->setText(qtText(name.view()));
  do {
    if (dialog.exec() != QDialog::Accepted) return false;
    answer = ShortString(fromQt(dialog.Edit1->text().trimmed()));
  } while (answer.empty());
  return true;
}

}  // namespace

TDiskPanel::TDiskPanel(PanelHost& form, QWidget* parent) : DrawGrid(parent), form_(form) {
  setColCount(1);
  setRowCount(1);
  setRowSelect(true);
  setHorzLines(false);
  setVertLines(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setDefaultRowHeight(QFontMetrics(font()).height());
  onDrawCell = [this](QPainter& p, int, int row, const QRect& rect, GridDrawState state) {
    DrawCell(p, row, rect, state);
  };
  onSelectCell = [this](int, int row) { return SelectCell(row); };
  onKeyDown = [this](QKeyEvent* event) { return KeyDown(event); };
  onMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint) {
    MouseDown(button, modifiers);
  };
  onDblClick = [this] {
    ToggleCurrent();
    viewport()->update();
  };
  onFocusIn = [this] { form_.ChangePanel(PanelHost::kPanelDisks); };
}

CatalogueGateway& TDiskPanel::catalogue() const {
  return form_.catalogue();
}

void TDiskPanel::resizeEvent(QResizeEvent* event) {
  DrawGrid::resizeEvent(event);
  setColWidth(0, std::max(1, viewport()->width() - kGridLineWidth));
}

void TDiskPanel::RefreshDisks() {
  if (form_.closing()) return;
  catalogue().clearKeysChanged();
  const int32_t n = catalogue().keyCount();
  setEmpty(n == 0);
  if (n == 0) {
    setRowCount(1);
    viewport()->update();
    return;
  }
  if (const std::optional<CatalogueKey> key = form_.catalogue().currentKey()) {
    if (row() >= n) moveTo(0, n - 1);
    setRowCount(n);
    if (key->Index != row() && key->Index < rowCount()) moveTo(0, key->Index);
    viewport()->update();
  }
}

bool TDiskPanel::readKey(int32_t row, ShortString& name, uint16_t& flags) const {
  // Painting never reports: a disk the engine cannot name is left blank.
  try {
    if (form_.closing()) return false;
    const std::optional<CatalogueKey> key = catalogue().key(row);
    if (!key) return false;
    name = key->Name;
    flags = key->Flags;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

QString TDiskPanel::RowText(int32_t row) const {
  ShortString name;
  uint16_t flags = 0;
  if (!readKey(row, name, flags)) return {};
  QString text = qtText(name.view());
  if ((flags & kKeyDeleted) != 0) text = "(" + text + ")";
  if ((flags & kKeySelected) != 0) text += QChar(0x00A4);
  return text;
}

void TDiskPanel::DrawCell(QPainter& p, int row, const QRect& rect, GridDrawState state) {
  ShortString name;
  uint16_t flags = 0;
  if (!readKey(row, name, flags)) return;
  const QString text = RowText(row);
  if (!state.selected) {
    if ((flags & kKeyDeleted) != 0) p.setPen(kGrey);
    if ((flags & kKeySelected) != 0) {
      p.fillRect(rect, kGrey);
      p.setPen(palette().color(QPalette::HighlightedText));
    }
  }
  p.drawText(rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
}

bool TDiskPanel::SelectCell(int r) {
  form_.Guarded([&] {
    if (extendRange_) {
      extendRange_ = false;
      const int step = r > anchor_ ? 1 : -1;
      for (int32_t i = anchor_; i != r; i += step) {
        catalogue().toggleKeySelection(i);
        invalidateRow(i);
      }
      if (std::abs(anchor_ - r) > 1) viewport()->update();
    }
    if (r == row()) return;
    anchor_ = row();
    catalogue().setCurrentKey(r);
    catalogue().setTreeChanged();
  });
  return true;
}

bool TDiskPanel::KeyDown(QKeyEvent* event) {
  const Qt::KeyboardModifiers mods =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const int key = event->key();
  if (key == Qt::Key_Delete) {
    DeleteDisk();
    return true;
  }
  const bool movement = key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageUp ||
                        key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End;
  if (mods == Qt::ShiftModifier && movement) {
    anchor_ = row();
    extendRange_ = true;
    return false;
  }
  if (mods != Qt::NoModifier) return false;
  const bool hasRows = catalogue().keyCount() > 0;
  switch (key) {
    case Qt::Key_Insert:
    case Qt::Key_Space:
      ToggleCurrent();
      invalidateRow(row());
      if (row() < rowCount() - 1) moveTo(0, row() + 1);
      return true;
    case Qt::Key_PageDown:
      if (hasRows) moveTo(0, std::min(row() + visibleRowCount(), rowCount() - 1));
      return hasRows;
    case Qt::Key_PageUp:
      if (hasRows) moveTo(0, std::max(row() - visibleRowCount(), 0));
      return hasRows;
    case Qt::Key_Home:
      if (hasRows) moveTo(0, 0);
      return hasRows;
    case Qt::Key_End:
      if (hasRows) moveTo(0, rowCount() - 1);
      return hasRows;
    default:
      return false;
  }
}

void TDiskPanel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  if (button != Qt::LeftButton) return;
  anchor_ = std::min(anchor_, rowCount() - 1);
  form_.Guarded([&] {
    if (modifiers & Qt::ShiftModifier) {
      for (int32_t i = 0; i < rowCount(); ++i) catalogue().selectKey(false, i);
      const int32_t from = std::min(anchor_, row());
      const int32_t to = std::max(anchor_, row());
      for (int32_t i = from; i <= to; ++i) catalogue().toggleKeySelection(i);
      viewport()->update();
    } else if (modifiers & Qt::ControlModifier) {
      ToggleCurrent();
      invalidateRow(row());
    }
  });
}

void TDiskPanel::ToggleCurrent() {
  form_.Guarded([&] { catalogue().toggleKeySelection(row()); });
}

void TDiskPanel::GoToDisk(const ShortString& name) {
  catalogue().freeTree();
  catalogue().goToDiskByName(name);
  if (catalogue().keyCount() == 0) {
    catalogue().setAllChanged();
  }
}

void TDiskPanel::DeleteDisk() {
  if (form_.closing() || form_.readOnly()) return;
  form_.Guarded([&] {
    const std::optional<CatalogueKey> key = form_.catalogue().currentKey();
    if (!key) return;
    const ShortString& name = key->Name;
    const int32_t selected = catalogue().selectedKeyCount();
    if (selected > 0) {
      if (!askYesNo("Disks selected: " + std::to_string(selected) + ". Delete them all?")) return;
      catalogue().deleteSelectedDisks();
    } else if (!key->deleted()) {
      if (!askYesNo("Delete disk " + quoted(name) + "?")) return;
      catalogue().deleteDisk(key->Index);
    } else {
      return;
    }
    GoToDisk(name);
  });
}

bool TDiskPanel::IsDiskDeleted() {
  bool deleted = false;
  if (form_.IsDBaseEmpty()) return false;
  form_.Guarded([&] {
    const std::optional<CatalogueKey> key = form_.catalogue().currentKey();
    deleted = key && key->deleted();
  });
  return deleted;
}

void TDiskPanel::UndeleteDisk() {
  if (form_.closing() || form_.readOnly()) return;
  form_.Guarded([&] {
    const std::optional<CatalogueKey> key = form_.catalogue().currentKey();
    if (!key || !key->deleted()) return;
    ShortString candidate = key->Name;
    for (;;) {
      if (!catalogue().findDisk(candidate.str())) {
        catalogue().renameDisk(key->Index, candidate, true);
        GoToDisk(candidate);
        return;
      }
      if (!askName("New name for undeleted disk", candidate, alreadyExists(candidate), candidate)) {
        return;
      }
    }
  });
}

void TDiskPanel::RenameDisk() {
  // A read-only database refuses every write, renaming included.
  if (form_.closing() || form_.readOnly()) return;
  form_.Guarded([&] {
    const std::optional<CatalogueKey> key = form_.catalogue().currentKey();
    if (!key || key->deleted()) return;
    const ShortString& name = key->Name;
    const int32_t index = key->Index;
    ShortString newName;
    if (!askName("Disk name change", name, "", newName)) return;
    for (;;) {
      if (sameText(newName.view(), name.view()) || !catalogue().findDisk(newName.str())) {
        catalogue().renameDisk(index, newName, false);
        // The renamed disk stays the current one.
        catalogue().freeTree();
        catalogue().goToDiskByName(newName);
        return;
      }
      if (!askName("The name must be unique", newName, alreadyExists(newName), newName)) return;
    }
  });
}

void TDiskPanel::ShowDiskInfo() {
  form_.Guarded([&] {
    const std::optional<TDiskInfo> info = catalogue().diskInfo();
    if (!info) return;
    FormDiskInfo().SetValues(*info);
    FormDiskInfo().exec();
  });
}

void TDiskPanel::ShowDBaseInfo() {
  form_.Guarded([&] {
    FormDBaseInfo().SetValues(form_.catalogue().stats(), ShortString(form_.shortName()));
    FormDBaseInfo().exec();
  });
}

void TDiskPanel::MaskSelect() {
  form_.Guarded([&] {
    std::vector<ShortString> masks;
    if (!AskSelectionMasks(true, masks)) return;
    catalogue().selectKeysByMasks(masks);
    viewport()->update();
  });
}

void TDiskPanel::UnselectAll() {
  form_.Guarded([&] {
    for (int32_t i = 0; i < rowCount(); ++i) catalogue().selectKey(false, i);
    viewport()->update();
  });
}

void TDiskPanel::SelectAll() {
  form_.Guarded([&] {
    // Deleted disks cannot be selected, so only the live ones count.
    bool all = true;
    for (int32_t i = 0; i < rowCount() && all; ++i) {
      const std::optional<CatalogueKey> key = catalogue().key(i);
      if (key && !key->deleted()) all = (key->Flags & kKeySelected) != 0;
    }
    const bool select = !(PersistentSelections && all);
    for (int32_t i = 0; i < rowCount(); ++i) catalogue().selectKey(select, i);
    viewport()->update();
  });
}

}  // namespace vellomar
