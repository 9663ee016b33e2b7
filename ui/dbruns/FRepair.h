#pragma once

#include <string>

#include "ui/dbruns/FCopyRun.h"

namespace vellomar {

// "Repairing Database": copies a damaged database, its key table rebuilt from its blocks, into
// a new file. The caller sets both names and shows the window.
class TFormRepair : public TFormCopyRun {
  Q_OBJECT
 public:
  explicit TFormRepair(QWidget* parent = nullptr);

  std::string SourceName;
  std::string TargetName;

 protected:
  void showEvent(QShowEvent* event) override;
  int runJob() override;
  void reportFailure(const std::exception& failure) override;
};

}  // namespace vellomar
