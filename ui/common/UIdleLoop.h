#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace vellomar {

// The main window's idle pass and 700 ms timer. Qt has no idle event: every event that reaches
// the application arms a 0 ms timer, which fires once the queue is empty, so one idle pass
// follows every burst of events, inside modal loops too. Neither the pass nor the tick runs
// inside itself or while the engine is busy (a progress callback that lets events run would
// otherwise reach the engine again); a pass skipped for that runs once the engine is free.
class IdleLoop : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTimerInterval = 700;

  IdleLoop(std::function<void()> idlePass, std::function<void()> timerTick,
           QObject* parent = nullptr);
  ~IdleLoop() override;

  // Starts watching the application's events and the timer.
  void start();
  // One pass or one tick as the loop would run it (the guards apply); for tests and callers
  // that need the pass at once.
  void runIdlePass();
  void runTimerTick();

  // While one exists, the engine is working inside a call and must not be entered again.
  class EngineBusy {
   public:
    EngineBusy();
    ~EngineBusy();
    EngineBusy(const EngineBusy&) = delete;
    EngineBusy& operator=(const EngineBusy&) = delete;
  };
  static bool engineBusy();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void arm();

  std::function<void()> idlePass_;
  std::function<void()> timerTick_;
  QTimer idleTimer_;
  QTimer mainTimer_;
  bool inPass_ = false;
  bool inTick_ = false;
};

}  // namespace vellomar
