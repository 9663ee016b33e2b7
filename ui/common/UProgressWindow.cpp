#include "ui/common/UProgressWindow.h"

#include <QCloseEvent>
#include <QPointer>
#include <stdexcept>
#include <utility>

#include "ui/common/UCloseRequest.h"
#include "ui/common/UIdleLoop.h"
#include "ui/common/UServices.h"

namespace vellomar {

namespace {

constexpr int kEventsEveryMs = 30;

}  // namespace

TProgressWindow::TProgressWindow(QWidget* parent) : QDialog(parent) {
  setModal(true);
}

int TProgressWindow::exec() {
  bool asked = false;
  try {
    asked = askFirst();
  } catch (const std::exception& e) {
    reportFailure(e);
  }
  if (!asked) {
    setResult(QDialog::Rejected);
    return QDialog::Rejected;
  }
  return QDialog::exec();
}

bool TProgressWindow::cancelRequested() const {
  return cancel_ || CloseRequest::pending();
}

void TProgressWindow::letEventsRun() {
  static QElapsedTimer last;
  if (last.isValid() && last.elapsed() < kEventsEveryMs) return;
  last.restart();
  CloseRequest::processEvents();
}

void TProgressWindow::requestCancel() {
  cancel_ = true;
}

void TProgressWindow::reportFailure(const std::exception& failure) {
  showErrorMessage("Error", failure.what());
}

void TProgressWindow::tellAfterClose(std::function<void()> tell) {
  afterClose_ = std::move(tell);
}

void TProgressWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The size it is shown with stays: no text of the job may widen it past the screen.
  setFixedSize(size());
  if (jobRunning_ || pending_) return;
  pending_ = true;
  cancel_ = false;
  QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
}

void TProgressWindow::runPending() {
  if (!pending_) return;
  pending_ = false;
  if (CloseRequest::pending()) {
    done(QDialog::Rejected);
    return;
  }
  QPointer<TProgressWindow> self(this);
  jobRunning_ = true;
  int result = QDialog::Rejected;
  std::exception_ptr failure;
  {
    const ProgressContext context(*this, progressCounts());
    try {
      const IdleLoop::EngineBusy busy;
      result = runJob();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (!self) return;
  jobRunning_ = false;
  if (failure) {
    result = QDialog::Rejected;
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      reportFailure(e);
    } catch (...) {
      reportFailure(std::runtime_error("Unknown error"));
    }
  }
  done(result);
  if (afterClose_) std::exchange(afterClose_, nullptr)();
}

void TProgressWindow::closeEvent(QCloseEvent* event) {
  if (jobRunning_) {
    requestCancel();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TProgressWindow::reject() {
  if (jobRunning_) {
    requestCancel();
    return;
  }
  QDialog::reject();
}

}  // namespace vellomar
