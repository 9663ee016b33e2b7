#include "ui/common/UIdleLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimerEvent>
#include <vector>

namespace vellomar {

namespace {

int busyDepth = 0;

// Clears a re-entry flag however the call it guards ends.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};
// The loops to wake when the engine becomes free again.
std::vector<QPointer<IdleLoop>>& loops() {
  static std::vector<QPointer<IdleLoop>> all;
  return all;
}

}  // namespace

IdleLoop::EngineBusy::EngineBusy() {
  ++busyDepth;
}

IdleLoop::EngineBusy::~EngineBusy() {
  if (--busyDepth == 0)
    for (const QPointer<IdleLoop>& loop : loops())
      if (loop) loop->arm();
}

bool IdleLoop::engineBusy() {
  return busyDepth > 0;
}

IdleLoop::IdleLoop(std::function<void()> idlePass, std::function<void()> timerTick, QObject* parent)
    : QObject(parent), idlePass_(std::move(idlePass)), timerTick_(std::move(timerTick)) {
  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(0);
  connect(&idleTimer_, &QTimer::timeout, this, &IdleLoop::runIdlePass);
  mainTimer_.setObjectName(QStringLiteral("MainTimer"));
  mainTimer_.setInterval(kTimerInterval);
  connect(&mainTimer_, &QTimer::timeout, this, &IdleLoop::runTimerTick);
  loops().push_back(this);
}

IdleLoop::~IdleLoop() {
  QCoreApplication::instance()->removeEventFilter(this);
  std::erase_if(loops(), [this](const QPointer<IdleLoop>& p) { return p == this || !p; });
}

void IdleLoop::start() {
  QCoreApplication::instance()->installEventFilter(this);
  mainTimer_.start();
  arm();
}

void IdleLoop::arm() {
  if (!idleTimer_.isActive()) idleTimer_.start();
}

bool IdleLoop::eventFilter(QObject* watched, QEvent* event) {
  // The idle timer's own firing is no activity; events that the pass itself causes are
  // seen by the pass that follows them, not by a pass armed while it runs.
  if (!inPass_ && !(event->type() == QEvent::Timer && watched == &idleTimer_)) arm();
  return QObject::eventFilter(watched, event);
}

void IdleLoop::runIdlePass() {
  if (inPass_ || engineBusy()) return;
  const FlagScope scope(inPass_);
  idlePass_();
}

void IdleLoop::runTimerTick() {
  if (inTick_ || engineBusy()) return;
  const FlagScope scope(inTick_);
  timerTick_();
}

}  // namespace vellomar
