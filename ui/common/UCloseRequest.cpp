#include "ui/common/UCloseRequest.h"

#include <QApplication>
#include <QThread>
#include <QWidget>

#include "ui/common/UIdleLoop.h"
#include "ui/common/UProgressWindow.h"

namespace vellomar {

namespace {

int workDepth = 0;
QPointer<CloseRequest> waiting;

bool isModal(const QWidget* w) {
  return w->isVisible() && (w->isModal() || w->windowModality() != Qt::NonModal);
}

// Closes what keeps a nested loop running for the user's answer. A box closes through its
// Escape button, a dialog as cancelled, a run's window only sets its cancel flag.
void closeModalWindows() {
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (isModal(w)) w->close();
}

}  // namespace

CloseRequest::CloseRequest(QWidget* frame) : QObject(frame), frame_(frame) {
  timer_.setInterval(kRetryMs);
  connect(&timer_, &QTimer::timeout, this, &CloseRequest::retry);
  timer_.start();
}

bool CloseRequest::defer(QWidget* frame) {
  if (stackUnwound()) {
    if (waiting != nullptr) waiting->deleteLater();
    waiting = nullptr;
    return false;
  }
  // The boxes are closed from the retry, not inside the event that asked for the close.
  if (waiting == nullptr) waiting = new CloseRequest(frame);
  return true;
}

bool CloseRequest::pending() {
  return waiting != nullptr;
}

bool CloseRequest::stackUnwound() {
  // Level 1 is the application's own loop; tests drive windows from outside any loop (0).
  return workDepth == 0 && QThread::currentThread()->loopLevel() <= 1 && !IdleLoop::engineBusy() &&
         TProgressWindow::running() == nullptr && QApplication::activeModalWidget() == nullptr &&
         QApplication::activePopupWidget() == nullptr;
}

void CloseRequest::retry() {
  if (!stackUnwound()) {
    closeModalWindows();
    return;
  }
  timer_.stop();
  // The close event finds the stack unwound and ends the request.
  if (frame_) frame_->close();
}

CloseRequest::Work::Work() {
  ++workDepth;
}

CloseRequest::Work::~Work() {
  --workDepth;
}

}  // namespace vellomar
