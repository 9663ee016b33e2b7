#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <exception>
#include <functional>

#include "ui/common/UProgressContext.h"

namespace vellomar {

// The base of every modal window that runs one long engine job while it shows its progress
// (scan, search, compress, export, import, repair, sorting). Shown with exec(), it queues the
// job once and runs it (runJob) in a ProgressContext whose listener is the window, so that the
// engine's callbacks reach it; the base then closes the window with the job's result. Cancel and
// the window's close only set the flag that abort() gives the engine's abort callback, as does a
// close of the program that waits for the job (the job does not start at all once one waits). No
// exception leaves the job: it goes to reportFailure.
class TProgressWindow : public QDialog, public ProgressListener {
  Q_OBJECT
 public:
  explicit TProgressWindow(QWidget* parent = nullptr);

  // Asks the job's questions (askFirst), then shows the window, which runs the job.
  int exec() override;

  // Lets waiting events run, at most every 30 ms; progress callbacks call it.
  static void letEventsRun();

  // Cancel was pressed, or the program is closing.
  bool cancelRequested() const;
  // What Cancel and closing the window do while the job runs.
  void requestCancel();
  // The engine's abort callback during the job.
  bool abort() override { return cancelRequested(); }

 protected:
  // The questions the job needs answered (its scope, its files), asked before the window shows
  // so that no empty progress window stands behind them. False (the user cancelled) ends the
  // run Rejected without showing the window; a failure goes to reportFailure.
  virtual bool askFirst() { return true; }
  // The job: the result becomes the window's (QDialog::Accepted by convention on success).
  virtual int runJob() = 0;
  // The counts the job's progress reports are given: none unless the job says where they are.
  virtual TSearchCountsView progressCounts() const { return {}; }
  // Called with the exception that ended the job; the result is then Rejected. The default
  // shows the message in an "Error" box.
  virtual void reportFailure(const std::exception& failure);
  // What the job tells at its end (a result box): told once the window has gone, so that the
  // box does not stand over a finished progress window.
  void tellAfterClose(std::function<void()> tell);

  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  Q_INVOKABLE void runPending();

  std::function<void()> afterClose_;
  bool pending_ = false;
  bool jobRunning_ = false;
  bool cancel_ = false;
};

}  // namespace vellomar
