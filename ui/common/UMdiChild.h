#pragma once

#include <QMdiSubWindow>

namespace vellomar {

// The base of the main window's MDI children: the database window and the two result lists.
// The main window tells them apart by kind(), never by caption, routes its idle pass, its timer
// and the commands that every child kind answers through the virtual operations below, and
// links a result list to its database window by Tag.
class TMdiChild : public QMdiSubWindow {
  Q_OBJECT
 public:
  enum class Kind { kDatabase, kFoundFiles, kFoundEmpty };

  // Ctrl+F4 closes the child, as Ctrl+W does.
  explicit TMdiChild(QWidget* parent = nullptr);
  virtual Kind kind() const = 0;

  // Shared by a database window and the result lists made from it.
  int Tag = 0;

  // Every idle pass and every 700 ms tick while this child is the active form.
  virtual void IdleUpdate() {}
  virtual void TimerUpdate() {}
  // After the program settings dialog closed with OK while this child was active.
  virtual void ApplyGlobalOptions() {}

  // Menu commands on the active child (Edit menu, Print, Export to other format).
  virtual void CopyToClipboard() {}
  virtual void SelectAll() {}
  virtual void UnselectAll() {}
  virtual void PrintList() {}
  virtual void ExportList() {}
};

}  // namespace vellomar
