#pragma once

#include <QObject>

class QSocketNotifier;

namespace vellomar {

// Turns SIGTERM and SIGHUP (the session ending, a service manager stopping the program) into
// a normal close of the main window, so the settings, the recent files and the placement are
// saved and the temporary folder removed as at any exit. The signal handler only writes a
// byte to a socket; the close runs from the event loop.
class QuitSignal : public QObject {
  Q_OBJECT
 public:
  explicit QuitSignal(QObject* parent = nullptr);
  ~QuitSignal() override;

 signals:
  void quitRequested();

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vellomar
