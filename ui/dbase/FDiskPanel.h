#pragma once

#include <cstdint>

#include "foundation/UShortString.h"

#include "ui/grid/DrawGrid.h"

namespace vellomar {

class TDBase;
class PanelHost;

// The left panel of the database window: the disks in the engine's key order, live ones
// first. It keeps no copy of the list; row i is drawn from disk index i. Moving the row makes
// that disk current; the tree and the file list follow through the engine's change flags.
class TDiskPanel : public DrawGrid {
  Q_OBJECT

 public:
  TDiskPanel(PanelHost& form, QWidget* parent);

  // Re-reads the count and the current disk and repaints.
  void RefreshDisks();
  // The row from which Shift with a click or a movement key selects.
  int32_t anchor() const { return anchor_; }
  void setAnchor(int32_t row) { anchor_ = row; }

  void DeleteDisk();
  bool IsDiskDeleted();
  void UndeleteDisk();
  void RenameDisk();
  void ShowDiskInfo();
  void ShowDBaseInfo();
  // The text of a row: the disk's name, in brackets when deleted, with "¤" when selected.
  QString RowText(int32_t row) const;
  // The selection workers for disks.
  void MaskSelect();
  void UnselectAll();
  void SelectAll();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TDBase* db() const;
  bool readKey(int32_t row, ShortString& name, uint16_t& flags) const;
  void DrawCell(QPainter& p, int row, const QRect& rect, GridDrawState state);
  bool SelectCell(int row);
  bool KeyDown(QKeyEvent* event);
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void ToggleCurrent();
  // After a deletion or an undeletion: the tree is dropped and the disk of that name made
  // current; an emptied database reloads everything.
  void GoToDisk(const ShortString& name);

  PanelHost& form_;
  int32_t anchor_ = 0;
  bool extendRange_ = false;
};

}  // namespace vellomar
