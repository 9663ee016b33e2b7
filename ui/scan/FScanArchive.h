#pragma once

#include <QDialog>
#include <cstdint>

namespace vellomar {

class TFittedLabel;

// "Archive Found": whether an archive met during a scan is read. Closed any other way than by
// its buttons it answers no. Its width is fixed: a path too long for two lines is cut to its
// end, so the buttons stay on the screen.
class TFormScanArchive : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 120;

  static constexpr int16_t kYes = 12;
  static constexpr int16_t kNo = 13;
  static constexpr int16_t kYesForAll = 150;
  static constexpr int16_t kNoForAll = 151;

  explicit TFormScanArchive(QWidget* parent = nullptr);

  TFittedLabel* LabelMsg = nullptr;
  int16_t Answer = kNo;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vellomar
