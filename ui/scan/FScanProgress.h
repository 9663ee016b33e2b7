#pragma once

#include <QElapsedTimer>
#include <string>

#include "engine/api/ULocalOptions.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UProgressWindow.h"
#include "ui/scan/UScanRequest.h"

class QPushButton;

namespace vellomar {

class TFormScanArchive;
class TPieGauge;

// "Scanning Disk": runs one engine scan per showing, shows its phase and progress, asks about
// the archives it meets as the database's settings say, and closes when the scan ends. Cancel
// stops the scan at the engine's next look.
class TFormScanProgress : public TProgressWindow {
  Q_OBJECT
 public:
  explicit TFormScanProgress(QWidget* parent = nullptr);

  // Set by the caller before each showing.
  ScanRequest Request;
  // What this showing's scan returned; false again at every showing, so a stale success never
  // stands for a scan that did not run.
  bool ScanResult = false;

  TFittedLabel* LabelDoing = nullptr;
  TFittedLabel* LabelInfo = nullptr;
  TPieGauge* Gauge = nullptr;
  QPushButton* ButtonCancel = nullptr;
  TFormScanArchive* ScanArchive = nullptr;

  // The engine's callbacks during the scan.
  bool query(const ShortString& text) override;
  uint16_t choice(const ShortString& archiveName) override;
  void message(const ShortString& text) override;
  void appendText(const ShortString& text) override;
  void percent(int32_t phase, int32_t percent) override;

 protected:
  void showEvent(QShowEvent* event) override;
  int runJob() override;

 private:
  // The label takes the latest status text a few times a second, which a person can read: a
  // wrapped label laid out for each of 100 000 folders slows the scan by a tenth. The text is
  // made only then, the path as the user knows it looked up in the mount table.
  void showInfo();

  int32_t phase_ = 0;
  TLocalOptions scanOptions_{};
  // The latest status text: the engine's message and what was appended to it.
  std::string message_;
  std::string appended_;
  QElapsedTimer infoShown_;
};

}  // namespace vellomar
