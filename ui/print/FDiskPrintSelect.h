#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QRadioButton;

namespace vellomar {

// "Selection of Print": what a disk print or a database export covers. The scope codes are the
// engine walk's: 4 the current folder of the current disk, 1 the whole current disk, 2 all
// selected disks.
class TFormDiskPrintSelect : public QDialog {
  Q_OBJECT
 public:
  static constexpr int32_t kScopeCurrentFolder = 4;
  static constexpr int32_t kScopeCurrentDisk = 1;
  static constexpr int32_t kScopeSelectedDisks = 2;

  explicit TFormDiskPrintSelect(QWidget* parent = nullptr);

  // Caption and label of the use at hand; the selected disks only when there are some.
  void Prepare(const QString& caption, const QString& label, bool anySelected);
  int32_t Scope() const;

  QLabel* LabelWhat;
  QRadioButton* RadioButtonActDiskDir;
  QRadioButton* RadioButtonActDiskWhole;
  QRadioButton* RadioButtonSelectedDisks;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vellomar
