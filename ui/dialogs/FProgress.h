#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "ui/common/UProgressWindow.h"

class QPushButton;

namespace vellomar {

class TPieGauge;

// "Progress": a pie gauge and a Stop button while a result window fills a long list. The
// filling runs as the window's job: it reports with SetProgress and asks Stopped() between
// items; the window closes when the filling returns.
class TFormProgress : public TProgressWindow {
  Q_OBJECT

 public:
  explicit TFormProgress(QWidget* parent = nullptr);

  // Shows the window under caption with the gauge at 0 and runs fill; returns when it ends.
  void Run(const std::string& caption, const std::function<void()>& fill);
  // Moves the gauge forward only, and lets the Stop button be pressed meanwhile.
  void SetProgress(int percent);
  bool Stopped() const { return cancelRequested(); }

  TPieGauge* Gauge1;
  QPushButton* ButtonStop;

 protected:
  int runJob() override;

 private:
  std::function<void()> fill_;
};

}  // namespace vellomar
