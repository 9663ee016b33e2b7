#pragma once

#include <QDialog>

#include <vector>

#include "foundation/UShortString.h"

class QComboBox;
class QLabel;

namespace vellomar {

// "Selection": a mask for selecting disks or files, with one history of masks for each that
// grows for the whole run. Only one of the two combo boxes is shown at a time.
class TFormMaskSelect : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 140;

  explicit TFormMaskSelect(QWidget* parent = nullptr);

  // Shows the disk or the file combo box and hides the other.
  void ShowMasksFor(bool disks);
  // The combo box shown.
  QComboBox* VisibleCombo() const;

  QLabel* LabelMask;
  QComboBox* ComboBoxMaskDisks;
  QComboBox* ComboBoxMaskFiles;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ButtonOKClick();
};

// Asks for a selection mask of disks or files (caption "Selection of disks" or "Selection of
// files") and splits the text into masks; an empty text means "*". False on Cancel.
bool AskSelectionMasks(bool disks, std::vector<ShortString>& masks);

}  // namespace vellomar
