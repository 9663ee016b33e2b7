#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/UApi.h"
#include "ui/settings/UGlobalOptions.h"

class QWidget;

namespace vellomar {

class TTreePanel;

// What the three panels of a database window ask of it: its catalogue and options, its error
// convention, its state, the status bar and headers, and the panel and sort changes that keep
// the other panels in step.
class PanelHost {
 public:
  // Panel tags: what ChangePanel is told and the window's ActivePanel() answers.
  static constexpr int kPanelNone = 0;
  static constexpr int kPanelDisks = 1;
  static constexpr int kPanelTree = 2;
  static constexpr int kPanelFiles = 3;

  virtual TDBase* GetDBaseHandle() const = 0;
  // True while closing or without disks.
  virtual bool IsDBaseEmpty() const = 0;
  // The base name of the database file, as the caption shows it.
  virtual const std::string& shortName() const = 0;
  virtual TGlobalOptions& options() = 0;
  virtual const TGlobalOptions& options() const = 0;
  // Runs body under the window's error convention; true when it ended normally.
  virtual bool Guarded(const std::function<void()>& body) = 0;
  virtual bool closing() const = 0;
  virtual bool scanRunning() const = 0;
  virtual bool readOnly() const = 0;

  // The texts of the status bar's two sections.
  virtual void setStatusTexts(const std::string& subtotals, const std::string& file) = 0;
  // Header texts of the panel that has the focus.
  virtual void UpdatePanelHeaders() = 0;
  // On entering a panel.
  virtual void ChangePanel(int panel) = 0;
  virtual void SetSortCriterion(uint8_t criterion) = 0;
  // The file grid changed its size: the next idle pass lays it out again.
  virtual void FileGridResized() = 0;
  // The description editor's font, set as the editor opens for this window.
  virtual void ApplyDescriptionFont(QWidget* memo) const = 0;
  // The tree panel, to follow a change of folder made in the file panel.
  virtual TTreePanel* treePanel() const = 0;

 protected:
  ~PanelHost() = default;
};

}  // namespace vellomar
