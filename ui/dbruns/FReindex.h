#pragma once

#include "ui/dbruns/FCopyRun.h"

namespace vellomar {

// The run of compression (mode 0), export to a read-only database (1), export (2) and import
// (3): the caller fills Job and shows the window; it runs the copy once, reports its own
// failures and closes.
class TFormReindex : public TFormCopyRun {
  Q_OBJECT
 public:
  explicit TFormReindex(QWidget* parent = nullptr);

  ReindexJob Job;

 protected:
  void showEvent(QShowEvent* event) override;
  int runJob() override;
  void reportFailure(const std::exception& failure) override;
};

}  // namespace vellomar
