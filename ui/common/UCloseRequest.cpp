#include "ui/common/UCloseRequest.h"

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>
#include <algorithm>

#include "ui/common/UIdleLoop.h"
#include "ui/common/UProgressWindow.h"

namespace vellomar {

namespace {

int workDepth = 0;
QPointer<CloseRequest> waiting;

}  // namespace

CloseRequest::CloseRequest(QWidget* frame) : QObject(frame), frame_(frame) {
  timer_.setInterval(kRetryMs);
  connect(&timer_, &QTimer::timeout, this, &CloseRequest::retry);
  timer_.start();
}

bool CloseRequest::defer(QWidget* frame) {
  if (stackUnwound()) {
    if (waiting != nullptr) waiting->end();
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
         !ProgressContext::active() && QApplication::activeModalWidget() == nullptr &&
         QApplication::activePopupWidget() == nullptr;
}

void CloseRequest::end() {
  timer_.stop();
  if (waiting == this) waiting = nullptr;
  deleteLater();
}

void CloseRequest::retry() {
  if (stackUnwound()) {
    timer_.stop();
    // The close event finds the stack unwound and ends the request.
    if (frame_) frame_->close();
    return;
  }
  // Only the window in front takes input: a box over a dialog goes first. Each is closed from
  // the event loop, so a box that its close brings up is met by a later retry.
  QWidget* front = QApplication::activePopupWidget();
  if (front == nullptr) front = QApplication::activeModalWidget();
  if (front == nullptr) return;
  const bool isRun = qobject_cast<TProgressWindow*>(front) != nullptr;
  if (std::find(asked_.begin(), asked_.end(), front) != asked_.end()) {
    // A window that stays after its close was answered Cancel: the program stays, as after
    // the user's own Cancel. A run's window stays until its job has stopped.
    if (!isRun) {
      end();
      return;
    }
  } else {
    asked_.push_back(front);
    front->installEventFilter(this);
  }
  QMetaObject::invokeMethod(
      front, [front] { front->close(); }, Qt::QueuedConnection);
}

bool CloseRequest::eventFilter(QObject* watched, QEvent* event) {
  // A window shown again later is asked again.
  if (event->type() == QEvent::Hide) std::erase(asked_, watched);
  return QObject::eventFilter(watched, event);
}

void CloseRequest::processEvents() {
  const Work work;
  QCoreApplication::processEvents();
}

CloseRequest::Work::Work() {
  ++workDepth;
}

CloseRequest::Work::~Work() {
  --workDepth;
}

}  // namespace vellomar
