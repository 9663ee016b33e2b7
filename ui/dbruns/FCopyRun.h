#pragma once

#include <QColor>
#include <exception>

#include "ui/common/UFittedText.h"
#include "ui/common/UProgressWindow.h"
#include "ui/dbruns/UDBaseRuns.h"

class QPushButton;

namespace vellomar {

class TPieGauge;

// What the compress, export, import and repair windows share: a pie gauge, a status line and a
// Cancel button, and the engine callbacks that show the copy's progress on them.
class TFormCopyRun : public TProgressWindow {
  Q_OBJECT
 public:
  TFormCopyRun(QColor gaugeColor, QSize clientSize, QWidget* parent);

  TPieGauge* Gauge;
  TFittedLabel* LabelInfo;
  QPushButton* ButtonCancel;

 protected:
  // The engine's callbacks during the run.
  bool query(const ShortString& text) override;
  uint16_t choice(const ShortString& text) override;
  void message(const ShortString& text) override;
  void appendText(const ShortString& text) override;
  void percent(int32_t phase, int32_t percent) override;
  // An engine failure: "Critical error" for a fatal one, else an error box with the caption.
  void reportFailureAs(const std::exception& failure, std::string_view caption);
  // Shows one failure of the run in an error box.
  static void reportError(std::string_view caption, std::string_view text);
};

}  // namespace vellomar
