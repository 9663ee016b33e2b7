#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;

namespace vellomar {

// "Archive Found": whether an archive met during a scan is read. Closed any other way than by
// its buttons it answers no.
class TFormScanArchive : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 120;

  static constexpr int16_t kYes = 12;
  static constexpr int16_t kNo = 13;
  static constexpr int16_t kYesForAll = 150;
  static constexpr int16_t kNoForAll = 151;

  explicit TFormScanArchive(QWidget* parent = nullptr);

  QLabel* LabelMsg = nullptr;
  int16_t Answer = kNo;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vellomar
